#pragma once

#include <QTableWidget>

#include <string>
#include <string_view>

// The report-view list of the Channels dialog: rows of text cells under a
// header, one row selectable at a time, the text of column 0 (the name)
// editable in place (click on the selected row, or F2), the header not
// sortable. Texts are Windows-1252 bytes; they are shown and edited as text.
// GUI thread only.
class ChannelListCtrl : public QTableWidget {
    Q_OBJECT

public:
    enum class Alignment { Left = 0, Right = 1 };

    explicit ChannelListCtrl(QWidget* parent = nullptr);

    // Adds a column at `column` (0 ... column count) with a heading and a
    // width in pixels; returns its index, or -1 for a negative `column`.
    int InsertColumn(int column, std::string_view heading, int width_px, Alignment alignment);

    // `subItem` 0: inserts a new row at `index` (-1 or beyond the end:
    // append) with `text` in column 0; a scrolled view keeps the same row at
    // its top. Returns the new row's index, -1 when `index` is below -1.
    // `subItem` > 0: sets that cell of row `index` (when both exist) and
    // returns `index`.
    int InsertItem(int index, int subItem, std::string_view text);

    // Sizes `column` (all columns when negative) to its contents: the larger
    // of contents + 5 and contents-or-heading, at least 10, plus 10. When the
    // columns then overflow the view by d pixels, `fillColumn` (-1: none) is
    // narrowed by d, to no less than 10 pixels.
    void AutoSizeColumns(int column, int fillColumn);

    // The selected row, or -1.
    int GetSelectedItem() const;

    // The text of a cell as bytes ("" for a missing cell).
    std::string ItemText(int index, int subItem) const;

signals:
    // The user finished editing the name of row `index`.
    void NameEdited(int index, const std::string& name);

protected:
    void commitData(QWidget* editor) override;

private:
    QTableWidgetItem* MakeItem(int column, std::string_view text) const;
    void KeepTopRow(QTableWidgetItem* topItem);
    int TextWidth(const QString& text) const;
    int HeadingWidth(int column) const;
    int AutoWidth(int column) const;
};
