#include "ui/pane_actions.h"

#include "listgen/name_helpers.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "ui/document_commands.h"
#include "ui/list_pane_editor.h"
#include "ui/main_window.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

#include <algorithm>

namespace kestro {

namespace {

constexpr auto ProgramTitle = "Kestro";
constexpr auto TrashTitle = "ごみ箱へ移動";
// How many files a question names before it counts the rest.
constexpr std::size_t NamedFiles = 15;

QString uiText(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// How a path is named in a message: control characters as pictures, bytes
// that are no characters as U+FFFD.
std::string named(const std::string& path) {
    return paneForm(showingControls(path));
}

std::string folderOf(const std::string& file) {
    const std::size_t last = file.find_last_of(PathSeparators);
    return last == std::string::npos ? std::string(".") : file.substr(0, last + 1);
}

} // namespace

PaneActions::PaneActions(MainWindow& window, PaneActionServices services)
    : QObject(&window), window_(window), services_(std::move(services)) {
    setObjectName(QStringLiteral("paneActions"));
    if (!services_.showInFileManager)
        services_.showInFileManager = showItemsOnSessionBus;
    if (!services_.openFolder)
        services_.openFolder = [](const std::string& folder) { shellOpen(folder); };

    menu_ = new QMenu(&window);
    menu_->setObjectName(QStringLiteral("paneMenu"));
    auto add = [this](const char* name, const char* caption, void (PaneActions::*slot)()) {
        QAction* action = menu_->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromUtf8(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    openAction = add("openFileEntry", "開く(&O)", &PaneActions::onOpenChosen);
    openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    showFolderAction = add("showFolderEntry", "ﾌｫﾙﾀﾞを開く(&F)", &PaneActions::onShowFolderChosen);
    copyPathAction = add("copyPathEntry", "ﾊﾟｽをｺﾋﾟｰ(&L)", &PaneActions::onCopyPathChosen);
    printAction = add("printFileEntry", "印刷(&P)", &PaneActions::onPrintChosen);
    menu_->addSeparator();
    trashAction = add("trashFileEntry", "ごみ箱へ移動(&T)", &PaneActions::onTrashChosen);
    // The Edit menu's entries follow, as the pane's own menu had them.
    menu_->addSeparator();
    for (QAction* entry : window.editEntries) {
        if (entry)
            menu_->addAction(entry);
    }

    ListPaneEditor pane(window.listPane);
    pane.onContextMenu(this, [this](const QPoint& point) { showMenu(point); });
    // A double click also selects a word: on a line that is no file line
    // that is all it does.
    pane.onDoubleClick(this,
                       [this](int) { runFileOperation(&FileInfo::execute, "開きます", true); });
    pane.onKeys(QKeySequence(Qt::CTRL | Qt::Key_Return), this, [this] { onOpenChosen(); });
    pane.onKeys(QKeySequence(Qt::CTRL | Qt::Key_Enter), this, [this] { onOpenChosen(); });
}

PaneActions::~PaneActions() {
    delete menu_;
}

void PaneActions::showMenu(const QPoint& point) {
    ListPaneEditor pane(window_.listPane);
    // Asked for outside the selection: the line under the pointer.
    const int line = pane.lineAt(point);
    const auto [first, last] = pane.selectedLines();
    if (line >= 0 && (line < first || line > last))
        pane.moveCaretToLine(line);
    if (DocumentCommands* commands = documentCommandsOf(window_))
        commands->onEditMenuOpening();
    menu_->popup(pane.toGlobal(point));
}

std::vector<LineFile> PaneActions::selectedFiles(bool quietWithoutFiles) {
    ListPaneEditor pane(window_.listPane);
    const auto [first, last] = pane.selectedLines();
    ListedFiles listed(pane.textBytes(), window_.readListOptions(), paneForm);
    std::vector<LineFile> files = listed.filesOf(first, last);
    if (files.empty() && !quietWithoutFiles) {
        window_.presenter().showMessage(&window_,
                                        QStringLiteral("選択した行にﾌｧｲﾙの行がありません。"),
                                        QString::fromUtf8(ProgramTitle), MessageIcon::Warning);
        return files;
    }
    const auto missing = std::find_if(files.begin(), files.end(),
                                      [](const LineFile& file) { return !file.found(); });
    if (files.empty() || missing == files.end())
        return files;
    Failure failure = missing->refusal;
    failure.description += "\r(" + std::to_string(missing->line + 1) + " 行目";
    const auto others =
        std::count_if(missing + 1, files.end(), [](const LineFile& file) { return !file.found(); });
    if (others > 0)
        failure.description += "。ほかに " + std::to_string(others) + " 行";
    failure.description += ")";
    window_.showFailure(failure);
    return {};
}

bool PaneActions::confirmMany(std::size_t count, const char* doing) {
    if (count <= FilesWithoutQuestion)
        return true;
    return window_.presenter().askYesNo(
        &window_, uiText(std::to_string(count) + " 個のﾌｧｲﾙを" + doing + "。よろしいですか?"),
        QString::fromUtf8(ProgramTitle));
}

void PaneActions::runFileOperation(Status (FileInfo::*operation)() const, const char* doing,
                                   bool quietWithoutFiles) {
    const std::vector<LineFile> files = selectedFiles(quietWithoutFiles);
    if (files.empty() || !confirmMany(files.size(), doing))
        return;
    FileInfo& file = window_.fileObject();
    for (const LineFile& line : files) {
        file.setFileName(line.file);
        if (Status done = (file.*operation)(); !done) {
            window_.showFailure(done.failure());
            return;
        }
    }
}

void PaneActions::onOpenChosen() {
    runFileOperation(&FileInfo::execute, "開きます");
}

void PaneActions::onPrintChosen() {
    runFileOperation(&FileInfo::print, "印刷します");
}

void PaneActions::onShowFolderChosen() {
    const std::vector<LineFile> files = selectedFiles();
    if (files.empty())
        return;
    std::vector<std::string> paths;
    std::vector<std::string> folders;
    for (const LineFile& line : files) {
        paths.push_back(line.file);
        if (std::find(folders.begin(), folders.end(), folderOf(line.file)) == folders.end())
            folders.push_back(folderOf(line.file));
    }
    if (!confirmMany(folders.size(), "含むﾌｫﾙﾀﾞを開きます") || services_.showInFileManager(paths))
        return;
    for (const std::string& folder : folders)
        services_.openFolder(folder);
}

void PaneActions::onCopyPathChosen() {
    const std::vector<LineFile> files = selectedFiles();
    QString text;
    for (const LineFile& line : files) {
        // The clipboard holds characters, one path a line.
        if (!isValidUtf8(line.file) || line.file.find_first_of("\r\n") != std::string::npos) {
            Failure failure = makeFailure(failure::BadFileName);
            failure.description = "「" + named(line.file) +
                                  "」のﾊﾟｽは改行か文字でないﾊﾞｲﾄを含むため、ｺﾋﾟｰできません。";
            window_.showFailure(failure);
            return;
        }
        text += uiText(line.file) + QLatin1Char('\n');
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!files.empty() && clipboard)
        clipboard->setText(text);
}

void PaneActions::onTrashChosen() {
    const std::vector<LineFile> files = selectedFiles();
    if (files.empty())
        return;
    std::string question =
        "次の " + std::to_string(files.size()) + " 個のﾌｧｲﾙをごみ箱へ移動します。よろしいですか?\r";
    for (std::size_t i = 0; i < files.size() && i < NamedFiles; ++i) {
        question += '\r';
        question += named(files[i].file);
    }
    if (files.size() > NamedFiles)
        question += "\rほか " + std::to_string(files.size() - NamedFiles) + " 個";
    if (!window_.presenter().askYesNo(&window_, uiText(question), QString::fromUtf8(TrashTitle)))
        return;
    FileInfo& file = window_.fileObject();
    std::vector<int> trashed;
    Status outcome = Ok{};
    for (const LineFile& line : files) {
        file.setFileName(line.file);
        outcome = file.moveToTrash();
        if (!outcome)
            break;
        trashed.push_back(line.line);
    }
    ListPaneEditor(window_.listPane).prefixLines(trashed, TrashedMark);
    if (!outcome)
        window_.showFailure(outcome.failure());
}

PaneActions& attachPaneActions(MainWindow& window, PaneActionServices services) {
    delete window.findChild<PaneActions*>(QString(), Qt::FindDirectChildrenOnly);
    return *new PaneActions(window, std::move(services));
}

} // namespace kestro
