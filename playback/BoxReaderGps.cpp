#include "BoxReaderGps.h"

#include <algorithm>

namespace {

constexpr std::uint32_t Code(const char (&c)[5])
{
    return (std::uint32_t(std::uint8_t(c[0])) << 24) | (std::uint32_t(std::uint8_t(c[1])) << 16) |
           (std::uint32_t(std::uint8_t(c[2])) << 8) | std::uint32_t(std::uint8_t(c[3]));
}

std::uint32_t BE32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

constexpr std::size_t kMaxChildren = 4096;

}  // namespace

BoxResult ListBoxes(const ByteSource& source, std::uint64_t begin, std::uint64_t end,
                    std::size_t limit, std::vector<BoxSpan>* boxes)
{
    boxes->clear();
    end = std::min(end, source.Size());
    std::uint64_t pos = begin;
    while (pos < end && boxes->size() < limit) {
        const std::uint64_t left = end - pos;
        std::uint8_t b[16];
        if (left < 8) {
            if (left == 4 && source.ReadAt(pos, b, 4).ok() && BE32(b) == 0)
                return {};
            return BoxResult::Fail(BoxStatus::Truncated, "a box header is cut short at byte " +
                                                             std::to_string(pos));
        }
        if (BoxResult r = source.ReadAt(pos, b, 8); !r)
            return r;
        BoxSpan box;
        box.type = BE32(b + 4);
        std::uint64_t size = BE32(b);
        std::uint64_t header = 8;
        if (size == 1) {
            if (left < 16)
                return BoxResult::Fail(BoxStatus::Truncated, "a 64-bit box size is cut short");
            if (BoxResult r = source.ReadAt(pos + 8, b + 8, 8); !r)
                return r;
            size = (std::uint64_t(BE32(b + 8)) << 32) | BE32(b + 12);
            header = 16;
        } else if (size == 0) {
            size = left;
        }
        if (size < header)
            return BoxResult::Fail(BoxStatus::Malformed, "'" + FourCCText(box.type) + "' at byte " +
                                                             std::to_string(pos) + " is smaller than its header");
        if (size > left)
            return BoxResult::Fail(BoxStatus::Truncated, "'" + FourCCText(box.type) + "' at byte " +
                                                             std::to_string(pos) + " runs past its parent");
        box.start = pos;
        box.payload = pos + header;
        box.end = pos + size;
        boxes->push_back(box);
        pos = box.end;
    }
    return {};
}

BoxResult ListChildren(const ByteSource& source, const BoxSpan& parent, std::size_t limit,
                       std::vector<BoxSpan>* boxes)
{
    return ListBoxes(source, parent.payload, parent.end, limit, boxes);
}

bool FindChild(const ByteSource& source, const BoxSpan& parent, std::uint32_t type, BoxSpan* found)
{
    std::vector<BoxSpan> children;
    ListChildren(source, parent, kMaxChildren, &children);  // the boxes before any damage count
    for (const BoxSpan& b : children)
        if (b.type == type) {
            *found = b;
            return true;
        }
    return false;
}

bool FindMovieBox(const ByteSource& source, BoxSpan* moov)
{
    BoxSpan file;
    file.payload = 0;
    file.end = source.Size();
    return FindChild(source, file, Code("moov"), moov);
}

std::vector<std::uint32_t> TrackSampleFormats(const ByteSource& source)
{
    std::vector<std::uint32_t> formats;
    BoxSpan moov;
    if (!FindMovieBox(source, &moov))
        return formats;
    std::vector<BoxSpan> children;
    ListChildren(source, moov, kMaxChildren, &children);
    for (const BoxSpan& trak : children) {
        if (trak.type != Code("trak"))
            continue;
        std::uint32_t format = 0;
        BoxSpan mdia, minf, stbl, stsd;
        if (FindChild(source, trak, Code("mdia"), &mdia) && FindChild(source, mdia, Code("minf"), &minf) &&
            FindChild(source, minf, Code("stbl"), &stbl) && FindChild(source, stbl, Code("stsd"), &stsd) &&
            stsd.PayloadSize() >= 16) {
            // version/flags, entry count, then the first entry's size and format
            std::uint8_t b[16];
            if (source.ReadAt(stsd.payload, b, sizeof b).ok() && BE32(b + 4) > 0)
                format = BE32(b + 12);
        }
        formats.push_back(format);
    }
    return formats;
}
