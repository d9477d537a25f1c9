// The map view in Qt WebEngine: messages to the main window, script calls, silence, the route,
// and the map page with the built-in provider, all offline.

#include "map/GoogleMapView.h"
#include "map/MapPages.h"
#include "map/MapProvider.h"
#include "window/Messages.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineProfile>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Stands in for the main window: records the map messages and answers them with 1.
class Recorder : public QObject {
public:
    bool event(QEvent* e) override
    {
        const int type = static_cast<int>(e->type());
        if (type >= WM_MAP_DOCUMENT_COMPLETE && type <= WM_MAP_DOWNLOAD_DONE) {
            messages.push_back(type);
            static_cast<WindowMessage*>(e)->result = 1;
            return true;
        }
        return QObject::event(e);
    }
    int Count(int message) const { return static_cast<int>(std::count(messages.begin(), messages.end(), message)); }

    std::vector<int> messages;
};

const char kProbePage[] = R"(<html><head><script>
var calls = [];
function record(a, b) { calls.push(["record", a, b]); }
function clearPath() { calls.push(["clearPath"]); }
function appendPathNode(a, b) { calls.push(["appendPathNode", a, b]); }
</script></head><body>probe</body></html>)";

class MapViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folders = AppFoldersUnder(dir.path());
        ASSERT_TRUE(WriteMapPages(folders, nullptr));
        QFile probe(folders.urlFolder + "probe.html");
        ASSERT_TRUE(probe.open(QIODevice::WriteOnly));
        probe.write(kProbePage);
        probe.close();
        // Tiles from a closed port on this machine: the map is offline whatever the network does.
        InstallMapProvider(&profile, {"http://127.0.0.1:9/normal/{z}/{x}/{y}.png", "test",
                                      "http://127.0.0.1:9/hybrid/{z}/{x}/{y}.png", "test"});
        view = std::make_unique<CGoogleMapView>(nullptr, &profile);
        view->SetMessageTarget(&recorder);
        view->resize(760, 540);
        view->show();
    }

    void TearDown() override { view.reset(); }

    // Navigates and waits for the page's 1025.
    void Load(const QString& name)
    {
        const int before = recorder.Count(WM_MAP_DOCUMENT_COMPLETE);
        view->NavigateMapView(folders.urlFolder + name);
        ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.Count(WM_MAP_DOCUMENT_COMPLETE) > before; }, 15000))
            << qPrintable(name);
    }

    // Runs a script and waits for its value.
    QVariant Eval(const QString& script)
    {
        auto result = std::make_shared<std::pair<bool, QVariant>>(false, QVariant());
        view->page()->runJavaScript(script, [result](const QVariant& v) { *result = {true, v}; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result->first; }, 10000)) << qPrintable(script);
        return result->second;
    }

    QJsonArray EvalJson(const QString& script)
    {
        return QJsonDocument::fromJson(Eval("JSON.stringify(" + script + ")").toString().toUtf8()).array();
    }

    bool WaitUntil(const QString& condition, int ms = 10000)
    {
        return QTest::qWaitFor([&] { return Eval(condition).toBool(); }, ms);
    }

    QTemporaryDir dir;
    AppFolders folders;
    Recorder recorder;
    QWebEngineProfile profile;  // off the record, outlives the view
    std::unique_ptr<CGoogleMapView> view;
};

GpsSample Sample(const char* latitude, const char* longitude)
{
    GpsSample s;
    s.latitude = QString::fromLatin1(latitude);
    s.longitude = QString::fromLatin1(longitude);
    return s;
}

bool AnyDialogShown()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && qobject_cast<QDialog*>(w) != nullptr) {
            return true;
        }
    }
    return false;
}

}  // namespace

TEST_F(MapViewTest, EveryFinishedLoadSendsOneDocumentComplete)
{
    Load("startup.html");
    QTest::qWait(300);
    EXPECT_EQ(recorder.Count(WM_MAP_DOCUMENT_COMPLETE), 1);
    // Before-navigate comes first, document-complete last.
    ASSERT_FALSE(recorder.messages.empty());
    EXPECT_EQ(recorder.messages.front(), WM_MAP_BEFORE_NAVIGATE);
    EXPECT_EQ(recorder.messages.back(), WM_MAP_DOCUMENT_COMPLETE);
    EXPECT_GE(recorder.Count(WM_MAP_NAVIGATE_COMPLETE), 1);
    EXPECT_GE(recorder.Count(WM_MAP_DOWNLOAD_DONE), 1);

    Load("no_gps_file.html");
    Load("no_connection.html");
    Load("no_connection.html");  // the same page again is a load of its own
    QTest::qWait(300);
    EXPECT_EQ(recorder.Count(WM_MAP_DOCUMENT_COMPLETE), 4);
    EXPECT_EQ(Eval("document.body.innerText.indexOf('ERROR: Check your internet connection!') >= 0").toBool(), true);
}

