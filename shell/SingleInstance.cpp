#include "shell/SingleInstance.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace x11 {
namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

// The atom of a name; XCB_ATOM_NONE when it does not exist (and create is false) or on error.
xcb_atom_t Atom(xcb_connection_t* connection, const char* name, bool create)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, create ? 0 : 1, static_cast<std::uint16_t>(std::strlen(name)), name);
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::optional<std::uint32_t> ReadMark(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t mark)
{
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, mark, XCB_GET_PROPERTY_TYPE_ANY, 0, 1);
    xcb_generic_error_t* error = nullptr;
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, &error));
    std::free(error);  // a window that went away meanwhile simply has no mark
    if (!reply || reply->format != 32 || (reply->type != XCB_ATOM_CARDINAL && reply->type != XCB_ATOM_INTEGER) ||
        xcb_get_property_value_length(reply.get()) < 4) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    std::memcpy(&value, xcb_get_property_value(reply.get()), sizeof value);
    return value;
}

// The children of window, topmost first.
std::vector<xcb_window_t> ChildrenTopFirst(xcb_connection_t* connection, xcb_window_t window)
{
    std::vector<xcb_window_t> children;
    xcb_generic_error_t* error = nullptr;
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), &error));
    std::free(error);
    if (!tree) {
        return children;
    }
    const xcb_window_t* list = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    // The server lists them bottom to top.
    for (int i = count - 1; i >= 0; --i) {
        children.push_back(list[i]);
    }
    return children;
}

}  // namespace

bool SetInstanceMark(xcb_connection_t* connection, xcb_window_t window, std::uint32_t value)
{
    if (!connection || window == XCB_WINDOW_NONE) {
        return false;
    }
    const xcb_atom_t mark = Atom(connection, kInstanceMarkName, true);
    if (mark == XCB_ATOM_NONE) {
        return false;
    }
    const xcb_void_cookie_t cookie =
        xcb_change_property_checked(connection, XCB_PROP_MODE_REPLACE, window, mark, XCB_ATOM_CARDINAL, 32, 1, &value);
    xcb_generic_error_t* error = xcb_request_check(connection, cookie);
    const bool ok = error == nullptr;
    std::free(error);
    xcb_flush(connection);
    return ok;
}

std::optional<std::uint32_t> ReadInstanceMark(xcb_connection_t* connection, xcb_window_t window)
{
    if (!connection) {
        return std::nullopt;
    }
    const xcb_atom_t mark = Atom(connection, kInstanceMarkName, false);
    if (mark == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    return ReadMark(connection, window, mark);
}

xcb_window_t FindRunningPlayer(xcb_connection_t* connection, xcb_window_t root)
{
    if (!connection) {
        return XCB_WINDOW_NONE;
    }
    // Nobody has ever set the mark on this display when its name has no atom.
    const xcb_atom_t mark = Atom(connection, kInstanceMarkName, false);
    if (mark == XCB_ATOM_NONE) {
        return XCB_WINDOW_NONE;
    }
    for (xcb_window_t top : ChildrenTopFirst(connection, root)) {
        if (ReadMark(connection, top, mark) == kInstanceMarkValue) {
            return top;
        }
        for (xcb_window_t client : ChildrenTopFirst(connection, top)) {
            if (ReadMark(connection, client, mark) == kInstanceMarkValue) {
                return client;
            }
        }
    }
    return XCB_WINDOW_NONE;
}

StartCheck CheckAndClaimStart(xcb_connection_t* connection, xcb_window_t root)
{
    StartCheck check;
    if (!connection) {
        return check;
    }
    const xcb_atom_t selection = Atom(connection, kStartingSelection, true);
    xcb_grab_server(connection);
    check.player = FindRunningPlayer(connection, root);
    if (check.player == XCB_WINDOW_NONE && selection != XCB_ATOM_NONE) {
        Reply<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr));
        if (owner && owner->owner != XCB_WINDOW_NONE) {
            check.otherStarting = true;
        } else {
            // A window that is never mapped owns the selection; it goes with the connection.
            check.claim = xcb_generate_id(connection);
            xcb_create_window(connection, 0, check.claim, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                              XCB_COPY_FROM_PARENT, 0, nullptr);
            xcb_set_selection_owner(connection, check.claim, selection, XCB_CURRENT_TIME);
        }
    }
    xcb_ungrab_server(connection);
    xcb_flush(connection);
    return check;
}

bool StartUnderWay(xcb_connection_t* connection)
{
    if (!connection) {
        return false;
    }
    const xcb_atom_t selection = Atom(connection, kStartingSelection, false);
    if (selection == XCB_ATOM_NONE) {
        return false;
    }
    Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

void ActivatePlayerWindow(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window)
{
    if (!connection || window == XCB_WINDOW_NONE) {
        return;
    }
    // A window manager shows, de-minimises and focuses the window on this request.
    const xcb_atom_t active = Atom(connection, "_NET_ACTIVE_WINDOW", false);
    if (active != XCB_ATOM_NONE) {
        xcb_client_message_event_t event;
        std::memset(&event, 0, sizeof event);
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = active;
        event.data.data32[0] = 1;  // the request comes from an application
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }
    // Without a window manager (or with one that ignores the request): map it again (a
    // minimised window is unmapped) and put it on top.
    xcb_map_window(connection, window);
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(connection);
}

}  // namespace x11

namespace {

xcb_connection_t* AppConnection()
{
    auto* app = qGuiApp;
    if (!app) {
        return nullptr;
    }
    auto* native = app->nativeInterface<QNativeInterface::QX11Application>();
    return native ? native->connection() : nullptr;
}

xcb_window_t DefaultRoot(xcb_connection_t* connection)
{
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return screens.rem > 0 ? screens.data->root : static_cast<xcb_window_t>(XCB_WINDOW_NONE);
}

// This process's claim to be starting, held from ActivateRunningPlayer to the mark.
xcb_window_t startClaim = XCB_WINDOW_NONE;

}  // namespace

bool MarkAsRunningPlayer(QWidget* topLevel)
{
    xcb_connection_t* connection = AppConnection();
    if (!connection || !topLevel) {
        return false;
    }
    const bool marked = x11::SetInstanceMark(connection, static_cast<xcb_window_t>(topLevel->window()->winId()));
    if (marked && startClaim != XCB_WINDOW_NONE) {
        // The mark is there: a second start now finds it rather than the claim.
        xcb_destroy_window(connection, startClaim);
        xcb_flush(connection);
        startClaim = XCB_WINDOW_NONE;
    }
    return marked;
}

bool ActivateRunningPlayer(int waitMs)
{
    xcb_connection_t* connection = AppConnection();
    if (!connection) {
        return false;
    }
    const xcb_window_t root = DefaultRoot(connection);
    x11::StartCheck check = x11::CheckAndClaimStart(connection, root);
    if (check.otherStarting) {
        // Another player is on its way: its mark, once it is there, is the one to bring forward.
        QElapsedTimer clock;
        clock.start();
        while (check.otherStarting && clock.elapsed() < waitMs) {
            QThread::msleep(50);
            check = x11::CheckAndClaimStart(connection, root);
        }
        if (check.otherStarting) {
            return false;  // it never showed its window in time: this start goes on by itself
        }
    }
    if (check.player == XCB_WINDOW_NONE) {
        startClaim = check.claim;
        return false;
    }
    x11::ActivatePlayerWindow(connection, root, check.player);
    return true;
}
