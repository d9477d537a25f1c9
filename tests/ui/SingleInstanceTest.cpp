// One player at a time: the X property "Vindrel" = 12 marks a running player; a second start
// finds it, brings it back and ends. Each test has an X server of its own, so no other test's
// windows are seen.

#include "XvfbServer.h"

#include "shell/SingleInstance.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

xcb_window_t MakeWindow(const XConnection& x, xcb_window_t parent, bool mapped)
{
    const xcb_window_t window = xcb_generate_id(x.get());
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x.get())).data;
    xcb_create_window(x.get(), XCB_COPY_FROM_PARENT, window, parent, 10, 10, 50, 40, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, 0, nullptr);
    if (mapped) {
        xcb_map_window(x.get(), window);
    }
    xcb_flush(x.get());
    return window;
}

void SetStringMark(const XConnection& x, xcb_window_t window, const char* text)
{
    const char* name = kInstanceMarkName;
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(x.get(), xcb_intern_atom(x.get(), 0, std::strlen(name), name), nullptr);
    ASSERT_NE(atom, nullptr);
    xcb_change_property(x.get(), XCB_PROP_MODE_REPLACE, window, atom->atom, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(std::strlen(text)), text);
    xcb_flush(x.get());
    std::free(atom);
}

bool Viewable(const XConnection& x, xcb_window_t window)
{
    xcb_get_window_attributes_reply_t* a =
        xcb_get_window_attributes_reply(x.get(), xcb_get_window_attributes(x.get(), window), nullptr);
    const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(a);
    return viewable;
}

bool WaitViewable(const XConnection& x, xcb_window_t window, bool want, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (Viewable(x, window) != want && clock.elapsed() < timeoutMs) {
        QThread::msleep(20);
    }
    return Viewable(x, window) == want;
}

// The root's children, bottom to top.
std::vector<xcb_window_t> Stacking(const XConnection& x)
{
    std::vector<xcb_window_t> out;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(x.get(), xcb_query_tree(x.get(), x.root()), nullptr);
    if (tree) {
        const xcb_window_t* children = xcb_query_tree_children(tree);
        out.assign(children, children + xcb_query_tree_children_length(tree));
        std::free(tree);
    }
    return out;
}

class SingleInstance : public testing::Test {
protected:
    void SetUp() override
    {
        if (server.display().isEmpty()) {
            GTEST_SKIP() << "Xvfb could not be started";
        }
        x = std::make_unique<XConnection>(server.display());
        ASSERT_TRUE(x->ok());
    }

    XvfbServer server;
    std::unique_ptr<XConnection> x;
};

}  // namespace

TEST_F(SingleInstance, TheMarkIsACardinalTwelve)
{
    const xcb_window_t marked = MakeWindow(*x, x->root(), true);
    const xcb_window_t plain = MakeWindow(*x, x->root(), true);
    ASSERT_TRUE(x11::SetInstanceMark(x->get(), marked));
    EXPECT_EQ(x11::ReadInstanceMark(x->get(), marked), 12u);
    EXPECT_EQ(x11::ReadInstanceMark(x->get(), plain), std::nullopt);
    EXPECT_FALSE(x11::SetInstanceMark(x->get(), XCB_WINDOW_NONE));
}

TEST_F(SingleInstance, OnlyTheValueTwelveCountsAsARunningPlayer)
{
    // No window has ever carried the mark on a fresh display.
    EXPECT_EQ(x11::FindRunningPlayer(x->get(), x->root()), static_cast<xcb_window_t>(XCB_WINDOW_NONE));

    MakeWindow(*x, x->root(), true);
    const xcb_window_t thirteen = MakeWindow(*x, x->root(), true);
    ASSERT_TRUE(x11::SetInstanceMark(x->get(), thirteen, 13));
    const xcb_window_t text = MakeWindow(*x, x->root(), true);
    SetStringMark(*x, text, "12");
    EXPECT_EQ(x11::FindRunningPlayer(x->get(), x->root()), static_cast<xcb_window_t>(XCB_WINDOW_NONE));

    // A hidden (minimised) window counts as well.
    const xcb_window_t player = MakeWindow(*x, x->root(), false);
    ASSERT_TRUE(x11::SetInstanceMark(x->get(), player));
    EXPECT_EQ(x11::FindRunningPlayer(x->get(), x->root()), player);
}

TEST_F(SingleInstance, APlayerInsideAWindowManagersFrameIsFound)
{
    const xcb_window_t frame = MakeWindow(*x, x->root(), true);
    MakeWindow(*x, frame, true);  // the frame's decoration
    const xcb_window_t client = MakeWindow(*x, frame, true);
    ASSERT_TRUE(x11::SetInstanceMark(x->get(), client));
    EXPECT_EQ(x11::FindRunningPlayer(x->get(), x->root()), client);
}

