#pragma once

// The document commands of the main window: the list pane as a document
// (title, save entry, open, save, save as, exit) and the edit commands (the
// Edit menu, the copy and clear buttons).
//
// attachDocumentCommands connects a DocumentCommands object, owned by the
// window, to the window's pane, menus and buttons, and shows the start title
// "Kestro - [新規]" with the save entry enabled. Attaching again replaces the
// earlier object. The window's file dialog is injectable; a cancelled dialog
// ends its command with nothing changed and nothing shown. Failures of open,
// save and save as go to the window's common report ("ｴﾗｰ", the failure's
// number and a description naming the file); a failed save leaves the file
// that was there, the title and the save entry as they were. Save writes
// in the encoding the document was opened or last saved in, save as in the
// one chosen in its dialog (which is remembered for the next dialog); a
// character Shift-JIS cannot hold refuses the save with a message naming its
// line and the character, the file untouched, and the save dialog opens
// again for another encoding. A file too big
// to hold fails with 7, the pane and title untouched; one with bytes that
// could not be read as characters opens, and a message tells so. No command
// asks about unsaved text or before replacing a file. A clipboard that
// cannot be read reads as empty; one that cannot be written is left as it is.

#include "document/document_state.h"
#include "listgen/error_report.h"
#include "platform/text.h"
#include "ui/list_pane_editor.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace kestro {

class MainWindow;

struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    // The kept document name; empty before the first confirmed one.
    QString startName;
    // "ﾃｷｽﾄ(*.txt)" and "すべてのﾌｧｲﾙ(*.*)", and for a save
    // "Excel ﾌﾞｯｸ(*.xlsx)".
    QStringList nameFilters;
    // Save: the encoding the dialog's 「文字ｺｰﾄﾞ」 box shows first.
    TextEncoding encoding = TextEncoding::Utf8;
    // Save: a text file, with its 「文字ｺｰﾄﾞ」 box (not for a PDF).
    bool textFile = true;
};

// What a confirmed dialog gives: the name, and for a save the encoding
// chosen (none: the one the request offered).
struct FileDialogAnswer {
    FileDialogAnswer(QString chosenName, std::optional<TextEncoding> chosenEncoding = {})
        : name(std::move(chosenName)), encoding(chosenEncoding) {}
    QString name;
    std::optional<TextEncoding> encoding;
    // Save: the workbook's filter was chosen.
    bool workbook = false;
};

// Shows a file dialog over `parent`: the answer, or nothing when the user
// cancelled.
using FileDialogRunner = std::function<std::optional<FileDialogAnswer>(
    QWidget* parent, const FileDialogRequest& request)>;

// The program's own dialog: a save dialog that never asks before replacing
// and has a 「文字ｺｰﾄﾞ」 box (UTF-8, UTF-8 with the byte-order mark,
// Shift-JIS), an open dialog that returns any typed name, no title, suffix or
// folder of their own; "すべてのﾌｧｲﾙ(*.*)" shows names without a dot as well.
// With the workbook's filter chosen, a name without an extension gets
// ".xlsx".
std::optional<FileDialogAnswer> runFileDialog(QWidget* parent, const FileDialogRequest& request);

struct DocumentServices {
    // Empty: runFileDialog.
    FileDialogRunner fileDialog;
};

class DocumentCommands : public QObject {
    Q_OBJECT

public:
    DocumentCommands(MainWindow& window, DocumentServices services);

    ListPaneEditor& paneEditor() { return paneEditor_; }
    const DocumentState& state() const { return state_; }
    // The pane's text with LF line ends.
    QString paneText() const;

public slots:
    void onListPaneChanged();
    void onOpenChosen();
    void onCompareChosen();
    void onSaveChosen();
    void onSaveAsChosen();
    void onPrintChosen();
    void onPdfChosen();
    void onExitChosen();
    void onEditMenuOpening();
    void onEditEntryChosen(int index);
    void onCopyClicked();
    void onClearClicked();

private:
    void connectWindow();
    QString printTitle();
    void showState();
    void showPaneItems();
    // Replaces the pane's text with `text` (LF line ends).
    // Reads the file `name` into the pane in its place; says whether some of
    // its bytes were not characters, and the encoding it was read in.
    Status showInPane(const std::string& name, bool& unreadable, TextEncoding& found);
    struct ChosenFile {
        std::string name;
        TextEncoding encoding;
        bool workbook;
    };
    std::optional<ChosenFile> chooseFile(FileDialogRequest::Kind kind);
    enum class SaveOutcome { Saved, Refused, Failed };
    SaveOutcome saveTo(const std::string& name, TextEncoding encoding, Command command);

    MainWindow& window_;
    DocumentServices services_;
    ListPaneEditor paneEditor_;
    DocumentState state_;
    // The encoding the named document was opened or last saved in, which
    // 「上書き保存」 keeps.
    TextEncoding encoding_ = TextEncoding::Utf8;
};

// Connects the document and edit commands to `window` (replacing earlier
// ones) and returns them; the window owns them.
DocumentCommands& attachDocumentCommands(MainWindow& window, DocumentServices services = {});

// The commands attached to `window`, or null.
DocumentCommands* documentCommandsOf(MainWindow& window);

} // namespace kestro
