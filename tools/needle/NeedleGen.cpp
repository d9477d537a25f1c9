// Writes the speed meter's needle table as C++ source: for every meter value 0..120 the list of
// coloured pixels that draw the needle at that value, rendered here from the needle's geometry
// so that the player only copies pixels.
//
// Geometry (control coordinates, y down, pixel (i, j) covering [i, i+1) x [j, j+1)):
//   pivot (93.5, 91.5), the centre of the dial's half circle;
//   direction at value v: 188 - 1.63 v degrees, counter-clockwise from +x with y pointing up;
//   78.5 pixels from the pivot to the tip, a 13.5-pixel tail on the other side, about 2 pixels wide,
//   narrowing over the last few pixels to a point;
//   colour along the needle from green at the pivot through yellow to red-orange at the tip.
// Edges are smoothed by supersampling each pixel through a small tent filter; a pixel's colour is
// the needle colour scaled by its coverage (the dial behind the needle is black).
//
// Records are 5 bytes: x - 5, y, blue, green, red; each list ends with a record of five zeros.
// The pixels of a list run from the bottom row to the top row, left to right within a row.
//
// Usage: vindrel_needle_gen <output.cpp>
// Plain C++ without Qt, so the table is identical wherever it is built.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kPivotX = 93.5;
constexpr double kPivotY = 91.5;
constexpr double kLength = 78.5;
constexpr double kTail = 13.5;
constexpr double kHalfWidth = 0.9;
constexpr double kTipTaper = 5.0;       // the last pixels over which the needle narrows
constexpr double kTipHalfWidth = 0.35;  // half width at the very tip
constexpr int kValues = 121;
constexpr int kRecordXOffset = 5;  // the meter draws record (x, y) at (x + 5, y)

// Bounds every pixel must respect (inclusive), so a needle never leaves the dial's black area.
constexpr int kMinX = 14, kMaxX = 174, kMinY = 12, kMaxY = 106;

struct Rgb {
    double r, g, b;
};

// Colour stops along the needle, t = 0 at the pivot, 1 at the tip.
struct Stop {
    double t;
    Rgb c;
};
constexpr std::array<Stop, 5> kStops{{
    {0.00, {45, 157, 15}},
    {0.40, {150, 200, 20}},
    {0.62, {245, 220, 20}},
    {0.82, {250, 140, 5}},
    {1.00, {247, 58, 0}},
}};

Rgb ColourAt(double t)
{
    t = std::clamp(t, 0.0, 1.0);
    for (std::size_t i = 1; i < kStops.size(); ++i) {
        if (t <= kStops[i].t) {
            const Stop& a = kStops[i - 1];
            const Stop& b = kStops[i];
            const double f = (t - a.t) / (b.t - a.t);
            return {a.c.r + (b.c.r - a.c.r) * f, a.c.g + (b.c.g - a.c.g) * f, a.c.b + (b.c.b - a.c.b) * f};
        }
    }
    return kStops.back().c;
}

// Half width of the needle at distance s from the pivot along its axis (negative s: the tail).
double HalfWidthAt(double s)
{
    if (s < -kTail || s > kLength)
        return -1.0;
    if (s > kLength - kTipTaper) {
        const double f = (kLength - s) / kTipTaper;  // 1 at the start of the taper, 0 at the tip
        return kTipHalfWidth + (kHalfWidth - kTipHalfWidth) * f;
    }
    return kHalfWidth;
}

struct Pixel {
    int x, y;
    std::uint8_t b, g, r;
};

