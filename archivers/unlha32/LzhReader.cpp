#include "archivers/unlha32/LzhReader.h"

#include "archivers/codecs/CheckedSink.h"
#include "archivers/codecs/Crc.h"
#include "archivers/codecs/DynamicHuffmanDecoder.h"
#include "archivers/codecs/EntryFields.h"
#include "archivers/codecs/LarcDecoder.h"
#include "archivers/codecs/PmarcDecoder.h"
#include "archivers/codecs/StaticHuffmanDecoder.h"
#include "archivers/codecs/StoredDecoder.h"
#include "archive/LxArcDefine.h"
#include "archivers/common/DosTime.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace tovik::unlha32 {

using codecs::ArchiveFile;

namespace {

constexpr uint64_t kSfxSearch = 256 * 1024;
// No header of any level is longer than this; a longer one is hostile.
constexpr uint32_t kMaxHeader = 1024 * 1024;
constexpr uint32_t kCodePageUtf8 = 65001;

uint16_t le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t *p) { return le16(p) | (static_cast<uint32_t>(le16(p + 2)) << 16); }
uint64_t le64(const uint8_t *p) { return le32(p) | (static_cast<uint64_t>(le32(p + 4)) << 32); }

// Up to the first NUL: some writers terminate names that already have a length.
std::string bytesToNul(const uint8_t *p, std::size_t n)
{
    const void *nul = std::memchr(p, 0, n);
    return std::string(reinterpret_cast<const char *>(p),
                       nul ? static_cast<const uint8_t *>(nul) - p : n);
}

// "-pms-" appears inside PMarc's self-extracting stubs and is no method.
bool looksLikeMethod(const uint8_t *m)
{
    return m[0] == '-' && m[4] == '-' && (m[1] == 'l' || m[1] == 'p') &&
           std::memcmp(m, "-pms-", 5) != 0;
}

struct Header {
    EntryInfo info;
    uint64_t dataOffset = 0;
    uint64_t compressed = 0;
    uint64_t original = 0;
    uint16_t crc = 0;
    char method[6] = {};
    bool link = false;
    bool lhark = false;
    uint64_t next = 0;
};

// The fields collected from a header and its extended headers before they are combined.
struct Fields {
    std::string name;        // level 0/1 name field
    std::string fileName;    // 0x01
    std::string dirName;     // 0x02, separators already "/"
    std::string uniName;     // 0x44, UTF-16LE
    std::string uniDir;      // 0x45, UTF-16LE
    bool hasFileName = false, hasDirName = false, hasUniName = false, hasUniDir = false;
    bool hasAttr = false;
    uint16_t attr = 0;
    bool hasHeaderCrc = false;
    uint16_t headerCrc = 0;
    uint32_t codePage = 0;
    bool hasSizes = false;
    uint64_t compressed = 0, original = 0;
};

// Reads one extended header; payload points into raw (the common CRC field is zeroed there
// so that the whole-header CRC can be computed afterwards).
void takeExtended(Fields &f, uint8_t type, uint8_t *payload, std::size_t len)
{
    switch (type) {
    case 0x00:
        if (len >= 2) {
            f.hasHeaderCrc = true;
            f.headerCrc = le16(payload);
            payload[0] = payload[1] = 0;
        }
        break;
    case 0x01:
        f.hasFileName = true;
        f.fileName = bytesToNul(payload, len);
        break;
    case 0x02: {
        f.hasDirName = true;
        f.dirName = bytesToNul(payload, len);
        for (char &c : f.dirName)
            if (static_cast<unsigned char>(c) == 0xFF)
                c = '/';
        break;
    }
    case 0x40:
        if (len >= 2) {
            f.hasAttr = true;
            f.attr = le16(payload);
        }
        break;
    case 0x42:
        if (len >= 16) {
            f.hasSizes = true;
            f.compressed = le64(payload);
            f.original = le64(payload + 8);
        }
        break;
    case 0x44:
        f.hasUniName = true;
        f.uniName.assign(reinterpret_cast<const char *>(payload), len);
        break;
    case 0x45:
        f.hasUniDir = true;
        f.uniDir.assign(reinterpret_cast<const char *>(payload), len);
        break;
    case 0x46:
        if (len >= 4)
            f.codePage = le32(payload);
        break;
    default:
        break;
    }
}

