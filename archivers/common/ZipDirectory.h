// The central directory of a ZIP file, read on its own.
//
// libarchive does not report an entry's CRC, compressed size or MS-DOS attributes; the
// central directory holds all three. It is read once per listing, bounded by the file's size,
// and matched to libarchive's entries by local-header order.
#ifndef TOVIK_ARCHIVERS_ZIPDIRECTORY_H
#define TOVIK_ARCHIVERS_ZIPDIRECTORY_H

#include <cstdint>
#include <string>
#include <vector>

namespace tovik::archivers {

struct ZipDirectoryEntry {
    std::string rawName;        // as stored
    uint64_t compressedSize = 0;
    uint64_t originalSize = 0;
    uint64_t localOffset = 0;   // from the start of the file (a self-extracting stub included)
    uint32_t crc = 0;
    uint32_t externalAttributes = 0;
    uint16_t method = 0;
    uint16_t flags = 0;
    uint16_t dosDate = 0, dosTime = 0;
    uint8_t hostSystem = 0;     // high byte of "version made by"
};

// Reads the central directory of the ZIP file at path, entries sorted by local offset.
// Answers false when none is found or it is malformed.
bool ReadZipDirectory(const std::string &path, std::vector<ZipDirectoryEntry> &entries);

// "Stored", "Deflate", ... for a ZIP method number.
const char *ZipMethodName(uint16_t method);

} // namespace tovik::archivers

#endif
