#include "archivers/common/SevenZipDirectory.h"

#include "archivers/common/ArchiveReader.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace tovik::archivers {
namespace {

const uint8_t kSignature[6] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
constexpr std::size_t kStartHeaderSize = 32;
// libarchive looks for the signature behind a self-extracting stub this far in.
constexpr std::size_t kSearchWindow = 0x60000 + kStartHeaderSize;
// A header, plain or decoded, beyond this is refused: about a million files.
constexpr uint64_t kMaxHeader = 64u << 20;
// As many entries as a listing takes at most.
constexpr uint64_t kMaxFiles = 4'000'000;
// Coders in a folder and streams of a coder; 7-Zip itself writes at most four.
constexpr uint64_t kMaxCoders = 32;
constexpr uint64_t kMaxCoderStreams = 32;

// Property identifiers of the header.
enum : uint64_t {
    kEnd = 0x00,
    kHeader = 0x01,
    kArchiveProperties = 0x02,
    kAdditionalStreamsInfo = 0x03,
    kMainStreamsInfo = 0x04,
    kFilesInfo = 0x05,
    kPackInfo = 0x06,
    kUnpackInfo = 0x07,
    kSubStreamsInfo = 0x08,
    kSize = 0x09,
    kCrc = 0x0A,
    kFolder = 0x0B,
    kCodersUnpackSize = 0x0C,
    kNumUnpackStream = 0x0D,
    kEmptyStream = 0x0E,
    kEncodedHeader = 0x17,
};

// Coder identifiers the encoded header may use.
constexpr uint64_t kMethodCopy = 0x00;
constexpr uint64_t kMethodLzma = 0x030101;
constexpr uint64_t kMethodLzma2 = 0x21;

struct Cursor : SevenZipBytes {
    Cursor(const uint8_t *begin, const uint8_t *stop) : SevenZipBytes{begin, stop} {}
    // Set with a count the header's bytes cannot bear: a lie, not a header this reader does
    // not follow.
    bool lying = false;

    bool lie()
    {
        lying = true;
        return false;
    }

    uint32_t uint32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(byte()) << (8 * i);
        return v;
    }
    const uint8_t *take(uint64_t n)
    {
        if (n > remaining()) {
            ok = false;
            p = end;
            return nullptr;
        }
        const uint8_t *at = p;
        p += n;
        return at;
    }
};

// What the size listing needs of a folder; kept small, as a header may hold millions.
struct Folder {
    uint64_t unpackSize = 0;     // of its final output stream
    uint64_t packedSize = 0;     // of the packed streams it reads
    uint64_t substreams = 1;     // files in its output
    uint64_t method = 0;         // of a folder of one coder (for the encoded header)
    uint32_t crc = 0;
    uint32_t packStreams = 0;
    uint8_t outStreams = 0;
    uint8_t mainOut = 0;         // the output stream no other coder reads
    uint8_t propsSize = 0;
    uint8_t props[5] = {};
    bool single = false;         // one coder, one packed stream, properties kept
    bool hasCrc = false;
};

struct StreamsInfo {
    uint64_t packPos = 0;
    std::vector<uint64_t> packSizes;
    std::vector<Folder> folders;
    std::vector<uint64_t> substreamSizes;   // every folder's files, folder by folder
};

// A digest list: an "all defined" byte (else a bit field), then four bytes per defined item.
bool ReadDigests(Cursor &c, uint64_t count, std::vector<bool> *defined, std::vector<uint32_t> *values)
{
    if (count > c.remaining() * 8 + 8)
        return c.lie();
    std::vector<bool> bits(count, true);
    if (c.byte() == 0) {
        uint8_t b = 0;
        for (uint64_t i = 0; i < count && c.ok; ++i) {
            if (i % 8 == 0)
                b = c.byte();
            bits[i] = (b >> (7 - i % 8)) & 1;
        }
    }
    for (uint64_t i = 0; i < count && c.ok; ++i) {
        uint32_t crc = bits[i] ? c.uint32() : 0;
        if (values != nullptr)
            (*values)[i] = crc;
    }
    if (defined != nullptr)
        *defined = std::move(bits);
    return c.ok;
}

bool ReadPackInfo(Cursor &c, StreamsInfo &s)
{
    s.packPos = c.number();
    uint64_t count = c.number();
    // Each size takes a byte at least.
    if (!c.ok)
        return false;
    if (count > c.remaining())
        return c.lie();
    bool sized = false;
    for (uint64_t id = c.number(); c.ok && id != kEnd; id = c.number()) {
        if (id == kSize) {
            s.packSizes.resize(count);
            for (uint64_t &size : s.packSizes)
                size = c.number();
            sized = true;
        } else if (id == kCrc) {
            if (!ReadDigests(c, count, nullptr, nullptr))
                return false;
        } else {
            return false;
        }
    }
    return c.ok && (sized || count == 0);
}

