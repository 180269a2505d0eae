#include "ui/document_commands.h"

#include "document/document_file.h"
#include "document/document_reader.h"
#include "ui/main_window.h"
#include "ui/print_commands.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>

#include <algorithm>
#include <new>

namespace kestro {

namespace {

constexpr const char* WorkbookFilter = "Excel ﾌﾞｯｸ(*.xlsx)";

const QStringList& documentNameFilters() {
    static const QStringList filters = {QStringLiteral("ﾃｷｽﾄ(*.txt)"),
                                        QStringLiteral("すべてのﾌｧｲﾙ(*.*)")};
    return filters;
}

// The window would read "[*]" as its modified mark; doubled, it is shown as
// written.
QString windowTitleFor(const std::string& title) {
    QString text = QString::fromStdString(title);
    text.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    return text;
}

// Shows the busy cursor for its lifetime, or until released.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { release(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
    void release() {
        if (active_)
            QGuiApplication::restoreOverrideCursor();
        active_ = false;
    }

private:
    bool active_ = true;
};

// Bytes that were neither UTF-8 nor Shift-JIS show as U+FFFD; saving writes
// that character, so the user hears of it before saving.
QString unreadableNotice() {
    return QStringLiteral("読み込めない文字がありました。その文字は置換文字 (\uFFFD) で表示され、"
                          "保存すると置換文字のまま書き込まれます。");
}

// A save that the chosen encoding refuses; the save dialog follows.
QString unencodableNotice(const UnencodableCharacter& refused) {
    return QString::fromStdString(unencodableText(refused)) +
           QStringLiteral("\n別の文字ｺｰﾄﾞを選んでください。");
}

} // namespace

DocumentCommands::DocumentCommands(MainWindow& window, DocumentServices services)
    : QObject(&window), window_(window), services_(std::move(services)) {
    setObjectName(QStringLiteral("DocumentCommands"));
    if (!services_.fileDialog)
        services_.fileDialog = runFileDialog;
    paneEditor_.setTarget(window_.listPane);
    paneEditor_.setTwipsPerPixelSource(
        [this]() -> Result<double> { return window_.twipsPerPixel(); });
    connectWindow();
    showState();
}

void DocumentCommands::connectWindow() {
    MainWindow& w = window_;
    paneEditor_.onTextChanged(this, [this] { onListPaneChanged(); });
    connect(w.openEntry, &QAction::triggered, this, &DocumentCommands::onOpenChosen);
    connect(w.compareEntry, &QAction::triggered, this, &DocumentCommands::onCompareChosen);
    connect(w.saveEntry, &QAction::triggered, this, &DocumentCommands::onSaveChosen);
    connect(w.saveAsEntry, &QAction::triggered, this, &DocumentCommands::onSaveAsChosen);
    connect(w.printEntry, &QAction::triggered, this, &DocumentCommands::onPrintChosen);
    connect(w.pdfEntry, &QAction::triggered, this, &DocumentCommands::onPdfChosen);
    // Exit is this object's command; the window's own connection would close
    // it a second time.
    disconnect(w.exitEntry, &QAction::triggered, &w, &MainWindow::onExitChosen);
    connect(w.exitEntry, &QAction::triggered, this, &DocumentCommands::onExitChosen);
    connect(w.editMenu, &QMenu::aboutToShow, this, &DocumentCommands::onEditMenuOpening);
    for (int index = 1; index < static_cast<int>(w.editEntries.size()); ++index) {
        QAction* item = w.editEntries[index];
        if (item && !item->isSeparator())
            connect(item, &QAction::triggered, this, [this, index] { onEditEntryChosen(index); });
    }
    // The shortcuts of undo and select all act without opening the menu, so
    // the items that follow the pane follow it at once.
    paneEditor_.onEditStateChanged(this, [this] { showPaneItems(); });
    connect(w.copyButton, &QPushButton::clicked, this, &DocumentCommands::onCopyClicked);
    connect(w.clearButton, &QPushButton::clicked, this, &DocumentCommands::onClearClicked);
}

