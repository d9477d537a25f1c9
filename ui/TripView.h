#pragma once
// The player's side of trips and events: the recordings of the list are read in the background
// (TripScanner); when they are in, the rows of recordings with G-sensor events get their mark and
// the map page gets the trip line of the playing recording. The progress slider shows the playing
// recording's events; E and Shift+E jump to 3 s before the next and the previous event, also in
// the other recordings of the trip; a click on the route or the trip line goes to that second.

#include "recordings/TripScanner.h"

#include <QObject>
#include <QShortcut>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class CVindrelDlg;

class CTripView : public QObject {
    Q_OBJECT
public:
    explicit CTripView(CVindrelDlg& dialog);
    ~CTripView() override;

    /// The list was rebuilt or shortened: its recordings are read afresh, in the background.
    void ListChanged();
    /// The current recording has been opened: its events on the slider, the trip line on the
    /// page, and the seek that was waiting for this recording.
    void RecordingOpened();
    /// WM_MAP_CLICKED: line 0 the route, 1 the trip line; vertex counts the line's points.
    std::intptr_t OnMapClicked(std::uintptr_t line, std::intptr_t vertex);
    /// E (forward) and Shift+E.
    void JumpToEvent(bool forward);

    TripScanner& Scanner() { return scanner_; }
    /// Recording index and second of each point of the trip line last sent.
    const std::vector<std::pair<int, int>>& TripPoints() const { return tripPoints_; }
    /// The events shown on the slider.
    const std::vector<GEvent>& CurrentEvents() const { return currentEvents_; }

signals:
    /// The trip line was handed to the page (points: how many; 0 when the line was taken away).
    void TripLineSent(int points);

private:
    void ScanFinished();
    void SendTripLine();
    /// The summary of list entry index when the last scan still matches the list.
    const RecordingSummary* SummaryOf(int index) const;
    /// The trip number of list entry index, 0 when unknown.
    int TripOf(int index) const;
    /// Seeks the loaded recording to second.
    void SeekTo(int second);
    /// Opens entry index (as a double click does) and seeks to second once it is open.
    void Go(int index, int second);

    CVindrelDlg& dlg_;
    TripScanner scanner_;
    TripSettings settings_;
    std::vector<GEvent> currentEvents_;
    std::vector<std::pair<int, int>> tripPoints_;
    std::optional<std::pair<QString, int>> pendingSeek_;
    QShortcut nextEvent_;
    QShortcut previousEvent_;
};
