#pragma once
// Helpers of the widget tests: synthetic mouse and key events, and a receiver that records the
// window messages it gets.

#include "window/Messages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <functional>
#include <vector>

struct RecordedMessage {
    int message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    int extra;  // what the recorder's probe returned when the message arrived

    friend bool operator==(const RecordedMessage&, const RecordedMessage&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const RecordedMessage& m)
{
    return os << m.message << "(" << m.wParam << "," << m.lParam << "; " << m.extra << ")";
}

/// A widget that records every window message it receives, in order.
class MessageRecorder : public QWidget {
public:
    std::vector<RecordedMessage> messages;
    std::function<int()> probe = [] { return 0; };

protected:
    bool event(QEvent* e) override
    {
        const int t = static_cast<int>(e->type());
        if (t == WM_PROGRESS_PRESSED || t == WM_VOLUME_PRESSED || t == WM_SLIDER_TRACK || t == WM_SLIDER_CHANGED) {
            auto* m = static_cast<WindowMessage*>(e);
            messages.push_back({t, m->wParam, m->lParam, probe()});
            return true;
        }
        return QWidget::event(e);
    }
};

inline void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ||
                                          (type == QEvent::MouseMove && button == Qt::NoButton)
                                      ? Qt::NoButton
                                      : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), type == QEvent::MouseMove ? Qt::NoButton : button,
                  held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline void Key(QWidget* w, int key)
{
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline void DeliverPosted() { QCoreApplication::sendPostedEvents(); }