// Walks a chain of extended headers held in raw from offset (where the first size field
// lies). sizeBytes is 2, or 4 for level 3. False when a size runs past the header.
bool walkChain(std::vector<uint8_t> &raw, std::size_t offset, unsigned sizeBytes, Fields &f)
{
    while (offset + sizeBytes <= raw.size()) {
        uint64_t size = sizeBytes == 4 ? le32(&raw[offset]) : le16(&raw[offset]);
        if (size == 0)
            return true;
        std::size_t start = offset + sizeBytes;
        if (size < sizeBytes + 1 || size > raw.size() - start)
            return false;
        takeExtended(f, raw[start], &raw[start + 1], static_cast<std::size_t>(size) - sizeBytes - 1);
        offset += static_cast<std::size_t>(size);
    }
    return true;
}

// UTF-16 folder names may separate with U+FFFF, "\" or "/".
std::string uniDirToCp932(const std::string &bytes)
{
    std::string cleaned = bytes;
    for (std::size_t i = 0; i + 1 < cleaned.size(); i += 2) {
        uint16_t u = static_cast<uint16_t>(static_cast<unsigned char>(cleaned[i]) |
                                           (static_cast<unsigned char>(cleaned[i + 1]) << 8));
        if (u == 0xFFFF || u == '\\') {
            cleaned[i] = '/';
            cleaned[i + 1] = 0;
        }
    }
    return codecs::Utf16LeToCp932(cleaned);
}

// Junk: no header starts there at all (what follows an archive without its end mark).
enum class Parse { Ok, End, Bad, Junk };

// The raw header of one entry, as its level lays it out, before its fields are combined.
struct RawHeader {
    std::vector<uint8_t> raw;   // the whole header, extended headers included
    uint64_t dataOffset = 0;
    uint64_t compressed = 0;
    uint64_t original = 0;
    uint16_t crc = 0;
    unsigned osType = 0;
};

// Levels 0 and 1: a byte-sum checksum over the base header; level 1 chains extended headers
// after it, counted in the compressed size.
bool readLevel01(ArchiveFile &file, uint64_t off, const uint8_t *base, unsigned level, Fields &f, RawHeader &r)
{
    const unsigned headerSize = base[0];
    const unsigned nameLen = base[21];
    if (headerSize < 22u + nameLen + (level == 1 ? 3u : 0u))
        return false;
    std::vector<uint8_t> &raw = r.raw;
    raw.resize(headerSize + 2);
    if (!file.read(off, raw.data(), raw.size()))
        return false;
    unsigned sum = 0;
    for (std::size_t i = 2; i < raw.size(); ++i)
        sum += raw[i];
    if ((sum & 0xFF) != raw[1])
        return false;
    f.name = bytesToNul(&raw[22], nameLen);
    r.crc = le16(&raw[22 + nameLen]);
    r.dataOffset = off + raw.size();
    if (level == 0)
        return true;
    r.osType = raw[24 + nameLen];
    // Each extended header: type, data, size of the next one.
    uint16_t nextSize = le16(&raw[raw.size() - 2]);
    while (nextSize != 0) {
        if (nextSize < 3 || r.compressed < nextSize || raw.size() + nextSize > kMaxHeader)
            return false;
        std::size_t at = raw.size();
        raw.resize(at + nextSize);
        if (!file.read(r.dataOffset, &raw[at], nextSize))
            return false;
        takeExtended(f, raw[at], &raw[at + 1], nextSize - 3u);
        r.compressed -= nextSize;
        r.dataOffset += nextSize;
        nextSize = le16(&raw[raw.size() - 2]);
    }
    return true;
}

// Level 2: a 16-bit total size, extended headers with 16-bit sizes.
bool readLevel2(ArchiveFile &file, uint64_t off, uint8_t *base, Fields &f, RawHeader &r)
{
    if (!file.read(off, base, 26))
        return false;
    uint32_t total = le16(base);
    r.osType = base[23];
    // OS-9/68k writers count the header without its own first two bytes.
    if (r.osType == 'K')
        total += 2;
    if (total < 26)
        return false;
    r.raw.resize(total);
    if (!file.read(off, r.raw.data(), r.raw.size()) || !walkChain(r.raw, 24, 2, f))
        return false;
    r.crc = le16(&r.raw[21]);
    r.dataOffset = off + total;
    return true;
}

// Level 3: a 32-bit total size, extended headers with 32-bit sizes.
bool readLevel3(ArchiveFile &file, uint64_t off, uint8_t *base, Fields &f, RawHeader &r)
{
    if (le16(base) != 4 || !file.read(off, base, 32))
        return false;
    uint32_t total = le32(base + 24);
    if (total < 32 || total > kMaxHeader)
        return false;
    r.raw.resize(total);
    if (!file.read(off, r.raw.data(), r.raw.size()) || !walkChain(r.raw, 28, 4, f))
        return false;
    r.crc = le16(&r.raw[21]);
    r.osType = r.raw[23];
    r.dataOffset = off + total;
    return true;
}

