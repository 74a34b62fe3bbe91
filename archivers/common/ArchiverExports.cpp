#include "archivers/common/ArchiverExports.h"

#include "archivers/common/CommandLine.h"
#include "archivers/common/DosTime.h"
#include "archivers/common/LeafName.h"
#include "archivers/common/Messages.h"
#include "archivers/common/SafeFileWriter.h"
#include "platform/Cp932.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <functional>
#include <mutex>
#include <new>
#include <sys/stat.h>

namespace tovik::archivers {
namespace {

constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);

// One open archive. The whole listing is read by OpenArchive, so walking it and every getter
// cost constant time.
struct OpenArc {
    uintptr_t handle = 0;
    std::shared_ptr<ArchiveReader> reader;
    std::string pattern;
    bool matchAll = true;
    std::size_t current = kNoEntry;
};

// Handles name a slot and a serial number, so that a stale or made-up handle finds nothing
// instead of freed memory.
constexpr std::size_t kSlots = 255;
std::atomic<OpenArc *> g_slots[kSlots];
std::atomic<uintptr_t> g_serial{1};
std::atomic<int> g_running{0};

OpenArc *Lookup(LX_HARC arc)
{
    uintptr_t h = reinterpret_cast<uintptr_t>(arc);
    std::size_t slot = h & 0xFF;
    if (slot == 0 || slot > kSlots)
        return nullptr;
    OpenArc *p = g_slots[slot - 1].load(std::memory_order_acquire);
    return p != nullptr && p->handle == h ? p : nullptr;
}

const EntryInfo *Current(LX_HARC arc)
{
    OpenArc *p = Lookup(arc);
    if (p == nullptr || p->current == kNoEntry)
        return nullptr;
    const auto &entries = p->reader->entries();
    return p->current < entries.size() ? &entries[p->current] : nullptr;
}

// The listing of the archive this library opened last. The viewer lists an archive and then
// extracts from it, often many times; as long as the file is unchanged, an extraction finds
// its entry here instead of reading the whole archive once more.
struct ListingCache {
    std::mutex lock;
    std::string path;
    struct stat identity{};
    std::shared_ptr<ArchiveReader> reader;
};

ListingCache &Cache()
{
    static ListingCache cache;
    return cache;
}

bool SameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

void Remember(const std::string &path, const std::shared_ptr<ArchiveReader> &reader)
{
    struct stat st{};
    if (stat(path.c_str(), &st) != 0)
        return;
    ListingCache &cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    cache.path = path;
    cache.identity = st;
    cache.reader = reader;
}

std::shared_ptr<ArchiveReader> Recall(const std::string &path, const struct stat &st)
{
    ListingCache &cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    if (cache.reader != nullptr && cache.path == path && SameFile(cache.identity, st))
        return cache.reader;
    return nullptr;
}

class RunningScope {
public:
    RunningScope() { g_running.fetch_add(1); }
    ~RunningScope() { g_running.fetch_sub(1); }
};

// The archive and entry a command names, after trying each reading of the line.
struct Resolved {
    std::shared_ptr<ArchiveReader> reader;
    std::size_t index = 0;
    const CommandTarget *target = nullptr;
};

Message Resolve(const LibraryInfo &info, const std::vector<CommandTarget> &targets, Resolved &out)
{
    // The most telling failure wins: a missing entry over a broken archive over a missing one.
    Message failure = Message::ArchiveNotFound;
    int rank = 0;
    std::string openedPath;
    std::shared_ptr<ArchiveReader> reader;
    ReadError openError = ReadError::NotFound;
    for (const CommandTarget &t : targets) {
        struct stat st{};
        if (stat(t.archive.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (reader == nullptr || t.archive != openedPath) {
            openedPath = t.archive;
            reader = Recall(t.archive, st);
            openError = ReadError::None;
            if (reader == nullptr) {
                reader = info.createReader();
                openError = reader->open(t.archive);
                if (openError == ReadError::None)
                    Remember(t.archive, reader);
            }
        }
        if (openError != ReadError::None) {
            if (rank < 1) {
                rank = 1;
                failure = openError == ReadError::NotFound ? Message::ArchiveNotFound : MessageFor(openError);
            }
            continue;
        }
        std::optional<std::size_t> index = FindEntry(reader->entries(), t.entry);
        if (!index) {
            rank = 2;
            failure = Message::EntryNotFound;
            continue;
        }
        out.reader = std::move(reader);
        out.index = *index;
        out.target = &t;
        return Message::Extracted;
    }
    return failure;
}

Message ExtractToFolder(Resolved &r)
{
    const EntryInfo &entry = r.reader->entries()[r.index];
    if (entry.encrypted)
        return Message::Encrypted;
    std::optional<std::string> leaf = CleanLeafName(entry.name);
    if (!leaf)
        return Message::BadName;
    std::string folder = r.target->folder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    SafeFileWriter writer;
    if (!writer.open(folder, *leaf))
        return Message::WriteFailed;
    // A declared size the disk cannot hold is refused before a byte is written (the holes of
    // a sparse entry take no room).
    if (!entry.sparse && IsKnownSize(entry.originalSize) && entry.originalSize > writer.available())
        return Message::NoSpace;
    bool writeFailed = false;
    // Null data is a hole: the writer seeks over it.
    ReadError error = r.reader->extract(r.index, [&](const uint8_t *data, std::size_t size) {
        if (!writer.write(data, size)) {
            writeFailed = true;
            return false;
        }
        return true;
    });
    if (writeFailed)
        return Message::WriteFailed;
    if (error != ReadError::None)
        return MessageFor(error);
    if (!writer.commit(DosToUnixTime(entry.dosDate, entry.dosTime)))
        return Message::WriteFailed;
    return Message::Extracted;
}

bool IsMatchAll(std::string_view pattern)
{
    return pattern.empty() || pattern == "*" || pattern == "*.*";
}

bool WildcardMatch(std::string_view p, std::string_view s)
{
    std::size_t pi = 0, si = 0, star = std::string_view::npos, mark = 0;
    while (si < s.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == s[si])) {
            ++pi;
            ++si;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = si;
        } else if (star != std::string_view::npos) {
            pi = star + 1;
            si = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*')
        ++pi;
    return pi == p.size();
}

// The listing progress of the calling thread's opens ("SetListProgress").
thread_local LxArcListProgressProc t_listProgress = nullptr;
thread_local void *t_listProgressUser = nullptr;

int32_t Step(OpenArc *p, std::size_t from)
{
    const auto &entries = p->reader->entries();
    for (std::size_t i = from; i < entries.size(); ++i) {
        if (p->matchAll || WildcardMatch(p->pattern, entries[i].name)) {
            p->current = i;
            return 0;
        }
    }
    p->current = kNoEntry;
    return p->reader->listingCut() ? LX_ARC_END_DAMAGED : -1;
}

// Passes extractEach's calls on to a library caller's procedure.
class ProcReceiver : public EntryReceiver {
public:
    ProcReceiver(LxArcEachProc proc, void *user, const std::vector<EntryInfo> &entries)
        : proc_(proc), user_(user), entries_(entries)
    {
    }
    Start begin(std::size_t index) override
    {
        current_ = static_cast<uint32_t>(index);
        const bool sparse = index < entries_.size() && entries_[index].sparse;
        int32_t answer = proc_(user_, current_, LX_EACH_BEGIN, nullptr, sparse ? LX_EACH_SPARSE : 0);
        if (answer == LX_EACH_TAKE)
            return Start::Take;
        if (answer == LX_EACH_SKIP)
            return Start::Skip;
        stopped_ = true;
        return Start::Stop;
    }
    bool data(const uint8_t *bytes, std::size_t size) override
    {
        // A hole of a sparse entry (null data) is its own event: a data call always carries
        // bytes, and the caller may leave the hole unwritten.
        return hand(bytes, size, bytes == nullptr ? LX_EACH_HOLE : LX_EACH_DATA);
    }
    void end(std::size_t index, ReadError result) override
    {
        if (result == ReadError::None) {
            proc_(user_, static_cast<uint32_t>(index), LX_EACH_DONE, nullptr, 0);
            return;
        }
        std::string text = platform::Utf8ToCp932(MessageText(MessageFor(result)));
        proc_(user_, static_cast<uint32_t>(index), LX_EACH_FAILED, reinterpret_cast<const uint8_t *>(text.data()),
              static_cast<LX_DWORD>(text.size()));
    }
    bool stopped() const { return stopped_; }

private:
    bool hand(const uint8_t *bytes, std::size_t size, int32_t event)
    {
        // Blocks above 4 GiB do not occur (libarchive hands at most its buffer), but the size
        // type of the call is 32 bits: split anyway.
        while (size > 0) {
            LX_DWORD n = size > 0x40000000u ? 0x40000000u : static_cast<LX_DWORD>(size);
            if (proc_(user_, current_, event, bytes, n) != LX_EACH_TAKE) {
                stopped_ = true;
                return false;
            }
            if (bytes != nullptr)
                bytes += n;
            size -= n;
        }
        return true;
    }

    LxArcEachProc proc_;
    void *user_;
    const std::vector<EntryInfo> &entries_;
    uint32_t current_ = 0;
    bool stopped_ = false;
};

} // namespace

int32_t ExtractEach(LX_HARC arc, const uint32_t *positions, uint32_t count, LxArcEachProc proc, void *user)
{
    OpenArc *p = Lookup(arc);
    if (p == nullptr || proc == nullptr || (positions == nullptr && count > 0))
        return -1;
    RunningScope running;
    try {
        std::vector<std::size_t> wanted(positions, positions + count);
        for (std::size_t i = 0; i < wanted.size(); ++i)
            if (wanted[i] >= p->reader->entries().size() || (i > 0 && wanted[i] <= wanted[i - 1]))
                return -1;
        ProcReceiver receiver(proc, user, p->reader->entries());
        bool completed = p->reader->extractEach(wanted, receiver);
        return completed && !receiver.stopped() ? 0 : 1;
    } catch (...) {
        return -1;
    }
}

// The share of the original that the packed data takes (not the share saved), as the rate
// column shows it; in 128 bits so that no pair of 64-bit sizes overflows.
LX_WORD RatioOf(uint64_t original, uint64_t compressed)
{
    if (original == 0 || !IsKnownSize(original) || !IsKnownSize(compressed))
        return 0;
    unsigned __int128 r = static_cast<unsigned __int128>(compressed) * 1000 / original;
    return r > 0xFFFF ? 0xFFFF : static_cast<LX_WORD>(r);
}

bool MatchesPattern(std::string_view pattern, std::string_view name)
{
    return IsMatchAll(pattern) || WildcardMatch(pattern, name);
}

// How well a stored name answers a requested one: 3 the same bytes, 2 the same after
// separators are unified, 1 the same as the request (read as UTF-8) in CP932, 0 no.
std::function<int(const std::string &)> EntryRanker(const std::string &name)
{
    std::string wanted = NormalizeSeparators(name);
    std::string cp932;
    bool ascii = true;
    for (unsigned char c : name)
        ascii = ascii && c < 0x80;
    if (!ascii && platform::IsValidUtf8(name))
        cp932 = NormalizeSeparators(platform::Utf8ToCp932(name));
    return [name, wanted, cp932](const std::string &stored) {
        if (stored == name)
            return 3;
        // Unifying separators keeps the length: most names are passed over without it.
        if (stored.size() != wanted.size() && stored.size() != cp932.size())
            return 0;
        std::string loose = NormalizeSeparators(stored);
        if (loose == wanted)
            return 2;
        return !cp932.empty() && loose == cp932 ? 1 : 0;
    };
}

std::optional<std::size_t> FindEntry(const std::vector<EntryInfo> &entries, std::string_view name)
{
    if (name.empty())
        return std::nullopt;
    // The last file of the best rank wins, as when the archive is unpacked in order: a later
    // member replaces an earlier one (a link followed by a file of the same name gives the file).
    const auto rank = EntryRanker(std::string(name));
    std::optional<std::size_t> found;
    int best = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const EntryInfo &e = entries[i];
        if (e.name.empty() || e.name.back() == '/' || (e.attribute & LX_FA_DIREC))
            continue;
        const int score = rank(e.name);
        if (score > 0 && score >= best) {
            best = score;
            found = i;
        }
    }
    return found;
}

int32_t RunCommand(const LibraryInfo &info, LX_HWND, const char *cmdLine, char *output, LX_DWORD size)
{
    RunningScope running;
    Message result = Message::Corrupt;
    try {
        ParsedCommand cmd = ParseExtractCommand(cmdLine != nullptr ? cmdLine : "");
        if (!cmd.extract || cmd.targets.empty()) {
            result = Message::BadCommand;
        } else {
            Resolved r;
            result = Resolve(info, cmd.targets, r);
            if (result == Message::Extracted)
                result = ExtractToFolder(r);
        }
    } catch (const std::bad_alloc &) {
        result = Message::OutOfMemory;
    } catch (...) {
        result = Message::Corrupt;
    }
    WriteMessage(output, size, MessageText(result));
    return result == Message::Extracted ? 0 : 0x8000 + static_cast<int32_t>(result);
}

LX_WORD GetVersion(const LibraryInfo &info)
{
    return info.version;
}

LX_BOOL GetRunning()
{
    return g_running.load() > 0 ? 1 : 0;
}

LX_BOOL CheckArchive(const LibraryInfo &info, const char *path, int32_t mode)
{
    if (path == nullptr || info.checkArchive == nullptr)
        return 0;
    try {
        return info.checkArchive(path, mode) != 0 ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int32_t GetArchiveType(const LibraryInfo &info, const char *path)
{
    if (path == nullptr || info.getArchiveType == nullptr)
        return 0;
    try {
        return info.getArchiveType(path);
    } catch (...) {
        return 0;
    }
}

LX_HARC OpenArchive(const LibraryInfo &info, LX_HWND, const char *path, LX_DWORD)
{
    if (path == nullptr)
        return nullptr;
    try {
        auto arc = std::make_unique<OpenArc>();
        // An archive listed a moment ago and unchanged since (the viewer lists it, then
        // extracts from it) is not read through once more.
        struct stat st{};
        if (stat(path, &st) == 0 && S_ISREG(st.st_mode))
            arc->reader = Recall(path, st);
        if (arc->reader == nullptr) {
            arc->reader = info.createReader();
            if (arc->reader == nullptr)
                return nullptr;
            if (LxArcListProgressProc proc = t_listProgress) {
                void *user = t_listProgressUser;
                arc->reader->onListed = [proc, user](std::size_t listed) {
                    return proc(user, static_cast<int32_t>(std::min<std::size_t>(listed, INT32_MAX))) == 0;
                };
            }
            const ReadError opened = arc->reader->open(path);
            arc->reader->onListed = nullptr;
            if (opened != ReadError::None)
                return nullptr;
            Remember(path, arc->reader);
        }
        for (std::size_t slot = 0; slot < kSlots; ++slot) {
            OpenArc *expected = nullptr;
            uintptr_t handle = (g_serial.fetch_add(1) << 8) | (slot + 1);
            arc->handle = handle;
            if (g_slots[slot].compare_exchange_strong(expected, arc.get())) {
                arc.release();
                return reinterpret_cast<LX_HARC>(handle);
            }
        }
    } catch (...) {
    }
    return nullptr;
}

void SetListProgress(LxArcListProgressProc proc, void *user)
{
    t_listProgress = proc;
    t_listProgressUser = proc != nullptr ? user : nullptr;
}

int32_t CloseArchive(LX_HARC arc)
{
    OpenArc *p = Lookup(arc);
    if (p == nullptr)
        return -1;
    std::size_t slot = (reinterpret_cast<uintptr_t>(arc) & 0xFF) - 1;
    OpenArc *expected = p;
    if (!g_slots[slot].compare_exchange_strong(expected, nullptr))
        return -1;
    delete p;
    return 0;
}

int32_t FindFirst(LX_HARC arc, const char *pattern, void *)
{
    OpenArc *p = Lookup(arc);
    if (p == nullptr)
        return -1;
    try {
        p->pattern = pattern != nullptr ? pattern : "";
    } catch (...) {
        return -1;
    }
    p->matchAll = IsMatchAll(p->pattern);
    return Step(p, 0);
}

int32_t FindNext(LX_HARC arc, void *)
{
    OpenArc *p = Lookup(arc);
    if (p == nullptr || p->current == kNoEntry)
        return -1;
    return Step(p, p->current + 1);
}

int32_t GetFileName(LX_HARC arc, char *buffer, int32_t size)
{
    const EntryInfo *e = Current(arc);
    if (e == nullptr || buffer == nullptr || size <= 0)
        return -1;
    // A name that does not fit whole is an error: a shortened path would name another entry.
    if (e->name.size() + 1 > static_cast<std::size_t>(size)) {
        buffer[0] = '\0';
        return -1;
    }
    std::memcpy(buffer, e->name.data(), e->name.size());
    buffer[e->name.size()] = '\0';
    return 0;
}

namespace {

// A 32-bit size: 0xFFFFFFFF stands for unknown, and for any size that does not fit.
LX_DWORD Size32(const EntryInfo *e, uint64_t size)
{
    if (e == nullptr || !IsKnownSize(size) || size > 0xFFFFFFFFu)
        return 0xFFFFFFFFu;
    return static_cast<LX_DWORD>(size);
}

// A 64-bit size: -1 stands for unknown.
LX_BOOL Size64(const EntryInfo *e, uint64_t EntryInfo::*field, int64_t *size)
{
    if (e == nullptr || size == nullptr)
        return 0;
    *size = IsKnownSize(e->*field) ? static_cast<int64_t>(e->*field) : -1;
    return 1;
}

} // namespace

LX_DWORD GetOriginalSize(LX_HARC arc)
{
    const EntryInfo *e = Current(arc);
    return Size32(e, e != nullptr ? e->originalSize : 0);
}

LX_DWORD GetCompressedSize(LX_HARC arc)
{
    const EntryInfo *e = Current(arc);
    return Size32(e, e != nullptr ? e->compressedSize : 0);
}

LX_BOOL GetOriginalSizeEx(LX_HARC arc, int64_t *size)
{
    return Size64(Current(arc), &EntryInfo::originalSize, size);
}

LX_BOOL GetCompressedSizeEx(LX_HARC arc, int64_t *size)
{
    return Size64(Current(arc), &EntryInfo::compressedSize, size);
}

LX_WORD GetRatio(LX_HARC arc)
{
    const EntryInfo *e = Current(arc);
    if (e == nullptr)
        return 0;
    // A solid block's packed size sits on its first entry: its rate is the block's.
    return RatioOf(e->packedOriginalSize != 0 ? e->packedOriginalSize : e->originalSize, e->compressedSize);
}

LX_WORD GetDate(LX_HARC arc)
{
    const EntryInfo *e = Current(arc);
    return e != nullptr ? e->dosDate : 0;
}

LX_WORD GetTime(LX_HARC arc)
{
    const EntryInfo *e = Current(arc);
    return e != nullptr ? e->dosTime : 0;
}

int32_t GetAttribute(LX_HARC arc)
{
    const EntryInfo *e = Current(arc);
    return e != nullptr ? static_cast<int32_t>(e->attribute) : -1;
}

LX_DWORD GetCRC(LX_HARC arc)
{
    const EntryInfo *e = Current(arc);
    return e != nullptr ? e->crc : 0;
}

int32_t GetMethod(LX_HARC arc, char *buffer, int32_t size)
{
    const EntryInfo *e = Current(arc);
    if (e == nullptr || buffer == nullptr || size <= 0 || e->method.size() + 1 > static_cast<std::size_t>(size))
        return -1;
    std::memcpy(buffer, e->method.data(), e->method.size());
    buffer[e->method.size()] = '\0';
    return 0;
}

int32_t ExtractMem(const LibraryInfo &info, LX_HWND, const char *cmdLine, uint8_t *buffer, LX_DWORD size, void *,
                   LX_WORD *attr, LX_DWORD *written)
{
    RunningScope running;
    if (written != nullptr)
        *written = 0;
    auto fail = [&](Message m) {
        WriteMessage(reinterpret_cast<char *>(buffer), size, MessageText(m));
        return -1;
    };
    try {
        ParsedCommand cmd = ParseMemoryCommand(cmdLine != nullptr ? cmdLine : "");
        if (cmd.targets.empty())
            return fail(Message::BadCommand);
        std::size_t filled = 0;
        auto fill = [&](const uint8_t *data, std::size_t n) {
            std::size_t take = n < size - filled ? n : size - filled;
            if (data != nullptr)
                std::memcpy(buffer + filled, data, take);
            else
                std::memset(buffer + filled, 0, take);
            filled += take;
            return filled < size;
        };
        // An archive not listed yet is read once, finding the entry on the way, instead of
        // being listed first and read again up to the entry. The attribute needs the listing.
        if (cmd.targets.size() == 1 && buffer != nullptr && size > 0 && attr == nullptr &&
            !cmd.targets[0].entry.empty()) {
            const CommandTarget &t = cmd.targets[0];
            struct stat st{};
            if (buffer != nullptr && stat(t.archive.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            Recall(t.archive, st) == nullptr) {
                std::unique_ptr<ArchiveReader> reader = info.createReader();
                if (reader != nullptr)
                    reader->wanted = size;
                if (reader != nullptr &&
                    reader->extractInOnePass(t.archive, EntryRanker(t.entry), [&] { filled = 0; }, fill)) {
                    if (written != nullptr)
                        *written = static_cast<LX_DWORD>(filled);
                    return 0;
                }
                filled = 0;
            }
        }
        Resolved r;
        Message m = Resolve(info, cmd.targets, r);
        if (m != Message::Extracted)
            return fail(m);
        const EntryInfo &entry = r.reader->entries()[r.index];
        if (entry.encrypted)
            return fail(Message::Encrypted);
        // Even into no room at all: an entry listed as empty that holds data is damaged, and
        // a link is no file.
        // The reader may be kept for the next call: it is told the buffer's size for this one only.
        struct WantedScope {
            ArchiveReader &reader;
            ~WantedScope() { reader.wanted = UINT64_MAX; }
        } scope{*r.reader};
        r.reader->wanted = size;
        ReadError error = r.reader->extract(r.index, fill);
        if (error != ReadError::None)
            return fail(MessageFor(error));
        if (written != nullptr)
            *written = static_cast<LX_DWORD>(filled);
        if (attr != nullptr)
            *attr = static_cast<LX_WORD>(entry.attribute);
        return 0;
    } catch (const std::bad_alloc &) {
        return fail(Message::OutOfMemory);
    } catch (...) {
        return fail(Message::Corrupt);
    }
}

} // namespace tovik::archivers
