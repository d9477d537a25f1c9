#include "WidgetTestSupport.h"

#include "controls/ColorListCtrl.h"

#include <QElapsedTimer>
#include <QHeaderView>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QStringList kTitles = {QStringLiteral("文件名称"), QStringLiteral("日期"), QStringLiteral("时间")};

void Prepare(CColorListCtrl& list, int width)
{
    list.resize(width, 154);
    list.SetColumnTitles(kTitles);
    list.SetColumnWidths({50, 35, 20});
    ASSERT_EQ(list.CreateColumns(), ColumnsCreated);
}

TEST(CColorListCtrl, ColumnsFromPercentages)
{
    CColorListCtrl list;
    Prepare(list, 400);
    ASSERT_EQ(list.header()->count(), 3);
    EXPECT_EQ(list.columnWidth(0), 190);
    EXPECT_EQ(list.columnWidth(1), 133);
    EXPECT_EQ(list.columnWidth(2), 76);
    EXPECT_EQ(list.headerItem()->text(1), QStringLiteral("日期"));
}

TEST(CColorListCtrl, MissingOrMismatchingColumnListsInsertNothing)
{
    CColorListCtrl list;
    list.resize(400, 154);
    EXPECT_EQ(list.CreateColumns(), ColumnsMissing);
    list.SetColumnTitles({QStringLiteral("a"), QStringLiteral("b")});
    list.SetColumnWidths({50, 35, 20});
    EXPECT_EQ(list.CreateColumns(), ColumnTitleCountWrong);
    list.SetColumnTitles(kTitles);
    list.SetColumnWidths({50, 35});
    EXPECT_EQ(list.CreateColumns(), ColumnWidthCountWrong);
    EXPECT_EQ(list.header()->count(), 0);
}

TEST(CColorListCtrl, RowsNeedExactlyOneTextPerColumn)
{
    CColorListCtrl list;
    Prepare(list, 400);
    EXPECT_EQ(list.AddRow({QStringLiteral("a"), QStringLiteral("b")}), -1);
    EXPECT_EQ(list.topLevelItemCount(), 0);
    EXPECT_EQ(list.AddRow({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}), 0);
    EXPECT_EQ(list.AddRow({QStringLiteral("d"), QStringLiteral("e"), QStringLiteral("f")}), 1);
    ASSERT_NE(list.rowColours(1), nullptr);
    EXPECT_EQ(list.rowColours(1)->cellCount, 3);
    EXPECT_EQ(list.rowColours(1)->cellBackColours[0], list.systemColour(ListColour::Window));
    EXPECT_EQ(list.rowColours(1)->cellTextColours[2], list.systemColour(ListColour::WindowText));
    EXPECT_FALSE(list.topLevelItem(1)->isSelected());
}

TEST(CColorListCtrl, RecordingRowWithHighlight)
{
    CColorListCtrl list;
    Prepare(list, 360);
    list.AddRecordingRow(QStringLiteral("/media/rec/FILE0001.MOV"), QStringLiteral("2014-05-06-12:30"), false, 0);
    list.AddRecordingRow(QStringLiteral("/media/rec/FILE0002.MOV"), QStringLiteral("2014-05-06-12:31"), true, 1);
    ASSERT_EQ(list.topLevelItemCount(), 2);
    const QTreeWidgetItem* row = list.topLevelItem(1);
    EXPECT_EQ(row->text(0), QStringLiteral("FILE0002"));
    EXPECT_EQ(row->text(1), QStringLiteral("2014-05-06"));
    EXPECT_EQ(row->text(2), QStringLiteral("12:31"));
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(list.rowColours(1)->cellBackColours[j], QColor(100, 100, 100));
        EXPECT_EQ(list.rowColours(0)->cellBackColours[j], list.systemColour(ListColour::Window));
    }
    // Column 3 lies beyond the three cells and is refused; so are absent rows and columns.
    EXPECT_EQ(list.SetCellBackground(1, Qt::red, 3), 0);
    EXPECT_EQ(list.SetCellBackground(1, Qt::red, -1), 0);
    EXPECT_EQ(list.SetCellBackground(7, Qt::red, 0), 0);
    EXPECT_EQ(list.SetCellBackground(0, Qt::red, 2), 1);
    EXPECT_EQ(list.rowColours(0)->cellBackColours[2], QColor(Qt::red));
    EXPECT_EQ(list.rowColours(1)->cellBackColours[2], QColor(100, 100, 100));

    EXPECT_EQ(list.DeleteAllRows(), 1);
    EXPECT_EQ(list.topLevelItemCount(), 0);
    EXPECT_EQ(list.rowColours(0), nullptr);
}

// The pixel colour in the middle of cell `column` of row `row`, away from the text.
QRgb CellPixel(CColorListCtrl& list, int row, int column)
{
    const QRect r = list.visualItemRect(list.topLevelItem(row));
    const int x = list.header()->sectionViewportPosition(column) + list.columnWidth(column) - 4;
    const QImage img = list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return img.pixel(x, r.center().y());
}

TEST(CColorListCtrl, NormalRowsShowTheirCellColours)
{
    CColorListCtrl list;
    Prepare(list, 360);
    for (int i = 0; i < 3; ++i)
        list.AddRecordingRow(QStringLiteral("/r/F%1.MOV").arg(i), QStringLiteral("2014-05-06-12:3%1").arg(i), i == 1,
                             i);
    list.SetCellBackground(2, QColor(10, 200, 30), 1);
    list.show();
    EXPECT_EQ(list.lookOfRow(1), 3);
    EXPECT_EQ(CellPixel(list, 1, 0), qRgb(100, 100, 100));
    EXPECT_EQ(CellPixel(list, 1, 2), qRgb(100, 100, 100));
    EXPECT_EQ(CellPixel(list, 2, 1), qRgb(10, 200, 30));
    EXPECT_EQ(CellPixel(list, 0, 0), list.systemColour(ListColour::Window).rgb());
    EXPECT_TRUE(list.drawnOnce());
}

