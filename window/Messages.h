#pragma once
// Window messages between the controls, the map view and the main window. A message is an event
// whose type() is its number; "sent" is QCoreApplication::sendEvent (handled before the sender
// goes on), "posted" is QCoreApplication::postEvent.

#include <QEvent>

#include <cstdint>

inline constexpr int WM_USER = 0x0400;

inline constexpr int WM_MAP_DOCUMENT_COMPLETE = WM_USER + 1;  ///< 1025, sent: a page finished loading
inline constexpr int WM_MAP_NAVIGATE_COMPLETE = WM_USER + 2;  ///< 1026, sent
inline constexpr int WM_MAP_BEFORE_NAVIGATE = WM_USER + 3;    ///< 1027, sent
inline constexpr int WM_MAP_DOWNLOAD_DONE = WM_USER + 4;      ///< 1028, sent
inline constexpr int WM_PROGRESS_PRESSED = WM_USER + 5;       ///< 1029, sent on a press of the progress slider
inline constexpr int WM_VOLUME_PRESSED = WM_USER + 6;         ///< 1030, sent on a press of the volume slider
inline constexpr int WM_MAP_CLICKED = WM_USER + 7;  ///< 1031, sent: a click on a line of the map page: wParam 0 the
                                                    ///< route, 1 the trip line; lParam the line's vertex
inline constexpr int WM_SLIDER_TRACK = 10449;       ///< posted while dragging: wParam control ID, lParam position
inline constexpr int WM_SLIDER_CHANGED = 10450;     ///< posted on release and keys

/// One window message: the number is the event type; the receiver writes its answer into result.
struct WindowMessage : QEvent {
    WindowMessage(int message, std::uintptr_t w = 0, std::intptr_t l = 0)
        : QEvent(static_cast<QEvent::Type>(message)), wParam(w), lParam(l)
    {
    }

    int message() const { return static_cast<int>(type()); }

    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::intptr_t result = 0;
};
