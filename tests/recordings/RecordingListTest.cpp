#include "TestFiles.h"

#include "recordings/RecordingList.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

constexpr std::uint32_t White = 0xFFFFFF;

// A list view that keeps its rows and cell colours, refusing columns past the third.
class FakeView : public IRecordingListView {
public:
    struct Row {
        QString path;
        QString date;
        std::array<std::uint32_t, 3> colours{White, White, White};
    };
    std::vector<Row> rows;

    void DeleteAllRows() override { rows.clear(); }
    void AddRecordingRow(const QString& path, const QString& date, bool highlighted, int row) override
    {
        EXPECT_EQ(row, static_cast<int>(rows.size()));
        rows.push_back(Row{path, date, {}});
        rows.back().colours.fill(highlighted ? HighlightGrey : White);
    }
    bool SetCellBackground(int row, int column, std::uint32_t colour) override
    {
        if (row < 0 || row >= static_cast<int>(rows.size()) || column < 0 || column >= 3)
            return false;
        rows[static_cast<std::size_t>(row)].colours[static_cast<std::size_t>(column)] = colour;
        return true;
    }
    std::uint32_t WindowColour() const override { return White; }

    std::vector<QString> Paths() const
    {
        std::vector<QString> paths;
        for (const Row& r : rows)
            paths.push_back(r.path);
        return paths;
    }
    /// Rows whose three cells are grey; a partly grey row fails the test.
    std::vector<int> GreyRows() const
    {
        std::vector<int> grey;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const auto& c = rows[i].colours;
            EXPECT_TRUE(c[0] == c[1] && c[1] == c[2]) << "row " << i << " partly grey";
            if (c[0] == HighlightGrey)
                grey.push_back(static_cast<int>(i));
        }
        return grey;
    }
};

// The player around the list: records what it is asked to do.
class FakeHost : public IRecordingListHost {
public:
    const RecordingList* list = nullptr;
    bool movie = false;
    bool loaded = false;
    bool stopped = true;
    QString folder;
    std::vector<std::string> calls;
    std::vector<int> shown;  // currentRecording at each ShowMapForCurrent

    bool HasMovie() const override { return movie; }
    void HaltMovie() override { calls.push_back("halt"); }
    void StopPlayback() override { calls.push_back("stop"); }
    void ShowMapForCurrent() override
    {
        calls.push_back("show");
        shown.push_back(list->currentRecording());
    }
    bool RecordingLoaded() const override { return loaded; }
    void SetRecordingLoaded(bool value) override { loaded = value; }
    void SetStopped(bool value) override { stopped = value; }
    QString BrowseForFolder() override { return folder; }
};

}  // namespace

class RecordingListTest : public ::testing::Test {
protected:
    RecordingListTest() { host.list = &list; }

    /// n entries named /card/0.MOV ... with their date texts set, as after a sort.
    void Fill(int n)
    {
        std::vector<RecordingEntry> entries;
        for (int i = 0; i < n; ++i)
            entries.push_back(
                RecordingEntry{Name(i), QString("2014-05-06-10:00:%1").arg(i, 2, 10, QChar('0')), GpsPresent});
        list.Replace(std::move(entries));
        list.FillList();
    }
    static QString Name(int i) { return QString("/card/%1.MOV").arg(i); }

    /// Plays index as a double click on its row of page 0 does, and loads it.
    void Play(int index)
    {
        list.OnListDoubleClick(index % 12 < 6 ? ListSide::Left : ListSide::Right, index % 6);
        host.loaded = true;
        host.movie = true;
        host.calls.clear();
        host.shown.clear();
    }

    FakeView left;
    FakeView right;
    FakeHost host;
    RecordingList list{left, right, host};
};

TEST_F(RecordingListTest, StartValues)
{
    EXPECT_TRUE(list.recordings().empty());
    EXPECT_EQ(list.currentRecording(), -1);
    EXPECT_EQ(list.pageIndex(), 0);
    EXPECT_EQ(list.highlightIndex(), -1);
    EXPECT_EQ(list.clickedIndex(), -1);
    EXPECT_EQ(list.clickedRow(), -1);
}

TEST_F(RecordingListTest, PagesOfTwelveSplitSixAndSixAndStopAtBothEnds)
{
    Fill(13);
    EXPECT_EQ(left.Paths(), (std::vector<QString>{Name(0), Name(1), Name(2), Name(3), Name(4), Name(5)}));
    EXPECT_EQ(right.Paths(), (std::vector<QString>{Name(6), Name(7), Name(8), Name(9), Name(10), Name(11)}));
    EXPECT_EQ(left.rows[3].date, "2014-05-06-10:00:03");

    list.PageBack();
    EXPECT_EQ(list.pageIndex(), 0);
    list.PageForward();
    EXPECT_EQ(list.pageIndex(), 1);
    EXPECT_EQ(left.Paths(), (std::vector<QString>{Name(12)}));
    EXPECT_TRUE(right.rows.empty());
    list.PageForward();
    EXPECT_EQ(list.pageIndex(), 1);
    list.PageBack();
    EXPECT_EQ(list.pageIndex(), 0);
    EXPECT_EQ(right.rows.size(), 6u);

    Fill(6);
    EXPECT_EQ(left.rows.size(), 6u);
    EXPECT_TRUE(right.rows.empty());
    Fill(7);
    EXPECT_EQ(right.Paths(), (std::vector<QString>{Name(6)}));
    Fill(12);
    list.PageForward();
    EXPECT_EQ(list.pageIndex(), 0);  // exactly one page
}

