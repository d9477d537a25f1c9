#pragma once
// Files with chosen write times in a temporary folder, for the recording tests.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>

/// 2014-05-06 10:00:00 UTC.
inline constexpr std::int64_t TenOClock = 1399370400;

class TestFolder {
public:
    TestFolder() { EXPECT_TRUE(dir.isValid()); }

    QString Path(const QString& name) const { return dir.filePath(name); }

    /// Creates name (and its folders) holding text, last written at seconds since the epoch.
    QString Write(const QString& name, std::int64_t seconds, const QByteArray& text = {})
    {
        const QString path = Path(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        SetTime(path, seconds);
        return path;
    }

    static void SetTime(const QString& path, std::int64_t seconds)
    {
        const timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
        EXPECT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    }

    QTemporaryDir dir;
};