bool ReadFolder(Cursor &c, Folder &f)
{
    uint64_t coders = c.number();
    if (!c.ok || coders == 0 || coders > kMaxCoders)
        return false;
    uint64_t totalIn = 0, totalOut = 0;
    for (uint64_t i = 0; i < coders; ++i) {
        uint8_t flags = c.byte();
        if (flags & 0xC0)   // alternative methods: never written
            return false;
        const uint8_t *id = c.take(flags & 0x0F);
        uint64_t in = 1, out = 1;
        if (flags & 0x10) {
            in = c.number();
            out = c.number();
        }
        if (!c.ok || in > kMaxCoderStreams || out > kMaxCoderStreams)
            return false;
        totalIn += in;
        totalOut += out;
        if (totalIn > kMaxCoderStreams || totalOut > kMaxCoderStreams)
            return false;
        uint64_t propsSize = 0;
        const uint8_t *props = nullptr;
        if (flags & 0x20) {
            propsSize = c.number();
            props = c.take(propsSize);
        }
        if (!c.ok)
            return false;
        if (coders == 1) {
            f.method = 0;
            for (int k = 0; k < (flags & 0x0F); ++k)
                f.method = (f.method << 8) | id[k];
            f.single = propsSize <= sizeof f.props && in == 1 && out == 1;
            if (f.single) {
                f.propsSize = static_cast<uint8_t>(propsSize);
                if (propsSize > 0)
                    std::memcpy(f.props, props, propsSize);
            }
        }
    }
    if (totalOut == 0)
        return false;
    const uint64_t bindPairs = totalOut - 1;
    if (totalIn < bindPairs)
        return false;
    uint64_t boundOut = 0;   // a bit per output stream another coder reads
    for (uint64_t i = 0; i < bindPairs; ++i) {
        uint64_t inIndex = c.number();
        uint64_t outIndex = c.number();
        if (!c.ok || inIndex >= totalIn || outIndex >= totalOut || (boundOut >> outIndex) & 1)
            return false;
        boundOut |= uint64_t(1) << outIndex;
    }
    const uint64_t packStreams = totalIn - bindPairs;
    if (packStreams == 0)
        return false;
    if (packStreams > 1) {
        for (uint64_t i = 0; i < packStreams; ++i)
            if (c.number() >= totalIn)
                return false;
    }
    f.packStreams = static_cast<uint32_t>(packStreams);
    f.outStreams = static_cast<uint8_t>(totalOut);
    for (uint64_t i = 0; i < totalOut; ++i)
        if (((boundOut >> i) & 1) == 0)
            f.mainOut = static_cast<uint8_t>(i);
    f.single = f.single && packStreams == 1;
    return c.ok;
}

bool ReadUnpackInfo(Cursor &c, StreamsInfo &s)
{
    if (c.number() != kFolder)
        return false;
    uint64_t count = c.number();
    // A folder takes three bytes at least; folders kept elsewhere ("external") are never
    // written.
    if (!c.ok)
        return false;
    if (count > c.remaining() / 3 || count > kMaxFiles)
        return c.lie();
    if (c.byte() != 0)
        return false;
    // Grown as folders are read, so that a count the bytes do not bear reserves nothing.
    for (uint64_t i = 0; i < count; ++i) {
        Folder f;
        if (!ReadFolder(c, f))
            return false;
        s.folders.push_back(f);
    }
    if (c.number() != kCodersUnpackSize)
        return false;
    for (Folder &f : s.folders) {
        for (uint8_t i = 0; i < f.outStreams; ++i) {
            uint64_t size = c.number();
            if (i == f.mainOut)
                f.unpackSize = size;
        }
    }
    for (uint64_t id = c.number(); c.ok && id != kEnd; id = c.number()) {
        if (id != kCrc)
            return false;
        std::vector<bool> defined;
        std::vector<uint32_t> crcs(s.folders.size());
        if (!ReadDigests(c, s.folders.size(), &defined, &crcs))
            return false;
        for (std::size_t i = 0; i < s.folders.size(); ++i) {
            s.folders[i].hasCrc = defined[i];
            s.folders[i].crc = crcs[i];
        }
    }
    return c.ok;
}