QString DocumentCommands::paneText() const {
    return paneEditor_.text();
}

void DocumentCommands::showState() {
    window_.setWindowTitle(windowTitleFor(state_.title()));
    window_.saveEntry->setEnabled(state_.saveEnabled());
}

void DocumentCommands::onListPaneChanged() {
    state_.changed();
    showState();
}

std::optional<DocumentCommands::ChosenFile>
DocumentCommands::chooseFile(FileDialogRequest::Kind kind) {
    FileDialogRequest request;
    request.kind = kind;
    request.startName = QFile::decodeName(QByteArray::fromStdString(state_.name()));
    request.nameFilters = documentNameFilters();
    if (kind == FileDialogRequest::Kind::Save)
        request.nameFilters.insert(1, QString::fromUtf8(WorkbookFilter));
    request.encoding = window_.saveEncoding;
    const std::optional<FileDialogAnswer> chosen = services_.fileDialog(&window_, request);
    if (!chosen)
        return std::nullopt;
    return ChosenFile{QFile::encodeName(chosen->name).toStdString(),
                      chosen->encoding.value_or(request.encoding), chosen->workbook};
}

void DocumentCommands::onCompareChosen() {
    // The saved list is picked like a file to open; the window makes the
    // list and appends the comparison.
    if (auto chosen = chooseFile(FileDialogRequest::Kind::Open))
        window_.compareWithSavedList(chosen->name);
}

void DocumentCommands::onOpenChosen() {
    const std::optional<ChosenFile> chosen = chooseFile(FileDialogRequest::Kind::Open);
    if (!chosen)
        return;
    state_.nameConfirmed(chosen->name);
    bool unreadable = false;
    TextEncoding found = TextEncoding::Utf8;
    {
        // A large file takes a while to read and lay out.
        BusyCursor busy;
        Failure failed;
        try {
            Status shown = showInPane(state_.name(), unreadable, found);
            if (!shown)
                failed = shown.failure();
        } catch (const std::bad_alloc&) {
            paneEditor_.cancelAppend();
            failed = makeFailure(failure::OutOfMemory, state_.name());
        }
        window_.setStatus(1, "");
        if (failed.number != 0) {
            busy.release();
            if (!isSilentFailure(Command::OpenOrSaveAs, failed.number))
                window_.showFailure(failed);
            return;
        }
    }
    state_.stored();
    showState();
    paneEditor_.setModified(false);
    encoding_ = found;
    if (unreadable)
        window_.presenter().showMessage(&window_, unreadableNotice(),
                                        QString::fromUtf8(ProgramName.data(), ProgramName.size()),
                                        MessageIcon::Warning);
}

Status DocumentCommands::showInPane(const std::string& name, bool& unreadable,
                                    TextEncoding& found) {
    // The file replaces the pane's text as it is read, block by block, with
    // the window repainting and the status bar showing how far it got; what
    // the user does meanwhile waits until the text is in. The old text goes
    // only once the whole file is in: a file that fails on the way leaves
    // the pane as it was.
    Result<DocumentReader> opened = DocumentReader::open(name);
    if (!opened)
        return opened.failure();
    DocumentReader& reader = opened.value();
    paneEditor_.beginAppend(static_cast<std::size_t>(reader.size()));
    QElapsedTimer sinceTurn;
    sinceTurn.start();
    for (;;) {
        Result<std::string_view> piece = reader.next();
        if (!piece) {
            paneEditor_.cancelAppend();
            return piece.failure();
        }
        if (reader.startedOver()) {
            paneEditor_.cancelAppend();
            paneEditor_.beginAppend(static_cast<std::size_t>(reader.size()));
        }
        if (piece.value().empty())
            break;
        paneEditor_.appendPiece(piece.value());
        if (sinceTurn.elapsed() >= MainWindow::ListTurnInterval) {
            const auto percent = static_cast<int>(reader.position() * 100 /
                                                  std::max<std::uint64_t>(reader.size(), 1));
            window_.setStatus(1, "読み込み中... " + std::to_string(percent) + "%");
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            sinceTurn.restart();
        }
    }
    // The title passes through its changed form, as for any new text.
    paneEditor_.finishReplacing();
    unreadable = reader.unreadable();
    found = reader.encoding();
    return Ok{};
}

