#include "WorkFolder.h"

#include <filesystem>
#include <system_error>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace tovik::platform {

bool IsOwnPrivateFolder(const std::string &path)
{
    if (path.empty())
        return false;
    struct stat st {};
    // lstat, so that a link is seen as the link and never as what it points to.
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

bool EnsurePrivateFolder(const std::string &path)
{
    if (path.empty())
        return false;
    if (::mkdir(path.c_str(), 0700) == 0)
        return IsOwnPrivateFolder(path);
    if (errno != EEXIST)
        return false;
    return IsOwnPrivateFolder(path);
}

bool RemovePrivateFolder(const std::string &path)
{
    if (!IsOwnPrivateFolder(path))
        return false;
    std::error_code ec;
    // remove_all does not follow links: a link inside is removed as a link.
    std::filesystem::remove_all(std::filesystem::path(path), ec);
    return !ec;
}

} // namespace tovik::platform
