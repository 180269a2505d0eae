#include "document/document_state.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kestro {
namespace {

// A name of 70 bytes whose title form is shortened to fit 55 bytes.
const std::string LongName = "/home/someone/documents/lists/2024/archive/spring/file-list.txt";
const std::string ShortLongName = "/.../.../.../lists/2024/archive/spring/file-list.txt";

TEST(DocumentTitle, Forms) {
    EXPECT_EQ(startTitle(), "Kestro - [新規]");
    EXPECT_EQ(changedTitle(""), "Kestro - (更新)[新規]");
    EXPECT_EQ(changedTitle("/tmp/a.txt"), "Kestro - (更新)[/tmp/a.txt]");
    EXPECT_EQ(storedTitle("/tmp/a.txt"), "Kestro - [/tmp/a.txt]");
    ASSERT_GT(LongName.size(), TitleNameLimit);
    // The changed form shows the whole name, the stored form the short one.
    EXPECT_EQ(changedTitle(LongName), "Kestro - (更新)[" + LongName + "]");
    EXPECT_EQ(storedTitle(LongName), "Kestro - [" + ShortLongName + "]");
    EXPECT_LE(ShortLongName.size(), TitleNameLimit);
}

TEST(DocumentState, StartsNewUnchangedWithSaveEnabled) {
    const DocumentState state;
    EXPECT_EQ(state.title(), "Kestro - [新規]");
    EXPECT_EQ(state.form(), DocumentState::Form::Start);
    EXPECT_TRUE(state.saveEnabled());
    EXPECT_TRUE(state.name().empty());
}

// Each step of a session and what the title and the save entry show after
// it, through every transition of the document.
TEST(DocumentState, TitleAndSaveFollowEveryTransition) {
    struct Step {
        const char* what;
        std::function<void(DocumentState&)> apply;
        std::string title;
        bool saveEnabled;
    };
    const std::vector<Step> steps = {
        {"first change", [](DocumentState& s) { s.changed(); }, "Kestro - (更新)[新規]", true},
        {"second change", [](DocumentState& s) { s.changed(); }, "Kestro - (更新)[新規]", true},
        {"clear of a new document",
         [](DocumentState& s) {
             s.changed();
             s.cleared();
         },
         "Kestro", true},
        {"change after clear, no name", [](DocumentState& s) { s.changed(); },
         "Kestro - (更新)[新規]", true},
        {"save as",
         [](DocumentState& s) {
             s.nameConfirmed(LongName);
             s.stored();
         },
         "Kestro - [" + ShortLongName + "]", false},
        {"change of a named document", [](DocumentState& s) { s.changed(); },
         "Kestro - (更新)[" + LongName + "]", true},
        {"save under the name", [](DocumentState& s) { s.stored(); },
         "Kestro - [" + ShortLongName + "]", false},
        {"clear of a named document",
         [](DocumentState& s) {
             s.changed();
             s.cleared();
         },
         "Kestro", true},
        {"change after clear keeps the name", [](DocumentState& s) { s.changed(); },
         "Kestro - (更新)[" + LongName + "]", true},
        {"open another file",
         [](DocumentState& s) {
             s.nameConfirmed("/tmp/b.txt");
             s.changed(); // loading is a change
             s.stored();
         },
         "Kestro - [/tmp/b.txt]", false},
        {"change after open", [](DocumentState& s) { s.changed(); }, "Kestro - (更新)[/tmp/b.txt]",
         true},
    };
    DocumentState state;
    for (const Step& step : steps) {
        step.apply(state);
        EXPECT_EQ(state.title(), step.title) << step.what;
        EXPECT_EQ(state.saveEnabled(), step.saveEnabled) << step.what;
    }
    EXPECT_EQ(state.name(), "/tmp/b.txt");
}

TEST(DocumentState, ConfirmedNameAloneLeavesTitleAndSave) {
    // A dialog confirmed a name but the file could not be read or written:
    // the title keeps its text until the next change shows the new name.
    DocumentState state;
    state.nameConfirmed("/tmp/a.txt");
    state.stored();
    state.nameConfirmed("/missing/b.txt");
    EXPECT_EQ(state.title(), "Kestro - [/tmp/a.txt]");
    EXPECT_FALSE(state.saveEnabled());
    EXPECT_EQ(state.name(), "/missing/b.txt");
    state.changed();
    EXPECT_EQ(state.title(), "Kestro - (更新)[/missing/b.txt]");
}

TEST(DocumentState, ClearDoesNotForgetTheName) {
    DocumentState state;
    state.nameConfirmed("/tmp/a.txt");
    state.stored();
    state.cleared();
    EXPECT_EQ(state.title(), "Kestro");
    EXPECT_EQ(state.form(), DocumentState::Form::Cleared);
    EXPECT_EQ(state.name(), "/tmp/a.txt");
}

} // namespace
} // namespace kestro
