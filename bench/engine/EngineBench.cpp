// engine_bench [MOVIE] [SECONDS]
// engine_bench --snapshot OUT.png [MOVIE]
//
// Plays MOVIE (default: a one-minute 1920 × 1080, 30 frames a second H.264/AAC recording made
// with ffmpeg on first use) in a 720 × 405 video view for SECONDS (default 20), twice, and the
// mpv program on the same file at the same window size twice, alternating. Reports the CPU
// seconds of each, their ratio, the frames painted and dropped, and the time from OpenMovie to
// the first frame painted. Needs an X display. With --snapshot it plays two seconds, takes a
// screenshot (the small copy flashes) and saves what the X server shows of the window.
#include "playback/EngineStartup.h"
#include "playback/MpvPlayer.h"
#include "playback/QuickTime.h"
#include "playback/RealEngine.h"
#include "playback/VideoView.h"

#include "playback/Screenshot.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {
double CpuSeconds(const rusage& u)
{
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double SelfCpu()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return CpuSeconds(u);
}

void RunEvents(int ms)
{
    // A real event loop that sleeps while nothing happens, as the player's does.
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct NoOwner : VideoViewOwner {
    int updates = 0;
    void PeriodicUpdate() override { ++updates; }
};

struct EngineRun {
    double cpu = 0;
    double firstFrameMs = -1;
    std::uint64_t painted = 0;
    std::uint64_t rendered = 0;
    std::int64_t dropped = -1;
    std::int64_t decoderDropped = -1;
    int updates = 0;
};

EngineRun PlayInView(const QString& movie, int seconds)
{
    EngineRun run;
    QWidget dialog;
    dialog.resize(1160, 678);
    NoOwner owner;
    auto* view = new CVideoView(&owner, &dialog);
    view->setGeometry(5, 45, 720, 405);
    dialog.show();
    CQuickTime& qt = *view->movieWrapper;
    qt.AttachWindow(view);
    qt.pictureWidth = 720;
    qt.pictureHeight = 405;
    view->ShowStopPicture(720, 405);
    RunEvents(300);

    const double cpu0 = SelfCpu();
    const auto t0 = std::chrono::steady_clock::now();
    if (qt.OpenMovie(QFile::encodeName(movie).constData()) != 1) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(movie));
        return run;
    }
    EnginePlayMovie(qt.movie);
    auto* real = dynamic_cast<RealEngine*>(&CurrentEngine());
    RunEvents(seconds * 1000);
    run.cpu = SelfCpu() - cpu0;
    const RealEngine::MovieStats stats = real->Stats(qt.movie);
    if (stats.firstPaint.time_since_epoch().count() != 0)
        run.firstFrameMs = std::chrono::duration<double, std::milli>(stats.firstPaint - t0).count();
    run.painted = stats.framesPainted;
    run.rendered = stats.framesRendered;
    run.dropped = stats.framesDropped;
    run.decoderDropped = stats.decoderFramesDropped;
    run.updates = owner.updates;
    EngineHaltMovie(qt.movie);
    return run;
}

// The mpv program on the same file, same window size, same audio output; its CPU seconds.
double PlayInMpv(const QString& movie, int seconds, bool nullAudio)
{
    std::vector<std::string> args = {"mpv",
                                     "--no-config",
                                     "--really-quiet",
                                     "--vo=x11",
                                     "--geometry=720x405",
                                     "--autofit=720x405",
                                     "--hwdec=no",
                                     "--sid=no",
                                     "--length=" + std::to_string(seconds),
                                     QFile::encodeName(movie).toStdString()};
    if (nullAudio)
        args.insert(args.begin() + 1, "--ao=null");
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "mpv", nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) < 0)
        return -1;
    return CpuSeconds(usage);
}

int Snapshot(const QString& out, const QString& movie)
{
    QWidget dialog;
    dialog.resize(1160, 678);
    dialog.setStyleSheet("background: #203040");
    NoOwner owner;
    auto* view = new CVideoView(&owner, &dialog);
    view->setGeometry(5, 45, 720, 405);
    dialog.show();
    CQuickTime& qt = *view->movieWrapper;
    qt.AttachWindow(view);
    qt.pictureWidth = 720;
    qt.pictureHeight = 405;
    view->ShowStopPicture(720, 405);
    if (qt.OpenMovie(QFile::encodeName(movie).constData()) != 1)
        return 1;
    EnginePlayMovie(qt.movie);
    RunEvents(2000);
    QTemporaryDir shots;
    const QString shot = TakeScreenshot(*view, shots.path());
    RunEvents(150);
    const QPixmap screen = dialog.screen()->grabWindow(dialog.winId());
    std::printf("screenshot file %s, window saved to %s\n", qPrintable(QFileInfo(shot).fileName()), qPrintable(out));
    if (!screen.save(out))
        return 1;
    // Then what Stop leaves: the movie at its end and forgotten, the stop picture shown.
    EngineMovieToEnd(qt.movie);
    view->ShowStopPicture(720, 405);
    qt.movie = nullptr;
    RunEvents(300);
    QString stopped = out;
    stopped.replace(".png", "-stopped.png");
    std::printf("after Stop saved to %s\n", qPrintable(stopped));
    return dialog.screen()->grabWindow(dialog.winId()).save(stopped) ? 0 : 1;
}

