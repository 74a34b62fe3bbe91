// tovik-arc cat ARCHIVE ENTRY
//
// The entry's bytes on standard output, extracted into memory through the wrapper as the
// viewer's text view does (the whole entry, not only its first 1,000,000 bytes). Memory is
// never sized after what an archive declares beyond a fixed cap: a larger entry, one of
// unknown size, one that turns out larger than listed, and any entry of a library without
// memory extraction are extracted into a private temporary folder (refused when its declared
// size exceeds the free space there) and streamed out in fixed-size blocks, then removed.
#include "Commands.h"
#include "EntryLookup.h"

#include "archive/LxArcImpl.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovik::arc {
namespace {

// The first, listing-free attempt's buffer: 32 times the archive, within these bounds.
constexpr uint64_t kFirstBufferMin = 4u << 20;
constexpr uint64_t kFirstBufferMax = 256u << 20;
// The largest entry extracted into memory once listed; larger ones go through a folder.
constexpr int64_t kMemoryCap = 256 << 20;

// Anonymous memory that is only backed where written, in large pages where the system offers
// them: filling a megabyte then costs a few page faults instead of hundreds.
struct MappedBuffer {
    explicit MappedBuffer(std::size_t bytes) : size(bytes)
    {
        void *p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            return;
        madvise(p, size, MADV_HUGEPAGE);
        data = static_cast<char *>(p);
    }
    ~MappedBuffer()
    {
        if (data != nullptr)
            munmap(data, size);
    }
    MappedBuffer(const MappedBuffer &) = delete;
    MappedBuffer &operator=(const MappedBuffer &) = delete;
    char *data = nullptr;
    std::size_t size;
};

bool WriteAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Extracts to a temporary folder and copies the one file it holds to standard output.
int CatThroughFolder(TLxArchiveBase &wrapper, const std::string &path, const FoundEntry &entry)
{
    char tmpl[] = "/tmp/tovik-arc-cat-XXXXXX";
    if (mkdtemp(tmpl) == nullptr)
        return Fail("一時フォルダを作成できません (cannot create a temporary folder)");
    std::string folder = tmpl;
    std::string message;
    bool ok = wrapper.ExtractFile(nullptr, path, entry.storedName, folder + "/", message);
    int status = kExitOk;
    DIR *dir = opendir(folder.c_str());
    std::string file;
    while (dirent *d = dir != nullptr ? readdir(dir) : nullptr)
        if (d->d_name[0] != '.' || (d->d_name[1] != '\0' && (d->d_name[1] != '.' || d->d_name[2] != '\0')))
            file = folder + "/" + d->d_name;
    if (dir != nullptr)
        closedir(dir);
    if (!ok || file.empty()) {
        status = Fail(path + ": " + ToUtf8(message));
    } else {
        int fd = open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        char buffer[65536];
        ssize_t n;
        while (fd >= 0 && (n = read(fd, buffer, sizeof buffer)) > 0)
            if (!WriteAll(STDOUT_FILENO, buffer, static_cast<size_t>(n))) {
                status = Fail("標準出力に書き込めません (cannot write to standard output)");
                break;
            }
        if (fd >= 0)
            close(fd);
        unlink(file.c_str());
    }
    rmdir(folder.c_str());
    return status;
}

} // namespace

int CatCommand(const Arguments &args)
{
    if (args.size() != 2)
        return UsageError("cat");
    const std::string &path = args[0];
    TLxArcImpl impl;
    if (!ChooseLibrary(impl, path))
        return kExitFailure;
    std::unique_ptr<TLxArchiveBase> wrapper = impl.Registry().CreateWrapper(impl.Registry().CurrentItem());
    if (!wrapper)
        return Fail(path + ": 書庫を開けません (the library cannot be loaded)");
    const bool inMemory = wrapper->SupportsMemoryExtraction();
    // First without a listing: the library finds the entry as it reads the archive, into a
    // buffer sized after the archive (left uninitialised: only what is written is touched).
    // An entry that fills it, a failure or a library without memory extraction go the
    // listing's way below.
    if (inMemory) {
        struct stat st{};
        if (stat(path.c_str(), &st) == 0) {
            uint64_t guess = static_cast<uint64_t>(st.st_size) * 32;
            guess = guess < kFirstBufferMin ? kFirstBufferMin : guess > kFirstBufferMax ? kFirstBufferMax : guess;
            MappedBuffer buffer(guess);
            uint32_t written = 0;
            if (buffer.data != nullptr &&
                wrapper->ExtractMemTo(nullptr, path, args[1], buffer.data, static_cast<uint32_t>(guess), written) == 0 &&
                written < guess) {
                if (!WriteAll(STDOUT_FILENO, buffer.data, written))
                    return Fail("標準出力に書き込めません (cannot write to standard output)");
                return kExitOk;
            }
        }
    }
    FoundEntry entry;
    if (!FindArchiveEntry(impl, path, args[1], entry, true))
        return kExitFailure;
    // A fresh wrapper for the extraction, as the viewer makes one.
    wrapper = impl.Registry().CreateWrapper(impl.Registry().CurrentItem());
    if (!wrapper)
        return Fail(path + ": 書庫を開けません (the library cannot be loaded)");
    if (inMemory && entry.originalSize >= 0 && entry.originalSize < kMemoryCap) {
        // One byte more than listed: an entry that holds more than its listing shows itself
        // here and goes the folder's way, which takes whatever it holds. Never less than a
        // message needs.
        const auto listed = static_cast<std::size_t>(entry.originalSize);
        const std::size_t size = std::max<std::size_t>(listed + 1, LX_ARC_OUTPUT_SIZE);
        MappedBuffer buffer(size);
        if (buffer.data == nullptr)
            return Fail(path + ": メモリが不足しています (out of memory)");
        uint32_t written = 0;
        if (wrapper->ExtractMemTo(nullptr, path, entry.storedName, buffer.data, static_cast<uint32_t>(size), written) != 0) {
            buffer.data[size - 1] = '\0';
            return Fail(path + ": " + ToUtf8(buffer.data));
        }
        if (written <= listed) {
            if (!WriteAll(STDOUT_FILENO, buffer.data, written))
                return Fail("標準出力に書き込めません (cannot write to standard output)");
            return kExitOk;
        }
    }
    return CatThroughFolder(*wrapper, path, entry);
}

} // namespace tovik::arc
