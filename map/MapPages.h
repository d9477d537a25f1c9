#pragma once
// The page files of the map view: six files carried as resources and written once into the URL
// folder, where the map view navigates to them by full path.

#include <QString>

#include <functional>

/// Resource numbers of the page files (":/pages/<file name>").
inline constexpr int IDR_HTML_GOOGLEARTH = 218;
inline constexpr int IDR_HTML_NO_CONNECTION = 219;
inline constexpr int IDR_HTML_NO_GPS_FILE = 220;
inline constexpr int IDR_HTML_NO_GPS_INFO = 221;
inline constexpr int IDR_HTML_STARTUP = 222;
inline constexpr int IDR_JPG_GPS = 224;

/// Where the player writes its files. Both paths end with '/'.
struct AppFolders {
    QString urlFolder;         ///< the pages
    QString videoShotsFolder;  ///< screenshots
};

/// URL/ and VideoShots/ inside baseFolder.
AppFolders AppFoldersUnder(const QString& baseFolder);

/// The executable's folder when the player runs from where it was built or unpacked (its window
/// module lies beside it) and the folder is writable; otherwise, and always for an installed
/// player, the per-user data folder for URL/ and the user's pictures folder for VideoShots/.
AppFolders DefaultAppFolders();
/// The same for a program in exeFolder.
AppFolders DefaultAppFolders(const QString& exeFolder);

/// The folder the pages are written to and navigated to, ending with '/'.
QString UrlFolder();

/// The resource path of a page resource number, or an empty string for an unknown number.
QString PageResourcePath(int resourceId);

/// Makes sure both folders exist, then writes the resource into urlFolder/fileName unless a file
/// of that name exists already (an edited page survives restarts). False when a folder cannot be
/// created, the resource is unknown, or the file cannot be written completely.
bool WritePageFile(const AppFolders& folders, const QString& fileName, int resourceId);
bool WritePageFile(const QString& fileName, int resourceId);

/// Called once with "Release Url Fail!" and exit status 1 when a page cannot be written. The
/// player's handler shows the message and ends the process; tests record the call.
using StartupFailure = std::function<void(const QString& message, int exitStatus)>;

/// Writes startup, no_gps_info, no_gps_file, no_connection, googlearth and gps.jpg in that order
/// and stops at the first failure, which goes to onFailure. True when all six are in place.
bool WriteMapPages(const AppFolders& folders, const StartupFailure& onFailure);
