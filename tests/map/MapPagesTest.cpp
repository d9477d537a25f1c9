#include "map/MapPages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Committed page files (the map page as configured for this build).
QByteArray Expected(const char* name)
{
    if (QByteArray(name) == "googlearth.html") {
        return ReadFile(QStringLiteral(VINDREL_MAP_PAGE_BUILT));
    }
    return ReadFile(QStringLiteral(VINDREL_MAP_PAGES_SOURCE_DIR "/") + QLatin1String(name));
}

const char* const kNames[] = {"startup.html",       "no_gps_info.html", "no_gps_file.html",
                              "no_connection.html", "googlearth.html",  "gps.jpg"};

struct Failures {
    std::vector<std::pair<QString, int>> calls;
    StartupFailure handler()
    {
        return [this](const QString& message, int status) { calls.emplace_back(message, status); };
    }
};

}  // namespace

TEST(MapPages, WritesTheSixFilesByteForByteAndBothFolders)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const AppFolders folders = AppFoldersUnder(dir.path());
    EXPECT_EQ(folders.urlFolder, dir.path() + "/URL/");
    EXPECT_EQ(folders.videoShotsFolder, dir.path() + "/VideoShots/");
    Failures failures;
    ASSERT_TRUE(WriteMapPages(folders, failures.handler()));
    EXPECT_TRUE(failures.calls.empty());
    EXPECT_TRUE(QFileInfo(dir.path() + "/VideoShots").isDir());
    for (const char* name : kNames) {
        const QByteArray written = ReadFile(folders.urlFolder + QLatin1String(name));
        EXPECT_GT(written.size(), 100) << name;
        EXPECT_TRUE(written == Expected(name)) << name;
    }
    EXPECT_EQ(QDir(folders.urlFolder).entryList(QDir::Files).size(), 6);
    // The map page keeps its GBK bytes and CR LF line ends.
    const QByteArray page = ReadFile(folders.urlFolder + "googlearth.html");
    EXPECT_TRUE(page.contains("\xB5\xD8\xCD\xBC"));
    EXPECT_TRUE(page.contains("\r\n"));
}

TEST(MapPages, AnEditedPageSurvivesTheNextStart)
{
    QTemporaryDir dir;
    const AppFolders folders = AppFoldersUnder(dir.path());
    Failures failures;
    ASSERT_TRUE(WriteMapPages(folders, failures.handler()));
    {
        QFile page(folders.urlFolder + "googlearth.html");
        ASSERT_TRUE(page.open(QIODevice::WriteOnly | QIODevice::Truncate));
        page.write("<html>my own map</html>");
    }
    QFile::remove(folders.urlFolder + "startup.html");
    ASSERT_TRUE(WriteMapPages(folders, failures.handler()));
    EXPECT_EQ(ReadFile(folders.urlFolder + "googlearth.html"), QByteArray("<html>my own map</html>"));
    EXPECT_TRUE(ReadFile(folders.urlFolder + "startup.html") == Expected("startup.html"));
    EXPECT_TRUE(failures.calls.empty());
}

TEST(MapPages, AFolderThatCannotBeCreatedEndsWithReleaseUrlFail)
{
    QTemporaryDir dir;
    const QString blocker = dir.path() + "/plainfile";
    {
        QFile f(blocker);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    // A folder below a regular file cannot exist, whoever runs the test.
    Failures failures;
    EXPECT_FALSE(WriteMapPages(AppFoldersUnder(blocker), failures.handler()));
    ASSERT_EQ(failures.calls.size(), 1u);
    EXPECT_EQ(failures.calls[0].first, QStringLiteral("Release Url Fail!"));
    EXPECT_EQ(failures.calls[0].second, 1);

    // Only the screenshot folder blocked: the pages fail all the same.
    AppFolders half = AppFoldersUnder(dir.path());
    half.videoShotsFolder = blocker + "/VideoShots/";
    EXPECT_FALSE(WritePageFile(half, "startup.html", IDR_HTML_STARTUP));
}

TEST(MapPages, WritingStopsAtTheFirstFailureInTheFixedOrder)
{
    QTemporaryDir dir;
    const AppFolders folders = AppFoldersUnder(dir.path());
    // A folder where the third file belongs: that file cannot be written.
    ASSERT_TRUE(QDir().mkpath(folders.urlFolder + "no_gps_file.html"));
    Failures failures;
    EXPECT_FALSE(WriteMapPages(folders, failures.handler()));
    ASSERT_EQ(failures.calls.size(), 1u);
    EXPECT_TRUE(QFileInfo(folders.urlFolder + "startup.html").isFile());
    EXPECT_TRUE(QFileInfo(folders.urlFolder + "no_gps_info.html").isFile());
    for (const char* later : {"no_connection.html", "googlearth.html", "gps.jpg"}) {
        EXPECT_FALSE(QFileInfo::exists(folders.urlFolder + QLatin1String(later))) << later;
    }
}

TEST(MapPages, ResourceNumbersAndUnknownOnes)
{
    QTemporaryDir dir;
    const AppFolders folders = AppFoldersUnder(dir.path());
    EXPECT_TRUE(WritePageFile(folders, "copy.jpg", 224));
    EXPECT_TRUE(ReadFile(folders.urlFolder + "copy.jpg") == Expected("gps.jpg"));
    EXPECT_TRUE(WritePageFile(folders, "map.html", 218));
    EXPECT_TRUE(ReadFile(folders.urlFolder + "map.html") == Expected("googlearth.html"));
    EXPECT_FALSE(WritePageFile(folders, "nothing.html", 223));
    EXPECT_FALSE(QFileInfo::exists(folders.urlFolder + "nothing.html"));
}

TEST(MapPages, TheDefaultFolderIsTheProgramsOnlyWhereItsWindowModuleLiesBesideIt)
{
    // A build or unpacked folder (the module beside the program) keeps the files; an installed
    // program's folder (no module beside it: it is under lib/vindrel/) never does, writable or not.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/URL/";
    for (const bool moduleBeside : {true, false}) {
        QTemporaryDir bin;
        ASSERT_TRUE(bin.isValid());
        if (moduleBeside) {
            QFile module(bin.filePath("libvindrel_player.so"));
            ASSERT_TRUE(module.open(QIODevice::WriteOnly));
        }
        const AppFolders folders = DefaultAppFolders(bin.path());
        EXPECT_EQ(folders.urlFolder, moduleBeside ? bin.path() + "/URL/" : data) << moduleBeside;
        EXPECT_EQ(folders.videoShotsFolder.startsWith(bin.path()), moduleBeside)
            << folders.videoShotsFolder.toStdString();
    }
}
