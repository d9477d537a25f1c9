// The whole player window at work, with the real engine and the built-in map provider offline.
//
//   playing_bench open [FOLDER]      double click on a row -> map page loaded -> first frame painted,
//                                    five recordings, each timed (target: under 1 s)
//   playing_bench cpu [SECONDS [MOVIE...]]
//                                    processor seconds of the window playing each MOVIE (the map
//                                    page's browser processes included) against the mpv program
//                                    playing it at 720 x 405 with its X11 output, the two taken in
//                                    turn, and the frames each dropped (target: at most 1.2 times
//                                    mpv's, no more drops than mpv). Without movies: a one-minute
//                                    1920 x 1080 H.264 recording and a 3840 x 2160 HEVC one, made
//                                    once into VINDREL_BENCH_MOVIES (default /tmp/vindrel-bench-movies)
//   playing_bench memory [FOLDER]    resident memory of the player and its browser helpers after
//                                    recording 20 and after recording 100 of recordings played back
//                                    to back (target: growth between them < 3 %)
//
// Without a folder, short recordings are made with the sample tool in a temporary folder.

#include "bench/BrowserBench.h"
#include "map/MapPages.h"
#include "map/MapProvider.h"
#include "playback/EngineStartup.h"
#include "playback/QuickTime.h"
#include "playback/RealEngine.h"
#include "ui/VindrelDlg.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWebEngineProfile>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

/// Runs the event loop for a while as the player runs it: waiting for events, never polling (a
/// polling loop would be counted as the player's processor time).
void RunEventLoopFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void RunEventsFor(int milliseconds)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(500);
    }
}

template <typename Pred>
bool RunEventsUntil(Pred pred, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QThread::usleep(200);
    }
    return true;
}

/// utime + stime of a process from /proc, in seconds; its parent id through ppid.
double ProcCpu(int pid, int* ppid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(in, text);
    const auto close = text.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    std::istringstream rest(text.substr(close + 2));
    std::string field;
    std::vector<std::string> f;
    while (rest >> field) {
        f.push_back(field);
    }
    if (f.size() < 13) {
        return 0;
    }
    *ppid = std::stoi(f[1]);
    return (std::stod(f[11]) + std::stod(f[12])) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

/// Processor seconds of each thread of this process by thread name, the busiest first.
std::vector<std::pair<std::string, double>> ThreadCpu()
{
    std::map<std::string, double> byName;
    for (const QString& entry : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        std::ifstream in("/proc/self/task/" + entry.toStdString() + "/stat");
        std::string text;
        std::getline(in, text);
        const auto open = text.find('(');
        const auto close = text.rfind(')');
        if (open == std::string::npos || close == std::string::npos) {
            continue;
        }
        std::string name = text.substr(open + 1, close - open - 1);
        // Numbered workers of one kind count together.
        while (!name.empty() && (std::isdigit(static_cast<unsigned char>(name.back())) || name.back() == ':')) {
            name.pop_back();
        }
        std::istringstream rest(text.substr(close + 2));
        std::vector<std::string> f;
        for (std::string field; rest >> field;) {
            f.push_back(field);
        }
        if (f.size() >= 13) {
            byName[name] += (std::stod(f[11]) + std::stod(f[12])) / static_cast<double>(sysconf(_SC_CLK_TCK));
        }
    }
    std::vector<std::pair<std::string, double>> sorted(byName.begin(), byName.end());
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    return sorted;
}

/// This process and every process below it (the browser's helpers).
std::vector<int> ProcessTree()
{
    std::vector<std::pair<int, int>> all;  // pid, ppid
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool ok = false;
        const int pid = entry.toInt(&ok);
        if (!ok) {
            continue;
        }
        int ppid = 0;
        ProcCpu(pid, &ppid);
        all.push_back({pid, ppid});
    }
    std::vector<int> mine{static_cast<int>(getpid())};
    for (std::size_t i = 0; i < mine.size(); ++i) {
        for (const auto& [pid, ppid] : all) {
            if (ppid == mine[i]) {
                mine.push_back(pid);
            }
        }
    }
    return mine;
}

