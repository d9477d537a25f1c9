#pragma once
// One player at a time. The player window carries the X property "Vindrel" (CARDINAL, 32 bit)
// with the value 12; a second start walks the top-level windows, and when one of them carries
// that mark it brings that window to the front and ends without opening anything.
//
// The mark goes on the player's window once it is shown. Between its start and that moment a
// player holds the X selection "VINDREL_STARTING" (owned by a small window of its own, so it goes
// when the process ends); a second start made meanwhile waits for the mark, up to 5 s, instead of
// opening a second player.
//
// Off X11 (Wayland, other platforms) there is no test: every start opens its own window.

#include <cstdint>
#include <optional>

class QWidget;

/// The name and value of the mark.
inline constexpr char kInstanceMarkName[] = "Vindrel";
inline constexpr std::uint32_t kInstanceMarkValue = 12;

#include <xcb/xcb.h>

namespace x11 {

/// Puts the mark on window. False when the property could not be set.
bool SetInstanceMark(xcb_connection_t* connection, xcb_window_t window, std::uint32_t value = kInstanceMarkValue);

/// The value of the mark on window, if it carries one (a 32-bit CARDINAL or INTEGER).
std::optional<std::uint32_t> ReadInstanceMark(xcb_connection_t* connection, xcb_window_t window);

/// The first top-level window, from the top of the stacking order, whose mark is 12;
/// XCB_WINDOW_NONE when there is none. A window manager that puts client windows into frames
/// makes the frames the root's children, so the children of each top-level window are looked at
/// as well.
xcb_window_t FindRunningPlayer(xcb_connection_t* connection, xcb_window_t root);

/// The selection a starting player holds until its window carries the mark.
inline constexpr char kStartingSelection[] = "VINDREL_STARTING";

/// What a start finds on the display.
struct StartCheck {
    xcb_window_t player = XCB_WINDOW_NONE;  ///< a marked player window, if there is one
    bool otherStarting = false;             ///< no player yet, but another start holds the selection
    xcb_window_t claim = XCB_WINDOW_NONE;   ///< neither: this start now holds the selection with this window
};

/// Looks for a marked player and for another start, and claims the start when there is neither;
/// all under one grab of the server, so that two starts at the same moment cannot both claim it.
StartCheck CheckAndClaimStart(xcb_connection_t* connection, xcb_window_t root);

/// True while some start holds the selection.
bool StartUnderWay(xcb_connection_t* connection);

/// Brings window back from the minimised state and to the front: asks the window manager to
/// activate it (_NET_ACTIVE_WINDOW), maps it and raises it.
void ActivatePlayerWindow(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window);

}  // namespace x11

/// Marks the top-level widget's window as the running player and gives up this process's claim
/// to be starting. False off X11 or on failure.
bool MarkAsRunningPlayer(QWidget* topLevel);

/// How long a second start waits for a player that is still starting.
inline constexpr int kStartingWaitMs = 5000;

/// Looks for a running player on the application's display; when there is one, activates it and
/// returns true. When another player is still starting, waits up to waitMs for its mark. When
/// there is none, claims the start for this process (until MarkAsRunningPlayer) and returns false.
/// Needs the application object. False off X11.
bool ActivateRunningPlayer(int waitMs = kStartingWaitMs);