// The stored path from the fields: the Unicode or code-page folder and leaf names of the
// extended headers before the base header's name.
std::string entryName(const Fields &f)
{
    const bool utf8 = f.codePage == kCodePageUtf8;
    std::string dir;
    if (f.hasUniDir)
        dir = uniDirToCp932(f.uniDir);
    else if (f.hasDirName)
        dir = codecs::StoredNameToCp932(f.dirName, utf8);
    std::string leaf;
    if (f.hasUniName)
        leaf = codecs::Utf16LeToCp932(f.uniName);
    else if (f.hasFileName)
        leaf = codecs::StoredNameToCp932(f.fileName, utf8);
    else
        leaf = codecs::StoredNameToCp932(codecs::BackslashToSlash(f.name), utf8);
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir + leaf;
}

// Parses the header at off. strict (used while searching behind a stub) also demands the
// whole-header CRC of level 2 and 3 headers.
Parse parseHeader(ArchiveFile &file, uint64_t off, bool strict, Header &h)
{
    uint8_t first = 0;
    if (!file.read(off, &first, 1) || first == 0)
        return Parse::End;
    uint8_t base[32];
    if (!file.read(off, base, 22))
        return Parse::Bad;
    if (!looksLikeMethod(base + 2))
        return Parse::Junk;
    const unsigned level = base[20];
    Fields f;
    RawHeader r;
    r.compressed = le32(base + 7);
    r.original = le32(base + 11);
    bool read = false;
    if (level <= 1)
        read = readLevel01(file, off, base, level, f, r);
    else if (level == 2)
        read = readLevel2(file, off, base, f, r);
    else if (level == 3)
        read = readLevel3(file, off, base, f, r);
    if (!read)
        return Parse::Bad;

    if (f.hasHeaderCrc) {
        if (codecs::Crc16(0, r.raw.data(), r.raw.size()) != f.headerCrc)
            return Parse::Bad;
    } else if (strict && level >= 2) {
        return Parse::Bad;
    }
    if (f.hasSizes) {
        r.compressed = f.compressed;
        r.original = f.original;
    }

    std::memcpy(h.method, base + 2, 5);
    h.method[5] = 0;
    std::string name = entryName(f);
    // Some Amiga writers store empty folders as empty stored files named "dir/".
    if (std::memcmp(h.method, "-lh0-", 5) == 0 && r.original == 0 && !name.empty() && name.back() == '/')
        std::memcpy(h.method, "-lhd-", 5);
    const bool folder = std::memcmp(h.method, "-lhd-", 5) == 0;

    h.link = false;
    if (folder) {
        // Unix writers store a symbolic link as a folder entry named "link|target".
        std::size_t bar = name.find('|');
        if (bar != std::string::npos) {
            h.link = true;
            name.resize(bar);
        } else if (!name.empty() && name.back() != '/') {
            name += '/';
        }
    }
    if (name.empty())
        return Parse::Bad;

    uint16_t dosDate = 0, dosTime = 0;
    uint32_t attr;
    if (level <= 1) {
        uint32_t stamp = le32(base + 15);
        dosTime = static_cast<uint16_t>(stamp);
        dosDate = static_cast<uint16_t>(stamp >> 16);
        attr = base[19];
    } else {
        archivers::UnixTimeToDos(static_cast<std::time_t>(le32(base + 15)), dosDate, dosTime);
        attr = LX_FA_ARCH;
    }
    if (f.hasAttr)
        attr = f.attr;
    if (folder && !h.link)
        attr = (attr & ~static_cast<uint32_t>(LX_FA_ARCH)) | LX_FA_DIREC;

    for (int i = 0; i < 5; ++i)
        if (static_cast<unsigned char>(h.method[i]) < 0x20 || static_cast<unsigned char>(h.method[i]) > 0x7E)
            h.method[i] = '?';

    h.info = EntryInfo{};
    h.info.name = std::move(name);
    // A size beyond 2^63 - 1 (a 64-bit field that lies) is no size at all.
    h.info.originalSize = archivers::IsKnownSize(r.original) ? r.original : archivers::kUnknownSize;
    h.info.compressedSize = archivers::IsKnownSize(r.compressed) ? r.compressed : archivers::kUnknownSize;
    h.info.crc = r.crc;
    h.info.dosDate = dosDate;
    h.info.dosTime = dosTime;
    h.info.attribute = attr;
    h.info.method = h.method;
    h.dataOffset = r.dataOffset;
    h.compressed = r.compressed;
    h.original = r.original;
    h.crc = r.crc;
    h.lhark = level == 1 && r.osType == ' ' && std::memcmp(h.method, "-lh7-", 5) == 0;
    h.next = r.dataOffset + r.compressed;
    if (h.next < r.dataOffset) // a hostile size wrapping around
        h.next = UINT64_MAX;
    return Parse::Ok;
}

} // namespace

