#include "archivers/codecs/ArchiveFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovik::codecs {

namespace {
constexpr std::size_t kCacheSize = 64 * 1024;
}

ArchiveFile::~ArchiveFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool ArchiveFile::open(const std::string &path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
    size_ = static_cast<uint64_t>(st.st_size);
    cacheSize_ = 0;
    return true;
}

std::size_t ArchiveFile::readDirect(uint64_t offset, void *out, std::size_t size)
{
    if (fd_ < 0 || offset >= size_)
        return 0;
    size = static_cast<std::size_t>(std::min<uint64_t>(size, size_ - offset));
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::pread(fd_, static_cast<uint8_t *>(out) + done, size - done,
                            static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool ArchiveFile::read(uint64_t offset, void *out, std::size_t size)
{
    if (offset > size_ || size > size_ - offset)
        return false;
    if (size > kCacheSize / 2)
        return readDirect(offset, out, size) == size;
    if (offset < cacheOffset_ || offset + size > cacheOffset_ + cacheSize_) {
        if (!cache_)
            cache_ = std::make_unique<uint8_t[]>(kCacheSize);
        cacheOffset_ = offset;
        cacheSize_ = readDirect(offset, cache_.get(), kCacheSize);
        if (cacheSize_ < size)
            return false;
    }
    std::memcpy(out, cache_.get() + (offset - cacheOffset_), size);
    return true;
}

std::size_t MemoryInput::read(uint8_t *out, std::size_t size)
{
    std::size_t n = std::min(size, size_ - pos_);
    if (n)
        std::memcpy(out, data_ + pos_, n);
    pos_ += n;
    return n;
}

std::size_t FileRangeInput::read(uint8_t *out, std::size_t size)
{
    std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(size, remaining_));
    std::size_t n = file_.readDirect(offset_, out, want);
    offset_ += n;
    remaining_ -= n;
    if (n < want)
        remaining_ = 0; // the file is shorter than the header claims
    return n;
}

} // namespace tovik::codecs
