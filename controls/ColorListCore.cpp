#include "controls/ColorListCore.h"

#include <algorithm>

CMyLParam::CMyLParam(int count, QColor windowColour, QColor windowTextColour) : cellCount(std::max(count, 0))
{
    cellBackColours.fill(windowColour, cellCount);
    cellTextColours.fill(windowTextColour, cellCount);
}

CreateColumnsResult CheckColumns(const std::optional<QStringList>& titles,
                                 const std::optional<std::vector<std::uint8_t>>& widths, int columnCount)
{
    if (!titles || !widths)
        return ColumnsMissing;
    if (titles->size() != columnCount)
        return ColumnTitleCountWrong;
    if (static_cast<qsizetype>(widths->size()) != titles->size())
        return ColumnWidthCountWrong;
    return ColumnsCreated;
}

std::vector<int> ColumnWidths(int listWidth, const std::vector<std::uint8_t>& percentages)
{
    const long long total = std::max(0LL, static_cast<long long>(listWidth) - 20);
    std::vector<int> widths;
    widths.reserve(percentages.size());
    for (std::uint8_t percent : percentages)
        widths.push_back(static_cast<int>(total * percent / 100));
    return widths;
}

QStringList RecordingCells(const QString& filePath, const QString& dateText)
{
    QString title = filePath.mid(filePath.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = title.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        title.truncate(dot);
    return {title, dateText.left(10), dateText.mid(11)};
}

int ChooseLook(DrawAction action, bool highlighted, bool listFocused, bool focusRow)
{
    switch (action) {
    case DrawAction::FocusChanged:
        if (!listFocused)
            return 4;
        return focusRow ? 1 : highlighted ? 2 : 3;
    case DrawAction::SelectionChanged:
        if (highlighted)
            return listFocused ? 2 : 4;
        return 3;
    case DrawAction::Entire: break;
    }
    if (!listFocused)
        return highlighted ? 4 : 3;
    return focusRow ? 1 : highlighted ? 2 : 3;
}

std::vector<int> GridLineXs(const std::vector<int>& columnWidths, int scrollX, int clientRight)
{
    std::vector<int> xs;
    long long x = -static_cast<long long>(scrollX);
    for (int w : columnWidths) {
        x += w;
        if (x >= clientRight)
            break;
        xs.push_back(static_cast<int>(x - 1));
    }
    return xs;
}
