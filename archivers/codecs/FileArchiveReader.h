// What the LZH and ARJ readers share: one archive file read through ArchiveFile, a listing
// made by walking its headers from where the archive starts, and one record of the reader's
// own per entry beside the listed facts.
#ifndef TOVIK_CODECS_FILEARCHIVEREADER_H
#define TOVIK_CODECS_FILEARCHIVEREADER_H

#include "archivers/codecs/ArchiveFile.h"
#include "archivers/common/ArchiveReader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tovik::codecs {

// Data is the reader's own record of an entry (where its data lies, how it is coded).
template <class Data>
class FileArchiveReader : public archivers::ArchiveReader {
public:
    const std::vector<archivers::EntryInfo> &entries() const override { return entries_; }

protected:
    // Forgets the last listing, opens path and finds the archive's first header with
    // findStart (which answers -1 for none). None with start set, else the failure to answer.
    archivers::ReadError begin(const std::string &path, int64_t (*findStart)(ArchiveFile &), uint64_t &start)
    {
        entries_.clear();
        data_.clear();
        if (!file_.open(path))
            return archivers::ReadError::NotFound;
        const int64_t at = findStart(file_);
        if (at < 0)
            return archivers::ReadError::Corrupt;
        start = static_cast<uint64_t>(at);
        return archivers::ReadError::None;
    }

    // Lists one entry with its record.
    void add(archivers::EntryInfo info, const Data &data)
    {
        info.readerData = data_.size();
        entries_.push_back(std::move(info));
        data_.push_back(data);
    }

    ArchiveFile file_;
    std::vector<archivers::EntryInfo> entries_;
    std::vector<Data> data_;
};

} // namespace tovik::codecs

#endif
