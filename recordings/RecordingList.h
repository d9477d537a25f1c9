#pragma once
// The recording list: the recordings the user works through, shown twelve to a page in two list
// views of six rows side by side, the highlighted (playing) row, and the commands that fill the
// list and choose what to play. The main dialog owns one RecordingList, provides the two list
// views and the host operations, and routes its commands and list notifications here.

#include "recordings/RecordingEntry.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>
#include <vector>

/// One of the two list views: the left one shows rows 0 to 5 of a page, the right one 6 to 11.
class IRecordingListView {
public:
    virtual ~IRecordingListView() = default;
    /// Removes every row.
    virtual void DeleteAllRows() = 0;
    /// Appends a row showing the file's title, date and time; greyed when highlighted. row is the
    /// number of rows added before it.
    virtual void AddRecordingRow(const QString& filePath, const QString& dateText, bool highlighted, int row) = 0;
    /// Sets one cell's background; refused (false) for a missing row or a column past the last.
    virtual bool SetCellBackground(int row, int column, std::uint32_t colour) = 0;
    /// The platform's window background colour, in the same form SetCellBackground takes.
    virtual std::uint32_t WindowColour() const = 0;
};

/// What the list needs from the rest of the player.
class IRecordingListHost {
public:
    virtual ~IRecordingListHost() = default;
    /// The movie wrapper holds a movie.
    virtual bool HasMovie() const = 0;
    /// Halts the wrapper's movie (only called when HasMovie()).
    virtual void HaltMovie() = 0;
    /// Stops playback and closes the movie.
    virtual void StopPlayback() = 0;
    /// Shows the map or status page for recordings[currentRecording], which goes on to open it.
    virtual void ShowMapForCurrent() = 0;
    /// The recordingLoaded and stopped flags of the playback.
    virtual bool RecordingLoaded() const = 0;
    virtual void SetRecordingLoaded(bool loaded) = 0;
    virtual void SetStopped(bool stopped) = 0;
    /// Shows the folder browser; the chosen folder, or an empty text when cancelled.
    virtual QString BrowseForFolder() = 0;
    /// The folder command, a drop or a delete has rebuilt or shortened the list.
    virtual void ListChanged() {}
};

/// Which of the two list views a notification came from.
enum class ListSide { Left, Right };

/// Rows per list view and per page.
inline constexpr int RowsPerList = 6;
inline constexpr int RowsPerPage = 12;
/// Background of the highlighted row, RGB(100, 100, 100).
inline constexpr std::uint32_t HighlightGrey = 0x646464;

/// Appends the recordings found in folder, in the order the file system lists them, as entries
/// with an empty dateText and GpsPresent. Every entry whose name IsRecordingFile accepts is taken,
/// folders included. Returns false when the folder cannot be opened.
bool ScanFolder(const QString& folder, std::vector<RecordingEntry>& recordings);

class RecordingList {
public:
    RecordingList(IRecordingListView& leftList, IRecordingListView& rightList, IRecordingListHost& host);
    RecordingList(const RecordingList&) = delete;
    RecordingList& operator=(const RecordingList&) = delete;

    // The list and its indices; only the list's own commands change them.
    const std::vector<RecordingEntry>& recordings() const { return recordings_; }
    /// Index of the recording played (or being opened); -1 none.
    const int& currentRecording() const { return currentRecording_; }
    /// Page shown: indices 12 * pageIndex to 12 * pageIndex + 11.
    const int& pageIndex() const { return pageIndex_; }
    /// Index of the row last coloured as current; -1 none.
    const int& highlightIndex() const { return highlightIndex_; }
    /// Index of the row last single-clicked; the target of delete.
    const int& clickedIndex() const { return clickedIndex_; }
    /// Row, within its view, of the last double-click.
    const int& clickedRow() const { return clickedRow_; }

    /// Appends an entry.
    void Append(RecordingEntry entry) { recordings_.push_back(std::move(entry)); }
    /// Appends the command-line words that name recordings, last word first, each with the GPS
    /// status found beside it; the list is ordered afterwards.
    void AddCommandLineRecordings(const QStringList& words);
    /// Replaces the entries; the indices stay as they are until the views are rebuilt.
    void Replace(std::vector<RecordingEntry> entries) { recordings_ = std::move(entries); }
    /// The GPS status found when entry index was opened.
    void SetGpsStatus(int index, GpsStatus status);
    /// The step after the last second of a movie: the next entry becomes current and its row is
    /// greyed. False when there is none (the current index is then past the end).
    bool StepToNext();
    /// Playback stopped: nothing is current or highlighted.
    void ForgetCurrent() { currentRecording_ = highlightIndex_ = -1; }

    /// Rebuilds both views for the shown page; the row of currentRecording comes greyed.
    void FillList();
    /// Clears the row of highlightIndex and greys the row of index, where they are on the shown
    /// page; index becomes highlightIndex.
    void HighlightRow(int index);
    /// Orders the list by file time and sets the date texts (see RecordingDates.h).
    void SortRecordingsByTime();

    /// Previous and next page; nothing past either end.
    void PageBack();
    void PageForward();
    /// A single click on row (-1: outside the rows) of a view: remembers the entry for delete.
    void OnListClick(ListSide side, int row);
    /// A double click on row of a view: plays that entry when it exists.
    void OnListDoubleClick(ListSide side, int row);
    /// Plays entry index as a double click on its row does, turning to its page first when it is
    /// on another one. Nothing for an index that is not in the list.
    void PlayIndex(int index);
    /// Previous and next recording, while one is loaded; the page does not turn.
    void PlayPrevious();
    void PlayNext();
    /// Removes the clicked entry from the list (never the file). When it was the one playing, the
    /// entry that takes its place plays, or the new last one, or playback stops.
    void DeleteClicked();

    /// The folder command: stops playback, lets the user choose a folder and lists its recordings.
    void OnFolderCommand();
    /// Shows the folder browser; on a choice, replaces the list with the folder's recordings.
    /// Returns 1 when the list is not empty afterwards (also after a cancel), 0 otherwise.
    int ChooseFolder();
    /// Replaces the list with the dropped files that are recordings (folders are not searched),
    /// sorts it, and plays the recording at once when it is the only one.
    void OnDropFiles(const QStringList& paths);
    /// After a rebuild: when exactly one recording is listed, plays it.
    void ApplySingleRecordingRule();

private:
    /// Index shown by row of side on the current page.
    int IndexOfRow(ListSide side, int row) const;
    /// Halts the movie when there is one, then shows (and so opens) the current recording.
    void PlayCurrent();
    /// The list is new: nothing chosen, nothing loaded; order it and show it.
    void ShowRebuiltList();
    int Count() const { return static_cast<int>(recordings_.size()); }
    /// Halts the movie, greys the row of currentRecording and shows it: the common end of every
    /// command that plays an entry.
    void PlayChosen();

    std::vector<RecordingEntry> recordings_;
    int currentRecording_ = -1;
    int pageIndex_ = 0;
    int highlightIndex_ = -1;
    int clickedIndex_ = -1;
    int clickedRow_ = -1;

    IRecordingListView& leftList;
    IRecordingListView& rightList;
    IRecordingListHost& host;
};
