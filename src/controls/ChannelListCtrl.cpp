#include "controls/ChannelListCtrl.h"

#include "util/Windows1252.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyle>

#include <algorithm>

namespace {
constexpr int kMinimumContent_px = 10;
constexpr int kContentSlack_px = 5;
constexpr int kColumnPadding_px = 10;
}  // namespace

ChannelListCtrl::ChannelListCtrl(QWidget* parent) : QTableWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setSortingEnabled(false);
    setShowGrid(false);
    setWordWrap(false);
    verticalHeader()->hide();
    // One text line per row, as a report view has.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setMinimumSectionSize(kMinimumContent_px);
}

int ChannelListCtrl::InsertColumn(int column, std::string_view heading, int width_px,
                                  Alignment alignment) {
    if (column < 0) {
        return -1;
    }
    column = std::min(column, columnCount());
    insertColumn(column);
    auto* header = new QTableWidgetItem(FromWindows1252(heading));
    const Qt::Alignment horizontal = alignment == Alignment::Right ? Qt::AlignRight : Qt::AlignLeft;
    header->setTextAlignment(horizontal | Qt::AlignVCenter);
    setHorizontalHeaderItem(column, header);
    setColumnWidth(column, width_px);
    return column;
}

QTableWidgetItem* ChannelListCtrl::MakeItem(int column, std::string_view text) const {
    auto* item = new QTableWidgetItem(FromWindows1252(text));
    const QTableWidgetItem* header = horizontalHeaderItem(column);
    const Qt::Alignment alignment = header ? Qt::Alignment::fromInt(header->textAlignment())
                                           : (Qt::AlignLeft | Qt::AlignVCenter);
    item->setTextAlignment(alignment);
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (column == 0) {
        flags |= Qt::ItemIsEditable;
    }
    item->setFlags(flags);
    return item;
}

int ChannelListCtrl::InsertItem(int index, int subItem, std::string_view text) {
    if (subItem != 0) {
        if (index >= 0 && index < rowCount() && subItem < columnCount()) {
            setItem(index, subItem, MakeItem(subItem, text));
        }
        return index;
    }
    if (index < -1) {
        return -1;
    }
    if (index == -1 || index > rowCount()) {
        index = rowCount();
    }
    setUpdatesEnabled(false);
    const int topRow = rowAt(0);
    QTableWidgetItem* topItem = topRow > 0 ? item(topRow, 0) : nullptr;
    insertRow(index);
    setItem(index, 0, MakeItem(0, text));
    KeepTopRow(topItem);
    setUpdatesEnabled(true);
    return index;
}

// A row inserted above the top of a scrolled view would push the rows the
// user is looking at down; scroll so that the same row stays at the top. An
// unscrolled view shows a new first row.
void ChannelListCtrl::KeepTopRow(QTableWidgetItem* topItem) {
    if (topItem == nullptr || item(rowAt(0), 0) == topItem) {
        return;
    }
    updateGeometries();
    scrollToItem(topItem, QAbstractItemView::PositionAtTop);
}

int ChannelListCtrl::TextWidth(const QString& text) const {
    if (text.isEmpty()) {
        return 0;
    }
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return fontMetrics().horizontalAdvance(text) + 2 * margin;
}

int ChannelListCtrl::HeadingWidth(int column) const {
    const QTableWidgetItem* header = horizontalHeaderItem(column);
    if (header == nullptr || header->text().isEmpty()) {
        return 0;
    }
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    return horizontalHeader()->fontMetrics().horizontalAdvance(header->text()) + 2 * margin;
}

int ChannelListCtrl::AutoWidth(int column) const {
    int contents = 0;
    for (int row = 0; row < rowCount(); ++row) {
        if (const QTableWidgetItem* cell = item(row, column)) {
            contents = std::max(contents, TextWidth(cell->text()));
        }
    }
    const int withHeading = std::max(contents, HeadingWidth(column));
    return std::max({contents + kContentSlack_px, withHeading, kMinimumContent_px});
}

void ChannelListCtrl::AutoSizeColumns(int column, int fillColumn) {
    setUpdatesEnabled(false);
    const int first = column < 0 ? 0 : column;
    const int last = column < 0 ? columnCount() - 1 : std::min(column, columnCount() - 1);
    int total = 0;
    for (int i = first; i <= last; ++i) {
        const int width = AutoWidth(i) + kColumnPadding_px;
        setColumnWidth(i, width);
        total += width;
    }
    const int available = viewport()->width();
    if (total > available && fillColumn >= 0 && fillColumn < columnCount()) {
        const int narrowed = AutoWidth(fillColumn) + kColumnPadding_px - (total - available);
        setColumnWidth(fillColumn, std::max(narrowed, kMinimumContent_px));
    }
    setUpdatesEnabled(true);
}

int ChannelListCtrl::GetSelectedItem() const {
    int first = -1;
    for (const QModelIndex& cell : selectionModel()->selectedIndexes()) {
        first = first == -1 ? cell.row() : std::min(first, cell.row());
    }
    return first;
}

std::string ChannelListCtrl::ItemText(int index, int subItem) const {
    const QTableWidgetItem* cell = item(index, subItem);
    return cell ? ToWindows1252(cell->text()) : std::string();
}

void ChannelListCtrl::commitData(QWidget* editor) {
    QTableWidget::commitData(editor);
    const int row = currentRow();
    if (row >= 0) {
        emit NameEdited(row, ItemText(row, 0));
    }
}
