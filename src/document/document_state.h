#pragma once

// The one document of the program: the text of the list pane, its name and
// how the window title and the save entry show whether it changed.
//
// The name is the last file name a dialog confirmed, as native path bytes;
// empty means the document was never named ("新規"). Nothing empties it
// again once set. The title is kept as text rather than computed from the
// name, because a dialog may confirm a new name while the title still shows
// the old one (a failed open or save as). No failures here.

#include <cstddef>
#include <string>
#include <string_view>

namespace kestro {

inline constexpr std::string_view ProgramName = "Kestro";
// Bytes of the name shown in the title of a saved document.
inline constexpr std::size_t TitleNameLimit = 55;

// "Kestro - [新規]": a new document that has not changed.
std::string startTitle();
// "Kestro - (更新)[" + the whole name, or "新規" without one, + "]".
std::string changedTitle(std::string_view name);
// "Kestro - [" + the name shortened to 55 bytes + "]".
std::string storedTitle(std::string_view name);

class DocumentState {
public:
    enum class Form {
        Start,   // new, unchanged
        Changed, // new or named, changed since the last open or save
        Stored,  // named, as last opened or saved
        Cleared, // the clear button emptied the pane
    };

    // Start: no name, the start title, save enabled (its design state).
    DocumentState() = default;

    const std::string& name() const { return name_; }
    const std::string& title() const { return title_; }
    Form form() const { return form_; }
    bool saveEnabled() const { return saveEnabled_; }

    // The pane's content changed: the changed title with the whole name;
    // save enabled.
    void changed();
    // A dialog confirmed `name`; the title keeps its form until the file is
    // read or written.
    void nameConfirmed(std::string name);
    // The named document was opened or saved: the short-name title; save
    // disabled until the next change.
    void stored();
    // After the clear button's own change: the program name alone.
    void cleared();

private:
    std::string name_;
    std::string title_ = startTitle();
    Form form_ = Form::Start;
    bool saveEnabled_ = true;
};

} // namespace kestro
