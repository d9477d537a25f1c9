#include "controls/ColorListCtrl.h"

#include "controls/MemDCVindrel.h"
#include "controls/Skin.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>

namespace {

// The file a recording row shows, kept with its first cell.
constexpr int kFilePathRole = Qt::UserRole + 1;

// A row of the list; it owns the colours of its cells.
class ColorListItem : public QTreeWidgetItem {
public:
    ColorListItem(const QStringList& texts, std::unique_ptr<CMyLParam> colours)
        : QTreeWidgetItem(texts), colours_(std::move(colours))
    {
        setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    }
    CMyLParam* colours() const { return colours_.get(); }

private:
    std::unique_ptr<CMyLParam> colours_;
};

}  // namespace

CColorListCtrl::CColorListCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setColumnCount(0);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

CColorListCtrl::~CColorListCtrl() { DeleteAllRows(); }

QColor CColorListCtrl::systemColour(ListColour which) const
{
    const QPalette& p = palette();
    switch (which) {
    case ListColour::Window: return p.color(QPalette::Active, QPalette::Base);
    case ListColour::WindowText: return p.color(QPalette::Active, QPalette::Text);
    case ListColour::ActiveCaption: return p.color(QPalette::Active, QPalette::Highlight);
    case ListColour::InactiveCaption: {
        // The inactive selection colour where the platform has a distinct one, else a grey that
        // still tells the row apart.
        const QColor inactive = p.color(QPalette::Inactive, QPalette::Highlight);
        return inactive != p.color(QPalette::Active, QPalette::Highlight)
                   ? inactive
                   : p.color(QPalette::Active, QPalette::Midlight);
    }
    case ListColour::HighlightText: return p.color(QPalette::Active, QPalette::HighlightedText);
    }
    return {};
}

int CColorListCtrl::SetColumnTitles(const QStringList& titles)
{
    columnTitles_ = titles;
    return 0;
}

int CColorListCtrl::SetColumnWidths(const std::vector<std::uint8_t>& percentages)
{
    columnWidths_ = percentages;
    return 0;
}

int CColorListCtrl::CreateColumns()
{
    const CreateColumnsResult check = CheckColumns(columnTitles_, columnWidths_, columnCount_);
    if (check != ColumnsCreated)
        return check;
    const std::vector<int> widths = ColumnWidths(width(), *columnWidths_);
    setColumnCount(columnCount_);
    setHeaderLabels(*columnTitles_);
    for (int j = 0; j < columnCount_; ++j) {
        headerItem()->setTextAlignment(j, Qt::AlignLeft | Qt::AlignVCenter);
        setColumnWidth(j, widths[static_cast<std::size_t>(j)]);
    }
    return ColumnsCreated;
}

int CColorListCtrl::AddRow(const QStringList& texts)
{
    if (texts.size() != columnCount_)
        return -1;
    auto colours = std::make_unique<CMyLParam>(columnCount_, systemColour(ListColour::Window),
                                               systemColour(ListColour::WindowText));
    auto* item = new ColorListItem(texts, std::move(colours));
    addTopLevelItem(item);  // the list owns the item
    item->setSelected(false);
    return indexOfTopLevelItem(item);
}

void CColorListCtrl::SetMarkedFiles(QSet<QString> files)
{
    markedFiles_ = std::move(files);
    viewport()->update();
}

bool CColorListCtrl::rowMarked(int row) const
{
    const QTreeWidgetItem* it = topLevelItem(row);
    return it && markedFiles_.contains(it->data(0, kFilePathRole).toString());
}

void CColorListCtrl::AddRecordingRow(const QString& filePath, const QString& dateText, bool highlight, int rowIndex)
{
    if (const int added = AddRow(RecordingCells(filePath, dateText)); added >= 0)
        topLevelItem(added)->setData(0, kFilePathRole, filePath);
    if (!highlight)
        return;
    // Column 3 is asked for as well and refused: rows have three cells.
    for (int column = 3; column >= 0; --column) {
        const CMyLParam* c = colours(rowIndex);
        if (c && c->cellCount > column)
            SetCellBackground(rowIndex, kHighlightGrey, column);
    }
}

int CColorListCtrl::SetCellBackground(int row, const QColor& colour, int column)
{
    CMyLParam* c = colours(row);
    if (!c || column < 0 || column >= c->cellCount)
        return 0;
    c->cellBackColours[column] = colour;
    if (QTreeWidgetItem* it = topLevelItem(row)) {
        const QRect r = visualItemRect(it);
        viewport()->update(0, r.top(), viewport()->width(), r.height());
    }
    return 1;
}

int CColorListCtrl::DeleteAllRows()
{
    // Each item deletes its colours with itself.
    while (topLevelItemCount() > 0)
        delete takeTopLevelItem(0);
    return 1;
}

CMyLParam* CColorListCtrl::colours(int row) const
{
    if (row < 0 || row >= topLevelItemCount())
        return nullptr;
    auto* item = dynamic_cast<ColorListItem*>(topLevelItem(row));
    return item ? item->colours() : nullptr;
}

const CMyLParam* CColorListCtrl::rowColours(int row) const { return colours(row); }