TEST_F(SingleInstance, TheTopmostPlayerIsTakenFirst)
{
    const xcb_window_t lower = MakeWindow(*x, x->root(), true);
    const xcb_window_t upper = MakeWindow(*x, x->root(), true);  // made later: on top
    ASSERT_TRUE(x11::SetInstanceMark(x->get(), lower));
    ASSERT_TRUE(x11::SetInstanceMark(x->get(), upper));
    EXPECT_EQ(x11::FindRunningPlayer(x->get(), x->root()), upper);
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(x->get(), lower, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(x->get());
    EXPECT_EQ(x11::FindRunningPlayer(x->get(), x->root()), lower);
}

TEST_F(SingleInstance, ActivatingShowsTheWindowAndPutsItOnTop)
{
    const xcb_window_t player = MakeWindow(*x, x->root(), false);
    const xcb_window_t other = MakeWindow(*x, x->root(), true);
    ASSERT_TRUE(x11::SetInstanceMark(x->get(), player));
    ASSERT_FALSE(Viewable(*x, player));
    ASSERT_EQ(Stacking(*x).back(), other);

    x11::ActivatePlayerWindow(x->get(), x->root(), player);
    EXPECT_TRUE(Viewable(*x, player));
    EXPECT_EQ(Stacking(*x).back(), player);
}

#ifdef VINDREL_BINARY
namespace {

QProcessEnvironment PlayerEnvironment(const QString& display, const QString& runtimeDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--no-sandbox --disable-gpu"));
    env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    return env;
}

struct EndProcess {
    QProcess& process;
    ~EndProcess()
    {
        process.terminate();
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

std::pair<int, int> Size(const XConnection& x, xcb_window_t window)
{
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(x.get(), xcb_get_geometry(x.get(), window), nullptr);
    const std::pair<int, int> size = g ? std::pair<int, int>(g->width, g->height) : std::pair<int, int>(0, 0);
    std::free(g);
    return size;
}

}  // namespace

TEST_F(SingleInstance, ASecondStartBringsBackTheFirstAndEndsWithoutAWindow)
{
    QTemporaryDir work;
    const QProcessEnvironment env = PlayerEnvironment(server.display(), work.path());
    QProcess first;
    EndProcess endFirst{first};
    first.setProcessEnvironment(env);
    first.setWorkingDirectory(work.path());
    first.start(QStringLiteral(VINDREL_BINARY), {});
    ASSERT_TRUE(first.waitForStarted(10000));

    // The player's window on the screen, with its mark.
    xcb_window_t player = XCB_WINDOW_NONE;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 60000 && first.state() == QProcess::Running) {
        player = x11::FindRunningPlayer(x->get(), x->root());
        if (player != XCB_WINDOW_NONE && Viewable(*x, player)) {
            break;
        }
        QThread::msleep(100);
    }
    ASSERT_TRUE(player != XCB_WINDOW_NONE && Viewable(*x, player))
        << "the first player never showed a marked window: " << first.readAllStandardError().toStdString();

    // As if minimised: the window is taken off the screen.
    xcb_unmap_window(x->get(), player);
    xcb_flush(x->get());
    ASSERT_TRUE(WaitViewable(*x, player, false, 5000));

    QProcess second;
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(work.path());
    second.start(QStringLiteral(VINDREL_BINARY), {QStringLiteral("/nowhere/AMBA0001.MOV")});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    EXPECT_TRUE(WaitViewable(*x, player, true, 5000));
    EXPECT_EQ(first.state(), QProcess::Running);

    // Only the first player's window carries the mark.
    int marked = 0;
    for (xcb_window_t w : Stacking(*x)) {
        marked += x11::ReadInstanceMark(x->get(), w) == kInstanceMarkValue ? 1 : 0;
    }
    EXPECT_EQ(marked, 1);
}

TEST_F(SingleInstance, ASecondStartWhileTheFirstIsStartingWaitsForTheMarkOnItsShownWindow)
{
    QTemporaryDir work;
    const QProcessEnvironment env = PlayerEnvironment(server.display(), work.path());
    QProcess first;
    EndProcess endFirst{first};
    first.setProcessEnvironment(env);
    first.setWorkingDirectory(work.path());
    first.start(QStringLiteral(VINDREL_BINARY), {});
    ASSERT_TRUE(first.waitForStarted(10000));

    // The second start right after the first, as soon as the first has begun.
    QElapsedTimer clock;
    clock.start();
    while (!x11::StartUnderWay(x->get()) && clock.elapsed() < 20000 && first.state() == QProcess::Running) {
        QThread::msleep(5);
    }
    ASSERT_TRUE(x11::StartUnderWay(x->get())) << first.readAllStandardError().toStdString();
    ASSERT_EQ(x11::FindRunningPlayer(x->get(), x->root()), static_cast<xcb_window_t>(XCB_WINDOW_NONE));
    QProcess second;
    EndProcess endSecond{second};
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(work.path());
    second.start(QStringLiteral(VINDREL_BINARY), {QStringLiteral("/nowhere/AMBA0001.MOV")});

    // Every window that ever carries the mark is the player's window as shown: the full size.
    std::vector<xcb_window_t> marked;
    while (second.state() != QProcess::NotRunning && clock.elapsed() < 60000) {
        const xcb_window_t player = x11::FindRunningPlayer(x->get(), x->root());
        if (player != XCB_WINDOW_NONE && (marked.empty() || marked.back() != player)) {
            marked.push_back(player);
            EXPECT_EQ(Size(*x, player), std::make_pair(1160, 678));
        }
        second.waitForFinished(5);
    }
    ASSERT_EQ(second.state(), QProcess::NotRunning);
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    ASSERT_FALSE(marked.empty());
    EXPECT_TRUE(Viewable(*x, marked.back()));
    EXPECT_FALSE(x11::StartUnderWay(x->get()));
}
#endif
