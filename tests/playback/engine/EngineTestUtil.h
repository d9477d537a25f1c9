#pragma once
// Helpers of the engine tests: the ffmpeg-made fixtures and picture comparison.

#include "playback/MpvLibrary.h"

#include <QFileInfo>
#include <QImage>
#include <QString>

#include <cmath>
#include <cstdlib>

inline QString FixturePath(const char* name) { return QString::fromUtf8(VINDREL_ENGINE_FIXTURES) + "/" + name; }

/// The movie: 1920 × 1080, 30 frames a second, 3 s, H.264 and AAC, made by ffmpeg.
inline QString HdMovie() { return FixturePath("hd.mov"); }

inline bool HaveHdMovie() { return QFileInfo::exists(HdMovie()); }

inline bool HaveMpv()
{
    MpvLibrary::Status status;
    return MpvLibrary::Load(kMpvLibraryName, &status) != nullptr;
}

/// Mean absolute difference of the colour channels, 0 to 255, over every second pixel of every
/// second row; 255 when the sizes differ.
inline double MeanDifference(const QImage& a0, const QImage& b0)
{
    if (a0.size() != b0.size() || a0.isNull())
        return 255;
    const QImage a = a0.convertToFormat(QImage::Format_RGB32);
    const QImage b = b0.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    long count = 0;
    for (int y = 0; y < a.height(); y += 2) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); x += 2) {
            sum += std::abs(qRed(pa[x]) - qRed(pb[x])) + std::abs(qGreen(pa[x]) - qGreen(pb[x])) +
                   std::abs(qBlue(pa[x]) - qBlue(pb[x]));
            count += 3;
        }
    }
    return count ? sum / count : 255;
}

/// The frame is ffmpeg's frame `number` of the movie: closer to it than to its neighbours, and
/// close in absolute terms (the two decoders convert colours a little differently).
inline ::testing::AssertionResult IsFfmpegFrame(const QImage& picture, int number)
{
    const QImage expected(FixturePath(("hd-" + std::to_string(number) + ".bmp").c_str()));
    const QImage before(FixturePath(("hd-" + std::to_string(number - 1) + ".bmp").c_str()));
    const QImage after(FixturePath(("hd-" + std::to_string(number + 1) + ".bmp").c_str()));
    if (expected.isNull())
        return ::testing::AssertionFailure() << "no ffmpeg picture of frame " << number;
    const double d = MeanDifference(picture, expected);
    const double dBefore = before.isNull() ? 255 : MeanDifference(picture, before);
    const double dAfter = after.isNull() ? 255 : MeanDifference(picture, after);
    if (d < 4.0 && d < dBefore && d < dAfter)
        return ::testing::AssertionSuccess() << "difference " << d;
    return ::testing::AssertionFailure() << "difference to frame " << number << ": " << d
                                         << ", to the frame before: " << dBefore << ", after: " << dAfter;
}
