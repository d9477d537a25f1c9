// The whole player window at work, with the real engine and the built-in map provider offline.
//
//   playing_bench open [FOLDER]      double click on a row -> map page loaded -> first frame painted,
//                                    five recordings, each timed (target: under 1 s)
//   playing_bench cpu MOVIE [SECONDS] processor seconds of the window playing MOVIE (the map page's
//                                    browser processes included) against the mpv program playing
//                                    it at 720 x 405 (target: at most 1.5 times mpv's)
//   playing_bench memory [FOLDER]    resident memory after the first and after the twentieth of
//                                    twenty recordings played back to back (target: growth < 10 %)
//
// Without a folder, short recordings are made with the sample tool in a temporary folder.

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
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <QWebEngineProfile>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

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

/// Processor seconds of this process and every process below it (the browser's helpers).
double TreeCpu()
{
    std::vector<std::pair<int, std::pair<int, double>>> all;  // pid, (ppid, cpu)
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool ok = false;
        const int pid = entry.toInt(&ok);
        if (!ok) {
            continue;
        }
        int ppid = 0;
        const double cpu = ProcCpu(pid, &ppid);
        all.push_back({pid, {ppid, cpu}});
    }
    std::vector<int> mine{static_cast<int>(getpid())};
    double total = 0;
    for (std::size_t i = 0; i < mine.size(); ++i) {
        for (const auto& [pid, info] : all) {
            if (pid == mine[i]) {
                total += info.second;
            }
            if (info.first == mine[i]) {
                mine.push_back(pid);
            }
        }
    }
    return total;
}

long ResidentKiB()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
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
                    QStringLiteral("640x360"), QStringLiteral("--fps"), QStringLiteral("25"), QStringLiteral("--log"), log});
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
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.MOV"), QStringLiteral("*.mov"),
                                                      QStringLiteral("*.MP4"), QStringLiteral("*.mp4")},
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
            std::printf("row %d: map page loaded and recording opened %.0f ms, no frame painted within 3 s\n", row, page);
        } else {
            const double frame = std::chrono::duration<double, std::milli>(painted - t0).count();
            frameMs.push_back(frame);
            std::printf("row %d: map page loaded and recording opened %.0f ms, first frame painted %.0f ms\n", row, page, frame);
        }
        RunEventsFor(1500);
    }
    std::printf("median: page %.0f ms, first frame %.0f ms after the double click, %zu of %zu painted (target < 1000 ms)\n",
                Median(pageMs), Median(frameMs), frameMs.size(), pageMs.size());
    return 0;
}

double MpvCpu(const QString& movie, int seconds)
{
    std::vector<std::string> args = {"mpv", "--no-config", "--really-quiet", "--vo=x11", "--geometry=720x405",
                                     "--autofit=720x405", "--hwdec=no", "--sid=no",
                                     "--length=" + std::to_string(seconds), QFile::encodeName(movie).toStdString()};
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
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

int CpuBench(const QString& movie, int seconds)
{
    Window w({});
    w.Drop({movie});
    CVindrelDlg& dlg = *w.dlg;
    if (!RunEventsUntil([&] { return dlg.recordingLoaded; }, 10000)) {
        std::fprintf(stderr, "not opened\n");
        return 1;
    }
    const auto selfCpu = [] {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
    };
    const double cpu0 = TreeCpu();
    const double self0 = selfCpu();
    RunEventsFor(seconds * 1000);
    const double ours = TreeCpu() - cpu0;
    const double self = selfCpu() - self0;
    std::printf("the player's own process %.2f s, the browser's helper processes %.2f s\n", self, ours - self);
    std::printf("window at %s, %s\n", qPrintable(dlg.timeText.text()), qPrintable(dlg.longitudeText.text()));
    dlg.StopPlayback();
    const double theirs = MpvCpu(movie, seconds);
    std::printf("cpu over %d s: vindrel window %.2f s (browser processes included), mpv %.2f s, ratio %.2f (target <= 1.5)\n",
                seconds, ours, theirs, theirs > 0 ? ours / theirs : 0.0);
    return 0;
}

int MemoryBench(QStringList recordings)
{
    Window w({});
    w.Drop(recordings);
    CVindrelDlg& dlg = *w.dlg;
    dlg.OnListDoubleClick(ListSide::Left, 0);
    RunEventsUntil([&] { return dlg.currentRecording == 1; }, 60000);
    const long first = ResidentKiB();
    std::printf("after recording 1: %ld KiB\n", first);
    const int last = static_cast<int>(recordings.size()) - 1;
    RunEventsUntil([&] { return dlg.stopped; }, 600000);
    RunEventsFor(1000);
    const long after = ResidentKiB();
    std::printf("after recording %d: %ld KiB, growth %.1f %% (target < 10 %%)\n", last + 1, after,
                100.0 * (after - first) / std::max(first, 1L));
    if (auto* real = dynamic_cast<RealEngine*>(&CurrentEngine())) {
        std::printf("engine: %zu movies, %zu mpv instances still held\n", real->MovieCount(), real->PlayerCount());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QTWEBENGINE_CHROMIUM_FLAGS") == nullptr) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    }
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    RegisterMapScheme();
    QApplication app(argc, argv);
    // Tiles from a port that refuses at once: the offline case, measured without waiting on DNS.
    InstallMapProvider(QWebEngineProfile::defaultProfile(),
                       {QStringLiteral("http://127.0.0.1:9/{z}/{x}/{y}.png"), QStringLiteral("offline"),
                        QStringLiteral("http://127.0.0.1:9/{z}/{x}/{y}.png"), QStringLiteral("offline")});

    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0);
    QTemporaryDir made;
    if (mode == QLatin1String("open")) {
        const QStringList recs = args.size() > 1 ? RecordingsIn(args[1]) : MakeRecordings(made.path(), 5, 6);
        return OpenBench(recs);
    }
    if (mode == QLatin1String("cpu") && args.size() > 1) {
        return CpuBench(QFileInfo(args[1]).absoluteFilePath(), args.size() > 2 ? args[2].toInt() : 60);
    }
    if (mode == QLatin1String("memory")) {
        const QStringList recs = args.size() > 1 ? RecordingsIn(args[1]) : MakeRecordings(made.path(), 20, 3);
        return MemoryBench(recs);
    }
    std::fprintf(stderr, "usage: playing_bench open [FOLDER] | cpu MOVIE [SECONDS] | memory [FOLDER]\n");
    return 2;
}
