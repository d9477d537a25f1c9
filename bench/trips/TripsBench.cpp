// The player window with a folder of recordings: from the folder chosen (and its first recording
// double-clicked, as a user would) to the trip line drawn on the map page, with the real engine
// and the built-in map provider offline. The event loop is watched all the while by a 2 ms timer:
// every gap between its ticks longer than 50 ms is a stall in which the window did not answer.
//
//   trips_bench FOLDER [ROUNDS [--without-trips]]
//
// --without-trips takes the trips away from the window and measures the same steps up to half a
// second after the recording has opened: the stalls that are the window's own without them.
// The first round reads every recording (cold), the later ones (one unless ROUNDS says more)
// choose the same folder again and find the summaries in the cache. Target: under 3 s, no stall over 50 ms.

#include "bench/BrowserBench.h"
#include "map/MapPages.h"
#include "map/MapProvider.h"
#include "playback/EngineStartup.h"
#include "ui/TripView.h"
#include "ui/VindrelDlg.h"
#include "window/Messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWebEngineProfile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Gaps between the ticks of a short timer: how long the event loop was away.
class StallWatch : public QObject {
public:
    StallWatch()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(2);
        connect(&timer_, &QTimer::timeout, this, [this] {
            const qint64 now = clock_.nsecsElapsed();
            if (last_ >= 0) {
                gapsMs_.push_back(double(now - last_) / 1e6);
                if (gapsMs_.back() > 50.0)
                    stalls_.push_back({double(last_) / 1e6, double(now) / 1e6});
            }
            last_ = now;
        });
    }
    void Start()
    {
        gapsMs_.clear();
        stalls_.clear();
        last_ = -1;
        clock_.start();
        timer_.start();
    }
    void Stop() { timer_.stop(); }
    double MaxMs() const { return gapsMs_.empty() ? 0.0 : *std::max_element(gapsMs_.begin(), gapsMs_.end()); }
    int Over(double ms) const
    {
        return int(std::count_if(gapsMs_.begin(), gapsMs_.end(), [ms](double g) { return g > ms; }));
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = -1;
    std::vector<double> gapsMs_;

public:
    struct Span {
        double fromMs, toMs;
    };
    std::vector<Span> stalls_;  ///< each stall over 50 ms, from Start()
    double NowMs() const { return double(clock_.nsecsElapsed()) / 1e6; }
    /// Stalls over 50 ms that do not hold one of the spans.
    int OverExcept(const std::vector<Span>& spans) const
    {
        return int(std::count_if(stalls_.begin(), stalls_.end(), [&](const Span& g) {
            return std::none_of(spans.begin(), spans.end(),
                                [&](const Span& o) { return g.fromMs <= o.fromMs && o.toMs <= g.toMs; });
        }));
    }
};

// Times the window's handling of "page loaded" (message 1025), in which the recording is opened:
// the movie, its tracks and the start of playback, the work of the playback side.
class OpenTimer : public QObject {
public:
    OpenTimer(CVindrelDlg& dlg, const StallWatch& watch) : dlg_(dlg), watch_(watch) { dlg.installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched != &dlg_ || e->type() != static_cast<QEvent::Type>(WM_MAP_DOCUMENT_COMPLETE) || inside_)
            return false;
        inside_ = true;
        const double from = watch_.NowMs();
        QCoreApplication::sendEvent(&dlg_, e);
        spans.push_back({from, watch_.NowMs()});
        longestMs = std::max(longestMs, spans.back().toMs - from);
        inside_ = false;
        return true;
    }
    double longestMs = 0;
    std::vector<StallWatch::Span> spans;

private:
    CVindrelDlg& dlg_;
    const StallWatch& watch_;
    bool inside_ = false;
};

template <typename Pred>
bool RunEventsUntil(Pred pred, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QThread::usleep(200);
    }
    return true;
}

int PageInt(CVindrelDlg& dlg, const QString& expression)
{
    int value = -1;
    bool done = false;
    dlg.mapView.page()->runJavaScript(expression, [&](const QVariant& v) {
        value = v.isValid() ? v.toInt() : -1;
        done = true;
    });
    RunEventsUntil([&] { return done; }, 5000);
    return value;
}

}  // namespace

