// Turns one LibraryInfo into the exported C calls of the archiver call contract.
//
// A library declares itself in one source file:
//
//     #include "archivers/common/ArchiverExports.h"
//     static const tovik::archivers::LibraryInfo kInfo = {"UnZip", 100, &CheckZip, nullptr, &CreateZipReader};
//     TOVIK_ARCHIVER_EXPORTS(UnZip, kInfo)
//     TOVIK_ARCHIVER_EXPORT_ARCHIVE_TYPE(UnZip, kInfo)   // only when it answers "GetArchiveType"
//
// and links tovik_archiver_common. The calls behind the macros keep the open-archive handles,
// walk the listed entries, read the command lines, clean leaf names, write files safely and
// answer with the shared messages. Each library gets its own copy of that state.
#ifndef TOVIK_ARCHIVERS_ARCHIVEREXPORTS_H
#define TOVIK_ARCHIVERS_ARCHIVEREXPORTS_H

#include "archive/LxArcDefine.h"
#include "archivers/common/ArchiveReader.h"

#include <optional>
#include <string_view>

namespace tovik::archivers {

int32_t RunCommand(const LibraryInfo &info, LX_HWND window, const char *cmdLine, char *output, LX_DWORD size);
LX_WORD GetVersion(const LibraryInfo &info);
LX_BOOL GetRunning();
LX_BOOL CheckArchive(const LibraryInfo &info, const char *path, int32_t mode);
int32_t GetArchiveType(const LibraryInfo &info, const char *path);
LX_HARC OpenArchive(const LibraryInfo &info, LX_HWND window, const char *path, LX_DWORD mode);
void SetListProgress(LxArcListProgressProc proc, void *user);
int32_t CloseArchive(LX_HARC arc);
int32_t FindFirst(LX_HARC arc, const char *pattern, void *info);
int32_t FindNext(LX_HARC arc, void *info);
int32_t GetFileName(LX_HARC arc, char *buffer, int32_t size);
LX_DWORD GetOriginalSize(LX_HARC arc);
LX_DWORD GetCompressedSize(LX_HARC arc);
LX_BOOL GetOriginalSizeEx(LX_HARC arc, int64_t *size);
LX_BOOL GetCompressedSizeEx(LX_HARC arc, int64_t *size);
LX_WORD GetRatio(LX_HARC arc);
LX_WORD GetDate(LX_HARC arc);
LX_WORD GetTime(LX_HARC arc);
int32_t GetAttribute(LX_HARC arc);
LX_DWORD GetCRC(LX_HARC arc);
int32_t GetMethod(LX_HARC arc, char *buffer, int32_t size);
int32_t ExtractMem(const LibraryInfo &info, LX_HWND window, const char *cmdLine, uint8_t *buffer, LX_DWORD size,
                   void *time, LX_WORD *attr, LX_DWORD *written);
int32_t ExtractEach(LX_HARC arc, const uint32_t *positions, uint32_t count, LxArcEachProc proc, void *user);

// compressed × 1000 / original, at most 0xFFFF; 0 for an empty entry or an unknown size.
LX_WORD RatioOf(uint64_t original, uint64_t compressed);
// True when name matches a "FindFirst" pattern: "*" and "?" wildcards over the whole stored
// path; "*.*", "*" and an empty pattern match every name.
bool MatchesPattern(std::string_view pattern, std::string_view name);
// The index of the file (not folder) entry that a command line names: the stored path exactly,
// else with "\" and "/" taken alike, else the name read as UTF-8 and converted to CP932. Of
// several entries with one name, the last.
std::optional<std::size_t> FindEntry(const std::vector<EntryInfo> &entries, std::string_view name);

} // namespace tovik::archivers

#define TOVIK_ARC_EXPORT extern "C" __attribute__((visibility("default")))

