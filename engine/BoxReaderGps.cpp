#include "BoxReaderGps.h"

#include "BoxReaderBoxes.h"

#include <algorithm>

using namespace boxes;

namespace {

constexpr std::size_t kMaxChildren = 4096;

std::string HeaderProblem(const Header& h, std::uint64_t pos)
{
    const std::string at = "'" + FourCCText(h.box.type) + "' at byte " + std::to_string(pos);
    switch (h.fit) {
    case HeaderFit::NoLargeSize: return "a 64-bit box size is cut short";
    case HeaderFit::BelowHeader: return at + " is smaller than its header";
    case HeaderFit::PastEnd: return at + " runs past its parent";
    default: return "a box header is cut short at byte " + std::to_string(pos);
    }
}

}  // namespace

BoxResult ListBoxes(const ByteSource& source, std::uint64_t begin, std::uint64_t end, std::size_t limit,
                    std::vector<BoxSpan>* boxes)
{
    boxes->clear();
    end = std::min(end, source.Size());
    std::uint64_t pos = begin;
    while (pos < end && boxes->size() < limit) {
        Header h;
        if (BoxResult r = ReadHeader(source, pos, end, &h); !r)
            return r;
        if (h.fit == HeaderFit::ListEnd)
            return {};
        if (h.fit != HeaderFit::Fits)
            return BoxResult::Fail(h.Status(), HeaderProblem(h, pos));
        boxes->push_back(h.box);
        pos = h.box.end;
    }
    return {};
}

BoxResult ListChildren(const ByteSource& source, const BoxSpan& parent, std::size_t limit, std::vector<BoxSpan>* boxes)
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
