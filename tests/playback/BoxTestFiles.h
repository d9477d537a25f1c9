#pragma once
// A temporary folder per test and small helpers for writing movies into it.

#include "tests/support/MovieWriter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

class TempFolder {
public:
    TempFolder()
    {
        static std::atomic<int> serial{0};
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "boxreader";
        for (char& c : name)
            if (c == '/')
                c = '_';
        path_ = std::filesystem::path(::testing::TempDir()) /
                ("vindrel-" + name + "-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

    /// Writes the movie as name and returns its path.
    std::string Write(const std::string& name, const moviewriter::WrittenMovie& movie) const
    {
        const std::string p = File(name);
        EXPECT_TRUE(moviewriter::WriteFile(p, movie)) << p;
        return p;
    }
    std::string Write(const std::string& name, const moviewriter::Bytes& bytes) const
    {
        const std::string p = File(name);
        EXPECT_TRUE(moviewriter::WriteFile(p, bytes)) << p;
        return p;
    }

private:
    std::filesystem::path path_;
};

inline moviewriter::Bytes Filled(std::size_t size, std::uint8_t first)
{
    moviewriter::Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<std::uint8_t>(first + i * 7);
    return b;
}

/// The hand-worked text track: three samples lasting 1000 units each (media time scale 1000),
/// one sample a chunk, of 9, 12 and 7 bytes.
inline moviewriter::TrackSpec HandTextTrack()
{
    moviewriter::TrackSpec t;
    t.handler = "text";
    t.mediaTimeScale = 1000;
    t.times = {{3, 1000}};
    t.samples = {Filled(9, 1), Filled(12, 40), Filled(7, 90)};
    return t;
}