/// Processor seconds of this process and every process below it.
double TreeCpu()
{
    double total = 0;
    for (int pid : ProcessTree()) {
        int ppid = 0;
        total += ProcCpu(pid, &ppid);
    }
    return total;
}

long ResidentKiB(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

/// Resident memory of this process and every process below it.
long TreeResidentKiB()
{
    long total = 0;
    for (int pid : ProcessTree()) {
        total += ResidentKiB(pid);
    }
    return total;
}

QStringList MakeRecordings(const QString& folder, int count, int seconds)
{
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = folder + QStringLiteral("/AMBA%1.MOV").arg(i + 1, 4, 10, QLatin1Char('0'));
        const QString log = folder + QStringLiteral("/gps%1.log").arg(i + 1, 4, 10, QLatin1Char('0'));
        QProcess tool;
        tool.start(QStringLiteral(VINDREL_SAMPLE_TOOL),
                   {QStringLiteral("movie"), path, QStringLiteral("--seconds"), QString::number(seconds),
                    QStringLiteral("--offset"), QString::number(100 + i * seconds), QStringLiteral("--size"),
                    QStringLiteral("640x360"), QStringLiteral("--fps"), QStringLiteral("25"), QStringLiteral("--log"),
                    log});
        tool.waitForFinished(120000);
        QFile f(path);
        f.open(QIODevice::ReadWrite);
        f.setFileTime(QDateTime::currentDateTime().addSecs(-60 * (count - i)), QFileDevice::FileModificationTime);
        paths << path;
    }
    return paths;
}

QStringList RecordingsIn(const QString& folder)
{
    QStringList paths;
    for (const QString& name : QDir(folder).entryList(
             {QStringLiteral("*.MOV"), QStringLiteral("*.mov"), QStringLiteral("*.MP4"), QStringLiteral("*.mp4")},
             QDir::Files, QDir::Name)) {
        paths << QDir(folder).filePath(name);
    }
    return paths;
}

struct Window {
    QTemporaryDir dir;
    QtEngineStartupUi ui;
    std::unique_ptr<CVindrelDlg> dlg;

    explicit Window(const QStringList& commandLine)
    {
        DialogServices s;
        s.folders = AppFoldersUnder(dir.path());
        s.startMediaEngine = [this] { return StartMediaEngine(ui); };
        s.writeMapPages = [](const AppFolders& folders) {
            return WriteMapPages(folders, [](const QString& m, int) { std::fprintf(stderr, "%s\n", qPrintable(m)); });
        };
        s.isNetworkAlive = [] { return true; };  // the built-in provider works offline
        s.commandLine = commandLine;
        dlg = std::make_unique<CVindrelDlg>(std::move(s));
        dlg->show();
        RunEventsFor(1500);  // the browser's first start and the start page
    }

