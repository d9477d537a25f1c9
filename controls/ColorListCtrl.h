#pragma once
// CColorListCtrl: a report-style list whose rows draw themselves in one of four looks (focus row,
// selected row, normal row with per-cell colours, selected row of an unfocused list), with dotted
// lines between the columns. Every row owns a CMyLParam with its cell colours.

#include "controls/ColorListCore.h"

#include <QSet>
#include <QTreeWidget>

#include <memory>
#include <optional>
#include <vector>

/// The colours a list reads from the platform each time it draws.
enum class ListColour { Window, WindowText, ActiveCaption, InactiveCaption, HighlightText };

class CColorListCtrl : public QTreeWidget {
    Q_OBJECT

public:
    explicit CColorListCtrl(QWidget* parent = nullptr);
    ~CColorListCtrl() override;

    /// The grey of the highlighted (playing) recording's cells.
    static inline const QColor kHighlightGrey{100, 100, 100};

    int SetColumnTitles(const QStringList& titles);
    int SetColumnWidths(const std::vector<std::uint8_t>& percentages);
    /// Inserts the columns: width j = (list width - 20) * percentage j / 100. Returns a
    /// CreateColumnsResult; nothing is inserted unless it is ColumnsCreated.
    int CreateColumns();
    /// Appends a row with exactly columnCount texts; its index, or -1.
    int AddRow(const QStringList& texts);
    /// Appends the row of a recording (file title, date, time); with `highlight` greys the cells
    /// of row `rowIndex`.
    void AddRecordingRow(const QString& filePath, const QString& dateText, bool highlight, int rowIndex);
    /// Sets one cell's background and redraws the row: 1, or 0 when the row has no colours or the
    /// column is not below its cell count.
    int SetCellBackground(int row, const QColor& colour, int column);
    /// Files whose rows carry the event mark: a small red corner at the left of the row, over the
    /// cells, so no column changes its width. Rows added later follow the set too.
    void SetMarkedFiles(QSet<QString> files);
    /// Whether row `row` carries the mark.
    bool rowMarked(int row) const;
    /// Removes every row with its colours. Returns 1.
    int DeleteAllRows();

    /// The colours of row `row`, or null.
    const CMyLParam* rowColours(int row) const;
    /// The look row `row` is drawn with now (1 to 4), or 0 for a row that is not drawn.
    int lookOfRow(int row) const;
    /// A platform colour, read from the palette.
    QColor systemColour(ListColour which) const;

    int columnCount() const { return columnCount_; }
    bool gridLines() const { return gridLines_; }
    void setGridLines(bool on)
    {
        gridLines_ = on;
        viewport()->update();
    }
    bool cellBorders() const { return cellBorders_; }
    void setCellBorders(bool on)
    {
        cellBorders_ = on;
        viewport()->update();
    }
    bool dottedFocus() const { return dottedFocus_; }
    void setDottedFocus(bool on)
    {
        dottedFocus_ = on;
        viewport()->update();
    }
    /// Whether a selected row stays marked (look 4) while the list has no focus; on by default.
    bool showSelectionAlways() const { return showSelectionAlways_; }
    void setShowSelectionAlways(bool on)
    {
        showSelectionAlways_ = on;
        viewport()->update();
    }
    bool drawnOnce() const { return drawnOnce_; }

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CMyLParam* colours(int row) const;
    std::vector<int> currentColumnWidths() const;
    bool isHighlighted(int row) const;
    void RepaintFocusRows();

    int columnCount_ = 3;
    bool gridLines_ = true;
    bool cellBorders_ = false;
    bool dottedFocus_ = false;
    mutable bool drawnOnce_ = false;
    bool showSelectionAlways_ = true;
    std::optional<QStringList> columnTitles_;
    std::optional<std::vector<std::uint8_t>> columnWidths_;
    QSet<QString> markedFiles_;
};