bool ReadSubStreamsInfo(Cursor &c, StreamsInfo &s)
{
    uint64_t id = c.number();
    uint64_t total = s.folders.size();
    if (id == kNumUnpackStream) {
        total = 0;
        for (Folder &f : s.folders) {
            f.substreams = c.number();
            total += f.substreams;
            if (!c.ok)
                return false;
            if (f.substreams > kMaxFiles || total > kMaxFiles)
                return c.lie();
        }
        id = c.number();
        // Every file after a folder's first takes a size of a byte at least.
        if (total > c.remaining() + s.folders.size())
            return c.lie();
    }
    s.substreamSizes.clear();
    s.substreamSizes.reserve(std::min<uint64_t>(total, c.remaining() + s.folders.size()));
    const bool sized = id == kSize;
    for (const Folder &f : s.folders) {
        if (f.substreams == 0)
            continue;
        // The last file of a folder takes what the others leave.
        uint64_t sum = 0;
        for (uint64_t i = 1; i < f.substreams; ++i) {
            if (!sized)
                return false;
            uint64_t size = c.number();
            if (!c.ok || size > f.unpackSize - sum)
                return false;
            sum += size;
            s.substreamSizes.push_back(size);
        }
        s.substreamSizes.push_back(f.unpackSize - sum);
    }
    if (sized)
        id = c.number();
    for (; c.ok && id != kEnd; id = c.number()) {
        if (id != kCrc)
            return false;
        // Digests of the files whose folder's own digest does not already cover them.
        uint64_t count = 0;
        for (const Folder &f : s.folders)
            count += f.substreams == 1 && f.hasCrc ? 0 : f.substreams;
        if (!ReadDigests(c, count, nullptr, nullptr))
            return false;
    }
    return c.ok;
}

// A streams-info block; fileData is how many bytes of the file follow the start header, the
// room the packed streams must fit in.
bool ReadStreamsInfo(Cursor &c, uint64_t fileData, StreamsInfo &s)
{
    uint64_t id = c.number();
    if (id == kPackInfo) {
        if (!ReadPackInfo(c, s))
            return false;
        id = c.number();
    }
    if (id == kUnpackInfo) {
        if (!ReadUnpackInfo(c, s))
            return false;
        id = c.number();
    }
    bool substreams = false;
    if (id == kSubStreamsInfo) {
        if (!ReadSubStreamsInfo(c, s))
            return false;
        substreams = true;
        id = c.number();
    }
    if (!c.ok || id != kEnd)
        return false;
    if (!substreams) {
        for (const Folder &f : s.folders)
            s.substreamSizes.push_back(f.unpackSize);
    }
    // Every packed stream lies inside the file; each folder reads the next ones in turn.
    if (s.packPos > fileData)
        return false;
    uint64_t room = fileData - s.packPos;
    for (uint64_t size : s.packSizes) {
        if (size > room)
            return false;
        room -= size;
    }
    std::size_t next = 0;
    for (Folder &f : s.folders) {
        if (f.packStreams > s.packSizes.size() - next)
            return false;
        for (uint32_t i = 0; i < f.packStreams; ++i)
            f.packedSize += s.packSizes[next++];
    }
    return true;
}

bool ReadFilesInfo(Cursor &c, const StreamsInfo &s, std::vector<SevenZipFile> &files)
{
    uint64_t count = c.number();
    if (!c.ok)
        return false;
    // A file without data takes a bit in the empty-stream list; one with data is a substream.
    if (count > kMaxFiles || (count > c.remaining() * 8 && count > s.substreamSizes.size()))
        return c.lie();
    std::vector<bool> empty;
    for (uint64_t type = c.number(); c.ok && type != kEnd; type = c.number()) {
        uint64_t size = c.number();
        const uint8_t *data = c.take(size);
        if (data == nullptr)
            return false;
        if (type == kEmptyStream) {
            if (size < (count + 7) / 8)
                return false;
            empty.assign(count, false);
            for (uint64_t i = 0; i < count; ++i)
                empty[i] = (data[i / 8] >> (7 - i % 8)) & 1;
        }
    }
    if (!c.ok)
        return false;
    uint64_t withData = count;
    for (bool e : empty)
        withData -= e ? 1 : 0;
    // Every file with data is one substream, in order, and there are no others.
    if (withData != s.substreamSizes.size())
        return false;
    files.assign(count, SevenZipFile{});
    std::size_t folder = 0, inFolder = 0, substream = 0;
    for (uint64_t i = 0; i < count; ++i) {
        if (!empty.empty() && empty[i])
            continue;
        while (folder < s.folders.size() && inFolder >= s.folders[folder].substreams) {
            ++folder;
            inFolder = 0;
        }
        if (folder >= s.folders.size())
            return false;
        SevenZipFile &f = files[i];
        f.hasData = true;
        f.size = s.substreamSizes[substream++];
        f.packedSize = inFolder == 0 ? s.folders[folder].packedSize : kUnknownSize;
        if (inFolder == 0 && s.folders[folder].substreams > 1)
            f.blockSize = s.folders[folder].unpackSize;
        ++inFolder;
    }
    return true;
}

