// A built archiver library loaded for a test, with its calls looked up by prefix, and the
// few steps the tests take through them.
#ifndef TOVIK_TESTS_ARCHIVERLIBRARY_H
#define TOVIK_TESTS_ARCHIVERLIBRARY_H

#include "archive/LxArcDefine.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ListedEntry {
    std::string name;   // CP932
    int64_t originalSize = 0;
    int64_t compressedSize = 0;
    uint32_t crc = 0;
    int32_t attribute = 0;
    uint16_t date = 0, time = 0;
    uint16_t ratio = 0;
};

class ArchiverLibrary {
public:
    ArchiverLibrary(const std::string &file, const std::string &prefix);
    ~ArchiverLibrary();
    ArchiverLibrary(const ArchiverLibrary &) = delete;
    ArchiverLibrary &operator=(const ArchiverLibrary &) = delete;

    bool loaded() const { return handle_ != nullptr; }
    const std::string &prefix() const { return prefix_; }
    void *symbol(const std::string &suffix) const;

    bool check(const std::string &path) const;
    int32_t archiveType(const std::string &path) const;   // 0 when not exported
    // Every entry, or nothing when the archive does not open.
    std::optional<std::vector<ListedEntry>> list(const std::string &path) const;
    // ExtractMem into a buffer of capacity bytes; the result code, and the bytes or the message.
    int32_t extractMem(const std::string &path, const std::string &entry, std::size_t capacity, std::string &out) const;
    // The command entry; the result code and the message (UTF-8).
    int32_t command(const std::string &line, std::string &message) const;
    int32_t extract(const std::string &path, const std::string &folder, const std::string &entry, std::string &message) const;

private:
    void *handle_ = nullptr;
    std::string prefix_;
};

#endif

// Runs a shell command line; answers its exit status and standard output.
int RunTool(const std::string &commandLine, std::string *output = nullptr);
// The command line word for path, quoted for the shell.
std::string ShellQuote(const std::string &path);