TEST(CColorListCtrl, MarkedFilesGetARedCornerWithoutChangingColumns)
{
    CColorListCtrl list;
    Prepare(list, 360);
    for (int i = 0; i < 3; ++i)
        list.AddRecordingRow(QStringLiteral("/r/F%1.MOV").arg(i), QStringLiteral("2014-05-06-12:3%1").arg(i), i == 1,
                             i);
    list.show();
    const std::vector<int> widths = {list.columnWidth(0), list.columnWidth(1), list.columnWidth(2)};
    list.SetMarkedFiles({QStringLiteral("/r/F1.MOV"), QStringLiteral("/r/F2.MOV"), QStringLiteral("/elsewhere.MOV")});
    const QImage img = list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto corner = [&](int row) {
        return img.pixel(list.visualItemRect(list.topLevelItem(row)).topLeft() + QPoint(1, 1));
    };
    EXPECT_NE(corner(0), qRgb(255, 0, 0));
    EXPECT_EQ(corner(1), qRgb(255, 0, 0));  // over the highlight grey too
    EXPECT_EQ(corner(2), qRgb(255, 0, 0));
    EXPECT_FALSE(list.rowMarked(0));
    EXPECT_EQ(CellPixel(list, 1, 0), qRgb(100, 100, 100));  // the rest of the cell keeps its colour
    EXPECT_EQ((std::vector<int>{list.columnWidth(0), list.columnWidth(1), list.columnWidth(2)}), widths);
    // Rows made again (another page) follow the set.
    list.DeleteAllRows();
    list.AddRecordingRow(QStringLiteral("/r/F2.MOV"), QStringLiteral("2014-05-06-12:32"), false, 0);
    EXPECT_TRUE(list.rowMarked(0));
}

TEST(CColorListCtrl, DottedGridLinesBetweenColumns)
{
    CColorListCtrl list;
    Prepare(list, 360);
    list.AddRecordingRow(QStringLiteral("/r/F.MOV"), QStringLiteral("2014-05-06-12:30"), true, 0);
    list.show();
    const QImage img = list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb line = list.systemColour(ListColour::HighlightText).rgb();
    // Inside the grey row the dotted line after column 0 (170 wide) is at x 169.
    const QRect r = list.visualItemRect(list.topLevelItem(0));
    int dots = 0, gaps = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        if (img.pixel(169, y) == line)
            ++dots;
        else if (img.pixel(169, y) == qRgb(100, 100, 100))
            ++gaps;
    }
    EXPECT_GT(dots, 2);
    EXPECT_GT(gaps, 2);
    EXPECT_NE(img.pixel(168, r.center().y()), line);

    list.setGridLines(false);
    const QImage plain = list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = r.top(); y <= r.bottom(); ++y)
        EXPECT_NE(plain.pixel(169, y), line);
}

TEST(CColorListCtrl, LooksFollowSelectionAndFocus)
{
    QWidget window;
    window.resize(800, 200);
    auto* left = new CColorListCtrl(&window);
    auto* right = new CColorListCtrl(&window);
    left->setGeometry(0, 0, 360, 154);
    right->setGeometry(360, 0, 360, 154);
    for (CColorListCtrl* list : {left, right}) {
        list->SetColumnTitles(kTitles);
        list->SetColumnWidths({50, 35, 20});
        list->CreateColumns();
        for (int i = 0; i < 3; ++i)
            list->AddRecordingRow(QStringLiteral("/r/F%1.MOV").arg(i), QStringLiteral("2014-05-06-12:3%1").arg(i),
                                  false, i);
    }
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    QElapsedTimer waited;
    waited.start();
    while (!window.isActiveWindow() && waited.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    left->setFocus();
    left->setCurrentItem(left->topLevelItem(1));
    left->topLevelItem(2)->setSelected(true);  // left has single selection: this replaces row 1
    left->setSelectionMode(QAbstractItemView::ExtendedSelection);
    left->topLevelItem(1)->setSelected(true);
    left->topLevelItem(2)->setSelected(true);
    if (!left->hasFocus())
        GTEST_SKIP() << "the window system gave no keyboard focus";

    EXPECT_EQ(left->lookOfRow(1), 1);  // focus row of the focused list
    EXPECT_EQ(left->lookOfRow(2), 2);  // other selected row
    EXPECT_EQ(left->lookOfRow(0), 3);
    EXPECT_EQ(CellPixel(*left, 2, 0), left->systemColour(ListColour::ActiveCaption).rgb());

    // Clicking into the other list: the first list's selected rows turn to look 4 and the focus
    // row loses its mark.
    right->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(left->lookOfRow(1), 4);
    EXPECT_EQ(left->lookOfRow(2), 4);
    EXPECT_EQ(CellPixel(*left, 2, 0), left->systemColour(ListColour::InactiveCaption).rgb());
    EXPECT_NE(left->systemColour(ListColour::InactiveCaption), left->systemColour(ListColour::ActiveCaption));
    EXPECT_EQ(right->lookOfRow(1), 3);
}

}  // namespace
