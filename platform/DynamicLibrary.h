// Shared objects loaded at run time: the archiver libraries.
//
// A DynamicLibrary owns one dlopen handle and closes it when destroyed. Archiver libraries
// are found by their registry name ("UNLHA32.DLL") along the archiver search path:
//   1. each folder of $TOVIK_ARCHIVERS (colon-separated), in order;
//   2. <folder of the executable>/archivers;
//   3. the install folder compiled in (<prefix>/lib/tovik/archivers).
// In each folder a name "X.DLL" matches the lower-cased stem with ".so" ("unlha32.so") or a
// file named X.DLL in any letter case; the first folder holding a match wins. Nothing else is
// compared without regard to case.
#ifndef TOVIK_PLATFORM_DYNAMICLIBRARY_H
#define TOVIK_PLATFORM_DYNAMICLIBRARY_H

#include <optional>
#include <string>
#include <vector>

namespace tovik::platform {

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary() { Unload(); }
    DynamicLibrary(const DynamicLibrary &) = delete;
    DynamicLibrary &operator=(const DynamicLibrary &) = delete;
    DynamicLibrary(DynamicLibrary &&other) noexcept;
    DynamicLibrary &operator=(DynamicLibrary &&other) noexcept;

    // Loads the file at path (a file-system path; a bare name is not searched for). Unloads
    // what was loaded before. Answers whether the library is loaded; no message on failure.
    bool Load(const std::string &path);
    // Loads an archiver library by its registry name along the search path. A name that
    // contains "/" is taken as a path and loaded as it stands.
    bool LoadArchiver(const std::string &registryName);
    void Unload();

    bool IsLoaded() const { return handle_ != nullptr; }
    void *Handle() const { return handle_; }
    // The address of an exported symbol, null when the library is not loaded or lacks it.
    void *Symbol(const char *name) const;
    void *Symbol(const std::string &name) const { return Symbol(name.c_str()); }
    // The path the library was loaded from; empty when not loaded.
    const std::string &FileName() const { return path_; }

private:
    void *handle_ = nullptr;
    std::string path_;
};

// The folder part of a path (everything before the last "/"; "/" for a file at the root;
// empty when there is no "/").
std::string FolderOf(const std::string &path);
// The folder of the running executable, from /proc/self/exe; empty when unknown.
std::string ExecutableFolder();

// The folders searched for archiver libraries, in order (see above).
std::vector<std::string> ArchiverSearchPath();
// Replaces the search path for this process (tests that must not see the installed
// libraries); std::nullopt goes back to the normal path.
void OverrideArchiverSearchPath(std::optional<std::vector<std::string>> folders);
// The file an archiver registry name resolves to along the search path, or empty.
std::string FindArchiverFile(const std::string &registryName);

} // namespace tovik::platform

#endif
