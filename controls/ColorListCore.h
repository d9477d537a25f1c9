#pragma once
// The window-free part of the colour list: column widths from percentages, the cells of a
// recording row, the per-row cell colours and the choice of a row's look.

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

/// The colours of one row's cells. Every row of a colour list owns one.
class CMyLParam {
public:
    /// `cellCount` cells with the given background and text colour each (negative counts as 0).
    CMyLParam(int cellCount, QColor windowColour, QColor windowTextColour);
    virtual ~CMyLParam() = default;

    std::uintptr_t savedItemData = 0;  ///< the row's own item data while this object is attached
    QList<QColor> cellBackColours;
    QList<QColor> cellTextColours;
    int cellCount = 0;
};

/// Results of CreateColumns.
enum CreateColumnsResult : int {
    ColumnsCreated = 0,
    ColumnsMissing = 1,         ///< titles or widths were never given
    ColumnTitleCountWrong = 2,  ///< title count differs from the column count
    ColumnWidthCountWrong = 3,  ///< width count differs from the title count
};

/// Checks the column titles and widths before columns are inserted.
CreateColumnsResult CheckColumns(const std::optional<QStringList>& titles,
                                 const std::optional<std::vector<std::uint8_t>>& widths, int columnCount);

/// Column widths: total = list width - 20, width j = total * percentage[j] / 100, truncated.
/// A list narrower than 20 pixels gives columns of width 0.
std::vector<int> ColumnWidths(int listWidth, const std::vector<std::uint8_t>& percentages);

/// The three cells of a recording row: the file title (after the last folder separator, before
/// the last full stop of that part), the first 10 characters of the date-and-time text, and its
/// text from character 11 on.
QStringList RecordingCells(const QString& filePath, const QString& dateText);

/// What led to a row being drawn.
enum class DrawAction { Entire, SelectionChanged, FocusChanged };

/// The four looks of a row: 1 focus row of the focused list, 2 other selected row of the focused
/// list, 3 normal row with its own cell colours, 4 selected row of a list without focus.
int ChooseLook(DrawAction action, bool highlighted, bool listFocused, bool focusRow);

/// The x coordinates of the dotted lines between columns: for each column, the running sum of the
/// widths (starting at minus the horizontal scroll position) minus 1, stopping at the first sum
/// that reaches the right edge.
std::vector<int> GridLineXs(const std::vector<int>& columnWidths, int scrollX, int clientRight);
