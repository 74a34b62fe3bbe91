// A fuzz target over the libarchive-based archiver libraries: every input is offered to a
// library as an archive file and driven through the calls the viewer makes (probe, open, walk
// every entry with every getter, memory extraction, extraction to a folder).
//
// Built with TOVIK_FUZZ_LIBRARY set to one prefix (UnZip, SevenZip, Cab, Tar, Rar) it drives
// that library only, as libFuzzer wants one target per library; without it, every input goes
// through all five (the corpus run of the tests).
#include "archive/LxArcDefine.h"
#include "archivers/fuzz/MemoryFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#define TOVIK_DECLARE_LIBRARY(P)                                                                             \
    extern "C" int32_t P(LX_HWND, const char *, char *, LX_DWORD);                                           \
    extern "C" LX_BOOL P##CheckArchive(const char *, int32_t);                                               \
    extern "C" LX_HARC P##OpenArchive(LX_HWND, const char *, LX_DWORD);                                      \
    extern "C" int32_t P##CloseArchive(LX_HARC);                                                             \
    extern "C" int32_t P##FindFirst(LX_HARC, const char *, void *);                                          \
    extern "C" int32_t P##FindNext(LX_HARC, void *);                                                         \
    extern "C" int32_t P##GetFileName(LX_HARC, char *, int32_t);                                             \
    extern "C" LX_DWORD P##GetOriginalSize(LX_HARC);                                                         \
    extern "C" LX_DWORD P##GetCompressedSize(LX_HARC);                                                       \
    extern "C" LX_BOOL P##GetOriginalSizeEx(LX_HARC, int64_t *);                                             \
    extern "C" LX_WORD P##GetRatio(LX_HARC);                                                                 \
    extern "C" LX_WORD P##GetDate(LX_HARC);                                                                  \
    extern "C" int32_t P##GetAttribute(LX_HARC);                                                             \
    extern "C" LX_DWORD P##GetCRC(LX_HARC);                                                                  \
    extern "C" int32_t P##ExtractMem(LX_HWND, const char *, uint8_t *, LX_DWORD, void *, LX_WORD *, LX_DWORD *);

#define TOVIK_LIBRARY_ENTRY(P)                                                                               \
    Library{#P, P, P##CheckArchive, P##OpenArchive, P##CloseArchive, P##FindFirst, P##FindNext, P##GetFileName, \
            P##GetOriginalSize, P##GetCompressedSize, P##GetOriginalSizeEx, P##GetRatio, P##GetDate,         \
            P##GetAttribute, P##GetCRC, P##ExtractMem}

namespace {

struct Library {
    const char *prefix;
    LxArcCommandProc command;
    LxArcCheckArchiveProc checkArchive;
    LxArcOpenArchiveProc openArchive;
    LxArcCloseArchiveProc closeArchive;
    LxArcFindFirstProc findFirst;
    LxArcFindNextProc findNext;
    LxArcGetFileNameProc getFileName;
    LxArcGetSizeProc getOriginalSize, getCompressedSize;
    LxArcGetSizeExProc getOriginalSizeEx;
    LxArcGetRatioProc getRatio;
    LxArcGetDateTimeProc getDate;
    LxArcGetAttributeProc getAttribute;
    LxArcGetCRCProc getCRC;
    LxArcExtractMemProc extractMem;
};

} // namespace

#ifdef TOVIK_FUZZ_LIBRARY
// One more level so that the prefix macro is expanded before it is pasted.
#define TOVIK_DECLARE_ONE(P) TOVIK_DECLARE_LIBRARY(P)
#define TOVIK_ENTRY_ONE(P) TOVIK_LIBRARY_ENTRY(P)
TOVIK_DECLARE_ONE(TOVIK_FUZZ_LIBRARY)
static const Library kLibraries[] = {TOVIK_ENTRY_ONE(TOVIK_FUZZ_LIBRARY)};
#else
TOVIK_DECLARE_LIBRARY(UnZip)
TOVIK_DECLARE_LIBRARY(SevenZip)
TOVIK_DECLARE_LIBRARY(Cab)
TOVIK_DECLARE_LIBRARY(Tar)
TOVIK_DECLARE_LIBRARY(Rar)
static const Library kLibraries[] = {TOVIK_LIBRARY_ENTRY(UnZip), TOVIK_LIBRARY_ENTRY(SevenZip), TOVIK_LIBRARY_ENTRY(Cab),
                                     TOVIK_LIBRARY_ENTRY(Tar), TOVIK_LIBRARY_ENTRY(Rar)};
#endif

namespace {

// Counts files below path (not following links).
int CountFiles(const std::string &path)
{
    DIR *d = opendir(path.c_str());
    if (d == nullptr)
        return 0;
    int n = 0;
    while (dirent *e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        ++n;
    }
    closedir(d);
    return n;
}

void RemoveFolder(const std::string &path)
{
    DIR *d = opendir(path.c_str());
    if (d == nullptr)
        return;
    while (dirent *e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            unlink((path + "/" + e->d_name).c_str());
    }
    closedir(d);
    rmdir(path.c_str());
}

void Drive(const Library &lib, const std::string &path, const std::string &work)
{
    lib.checkArchive(path.c_str(), 24);
    LX_HARC arc = lib.openArchive(nullptr, path.c_str(), 0);
    if (arc == nullptr)
        return;
    std::vector<std::string> names;
    char name[LX_ARC_NAME_SIZE];
    for (int rc = lib.findFirst(arc, "*.*", nullptr); rc == 0; rc = lib.findNext(arc, nullptr)) {
        int64_t size = 0;
        lib.getOriginalSize(arc);
        lib.getCompressedSize(arc);
        lib.getOriginalSizeEx(arc, &size);
        lib.getRatio(arc);
        lib.getDate(arc);
        lib.getAttribute(arc);
        lib.getCRC(arc);
        if (lib.getFileName(arc, name, sizeof name) == 0 && names.size() < 16 && std::strchr(name, '"') == nullptr)
            names.push_back(name);
    }
    lib.closeArchive(arc);

    static std::vector<uint8_t> buffer(1 << 20);
    for (const std::string &entry : names) {
        std::string line = " \"" + path + "\" \"" + entry + "\" ";
        LX_DWORD written = 0;
        int rc = lib.extractMem(nullptr, line.c_str(), buffer.data(), buffer.size(), nullptr, nullptr, &written);
        if (rc == 0 && written > buffer.size())
            std::abort();
    }
    // Extraction to a folder never writes beside it.
    std::string dest = work + "/out";
    char output[LX_ARC_OUTPUT_SIZE];
    for (std::size_t i = 0; i < names.size() && i < 4; ++i) {
        std::string line = " -x -j \"" + path + "\" \"" + dest + "/\" \"" + names[i] + "\"";
        lib.command(nullptr, line.c_str(), output, sizeof output);
        if (std::memchr(output, 0, sizeof output) == nullptr)
            std::abort();
        if (CountFiles(work) > 1 || CountFiles(dest) > 1)
            std::abort();
        RemoveFolder(dest);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static std::string work = [] {
        char tmpl[] = "/tmp/tovik-fuzz-XXXXXX";
        const char *dir = mkdtemp(tmpl);
        return std::string(dir != nullptr ? dir : "/tmp");
    }();
    int fd = MemoryFileOf(data, size);
    if (fd < 0)
        return 0;
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    for (const Library &lib : kLibraries)
        Drive(lib, path, work);
    close(fd);
    return 0;
}
