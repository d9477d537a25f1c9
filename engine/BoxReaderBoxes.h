#pragma once
// What the movie parser and the GPS look-ups share below the boxes: big-endian fields and box
// headers. Internal to the box reader.

#include "engine/BoxReader.h"

#include <cstdint>

namespace boxes {

constexpr std::uint32_t Code(const char (&c)[5])
{
    return (std::uint32_t(std::uint8_t(c[0])) << 24) | (std::uint32_t(std::uint8_t(c[1])) << 16) |
           (std::uint32_t(std::uint8_t(c[2])) << 8) | std::uint32_t(std::uint8_t(c[3]));
}

inline std::uint16_t BE16(const std::uint8_t* p) { return std::uint16_t((p[0] << 8) | p[1]); }
inline std::uint32_t BE32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
}
inline std::uint64_t BE64(const std::uint8_t* p) { return (std::uint64_t(BE32(p)) << 32) | BE32(p + 4); }

/// How a box header sits in the room its box may take (up to the end of its parent or the file).
enum class HeaderFit {
    Fits,         ///< the header is sound and the box lies in the room
    ListEnd,      ///< exactly four zero bytes are left: a QuickTime list terminator
    NoHeader,     ///< fewer than 8 bytes are left, and they are no list terminator
    NoLargeSize,  ///< the size is 1, but the room ends before the 64-bit size after the type
    BelowHeader,  ///< the declared size is less than the header
    PastEnd,      ///< the declared size runs past the room
};

struct Header {
    HeaderFit fit = HeaderFit::NoHeader;
    BoxSpan box;                   ///< type once read; start, payload and end when it fits
    std::uint64_t size = 0;        ///< the declared size (a 0 read as the room), once read
    std::uint64_t headerSize = 0;  ///< 8, or 16 with a 64-bit size
    std::uint64_t room = 0;        ///< bytes from the header's start to the end of the room

    /// A header that does not fit, read where the room ends with the data (the file, or a listing
    /// of the boxes up to its end): Truncated when the data ends inside the header or the box,
    /// Malformed when the size is below the header. Inside a box, running past the parent
    /// contradicts the parent's size, and the movie parser calls every such header Malformed.
    BoxStatus Status() const;
};

/// Reads the header of the box at pos, whose room ends at end (pos <= end, end within the
/// source): a 32-bit size and the type, a 64-bit size after them when the size is 1, and a size
/// of 0 running to the end of the room. How the header fits goes to header->fit; the result fails
/// only when reading fails.
BoxResult ReadHeader(const ByteSource& source, std::uint64_t pos, std::uint64_t end, Header* header);

}  // namespace boxes
