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

    // The other GPS families: NMEA sentences in the text track, a metadata track of KLV records,
    // Novatek blocks with their index, BlackVue's boxes.
    MovieSpec nmea = DashCamMovie({TextPayload("$GPGGA,083000,2235.0897,N,11355.3174,E,1,08,0.9,12.0,M,0.0,M,,*49\n"
                                               "$GPRMC,083000,A,2235.0897,N,11355.3174,E,20.3,35.0,140326,,,A*7C"),
                                   TextPayload("$GPRMC,083001,V,,,,,,,140326,,,N*5B")});
    ok &= WriteFile(dir + "/nmea.mov", WriteMovie(nmea));

    auto klv = [](const char* key, char type, std::uint8_t size, std::uint16_t repeat, Bytes data) {
        Bytes b{std::uint8_t(key[0]),      std::uint8_t(key[1]), std::uint8_t(key[2]),
                std::uint8_t(key[3]),      std::uint8_t(type),   size,
                std::uint8_t(repeat >> 8), std::uint8_t(repeat)};
        data.resize((data.size() + 3) & ~std::size_t(3));
        b.insert(b.end(), data.begin(), data.end());
        return b;
    };
    auto be32 = [](std::initializer_list<std::int32_t> values) {
        Bytes b;
        for (std::int32_t v : values)
            for (int shift = 24; shift >= 0; shift -= 8)
                b.push_back(std::uint8_t(std::uint32_t(v) >> shift));
        return b;
    };
    Bytes strm = klv("SCAL", 'l', 4, 5, be32({10000000, 10000000, 1000, 1000, 100}));
    for (const Bytes& item :
         {klv("GPSF", 'L', 4, 1, be32({3})),
          klv("GPSU", 'U', 16, 1,
              Bytes{'2', '6', '0', '3', '1', '4', '0', '8', '3', '0', '0', '0', '.', '0', '0', '0'}),
          klv("GPS5", 'l', 20, 1, be32({225848000, 1139219000, 12000, 5000, 5000})),
          klv("ACCL", 's', 6, 1, Bytes{0, 0, 0, 0, 3, 0xD4})})
        strm.insert(strm.end(), item.begin(), item.end());
    Bytes stream = klv("STRM", 0, 4, std::uint16_t(strm.size() / 4), strm);
    MovieSpec gpmf = DashCamMovie(records);
    gpmf.tracks.push_back(TrackSpec{});
    gpmf.tracks.back().handler = "meta";
    gpmf.tracks.back().samples = {klv("DEVC", 0, 4, std::uint16_t(stream.size() / 4), stream)};
    ok &= WriteFile(dir + "/gpmf.mov", WriteMovie(gpmf));

    Bytes block(0x60, 0);
    block[3] = 0x60;
    for (int i = 0; i < 8; ++i)
        block[4 + i] = std::uint8_t("freeGPS "[i]);
    const std::uint32_t fields[6] = {8, 30, 0, 26, 3, 14};
    for (int i = 0; i < 6; ++i)
        block[0x30 + 4 * i] = std::uint8_t(fields[i]);
    block[0x48] = 'A', block[0x49] = 'N', block[0x4A] = 'E';
    const Bytes ftyp = Box("ftyp").Type("qt  ").U32(0).Type("qt  ").Encode();
    const std::uint32_t at = std::uint32_t(ftyp.size());
    Bytes novatek = ftyp;
    novatek.insert(novatek.end(), block.begin(), block.end());
    const Bytes moov = Box("moov").Add(Box("gps ").U32(0x101).U32(1).U32(at).U32(0x60)).Encode();
    novatek.insert(novatek.end(), moov.begin(), moov.end());
    ok &= WriteFile(dir + "/novatek.mov", novatek);

    const std::string lines = "[1773477000250]$GPRMC,083000,A,2235.0897,N,11355.3174,E,20.3,35.0,140326,,,A*7C\n";
    Bytes blackvue = ftyp;
    const Bytes free = Box("free")
                           .Add(Box("sttm").U64(1773477000000))
                           .Add(Box("gps ").Text(lines))
                           .Add(Box("3gf ").U32(100).U16(0).U16(0).U16(128).U32(0xFFFFFFFF).U32(0).U16(0))
                           .Encode();
    blackvue.insert(blackvue.end(), free.begin(), free.end());
    ok &= WriteFile(dir + "/blackvue.mov", blackvue);

    return ok ? 0 : 1;
}
