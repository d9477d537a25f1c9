#include "ui/TripView.h"

#include "ui/VindrelDlg.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

// Most points of the trip line.
constexpr std::size_t kMaxTripPoints = 60000;

// The page leaves out a route point unless both numbers are plain, non-zero decimals (the map
// view sends anything else as 0.0); the route's vertices count only the points it kept.
bool RoutePointKept(const GpsSample& sample)
{
    static const QRegularExpression number(QStringLiteral(R"(^-?\d{1,3}(\.\d{1,12})?$)"));
    return number.match(sample.latitude).hasMatch() && number.match(sample.longitude).hasMatch() &&
           sample.latitude.toDouble() != 0.0 && sample.longitude.toDouble() != 0.0;
}

}  // namespace

CTripView::CTripView(CVindrelDlg& dialog)
    : dlg_(dialog),
      settings_(LoadTripSettings()),
      nextEvent_(QKeySequence(Qt::Key_E), &dialog),
      previousEvent_(QKeySequence(Qt::SHIFT | Qt::Key_E), &dialog)
{
    nextEvent_.setContext(Qt::WindowShortcut);
    previousEvent_.setContext(Qt::WindowShortcut);
    connect(&nextEvent_, &QShortcut::activated, this, [this] { JumpToEvent(true); });
    connect(&previousEvent_, &QShortcut::activated, this, [this] { JumpToEvent(false); });
    connect(&scanner_, &TripScanner::Finished, this, &CTripView::ScanFinished);
}

CTripView::~CTripView() = default;

void CTripView::ListChanged()
{
    settings_ = LoadTripSettings();
    std::vector<QString> paths;
    paths.reserve(dlg_.recordings.size());
    for (const RecordingEntry& entry : dlg_.recordings)
        paths.push_back(entry.filePath);
    scanner_.Start(std::move(paths), settings_);
}

const RecordingSummary* CTripView::SummaryOf(int index) const
{
    const std::shared_ptr<const TripScan> scan = scanner_.Result();
    if (!scan || index < 0 || std::size_t(index) >= scan->paths.size() ||
        std::size_t(index) >= dlg_.recordings.size() ||
        scan->paths[std::size_t(index)] != dlg_.recordings[std::size_t(index)].filePath)
        return nullptr;
    return scan->summaries[std::size_t(index)].get();
}

int CTripView::TripOf(int index) const
{
    const std::shared_ptr<const TripScan> scan = scanner_.Result();
    return SummaryOf(index) ? scan->trips[std::size_t(index)] : 0;
}

void CTripView::ScanFinished()
{
    const std::shared_ptr<const TripScan> scan = scanner_.Result();
    if (!scan)
        return;
    QSet<QString> marked;
    for (std::size_t i = 0; i < scan->paths.size(); ++i)
        if (!scan->summaries[i]->events.empty())
            marked.insert(scan->paths[i]);
    dlg_.leftList.SetMarkedFiles(marked);
    dlg_.rightList.SetMarkedFiles(marked);
    if (dlg_.recordingLoaded)
        SendTripLine();
}

void CTripView::RecordingOpened()
{
    currentEvents_ = FindGEvents(dlg_.gSensorGraph.gSensorSeries(), settings_.events);
    std::vector<std::pair<int, int>> marks;
    for (const GEvent& e : currentEvents_)
        marks.emplace_back(e.first, e.last);
    dlg_.progressSlider.SetMarks(std::move(marks));
    dlg_.mapView.RunPageScript(QStringLiteral("enableMapClicks()"));
    SendTripLine();

    const int current = dlg_.currentRecording;
    if (pendingSeek_ && current >= 0 && std::size_t(current) < dlg_.recordings.size() &&
        dlg_.recordings[std::size_t(current)].filePath == pendingSeek_->first) {
        const int second = pendingSeek_->second;
        pendingSeek_.reset();
        SeekTo(second);
    }
}