int64_t LzhReader::FindArchiveStart(ArchiveFile &file)
{
    Header h;
    if (parseHeader(file, 0, false, h) == Parse::Ok)
        return 0;
    // Behind a self-extracting stub: the first place where a whole header, checksum and CRC
    // included, agrees. The Amiga extractor carries a small archive of its own (its usage
    // text) ahead of the real one; its signature says to pass over one header.
    uint64_t limit = std::min<uint64_t>(file.size(), kSfxSearch + 32);
    std::vector<uint8_t> buf(static_cast<std::size_t>(limit));
    if (limit < 22 || !file.read(0, buf.data(), buf.size()))
        return -1;
    static const char kAmigaStub[] = "LhASFX V1.2,";
    int skip = 0;
    for (std::size_t i = 1; i + 22 <= buf.size() && i <= kSfxSearch; ++i) {
        if (buf[i] == 'L' && i + 12 <= buf.size() && std::memcmp(&buf[i], kAmigaStub, 12) == 0)
            skip = 1;
        if (buf[i + 2] != '-' || !looksLikeMethod(&buf[i + 2]) || buf[i + 20] > 3)
            continue;
        if (parseHeader(file, i, true, h) == Parse::Ok) {
            if (skip-- > 0)
                continue;
            return static_cast<int64_t>(i);
        }
    }
    return -1;
}

ReadError LzhReader::open(const std::string &path)
{
    uint64_t off = 0;
    if (ReadError error = begin(path, &FindArchiveStart, off); error != ReadError::None)
        return error;
    listingCut_ = false;
    Header h;
    while (off < file_.size()) {
        const Parse parsed = parseHeader(file_, off, false, h);
        if (parsed != Parse::Ok) {
            listingCut_ = parsed == Parse::Bad;
            break;
        }
        LzhData d;
        d.offset = h.dataOffset;
        d.compressed = h.compressed;
        d.original = h.original;
        d.crc = h.crc;
        std::memcpy(d.method, h.method, sizeof d.method);
        d.hasData = std::memcmp(h.method, "-lhd-", 5) != 0;
        d.link = h.link;
        d.lhark = h.lhark;
        add(std::move(h.info), d);
        if (!listed(entries_.size()))
            return ReadError::Corrupt;
        off = h.next;
    }
    // The last entry's data run past the end of the file.
    listingCut_ = listingCut_ || off > file_.size();
    return ReadError::None;
}

ReadError LzhReader::extract(std::size_t index, const DataSink &sink)
{
    if (index >= data_.size())
        return ReadError::NotFound;
    const LzhData &d = data_[index];
    // Links are never created.
    if (d.link)
        return ReadError::NotAFile;
    if (!d.hasData)
        return ReadError::None;

    codecs::CheckedSink check(sink, d.original, codecs::Crc16Checksum);
    const DataSink &checked = check.sink();
    codecs::FileRangeInput in(file_, d.offset, d.compressed);
    const std::string_view m(d.method, 5);
    ReadError err;
    if (m == "-lh0-" || m == "-lz4-" || m == "-pm0-")
        err = codecs::CopyStored(in, d.original, checked);
    else if (m == "-lh1-")
        err = codecs::DecodeDynamicHuffman(in, d.original, checked);
    else if (m == "-lh2-")
        err = codecs::DecodeLh2(in, d.original, checked);
    else if (m == "-lh3-")
        err = codecs::DecodeLh3(in, d.original, checked);
    else if (m == "-lh4-" || m == "-lh5-" || m == "-lh6-" || m == "-lh7-" || m == "-lhx-")
        err = codecs::DecodeStaticHuffman(in, d.lhark ? codecs::LharkParams() : codecs::LzhStaticParams(m[3]),
                                          d.original, checked);
    else if (m == "-lzs-")
        err = codecs::DecodeLzs(in, d.original, checked);
    else if (m == "-lz5-")
        err = codecs::DecodeLz5(in, d.original, checked);
    else if (m == "-pm1-")
        err = codecs::DecodePm1(in, d.original, checked);
    else if (m == "-pm2-")
        err = codecs::DecodePm2(in, d.original, checked);
    else
        return ReadError::Unsupported;
    return check.Verdict(err, d.crc);
}

} // namespace tovik::unlha32
