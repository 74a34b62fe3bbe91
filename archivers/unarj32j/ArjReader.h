// The ARJ archive reader of unarj32j.so.
#ifndef TOVIK_UNARJ32J_ARJREADER_H
#define TOVIK_UNARJ32J_ARJREADER_H

#include "archivers/codecs/FileArchiveReader.h"
#include "archivers/common/ArchiveReader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tovik::unarj32j {

using archivers::DataSink;
using archivers::EntryInfo;
using archivers::ReadError;

// Where one entry's data lies and how it is coded.
struct ArjData {
    uint64_t offset = 0;
    uint64_t compressed = 0;
    uint64_t original = 0;
    uint32_t crc = 0;
    unsigned method = 0;
    bool folder = false;
    bool split = false;
};

// Reads the main header and one local header per entry, each checked by its CRC-32, with
// their extended headers skipped; methods 0 (stored), 1 to 3 and 4. Garbled (password)
// entries list as encrypted. An entry split across volumes lists with "/vol" after its
// method and does not extract: its data and CRC are not all in this file. Volume and chapter
// labels are not entries. A broken local header ends the listing.
class ArjReader : public codecs::FileArchiveReader<ArjData> {
public:
    ReadError open(const std::string &path) override;
    ReadError extract(std::size_t index, const DataSink &sink) override;

    // Where the main header lies (behind a self-extracting stub, perhaps), or -1.
    static int64_t FindArchiveStart(codecs::ArchiveFile &file);
};

} // namespace tovik::unarj32j

#endif
