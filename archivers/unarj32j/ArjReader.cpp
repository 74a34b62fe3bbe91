#include "archivers/unarj32j/ArjReader.h"

#include "archive/LxArcDefine.h"
#include "archivers/codecs/ArjFastDecoder.h"
#include "archivers/codecs/CheckedSink.h"
#include "archivers/codecs/Crc.h"
#include "archivers/codecs/EntryFields.h"
#include "archivers/codecs/StaticHuffmanDecoder.h"
#include "archivers/codecs/StoredDecoder.h"

#include <algorithm>
#include <cstring>

namespace tovik::unarj32j {

using codecs::ArchiveFile;

namespace {

constexpr unsigned kMaxHeader = 2600;
constexpr uint64_t kSfxSearch = 512 * 1024;

constexpr uint8_t kGarbled = 0x01;
constexpr uint8_t kVolumeNext = 0x04;
constexpr uint8_t kVolumePrevious = 0x08;

constexpr uint8_t kTypeMain = 2;
constexpr uint8_t kTypeFolder = 3;
constexpr uint8_t kTypeVolumeLabel = 4;
constexpr uint8_t kTypeChapterLabel = 5;

uint16_t le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t *p) { return le16(p) | (static_cast<uint32_t>(le16(p + 2)) << 16); }

// One basic header at off: the id, its size, the bytes and their CRC-32. end is set for
// the closing header (size 0).
struct Basic {
    std::vector<uint8_t> bytes;
    uint64_t next = 0;   // the first byte after the header's extended headers
    bool end = false;
};

bool readBasic(ArchiveFile &file, uint64_t off, Basic &b)
{
    uint8_t head[4];
    if (!file.read(off, head, 4) || head[0] != 0x60 || head[1] != 0xEA)
        return false;
    unsigned size = le16(head + 2);
    b.end = size == 0;
    if (b.end) {
        b.next = off + 4;
        return true;
    }
    if (size < 30 || size > kMaxHeader)
        return false;
    b.bytes.resize(size + 4);
    if (!file.read(off + 4, b.bytes.data(), b.bytes.size()))
        return false;
    if (codecs::Crc32(0, b.bytes.data(), size) != le32(&b.bytes[size]))
        return false;
    b.bytes.resize(size);
    if (b.bytes[0] < 30 || b.bytes[0] > size)
        return false;
    // Extended headers: a size, its data and a CRC-32 each, up to a size of 0. None is
    // understood here; they are only stepped over.
    uint64_t pos = off + 4 + size + 4;
    for (;;) {
        uint8_t ext[2];
        if (!file.read(pos, ext, 2))
            return false;
        pos += 2;
        unsigned extSize = le16(ext);
        if (extSize == 0)
            break;
        pos += extSize + 4u;
        if (pos > file.size())
            return false;
    }
    b.next = pos;
    return true;
}

// The NUL-terminated name after the fixed part of the basic header.
std::string storedName(const Basic &b)
{
    std::size_t start = b.bytes[0];
    const uint8_t *p = b.bytes.data() + start;
    std::size_t n = b.bytes.size() - start;
    const void *nul = std::memchr(p, 0, n);
    return std::string(reinterpret_cast<const char *>(p), nul ? static_cast<const uint8_t *>(nul) - p : n);
}

bool hostKeepsDosAttributes(unsigned host)
{
    return host == 0 || host == 5 || host == 10 || host == 11; // MS-DOS, OS/2, Windows
}

} // namespace

int64_t ArjReader::FindArchiveStart(ArchiveFile &file)
{
    uint64_t limit = std::min<uint64_t>(file.size(), kSfxSearch + 4);
    std::vector<uint8_t> buf(static_cast<std::size_t>(limit));
    if (limit < 4 || !file.read(0, buf.data(), buf.size()))
        return -1;
    for (std::size_t i = 0; i + 4 <= buf.size(); ++i) {
        if (buf[i] != 0x60 || buf[i + 1] != 0xEA)
            continue;
        unsigned size = le16(&buf[i + 2]);
        if (size < 30 || size > kMaxHeader)
            continue;
        Basic b;
        if (readBasic(file, i, b) && !b.end && b.bytes[6] == kTypeMain)
            return static_cast<int64_t>(i);
    }
    return -1;
}

ReadError ArjReader::open(const std::string &path)
{
    uint64_t start = 0;
    if (ReadError error = begin(path, &FindArchiveStart, start); error != ReadError::None)
        return error;
    Basic b;
    if (!readBasic(file_, start, b))
        return ReadError::Corrupt;
    uint64_t pos = b.next;
    listingCut_ = false;
    for (;;) {
        if (!readBasic(file_, pos, b)) {
            // No end mark: the archive stops short, or a header is broken.
            listingCut_ = true;
            break;
        }
        if (b.end)
            break;
        const uint8_t *h = b.bytes.data();
        const unsigned host = h[3], flags = h[4], method = h[5], type = h[6];
        ArjData d;
        d.offset = b.next;
        d.compressed = le32(h + 12);
        d.original = le32(h + 16);
        d.crc = le32(h + 20);
        d.method = method;
        d.folder = type == kTypeFolder;
        d.split = (flags & (kVolumeNext | kVolumePrevious)) != 0;
        pos = b.next + d.compressed;
        if (type == kTypeVolumeLabel || type == kTypeChapterLabel)
            continue;

        EntryInfo e;
        e.name = codecs::StoredNameToCp932(codecs::BackslashToSlash(storedName(b)));
        if (d.folder && !e.name.empty() && e.name.back() != '/')
            e.name += '/';
        if (e.name.empty())
            break;
        e.originalSize = d.original;
        e.compressedSize = d.compressed;
        e.crc = d.crc;
        uint32_t stamp = le32(h + 8);
        e.dosTime = static_cast<uint16_t>(stamp);
        e.dosDate = static_cast<uint16_t>(stamp >> 16);
        e.attribute = hostKeepsDosAttributes(host) ? (le16(h + 26) & 0x3F) : LX_FA_ARCH;
        if (d.folder)
            e.attribute = (e.attribute & ~static_cast<uint32_t>(LX_FA_ARCH)) | LX_FA_DIREC;
        e.method = "-m" + std::to_string(method) + "-";
        if (d.split)
            e.method += "/vol";
        e.encrypted = (flags & kGarbled) != 0;
        add(std::move(e), d);
        if (!listed(entries_.size()))
            return ReadError::Corrupt;
        if (pos < b.next) {
            listingCut_ = true; // a size wrapping around
            break;
        }
    }
    return ReadError::None;
}

ReadError ArjReader::extract(std::size_t index, const DataSink &sink)
{
    if (index >= data_.size())
        return ReadError::NotFound;
    const ArjData &d = data_[index];
    if (entries_[index].encrypted)
        return ReadError::Encrypted;
    if (d.folder)
        return ReadError::None;
    if (d.split)
        return ReadError::Unsupported;

    codecs::CheckedSink check(sink, d.original, codecs::Crc32Checksum);
    const DataSink &checked = check.sink();
    codecs::FileRangeInput in(file_, d.offset, d.compressed);
    ReadError err;
    switch (d.method) {
    case 0: err = codecs::CopyStored(in, d.original, checked); break;
    case 1:
    case 2:
    case 3: err = codecs::DecodeStaticHuffman(in, codecs::ArjStaticParams(), d.original, checked); break;
    case 4: err = codecs::DecodeArjFast(in, d.original, checked); break;
    default: return ReadError::Unsupported;
    }
    return check.Verdict(err, d.crc);
}

} // namespace tovik::unarj32j