void CTripView::SendTripLine()
{
    tripPoints_.clear();
    const int current = dlg_.currentRecording;
    const int trip = TripOf(current);
    const std::shared_ptr<const TripScan> scan = scanner_.Result();
    int first = current, last = current;
    if (trip > 0) {
        while (first > 0 && scan->trips[std::size_t(first - 1)] == trip)
            --first;
        while (std::size_t(last + 1) < scan->trips.size() && scan->trips[std::size_t(last + 1)] == trip)
            ++last;
    }
    // A recording that is a trip of its own has its route and needs no trip line.
    if (trip == 0 || first == last) {
        dlg_.mapView.RunPageScript(QStringLiteral("clearTripLine()"));
        emit TripLineSent(0);
        return;
    }
    // A trip of many hours keeps every n-th second, so the script stays a few megabytes at most.
    std::size_t total = 0;
    for (int i = first; i <= last; ++i)
        total += scan->summaries[std::size_t(i)]->positions.size();
    const std::size_t stride = std::max<std::size_t>(1, (total + kMaxTripPoints - 1) / kMaxTripPoints);
    QString script = QStringLiteral("setTripLine([");
    std::size_t length = script.size() + 2;
    for (int i = first; i <= last; ++i)
        length += std::size_t(scan->summaries[std::size_t(i)]->lineText.size()) + 1;
    script.reserve(qsizetype(length));
    for (int i = first; i <= last; ++i) {
        const RecordingSummary& s = *scan->summaries[std::size_t(i)];
        const std::size_t before = tripPoints_.size();
        for (std::size_t k = 0; k < s.positions.size(); ++k) {
            if (s.positions[k] && k % stride == 0)
                tripPoints_.emplace_back(i, int(k));
        }
        if (tripPoints_.size() == before)
            continue;
        if (before > 0)
            script += u',';
        if (stride == 1) {
            script += s.lineText;  // every point, written by the worker
            continue;
        }
        for (std::size_t p = before; p < tripPoints_.size(); ++p) {
            const LatLon& at = *s.positions[std::size_t(tripPoints_[p].second)];
            if (p > before)
                script += u',';
            script += u'[' + QString::number(at.longitude, 'f', 6) + u',' + QString::number(at.latitude, 'f', 6) + u']';
        }
    }
    script += QStringLiteral("])");
    dlg_.mapView.RunPageScript(script);
    emit TripLineSent(int(tripPoints_.size()));
}

std::intptr_t CTripView::OnMapClicked(std::uintptr_t line, std::intptr_t vertex)
{
    if (!dlg_.recordingLoaded || vertex < 0)
        return 1;
    if (line == 0) {
        std::intptr_t kept = -1;
        for (std::size_t k = 0; k < dlg_.gpsTrack.size(); ++k) {
            if (RoutePointKept(dlg_.gpsTrack[k]) && ++kept == vertex) {
                SeekTo(int(k));
                break;
            }
        }
    } else if (line == 1 && std::size_t(vertex) < tripPoints_.size()) {
        const auto [index, second] = tripPoints_[std::size_t(vertex)];
        Go(index, second);
    }
    return 1;
}

void CTripView::SeekTo(int second)
{
    if (!dlg_.recordingLoaded)
        return;
    const int current = dlg_.currentRecording;
    // Nothing of the recording has been shown yet: the route and the start come first, as the
    // periodic update gives them at second 0, since a seek skips that second.
    if (dlg_.nextSecond == 0 && !dlg_.gpsTrack.empty() && current >= 0 &&
        std::size_t(current) < dlg_.recordings.size() &&
        dlg_.recordings[std::size_t(current)].gpsStatus == GpsPresent) {
        dlg_.mapView.RunPageScript(QStringLiteral("showPath()"));
        dlg_.mapView.CallPageFunction(QStringLiteral("setstart"), dlg_.gpsTrack[0].latitude,
                                      dlg_.gpsTrack[0].longitude);
    }
    dlg_.progressSlider.SetPosition(second);
    dlg_.OnProgressPressed(0, 0);
}

void CTripView::Go(int index, int second)
{
    if (index == dlg_.currentRecording) {
        SeekTo(second);
        return;
    }
    if (index < 0 || std::size_t(index) >= dlg_.recordings.size())
        return;
    pendingSeek_ = std::make_pair(dlg_.recordings[std::size_t(index)].filePath, second);
    dlg_.RecordingListModel().PlayIndex(index);
}

void CTripView::JumpToEvent(bool forward)
{
    if (!dlg_.recordingLoaded)
        return;
    const int now = dlg_.progressSlider.position();
    if (forward) {
        for (const GEvent& e : currentEvents_) {
            if (EventJumpSecond(e) > now) {
                SeekTo(EventJumpSecond(e));
                return;
            }
        }
    } else {
        // Two seconds of grace: pressed again just after a jump, it goes on to the one before.
        for (auto it = currentEvents_.rbegin(); it != currentEvents_.rend(); ++it) {
            if (EventJumpSecond(*it) < now - 2) {
                SeekTo(EventJumpSecond(*it));
                return;
            }
        }
    }
    // On through the other recordings of the trip.
    const int current = dlg_.currentRecording;
    const int trip = TripOf(current);
    if (trip == 0)
        return;
    const int step = forward ? 1 : -1;
    for (int i = current + step; TripOf(i) == trip; i += step) {
        const std::vector<GEvent>& events = SummaryOf(i)->events;
        if (!events.empty()) {
            Go(i, EventJumpSecond(forward ? events.front() : events.back()));
            return;
        }
    }
}