bool ReadPlainHeader(Cursor &c, uint64_t fileData, std::vector<SevenZipFile> &files)
{
    uint64_t id = c.number();
    if (id == kArchiveProperties) {
        for (uint64_t type = c.number(); c.ok && type != kEnd; type = c.number())
            c.take(c.number());
        id = c.number();
    }
    // Additional streams are never written by 7-Zip; libarchive does not read them either.
    if (id == kAdditionalStreamsInfo)
        return false;
    StreamsInfo s;
    if (id == kMainStreamsInfo) {
        if (!ReadStreamsInfo(c, fileData, s))
            return false;
        id = c.number();
    }
    files.clear();
    if (id == kFilesInfo) {
        if (!ReadFilesInfo(c, s, files))
            return false;
        id = c.number();
    } else if (!s.substreamSizes.empty()) {
        return false;   // data without files
    }
    return c.ok && id == kEnd;
}

// Decodes in into out (exactly out's size) with the coder of a folder of one coder.
bool DecodeFolder(const Folder &f, const uint8_t *in, std::size_t inSize, uint8_t *out, std::size_t outSize)
{
    if (f.method == kMethodCopy) {
        if (inSize < outSize)
            return false;
        std::memcpy(out, in, outSize);
        return true;
    }
    if (f.method != kMethodLzma && f.method != kMethodLzma2)
        return false;
    lzma_filter filters[2] = {{f.method == kMethodLzma ? LZMA_FILTER_LZMA1 : LZMA_FILTER_LZMA2, nullptr},
                              {LZMA_VLI_UNKNOWN, nullptr}};
    if (lzma_properties_decode(&filters[0], nullptr, f.props, f.propsSize) != LZMA_OK)
        return false;
    auto *options = static_cast<lzma_options_lzma *>(filters[0].options);
    // Nothing is looked up further back than the output is long: a dictionary the properties
    // declare beyond that would only be memory reserved for an attacker.
    options->dict_size =
        static_cast<uint32_t>(std::min<uint64_t>(options->dict_size, std::max<uint64_t>(outSize, LZMA_DICT_SIZE_MIN)));
    lzma_stream z = LZMA_STREAM_INIT;
    lzma_ret rc = lzma_raw_decoder(&z, filters);
    std::free(filters[0].options);
    if (rc != LZMA_OK) {
        lzma_end(&z);
        return false;
    }
    z.next_in = in;
    z.avail_in = inSize;
    z.next_out = out;
    z.avail_out = outSize;
    while (z.avail_out > 0) {
        rc = lzma_code(&z, LZMA_RUN);
        if (rc != LZMA_OK)
            break;
    }
    const bool whole = z.avail_out == 0;
    lzma_end(&z);
    return whole;
}

// The header packed into one folder: read, decoded and checked against its digest.
bool DecodeHeader(int fd, uint64_t dataStart, uint64_t fileData, Cursor &c, std::vector<uint8_t> &decoded)
{
    StreamsInfo s;
    if (!ReadStreamsInfo(c, fileData, s) || s.folders.size() != 1 || s.packSizes.size() != 1)
        return false;
    const Folder &f = s.folders[0];
    if (!f.single || f.unpackSize == 0 || f.unpackSize > kMaxHeader || f.packedSize > kMaxHeader)
        return false;
    std::vector<uint8_t> packed(f.packedSize);
    const off_t at = static_cast<off_t>(dataStart + s.packPos);
    if (pread(fd, packed.data(), packed.size(), at) != static_cast<ssize_t>(packed.size()))
        return false;
    decoded.resize(f.unpackSize);
    if (!DecodeFolder(f, packed.data(), packed.size(), decoded.data(), decoded.size()))
        return false;
    return !f.hasCrc || crc32(0, decoded.data(), static_cast<uInt>(decoded.size())) == f.crc;
}