// Renders the needle for one value. Coverage of a pixel: the needle's area under a tent filter of
// radius kFilter centred on the pixel centre, sampled on a fine grid.
std::vector<Pixel> RenderNeedle(int value)
{
    const double angle = (188.0 - 1.63 * value) * kPi / 180.0;
    const double dx = std::cos(angle);
    const double dy = -std::sin(angle);  // y grows downwards
    constexpr double kFilter = 0.25;
    constexpr int kSamples = 24;  // per axis, over the filter's support

    std::vector<Pixel> pixels;
    for (int py = 0; py < 117; ++py) {
        for (int px = 0; px < 189; ++px) {
            const double cx = px + 0.5;
            const double cy = py + 0.5;
            // Quick reject: the pixel centre's distance from the needle axis segment.
            const double rx = cx - kPivotX;
            const double ry = cy - kPivotY;
            const double along = rx * dx + ry * dy;
            const double across = -rx * dy + ry * dx;
            if (along < -kTail - 2.0 || along > kLength + 2.0 || std::abs(across) > kHalfWidth + 2.0)
                continue;

            double covered = 0.0;
            double total = 0.0;
            for (int sy = 0; sy < kSamples; ++sy) {
                const double oy = ((sy + 0.5) / kSamples * 2.0 - 1.0) * (0.5 + kFilter);
                const double wy = std::max(0.0, 1.0 - std::abs(oy) / (0.5 + kFilter));
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double ox = ((sx + 0.5) / kSamples * 2.0 - 1.0) * (0.5 + kFilter);
                    const double wx = std::max(0.0, 1.0 - std::abs(ox) / (0.5 + kFilter));
                    const double w = wx * wy;
                    total += w;
                    const double qx = cx + ox - kPivotX;
                    const double qy = cy + oy - kPivotY;
                    const double s = qx * dx + qy * dy;
                    const double n = -qx * dy + qy * dx;
                    const double half = HalfWidthAt(s);
                    if (half >= 0.0 && std::abs(n) <= half)
                        covered += w;
                }
            }
            const double coverage = covered / total;
            if (coverage <= 0.0)
                continue;
            // Scale the coverage so that a pixel on the needle's axis is drawn at full colour.
            const double alpha = std::min(1.0, coverage * 1.35);
            const Rgb c = ColourAt(along / kLength);
            const auto channel = [alpha](double v) {
                return static_cast<std::uint8_t>(std::clamp(std::lround(v * alpha), 0L, 255L));
            };
            const Pixel p{px, py, channel(c.b), channel(c.g), channel(c.r)};
            if (p.r == 0 && p.g == 0 && p.b == 0)
                continue;
            pixels.push_back(p);
        }
    }
    // Bottom row first, left to right within a row.
    std::stable_sort(pixels.begin(), pixels.end(),
                     [](const Pixel& a, const Pixel& b) { return a.y != b.y ? a.y > b.y : a.x < b.x; });
    return pixels;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: vindrel_needle_gen <output.cpp>\n";
        return 2;
    }
    std::ostringstream out;
    out << "// Generated by vindrel_needle_gen from the needle's geometry; do not edit.\n"
           "#include \"controls/NeedleTable.h\"\n\n"
           "namespace {\n";
    std::size_t fewest = SIZE_MAX, most = 0;
    for (int v = 0; v < kValues; ++v) {
        const std::vector<Pixel> pixels = RenderNeedle(v);
        fewest = std::min(fewest, pixels.size());
        most = std::max(most, pixels.size());
        out << "const std::uint8_t kNeedle" << v << "[] = {";
        int column = 0;
        for (const Pixel& p : pixels) {
            if (p.x < kMinX || p.x > kMaxX || p.y < kMinY || p.y > kMaxY) {
                std::cerr << "needle " << v << ": pixel (" << p.x << ", " << p.y << ") outside the dial area\n";
                return 1;
            }
            out << (column++ % 6 == 0 ? "\n    " : " ") << p.x - kRecordXOffset << ", " << p.y << ", " << int(p.b)
                << ", " << int(p.g) << ", " << int(p.r) << ",";
        }
        out << "\n    0, 0, 0, 0, 0,\n};\n";
    }
    out << "}  // namespace\n\n"
           "const std::uint8_t* const kNeedleTable[kNeedleEntryCount] = {";
    for (int v = 0; v < kValues; ++v)
        out << (v % 8 == 0 ? "\n    " : " ") << "kNeedle" << v << ",";
    out << "\n};\n";

    // Write only when the text changed, so an unchanged table does not rebuild its users.
    const std::string text = out.str();
    {
        std::ifstream existing(argv[1], std::ios::binary);
        std::ostringstream old;
        old << existing.rdbuf();
        if (existing && old.str() == text)
            return 0;
    }
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file << text;
    if (!file) {
        std::cerr << "cannot write " << argv[1] << "\n";
        return 1;
    }
    std::cerr << "needle table: " << kValues << " entries, " << fewest << " to " << most << " pixels each\n";
    return 0;
}
