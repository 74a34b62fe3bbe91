// The ARJ archive reader of unarj32j.so.
#ifndef TOVIK_UNARJ32J_ARJREADER_H
#define TOVIK_UNARJ32J_ARJREADER_H

#include "archivers/codecs/ArchiveFile.h"
#include "archivers/common/ArchiveReader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tovik::unarj32j {

using archivers::DataSink;
using archivers::EntryInfo;
using archivers::ReadError;

// Reads the main header and one local header per entry, each checked by its CRC-32, with
// their extended headers skipped; methods 0 (stored), 1 to 3 and 4. Garbled (password)
// entries list as encrypted. An entry split across volumes lists with "/vol" after its
// method and does not extract: its data and CRC are not all in this file. Volume and chapter
// labels are not entries. A broken local header ends the listing.
class ArjReader : public archivers::ArchiveReader {
public:
    ReadError open(const std::string &path) override;
    const std::vector<EntryInfo> &entries() const override { return entries_; }
    ReadError extract(std::size_t index, const DataSink &sink) override;

    // Where the main header lies (behind a self-extracting stub, perhaps), or -1.
    static int64_t FindArchiveStart(codecs::ArchiveFile &file);

private:
    struct Data {
        uint64_t offset = 0;
        uint64_t compressed = 0;
        uint64_t original = 0;
        uint32_t crc = 0;
        unsigned method = 0;
        bool folder = false;
        bool split = false;
    };

    codecs::ArchiveFile file_;
    std::vector<EntryInfo> entries_;
    std::vector<Data> data_;
};

} // namespace tovik::unarj32j

#endif
