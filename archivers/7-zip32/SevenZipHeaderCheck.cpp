#include "SevenZipHeaderCheck.h"

#include "archivers/common/SevenZipDirectory.h"

#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tovik::archivers {
namespace {

const uint8_t kSignature[6] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
// libarchive looks for the signature of a self-extracting file this far in.
constexpr std::size_t kSearchWindow = 0x60000 + 32;
constexpr uint64_t kMaxHeader = 64u << 20;

using Cursor = SevenZipBytes;

// Digests: an "all defined" byte (else a bit field), then four bytes per defined item.
void SkipDigests(Cursor &c, uint64_t count)
{
    uint64_t defined = 0;
    if (c.byte() != 0) {
        defined = count;
    } else {
        uint8_t bits = 0;
        for (uint64_t i = 0; i < count && c.ok; ++i) {
            if (i % 8 == 0)
                bits = c.byte();
            defined += (bits >> (7 - i % 8)) & 1;
        }
    }
    c.skip(defined * 4);
}

// Pack information and the start of the unpack information of a streams-info block.
bool StreamsPlausible(Cursor &c, uint64_t limit)
{
    uint8_t id = c.byte();
    if (id == 0x06) {
        c.number();
        uint64_t packStreams = c.number();
        if (packStreams > limit)
            return false;
        for (id = c.byte(); c.ok && id != 0x00; id = c.byte()) {
            if (id == 0x09)
                for (uint64_t i = 0; i < packStreams && c.ok; ++i)
                    c.number();
            else if (id == 0x0A)
                SkipDigests(c, packStreams);
            else
                return true;
        }
        id = c.byte();
    }
    if (id == 0x07 && c.byte() == 0x0B) {
        uint64_t folders = c.number();
        if (c.ok && folders > limit)
            return false;
    }
    return true;
}

} // namespace

bool SevenZipHeaderPlausible(const char *path)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return true;
    struct stat st{};
    std::vector<uint8_t> head(kSearchWindow);
    ssize_t got = fstat(fd, &st) == 0 ? pread(fd, head.data(), head.size(), 0) : -1;
    bool plausible = true;
    for (ssize_t s = 0; got >= 32 && s + 32 <= got; ++s) {
        if (std::memcmp(&head[s], kSignature, sizeof kSignature) != 0)
            continue;
        uint64_t offset = 0, size = 0;
        for (int i = 7; i >= 0; --i) {
            offset = (offset << 8) | head[s + 12 + i];
            size = (size << 8) | head[s + 20 + i];
        }
        uint64_t at = static_cast<uint64_t>(s) + 32 + offset;
        if (size == 0 || size > kMaxHeader || at < offset || at + size > static_cast<uint64_t>(st.st_size))
            break;
        std::vector<uint8_t> header(size);
        if (pread(fd, header.data(), size, static_cast<off_t>(at)) != static_cast<ssize_t>(size))
            break;
        // Files and substreams come after the folders and, in most archives, inside a packed
        // header: the header reader decodes it and weighs every count against its bytes.
        std::vector<SevenZipFile> files;
        bool lying = false;
        ReadSevenZipDirectory(path, static_cast<uint64_t>(s), files, &lying);
        if (lying) {
            plausible = false;
            break;
        }
        Cursor c{header.data(), header.data() + size};
        uint8_t id = c.byte();
        if (id == 0x17) {
            plausible = StreamsPlausible(c, size);
        } else if (id == 0x01) {
            id = c.byte();
            if (id == 0x03) {
                plausible = StreamsPlausible(c, size);
                id = plausible ? 0 : id;
            }
            if (id == 0x04)
                plausible = StreamsPlausible(c, size);
        }
        break;
    }
    close(fd);
    return plausible;
}

uint64_t SevenZipEmbeddedStart(const char *path)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    constexpr std::size_t kLimit = 16u << 20;
    std::vector<uint8_t> data(kLimit);
    ssize_t got = pread(fd, data.data(), data.size(), 0);
    struct stat st{};
    fstat(fd, &st);
    close(fd);
    if (got < 64 || !((data[0] == 'M' && data[1] == 'Z') || (data[0] == 0x7F && data[1] == 'E' && data[2] == 'L' && data[3] == 'F')))
        return 0;
    for (ssize_t s = 1; s + 32 <= got; ++s) {
        if (data[s] != '7' || std::memcmp(&data[s], kSignature, sizeof kSignature) != 0)
            continue;
        // The start header's checksum covers its next 20 bytes.
        uint32_t crc = 0xFFFFFFFF;
        for (int i = 12; i < 32; ++i) {
            crc ^= data[s + i];
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
        }
        crc = ~crc;
        uint32_t stored = data[s + 8] | (data[s + 9] << 8) | (data[s + 10] << 16) | (static_cast<uint32_t>(data[s + 11]) << 24);
        if (crc == stored && static_cast<uint64_t>(s) < static_cast<uint64_t>(st.st_size))
            return static_cast<uint64_t>(s);
    }
    return 0;
}

} // namespace tovik::archivers
