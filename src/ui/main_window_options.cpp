// MainWindow's option controls, built from the option table: each on the
// page and in the group its row names, in its row's order, and the tab
// order through them. Where a group's rows stand (in twips) is kept here;
// where a single control of the output page stands is kept in its row.

#include "ui/frame_box.h"
#include "ui/main_window.h"
#include "ui/value_check_box.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

#include <algorithm>
#include <charconv>
#include <tuple>

namespace kestro {

namespace {

using G = OptionGroup;

// Rows of check boxes on the pages, and the frames of the columns page.
constexpr int RowHeight = 240;
constexpr int FrameWidth = 1650;
constexpr int FrameGap = 60;
constexpr int FrameInset = 90;
constexpr int FrameBottom = 90;
// The columns page's right-hand column, beyond the frame gap.
constexpr int ColumnListGap = 30;

// The output page's rows: the first row's top, their left edge and the
// page's width they leave free on the right.
constexpr int OutputTop = 150;
constexpr int OutputLeft = 120;
constexpr int OutputRightGap = 240;
constexpr int SeparatorFrameWidth = 2400;
constexpr int SeparatorBoxHeight = 330;
constexpr int SeparatorFrameBottom = 120;

QString viewText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Rows a control takes in its group: a frame's title takes none.
int rowsTaken(const SettingDefinition& row) {
    if (row.place.titlesFrame)
        return 0;
    return row.kind == SettingKind::SizeUnit ? 3 : 1;
}

int rowsIn(OptionGroup group) {
    int rows = 0;
    for (const SettingDefinition* row : rowsOn(OptionPage::Columns)) {
        if (row->place.group == group)
            rows += rowsTaken(*row);
    }
    return rows;
}

// A check box starts at its row's default.
int defaultValue(const SettingDefinition& row) {
    int value = 0;
    std::from_chars(row.defaultText.data(), row.defaultText.data() + row.defaultText.size(), value);
    return value;
}

} // namespace

ValueCheckBox* MainWindow::checkBoxFor(SettingRow row) const {
    const SettingDefinition& definition = definitionOf(row);
    if (definition.kind != SettingKind::CheckBox)
        return nullptr;
    return findChild<ValueCheckBox*>(viewText(definition.control));
}

QWidget* MainWindow::groupWidget(OptionGroup group) const {
    switch (group) {
    case G::PathFrame:
        return pathFrame;
    case G::NameFrame:
        return fileNameFrame;
    case G::SizeFrame:
        return sizeFrame;
    case G::TimeFrame:
        return timeFrame;
    case G::SeparatorFrame:
        return separatorFrame;
    case G::ColumnList:
        return tabPages[0];
    case G::OutputRows:
        return tabPages[1];
    case G::FolderColumn:
    case G::CommandRow:
        return centralWidget();
    case G::None:
        break;
    }
    return nullptr;
}

std::vector<QWidget*> MainWindow::tabStopsOf(const SettingDefinition& row) const {
    switch (row.kind) {
    case SettingKind::SizeUnit:
        return {sizeUnitButtons.begin(), sizeUnitButtons.end()};
    case SettingKind::Separator:
        return {separatorBox};
    default:
        return {findChild<QWidget*>(viewText(row.control))};
    }
}

std::vector<QWidget*> MainWindow::makeOptionControls(const SettingDefinition& row,
                                                     QWidget* parent) {
    switch (row.kind) {
    case SettingKind::CheckBox: {
        auto* box = new ValueCheckBox(viewText(row.place.caption), parent);
        box->setObjectName(viewText(row.control));
        box->setValue(defaultValue(row));
        return {box};
    }
    case SettingKind::SizeUnit: {
        const char* units[] = {"Byte", "KB", "MB"};
        for (int i = 0; i < 3; ++i) {
            sizeUnitButtons[i] = new QRadioButton(QString::fromUtf8(units[i]), parent);
            sizeUnitButtons[i]->setObjectName(viewText(row.control) + QString::number(i));
        }
        sizeUnitButtons[0]->setChecked(true);
        return {sizeUnitButtons.begin(), sizeUnitButtons.end()};
    }
    case SettingKind::Digest:
        hashAlgorithmBox = new QComboBox(parent);
        hashAlgorithmBox->setObjectName(viewText(row.control));
        hashAlgorithmBox->addItems({QStringLiteral("SHA-256"), QStringLiteral("MD5")});
        return {hashAlgorithmBox};
    case SettingKind::Separator:
        // The box stands in its frame; the frame stands among the rows.
        separatorFrame = new FrameBox(QStringLiteral("区切り文字"), parent);
        separatorFrame->setObjectName(QStringLiteral("separatorFrame"));
        separatorBox = new QComboBox(separatorFrame);
        separatorBox->setObjectName(viewText(row.control));
        separatorBox->setEditable(true);
        separatorBox->setInsertPolicy(QComboBox::NoInsert);
        return {separatorFrame};
    default:
        return {};
    }
}

// Four frames in a two-by-two grid, each as high as the most rows of its
// line of the grid, and a column beside them. The path and size frames have
// no caption of their own: their title boxes stand on the frame line where
// the other two show their captions.
void MainWindow::buildColumnsPage() {
    QWidget* page = tabPages[0];
    auto* nameFrame = new FrameBox(QStringLiteral("ﾌｧｲﾙ名"), page);
    fileNameFrame = nameFrame;
    timeFrame = new FrameBox(QStringLiteral("ﾀｲﾑｽﾀﾝﾌﾟ"), page);
    pathFrame = new FrameBox(page);
    sizeFrame = new FrameBox(page);
    fileNameFrame->setObjectName(QStringLiteral("fileNameFrame"));
    timeFrame->setObjectName(QStringLiteral("timeFrame"));
    pathFrame->setObjectName(QStringLiteral("pathFrame"));
    sizeFrame->setObjectName(QStringLiteral("sizeFrame"));

    const int rowHeight = toPixels(RowHeight);
    const int boxHalf = rowHeight / 2;
    const int frameWidth = toPixels(FrameWidth);
    const int leftFrameX = toPixels(FrameGap);
    const int middleFrameX = leftFrameX + frameWidth + toPixels(FrameGap);
    const int lineTop = nameFrame->lineTop();
    const int firstRow = nameFrame->contentTop();
    const QRect caption = nameFrame->captionPlace();
    const int upperRows = std::max(rowsIn(G::PathFrame), rowsIn(G::NameFrame));
    const int lowerRows = std::max(rowsIn(G::SizeFrame), rowsIn(G::TimeFrame));
    const int upperHeight = firstRow + upperRows * rowHeight + toPixels(FrameBottom);
    const int lowerHeight = firstRow + lowerRows * rowHeight + toPixels(FrameBottom);
    const int upperTop = std::max(toPixels(30), boxHalf - lineTop);
    const int lowerTop = upperTop + upperHeight + toPixels(FrameGap);
    for (auto [frame, x, y, height] :
         {std::tuple{pathFrame, leftFrameX, upperTop, upperHeight},
          std::tuple{fileNameFrame, middleFrameX, upperTop, upperHeight},
          std::tuple{sizeFrame, leftFrameX, lowerTop, lowerHeight},
          std::tuple{timeFrame, middleFrameX, lowerTop, lowerHeight}})
        frame->setGeometry(x, y, frameWidth, height);

    const int inset = toPixels(FrameInset);
    const int columnX = middleFrameX + frameWidth + toPixels(FrameGap + ColumnListGap);
    int columnY = upperTop + firstRow;
    std::vector<std::pair<QWidget*, int>> frameRows; // each frame's next row
    auto nextRowOf = [&](QWidget* frame) -> int& {
        for (auto& [known, y] : frameRows) {
            if (known == frame)
                return y;
        }
        return frameRows.emplace_back(frame, firstRow).second;
    };
    for (const SettingDefinition* row : rowsOn(OptionPage::Columns)) {
        QWidget* group = groupWidget(row->place.group);
        if (row->place.group == G::ColumnList) {
            for (QWidget* control : makeOptionControls(*row, page)) {
                if (control != hashAlgorithmBox) {
                    control->setGeometry(columnX, columnY, page->width() - columnX - 1, rowHeight);
                    columnY += rowHeight;
                    continue;
                }
                // The algorithm under its check box, indented like a frame's
                // rows as far as the page leaves room for its longest name.
                const QSize hint = control->sizeHint();
                const int right = page->width() - toPixels(FrameGap);
                const int left = std::max(0, std::min(columnX + inset, right - hint.width()));
                control->setGeometry(left, columnY, std::max(right - left, hint.width()),
                                     hint.height());
                columnY += hint.height();
            }
        } else if (row->place.titlesFrame) {
            // On the line of its frame, in a caption's place.
            for (QWidget* control : makeOptionControls(*row, page)) {
                control->setGeometry(group->x() + caption.left(), group->y() + lineTop - boxHalf,
                                     control->sizeHint().width() + 2, rowHeight);
                control->setAutoFillBackground(true);
                control->raise();
            }
        } else {
            int& y = nextRowOf(group);
            for (QWidget* control : makeOptionControls(*row, group)) {
                control->setGeometry(inset, y, group->width() - inset - 2, rowHeight);
                y += rowHeight;
            }
        }
    }

    // The initial enabled states are those of the interlocks for the
    // initial values: path and size clear.
    pathFrame->setEnabled(false);
    for (QWidget* control : pathFrame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        control->setEnabled(false);
    for (QRadioButton* unit : sizeUnitButtons)
        unit->setEnabled(false);
}

// Rows one under another, each as far below its row as its own row says,
// or below the control before it.
void MainWindow::buildOutputPage() {
    QWidget* page = tabPages[1];
    const int rowHeight = toPixels(RowHeight);
    const int inset = toPixels(FrameInset);
    const int rowsWidth = page->width() - toPixels(OutputRightGap);
    int place = 0;
    const QWidget* previous = nullptr;
    for (const SettingDefinition* row : rowsOn(OptionPage::Output)) {
        const ControlPlace& at = row->place;
        const int top = at.belowPrevious && previous
                            ? previous->geometry().bottom() + toPixels(at.drop)
                            : toPixels(OutputTop) + place * rowHeight + toPixels(at.drop);
        const int left = toPixels(OutputLeft + at.indent);
        for (QWidget* control : makeOptionControls(*row, page)) {
            if (control == separatorFrame) {
                const int firstRow = static_cast<FrameBox*>(separatorFrame)->contentTop();
                control->setGeometry(left, top, toPixels(SeparatorFrameWidth),
                                     firstRow +
                                         toPixels(SeparatorBoxHeight + SeparatorFrameBottom));
                separatorBox->setGeometry(inset, firstRow, control->width() - 2 * inset,
                                          toPixels(SeparatorBoxHeight));
            } else {
                control->setGeometry(left, top, rowsWidth - toPixels(at.indent), rowHeight);
            }
            previous = control;
            ++place;
        }
    }
}

// Tab goes the way the eye reads the window: the folder column, the tab
// strip and its page (each master box before its sub-options), the command
// row, the pane. Enter presses a focused command button, as Space does.
void MainWindow::orderTabStops() {
    std::vector<QWidget*> order{driveList};
    auto addRows = [&](OptionPage page, OptionGroup group) {
        for (const SettingDefinition* row : rowsOn(page)) {
            if (group == G::None || row->place.group == group) {
                const std::vector<QWidget*> stops = tabStopsOf(*row);
                order.insert(order.end(), stops.begin(), stops.end());
            }
        }
    };
    addRows(OptionPage::Window, G::FolderColumn);
    order.push_back(tabStrip);
    addRows(OptionPage::Columns, G::None);
    addRows(OptionPage::Output, G::None);
    order.insert(order.end(), {createButton, abortButton, copyButton, clearButton});
    addRows(OptionPage::Window, G::CommandRow);
    order.push_back(listPane);
    QWidget* previous = nullptr;
    for (QWidget* widget : order) {
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
    for (QPushButton* button : {createButton, copyButton, clearButton, abortButton})
        button->setAutoDefault(true);
}

} // namespace kestro
