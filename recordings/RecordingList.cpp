#include "recordings/RecordingList.h"

#include "gps/GpsSource.h"
#include "gps/RecordingName.h"
#include "recordings/ListLog.h"
#include "recordings/RecordingDates.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

bool ScanFolder(const QString& folder, std::vector<RecordingEntry>& recordings)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isReadable())
        return false;
    // Unsorted: the file system's own order. Hidden and system entries count like any other.
    QDirIterator it(QDir(folder).absolutePath(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.isEmpty() && IsRecordingFile(path))
            recordings.push_back(RecordingEntry{path, QString(), GpsPresent});
    }
    return true;
}

RecordingList::RecordingList(IRecordingListView& left, IRecordingListView& right, IRecordingListHost& host_)
    : leftList(left), rightList(right), host(host_)
{
}

void RecordingList::FillList()
{
    leftList.DeleteAllRows();
    rightList.DeleteAllRows();
    if (pageIndex_ < 0)
        return;
    const long long first = static_cast<long long>(RowsPerPage) * pageIndex_;
    const long long count = static_cast<long long>(recordings_.size());
    for (int row = 0; row < RowsPerPage && first + row < count; ++row) {
        const int index = static_cast<int>(first + row);
        const RecordingEntry& entry = recordings_[static_cast<std::size_t>(index)];
        IRecordingListView& view = row < RowsPerList ? leftList : rightList;
        view.AddRecordingRow(entry.filePath, entry.dateText, index == currentRecording_, row % RowsPerList);
    }
}

void RecordingList::HighlightRow(int index)
{
    // Columns 3 to 0, as the colour list is asked for every row it greys; it refuses column 3.
    const auto colourRow = [this](long long offset, bool grey) {
        if (offset < 0 || offset >= RowsPerPage)
            return;
        IRecordingListView& view = offset < RowsPerList ? leftList : rightList;
        const int row = static_cast<int>(offset % RowsPerList);
        const std::uint32_t colour = grey ? HighlightGrey : view.WindowColour();
        for (int column = 3; column >= 0; --column)
            view.SetCellBackground(row, column, colour);
    };
    const long long first = static_cast<long long>(RowsPerPage) * pageIndex_;
    colourRow(highlightIndex_ - first, false);
    colourRow(index - first, true);
    highlightIndex_ = index;
}

void RecordingList::SetGpsStatus(int index, GpsStatus status)
{
    if (index >= 0 && index < Count())
        recordings_[std::size_t(index)].gpsStatus = status;
}

bool RecordingList::StepToNext()
{
    ++currentRecording_;
    if (currentRecording_ >= Count())
        return false;
    HighlightRow(currentRecording_);
    return true;
}

void RecordingList::PlayChosen()
{
    if (host.HasMovie())
        host.HaltMovie();
    HighlightRow(currentRecording_);
    host.SetStopped(false);
    host.ShowMapForCurrent();
}

void RecordingList::AddCommandLineRecordings(const QStringList& words)
{
    // The last word first, so that the first, second and third files come out as third, second
    // and first before the list is ordered. Each argument is one word, blanks and all: the
    // shell has already split the command line and taken its quotation marks away.
    for (auto it = words.crbegin(); it != words.crend(); ++it) {
        const QString& word = *it;
        if (word.isEmpty() || !IsRecordingFile(word))
            continue;
        // The log is looked for relative to the recording's folder, so the path must be whole.
        const QString path = QFileInfo(word).absoluteFilePath();
        recordings_.push_back(RecordingEntry{path, QString(), RecordingGpsStatus(path)});
    }
}

void RecordingList::SortRecordingsByTime() { ::SortRecordingsByTime(recordings_); }

void RecordingList::PageBack()
{
    if (pageIndex_ > 0) {
        --pageIndex_;
        FillList();
    }
}

void RecordingList::PageForward()
{
    if (static_cast<long long>(RowsPerPage) * pageIndex_ + RowsPerPage < Count()) {
        ++pageIndex_;
        FillList();
    }
}

int RecordingList::IndexOfRow(ListSide side, int row) const
{
    if (row < 0 || row >= RowsPerList)
        return -1;
    return RowsPerPage * pageIndex_ + (side == ListSide::Right ? RowsPerList : 0) + row;
}

void RecordingList::OnListClick(ListSide side, int row) { clickedIndex_ = IndexOfRow(side, row); }

