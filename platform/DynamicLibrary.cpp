#include "DynamicLibrary.h"

#include <dirent.h>
#include <dlfcn.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

#ifndef TOVIK_ARCHIVER_INSTALL_DIR
#define TOVIK_ARCHIVER_INSTALL_DIR "/usr/local/lib/tovik/archivers"
#endif
#ifndef TOVIK_ARCHIVER_DIR_FROM_BIN
#define TOVIK_ARCHIVER_DIR_FROM_BIN "../lib/tovik/archivers"
#endif

namespace tovik::platform {
namespace {

std::mutex overrideMutex;
std::optional<std::vector<std::string>> searchOverride;

bool IsRegularFile(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string LowerAscii(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// "UNLHA32.DLL" -> "unlha32.so"; a name without ".DLL" gets ".so" appended to its lower case.
std::string SharedObjectName(const std::string &registryName)
{
    std::string lower = LowerAscii(registryName);
    if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".dll") == 0)
        lower.resize(lower.size() - 4);
    return lower + ".so";
}

} // namespace

DynamicLibrary::DynamicLibrary(DynamicLibrary &&other) noexcept : handle_(other.handle_), path_(std::move(other.path_))
{
    other.handle_ = nullptr;
    other.path_.clear();
}

DynamicLibrary &DynamicLibrary::operator=(DynamicLibrary &&other) noexcept
{
    if (this != &other) {
        Unload();
        handle_ = other.handle_;
        path_ = std::move(other.path_);
        other.handle_ = nullptr;
        other.path_.clear();
    }
    return *this;
}

bool DynamicLibrary::Load(const std::string &path)
{
    Unload();
    if (path.empty())
        return false;
    // RTLD_LOCAL: two libraries may define the same internal names; RTLD_NOW: a library with
    // unresolved symbols fails here, not in the middle of a call.
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_)
        path_ = path;
    return handle_ != nullptr;
}

bool DynamicLibrary::LoadArchiver(const std::string &registryName)
{
    if (registryName.find('/') != std::string::npos)
        return Load(registryName);
    Unload();
    std::string file = FindArchiverFile(registryName);
    return !file.empty() && Load(file);
}

void DynamicLibrary::Unload()
{
    if (handle_) {
        dlclose(handle_);
        handle_ = nullptr;
    }
    path_.clear();
}

void *DynamicLibrary::Symbol(const char *name) const
{
    if (!handle_ || !name)
        return nullptr;
    return dlsym(handle_, name);
}

std::string FolderOf(const std::string &path)
{
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string ExecutableFolder()
{
    std::string buffer(4096, '\0');
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0)
        return {};
    buffer.resize(static_cast<size_t>(n));
    return FolderOf(buffer);
}

std::vector<std::string> ArchiverSearchPath()
{
    {
        std::lock_guard<std::mutex> lock(overrideMutex);
        if (searchOverride)
            return *searchOverride;
    }
    std::vector<std::string> folders;
    if (const char *env = std::getenv("TOVIK_ARCHIVERS")) {
        std::string list = env;
        size_t start = 0;
        while (start <= list.size()) {
            size_t colon = list.find(':', start);
            if (colon == std::string::npos)
                colon = list.size();
            if (colon > start)
                folders.push_back(list.substr(start, colon - start));
            start = colon + 1;
        }
    }
    std::string exe = ExecutableFolder();
    if (!exe.empty()) {
        folders.push_back(exe + "/archivers");
        // The install prefix as the program finds itself in it: <prefix>/bin/tovik. Written
        // without "..", since the folder is shown to the user.
        folders.push_back((std::filesystem::path(exe) / TOVIK_ARCHIVER_DIR_FROM_BIN).lexically_normal().string());
    }
    folders.push_back(TOVIK_ARCHIVER_INSTALL_DIR);
    return folders;
}

void OverrideArchiverSearchPath(std::optional<std::vector<std::string>> folders)
{
    std::lock_guard<std::mutex> lock(overrideMutex);
    searchOverride = std::move(folders);
}

std::string FindArchiverFile(const std::string &registryName)
{
    if (registryName.empty())
        return {};
    const std::string soName = SharedObjectName(registryName);
    for (const std::string &folder : ArchiverSearchPath()) {
        std::string candidate = folder + "/" + soName;
        if (IsRegularFile(candidate))
            return candidate;
        // The Windows name in any letter case, as a user may have copied it.
        DIR *dir = opendir(folder.c_str());
        if (!dir)
            continue;
        std::string found;
        while (dirent *entry = readdir(dir)) {
            if (strcasecmp(entry->d_name, registryName.c_str()) == 0) {
                std::string path = folder + "/" + entry->d_name;
                if (IsRegularFile(path)) {
                    found = path;
                    break;
                }
            }
        }
        closedir(dir);
        if (!found.empty())
            return found;
    }
    return {};
}

} // namespace tovik::platform
