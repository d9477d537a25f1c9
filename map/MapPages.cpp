#include "map/MapPages.h"

#include "version/Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <array>

namespace {

struct PageFile {
    int resourceId;
    const char* fileName;
};

// In the order the pages are written.
constexpr std::array<PageFile, 6> kPages{{
    {IDR_HTML_STARTUP, "startup.html"},
    {IDR_HTML_NO_GPS_INFO, "no_gps_info.html"},
    {IDR_HTML_NO_GPS_FILE, "no_gps_file.html"},
    {IDR_HTML_NO_CONNECTION, "no_connection.html"},
    {IDR_HTML_GOOGLEARTH, "googlearth.html"},
    {IDR_JPG_GPS, "gps.jpg"},
}};

QString WithSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    return path;
}

bool EnsureFolder(const QString& path)
{
    QFileInfo info(path);
    if (info.isDir()) {
        return true;
    }
    return QDir().mkpath(path) && QFileInfo(path).isDir();
}

bool FolderWritable(const QString& path)
{
    QFileInfo info(path);
    return info.isDir() && info.isWritable();
}

}  // namespace

AppFolders AppFoldersUnder(const QString& baseFolder)
{
    const QString base = WithSlash(baseFolder);
    return {base + QStringLiteral("URL/"), base + QStringLiteral("VideoShots/")};
}

AppFolders DefaultAppFolders() { return DefaultAppFolders(QCoreApplication::applicationDirPath()); }

AppFolders DefaultAppFolders(const QString& exeFolder)
{
    // An installed player keeps its window module under the library folder. It never writes into
    // the system's program folder, which is writable when root runs it.
    const bool portable = QFileInfo::exists(WithSlash(exeFolder) + QStringLiteral(VINDREL_PLAYER_MODULE));
    if (portable && FolderWritable(exeFolder)) {
        return AppFoldersUnder(exeFolder);
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty()) {
        pictures = data;
    }
    return {WithSlash(data) + QStringLiteral("URL/"), WithSlash(pictures) + QStringLiteral("VideoShots/")};
}

QString UrlFolder() { return DefaultAppFolders().urlFolder; }

QString PageResourcePath(int resourceId)
{
    for (const PageFile& page : kPages) {
        if (page.resourceId == resourceId) {
            return QStringLiteral(":/pages/") + QLatin1String(page.fileName);
        }
    }
    return {};
}

bool WritePageFile(const AppFolders& folders, const QString& fileName, int resourceId)
{
    if (!EnsureFolder(folders.urlFolder) || !EnsureFolder(folders.videoShotsFolder)) {
        return false;
    }
    const QString target = WithSlash(folders.urlFolder) + fileName;
    const QFileInfo existing(target);
    if (existing.exists()) {
        return existing.isFile();  // never replaced: an edited page stays
    }
    const QString resource = PageResourcePath(resourceId);
    if (resource.isEmpty()) {
        return false;
    }
    QFile source(resource);
    if (!source.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = source.readAll();
    // Written under a temporary name and renamed, so a failed write never leaves a truncated page
    // that the next start would keep.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

bool WritePageFile(const QString& fileName, int resourceId)
{
    return WritePageFile(DefaultAppFolders(), fileName, resourceId);
}

bool WriteMapPages(const AppFolders& folders, const StartupFailure& onFailure)
{
    for (const PageFile& page : kPages) {
        if (!WritePageFile(folders, QLatin1String(page.fileName), page.resourceId)) {
            if (onFailure) {
                onFailure(QStringLiteral("Release Url Fail!"), 1);
            }
            return false;
        }
    }
    return true;
}