void RecordingList::OnListDoubleClick(ListSide side, int row)
{
    clickedRow_ = row;
    const int index = IndexOfRow(side, row);
    if (index < 0 || index >= Count())
        return;
    currentRecording_ = index;
    qCDebug(lcList) << "double click: plays" << index << recordings_[std::size_t(index)].filePath;
    PlayChosen();
}

void RecordingList::PlayIndex(int index)
{
    if (index < 0 || index >= Count())
        return;
    if (index / RowsPerPage != pageIndex_) {
        pageIndex_ = index / RowsPerPage;
        FillList();
    }
    const int row = index % RowsPerPage;
    OnListDoubleClick(row < RowsPerList ? ListSide::Left : ListSide::Right, row % RowsPerList);
}

void RecordingList::PlayPrevious()
{
    if (!host.RecordingLoaded() || currentRecording_ <= 0 || currentRecording_ > Count())
        return;
    --currentRecording_;
    qCDebug(lcList) << "previous: plays" << currentRecording_;
    PlayChosen();
}

void RecordingList::PlayNext()
{
    if (!host.RecordingLoaded() || currentRecording_ < -1 || currentRecording_ >= Count() - 1)
        return;
    ++currentRecording_;
    qCDebug(lcList) << "next: plays" << currentRecording_;
    PlayChosen();
}

void RecordingList::PlayCurrent()
{
    if (host.HasMovie())
        host.HaltMovie();
    host.ShowMapForCurrent();
}

void RecordingList::DeleteClicked()
{
    const int removed = clickedIndex_;
    if (removed < 0 || removed >= Count())
        return;
    qCDebug(lcList) << "delete: entry" << removed << "of" << Count() << "leaves the list, playing" << currentRecording_;
    recordings_.erase(recordings_.begin() + removed);  // the file itself stays on disk

    // Decide what plays before the views are rebuilt, so that the row greyed by FillList is the
    // one playing and highlightIndex names it.
    const bool playingRemoved = removed == currentRecording_;
    if (removed < currentRecording_) {
        --currentRecording_;  // follow the playing entry
        if (highlightIndex_ > removed)
            --highlightIndex_;
    } else if (playingRemoved && currentRecording_ >= Count()) {
        --currentRecording_;  // it was the last one: the new last one plays
        highlightIndex_ = currentRecording_;
    }
    FillList();
    if (playingRemoved) {
        if (currentRecording_ >= 0) {
            PlayCurrent();
        } else {
            host.SetRecordingLoaded(false);
            host.StopPlayback();
        }
    }
    clickedIndex_ = removed - 1;  // a further delete removes the entry above
    host.ListChanged();
}

void RecordingList::ShowRebuiltList()
{
    highlightIndex_ = -1;
    currentRecording_ = -1;
    host.SetRecordingLoaded(false);
    SortRecordingsByTime();
    FillList();
    qCDebug(lcList) << "list rebuilt:" << Count() << "recordings_";
}

int RecordingList::ChooseFolder()
{
    const QString folder = host.BrowseForFolder();
    qCDebug(lcList) << "folder:" << (folder.isEmpty() ? QStringLiteral("(cancelled)") : folder);
    if (!folder.isEmpty()) {
        std::vector<RecordingEntry> found;
        ScanFolder(folder, found);
        Replace(std::move(found));
    }
    return recordings_.empty() ? 0 : 1;
}

void RecordingList::OnFolderCommand()
{
    if (host.HasMovie())
        host.StopPlayback();
    ChooseFolder();
    // Also when the list is now empty: the views must not go on showing the old folder's rows.
    ShowRebuiltList();
    host.ListChanged();
}

void RecordingList::OnDropFiles(const QStringList& paths)
{
    qCDebug(lcList) << "dropped:" << paths.size() << "paths";
    if (host.HasMovie())
        host.StopPlayback();
    std::vector<RecordingEntry> dropped;
    for (const QString& path : paths) {
        if (!path.isEmpty() && IsRecordingFile(path))
            dropped.push_back(RecordingEntry{path, QString(), GpsPresent});
    }
    Replace(std::move(dropped));
    ShowRebuiltList();
    ApplySingleRecordingRule();
    host.ListChanged();
}

void RecordingList::ApplySingleRecordingRule()
{
    if (recordings_.size() != 1)
        return;
    currentRecording_ = 0;
    qCDebug(lcList) << "one recording listed: plays it" << recordings_.front().filePath;
    PlayChosen();
    // Kept as it always was: the row is greyed, yet counts as not highlighted, so the first
    // highlight of another row leaves it grey.
    highlightIndex_ = -1;
}
