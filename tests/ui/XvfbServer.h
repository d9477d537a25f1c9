#pragma once
// An X server of the test's own, so that no other test's windows are seen: Xvfb picks a free
// display number and reports it.

#include <QProcess>
#include <QString>

#include <xcb/xcb.h>

class XvfbServer {
public:
    XvfbServer()
    {
        process_.setProgram(QStringLiteral("Xvfb"));
        process_.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                               QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                               QStringLiteral("1280x800x24")});
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start();
        if (!process_.waitForStarted(5000)) {
            return;
        }
        QByteArray number;
        while (!number.contains('\n') && process_.waitForReadyRead(10000)) {
            number += process_.readAllStandardOutput();
        }
        bool ok = false;
        const int n = number.trimmed().toInt(&ok);
        if (ok) {
            display_ = QStringLiteral(":%1").arg(n);
        }
    }
    ~XvfbServer()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(5000)) {
                process_.kill();
                process_.waitForFinished(2000);
            }
        }
    }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    /// ":N", or empty when the server did not come up.
    QString display() const { return display_; }

private:
    QProcess process_;
    QString display_;
};

/// A connection to a display, closed with the object.
class XConnection {
public:
    explicit XConnection(const QString& display) : connection_(xcb_connect(display.toLocal8Bit().constData(), nullptr))
    {
    }
    ~XConnection() { xcb_disconnect(connection_); }
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    bool ok() const { return connection_ && !xcb_connection_has_error(connection_); }
    xcb_connection_t* get() const { return connection_; }
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root; }

private:
    xcb_connection_t* connection_;
};
