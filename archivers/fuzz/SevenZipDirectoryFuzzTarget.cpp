// A fuzz target over the 7z header reader alone: every input is read as a 7z file (plain and
// packed headers), and what it answers must hold together. An input that starts with the
// signature has its two checksums made right first, so that mutations reach the parser
// instead of stopping at a checksum.
#include "archivers/common/ArchiveReader.h"
#include "archivers/common/SevenZipDirectory.h"
#include "archivers/fuzz/MemoryFile.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

void Put32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint64_t Get64(const uint8_t *p)
{
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *input, size_t size)
{
    static const uint8_t kSignature[6] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
    std::vector<uint8_t> bytes(input, input + size);
    if (size >= 32 && std::equal(kSignature, kSignature + 6, bytes.begin())) {
        const uint64_t offset = Get64(&bytes[12]), length = Get64(&bytes[20]);
        if (offset <= size - 32 && length <= size - 32 - offset)
            Put32(&bytes[28], static_cast<uint32_t>(crc32(0, &bytes[32 + offset], static_cast<uInt>(length))));
        Put32(&bytes[8], static_cast<uint32_t>(crc32(0, &bytes[12], 20)));
    }
    const uint8_t *data = bytes.data();
    int fd = MemoryFileOf(data, size);
    if (fd < 0)
        return 0;
    std::vector<tovik::archivers::SevenZipFile> files;
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (tovik::archivers::ReadSevenZipDirectory(path, 0, files)) {
        // No packed size lies outside the file.
        for (const tovik::archivers::SevenZipFile &f : files)
            if (f.packedSize != tovik::archivers::kUnknownSize && f.packedSize > size)
                std::abort();
    } else if (!files.empty()) {
        std::abort();
    }
    close(fd);
    return 0;
}