#define TOVIK_ARCHIVER_EXPORTS(PREFIX, INFO)                                                                        \
    TOVIK_ARC_EXPORT int32_t PREFIX(LX_HWND w, const char *c, char *o, LX_DWORD s)                                  \
    { return ::tovik::archivers::RunCommand(INFO, w, c, o, s); }                                                    \
    TOVIK_ARC_EXPORT LX_WORD PREFIX##GetVersion(void) { return ::tovik::archivers::GetVersion(INFO); }              \
    TOVIK_ARC_EXPORT LX_BOOL PREFIX##GetRunning(void) { return ::tovik::archivers::GetRunning(); }                  \
    TOVIK_ARC_EXPORT LX_BOOL PREFIX##CheckArchive(const char *p, int32_t m)                                         \
    { return ::tovik::archivers::CheckArchive(INFO, p, m); }                                                        \
    TOVIK_ARC_EXPORT LX_HARC PREFIX##OpenArchive(LX_HWND w, const char *p, LX_DWORD m)                              \
    { return ::tovik::archivers::OpenArchive(INFO, w, p, m); }                                                      \
    TOVIK_ARC_EXPORT int32_t PREFIX##CloseArchive(LX_HARC a) { return ::tovik::archivers::CloseArchive(a); }        \
    TOVIK_ARC_EXPORT void PREFIX##SetListProgress(LxArcListProgressProc p, void *u)                                 \
    { ::tovik::archivers::SetListProgress(p, u); }                                                                  \
    TOVIK_ARC_EXPORT int32_t PREFIX##FindFirst(LX_HARC a, const char *p, void *i)                                   \
    { return ::tovik::archivers::FindFirst(a, p, i); }                                                              \
    TOVIK_ARC_EXPORT int32_t PREFIX##FindNext(LX_HARC a, void *i) { return ::tovik::archivers::FindNext(a, i); }    \
    TOVIK_ARC_EXPORT int32_t PREFIX##GetFileName(LX_HARC a, char *b, int32_t s)                                     \
    { return ::tovik::archivers::GetFileName(a, b, s); }                                                            \
    TOVIK_ARC_EXPORT LX_DWORD PREFIX##GetOriginalSize(LX_HARC a) { return ::tovik::archivers::GetOriginalSize(a); } \
    TOVIK_ARC_EXPORT LX_DWORD PREFIX##GetCompressedSize(LX_HARC a)                                                  \
    { return ::tovik::archivers::GetCompressedSize(a); }                                                            \
    TOVIK_ARC_EXPORT LX_BOOL PREFIX##GetOriginalSizeEx(LX_HARC a, int64_t *s)                                       \
    { return ::tovik::archivers::GetOriginalSizeEx(a, s); }                                                         \
    TOVIK_ARC_EXPORT LX_BOOL PREFIX##GetCompressedSizeEx(LX_HARC a, int64_t *s)                                     \
    { return ::tovik::archivers::GetCompressedSizeEx(a, s); }                                                       \
    TOVIK_ARC_EXPORT LX_WORD PREFIX##GetRatio(LX_HARC a) { return ::tovik::archivers::GetRatio(a); }                \
    TOVIK_ARC_EXPORT LX_WORD PREFIX##GetDate(LX_HARC a) { return ::tovik::archivers::GetDate(a); }                  \
    TOVIK_ARC_EXPORT LX_WORD PREFIX##GetTime(LX_HARC a) { return ::tovik::archivers::GetTime(a); }                  \
    TOVIK_ARC_EXPORT int32_t PREFIX##GetAttribute(LX_HARC a) { return ::tovik::archivers::GetAttribute(a); }        \
    TOVIK_ARC_EXPORT LX_DWORD PREFIX##GetCRC(LX_HARC a) { return ::tovik::archivers::GetCRC(a); }                   \
    TOVIK_ARC_EXPORT int32_t PREFIX##GetMethod(LX_HARC a, char *b, int32_t s)                                       \
    { return ::tovik::archivers::GetMethod(a, b, s); }                                                              \
    TOVIK_ARC_EXPORT int32_t PREFIX##ExtractMem(LX_HWND w, const char *c, uint8_t *b, LX_DWORD s, void *t,          \
                                                LX_WORD *at, LX_DWORD *wr)                                          \
    { return ::tovik::archivers::ExtractMem(INFO, w, c, b, s, t, at, wr); }                                         \
    TOVIK_ARC_EXPORT int32_t PREFIX##ExtractEach(LX_HARC a, const uint32_t *p, uint32_t n, LxArcEachProc f, void *u) \
    { return ::tovik::archivers::ExtractEach(a, p, n, f, u); }

#define TOVIK_ARCHIVER_EXPORT_ARCHIVE_TYPE(PREFIX, INFO)                                                            \
    TOVIK_ARC_EXPORT int32_t PREFIX##GetArchiveType(const char *p) { return ::tovik::archivers::GetArchiveType(INFO, p); }

#endif
