#include "archivers/common/ZipDirectory.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovik::archivers {
namespace {

uint16_t Le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t *p) { return Le16(p) | (static_cast<uint32_t>(Le16(p + 2)) << 16); }
uint64_t Le64(const uint8_t *p) { return Le32(p) | (static_cast<uint64_t>(Le32(p + 4)) << 32); }

class File {
public:
    explicit File(const std::string &path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~File()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    uint64_t size() const
    {
        struct stat st{};
        return fstat(fd_, &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
    }
    bool read(uint64_t offset, void *out, std::size_t n) const
    {
        auto *p = static_cast<uint8_t *>(out);
        while (n > 0) {
            ssize_t got = pread(fd_, p, n, static_cast<off_t>(offset));
            if (got <= 0)
                return false;
            p += got;
            n -= static_cast<std::size_t>(got);
            offset += static_cast<uint64_t>(got);
        }
        return true;
    }

private:
    int fd_;
};

// A directory larger than this is not believed: 100,000 entries take about 7 MB.
constexpr uint64_t kMaxDirectorySize = 512ull << 20;

} // namespace

bool ReadZipDirectory(const std::string &path, std::vector<ZipDirectoryEntry> &entries)
{
    entries.clear();
    File file(path);
    if (!file.ok())
        return false;
    uint64_t fileSize = file.size();
    if (fileSize < 22)
        return false;
    // The end record lies in the last 64 KiB + 22 bytes (its comment is at most 65535 bytes).
    uint64_t tailSize = std::min<uint64_t>(fileSize, 65557);
    std::vector<uint8_t> tail(tailSize);
    if (!file.read(fileSize - tailSize, tail.data(), tailSize))
        return false;
    std::size_t eocd = std::string::npos;
    for (std::size_t i = tailSize - 22 + 1; i-- > 0;) {
        if (Le32(&tail[i]) == 0x06054b50) {
            eocd = i;
            break;
        }
    }
    if (eocd == std::string::npos)
        return false;
    uint64_t eocdPos = fileSize - tailSize + eocd;
    uint64_t count = Le16(&tail[eocd + 10]);
    uint64_t cdSize = Le32(&tail[eocd + 12]);
    uint64_t cdOffset = Le32(&tail[eocd + 16]);
    uint64_t cdEnd = eocdPos;
    // ZIP64: the locator sits just before the end record.
    if (eocdPos >= 20) {
        uint8_t loc[20];
        if (file.read(eocdPos - 20, loc, 20) && Le32(loc) == 0x07064b50) {
            uint64_t z64Pos = Le64(loc + 8);
            uint8_t rec[56];
            // Behind a stub the recorded position is off by the stub's length: look just
            // before the locator too.
            for (uint64_t pos : {z64Pos, eocdPos >= 76 ? eocdPos - 76 : z64Pos}) {
                if (pos + 56 <= fileSize && file.read(pos, rec, 56) && Le32(rec) == 0x06064b50) {
                    count = Le64(rec + 32);
                    cdSize = Le64(rec + 40);
                    cdOffset = Le64(rec + 48);
                    cdEnd = pos;
                    break;
                }
            }
        }
    }
    if (cdSize > cdEnd || cdSize > kMaxDirectorySize || count > cdSize / 46 + 1)
        return false;
    uint64_t cdStart = cdEnd - cdSize;
    // A self-extracting stub shifts every recorded offset by its own length.
    int64_t shift = static_cast<int64_t>(cdStart) - static_cast<int64_t>(cdOffset);
    std::vector<uint8_t> cd(cdSize);
    if (!file.read(cdStart, cd.data(), cdSize))
        return false;
    entries.reserve(count);
    std::size_t p = 0;
    while (p + 46 <= cd.size() && Le32(&cd[p]) == 0x02014b50) {
        const uint8_t *h = &cd[p];
        std::size_t nameLen = Le16(h + 28), extraLen = Le16(h + 30), commentLen = Le16(h + 32);
        if (p + 46 + nameLen + extraLen + commentLen > cd.size())
            return false;
        ZipDirectoryEntry e;
        e.hostSystem = h[5];
        e.flags = Le16(h + 8);
        e.method = Le16(h + 10);
        e.dosTime = Le16(h + 12);
        e.dosDate = Le16(h + 14);
        e.crc = Le32(h + 16);
        e.compressedSize = Le32(h + 20);
        e.originalSize = Le32(h + 24);
        e.externalAttributes = Le32(h + 38);
        e.localOffset = Le32(h + 42);
        e.rawName.assign(reinterpret_cast<const char *>(h + 46), nameLen);
        // ZIP64 extra field: the values that are all ones in the fixed part, in this order.
        const uint8_t *x = h + 46 + nameLen, *xEnd = x + extraLen;
        while (x + 4 <= xEnd) {
            uint16_t id = Le16(x), len = Le16(x + 2);
            const uint8_t *d = x + 4;
            if (d + len > xEnd)
                break;
            if (id == 0x0001) {
                const uint8_t *q = d, *qEnd = d + len;
                if (e.originalSize == 0xFFFFFFFF && q + 8 <= qEnd) { e.originalSize = Le64(q); q += 8; }
                if (e.compressedSize == 0xFFFFFFFF && q + 8 <= qEnd) { e.compressedSize = Le64(q); q += 8; }
                if (e.localOffset == 0xFFFFFFFF && q + 8 <= qEnd) { e.localOffset = Le64(q); q += 8; }
            }
            x = d + len;
        }
        e.localOffset = static_cast<uint64_t>(static_cast<int64_t>(e.localOffset) + shift);
        entries.push_back(std::move(e));
        p += 46 + nameLen + extraLen + commentLen;
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const ZipDirectoryEntry &a, const ZipDirectoryEntry &b) { return a.localOffset < b.localOffset; });
    return true;
}

const char *ZipMethodName(uint16_t method)
{
    switch (method) {
    case 0: return "Stored";
    case 1: return "Shrunk";
    case 6: return "Imploded";
    case 8: return "Deflate";
    case 9: return "Deflate64";
    case 12: return "BZip2";
    case 14: return "LZMA";
    case 93: return "Zstd";
    case 95: return "XZ";
    case 98: return "PPMd";
    case 99: return "AES";
    default: return "Unknown";
    }
}

} // namespace tovik::archivers
