#include "archivers/common/SafeFileWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tovik::archivers {

bool MakeFolders(const std::string &folder)
{
    if (folder.empty())
        return false;
    struct stat st{};
    if (stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    // Create each missing level from the top down.
    for (std::size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos < folder.size() && folder[pos] != '/')
            continue;
        std::string part = folder.substr(0, pos);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

SafeFileWriter::~SafeFileWriter()
{
    abort();
}

bool SafeFileWriter::open(const std::string &folder, const std::string &leaf)
{
    abort();
    if (leaf.empty() || leaf == "." || leaf == ".." || leaf.find('/') != std::string::npos || !MakeFolders(folder))
        return false;
    dirFd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd_ < 0)
        return false;
    leaf_ = leaf;
    written_ = 0;
    std::random_device random;
    for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, ".tovik-%08x%08x.part", random(), random());
        fd_ = openat(dirFd_, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            tempName_ = name;
        else if (errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        ::close(dirFd_);
        dirFd_ = -1;
        return false;
    }
    return true;
}

bool SafeFileWriter::write(const uint8_t *data, std::size_t size)
{
    if (fd_ < 0)
        return false;
    if (size > static_cast<uint64_t>(INT64_MAX) - written_)
        return false;
    written_ += size;
    // Holes, and runs of zeros, become holes of the file, not blocks; commit gives the file
    // its whole length even when it ends in one.
    if (data == nullptr || (size >= 4096 && data[0] == 0 && std::memcmp(data, data + 1, size - 1) == 0))
        return lseek(fd_, static_cast<off_t>(written_), SEEK_SET) >= 0;
    while (size > 0) {
        ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

uint64_t SafeFileWriter::available() const
{
    struct statvfs vfs{};
    if (dirFd_ < 0 || fstatvfs(dirFd_, &vfs) != 0)
        return UINT64_MAX;
    return static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
}

bool SafeFileWriter::commit(std::time_t mtime)
{
    if (fd_ < 0)
        return false;
    if (ftruncate(fd_, static_cast<off_t>(written_)) != 0) {
        abort();
        return false;
    }
    if (mtime != -1) {
        timespec times[2] = {{0, UTIME_OMIT}, {mtime, 0}};
        futimens(fd_, times);
    }
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        abort();
        return false;
    }
    struct stat st{};
    if (fstatat(dirFd_, leaf_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
        abort();
        return false;
    }
    // rename replaces the directory entry itself: a symbolic link there is never followed.
    if (renameat(dirFd_, tempName_.c_str(), dirFd_, leaf_.c_str()) != 0) {
        abort();
        return false;
    }
    tempName_.clear();
    ::close(dirFd_);
    dirFd_ = -1;
    return true;
}

void SafeFileWriter::abort()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (dirFd_ >= 0) {
        if (!tempName_.empty())
            unlinkat(dirFd_, tempName_.c_str(), 0);
        ::close(dirFd_);
        dirFd_ = -1;
    }
    tempName_.clear();
}

} // namespace tovik::archivers
