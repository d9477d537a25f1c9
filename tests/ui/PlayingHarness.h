#pragma once
// Helpers for the playing tests: recordings made with the sample tool, a recorder of the calls
// the map page receives, and expected coordinate texts worked out from a GPS log line.

#include "DialogHarness.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

#include <cmath>

/// The log beside a recording: "gps" and the name without its camera prefix ("AMBA0001.MOV" has
/// "gps0001.log").
inline QString LogBeside(const QString& recordingPath)
{
    const int slash = recordingPath.lastIndexOf(QLatin1Char('/'));
    QString base = recordingPath.mid(slash + 1);
    base = base.left(base.lastIndexOf(QLatin1Char('.')));
    if (base.startsWith(QLatin1String("AMBA"))) {
        base = base.mid(4);
    }
    return recordingPath.left(slash) + QStringLiteral("/gps") + base + QStringLiteral(".log");
}

/// Makes a recording of `seconds` with the sample tool (small picture, 5 frames a second). With
/// a log, its GPS log goes beside it. The drive starts at second `offset` of the simulated trip.
inline QString MakeRecording(const QString& folder, const QString& name, int seconds, bool withLog, int offset = 100)
{
    const QString path = folder + QLatin1Char('/') + name;
    QStringList args{QStringLiteral("movie"),     path,
                     QStringLiteral("--seconds"), QString::number(seconds),
                     QStringLiteral("--offset"),  QString::number(offset),
                     QStringLiteral("--size"),    QStringLiteral("160x90"),
                     QStringLiteral("--fps"),     QStringLiteral("5")};
    if (withLog) {
        args << QStringLiteral("--log") << LogBeside(path);
    }
    QProcess tool;
    tool.start(QStringLiteral(VINDREL_SAMPLE_TOOL), args);
    EXPECT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    return path;
}

/// Dates a file minutesAgo minutes back, so the list orders recordings made within one second.
inline void SetAge(const QString& path, int minutesAgo)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(
        f.setFileTime(QDateTime::currentDateTime().addSecs(-60 * minutesAgo), QFileDevice::FileModificationTime));
}

/// The coordinate texts of one log line, worked out by hand from its ddmm.mmmm fields.
struct ExpectedPosition {
    double latitude = 0;  ///< signed decimal degrees
    double longitude = 0;
    QString latitudeLabel;   ///< "N:22.584828"
    QString longitudeLabel;  ///< "E:113.921957"
};

inline ExpectedPosition PositionFromLogLine(const QString& line)
{
    const QStringList f = line.split(QLatin1Char(','));
    const auto degrees = [](const QString& field, int degreeDigits) {
        return field.left(degreeDigits).toDouble() + field.mid(degreeDigits).toDouble() / 60.0;
    };
    ExpectedPosition p;
    const double lat = degrees(f[3], 2);
    const double lon = degrees(f[5], 3);
    p.latitude = f[4] == QLatin1String("S") ? -lat : lat;
    p.longitude = f[6] == QLatin1String("W") ? -lon : lon;
    p.latitudeLabel = f[4] + QLatin1Char(':') + QString::number(lat, 'f', 6);
    p.longitudeLabel = f[6] + QLatin1Char(':') + QString::number(lon, 'f', 6);
    return p;
}

inline QStringList LogLines(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

/// Installs, on every page the map view loads from now on, a wrapper around the page functions
/// the player calls that writes each call into window.playerCalls.
inline void InstallPageRecorder(CVindrelDlg& dlg)
{
    QWebEngineScript script;
    script.setName(QStringLiteral("player-call-recorder"));
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setSourceCode(QStringLiteral(R"JS(
        window.playerCalls = [];
        ['clearPath', 'appendPathNode', 'showPath', 'setstart', 'setposition'].forEach(function (name) {
            var f = window[name];
            if (typeof f !== 'function') return;
            window[name] = function () {
                window.playerCalls.push(name + '(' + Array.prototype.join.call(arguments, ',') + ')');
                return f.apply(this, arguments);
            };
        });)JS"));
    dlg.mapView.page()->scripts().insert(script);
}

/// The calls the page shown now has received, in order; empty on a page without the functions.
inline QStringList PageCalls(CVindrelDlg& dlg)
{
    QStringList calls;
    bool done = false;
    dlg.mapView.page()->runJavaScript(QStringLiteral("JSON.stringify(window.playerCalls || [])"),
                                      [&](const QVariant& v) {
                                          const QString json = v.toString();
                                          static const QRegularExpression item(QStringLiteral("\"([^\"]*)\""));
                                          for (auto it = item.globalMatch(json); it.hasNext();) {
                                              calls << it.next().captured(1);
                                          }
                                          done = true;
                                      });
    EXPECT_TRUE(WaitUntil([&] { return done; }));
    return calls;
}

/// The name and the two numbers of a recorded call "name(a,b)".
struct PageCall {
    QString name;
    std::vector<double> args;
};

inline PageCall ParseCall(const QString& text)
{
    PageCall c;
    const int open = text.indexOf(QLatin1Char('('));
    c.name = text.left(open);
    const QString inner = text.mid(open + 1, text.size() - open - 2);
    for (const QString& a : inner.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        c.args.push_back(a.toDouble());
    }
    return c;
}

/// The window with the page recorder in place before its first page loads. The map-load
/// watchdog waits mapPatienceMs: a display shared with other work can take longer than 3 s to
/// load the map page, and only the watchdog's own test needs its real period.
inline CVindrelDlg& StartRecorded(DialogHarness& h, int mapPatienceMs = 20000)
{
    h.dlg = std::make_unique<CVindrelDlg>(h.services);
    h.dlg->mapLoadTimer.setInterval(mapPatienceMs);
    InstallPageRecorder(*h.dlg);
    h.dlg->show();
    if (h.dlg->Initialized()) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(h.dlg.get()));
    }
    return *h.dlg;
}

inline bool PageIs(const CVindrelDlg& dlg, const char* file)
{
    return dlg.currentPageUrl.endsWith(QLatin1Char('/') + QLatin1String(file));
}

/// The time text starts with "hh:mm:ss" of second k.
inline bool AtSecond(const CVindrelDlg& dlg, int k)
{
    return dlg.timeText.text().startsWith(QString::asprintf("%02d:%02d:%02d/", k / 3600, k % 3600 / 60, k % 60));
}
