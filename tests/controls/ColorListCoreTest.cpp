#include "controls/ColorListCore.h"

#include <gtest/gtest.h>

namespace {

TEST(ColumnWidths, PercentagesOfTheListWidthLessTwenty)
{
    // 380 x 50 / 100, 380 x 35 / 100, 380 x 20 / 100
    EXPECT_EQ(ColumnWidths(400, {50, 35, 20}), (std::vector<int>{190, 133, 76}));
    // 340 x 35 / 100 = 119 exactly; 340 x 20 / 100 = 68
    EXPECT_EQ(ColumnWidths(360, {50, 35, 20}), (std::vector<int>{170, 119, 68}));
    // truncated: 81 x 35 / 100 = 28.35
    EXPECT_EQ(ColumnWidths(101, {50, 35, 20}), (std::vector<int>{40, 28, 16}));
    EXPECT_EQ(ColumnWidths(10, {50, 35, 20}), (std::vector<int>{0, 0, 0}));
}

TEST(CheckColumns, ReportsMissingAndMismatchingLists)
{
    const QStringList three = {"File Name", "Date", "Time"};
    const std::vector<std::uint8_t> widths = {50, 35, 20};
    EXPECT_EQ(CheckColumns(std::nullopt, widths, 3), ColumnsMissing);
    EXPECT_EQ(CheckColumns(three, std::nullopt, 3), ColumnsMissing);
    EXPECT_EQ(CheckColumns(QStringList{"a", "b"}, widths, 3), ColumnTitleCountWrong);
    EXPECT_EQ(CheckColumns(three, std::vector<std::uint8_t>{50, 50}, 3), ColumnWidthCountWrong);
    EXPECT_EQ(CheckColumns(three, widths, 3), ColumnsCreated);
}

TEST(RecordingCells, TitleDateAndTime)
{
    EXPECT_EQ(RecordingCells("/media/rec/FILE0001.MOV", "2014-05-06-12:30"),
              (QStringList{"FILE0001", "2014-05-06", "12:30"}));
    EXPECT_EQ(RecordingCells("/media/rec/trip.2014.MOV", "2014-05-06-12:30:45"),
              (QStringList{"trip.2014", "2014-05-06", "12:30:45"}));
    EXPECT_EQ(RecordingCells("/media/rec/NODOT", ""), (QStringList{"NODOT", "", ""}));
    EXPECT_EQ(RecordingCells("/media/re.c/FILE", "2014"), (QStringList{"FILE", "2014", ""}));
    EXPECT_EQ(RecordingCells(QString::fromUtf8("/媒体/行车 1.mp4"), "2014-05-06-08:01"),
              (QStringList{QString::fromUtf8("行车 1"), "2014-05-06", "08:01"}));
}

TEST(CMyLParam, StartsWithTheWindowColours)
{
    const CMyLParam p(3, QColor(255, 255, 255), QColor(0, 0, 0));
    EXPECT_EQ(p.cellCount, 3);
    EXPECT_EQ(p.savedItemData, 0u);
    ASSERT_EQ(p.cellBackColours.size(), 3);
    ASSERT_EQ(p.cellTextColours.size(), 3);
    EXPECT_EQ(p.cellBackColours[2], QColor(255, 255, 255));
    EXPECT_EQ(p.cellTextColours[0], QColor(0, 0, 0));
    EXPECT_EQ(CMyLParam(-1, Qt::white, Qt::black).cellCount, 0);
}

TEST(ChooseLook, DrawingTheWholeRow)
{
    // focused list: focus row 1, other selected row 2, else 3
    EXPECT_EQ(ChooseLook(DrawAction::Entire, true, true, true), 1);
    EXPECT_EQ(ChooseLook(DrawAction::Entire, false, true, true), 1);
    EXPECT_EQ(ChooseLook(DrawAction::Entire, true, true, false), 2);
    EXPECT_EQ(ChooseLook(DrawAction::Entire, false, true, false), 3);
    // list without focus: selected 4, else 3, whatever the focus row
    EXPECT_EQ(ChooseLook(DrawAction::Entire, true, false, true), 4);
    EXPECT_EQ(ChooseLook(DrawAction::Entire, false, false, true), 3);
}

TEST(ChooseLook, FocusAndSelectionChanges)
{
    EXPECT_EQ(ChooseLook(DrawAction::FocusChanged, false, false, false), 4);
    EXPECT_EQ(ChooseLook(DrawAction::FocusChanged, true, true, true), 1);
    EXPECT_EQ(ChooseLook(DrawAction::FocusChanged, true, true, false), 2);
    EXPECT_EQ(ChooseLook(DrawAction::FocusChanged, false, true, false), 3);
    EXPECT_EQ(ChooseLook(DrawAction::SelectionChanged, true, false, true), 4);
    EXPECT_EQ(ChooseLook(DrawAction::SelectionChanged, true, true, true), 2);
    EXPECT_EQ(ChooseLook(DrawAction::SelectionChanged, false, true, true), 3);
}

TEST(GridLines, FollowTheColumnsAndTheScrollPosition)
{
    const std::vector<int> widths = {190, 133, 76};
    EXPECT_EQ(GridLineXs(widths, 0, 400), (std::vector<int>{189, 322, 398}));
    // scrolled 30 pixels: the first line at 190 - 31
    EXPECT_EQ(GridLineXs(widths, 30, 400), (std::vector<int>{159, 292, 368}));
    // a sum that reaches the right edge ends the lines
    EXPECT_EQ(GridLineXs(widths, 0, 324), (std::vector<int>{189, 322}));
    EXPECT_EQ(GridLineXs(widths, 0, 323), (std::vector<int>{189}));
}

}  // namespace
