// A movie made by ffmpeg, read by the box reader and compared with what ffprobe reports about it.

#include "BoxTestFiles.h"
#include "engine/BoxReader.h"
#include "engine/BoxReaderEngine.h"
#include "engine/Engine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// The key=value lines of each [STREAM] section of `ffprobe -show_streams`.
std::vector<std::map<std::string, std::string>> ProbeStreams(const std::string& movie, const std::string& out)
{
    std::vector<std::map<std::string, std::string>> streams;
    const std::string cmd = "ffprobe -v error -show_streams '" + movie + "' > '" + out + "'";
    if (std::system(cmd.c_str()) != 0)
        return streams;
    std::ifstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        if (line == "[STREAM]")
            streams.emplace_back();
        else if (!streams.empty() && line.find('=') != std::string::npos && line[0] != '[')
            streams.back()[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    }
    return streams;
}

std::uint32_t Denominator(const std::string& timeBase)  // "1/90000" -> 90000
{
    const auto slash = timeBase.find('/');
    return slash == std::string::npos ? 0 : std::uint32_t(std::stoul(timeBase.substr(slash + 1)));
}

}  // namespace

class FfmpegMovie : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (std::system("test -x /usr/bin/ffmpeg && test -x /usr/bin/ffprobe") != 0)
            return;
        folder_ = new TempFolder();
        const std::string srt = folder_->File("gps.srt");
        std::ofstream(srt) << "1\n00:00:00,000 --> 00:00:01,000\nA,1,first;\n\n"
                              "2\n00:00:01,000 --> 00:00:02,000\nV,2,second;\n\n"
                              "3\n00:00:02,000 --> 00:00:03,000\nA,3,third;\n\n";
        movie_ = folder_->File("AMBA0001.MOV");
        // Video, sound and a QuickTime 'text' track, as the camera records them.
        const std::string cmd = "ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=160x120:rate=10 "
                                "-f lavfi -i sine=frequency=300:sample_rate=44100 -i '" +
                                srt +
                                "' -t 3 "
                                "-map 0:v -map 1:a -map 2:s -c:v libx264 -preset ultrafast -c:a aac "
                                "-c:s mov_text -tag:s text -f mov '" +
                                movie_ + "' 2> '" + folder_->File("ffmpeg.log") + "'";
        if (std::system(cmd.c_str()) != 0)
            movie_.clear();
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override
    {
        if (!folder_)
            GTEST_SKIP() << "ffmpeg or ffprobe is not installed";
        ASSERT_FALSE(movie_.empty()) << "ffmpeg could not write the movie";
    }

    static TempFolder* folder_;
    static std::string movie_;
};

TempFolder* FfmpegMovie::folder_ = nullptr;
std::string FfmpegMovie::movie_;

TEST_F(FfmpegMovie, TracksAgreeWithFfprobe)
{
    const auto streams = ProbeStreams(movie_, folder_->File("probe.txt"));
    ASSERT_EQ(streams.size(), 3u);
    std::unique_ptr<BoxReader> movie;
    BoxResult r = BoxReader::Open(movie_, &movie);
    ASSERT_TRUE(r.ok()) << r.message;
    ASSERT_EQ(movie->TrackCount(), streams.size());

    const std::map<std::string, std::string> handlers = {{"video", "vide"}, {"audio", "soun"}, {"subtitle", "text"}};
    for (std::size_t i = 0; i < streams.size(); ++i) {
        SCOPED_TRACE("stream " + std::to_string(i));
        const auto& s = streams[i];
        const BoxTrack& track = movie->TrackAt(i);
        EXPECT_EQ(FourCCText(track.HandlerType()), handlers.at(s.at("codec_type")));
        EXPECT_EQ(track.MediaTimeScale(), Denominator(s.at("time_base")));
        EXPECT_EQ(track.SampleCount(), std::stoull(s.at("nb_frames")));
        // ffprobe's durations of sound leave out the encoder's priming samples; the others are
        // the media header's.
        if (s.at("codec_type") != "audio") {
            EXPECT_EQ(track.MediaDuration(), std::stoull(s.at("duration_ts")));
        }
        const double seconds = double(track.MediaDuration()) / track.MediaTimeScale();
        EXPECT_NEAR(seconds, std::stod(s.at("duration")), 0.05);
        ASSERT_FALSE(track.DataReferences().empty());
        EXPECT_TRUE(track.DataReferences()[0].SelfContained());
    }
    EXPECT_NEAR(double(movie->Duration()) / movie->TimeScale(), 3.0, 0.05);
}

TEST_F(FfmpegMovie, TextTrackSamplesHoldTheRecords)
{
    InstallEngine(MakeBoxReaderEngine());
    Movie movie = nullptr;
    ASSERT_EQ(EngineOpenMoviePath(movie_, &movie), noErr) << CurrentEngine().LastErrorText();
    ASSERT_EQ(EngineTrackCount(movie), 3);
    Media media = EngineTrackMedia(EngineTrackAt(movie, 3));
    OSType kind = 0;
    EXPECT_EQ(EngineMediaDataRefKind(media, 1, &kind), noErr);
    EXPECT_EQ(kind, FourCC("alis"));
    const TimeScale scale = EngineMediaTimeScale(media);
    ASSERT_GT(scale, 0);
    const char* records[] = {"A,1,first;", "V,2,second;", "A,3,third;"};
    for (int second = 0; second < 3; ++second) {
        std::uint8_t buf[512];
        long count = 0;
        ASSERT_EQ(EngineReadMediaSample(media, buf, sizeof buf, &count, TimeValue64(second) * scale + scale / 2),
                  noErr);
        EXPECT_EQ(moviewriter::Bytes(buf, buf + count), moviewriter::TextPayload(records[second]));
    }
    EngineDisposeMovie(movie);
    InstallEngine(nullptr);
}