    void Drop(const QStringList& paths)
    {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& p : paths) {
            urls << QUrl::fromLocalFile(p);
        }
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(600, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(dlg.get(), &enter);
        QDropEvent drop(QPointF(600, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(dlg.get(), &drop);
    }
};

double Median(std::vector<double> v)
{
    if (v.empty()) {
        return -1;
    }
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int OpenBench(QStringList recordings)
{
    Window w({});
    w.Drop(recordings);
    CVindrelDlg& dlg = *w.dlg;
    auto* real = dynamic_cast<RealEngine*>(&CurrentEngine());
    if (!real) {
        std::fprintf(stderr, "the real engine did not start\n");
        return 1;
    }
    std::vector<double> pageMs, frameMs;
    const int rows = std::min(5, static_cast<int>(recordings.size()));
    for (int row = 0; row < rows; ++row) {
        const auto t0 = std::chrono::steady_clock::now();
        const QString title = QFileInfo(dlg.recordings[static_cast<std::size_t>(row)].filePath).completeBaseName();
        dlg.OnListDoubleClick(ListSide::Left, row);
        if (!RunEventsUntil([&] { return dlg.recordingLoaded && dlg.fileNameText.text() == title; }, 10000)) {
            std::printf("row %d: not opened\n", row);
            continue;
        }
        const auto opened = std::chrono::steady_clock::now();
        const Movie movie = dlg.videoView->movieWrapper->movie;
        RunEventsUntil([&] { return real->Stats(movie).firstPaint.time_since_epoch().count() != 0; }, 3000);
        const auto painted = real->Stats(movie).firstPaint;
        const double page = std::chrono::duration<double, std::milli>(opened - t0).count();
        pageMs.push_back(page);
        if (painted.time_since_epoch().count() == 0) {
            std::printf("row %d: map page loaded and recording opened %.0f ms, no frame painted within 3 s\n", row,
                        page);
        } else {
            const double frame = std::chrono::duration<double, std::milli>(painted - t0).count();
            frameMs.push_back(frame);
            std::printf("row %d: map page loaded and recording opened %.0f ms, first frame painted %.0f ms\n", row,
                        page, frame);
        }
        RunEventsFor(1500);
    }
    std::printf(
        "median: page %.0f ms, first frame %.0f ms after the double click, %zu of %zu painted (target < 1000 ms)\n",
        Median(pageMs), Median(frameMs), frameMs.size(), pageMs.size());
    return 0;
}

/// Processor seconds of the mpv program playing `seconds` of the movie; *drops gets the frames
/// it dropped (output and decoder), which a small script of its own writes at its end.
double MpvCpu(const QString& movie, int seconds, long* drops)
{
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("drops.lua"));
    const QString report = dir.filePath(QStringLiteral("drops.txt"));
    {
        QFile f(script);
        f.open(QIODevice::WriteOnly);
        // The counts are gone by the time mpv shuts down: the last ones announced are kept.
        f.write(QStringLiteral(
                    "local vo, dec = 0, 0\n"
                    "mp.observe_property('frame-drop-count', 'number', function(_, v) vo = v or vo end)\n"
                    "mp.observe_property('decoder-frame-drop-count', 'number', function(_, v) dec = v or dec end)\n"
                    "mp.register_event('shutdown', function()\n"
                    "  local f = io.open('%1', 'w')\n"
                    "  f:write(vo + dec)\n"
                    "  f:close()\nend)\n")
                    .arg(report)
                    .toUtf8());
    }
    std::vector<std::string> args = {"mpv",
                                     "--no-config",
                                     "--really-quiet",
                                     "--vo=x11",
                                     "--geometry=720x405",
                                     "--autofit=720x405",
                                     "--hwdec=no",
                                     "--sid=no",
                                     "--script=" + QFile::encodeName(script).toStdString(),
                                     "--length=" + std::to_string(seconds),
                                     QFile::encodeName(movie).toStdString()};
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "mpv", nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) < 0) {
        return -1;
    }
    QFile counted(report);
    *drops = counted.open(QIODevice::ReadOnly) ? counted.readAll().trimmed().toLong() : -1;
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

/// The two movies of the processor benchmark, made once: the sample tool's one-minute
/// 1920 x 1080 H.264 recording, and 30 s of it scaled to 3840 x 2160 and encoded as HEVC.
QStringList BenchMovies()
{
    const QByteArray env = qgetenv("VINDREL_BENCH_MOVIES");
    const QString folder = env.isEmpty() ? QStringLiteral("/tmp/vindrel-bench-movies") : QString::fromLocal8Bit(env);
    QDir().mkpath(folder);
    const QString hd = folder + QStringLiteral("/hd1080-h264.mov");
    const QString uhd = folder + QStringLiteral("/uhd2160-hevc.mov");
    if (!QFileInfo::exists(hd)) {
        std::printf("making %s\n", qPrintable(hd));
        QProcess tool;
        tool.start(QStringLiteral(VINDREL_SAMPLE_TOOL),
                   {QStringLiteral("movie"), hd + QStringLiteral(".part.mov"), QStringLiteral("--seconds"),
                    QStringLiteral("60"), QStringLiteral("--size"), QStringLiteral("1920x1080"),
                    QStringLiteral("--fps"), QStringLiteral("30")});
        tool.waitForFinished(600000);
        QFile::rename(hd + QStringLiteral(".part.mov"), hd);
    }
    if (!QFileInfo::exists(uhd)) {
        std::printf("making %s (a few minutes)\n", qPrintable(uhd));
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"), {QStringLiteral("-v"),
                                                QStringLiteral("error"),
                                                QStringLiteral("-y"),
                                                QStringLiteral("-i"),
                                                hd,
                                                QStringLiteral("-t"),
                                                QStringLiteral("30"),
                                                QStringLiteral("-map"),
                                                QStringLiteral("0"),
                                                QStringLiteral("-c"),
                                                QStringLiteral("copy"),
                                                QStringLiteral("-c:v"),
                                                QStringLiteral("libx265"),
                                                QStringLiteral("-preset"),
                                                QStringLiteral("ultrafast"),
                                                QStringLiteral("-x265-params"),
                                                QStringLiteral("log-level=error"),
                                                QStringLiteral("-tag:v"),
                                                QStringLiteral("hvc1"),
                                                QStringLiteral("-vf"),
                                                QStringLiteral("scale=3840:2160"),
                                                QStringLiteral("-tag:s"),
                                                QStringLiteral("text"),
                                                uhd + QStringLiteral(".part.mov")});
        ffmpeg.waitForFinished(1800000);
        QFile::rename(uhd + QStringLiteral(".part.mov"), uhd);
    }
    return {hd, uhd};
}

