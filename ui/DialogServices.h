#pragma once
// What the main dialog needs from outside itself: the media engine's start, the folders, the page
// files, the folder browser, the network check and the command line. The player uses Defaults();
// tests replace parts.

#include "map/MapPages.h"

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

/// The network check before the map page is requested: the platform's reachability where it
/// reports one, else any interface other than the loopback that is up and running.
bool IsNetworkAlive();

struct DialogServices {
    /// Starts the media engine (step 7 of the initialisation). False when it failed; the real
    /// one has then shown its message and ended the process.
    std::function<bool()> startMediaEngine;
    /// Where the page files and the screenshots go.
    AppFolders folders;
    /// Writes the page files into folders.urlFolder. False when one failed; the real one has then
    /// shown "Release Url Fail!" and ended the process.
    std::function<bool(const AppFolders&)> writeMapPages;
    /// The folder browser of the folder command; an empty text when cancelled.
    std::function<QString(QWidget* owner)> browseForFolder;
    /// One network check before the map page is requested: true when the machine is online.
    /// Not set: the network counts as reachable.
    std::function<bool()> isNetworkAlive;
    /// The pause after a failed network check; it blocks the window. Not set: no pause.
    std::function<void(int milliseconds)> waitMs;
    /// The words of the command line after the program's path.
    QStringList commandLine;

    /// Message boxes and exit on failure, the executable's folders, the desktop's folder
    /// browser, and the application's arguments.
    static DialogServices Defaults();
};
