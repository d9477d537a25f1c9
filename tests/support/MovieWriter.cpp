#include "MovieWriter.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

namespace moviewriter {

namespace {

void Put(Bytes& out, std::uint64_t v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::string FourChars(std::string_view type)
{
    std::string s(type.substr(0, 4));
    s.resize(4, ' ');
    return s;
}

std::uint64_t EncodedSize(const Box& box)
{
    std::uint64_t size = box.Payload().size();
    for (const Box& child : box.Children())
        size += EncodedSize(child);
    return size + (box.SizeKind() == SizeForm::Large ? 16 : 8);
}

// Appends box to out, recording its place and those of its children under parentPath.
void EncodeInto(const Box& box, Bytes& out, std::uint64_t fileBase, const std::string& path,
                std::vector<BoxPlace>* places)
{
    const std::uint64_t start = out.size();
    const std::uint64_t size = EncodedSize(box);
    const std::uint64_t header = box.SizeKind() == SizeForm::Large ? 16 : 8;
    switch (box.SizeKind()) {
    case SizeForm::Normal: Put(out, size, 4); break;
    case SizeForm::Large: Put(out, 1, 4); break;
    case SizeForm::ToEnd: Put(out, 0, 4); break;
    }
    out.insert(out.end(), box.TypeName().begin(), box.TypeName().end());
    if (box.SizeKind() == SizeForm::Large)
        Put(out, size, 8);
    out.insert(out.end(), box.Payload().begin(), box.Payload().end());
    if (places)
        places->push_back(BoxPlace{path, fileBase + start, size, header});
    // trak is always numbered; other types only when a sibling shares the type.
    std::map<std::string, int> total, seen;
    for (const Box& child : box.Children())
        ++total[child.TypeName()];
    for (const Box& child : box.Children()) {
        const std::string& t = child.TypeName();
        std::string segment = t;
        const int n = ++seen[t];
        if (t == "trak" || total[t] > 1)
            segment += "[" + std::to_string(n) + "]";
        EncodeInto(child, out, fileBase, path + "/" + segment, places);
    }
}

void Matrix(Box& b)
{
    const std::uint32_t m[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};
    for (std::uint32_t v : m)
        b.U32(v);
}

std::uint64_t MediaDuration(const TrackSpec& t)
{
    if (t.times.empty())
        return std::uint64_t(t.samples.size()) * t.mediaTimeScale;
    std::uint64_t d = 0;
    for (const SampleTimes& s : t.times)
        d += std::uint64_t(s.count) * s.delta;
    return d;
}

// Samples in each chunk of a track.
std::vector<std::uint32_t> Chunks(const TrackSpec& t)
{
    if (!t.chunkSizes.empty())
        return t.chunkSizes;
    std::vector<std::uint32_t> chunks;
    const std::size_t per = std::max<std::uint32_t>(t.samplesPerChunk, 1);
    for (std::size_t left = t.samples.size(); left > 0;) {
        const std::size_t n = std::min(left, per);
        chunks.push_back(static_cast<std::uint32_t>(n));
        left -= n;
    }
    return chunks;
}

Box SampleTable(const TrackSpec& t, const std::vector<std::uint64_t>& chunkOffsets)
{
    Box stbl("stbl");

    Box stsd("stsd");
    stsd.FullHeader(0, 0).U32(1);
    const std::string format = t.handler == "vide"   ? "avc1"
                               : t.handler == "soun" ? "mp4a"
                               : t.handler == "meta" ? "gpmd"
                                                     : "text";
    stsd.U32(16).Type(format).Zeros(6).U16(1);
    stbl.Add(stsd);

    Box stts("stts");
    stts.FullHeader(0, 0);
    if (t.times.empty()) {
        stts.U32(t.samples.empty() ? 0 : 1);
        if (!t.samples.empty())
            stts.U32(static_cast<std::uint32_t>(t.samples.size())).U32(t.mediaTimeScale);
    } else {
        stts.U32(static_cast<std::uint32_t>(t.times.size()));
        for (const SampleTimes& s : t.times)
            stts.U32(s.count).U32(s.delta);
    }
    stbl.Add(stts);

    // One sample-to-chunk entry per change of the samples per chunk.
    const std::vector<std::uint32_t> chunks = Chunks(t);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> runs;
    for (std::size_t i = 0; i < chunks.size(); ++i)
        if (runs.empty() || runs.back().second != chunks[i])
            runs.emplace_back(static_cast<std::uint32_t>(i + 1), chunks[i]);
    Box stsc("stsc");
    stsc.FullHeader(0, 0).U32(static_cast<std::uint32_t>(runs.size()));
    for (const auto& [first, per] : runs)
        stsc.U32(first).U32(per).U32(1);
    stbl.Add(stsc);

    const auto count = static_cast<std::uint32_t>(t.samples.size());
    if (t.compactSizeBits != 0) {
        Box stz2("stz2");
        stz2.FullHeader(0, 0).Zeros(3).U8(static_cast<std::uint8_t>(t.compactSizeBits)).U32(count);
        if (t.compactSizeBits == 4) {
            for (std::size_t i = 0; i < t.samples.size(); i += 2) {
                const std::uint8_t hi = t.samples[i].size() & 15;
                const std::uint8_t lo = i + 1 < t.samples.size() ? t.samples[i + 1].size() & 15 : 0;
                stz2.U8(static_cast<std::uint8_t>((hi << 4) | lo));
            }
        } else {
            for (const Bytes& s : t.samples) {
                if (t.compactSizeBits == 8)
                    stz2.U8(static_cast<std::uint8_t>(s.size()));
                else
                    stz2.U16(static_cast<std::uint16_t>(s.size()));
            }
        }
        stbl.Add(stz2);
    } else {
        Box stsz("stsz");
        stsz.FullHeader(0, 0);
        if (t.constantSize && !t.samples.empty()) {
            stsz.U32(static_cast<std::uint32_t>(t.samples[0].size())).U32(count);
        } else {
            stsz.U32(0).U32(count);
            for (const Bytes& s : t.samples)
                stsz.U32(static_cast<std::uint32_t>(s.size()));
        }
        stbl.Add(stsz);
    }

    Box stco(t.chunkOffsets64 ? "co64" : "stco");
    stco.FullHeader(0, 0).U32(static_cast<std::uint32_t>(chunkOffsets.size()));
    for (std::uint64_t off : chunkOffsets) {
        if (t.chunkOffsets64)
            stco.U64(off);
        else
            stco.U32(static_cast<std::uint32_t>(off));
    }
    stbl.Add(stco);
    return stbl;
}

Box TrackBox(const TrackSpec& t, std::uint32_t id, std::uint32_t movieScale,
             const std::vector<std::uint64_t>& chunkOffsets)
{
    const std::uint64_t mediaDuration = MediaDuration(t);
    const std::uint64_t movieDuration = mediaDuration * movieScale / std::max<std::uint32_t>(t.mediaTimeScale, 1);

    Box tkhd("tkhd");
    tkhd.FullHeader(0, 0xF).U32(0).U32(0).U32(id).U32(0).U32(static_cast<std::uint32_t>(movieDuration));
    tkhd.Zeros(8).U16(0).U16(0).U16(t.handler == "soun" ? 0x0100 : 0).U16(0);
    Matrix(tkhd);
    tkhd.U32(t.handler == "vide" ? 320u << 16 : 0).U32(t.handler == "vide" ? 240u << 16 : 0);

    Box mdhd("mdhd");
    if (t.mediaHeaderVersion == 1)
        mdhd.FullHeader(1, 0).U64(0).U64(0).U32(t.mediaTimeScale).U64(mediaDuration);
    else
        mdhd.FullHeader(0, 0).U32(0).U32(0).U32(t.mediaTimeScale).U32(static_cast<std::uint32_t>(mediaDuration));
    mdhd.U16(0x55C4).U16(0);  // language "und", quality

    Box hdlr("hdlr");
    if (t.quickTimeHandler)
        hdlr.FullHeader(0, 0).Type("mhlr").Type(t.handler).U32(0).U32(0).U32(0).U8(0);
    else
        hdlr.FullHeader(0, 0).U32(0).Type(t.handler).Zeros(12).Text("Handler").U8(0);

    Box minf("minf");
    if (t.handler == "vide")
        minf.Add(Box("vmhd").FullHeader(0, 1).Zeros(8));
    else if (t.handler == "soun")
        minf.Add(Box("smhd").FullHeader(0, 0).Zeros(4));
    else
        minf.Add(Box("gmhd").Add(Box("gmin").FullHeader(0, 0).U16(0x40).Zeros(10)));
    if (t.quickTimeHandler)
        minf.Add(Box("hdlr").FullHeader(0, 0).Type("dhlr").Type("alis").U32(0).U32(0).U32(0).U8(0));
    Box dinf("dinf");
    Box dref("dref");
    dref.FullHeader(0, 0);
    if (t.hasDataRef) {
        dref.U32(1);
        dref.Add(Box(t.dataRefType).FullHeader(0, t.dataRefFlags).Raw(t.dataRefData));
    } else {
        dref.U32(0);
    }
    dinf.Add(dref);
    minf.Add(dinf);
    minf.Add(SampleTable(t, chunkOffsets));

    Box mdia("mdia");
    mdia.Add(mdhd).Add(hdlr).Add(minf);
    Box trak("trak");
    trak.Add(tkhd).Add(mdia);
    return trak;
}

Box MovieBox(const MovieSpec& spec, const std::vector<std::vector<std::uint64_t>>& chunkOffsets)
{
    std::uint64_t duration = spec.duration;
    if (duration == 0)
        for (const TrackSpec& t : spec.tracks)
            duration =
                std::max(duration, MediaDuration(t) * spec.timeScale / std::max<std::uint32_t>(t.mediaTimeScale, 1));
    Box mvhd("mvhd");
    if (spec.movieHeaderVersion == 1)
        mvhd.FullHeader(1, 0).U64(0).U64(0).U32(spec.timeScale).U64(duration);
    else
        mvhd.FullHeader(0, 0).U32(0).U32(0).U32(spec.timeScale).U32(static_cast<std::uint32_t>(duration));
    mvhd.U32(0x00010000).U16(0x0100).Zeros(10);
    Matrix(mvhd);
    mvhd.Zeros(24).U32(static_cast<std::uint32_t>(spec.tracks.size() + 1));

    Box moov("moov");
    moov.Add(mvhd);
    for (std::size_t i = 0; i < spec.tracks.size(); ++i)
        moov.Add(TrackBox(spec.tracks[i], static_cast<std::uint32_t>(i + 1), spec.timeScale, chunkOffsets[i]));
    return moov;
}

}  // namespace

// ---- Box ----------------------------------------------------------------------------------------

Box::Box(std::string_view type) : type_(FourChars(type)) {}
Box& Box::U8(std::uint8_t v)
{
    Put(payload_, v, 1);
    return *this;
}
Box& Box::U16(std::uint16_t v)
{
    Put(payload_, v, 2);
    return *this;
}
Box& Box::U24(std::uint32_t v)
{
    Put(payload_, v, 3);
    return *this;
}
Box& Box::U32(std::uint32_t v)
{
    Put(payload_, v, 4);
    return *this;
}
Box& Box::U64(std::uint64_t v)
{
    Put(payload_, v, 8);
    return *this;
}
Box& Box::Type(std::string_view fourCC)
{
    const std::string s = FourChars(fourCC);
    payload_.insert(payload_.end(), s.begin(), s.end());
    return *this;
}
Box& Box::Raw(const Bytes& bytes)
{
    payload_.insert(payload_.end(), bytes.begin(), bytes.end());
    return *this;
}
Box& Box::Text(std::string_view text)
{
    payload_.insert(payload_.end(), text.begin(), text.end());
    return *this;
}
Box& Box::Zeros(std::size_t count)
{
    payload_.insert(payload_.end(), count, 0);
    return *this;
}
Box& Box::FullHeader(std::uint8_t version, std::uint32_t flags)
{
    U8(version);
    return U24(flags);
}
Box& Box::Add(Box child)
{
    children_.push_back(std::move(child));
    return *this;
}
Box& Box::Form(SizeForm form)
{
    form_ = form;
    return *this;
}
Bytes Box::Encode() const
{
    Bytes out;
    EncodeInto(*this, out, 0, type_, nullptr);
    return out;
}

// ---- movies -------------------------------------------------------------------------------------

BoxPlace WrittenMovie::Find(const std::string& path) const
{
    for (const BoxPlace& p : boxes)
        if (p.path == path)
            return p;
    return BoxPlace{};
}

WrittenMovie WriteMovie(const MovieSpec& spec)
{
    WrittenMovie out;
    const std::size_t trackCount = spec.tracks.size();

    // Media data: chunks of the tracks in turn (first chunk of every track, then the second...),
    // so no track's chunks follow each other directly.
    Bytes media;
    std::vector<std::vector<std::uint64_t>> relChunks(trackCount);
    std::vector<std::vector<std::uint64_t>> relSamples(trackCount);
    std::vector<std::vector<std::uint32_t>> chunks(trackCount);
    std::vector<std::size_t> nextSample(trackCount, 0);
    std::size_t rounds = 0;
    for (std::size_t t = 0; t < trackCount; ++t) {
        chunks[t] = Chunks(spec.tracks[t]);
        rounds = std::max(rounds, chunks[t].size());
    }
    for (std::size_t r = 0; r < rounds; ++r) {
        for (std::size_t t = 0; t < trackCount; ++t) {
            if (r >= chunks[t].size())
                continue;
            relChunks[t].push_back(media.size());
            const auto& samples = spec.tracks[t].samples;
            for (std::uint32_t k = 0; k < chunks[t][r] && nextSample[t] < samples.size(); ++k) {
                relSamples[t].push_back(media.size());
                const Bytes& s = samples[nextSample[t]++];
                media.insert(media.end(), s.begin(), s.end());
            }
        }
    }

    Box ftyp("ftyp");
    ftyp.Type("qt  ").U32(0x20050300).Type("qt  ");
    const Bytes ftypBytes = ftyp.Encode();

    std::uint64_t mdatBody = media.size() + spec.mediaDataGap;
    SizeForm mdatForm = spec.mediaDataSize;
    if (mdatForm == SizeForm::Normal && mdatBody + 8 > 0xFFFFFFFFull)
        mdatForm = SizeForm::Large;
    const bool mdatLast = spec.layout == Layout::MoovFirst;
    if (mdatLast && spec.lastBoxSize != SizeForm::Normal)
        mdatForm = spec.lastBoxSize;
    const std::uint64_t mdatHeader = mdatForm == SizeForm::Large ? 16 : 8;

    auto absolute = [&](std::uint64_t mediaStart) {
        std::vector<std::vector<std::uint64_t>> abs = relChunks;
        for (auto& track : abs)
            for (auto& off : track)
                off += mediaStart;
        return abs;
    };

    std::uint64_t mediaStart = 0;
    Box moov("moov");
    if (spec.layout == Layout::MdatFirst) {
        mediaStart = ftypBytes.size() + 8 + mdatHeader;
        moov = MovieBox(spec, absolute(mediaStart));
        if (spec.lastBoxSize != SizeForm::Normal)
            moov.Form(spec.lastBoxSize);
    } else {
        // The movie box comes first; its size does not depend on the offset values.
        const std::uint64_t moovSize = EncodedSize(MovieBox(spec, absolute(0)));
        mediaStart = ftypBytes.size() + moovSize + mdatHeader;
        moov = MovieBox(spec, absolute(mediaStart));
    }

    auto appendMdat = [&]() {
        const std::uint64_t start = out.bytes.size();
        const std::uint64_t size = mdatHeader + mdatBody;
        switch (mdatForm) {
        case SizeForm::Normal: Put(out.bytes, size, 4); break;
        case SizeForm::Large: Put(out.bytes, 1, 4); break;
        case SizeForm::ToEnd: Put(out.bytes, 0, 4); break;
        }
        out.bytes.insert(out.bytes.end(), {'m', 'd', 'a', 't'});
        if (mdatForm == SizeForm::Large)
            Put(out.bytes, size, 8);
        out.bytes.insert(out.bytes.end(), media.begin(), media.end());
        out.boxes.push_back(BoxPlace{"mdat", start, size, mdatHeader});
        out.gapOffset = out.bytes.size();
        out.gapSize = spec.mediaDataGap;
    };

    out.bytes = ftypBytes;
    out.boxes.push_back(BoxPlace{"ftyp", 0, ftypBytes.size(), 8});
    if (spec.layout == Layout::MdatFirst) {
        out.boxes.push_back(BoxPlace{"wide", out.bytes.size(), 8, 8});
        Put(out.bytes, 8, 4);
        out.bytes.insert(out.bytes.end(), {'w', 'i', 'd', 'e'});
        appendMdat();
        std::vector<BoxPlace> places;
        Bytes moovBytes;
        EncodeInto(moov, moovBytes, out.FileSize(), "moov", &places);
        out.bytes.insert(out.bytes.end(), moovBytes.begin(), moovBytes.end());
        out.boxes.insert(out.boxes.end(), places.begin(), places.end());
    } else {
        std::vector<BoxPlace> places;
        EncodeInto(moov, out.bytes, 0, "moov", &places);
        out.boxes.insert(out.boxes.end(), places.begin(), places.end());
        appendMdat();
    }

    out.sampleOffsets.resize(trackCount);
    for (std::size_t t = 0; t < trackCount; ++t)
        for (std::uint64_t rel : relSamples[t])
            out.sampleOffsets[t].push_back(rel + mediaStart);
    return out;
}

bool WriteFile(const std::string& path, const WrittenMovie& movie)
{
    {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        if (!f)
            return false;
        const auto* data = reinterpret_cast<const char*>(movie.bytes.data());
        const auto head = static_cast<std::streamsize>(std::min<std::uint64_t>(movie.gapOffset, movie.bytes.size()));
        f.write(data, head);
        if (movie.gapSize > 0 && head < static_cast<std::streamsize>(movie.bytes.size())) {
            // Seeking past the end leaves a hole: nothing is written for the gap.
            f.seekp(static_cast<std::streamoff>(movie.gapOffset + movie.gapSize));
            f.write(data + head, static_cast<std::streamsize>(movie.bytes.size()) - head);
        } else if (movie.gapSize == 0) {
            f.write(data + head, static_cast<std::streamsize>(movie.bytes.size()) - head);
        }
        if (!f)
            return false;
    }
    std::error_code ec;
    std::filesystem::resize_file(path, movie.FileSize(), ec);
    return !ec;
}

bool WriteFile(const std::string& path, const Bytes& bytes)
{
    WrittenMovie m;
    m.bytes = bytes;
    m.gapOffset = bytes.size();
    return WriteFile(path, m);
}

Bytes TextPayload(std::string_view text)
{
    Bytes b;
    Put(b, text.size() & 0xFFFF, 2);
    b.insert(b.end(), text.begin(), text.end());
    return b;
}

MovieSpec DashCamMovie(const std::vector<Bytes>& textSamples, std::uint32_t textTimeScale)
{
    MovieSpec spec;
    spec.timeScale = 1000;
    const std::size_t seconds = textSamples.size();

    TrackSpec video;
    video.handler = "vide";
    video.mediaTimeScale = 90000;
    for (std::size_t i = 0; i < seconds; ++i)
        video.samples.push_back(Bytes(48, static_cast<std::uint8_t>(0x10 + i % 64)));
    TrackSpec sound;
    sound.handler = "soun";
    sound.mediaTimeScale = 48000;
    sound.samplesPerChunk = 4;
    for (std::size_t i = 0; i < seconds; ++i)
        sound.samples.push_back(Bytes(24, 0x55));
    TrackSpec text;
    text.handler = "text";
    text.mediaTimeScale = textTimeScale;
    text.samples = textSamples;

    spec.tracks = {video, sound, text};
    return spec;
}

void PutU32(Bytes& bytes, std::uint64_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * (3 - i)));
}

std::uint32_t GetU32(const Bytes& bytes, std::uint64_t offset)
{
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 8) | bytes.at(offset + i);
    return v;
}

}  // namespace moviewriter