std::vector<int> CColorListCtrl::currentColumnWidths() const
{
    std::vector<int> widths;
    for (int j = 0; j < header()->count(); ++j)
        widths.push_back(header()->sectionSize(header()->logicalIndex(j)));
    return widths;
}

bool CColorListCtrl::isHighlighted(int row) const
{
    const QTreeWidgetItem* it = topLevelItem(row);
    if (!it || !it->isSelected())
        return false;
    return hasFocus() || showSelectionAlways_;
}

int CColorListCtrl::lookOfRow(int row) const
{
    if (!colours(row))
        return 0;
    const bool focusRow = currentIndex().isValid() && currentIndex().row() == row;
    return ChooseLook(DrawAction::Entire, isHighlighted(row), hasFocus(), focusRow);
}

void CColorListCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    drawnOnce_ = true;
    const int row = index.row();
    const CMyLParam* c = colours(row);
    if (!c)
        return;
    const int look = lookOfRow(row);

    const std::vector<int> widths = currentColumnWidths();
    int total = 0;
    for (int w : widths)
        total += w;
    const QRect bounds(-header()->offset(), option.rect.top(), total, option.rect.height());

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setFont(font());
    const auto cellRect = [&](int j) {
        int x = bounds.left();
        for (int k = 0; k < j; ++k)
            x += widths[static_cast<std::size_t>(k)];
        return QRect(x, bounds.top(), widths[static_cast<std::size_t>(j)], bounds.height());
    };
    const auto drawTexts = [&](const QColor& textColour, const QList<QColor>* perCell) {
        for (int j = 0; j < static_cast<int>(widths.size()); ++j) {
            const QRect text = cellRect(j).adjusted(1, 1, -1, -1);
            QColor colour = textColour;
            if (perCell)
                colour = j < c->cellCount ? (*perCell)[j] : systemColour(ListColour::WindowText);
            painter->setPen(colour);
            painter->save();
            painter->setClipRect(text, Qt::IntersectClip);
            painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                              index.sibling(row, j).data().toString());
            painter->restore();
        }
    };
    const auto dottedFrame = [&](const QColor& colour) {
        painter->setPen(QPen(colour, 0, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(bounds.adjusted(0, 0, -1, -1));
    };

    switch (look) {
    case 1:
    case 2:
        painter->fillRect(bounds, systemColour(ListColour::ActiveCaption));
        if (look == 1) {
            if (dottedFocus_)
                dottedFrame(systemColour(ListColour::HighlightText));
            else
                DrawFocusRectXor(*painter, bounds);
        }
        drawTexts(systemColour(ListColour::HighlightText), nullptr);
        break;
    case 4:
        painter->fillRect(bounds, systemColour(ListColour::InactiveCaption));
        if (!cellBorders_)
            dottedFrame(systemColour(ListColour::InactiveCaption));
        drawTexts(systemColour(ListColour::WindowText), nullptr);
        break;
    default:
        for (int j = 0; j < static_cast<int>(widths.size()); ++j) {
            const QRect cell = cellRect(j);
            painter->fillRect(cell, j < c->cellCount ? c->cellBackColours[j] : systemColour(ListColour::Window));
            if (cellBorders_) {
                painter->setPen(systemColour(ListColour::WindowText));
                painter->setBrush(Qt::NoBrush);
                painter->drawRect(cell.adjusted(0, 0, -1, -1));
            }
        }
        drawTexts(QColor(), &c->cellTextColours);
        break;
    }
    if (!markedFiles_.isEmpty() && rowMarked(row)) {
        // A red corner in the row's top left, drawn over the first cell.
        const int size = std::max(4, bounds.height() / 2);
        const QPoint corner[3] = {bounds.topLeft(), bounds.topLeft() + QPoint(size, 0),
                                  bounds.topLeft() + QPoint(0, size)};
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor::fromRgb(kSkinRed));
        painter->drawPolygon(corner, 3);
    }
    painter->restore();
}

void CColorListCtrl::paintEvent(QPaintEvent* event)
{
    QTreeWidget::paintEvent(event);
    if (!gridLines_ || header()->count() == 0)
        return;
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(systemColour(ListColour::HighlightText), 0, Qt::DotLine));
    // The header is a widget of its own, so the lines run from the top of the rows.
    const int bottom = viewport()->height() - 1;
    for (int x : GridLineXs(currentColumnWidths(), header()->offset(), viewport()->width()))
        painter.drawLine(x, 0, x, bottom);
}

void CColorListCtrl::RepaintFocusRows()
{
    // The looks of the focus row and the selected rows depend on the focus.
    if (const QModelIndex current = currentIndex(); current.isValid())
        viewport()->update(0, visualRect(current).top(), viewport()->width(), visualRect(current).height());
    if (showSelectionAlways_)
        for (QTreeWidgetItem* it : selectedItems())
            viewport()->update(0, visualItemRect(it).top(), viewport()->width(), visualItemRect(it).height());
}

void CColorListCtrl::focusInEvent(QFocusEvent* event)
{
    QTreeWidget::focusInEvent(event);
    RepaintFocusRows();
}

void CColorListCtrl::focusOutEvent(QFocusEvent* event)
{
    QTreeWidget::focusOutEvent(event);
    RepaintFocusRows();
}

void CColorListCtrl::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    if (drawnOnce_)
        viewport()->update();
}
