// Writes the seed movies of the fuzzing corpus into the folder given: small, valid, and each
// using a different part of the box layout.

#include "tests/support/MovieWriter.h"

#include <cstdio>
#include <string>

using namespace moviewriter;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const std::vector<Bytes> records = {TextPayload("A,083000,140326,2235.0897,N,11355.3174,E,37.6,0.01,-0.02,0.98;"),
                                        TextPayload("V,083001,140326,,,,,,0.00,0.01,1.01;"),
                                        TextPayload("A,083002,140326,2235.0901,N,11355.3180,E,38.1,0.02,-0.01,0.99;")};
    bool ok = true;

    ok &= WriteFile(dir + "/dashcam.mov", WriteMovie(DashCamMovie(records)));

    MovieSpec fast = DashCamMovie(records, 1000000);
    fast.layout = Layout::MoovFirst;
    fast.movieHeaderVersion = 1;
    fast.tracks[0].chunkOffsets64 = true;
    fast.tracks[1].compactSizeBits = 16;
    fast.tracks[2].compactSizeBits = 8;
    fast.tracks[2].mediaHeaderVersion = 1;
    ok &= WriteFile(dir + "/faststart.mov", WriteMovie(fast));

    MovieSpec large = DashCamMovie(records);
    large.mediaDataSize = SizeForm::Large;
    large.lastBoxSize = SizeForm::ToEnd;
    large.tracks[2].times = {{2, 1000}, {1, 0}};
    large.tracks[2].chunkSizes = {2, 1};
    large.tracks[0].constantSize = true;
    ok &= WriteFile(dir + "/largesize.mov", WriteMovie(large));

    MovieSpec elsewhere = DashCamMovie(records);
    elsewhere.tracks[2].dataRefType = "url ";
    elsewhere.tracks[2].dataRefFlags = 0;
    elsewhere.tracks[2].dataRefData = Bytes{'f', 'i', 'l', 'e', ':', '/', '/', '/', 'g', 0};
    elsewhere.tracks[2].quickTimeHandler = false;
    ok &= WriteFile(dir + "/dataref.mp4", WriteMovie(elsewhere));

    MovieSpec two = DashCamMovie(records);
    two.tracks.pop_back();
    two.tracks[1].compactSizeBits = 4;
    two.tracks[1].samples = {Bytes(3, 1), Bytes(9, 2), Bytes(15, 3)};
    ok &= WriteFile(dir + "/twotracks.mov", WriteMovie(two));

    return ok ? 0 : 1;
}