TEST_F(RecordingListTest, ClicksNameTheIndexOfTheirRow)
{
    Fill(30);
    list.PageForward();
    list.OnListClick(ListSide::Right, 2);
    EXPECT_EQ(list.clickedIndex(), 20);
    list.OnListClick(ListSide::Left, 0);
    EXPECT_EQ(list.clickedIndex(), 12);
    list.OnListClick(ListSide::Left, -1);
    EXPECT_EQ(list.clickedIndex(), -1);
    EXPECT_TRUE(host.calls.empty());

    list.OnListDoubleClick(ListSide::Right, 2);
    EXPECT_EQ(list.clickedRow(), 2);
    EXPECT_EQ(list.currentRecording(), 20);
    EXPECT_EQ(list.highlightIndex(), 20);
    EXPECT_EQ(host.shown, (std::vector<int>{20}));
    EXPECT_FALSE(host.stopped);
    EXPECT_EQ(right.GreyRows(), (std::vector<int>{2}));
}

TEST_F(RecordingListTest, DoubleClickOnAnEmptyRowDoesNothing)
{
    Fill(8);
    list.OnListDoubleClick(ListSide::Right, 3);  // index 9 does not exist
    EXPECT_EQ(list.clickedRow(), 3);
    EXPECT_EQ(list.currentRecording(), -1);
    list.OnListDoubleClick(ListSide::Left, -1);
    EXPECT_EQ(list.clickedRow(), -1);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(RecordingListTest, HighlightMovesTheGreyRowWithinTheShownPageOnly)
{
    Fill(30);
    Play(4);
    list.HighlightRow(4);  // again: stays grey
    EXPECT_EQ(left.GreyRows(), (std::vector<int>{4}));

    list.HighlightRow(7);
    EXPECT_TRUE(left.GreyRows().empty());
    EXPECT_EQ(right.GreyRows(), (std::vector<int>{1}));

    list.HighlightRow(15);  // on page 1: nothing greyed, old row cleared
    EXPECT_TRUE(right.GreyRows().empty());

    left.SetCellBackground(0, 0, HighlightGrey);
    left.SetCellBackground(0, 1, HighlightGrey);
    left.SetCellBackground(0, 2, HighlightGrey);
    list.HighlightRow(3);  // the old row (15) is on another page: row 0 stays as it is
    EXPECT_EQ(left.GreyRows(), (std::vector<int>{0, 3}));
}

TEST_F(RecordingListTest, PreviousAndNextNeedALoadedRecordingAndDoNotTurnThePage)
{
    Fill(14);
    Play(3);
    host.loaded = false;
    list.PlayNext();
    list.PlayPrevious();
    EXPECT_EQ(list.currentRecording(), 3);  // nothing loaded
    EXPECT_TRUE(host.calls.empty());

    Play(10);
    list.PlayNext();
    list.PlayNext();
    EXPECT_EQ(list.currentRecording(), 12);
    EXPECT_EQ(list.highlightIndex(), 12);
    EXPECT_EQ(list.pageIndex(), 0);
    EXPECT_TRUE(left.GreyRows().empty());
    EXPECT_TRUE(right.GreyRows().empty());
    EXPECT_EQ(host.calls, (std::vector<std::string>{"halt", "show", "halt", "show"}));
    list.PlayNext();
    list.PlayNext();
    EXPECT_EQ(list.currentRecording(), 13);  // the last one
    list.PlayPrevious();
    list.PlayPrevious();
    list.PlayPrevious();
    EXPECT_EQ(list.currentRecording(), 10);
    EXPECT_EQ(right.GreyRows(), (std::vector<int>{4}));

    Play(0);
    list.PlayPrevious();
    EXPECT_EQ(list.currentRecording(), 0);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(RecordingListTest, DeletingThePlayingEntryPlaysItsSuccessorOrTheNewLastOrStops)
{
    Fill(3);
    Play(2);
    list.OnListClick(ListSide::Left, 2);
    list.DeleteClicked();
    EXPECT_EQ(list.recordings().size(), 2u);
    EXPECT_EQ(host.shown, (std::vector<int>{1}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"halt", "show"}));
    EXPECT_EQ(list.highlightIndex(), 1);
    EXPECT_EQ(left.GreyRows(), (std::vector<int>{1}));
    EXPECT_EQ(list.clickedIndex(), 1);

    // The one moving into the playing place plays.
    Fill(4);
    Play(1);
    list.OnListClick(ListSide::Left, 1);
    list.DeleteClicked();
    EXPECT_EQ(host.shown, (std::vector<int>{1}));
    EXPECT_EQ(list.recordings()[1].filePath, Name(2));
    EXPECT_EQ(left.GreyRows(), (std::vector<int>{1}));

    Fill(1);
    Play(0);
    list.OnListClick(ListSide::Left, 0);
    list.DeleteClicked();
    EXPECT_TRUE(list.recordings().empty());
    EXPECT_EQ(host.calls, (std::vector<std::string>{"stop"}));
    EXPECT_FALSE(host.loaded);
    EXPECT_EQ(list.currentRecording(), -1);
    EXPECT_TRUE(left.rows.empty());
    EXPECT_EQ(list.clickedIndex(), -1);
    list.DeleteClicked();  // nothing left to delete
    EXPECT_EQ(host.calls.size(), 1u);
}

TEST_F(RecordingListTest, DeletingAnEarlierEntryKeepsThePlayingOneHighlighted)
{
    Fill(5);
    Play(3);
    list.OnListClick(ListSide::Left, 1);
    list.DeleteClicked();
    EXPECT_EQ(list.currentRecording(), 2);
    EXPECT_EQ(list.highlightIndex(), 2);
    EXPECT_EQ(list.recordings()[2].filePath, Name(3));
    EXPECT_EQ(left.GreyRows(), (std::vector<int>{2}));
    EXPECT_TRUE(host.calls.empty());  // playback goes on undisturbed

    list.OnListClick(ListSide::Left, 3);  // after the playing one
    list.DeleteClicked();
    EXPECT_EQ(list.currentRecording(), 2);
    EXPECT_EQ(list.recordings().size(), 3u);

    list.OnListClick(ListSide::Right, 0);  // no such entry
    list.DeleteClicked();
    EXPECT_EQ(list.recordings().size(), 3u);
}

TEST_F(RecordingListTest, DeleteNeverRemovesTheFile)
{
    TestFolder folder;
    const QString path = folder.Write("KEEP.MOV", TenOClock);
    list.Append(RecordingEntry{path, QString(), GpsPresent});
    list.OnListClick(ListSide::Left, 0);
    list.DeleteClicked();
    EXPECT_TRUE(list.recordings().empty());
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(RecordingListTest, FolderCommandListsTheFoldersRecordingsInTimeOrder)
{
    TestFolder folder;
    const QString upper = folder.Write("FILE.MOV", TenOClock + 2);
    const QString lower = folder.Write("file.mov", TenOClock + 1);
    folder.Write("FILE.Mov", TenOClock);
    folder.Write("clip.mp4.txt", TenOClock);
    const QString mp4 = folder.Write(".hidden.MP4", TenOClock + 3);

    Fill(3);
    Play(1);
    host.folder = folder.dir.path();
    list.OnFolderCommand();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"stop"}));
    std::vector<QString> paths;
    for (const RecordingEntry& e : list.recordings()) {
        paths.push_back(e.filePath);
        EXPECT_EQ(e.gpsStatus, GpsPresent);
    }
    EXPECT_EQ(paths, (std::vector<QString>{lower, upper, mp4}));
    EXPECT_EQ(list.recordings()[0].dateText, "2014-05-06-10:00:01");
    EXPECT_EQ(left.Paths(), paths);
    EXPECT_TRUE(left.GreyRows().empty());
    EXPECT_EQ(list.currentRecording(), -1);
    EXPECT_EQ(list.highlightIndex(), -1);
    EXPECT_FALSE(host.loaded);

    // Cancelling keeps the list.
    host.folder.clear();
    list.OnFolderCommand();
    EXPECT_EQ(list.recordings().size(), 3u);
    EXPECT_EQ(left.Paths(), paths);
    EXPECT_EQ(list.ChooseFolder(), 1);

    // A folder without recordings empties the list and both views.
    TestFolder empty;
    host.folder = empty.dir.path();
    EXPECT_EQ(list.ChooseFolder(), 0);
    list.Append(RecordingEntry{upper, QString(), GpsPresent});
    list.OnFolderCommand();
    EXPECT_TRUE(list.recordings().empty());
    EXPECT_TRUE(left.rows.empty());
}

TEST_F(RecordingListTest, DroppingOneRecordingPlaysItAndTwoAreOnlyListed)
{
    TestFolder folder;
    const QString a = folder.Write("a.MP4", TenOClock + 5);
    const QString b = folder.Write("b.mov", TenOClock + 4);
    const QString text = folder.Write("c.txt", TenOClock);

    host.movie = true;
    list.OnDropFiles({text, a, folder.Path("gone.MOV.Mov")});
    EXPECT_EQ(list.recordings().size(), 1u);
    EXPECT_EQ(list.recordings()[0].dateText, "2014-05-06-10:00");
    EXPECT_EQ(list.currentRecording(), 0);
    EXPECT_EQ(list.highlightIndex(), -1);
    EXPECT_EQ(left.GreyRows(), (std::vector<int>{0}));
    EXPECT_FALSE(host.stopped);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"stop", "halt", "show"}));

    host.calls.clear();
    host.movie = false;
    list.OnDropFiles({a, b});
    EXPECT_EQ(left.Paths(), (std::vector<QString>{b, a}));
    EXPECT_EQ(list.currentRecording(), -1);
    EXPECT_TRUE(host.calls.empty());
}