int CpuBench(const QStringList& movies, int seconds)
{
    Window w({});
    CVindrelDlg& dlg = *w.dlg;
    auto* real = dynamic_cast<RealEngine*>(&CurrentEngine());
    if (!real) {
        std::fprintf(stderr, "the real engine did not start\n");
        return 1;
    }
    std::printf("video output: %s (%s)\n", VideoOutputName(real->VideoOutput().kind),
                real->VideoOutput().reason.c_str());
    // Each movie in turn, the window then the mpv program, for two rounds.
    std::map<QString, std::pair<double, double>> totals;  // movie: (window, mpv) processor seconds
    for (int round = 0; round < 2; ++round)
        for (const QString& movie : movies) {
            w.Drop({movie});
            if (!RunEventsUntil([&] { return dlg.recordingLoaded; }, 10000)) {
                std::fprintf(stderr, "%s: not opened\n", qPrintable(movie));
                return 1;
            }
            const auto selfCpu = [] {
                rusage u{};
                getrusage(RUSAGE_SELF, &u);
                return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
            };
            const Movie playing = dlg.videoView->movieWrapper->movie;
            const auto threads0 = ThreadCpu();
            const RealEngine::MovieStats atStart = real->Stats(playing);
            const double cpu0 = TreeCpu();
            const double self0 = selfCpu();
            RunEventLoopFor(seconds * 1000);
            const double ours = TreeCpu() - cpu0;
            const double self = selfCpu() - self0;
            const RealEngine::MovieStats stats = real->Stats(playing);
            const long ourDrops = stats.hasPlayer ? long(stats.framesDropped + stats.decoderFramesDropped) : -1;
            const long dropsWhileMeasured =
                ourDrops - (atStart.hasPlayer ? long(atStart.framesDropped + atStart.decoderFramesDropped) : 0);
            std::printf("%s\n  the player's own process %.2f s, the browser's helper processes %.2f s; window at %s\n",
                        qPrintable(QFileInfo(movie).fileName()), self, ours - self, qPrintable(dlg.timeText.text()));
            // Where the player's own time went, by thread (threads that ended since are left out).
            std::map<std::string, double> before(threads0.begin(), threads0.end());
            std::printf("  busiest threads:");
            int shown = 0;
            for (const auto& [name, cpu] : ThreadCpu()) {
                const double spent = cpu - before[name];
                if (spent >= 0.1 && shown++ < 8) {
                    std::printf(" %s %.2f s;", name.c_str(), spent);
                }
            }
            std::printf("\n");
            dlg.StopPlayback();
            RunEventsFor(500);
            long theirDrops = -1;
            const double theirs = MpvCpu(movie, seconds, &theirDrops);
            std::printf("  cpu over %d s: vindrel window %.2f s (browser processes included), mpv %.2f s, ratio %.2f "
                        "(target <= 1.2); frames dropped: vindrel %ld since the open (%ld while measured), mpv %ld\n",
                        seconds, ours, theirs, theirs > 0 ? ours / theirs : 0.0, ourDrops, dropsWhileMeasured,
                        theirDrops);
            totals[movie].first += ours;
            totals[movie].second += theirs;
        }
    for (const auto& [movie, cpu] : totals) {
        std::printf("%s over both rounds: vindrel %.2f s, mpv %.2f s, ratio %.2f (target <= 1.2)\n",
                    qPrintable(QFileInfo(movie).fileName()), cpu.first, cpu.second,
                    cpu.second > 0 ? cpu.first / cpu.second : 0.0);
    }
    return 0;
}

