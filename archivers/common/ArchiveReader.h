// What a format reader gives the shared library scaffolding.
//
// Each archiver library is one ArchiveReader implementation plus a LibraryInfo that names
// its prefix and version. The scaffolding (ArchiverExports) turns that pair into the exported
// C calls of LxArcDefine.h: it keeps the open-archive handles, walks the listed entries,
// parses the command lines, cleans the leaf names and writes files safely. A reader only
// parses its format and decodes entry data; it never touches the file system beyond reading
// the archive.
#ifndef TOVIK_ARCHIVERS_ARCHIVEREADER_H
#define TOVIK_ARCHIVERS_ARCHIVEREADER_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tovik::archivers {

// A size the archive does not tell (a compressed stream's content, a solid block's share).
// Sizes above 2^63 - 1 are taken as unknown too: no file is that large, only a lying header.
constexpr uint64_t kUnknownSize = UINT64_MAX;
constexpr bool IsKnownSize(uint64_t size)
{
    return size <= static_cast<uint64_t>(INT64_MAX);
}

// One listed entry, as the getters report it.
struct EntryInfo {
    std::string name;            // stored path in CP932; directories end in "/"
    // The declared sizes; kUnknownSize where the archive does not tell. Decoding never
    // produces more than a known originalSize: more data means a damaged archive.
    uint64_t originalSize = 0;
    uint64_t compressedSize = 0;
    // Where compressedSize packs more than this entry (the first entry of a solid block): the
    // original size of all it packs, which the rate compares with. 0: the entry alone.
    uint64_t packedOriginalSize = 0;
    uint32_t crc = 0;            // the format's checksum; 0 where it has none
    uint16_t dosDate = 0;        // MS-DOS date and time, local time
    uint16_t dosTime = 0;
    uint32_t attribute = 0;      // MS-DOS attribute bits (LX_FA_*)
    std::string method;          // method text, such as "-lh5-" or "Deflate"
    bool encrypted = false;      // listed, but cannot be extracted
    bool sparse = false;         // holes take no room on disk: originalSize may exceed it
    uint64_t readerData = 0;     // the reader's own locator (an offset, an index)
};

// Failure kinds; the scaffolding maps each to its one shared Japanese message.
enum class ReadError {
    None,
    NotFound,       // the archive file cannot be opened
    Corrupt,        // broken header or data, checksum mismatch, truncated stream
    Unsupported,    // a method the reader does not decode
    Encrypted,      // a password-protected entry
    WriteFailed,    // the sink refused the data
    OutOfMemory,
    NotAFile,       // a symbolic link, a device, a FIFO: nothing to extract
};

// Receives decoded bytes in order. Answers false to stop early (a full buffer); the reader
// then returns ReadError::None at once without reading further, unless the sink stopped
// exactly at the entry's declared end: the reader then still reads to the entry's end, so
// that its checksum and its length are verified. A null data pointer stands for size zero
// bytes (a hole of a sparse entry), which a file sink may skip instead of writing.
using DataSink = std::function<bool(const uint8_t *data, std::size_t size)>;

// Receives the entries of ArchiveReader::extractEach, one after another.
class EntryReceiver {
public:
    enum class Start { Take, Skip, Stop };
    virtual ~EntryReceiver() = default;
    // Entry index is about to be decoded: Take it, Skip it, or Stop the whole run.
    virtual Start begin(std::size_t index) = 0;
    // Decoded bytes of the entry begun last, in order; false stops the whole run. Null bytes
    // stand for size zero bytes, a hole of a sparse entry.
    virtual bool data(const uint8_t *bytes, std::size_t size) = 0;
    // The outcome of entry index: after its data, or without begin() when it cannot be
    // decoded at all (encrypted, a link or device, a broken archive).
    virtual void end(std::size_t index, ReadError result) = 0;
};

class ArchiveReader {
public:
    virtual ~ArchiveReader() = default;

