// Comparing on Windows, where the file system tells names apart without
// regard to case and reads "/" as "\": the same folder typed another way is
// the same place, and a rename that changed only a name's case is a change
// of that file.

#include "compare/list_comparison.h"
#include "document/document_file.h"

#include <gtest/gtest.h>
#include <utility>

namespace kestro {
namespace {

class TextList : public ListText {
public:
    explicit TextList(std::string text) : text_(std::move(text)) {}
    std::size_t size() const override { return text_.size(); }
    Result<std::string_view> nextBlock(std::size_t) override {
        return std::string_view(text_).substr(std::exchange(read_, text_.size()));
    }
    void rewind() override { read_ = 0; }

private:
    std::string text_;
    std::size_t read_ = 0;
};

std::string listOf(const std::string& folderLine, const std::string& firstName) {
    return "ﾌｧｲﾙ名\tﾌｧｲﾙｻｲｽﾞ\r\n\r\n" + folderLine + "\r\n" + firstName +
           "\t1 Byte\r\nkeep.txt\t2 Byte\r\n\r\n" + folderLine + "Sub\\\r\ninner.txt\t3 Byte\r\n";
}

TEST(ListComparisonWin32Test, FoldersAndNamesMatchAsTheFileSystemDoes) {
    struct Row {
        const char* savedFolder;
        const char* currentFolder;
    };
    for (const Row& row :
         {Row{"C:\\KT\\Alpha\\", "c:\\kt\\alpha\\"},
          // A list made of "C:/KT/Alpha" by an earlier build.
          Row{"C:/KT/Alpha\\", "C:\\KT\\Alpha\\"}, Row{"C:\\kt\\ÄLPHA\\", "C:\\KT\\älpha\\"}}) {
        SCOPED_TRACE(row.savedFolder);
        ListOptions options;
        options.sizeColumn = true;
        options.rootFolder = row.currentFolder;
        auto saved =
            SavedList::fromText(toPaneLineEnds(listOf(row.savedFolder, "Readme.TXT")), options);
        ASSERT_TRUE(saved) << saved.failure().description;
        EXPECT_FALSE(saved.value().moved());
        ListComparison comparison(saved.value(), options);
        TextList current(listOf(row.currentFolder, "README.txt"));
        ASSERT_TRUE(comparison.compare(current, [] { return true; }));
        // The renamed file is one change, not one file removed and one added.
        EXPECT_EQ(comparison.counts().text(), "追加 0  削除 0  変更 1")
            << comparison.differenceList();
        EXPECT_NE(comparison.differenceList().find("\tReadme.TXT → README.txt\t1 Byte"),
                  std::string::npos)
            << comparison.differenceList();
        EXPECT_TRUE(comparison.movedNote().empty()) << comparison.movedNote();
    }
}

} // namespace
} // namespace kestro