TEST_F(MapViewTest, DownloadDoneOnlyWhenProgressReachesTheEnd)
{
    Load("startup.html");
    recorder.messages.clear();
    emit view->loadProgress(50);
    EXPECT_TRUE(recorder.messages.empty());
    emit view->loadProgress(100);
    EXPECT_EQ(recorder.messages, std::vector<int>{WM_MAP_DOWNLOAD_DONE});
}

TEST_F(MapViewTest, NoMessagesWithoutATarget)
{
    view->SetMessageTarget(nullptr);
    view->NavigateMapView(folders.urlFolder + "startup.html");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Eval("document.readyState").toString() == "complete"; }, 10000));
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(MapViewTest, ScriptCallsReachThePageInTheOrderMade)
{
    Load("probe.html");
    std::vector<int> order;
    for (int i = 0; i < 60; ++i) {
        if (i % 3 == 0) {
            view->RunPageScript(QStringLiteral("calls.push(['run', %1])").arg(i));
        } else {
            view->CallPageFunction("record", QString::number(i), QStringLiteral("-%1.5").arg(i));
        }
    }
    const QJsonArray calls = EvalJson("calls");
    ASSERT_EQ(calls.size(), 60);
    for (int i = 0; i < 60; ++i) {
        const QJsonArray c = calls[i].toArray();
        if (i % 3 == 0) {
            EXPECT_EQ(c, QJsonArray({"run", i})) << i;
        } else {
            EXPECT_EQ(c, QJsonArray({"record", i, -(i + 0.5)})) << i;
        }
    }
}

TEST_F(MapViewTest, SilentSwallowsAlertConfirmPromptAndConsole)
{
    Load("probe.html");
    view->SetMapViewSilent();
    EXPECT_TRUE(view->IsSilent());
    view->RunPageScript("console.log('quiet'); alert('a'); window.answers = [confirm('b'), prompt('c', 'd')];");
    EXPECT_EQ(EvalJson("answers"), QJsonArray({false, QJsonValue::Null}));
    EXPECT_FALSE(AnyDialogShown());
    // Still silent after the next load.
    Load("probe.html");
    EXPECT_EQ(Eval("alert('again'); 7").toInt(), 7);
    EXPECT_FALSE(AnyDialogShown());
}

TEST_F(MapViewTest, SendRouteToMapMakesOneClearAndOneAppendPerSample)
{
    Load("probe.html");
    const QList<GpsSample> track{
        Sample("22.584828", "113.921957"),  Sample("0.0", "0.0"),  // before the first fix
        Sample("-33.500000", "-70.500000"), Sample("22.585000", "113.922000"),
        Sample("1);alert(2", "113.922100"),  // damaged text: sent as 0.0
    };
    view->SendRouteToMap(track);
    const QJsonArray calls = EvalJson("calls");
    ASSERT_EQ(calls.size(), track.size() + 1);
    EXPECT_EQ(calls[0].toArray(), QJsonArray({"clearPath"}));
    EXPECT_EQ(calls[1].toArray(), QJsonArray({"appendPathNode", 113.921957, 22.584828}));
    EXPECT_EQ(calls[2].toArray(), QJsonArray({"appendPathNode", 0, 0}));
    EXPECT_EQ(calls[3].toArray(), QJsonArray({"appendPathNode", -70.5, -33.5}));
    EXPECT_EQ(calls[4].toArray(), QJsonArray({"appendPathNode", 113.922, 22.585}));
    EXPECT_EQ(calls[5].toArray(), QJsonArray({"appendPathNode", 113.9221, 0}));

    view->SendRouteToMap({});
    EXPECT_EQ(EvalJson("calls").size(), track.size() + 2);
}

TEST_F(MapViewTest, ARouteSentToAStatusPageChangesNothing)
{
    Load("no_gps_file.html");
    view->SetMapViewSilent();
    const QString before = Eval("document.documentElement.outerHTML").toString();
    view->SendRouteToMap({Sample("22.5", "113.5"), Sample("22.6", "113.6")});
    view->RunPageScript("showPath()");
    EXPECT_EQ(Eval("document.documentElement.outerHTML").toString(), before);
    EXPECT_FALSE(AnyDialogShown());
}

