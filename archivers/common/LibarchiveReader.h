// An ArchiveReader on libarchive, shared by the libraries that stand on it.
//
// A profile names the formats and filters a library reads; the reader lists every entry at
// open time (names converted to CP932 by EntryNameToCp932), fills in what libarchive does not
// report (CRC and compressed size from a ZIP's central directory, packed sizes from a 7z
// header, the span between headers where that is honest) and decodes one entry by reading the
// archive again up to it.
#ifndef TOVIK_ARCHIVERS_LIBARCHIVEREADER_H
#define TOVIK_ARCHIVERS_LIBARCHIVEREADER_H

#include "archivers/common/ArchiveReader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct archive;

namespace tovik::archivers {

struct LibarchiveProfile {
    // Registers the formats and filters of the library on a fresh reading archive.
    void (*enable)(archive *a);
    // Accepts libarchive's "raw" format (a single compressed file) only behind a real
    // compression filter: raw alone claims any file at all.
    bool rawNeedsFilter = false;
    // When set, a file it answers false for is refused before libarchive reads it.
    bool (*plausible)(const char *path) = nullptr;
    // When set and libarchive does not recognise the file, the offset of an archive of the
    // profile's format behind a program stub (0 = none); the file is then read from there.
    uint64_t (*embeddedStart)(const char *path) = nullptr;
    // When set, asked before an entry is decoded (position: where libarchive found its header,
    // from the start of the file; earlierToo: the entries before it are decoded first, in
    // full; wanted: how many of the entry's own bytes are taken at most). False when data
    // that would be decoded must not reach libarchive's decoder (it would take far more
    // memory or time than any honest archive): the entry then fails as damaged.
    bool (*entrySound)(const char *path, int64_t position, bool earlierToo, uint64_t wanted) = nullptr;
};

// What a probe found: the archive format code and the first real compression filter code
// (ARCHIVE_FILTER_NONE when there is none).
struct ProbeResult {
    int format = 0;
    int filter = 0;
};

// Opens path with the profile and reads the first header. False when the file is not one of
// the profile's formats (or is unreadable).
bool ProbeArchive(const LibarchiveProfile &profile, const char *path, ProbeResult &result);

// The CP932 form of a stored name: ASCII and names that are not valid UTF-8 (Shift_JIS and
// other 8-bit sets) pass unchanged, valid UTF-8 is converted.
std::string EntryNameToCp932(std::string_view raw);

class LibarchiveReader : public ArchiveReader {
public:
    explicit LibarchiveReader(const LibarchiveProfile &profile) : profile_(profile) {}

    ReadError open(const std::string &path) override;
    const std::vector<EntryInfo> &entries() const override { return entries_; }
    ReadError extract(std::size_t index, const DataSink &sink) override;
    bool extractInOnePass(const std::string &path, const std::function<int(const std::string &)> &rank,
                          const std::function<void()> &restart, const DataSink &sink) override;
    bool extractEach(const std::vector<std::size_t> &wanted, EntryReceiver &receiver) override;

    const ProbeResult &probe() const { return probe_; }

private:
    // Opens path_ for listing: refuses what the profile finds implausible and looks behind a
    // program stub where the profile knows how (setting base_). Null on failure (error set).
    archive *startListing(ReadError &error);
    // Opens a fresh reading archive on path_; null on failure (error set).
    archive *start(ReadError &error) const;
    // Points each hard link at the entry whose data it shares (dataSource_).
    void LinkHardLinks(const std::vector<std::string> &targets, bool any);
    // Compressed sizes, CRCs and methods where the format keeps them apart from libarchive.
    void FillPackedSizes(const std::vector<int64_t> &positions, bool raw);
    // Decodes entry target into sink; readThrough reads the entries before it instead of
    // skipping them.
    ReadError extractFrom(std::size_t target, const DataSink &sink, bool readThrough);

    const LibarchiveProfile &profile_;
    std::string path_;
    uint64_t base_ = 0;   // where the archive starts in the file
    bool gzipStream_ = false;   // a single gzip stream, decoded by zlib to check its trailer
    std::vector<EntryInfo> entries_;
    // For each entry: the entry whose data a hard link shares, or its own index; and whether
    // the entry is something that is never written (a symbolic link, a device).
    std::vector<std::size_t> dataSource_;
    std::vector<bool> special_;
    ProbeResult probe_;
    std::vector<int64_t> positions_;   // where libarchive found each entry's header
    bool EntrySound(std::size_t index, bool earlierToo) const;
};

} // namespace tovik::archivers

#endif
