#include "controls/NeedleTable.h"

std::vector<NeedlePixel> NeedlePixels(int value)
{
    std::vector<NeedlePixel> pixels;
    if (value < 0 || value >= kNeedleEntryCount)
        return pixels;
    for (const std::uint8_t* r = kNeedleTable[value]; r[0] != 0 || r[1] != 0; r += kNeedleRecordSize)
        pixels.push_back({r[0] + kNeedleXOffset, r[1], QColor(r[4], r[3], r[2])});
    return pixels;
}