    // Told every so often while open() lists how many entries it has listed; answering false
    // stops the listing, and open() then fails (ReadError::Corrupt). May be empty.
    std::function<bool(std::size_t listed)> onListed;
    // Whether the last open() stopped listing at damage rather than at the archive's end: the
    // entries before the damage are listed.
    bool listingCut() const { return listingCut_; }
    // How many bytes of an entry the caller takes at most from extract() and
    // extractInOnePass() (its sink stops there): a reader may spare the work its checks would
    // do on data past them. Every byte unless the caller says less.
    uint64_t wanted = UINT64_MAX;

    // Opens and lists the archive at path (a file-system byte string). On success the
    // entries are available through entries(), in archive order. Listing happens here, once,
    // so that walking the entries later costs constant time per entry.
    virtual ReadError open(const std::string &path) = 0;

    virtual const std::vector<EntryInfo> &entries() const = 0;

    // Decodes the data of entries()[index] into sink. The checksum is verified when the whole
    // entry was decoded; a mismatch is ReadError::Corrupt.
    virtual ReadError extract(std::size_t index, const DataSink &sink) = 0;

    // Extraction without a listing, in one pass over the archive at path: rank scores each
    // file entry by its CP932 name (0: not wanted) and the last entry of the highest score is
    // the one extracted. Each time a better entry turns up, restart() is called and that
    // entry's data follow in sink; what sink received before is then void. Answers true only
    // when the chosen entry was decoded in full (or until sink stopped); false where the
    // listing must decide (nothing found, a link, an encrypted or damaged entry, a reader
    // without this pass), and the caller then opens and extracts as usual.
    virtual bool extractInOnePass(const std::string &path, const std::function<int(const std::string &)> &rank,
                                  const std::function<void()> &restart, const DataSink &sink)
    {
        (void)path, (void)rank, (void)restart, (void)sink;
        return false;
    }

    // Decodes the entries at the ascending indices wanted, in one pass over the archive where
    // the format allows, handing each to receiver. Answers false when the receiver stopped
    // the run. The default extracts them one by one.
    virtual bool extractEach(const std::vector<std::size_t> &wanted, EntryReceiver &receiver);

protected:
    // Readers call this after each entry they list, with the count so far; false when the
    // listing is to stop.
    bool listed(std::size_t count)
    {
        return !onListed || count % kListedEvery != 0 || onListed(count);
    }
    static constexpr std::size_t kListedEvery = 256;
    bool listingCut_ = false;
};

// Hands entry index of reader to receiver through extract(): begin, data, end. Answers false
// when the receiver stopped the run.
inline bool ExtractEntryTo(ArchiveReader &reader, std::size_t index, EntryReceiver &receiver)
{
    const auto &entries = reader.entries();
    if (index >= entries.size()) {
        receiver.end(index, ReadError::Corrupt);
        return true;
    }
    if (entries[index].encrypted) {
        receiver.end(index, ReadError::Encrypted);
        return true;
    }
    switch (receiver.begin(index)) {
    case EntryReceiver::Start::Skip:
        return true;
    case EntryReceiver::Start::Stop:
        return false;
    case EntryReceiver::Start::Take:
        break;
    }
    bool stopped = false;
    ReadError error = reader.extract(index, [&](const uint8_t *data, std::size_t size) {
        if (!receiver.data(data, size)) {
            stopped = true;
            return false;
        }
        return true;
    });
    if (stopped)
        return false;
    receiver.end(index, error);
    return true;
}

inline bool ArchiveReader::extractEach(const std::vector<std::size_t> &wanted, EntryReceiver &receiver)
{
    for (std::size_t index : wanted)
        if (!ExtractEntryTo(*this, index, receiver))
            return false;
    return true;
}

// The fixed facts of one library.
struct LibraryInfo {
    const char *prefix;          // "Unlha", "UnZip", ...
    uint16_t version;            // version times 100
    // Non-zero when the file is one of this library's formats, judged by content.
    int32_t (*checkArchive)(const char *path, int32_t mode);
    // "GetArchiveType"; null when the library does not export it.
    int32_t (*getArchiveType)(const char *path);
    // A fresh reader for one archive.
    std::unique_ptr<ArchiveReader> (*createReader)();
};

} // namespace tovik::archivers

#endif