TEST_F(MapViewTest, BuiltInProviderDrawsRouteAndMarkersOffline)
{
    Load("googlearth.html");
    ASSERT_TRUE(WaitUntil("typeof map === 'object' && map instanceof BMap.Map"));
    view->SetMapViewSilent();

    QList<GpsSample> track;
    for (int k = 0; k < 65; ++k) {
        GpsSample s;
        s.latitude = QString::asprintf("%f", 22.5 + k / 2000.0);
        s.longitude = QString::asprintf("%f", 113.9 + k / 1000.0);
        track.append(s);
    }
    view->SendRouteToMap(track);
    view->RunPageScript("showPath()");
    view->CallPageFunction("setstart", track[0].latitude, track[0].longitude);
    view->CallPageFunction("setposition", track[10].latitude, track[10].longitude);

    ASSERT_TRUE(WaitUntil("map.getOverlays().some(function (o) { return o instanceof BMap.Polyline; })"));
    ASSERT_TRUE(WaitUntil("pathstart.isVisible() && pathposition.isVisible()"));
    const QJsonArray path =
        EvalJson("map.getOverlays().filter(function (o) { return o instanceof BMap.Polyline; })[0].getPath()");
    ASSERT_EQ(path.size(), 65);
    for (int k = 0; k < 65; ++k) {
        EXPECT_EQ(path[k].toObject().value("lng").toDouble(), track[k].longitude.toDouble()) << k;
        EXPECT_EQ(path[k].toObject().value("lat").toDouble(), track[k].latitude.toDouble()) << k;
    }
    const QJsonArray positions = EvalJson("[pathstart.getPosition(), pathposition.getPosition(), map.getCenter()]");
    EXPECT_EQ(positions[0].toObject(), QJsonObject({{"lng", 113.9}, {"lat", 22.5}}));
    EXPECT_EQ(positions[1].toObject(), QJsonObject({{"lng", 113.91}, {"lat", 22.505}}));
    EXPECT_EQ(positions[2].toObject(), QJsonObject({{"lng", 113.91}, {"lat", 22.505}}));
    // Drawn on screen: one line, two marker pictures loaded from the provider.
    EXPECT_EQ(Eval("document.querySelectorAll('#map_canvas .leaflet-overlay-pane path').length").toInt(), 1);
    EXPECT_TRUE(WaitUntil("Array.prototype.every.call(document.querySelectorAll('.leaflet-marker-icon'),"
                          " function (i) { return i.complete && i.naturalWidth > 0; })"
                          " && document.querySelectorAll('.leaflet-marker-icon').length == 2"));
    // The tiles were asked for and none arrived: the route lies on a plain background.
    EXPECT_TRUE(WaitUntil("document.querySelectorAll('.leaflet-tile').length > 0 && Array.prototype.every.call("
                          "document.querySelectorAll('.leaflet-tile'), function (t) { return t.complete; })"));
    EXPECT_EQ(Eval("document.querySelectorAll('.leaflet-tile-loaded').length").toInt(), 0);
}

TEST_F(MapViewTest, BuiltInConversionServiceAnswersAndRefusesMalformedRequests)
{
    Load("googlearth.html");
    ASSERT_TRUE(WaitUntil("typeof map === 'object'"));
    view->RunPageScript(R"(
        window.answers = {};
        function ask(name, query) {
            window[name] = function (data) { answers[name] = data; };
            var s = document.createElement('script');
            s.src = 'vindrel-map://provider/geoconv/v1/?' + query + '&callback=' + name;
            document.head.appendChild(s);
        }
        ask('good', 'coords=113.921957,22.584828;-70.5,-33.5&from=1&to=5&ak=VindrelBuiltInMapKey2024');
        ask('bad', 'coords=113.9;22.5&from=1&to=5&ak=VindrelBuiltInMapKey2024');
        ask('wrongFrame', 'coords=113.9,22.5&from=3&to=5&ak=VindrelBuiltInMapKey2024');
    )");
    ASSERT_TRUE(WaitUntil("'good' in answers && 'bad' in answers && 'wrongFrame' in answers"));
    const QJsonArray a = EvalJson("[answers.good, answers.bad.status, answers.wrongFrame.status]");
    const QJsonObject good = a[0].toObject();
    EXPECT_EQ(good.value("status").toInt(-1), 0);
    EXPECT_EQ(good.value("result").toArray(), QJsonArray({QJsonObject({{"x", 113.921957}, {"y", 22.584828}}),
                                                          QJsonObject({{"x", -70.5}, {"y", -33.5}})}));
    EXPECT_NE(a[1].toInt(0), 0);
    EXPECT_NE(a[2].toInt(0), 0);
}
