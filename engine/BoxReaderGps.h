#pragma once
// Box look-ups that GPS data needs beyond a movie's tracks: the boxes at the top of the file or
// inside one box (cameras keep GPS blocks in 'free' boxes and an index in 'moov'), and the sample
// format of each track (a GPS metadata track is told by its sample description, not its handler).
//
// Every header is checked against its parent and the file; a damaged header ends the listing
// with the boxes found so far and a Truncated or Malformed result. Listings are bounded.

#include "engine/BoxReader.h"

#include <cstdint>
#include <vector>

/// The boxes in [begin, end) of the source, in order, at most `limit`. A 0 size runs to `end`;
/// four zero bytes (a QuickTime list terminator) end the listing.
BoxResult ListBoxes(const ByteSource& source, std::uint64_t begin, std::uint64_t end, std::size_t limit,
                    std::vector<BoxSpan>* boxes);

/// The children of a box (ListBoxes over its payload).
BoxResult ListChildren(const ByteSource& source, const BoxSpan& parent, std::size_t limit, std::vector<BoxSpan>* boxes);

/// The first box of the type among the children, when there is one.
bool FindChild(const ByteSource& source, const BoxSpan& parent, std::uint32_t type, BoxSpan* found);

/// The first top-level 'moov' box.
bool FindMovieBox(const ByteSource& source, BoxSpan* moov);

/// The type of the first sample description of every track of the movie box, in the order the
/// box reader numbers tracks; 0 for a track without one.
std::vector<std::uint32_t> TrackSampleFormats(const ByteSource& source);