uint64_t Read64(const uint8_t *p)
{
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

uint32_t Read32(const uint8_t *p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// A signature followed by a start header whose checksum holds.
bool IsStartHeader(const uint8_t *p)
{
    return std::memcmp(p, kSignature, sizeof kSignature) == 0 && crc32(0, p + 12, 20) == Read32(p + 8);
}

// Where the archive starts: at start, or (start 0) within the window libarchive searches.
bool FindStart(int fd, uint64_t start, uint64_t fileSize, uint64_t &found, uint8_t startHeader[kStartHeaderSize])
{
    if (pread(fd, startHeader, kStartHeaderSize, static_cast<off_t>(start)) == static_cast<ssize_t>(kStartHeaderSize) &&
        IsStartHeader(startHeader)) {
        found = start;
        return true;
    }
    if (start != 0)
        return false;
    std::vector<uint8_t> window(std::min<uint64_t>(kSearchWindow, fileSize));
    ssize_t got = pread(fd, window.data(), window.size(), 0);
    for (ssize_t s = 1; got >= 0 && s + static_cast<ssize_t>(kStartHeaderSize) <= got; ++s) {
        if (window[s] == '7' && IsStartHeader(&window[s])) {
            std::memcpy(startHeader, &window[s], kStartHeaderSize);
            found = static_cast<uint64_t>(s);
            return true;
        }
    }
    return false;
}

bool ReadDirectory(int fd, uint64_t start, std::vector<SevenZipFile> &files, bool &lying)
{
    struct stat st{};
    if (fstat(fd, &st) != 0 || st.st_size < 0)
        return false;
    const uint64_t fileSize = static_cast<uint64_t>(st.st_size);
    uint8_t head[kStartHeaderSize];
    uint64_t at = 0;
    if (!FindStart(fd, start, fileSize, at, head))
        return false;
    const uint64_t dataStart = at + kStartHeaderSize;
    if (dataStart > fileSize)
        return false;
    const uint64_t fileData = fileSize - dataStart;
    const uint64_t offset = Read64(head + 12), size = Read64(head + 20);
    if (size == 0) {
        files.clear();   // an archive without entries
        return offset == 0;
    }
    if (size > kMaxHeader || offset > fileData || size > fileData - offset)
        return false;
    std::vector<uint8_t> header(size);
    if (pread(fd, header.data(), size, static_cast<off_t>(dataStart + offset)) != static_cast<ssize_t>(size))
        return false;
    // libarchive takes the counts of a header before it checks its sum.
    if (crc32(0, header.data(), static_cast<uInt>(size)) != Read32(head + 28)) {
        lying = true;
        return false;
    }
    Cursor c{header.data(), header.data() + size};
    uint64_t id = c.number();
    std::vector<uint8_t> decoded;
    if (id == kEncodedHeader) {
        const bool read = DecodeHeader(fd, dataStart, fileData, c, decoded);
        lying = c.lying;
        if (!read)
            return false;
        header.clear();
        header.shrink_to_fit();
        c = Cursor{decoded.data(), decoded.data() + decoded.size()};
        id = c.number();
    }
    const bool read = id == kHeader && ReadPlainHeader(c, fileData, files);
    lying = lying || c.lying;
    return read;
}

} // namespace

bool ReadSevenZipDirectory(const std::string &path, uint64_t start, std::vector<SevenZipFile> &files, bool *lying)
{
    files.clear();
    if (lying != nullptr)
        *lying = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st{};
    if (fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    // The header of the file read last is kept: the plausibility check, the probe and the
    // listing of one archive each ask for it, and a big packed header takes a while to decode.
    static std::mutex lastLock;
    static struct {
        bool valid = false;
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = 0;
        struct timespec mtime{};
        uint64_t start = 0;
        bool ok = false, lied = false;
        std::vector<SevenZipFile> files;
    } last;
    std::lock_guard<std::mutex> guard(lastLock);
    if (!(last.valid && last.dev == st.st_dev && last.ino == st.st_ino && last.size == st.st_size &&
          last.mtime.tv_sec == st.st_mtim.tv_sec && last.mtime.tv_nsec == st.st_mtim.tv_nsec && last.start == start)) {
        last.valid = false;
        last.files.clear();
        last.lied = false;
        last.ok = ReadDirectory(fd, start, last.files, last.lied);
        if (!last.ok)
            last.files.clear();
        last.dev = st.st_dev;
        last.ino = st.st_ino;
        last.size = st.st_size;
        last.mtime = st.st_mtim;
        last.start = start;
        last.valid = true;
    }
    ::close(fd);
    if (lying != nullptr)
        *lying = last.lied;
    files = last.files;
    return last.ok;
}

} // namespace tovik::archivers
