#include "recordings/RecordingList.h"

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
    QDirIterator it(QDir(folder).absolutePath(),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.isEmpty() && IsRecordingFile(path))
            recordings.push_back(RecordingEntry {path, QString(), GpsPresent});
    }
    return true;
}

RecordingList::RecordingList(IRecordingListView& left, IRecordingListView& right,
                             IRecordingListHost& host_)
    : leftList(left), rightList(right), host(host_)
{
}

void RecordingList::FillList()
{
    leftList.DeleteAllRows();
    rightList.DeleteAllRows();
    if (pageIndex < 0)
        return;
    const long long first = static_cast<long long>(RowsPerPage) * pageIndex;
    const long long count = static_cast<long long>(recordings.size());
    for (int row = 0; row < RowsPerPage && first + row < count; ++row) {
        const int index = static_cast<int>(first + row);
        const RecordingEntry& entry = recordings[static_cast<std::size_t>(index)];
        IRecordingListView& view = row < RowsPerList ? leftList : rightList;
        view.AddRecordingRow(entry.filePath, entry.dateText, index == currentRecording,
                             row % RowsPerList);
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
    const long long first = static_cast<long long>(RowsPerPage) * pageIndex;
    colourRow(highlightIndex - first, false);
    colourRow(index - first, true);
}

void RecordingList::SortRecordingsByTime()
{
    ::SortRecordingsByTime(recordings);
}

void RecordingList::PageBack()
{
    if (pageIndex > 0) {
        --pageIndex;
        FillList();
    }
}

void RecordingList::PageForward()
{
    if (static_cast<long long>(RowsPerPage) * pageIndex + RowsPerPage < Count()) {
        ++pageIndex;
        FillList();
    }
}

int RecordingList::IndexOfRow(ListSide side, int row) const
{
    if (row < 0 || row >= RowsPerList)
        return -1;
    return RowsPerPage * pageIndex + (side == ListSide::Right ? RowsPerList : 0) + row;
}

void RecordingList::OnListClick(ListSide side, int row)
{
    clickedIndex = IndexOfRow(side, row);
}

void RecordingList::OnListDoubleClick(ListSide side, int row)
{
    clickedRow = row;
    const int index = IndexOfRow(side, row);
    if (index < 0 || index >= Count())
        return;
    currentRecording = index;
    qCDebug(lcList) << "double click: plays" << index << recordings[std::size_t(index)].filePath;
    if (host.HasMovie())
        host.HaltMovie();
    HighlightRow(currentRecording);
    highlightIndex = currentRecording;
    host.SetStopped(false);
    host.ShowMapForCurrent();
}

void RecordingList::PlayIndex(int index)
{
    if (index < 0 || index >= Count())
        return;
    if (index / RowsPerPage != pageIndex) {
        pageIndex = index / RowsPerPage;
        FillList();
    }
    const int row = index % RowsPerPage;
    OnListDoubleClick(row < RowsPerList ? ListSide::Left : ListSide::Right, row % RowsPerList);
}

void RecordingList::PlayPrevious()
{
    if (!host.RecordingLoaded() || currentRecording <= 0 || currentRecording > Count())
        return;
    --currentRecording;
    qCDebug(lcList) << "previous: plays" << currentRecording;
    if (host.HasMovie())
        host.HaltMovie();
    host.SetStopped(false);
    HighlightRow(currentRecording);
    highlightIndex = currentRecording;
    host.ShowMapForCurrent();
}

void RecordingList::PlayNext()
{
    if (!host.RecordingLoaded() || currentRecording < -1 || currentRecording >= Count() - 1)
        return;
    ++currentRecording;
    qCDebug(lcList) << "next: plays" << currentRecording;
    if (host.HasMovie())
        host.HaltMovie();
    host.SetStopped(false);
    HighlightRow(currentRecording);
    highlightIndex = currentRecording;
    host.ShowMapForCurrent();
}

void RecordingList::PlayCurrent()
{
    if (host.HasMovie())
        host.HaltMovie();
    host.ShowMapForCurrent();
}

void RecordingList::DeleteClicked()
{
    const int removed = clickedIndex;
    if (removed < 0 || removed >= Count())
        return;
    qCDebug(lcList) << "delete: entry" << removed << "of" << Count() << "leaves the list, playing" << currentRecording;
    recordings.erase(recordings.begin() + removed);  // the file itself stays on disk

    // Decide what plays before the views are rebuilt, so that the row greyed by FillList is the
    // one playing and highlightIndex names it.
    const bool playingRemoved = removed == currentRecording;
    if (removed < currentRecording) {
        --currentRecording;  // follow the playing entry
        if (highlightIndex > removed)
            --highlightIndex;
    } else if (playingRemoved && currentRecording >= Count()) {
        --currentRecording;  // it was the last one: the new last one plays
        highlightIndex = currentRecording;
    }
    FillList();
    if (playingRemoved) {
        if (currentRecording >= 0) {
            PlayCurrent();
        } else {
            host.SetRecordingLoaded(false);
            host.StopPlayback();
        }
    }
    clickedIndex = removed - 1;  // a further delete removes the entry above
}

void RecordingList::ShowRebuiltList()
{
    highlightIndex = -1;
    currentRecording = -1;
    host.SetRecordingLoaded(false);
    SortRecordingsByTime();
    FillList();
    qCDebug(lcList) << "list rebuilt:" << Count() << "recordings";
}

int RecordingList::ChooseFolder()
{
    const QString folder = host.BrowseForFolder();
    qCDebug(lcList) << "folder:" << (folder.isEmpty() ? QStringLiteral("(cancelled)") : folder);
    if (!folder.isEmpty()) {
        recordings.clear();
        ScanFolder(folder, recordings);
    }
    return recordings.empty() ? 0 : 1;
}

void RecordingList::OnFolderCommand()
{
    if (host.HasMovie())
        host.StopPlayback();
    ChooseFolder();
    // Also when the list is now empty: the views must not go on showing the old folder's rows.
    ShowRebuiltList();
}

void RecordingList::OnDropFiles(const QStringList& paths)
{
    qCDebug(lcList) << "dropped:" << paths.size() << "paths";
    if (host.HasMovie())
        host.StopPlayback();
    recordings.clear();
    for (const QString& path : paths) {
        if (!path.isEmpty() && IsRecordingFile(path))
            recordings.push_back(RecordingEntry {path, QString(), GpsPresent});
    }
    ShowRebuiltList();
    ApplySingleRecordingRule();
}

void RecordingList::ApplySingleRecordingRule()
{
    if (recordings.size() != 1)
        return;
    currentRecording = 0;
    qCDebug(lcList) << "one recording listed: plays it" << recordings.front().filePath;
    if (host.HasMovie())
        host.HaltMovie();
    HighlightRow(0);
    highlightIndex = -1;
    host.SetStopped(false);
    host.ShowMapForCurrent();
}
