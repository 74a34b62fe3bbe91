// The LZH archive reader of unlha32.so.
#ifndef TOVIK_UNLHA32_LZHREADER_H
#define TOVIK_UNLHA32_LZHREADER_H

#include "archivers/codecs/FileArchiveReader.h"
#include "archivers/common/ArchiveReader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tovik::unlha32 {

using archivers::DataSink;
using archivers::EntryInfo;
using archivers::ReadError;

// Where one entry's data lies and how it is coded.
struct LzhData {
    uint64_t offset = 0;        // first byte of the compressed data
    uint64_t compressed = 0;
    uint64_t original = 0;
    uint16_t crc = 0;
    char method[6] = {};
    bool hasData = true;        // false for folders
    bool link = false;          // a symbolic link: listed, never extracted
    bool lhark = false;         // LHARK's "-lh7-" (level 1, OS ' '): another coder
};

// Reads header levels 0 to 3 with their extended headers, an archive behind a
// self-extracting stub within the first 256 KiB, and every method of the family that has
// a decoder here (-lh0- -lh1- -lh4- to -lh7- -lhx- -lzs- -lz4- -lz5- -pm0- and -lhd-
// folders). A broken header ends the listing: the entries before it stay listed.
class LzhReader : public codecs::FileArchiveReader<LzhData> {
public:
    ReadError open(const std::string &path) override;
    ReadError extract(std::size_t index, const DataSink &sink) override;

    // Where the first header lies, or -1 when the file holds no LZH archive in its first
    // 256 KiB. Reads only as much as it needs.
    static int64_t FindArchiveStart(codecs::ArchiveFile &file);
};

} // namespace tovik::unlha32

#endif