int MemoryBench(QStringList recordings)
{
    Window w({});
    w.Drop(recordings);
    CVindrelDlg& dlg = *w.dlg;
    dlg.OnListDoubleClick(ListSide::Left, 0);
    // Recording 20 has been played once the 21st is the current one (the list counts from 0).
    const int mark = std::min(20, static_cast<int>(recordings.size()) - 1);
    RunEventsUntil([&] { return dlg.currentRecording >= mark || dlg.stopped; }, 1200000);
    const long first = TreeResidentKiB();
    const long firstSelf = ResidentKiB(getpid());
    std::printf("after recording %d: %ld KiB (the player's own process %ld KiB)\n", mark, first, firstSelf);
    const int last = static_cast<int>(recordings.size()) - 1;
    RunEventsUntil([&] { return dlg.stopped; }, 3600000);
    RunEventsFor(1000);
    const long after = TreeResidentKiB();
    std::printf("after recording %d: %ld KiB (the player's own process %ld KiB), growth %.1f %% (target < 3 %%)\n",
                last + 1, after, ResidentKiB(getpid()), 100.0 * (after - first) / std::max(first, 1L));
    if (auto* real = dynamic_cast<RealEngine*>(&CurrentEngine())) {
        std::printf("engine: %zu movies, %zu mpv instances still held\n", real->MovieCount(), real->PlayerCount());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    PrepareBrowserBench();
    QApplication app(argc, argv);
    UseOfflineTiles();

    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0);
    QTemporaryDir made;
    if (mode == QLatin1String("open")) {
        const QStringList recs = args.size() > 1 ? RecordingsIn(args[1]) : MakeRecordings(made.path(), 5, 6);
        return OpenBench(recs);
    }
    if (mode == QLatin1String("cpu")) {
        QStringList movies;
        for (const QString& m : args.mid(2)) {
            movies << QFileInfo(m).absoluteFilePath();
        }
        return CpuBench(movies.isEmpty() ? BenchMovies() : movies, args.size() > 1 ? args[1].toInt() : 20);
    }
    if (mode == QLatin1String("memory")) {
        const QStringList recs = args.size() > 1 ? RecordingsIn(args[1]) : MakeRecordings(made.path(), 100, 3);
        return MemoryBench(recs);
    }
    std::fprintf(stderr, "usage: playing_bench open [FOLDER] | cpu [SECONDS [MOVIE...]] | memory [FOLDER]\n");
    return 2;
}