int main(int argc, char** argv)
{
    PrepareBrowserBench();
    QApplication app(argc, argv);
    UseOfflineTiles();
    if (argc < 2) {
        std::fprintf(stderr, "usage: trips_bench FOLDER [ROUNDS]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);

    QTemporaryDir dir;
    QtEngineStartupUi ui;
    DialogServices s;
    s.folders = AppFoldersUnder(dir.path());
    s.startMediaEngine = [&ui] { return StartMediaEngine(ui); };
    s.writeMapPages = [](const AppFolders& folders) {
        return WriteMapPages(folders, [](const QString& m, int) { std::fprintf(stderr, "%s\n", qPrintable(m)); });
    };
    s.browseForFolder = [folder](QWidget*) { return folder; };
    CVindrelDlg dlg(std::move(s));
    dlg.show();
    RunEventsUntil([] { return false; }, 1500);  // the browser's first start and the start page

    StallWatch watch;
    OpenTimer opening(dlg, watch);
    int status = 0;
    const int rounds = argc > 2 ? std::max(2, std::atoi(argv[2])) : 2;
    const bool withoutTrips = argc > 3 && std::strcmp(argv[3], "--without-trips") == 0;
    if (withoutTrips) {
        dlg.tripView.reset();
        for (int r = 0; r < rounds; ++r) {
            watch.Start();
            opening.longestMs = 0;
            opening.spans.clear();
            QElapsedTimer t;
            t.start();
            dlg.OnFolder();
            dlg.OnListDoubleClick(ListSide::Left, 0);
            RunEventsUntil([&] { return dlg.recordingLoaded; }, 60000);
            const qint64 openedMs = t.elapsed();
            RunEventsUntil([] { return false; }, 500);
            watch.Stop();
            std::printf(
                "without trips: recording open %lld ms (opening the movie took %.1f ms)  longest stall %.1f ms  "
                "stalls over 50 ms %d, besides the opening %d:",
                static_cast<long long>(openedMs), opening.longestMs, watch.MaxMs(), watch.Over(50.0),
                watch.OverExcept(opening.spans));
            for (const StallWatch::Span& g : watch.stalls_)
                std::printf(" %.0f-%.0f", g.fromMs, g.toMs);
            std::printf("\n");
        }
        return 0;
    }
    for (int r = 0; r < rounds; ++r) {
        const char* round = r == 0 ? "cold" : "cached";
        watch.Start();
        opening.longestMs = 0;
        opening.spans.clear();
        QElapsedTimer t;
        t.start();
        qint64 scannedMs = -1;
        const QMetaObject::Connection c =
            QObject::connect(&dlg.tripView->Scanner(), &TripScanner::Finished, [&] { scannedMs = t.elapsed(); });
        qint64 sentMs = -1;
        const QMetaObject::Connection sent =
            QObject::connect(dlg.tripView.get(), &CTripView::TripLineSent, [&](int points) {
                if (points > 0 && sentMs < 0)
                    sentMs = t.elapsed();
            });
        dlg.OnFolder();
        const qint64 listedMs = t.elapsed();
        dlg.OnListDoubleClick(ListSide::Left, 0);
        const qint64 clickedMs = t.elapsed();
        qint64 openedMs = -1;
        const bool drawn = RunEventsUntil(
            [&] {
                if (openedMs < 0 && dlg.recordingLoaded)
                    openedMs = t.elapsed();
                const std::size_t points = dlg.tripView->TripPoints().size();
                return dlg.recordingLoaded && points > 0 &&
                       PageInt(dlg, QStringLiteral("tripCoordinates.length")) == int(points);
            },
            60000);
        const qint64 drawnMs = t.elapsed();
        watch.Stop();
        QObject::disconnect(c);
        QObject::disconnect(sent);
        std::printf("%-7s recordings %zu  listed %lld ms  read %lld ms  trip line drawn %lld ms (%zu points)  "
                    "longest stall %.1f ms  stalls over 50 ms %d  %s\n",
                    round, dlg.recordings.size(), static_cast<long long>(listedMs), static_cast<long long>(scannedMs),
                    static_cast<long long>(drawnMs), dlg.tripView->TripPoints().size(), watch.MaxMs(), watch.Over(50.0),
                    drawn && drawnMs < 3000 ? "" : "MISSED");
        // The window's own share of the trip work: the events of the open recording and the trip
        // line's script, as done when it is opened.
        QElapsedTimer own;
        own.start();
        dlg.tripView->RecordingOpened();
        const double ownMs = double(own.nsecsElapsed()) / 1e6;
        const int tripStalls = watch.OverExcept(opening.spans);
        std::printf("        double click done %lld ms, recording open %lld ms (opening the movie took %.1f ms); "
                    "stalls over 50 ms besides the opening %d; trip work on the window thread %.1f ms\n",
                    static_cast<long long>(clickedMs), static_cast<long long>(openedMs), opening.longestMs, tripStalls,
                    ownMs);
        std::printf("        trip line sent at %lld ms; stalls over 50 ms (from-to ms):",
                    static_cast<long long>(sentMs));
        for (const StallWatch::Span& g : watch.stalls_)
            std::printf(" %.0f-%.0f", g.fromMs, g.toMs);
        std::printf("\n");
        std::fflush(stdout);
        if (!drawn || drawnMs >= 3000 || tripStalls > 0)
            status = 1;
    }
    return status;
}
