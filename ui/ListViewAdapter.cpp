#include "ui/ListViewAdapter.h"

#include "controls/ColorListCtrl.h"

QColor ColourFromRef(std::uint32_t colourRef)
{
    return QColor(static_cast<int>(colourRef & 0xFF), static_cast<int>((colourRef >> 8) & 0xFF),
                  static_cast<int>((colourRef >> 16) & 0xFF));
}

std::uint32_t RefFromColour(const QColor& colour)
{
    return static_cast<std::uint32_t>(colour.red()) | (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

void ListViewAdapter::DeleteAllRows() { list_.DeleteAllRows(); }

void ListViewAdapter::AddRecordingRow(const QString& filePath, const QString& dateText, bool highlighted, int row)
{
    list_.AddRecordingRow(filePath, dateText, highlighted, row);
}

bool ListViewAdapter::SetCellBackground(int row, int column, std::uint32_t colour)
{
    return list_.SetCellBackground(row, ColourFromRef(colour), column) != 0;
}

std::uint32_t ListViewAdapter::WindowColour() const { return RefFromColour(list_.systemColour(ListColour::Window)); }
