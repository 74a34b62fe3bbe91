#include "archivers/common/LibarchiveReader.h"

#include "archivers/common/DosTime.h"
#include "archivers/common/LocaleGuard.h"
#include "archivers/common/SevenZipDirectory.h"
#include "archivers/common/ZipDirectory.h"
#include "platform/Cp932.h"

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <unistd.h>
#include <memory>
#include <sys/stat.h>
#include <unordered_map>

namespace tovik::archivers {
namespace {

// Listing stops with a failure beyond these: a hostile archive must not exhaust memory
// through its entry table.
constexpr std::size_t kMaxEntries = 4'000'000;
constexpr std::size_t kMaxNameBytes = 512u << 20;
constexpr std::size_t kBlockSize = 64 * 1024;
// What libarchive reads from the file at a time. Small, as bsdtar has it: the ZIP reader
// seeks to every local header and reads a whole block there.
constexpr std::size_t kReadBlockSize = 10240;

struct ArchiveCloser {
    void operator()(archive *a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveCloser>;

ReadError ErrorOf(archive *a, ReadError fallback = ReadError::Corrupt)
{
    const char *text = archive_error_string(a);
    int err = archive_errno(a);
    if (err == ENOMEM)
        return ReadError::OutOfMemory;
    if (text != nullptr) {
        std::string_view s(text);
        if (s.find("assphrase") != s.npos || s.find("ncrypt") != s.npos)
            return ReadError::Encrypted;
        if (s.find("nsupported") != s.npos || s.find("not supported") != s.npos)
            return ReadError::Unsupported;
        if (s.find("allocate") != s.npos || s.find("memory") != s.npos)
            return ReadError::OutOfMemory;
    }
    return fallback;
}

int FirstRealFilter(archive *a)
{
    int n = archive_filter_count(a);
    for (int i = 0; i < n; ++i) {
        int code = archive_filter_code(a, i);
        if (code != ARCHIVE_FILTER_NONE && code != ARCHIVE_FILTER_RPM && code != ARCHIVE_FILTER_UU)
            return code;
    }
    return ARCHIVE_FILTER_NONE;
}

bool IsRaw(archive *a)
{
    return (archive_format(a) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_RAW;
}

std::string WideToUtf8(const wchar_t *w)
{
    std::string out;
    for (; *w != 0; ++w) {
        uint32_t c = static_cast<uint32_t>(*w);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            if (c >= 0xD800 && c <= 0xDFFF)
                c = 0xFFFD;
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x110000) {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The stored path as libarchive gives it: the locale form (UTF-8 under the guard, or the raw
// bytes of a name without a known character set), else its UTF-8 or wide forms.
std::string RawName(archive_entry *e)
{
    if (const char *p = archive_entry_pathname(e))
        return p;
    if (const char *u = archive_entry_pathname_utf8(e))
        return u;
    if (const wchar_t *w = archive_entry_pathname_w(e))
        return WideToUtf8(w);
    return std::string();
}

// The name of the single file inside a compressed stream: the archive's own name without
// its compression suffix.
std::string RawEntryName(const std::string &archivePath)
{
    std::string base = archivePath.substr(archivePath.rfind('/') + 1);
    static const char *const suffixes[] = {".gz", ".gzip", ".bz2", ".bz", ".xz", ".lzma", ".z", ".zst", ".lz", ".lz4", ".lzo"};
    for (const char *suffix : suffixes) {
        std::size_t n = std::strlen(suffix);
        if (base.size() > n && strcasecmp(base.c_str() + base.size() - n, suffix) == 0)
            return base.substr(0, base.size() - n);
    }
    std::size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0)
        return base.substr(0, dot);
    return base.empty() ? "data" : base;
}

uint32_t AttributesOf(archive_entry *e)
{
    mode_t type = archive_entry_filetype(e);
    uint32_t attr = type == AE_IFDIR ? 0x10 : 0x20;
    mode_t perm = archive_entry_perm(e);
    if (perm != 0 && (perm & 0200) == 0)
        attr |= 0x01;
    return attr;
}

// The archive file seen from a starting offset on, for an archive behind a program stub
// further in than libarchive looks.
struct OffsetSource {
    int fd = -1;
    int64_t base = 0;
    int64_t size = 0;   // of the part from base on
    int64_t pos = 0;
    std::unique_ptr<uint8_t[]> buffer{new uint8_t[kReadBlockSize]};
};

la_ssize_t OffsetRead(archive *, void *data, const void **out)
{
    auto *src = static_cast<OffsetSource *>(data);
    if (src->fd < 0)
        return ARCHIVE_FATAL;
    ssize_t n = pread(src->fd, src->buffer.get(), kReadBlockSize, static_cast<off_t>(src->base + src->pos));
    if (n < 0)
        return ARCHIVE_FATAL;
    src->pos += n;
    *out = src->buffer.get();
    return n;
}

la_int64_t OffsetSeek(archive *, void *data, la_int64_t offset, int whence)
{
    auto *src = static_cast<OffsetSource *>(data);
    int64_t to = whence == SEEK_SET ? offset : whence == SEEK_CUR ? src->pos + offset : src->size + offset;
    if (to < 0)
        return ARCHIVE_FATAL;
    src->pos = to;
    return to;
}

la_int64_t OffsetSkip(archive *a, void *data, la_int64_t request)
{
    auto *src = static_cast<OffsetSource *>(data);
    int64_t before = src->pos;
    return OffsetSeek(a, data, request, SEEK_CUR) < 0 ? 0 : src->pos - before;
}

int OffsetClose(archive *, void *data)
{
    auto *src = static_cast<OffsetSource *>(data);
    if (src->fd >= 0)
        ::close(src->fd);
    delete src;
    return ARCHIVE_OK;
}

// Opens path for reading with the profile, from base on. Null on failure; *error (when given)
// tells why.
archive *OpenAt(const LibarchiveProfile &profile, const char *path, uint64_t base, ReadError *error)
{
    archive *a = archive_read_new();
    if (a == nullptr) {
        if (error != nullptr)
            *error = ReadError::OutOfMemory;
        return nullptr;
    }
    profile.enable(a);
    int rc;
    if (base == 0) {
        rc = archive_read_open_filename(a, path, kReadBlockSize);
    } else {
        auto *src = new OffsetSource;
        src->fd = ::open(path, O_RDONLY | O_CLOEXEC);
        struct stat st{};
        if (src->fd >= 0 && fstat(src->fd, &st) == 0)
            src->size = st.st_size - static_cast<int64_t>(base);
        src->base = static_cast<int64_t>(base);
        archive_read_set_read_callback(a, OffsetRead);
        archive_read_set_seek_callback(a, OffsetSeek);
        archive_read_set_skip_callback(a, OffsetSkip);
        archive_read_set_close_callback(a, OffsetClose);
        archive_read_set_callback_data(a, src);
        // From here on libarchive owns src and frees it through OffsetClose.
        rc = archive_read_open1(a);
    }
    if (rc != ARCHIVE_OK) {
        struct stat st{};
        if (error != nullptr)
            *error = stat(path, &st) != 0 ? ReadError::NotFound : ErrorOf(a);
        archive_read_free(a);
        return nullptr;
    }
    return a;
}

// A single compressed stream's facts, from the file itself: gzip keeps the size (modulo 2^32)
// in its trailer and a time in its header; the other streams keep neither, and the file's
// own time stands in for the entry's.
void DescribeStream(const std::string &path, EntryInfo &info)
{
    info.originalSize = kUnknownSize;
    info.compressedSize = 0;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st{};
    std::time_t when = 0;
    uint8_t head[8] = {}, tail[4] = {};
    if (fstat(fd, &st) == 0) {
        info.compressedSize = static_cast<uint64_t>(st.st_size);
        when = st.st_mtime;
        if (st.st_size >= 18 && pread(fd, head, sizeof head, 0) == sizeof head && head[0] == 0x1F && head[1] == 0x8B &&
            pread(fd, tail, sizeof tail, st.st_size - 4) == sizeof tail) {
            info.originalSize = tail[0] | tail[1] << 8 | tail[2] << 16 | static_cast<uint32_t>(tail[3]) << 24;
            uint32_t stamp = head[4] | head[5] << 8 | head[6] << 16 | static_cast<uint32_t>(head[7]) << 24;
            if (stamp != 0)
                when = static_cast<std::time_t>(stamp);
        }
    }
    ::close(fd);
    UnixTimeToDos(when, info.dosDate, info.dosTime);
}

// A gzip file decoded by zlib, which checks each member's CRC-32 and length against its
// trailer; libarchive 3.6.2 checks neither. Members may follow one another; what follows the
// last one without a gzip signature (zero padding) is ignored, as gzip ignores it.
ReadError ExtractGzip(const std::string &path, const DataSink &sink)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ReadError::NotFound;
    z_stream z{};
    if (inflateInit2(&z, 15 + 16) != Z_OK) {
        ::close(fd);
        return ReadError::OutOfMemory;
    }
    std::unique_ptr<uint8_t[]> in(new uint8_t[kBlockSize]), out(new uint8_t[kBlockSize]);
    auto refill = [&] {
        ssize_t n = read(fd, in.get(), kBlockSize);
        z.next_in = in.get();
        z.avail_in = n > 0 ? static_cast<uInt>(n) : 0;
        return n;
    };
    ReadError result = ReadError::None;
    for (;;) {
        if (z.avail_in == 0) {
            ssize_t n = refill();
            if (n <= 0) {
                result = ReadError::Corrupt;   // cut short inside a member
                break;
            }
        }
        z.next_out = out.get();
        z.avail_out = kBlockSize;
        int rc = inflate(&z, Z_NO_FLUSH);
        const std::size_t produced = kBlockSize - z.avail_out;
        if (produced > 0 && !sink(out.get(), produced))
            break;
        if (rc == Z_STREAM_END) {
            if (z.avail_in == 0 && refill() <= 0)
                break;
            if (z.next_in[0] != 0x1F)
                break;
            inflateReset(&z);
            continue;
        }
        if (rc == Z_MEM_ERROR) {
            result = ReadError::OutOfMemory;
            break;
        }
        if (rc != Z_OK && !(rc == Z_BUF_ERROR && z.avail_in == 0)) {
            result = ReadError::Corrupt;
            break;
        }
    }
    inflateEnd(&z);
    ::close(fd);
    return result;
}

// The size the entry's header declares; kUnknownSize when it declares none.
uint64_t DeclaredSize(archive_entry *entry)
{
    if (!archive_entry_size_is_set(entry) || archive_entry_size(entry) < 0)
        return kUnknownSize;
    return static_cast<uint64_t>(archive_entry_size(entry));
}

// Decodes the data of the entry just read into sink, straight from libarchive's blocks; the
// holes of a sparse entry go on as holes (null data). A sink that stops early ends it without
// a failure, unless it stopped at the declared end: the rest is then read without handing it
// on, so that libarchive's own end-of-entry checks (a ZIP entry's CRC) still decide. Data
// beyond the declared size is a damaged archive, whatever a library below would make of it.
ReadError ReadEntryData(archive *a, archive_entry *entry, const DataSink &sink)
{
    const uint64_t declared = DeclaredSize(entry);
    const bool bounded = IsKnownSize(declared);
    // A sparse entry may end in a hole that no data block covers.
    const uint64_t padTo = archive_entry_sparse_count(entry) > 0 && bounded ? declared : 0;
    uint64_t done = 0;
    bool stopped = false;   // the sink wants no more
    auto hand = [&](const uint8_t *data, uint64_t n) {
        if (!stopped && !sink(data, static_cast<std::size_t>(n)))
            stopped = true;
        done += n;
    };
    for (;;) {
        const void *block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        int r = archive_read_data_block(a, &block, &size, &offset);
        if (r == ARCHIVE_EOF) {
            if (padTo > done && !stopped)
                hand(nullptr, padTo - done);
            return ReadError::None;
        }
        if (r != ARCHIVE_OK || offset < 0 || static_cast<uint64_t>(offset) < done)
            return ErrorOf(a);
        const auto at = static_cast<uint64_t>(offset);
        if (bounded && (at > declared || size > declared - at))
            return ReadError::Corrupt;
        if (at > done)
            hand(nullptr, at - done);
        if (size > 0)
            hand(static_cast<const uint8_t *>(block), size);
        if (stopped && !(bounded && done == declared))
            return ReadError::None;
    }
}

// The listed facts of the entry just read, under the stored name rawName.
EntryInfo DescribeEntry(archive *a, archive_entry *entry, const std::string &rawName)
{
    EntryInfo info;
    const mode_t type = archive_entry_filetype(entry);
    info.name = EntryNameToCp932(rawName);
    if (type == AE_IFDIR && (info.name.empty() || info.name.back() != '/'))
        info.name += '/';
    info.originalSize = type == AE_IFDIR ? 0 : DeclaredSize(entry);
    info.sparse = archive_entry_sparse_count(entry) > 0;
    if (archive_entry_mtime_is_set(entry))
        UnixTimeToDos(archive_entry_mtime(entry), info.dosDate, info.dosTime);
    info.attribute = AttributesOf(entry);
    info.encrypted = archive_entry_is_encrypted(entry) != 0;
    info.method = archive_format_name(a) != nullptr ? archive_format_name(a) : "";
    return info;
}

} // namespace

std::string EntryNameToCp932(std::string_view raw)
{
    bool ascii = true;
    for (unsigned char c : raw)
        ascii = ascii && c < 0x80;
    if (ascii || !platform::IsValidUtf8(raw))
        return std::string(raw);
    return platform::Utf8ToCp932(raw);
}

bool ProbeArchive(const LibarchiveProfile &profile, const char *path, ProbeResult &result)
{
    if (profile.plausible != nullptr && !profile.plausible(path))
        return false;
    Utf8LocaleGuard locale;
    ArchivePtr a(OpenAt(profile, path, 0, nullptr));
    if (a == nullptr && profile.embeddedStart != nullptr) {
        uint64_t base = profile.embeddedStart(path);
        if (base > 0)
            a.reset(OpenAt(profile, path, base, nullptr));
    }
    if (a == nullptr)
        return false;
    archive_entry *entry = nullptr;
    int rc = archive_read_next_header(a.get(), &entry);
    if (rc != ARCHIVE_OK && rc != ARCHIVE_WARN && rc != ARCHIVE_EOF)
        return false;
    result.format = archive_format(a.get());
    result.filter = FirstRealFilter(a.get());
    // An archive that ends before its first entry may leave the format unnamed; one of the
    // profile's readers accepted it all the same (raw never ends before its entry).
    if (result.format == 0 && rc == ARCHIVE_EOF)
        result.format = ARCHIVE_FORMAT_EMPTY;
    if (result.format == 0)
        return false;
    if (IsRaw(a.get()) && (!profile.rawNeedsFilter || result.filter == ARCHIVE_FILTER_NONE))
        return false;
    return true;
}

archive *LibarchiveReader::start(ReadError &error) const
{
    return OpenAt(profile_, path_.c_str(), base_, &error);
}

archive *LibarchiveReader::startListing(ReadError &error)
{
    base_ = 0;
    if (profile_.plausible != nullptr && !profile_.plausible(path_.c_str())) {
        struct stat st{};
        error = stat(path_.c_str(), &st) != 0 ? ReadError::NotFound : ReadError::Corrupt;
        return nullptr;
    }
    archive *a = start(error);
    if (a == nullptr && profile_.embeddedStart != nullptr && error != ReadError::NotFound) {
        base_ = profile_.embeddedStart(path_.c_str());
        if (base_ > 0)
            a = start(error);
    }
    return a;
}

ReadError LibarchiveReader::open(const std::string &path)
{
    Utf8LocaleGuard locale;
    path_ = path;
    gzipStream_ = false;
    entries_.clear();
    dataSource_.clear();
    special_.clear();
    listingCut_ = false;
    ReadError error = ReadError::None;
    ArchivePtr a(startListing(error));
    if (a == nullptr)
        return error;

    // Position of each header in the (decompressed) stream, for estimating compressed sizes.
    std::vector<int64_t> positions;
    std::vector<std::string> hardlinkTargets;
    bool hasHardlinks = false;
    std::size_t nameBytes = 0;
    bool raw = false;
    archive_entry *entry = nullptr;
    for (;;) {
        int rc = archive_read_next_header(a.get(), &entry);
        if (rc == ARCHIVE_EOF)
            break;
        if (rc != ARCHIVE_OK && rc != ARCHIVE_WARN) {
            // A damaged header ends the listing. libarchive may offer the same broken header
            // again and again, so it is never retried; what was listed so far stays listed.
            if (entries_.empty())
                return ErrorOf(a.get());
            listingCut_ = true;
            break;
        }
        if (entries_.empty()) {
            probe_.format = archive_format(a.get());
            probe_.filter = FirstRealFilter(a.get());
            raw = IsRaw(a.get());
            if (raw && (!profile_.rawNeedsFilter || probe_.filter == ARCHIVE_FILTER_NONE))
                return ReadError::Corrupt;
        }
        if (entries_.size() >= kMaxEntries || nameBytes > kMaxNameBytes)
            return ReadError::OutOfMemory;
        EntryInfo info = DescribeEntry(a.get(), entry, raw ? RawEntryName(path) : RawName(entry));
        nameBytes += info.name.size();
        info.readerData = entries_.size();
        const char *hardlink = archive_entry_hardlink(entry);
        hardlinkTargets.push_back(hardlink != nullptr ? hardlink : "");
        const mode_t type = archive_entry_filetype(entry);
        special_.push_back(type == AE_IFLNK || type == AE_IFCHR || type == AE_IFBLK || type == AE_IFIFO ||
                           type == AE_IFSOCK);
        positions.push_back(archive_read_header_position(a.get()));
        // A single compressed stream is listed from its own header and trailer: decoding it
        // to learn its size could take hours for a small file.
        if (raw) {
            DescribeStream(path, info);
            gzipStream_ = base_ == 0 && probe_.filter == ARCHIVE_FILTER_GZIP && info.originalSize != kUnknownSize;
        }
        hasHardlinks = hasHardlinks || hardlink != nullptr;
        entries_.push_back(std::move(info));
        if (!listed(entries_.size()))
            return ReadError::Corrupt;
        if (raw)
            break;
    }
    if (entries_.empty())
        probe_.format = archive_format(a.get()) != 0 ? archive_format(a.get()) : ARCHIVE_FORMAT_EMPTY;

    LinkHardLinks(hardlinkTargets, hasHardlinks);

    FillPackedSizes(positions, raw);
    positions_ = std::move(positions);
    return ReadError::None;
}

void LibarchiveReader::LinkHardLinks(const std::vector<std::string> &targets, bool any)
{
    // A hard link reads the data of the latest entry before it of the name it gives. In cpio
    // it is the other way round: the data travels with the last link and the earlier ones
    // are empty, so a link with data of its own keeps it and lends it to those before.
    dataSource_.resize(entries_.size());
    std::unordered_map<std::string, std::size_t> byName;
    std::unordered_map<std::size_t, std::size_t> lentBy;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        dataSource_[i] = i;
        if (!any)
            continue;
        if (!targets[i].empty()) {
            auto it = byName.find(EntryNameToCp932(targets[i]));
            if (it != byName.end()) {
                const std::size_t source = dataSource_[it->second];
                if (entries_[i].originalSize != 0 && IsKnownSize(entries_[i].originalSize) &&
                    entries_[source].originalSize == 0)
                    lentBy[source] = i;
                else
                    dataSource_[i] = source;
            }
            if (entries_[i].originalSize == 0)
                entries_[i].originalSize = entries_[dataSource_[i]].originalSize;
        }
        byName[entries_[i].name] = i;
    }
    for (std::size_t i = 0; i < entries_.size() && !lentBy.empty(); ++i) {
        auto it = lentBy.find(dataSource_[i]);
        if (it != lentBy.end() && it->second != i) {
            dataSource_[i] = it->second;
            entries_[i].originalSize = entries_[it->second].originalSize;
        }
    }
}

void LibarchiveReader::FillPackedSizes(const std::vector<int64_t> &positions, bool raw)
{
    struct stat st{};
    uint64_t fileSize = stat(path_.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
    int base = probe_.format & ARCHIVE_FORMAT_BASE_MASK;
    std::vector<bool> known(entries_.size(), raw);
    if (base == ARCHIVE_FORMAT_ZIP) {
        std::vector<ZipDirectoryEntry> dir;
        if (ReadZipDirectory(path_, dir)) {
            // libarchive walks the entries in local-header order, leaving some out (resource
            // forks): match each to the next directory record of the same name or size.
            std::size_t cursor = 0;
            for (std::size_t i = 0; i < entries_.size() && cursor < dir.size(); ++i) {
                EntryInfo &e = entries_[i];
                for (std::size_t look = cursor; look < dir.size() && look < cursor + 8; ++look) {
                    const ZipDirectoryEntry &d = dir[look];
                    bool isDir = !d.rawName.empty() && d.rawName.back() == '/';
                    if (EntryNameToCp932(d.rawName) == e.name ||
                        (d.originalSize == e.originalSize && isDir == ((e.attribute & 0x10) != 0) && look == cursor)) {
                        e.crc = d.crc;
                        e.compressedSize = d.compressedSize;
                        e.method = ZipMethodName(d.method);
                        if (d.flags & 1)
                            e.encrypted = true;
                        // MS-DOS and NTFS hosts keep the attribute bits in the low byte.
                        if (d.hostSystem == 0 || d.hostSystem == 10 || d.hostSystem == 11 || d.hostSystem == 14)
                            e.attribute = (d.externalAttributes & 0x27) | (e.attribute & 0x10);
                        if (e.dosDate == 0)
                            e.dosDate = d.dosDate, e.dosTime = d.dosTime;
                        known[i] = true;
                        cursor = look + 1;
                        break;
                    }
                }
            }
        }
    }
    if (base == ARCHIVE_FORMAT_7ZIP) {
        // The header's own layout, when it agrees with libarchive's listing entry by entry
        // (links and other special entries aside, whose size libarchive reports its own way).
        std::vector<SevenZipFile> files;
        bool agree = ReadSevenZipDirectory(path_, base_, files) && files.size() == entries_.size();
        for (std::size_t i = 0; agree && i < entries_.size(); ++i)
            agree = special_[i] || !IsKnownSize(entries_[i].originalSize) || entries_[i].originalSize == files[i].size;
        for (std::size_t i = 0; agree && i < entries_.size(); ++i) {
            entries_[i].compressedSize = files[i].packedSize;
            entries_[i].packedOriginalSize = files[i].blockSize;
            known[i] = true;
        }
    }
    bool stored = probe_.filter == ARCHIVE_FILTER_NONE &&
                  (base == ARCHIVE_FORMAT_TAR || base == ARCHIVE_FORMAT_CPIO || base == ARCHIVE_FORMAT_AR);
    bool positional = base == ARCHIVE_FORMAT_RAR || base == ARCHIVE_FORMAT_RAR_V5 || base == ARCHIVE_FORMAT_ZIP;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (known[i])
            continue;
        EntryInfo &e = entries_[i];
        if (stored || e.originalSize == 0 || special_[i]) {
            e.compressedSize = e.originalSize;
        } else if (positional && !special_[i]) {
            // The span from this header to the next: the entry's packed data and its header.
            int64_t next = i + 1 < positions.size() ? positions[i + 1] : static_cast<int64_t>(fileSize);
            int64_t span = next - positions[i];
            e.compressedSize = span > 0 ? static_cast<uint64_t>(span) : kUnknownSize;
        } else {
            // Solid blocks and compressed streams (CAB, a compressed tar, a 7z header that could
            // not be read) do not tell what one entry takes; a share of the whole would be a
            // guess shown as a fact.
            e.compressedSize = kUnknownSize;
        }
    }
}

ReadError LibarchiveReader::extract(std::size_t index, const DataSink &sink)
{
    if (index >= entries_.size())
        return ReadError::Corrupt;
    if (entries_[index].encrypted)
        return ReadError::Encrypted;
    if (special_[index])
        return ReadError::NotAFile;
    if (gzipStream_)
        return ExtractGzip(path_, sink);
    bool delivered = false;
    auto counting = [&](const uint8_t *data, std::size_t size) {
        delivered = true;
        return sink(data, size);
    };
    ReadError error = extractFrom(dataSource_[index], counting, false);
    // Skipping the entries before a wanted one fails for some 7z and RAR archives where
    // reading through them works: try that before giving up, unless data was handed on.
    if (error != ReadError::None && error != ReadError::Encrypted && !delivered)
        error = extractFrom(dataSource_[index], sink, true);
    return error;
}

bool LibarchiveReader::EntrySound(std::size_t index, bool earlierToo) const
{
    if (profile_.entrySound == nullptr || index >= positions_.size())
        return true;
    return profile_.entrySound(path_.c_str(), positions_[index] + static_cast<int64_t>(base_), earlierToo, wanted);
}

ReadError LibarchiveReader::extractFrom(std::size_t target, const DataSink &sink, bool readThrough)
{
    Utf8LocaleGuard locale;
    ReadError error = ReadError::None;
    if (!EntrySound(target, readThrough))
        return ReadError::Corrupt;
    ArchivePtr a(start(error));
    if (a == nullptr)
        return error;
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kBlockSize]);
    archive_entry *entry = nullptr;
    for (std::size_t i = 0;; ++i) {
        int rc = archive_read_next_header(a.get(), &entry);
        if (rc != ARCHIVE_OK && rc != ARCHIVE_WARN)
            return ErrorOf(a.get());
        if (i == target)
            break;
        if (readThrough) {
            while (archive_read_data(a.get(), buffer.get(), kBlockSize) > 0) {
            }
        }
    }
    if (archive_entry_is_encrypted(entry))
        return ReadError::Encrypted;
    return ReadEntryData(a.get(), entry, sink);
}

bool LibarchiveReader::extractInOnePass(const std::string &path, const std::function<int(const std::string &)> &rank,
                                        const std::function<void()> &restart, const DataSink &sink)
{
    // Archives behind a program stub and single compressed files take the listing's way.
    if (profile_.plausible != nullptr && !profile_.plausible(path.c_str()))
        return false;
    Utf8LocaleGuard locale;
    ReadError error = ReadError::None;
    ArchivePtr a(OpenAt(profile_, path.c_str(), 0, &error));
    if (a == nullptr)
        return false;
    archive_entry *entry = nullptr;
    int best = 0;
    bool usable = false;   // the best entry so far was decoded
    for (std::size_t count = 0;; ++count) {
        int rc = archive_read_next_header(a.get(), &entry);
        if (rc == ARCHIVE_EOF)
            break;
        // A damaged header, an archive past the listing's limits: the listing decides.
        if ((rc != ARCHIVE_OK && rc != ARCHIVE_WARN) || count >= kMaxEntries)
            return false;
        if (count == 0 && IsRaw(a.get()))
            return false;
        mode_t type = archive_entry_filetype(entry);
        if (type == AE_IFDIR)
            continue;
        std::string name = EntryNameToCp932(RawName(entry));
        if (name.empty() || name.back() == '/')
            continue;
        int score = rank(name);
        if (score == 0 || score < best)
            continue;
        best = score;
        // Links, devices, encrypted entries and files with hard links (in cpio the data may
        // travel with a later link): the listing's extraction has the answer.
        usable = archive_entry_hardlink(entry) == nullptr && type == AE_IFREG && !archive_entry_is_encrypted(entry) &&
                 archive_entry_nlink(entry) <= 1;
        if (!usable)
            continue;
        if (profile_.entrySound != nullptr &&
            !profile_.entrySound(path.c_str(), archive_read_header_position(a.get()), false, wanted))
            return false;
        restart();
        if (ReadEntryData(a.get(), entry, sink) != ReadError::None)
            return false;
    }
    return usable;
}

bool LibarchiveReader::extractEach(const std::vector<std::size_t> &wanted, EntryReceiver &receiver)
{
    // One pass over the archive hands on each wanted entry as its header comes by. Links to
    // data seen earlier, and whatever the pass cannot reach (a header that fails, an entry
    // that fails before any data), take the one-by-one way after it. A single gzip stream is
    // checked against its trailer, which only the one-by-one way does.
    if (gzipStream_)
        return ArchiveReader::extractEach(wanted, receiver);
    std::vector<std::size_t> later;
    std::size_t next = 0;
    {
        Utf8LocaleGuard locale;
        ReadError error = ReadError::None;
        ArchivePtr a(start(error));
        archive_entry *entry = nullptr;
        for (std::size_t i = 0; a != nullptr && next < wanted.size() && i < entries_.size(); ++i) {
            int rc = archive_read_next_header(a.get(), &entry);
            if (rc != ARCHIVE_OK && rc != ARCHIVE_WARN)
                break;
            if (i != wanted[next])
                continue;
            ++next;
            if (entries_[i].encrypted || archive_entry_is_encrypted(entry)) {
                receiver.end(i, ReadError::Encrypted);
                continue;
            }
            if (special_[i]) {
                receiver.end(i, ReadError::NotAFile);
                continue;
            }
            if (dataSource_[i] != i || !EntrySound(i, false)) {
                later.push_back(i);   // the one-by-one way refuses it
                continue;
            }
            EntryReceiver::Start start = receiver.begin(i);
            if (start == EntryReceiver::Start::Stop)
                return false;
            if (start == EntryReceiver::Start::Skip)
                continue;
            bool delivered = false;
            bool stopped = false;
            ReadError result = ReadEntryData(a.get(), entry, [&](const uint8_t *data, std::size_t size) {
                delivered = true;
                stopped = !receiver.data(data, size);
                return !stopped;
            });
            if (stopped)
                return false;
            if (result != ReadError::None && !delivered) {
                // The one-by-one way reads through the entries before it, which some 7z and
                // RAR archives need; the receiver is asked again there.
                --next;
                break;
            }
            receiver.end(i, result);
            if (result != ReadError::None)
                break;
        }
    }
    later.insert(later.end(), wanted.begin() + static_cast<std::ptrdiff_t>(next), wanted.end());
    for (std::size_t index : later) {
        if (!ExtractEntryTo(*this, index, receiver))
            return false;
    }
    return true;
}

} // namespace tovik::archivers