DocumentCommands::SaveOutcome DocumentCommands::saveTo(const std::string& name,
                                                       TextEncoding encoding, Command command) {
    UnencodableCharacter refused;
    Status written = writeDocumentFile(name, paneEditor_.textBytes(), encoding, &refused);
    if (!written) {
        if (refused.line != 0) {
            window_.presenter().showMessage(
                &window_, unencodableNotice(refused),
                QString::fromUtf8(ProgramName.data(), ProgramName.size()), MessageIcon::Warning);
            return SaveOutcome::Refused;
        }
        if (!isSilentFailure(command, written.failure().number))
            window_.showFailure(written.failure());
        return SaveOutcome::Failed;
    }
    encoding_ = encoding;
    state_.stored();
    showState();
    return SaveOutcome::Saved;
}

void DocumentCommands::onSaveChosen() {
    if (state_.name().empty()) {
        onSaveAsChosen();
        return;
    }
    // Refused by the encoding (the message was shown): the user picks
    // another one in the save dialog.
    if (saveTo(state_.name(), encoding_, Command::Save) == SaveOutcome::Refused)
        onSaveAsChosen();
}

void DocumentCommands::onSaveAsChosen() {
    // Until a save succeeds or the dialog is cancelled: an encoding that
    // cannot hold the text brings the dialog back for another one.
    for (;;) {
        const std::optional<ChosenFile> chosen = chooseFile(FileDialogRequest::Kind::Save);
        if (!chosen)
            return;
        // The workbook is made afresh from the folder and options shown (the
        // pane holds text, not the files' sizes and times); the document
        // keeps its name, so that 「上書き保存」 never writes text into it.
        if (chosen->workbook) {
            window_.saveListAsWorkbook(chosen->name);
            return;
        }
        state_.nameConfirmed(chosen->name);
        window_.saveEncoding = chosen->encoding;
        const SaveOutcome outcome = saveTo(state_.name(), chosen->encoding, Command::OpenOrSaveAs);
        if (outcome == SaveOutcome::Saved)
            paneEditor_.setModified(false);
        if (outcome != SaveOutcome::Refused)
            return;
    }
}

QString DocumentCommands::printTitle() {
    // The document's name, or else the folder the window shows.
    const std::string name = state_.name().empty() ? window_.readRoot().folder : state_.name();
    return QFile::decodeName(QByteArray::fromStdString(name));
}

void DocumentCommands::onPrintChosen() {
    showPrintPreview(&window_, printedListOf(paneEditor_, printTitle()));
}

void DocumentCommands::onPdfChosen() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.nameFilters = {QStringLiteral("PDF(*.pdf)")};
    request.textFile = false;
    const std::optional<FileDialogAnswer> chosen = services_.fileDialog(&window_, request);
    if (!chosen)
        return;
    QString name = chosen->name;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".pdf");
    bool cancelled = false;
    const Status saved = savePdf(&window_, printedListOf(paneEditor_, printTitle()),
                                 QFile::encodeName(name).toStdString(), cancelled);
    if (!saved)
        window_.showFailure(saved.failure());
}

void DocumentCommands::onExitChosen() {
    window_.close();
}

DocumentCommands& attachDocumentCommands(MainWindow& window, DocumentServices services) {
    delete documentCommandsOf(window);
    return *new DocumentCommands(window, std::move(services));
}

DocumentCommands* documentCommandsOf(MainWindow& window) {
    return window.findChild<DocumentCommands*>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace kestro