QString MakeMovie()
{
    const QString dir = QDir::temp().filePath("vindrel-bench");
    QDir().mkpath(dir);
    const QString path = dir + "/one-minute-1080p30.mov";
    if (QFileInfo::exists(path))
        return path;
    std::fprintf(stderr, "making %s with ffmpeg (once)...\n", qPrintable(path));
    const int status = QProcess::execute("ffmpeg", {"-v",
                                                    "error",
                                                    "-y",
                                                    "-f",
                                                    "lavfi",
                                                    "-i",
                                                    "testsrc2=size=1920x1080:rate=30",
                                                    "-f",
                                                    "lavfi",
                                                    "-i",
                                                    "sine=frequency=440:sample_rate=48000",
                                                    "-t",
                                                    "60",
                                                    "-c:v",
                                                    "libx264",
                                                    "-preset",
                                                    "veryfast",
                                                    "-b:v",
                                                    "12M",
                                                    "-pix_fmt",
                                                    "yuv420p",
                                                    "-c:a",
                                                    "aac",
                                                    "-b:a",
                                                    "128k",
                                                    path + ".part.mov"});
    if (status != 0)
        return QString();
    QFile::rename(path + ".part.mov", path);
    return path;
}
}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc > 2 && QString(argv[1]) == "--snapshot") {
        if (StartEngineLibrary(0) != noErr || EnterMovies() != noErr)
            return 1;
        const int status =
            Snapshot(QString::fromLocal8Bit(argv[2]), argc > 3 ? QString::fromLocal8Bit(argv[3]) : MakeMovie());
        EngineLeaveMovies();
        return status;
    }
    const QString movie = argc > 1 ? QString::fromLocal8Bit(argv[1]) : MakeMovie();
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    if (movie.isEmpty() || !QFileInfo::exists(movie)) {
        std::fprintf(stderr, "no movie\n");
        return 1;
    }
    if (StartEngineLibrary(0) != noErr || EnterMovies() != noErr) {
        std::fprintf(stderr, "the engine does not start\n");
        return 1;
    }
    const bool nullAudio = !SoundDeviceLikely();
    std::printf("movie %s, %d s a run, audio output: %s\n", qPrintable(movie), seconds, nullAudio ? "null" : "default");
    std::vector<EngineRun> ours;
    std::vector<double> theirs;
    for (int round = 0; round < 2; ++round) {
        ours.push_back(PlayInView(movie, seconds));
        const EngineRun& r = ours.back();
        std::printf("vindrel: cpu %.2f s, first frame %.0f ms, rendered %llu, painted %llu of %d, dropped %lld "
                    "(decoder %lld), updates %d\n",
                    r.cpu, r.firstFrameMs, (unsigned long long)r.rendered, (unsigned long long)r.painted, seconds * 30,
                    (long long)r.dropped, (long long)r.decoderDropped, r.updates);
        std::fflush(stdout);
        theirs.push_back(PlayInMpv(movie, seconds, nullAudio));
        std::printf("mpv:     cpu %.2f s\n", theirs.back());
        std::fflush(stdout);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    };
    std::vector<double> ourCpu, firsts;
    for (const auto& r : ours) {
        ourCpu.push_back(r.cpu);
        firsts.push_back(r.firstFrameMs);
    }
    // The time to the first frame on its own, five more times, each with the engine settled.
    for (int i = 0; i < 5; ++i) {
        RunEvents(2000);
        firsts.push_back(PlayInView(movie, 1).firstFrameMs);
    }
    std::printf("first frame painted, all runs:");
    for (double f : firsts)
        std::printf(" %.0f", f);
    std::printf(" ms\n");
    const double a = median(ourCpu), b = median(theirs);
    std::printf("median cpu: vindrel %.2f s, mpv %.2f s, ratio %.2f (target <= 1.30)\n", a, b, b > 0 ? a / b : 0.0);
    std::printf("first frame painted after OpenMovie: %.0f ms median (target < 150 ms)\n", median(firsts));
    EngineLeaveMovies();
    return 0;
}
