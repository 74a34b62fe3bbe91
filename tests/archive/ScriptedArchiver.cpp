// An archiver library for tests: it honours the library call contract over "scripted
// archives", text files that list their entries.
//
//   TOVIKTEST
//   @accept Unlha,Tar        prefixes whose CheckArchive/GetArchiveType accept the file (all if absent)
//   @type 3                  what GetArchiveType answers for an accepted file (1 if absent)
//   @mode 0                  CheckArchive accepts only this mode (any if absent)
//   @fault GetRatio          the named call dereferences a null pointer (SIGSEGV)
//   @fpe GetRatio            ... divides by zero (SIGFPE)
//   @throw GetRatio          ... throws a C++ exception
//   @fail OpenArchive        ... reports failure (OpenArchive null, getters non-zero status)
//   name<TAB>original<TAB>compressed<TAB>ratio<TAB>dosdate<TAB>dostime<TAB>attr<TAB>crc[<TAB>data]
//
// Numbers are decimal or 0x-hexadecimal; the name is raw bytes (CP932). The variant, chosen
// at build time, takes calls away or breaks them:
//   TESTLIB_COMPLETE  every call, 64-bit sizes included
//   TESTLIB_MINIMAL   no GetCRC, GetAttribute, GetVersion, no 64-bit sizes
//   TESTLIB_BADNAME   GetFileName always fails
//   TESTLIB_FAULTY    FindNext and ExtractMem dereference a null pointer
//   TESTLIB_NOMEM     no ExtractMem
//   TESTLIB_BUSY      GetRunning always reports busy
// GetVersion answers 157, or $TOVIK_TESTLIB_VERSION ("fault" makes it fault). The command
// entry extracts nothing: it echoes its command line into the output buffer.
#include "archive/LxArcDefine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#define TESTLIB_CAT_(a, b) a##b
#define TESTLIB_CAT(a, b) TESTLIB_CAT_(a, b)
#define TESTLIB_STR_(x) #x
#define TESTLIB_STR(x) TESTLIB_STR_(x)
#define API(suffix) TESTLIB_CAT(TESTLIB_PREFIX, suffix)
#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Entry {
    std::string name;
    uint64_t original = 0, compressed = 0;
    uint16_t ratio = 0, date = 0, time = 0;
    uint32_t attr = 0, crc = 0;
    std::string data;
};

struct Script {
    std::vector<std::string> accept;
    int32_t type = 1;
    int32_t mode = -1;
    std::vector<std::pair<std::string, std::string>> breaks;   // (kind, call)
    std::vector<Entry> entries;
};

struct Archive {
    Script script;
    size_t index = 0;
};

int *volatile nullPointer = nullptr;
volatile int zero = 0;
volatile int dividend = 7;   // "1 / x" compiles to compares, with no division to fault

void Fault()
{
    *nullPointer = 1;
}

std::vector<std::string> Split(const std::string &line, char sep)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t pos = line.find(sep, start);
        parts.push_back(line.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
        if (pos == std::string::npos)
            return parts;
        start = pos + 1;
    }
}

uint64_t Number(const std::string &text)
{
    return std::strtoull(text.c_str(), nullptr, 0);
}

bool ReadScript(const char *path, Script &script)
{
    FILE *f = path ? std::fopen(path, "rb") : nullptr;
    if (!f)
        return false;
    std::string content;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        content.append(buf, n);
    std::fclose(f);
    if (content.compare(0, 9, "TOVIKTEST") != 0)
        return false;
    size_t pos = content.find('\n');
    while (pos != std::string::npos && pos + 1 < content.size()) {
        size_t end = content.find('\n', pos + 1);
        std::string line = content.substr(pos + 1, end == std::string::npos ? std::string::npos : end - pos - 1);
        pos = end;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (line[0] == '@') {
            size_t blank = line.find(' ');
            std::string key = line.substr(1, blank == std::string::npos ? std::string::npos : blank - 1);
            std::string value = blank == std::string::npos ? std::string() : line.substr(blank + 1);
            if (key == "accept")
                script.accept = Split(value, ',');
            else if (key == "type")
                script.type = static_cast<int32_t>(Number(value));
            else if (key == "mode")
                script.mode = static_cast<int32_t>(Number(value));
            else
                script.breaks.emplace_back(key, value);
            continue;
        }
        std::vector<std::string> f = Split(line, '\t');
        f.resize(9);
        Entry e;
        e.name = f[0];
        e.original = Number(f[1]);
        e.compressed = Number(f[2]);
        e.ratio = static_cast<uint16_t>(Number(f[3]));
        e.date = static_cast<uint16_t>(Number(f[4]));
        e.time = static_cast<uint16_t>(Number(f[5]));
        e.attr = static_cast<uint32_t>(Number(f[6]));
        e.crc = static_cast<uint32_t>(Number(f[7]));
        e.data = f[8];
        script.entries.push_back(e);
    }
    return true;
}

// Breaks the call as the script says; answers true when the call must report failure.
bool Break(const Script &script, const char *call)
{
    bool fail = false;
    for (const auto &[kind, name] : script.breaks) {
        if (name != call)
            continue;
        if (kind == "fault")
            Fault();
        else if (kind == "fpe")
            std::printf("%d", dividend / zero);
        else if (kind == "throw")
            throw std::runtime_error(call);
        else if (kind == "fail")
            fail = true;
    }
    return fail;
}

bool Accepts(const Script &script)
{
    if (script.accept.empty())
        return true;
    for (const std::string &p : script.accept)
        if (p == TESTLIB_STR(TESTLIB_PREFIX))
            return true;
    return false;
}

Archive *ArchiveOf(LX_HARC handle)
{
    return static_cast<Archive *>(handle);
}

const Entry *Current(LX_HARC handle)
{
    Archive *a = ArchiveOf(handle);
    if (!a || a->index >= a->script.entries.size())
        return nullptr;
    return &a->script.entries[a->index];
}

// The quoted strings of a command line, in order.
std::vector<std::string> QuotedArguments(const char *line)
{
    std::vector<std::string> out;
    const char *p = line;
    while ((p = std::strchr(p, '"')) != nullptr) {
        const char *end = std::strchr(p + 1, '"');
        if (!end)
            break;
        out.emplace_back(p + 1, end);
        p = end + 1;
    }
    return out;
}

} // namespace

EXPORT int32_t TESTLIB_PREFIX(LX_HWND, const char *cmdLine, char *output, LX_DWORD size)
{
    if (output && size > 0)
        std::snprintf(output, size, "%s", cmdLine ? cmdLine : "");
    return 0;
}

#if !defined(TESTLIB_MINIMAL)
EXPORT LX_WORD API(GetVersion)(void)
{
    const char *env = std::getenv("TOVIK_TESTLIB_VERSION");
    if (env && std::strcmp(env, "fault") == 0)
        Fault();
    return env ? static_cast<LX_WORD>(std::atoi(env)) : 157;
}
#endif

EXPORT LX_BOOL API(GetRunning)(void)
{
#if defined(TESTLIB_BUSY)
    return 1;
#else
    return 0;
#endif
}

EXPORT LX_BOOL API(CheckArchive)(const char *path, int32_t mode)
{
    Script script;
    if (!ReadScript(path, script) || Break(script, "CheckArchive"))
        return 0;
    if (script.mode >= 0 && script.mode != mode)
        return 0;
    return Accepts(script) ? 1 : 0;
}

EXPORT int32_t API(GetArchiveType)(const char *path)
{
    Script script;
    if (!ReadScript(path, script) || Break(script, "GetArchiveType"))
        return 0;
    return Accepts(script) ? script.type : 0;
}

EXPORT LX_HARC API(OpenArchive)(LX_HWND, const char *path, LX_DWORD)
{
    auto *a = new Archive;
    if (!ReadScript(path, a->script) || Break(a->script, "OpenArchive")) {
        delete a;
        return nullptr;
    }
    return a;
}

EXPORT int32_t API(CloseArchive)(LX_HARC handle)
{
    delete ArchiveOf(handle);
    return 0;
}

EXPORT int32_t API(FindFirst)(LX_HARC handle, const char *, void *)
{
    Archive *a = ArchiveOf(handle);
    if (Break(a->script, "FindFirst"))
        return -1;
    a->index = 0;
    return a->script.entries.empty() ? -1 : 0;
}

EXPORT int32_t API(FindNext)(LX_HARC handle, void *)
{
#if defined(TESTLIB_FAULTY)
    Fault();
#endif
    Archive *a = ArchiveOf(handle);
    if (Break(a->script, "FindNext"))
        return -1;
    if (a->index < a->script.entries.size())
        ++a->index;
    return a->index < a->script.entries.size() ? 0 : -1;
}

EXPORT int32_t API(GetFileName)(LX_HARC handle, char *buffer, int32_t size)
{
#if defined(TESTLIB_BADNAME)
    (void)handle, (void)buffer, (void)size;
    return 1;
#else
    const Entry *e = Current(handle);
    if (!e || Break(ArchiveOf(handle)->script, "GetFileName") || size <= 0)
        return 1;
    if (e->name.size() >= static_cast<size_t>(size))
        return 1;
    std::memcpy(buffer, e->name.c_str(), e->name.size() + 1);
    return 0;
#endif
}

// The getters answer 0 with no current entry, and as the script breaks them.
#define TESTLIB_GETTER(Type, Name, expr)                                                                         \
    EXPORT Type API(Name)(LX_HARC handle)                                                                        \
    {                                                                                                            \
        const Entry *e = Current(handle);                                                                        \
        if (!e || Break(ArchiveOf(handle)->script, #Name))                                                       \
            return 0;                                                                                            \
        return static_cast<Type>(expr);                                                                          \
    }

TESTLIB_GETTER(LX_DWORD, GetOriginalSize, e->original)
TESTLIB_GETTER(LX_DWORD, GetCompressedSize, e->compressed)
TESTLIB_GETTER(LX_WORD, GetRatio, e->ratio)
TESTLIB_GETTER(LX_WORD, GetDate, e->date)
TESTLIB_GETTER(LX_WORD, GetTime, e->time)
#if !defined(TESTLIB_MINIMAL)
TESTLIB_GETTER(int32_t, GetAttribute, e->attr)
TESTLIB_GETTER(LX_DWORD, GetCRC, e->crc)

EXPORT LX_BOOL API(GetOriginalSizeEx)(LX_HARC handle, int64_t *size)
{
    const Entry *e = Current(handle);
    if (!e || !size || Break(ArchiveOf(handle)->script, "GetOriginalSizeEx"))
        return 0;
    *size = static_cast<int64_t>(e->original);
    return 1;
}

EXPORT LX_BOOL API(GetCompressedSizeEx)(LX_HARC handle, int64_t *size)
{
    const Entry *e = Current(handle);
    if (!e || !size || Break(ArchiveOf(handle)->script, "GetCompressedSizeEx"))
        return 0;
    *size = static_cast<int64_t>(e->compressed);
    return 1;
}
#endif

// Copies the data of the entry named in the command line ( "archive" "entry" ).
#if !defined(TESTLIB_NOMEM)
EXPORT int32_t API(ExtractMem)(LX_HWND, const char *cmdLine, uint8_t *buffer, LX_DWORD size, void *, LX_WORD *,
                               LX_DWORD *written)
{
#if defined(TESTLIB_FAULTY)
    Fault();
#endif
    std::vector<std::string> args = QuotedArguments(cmdLine ? cmdLine : "");
    Script script;
    if (args.size() != 2 || !ReadScript(args[0].c_str(), script) || Break(script, "ExtractMem"))
        return -1;
    for (const Entry &e : script.entries) {
        if (e.name != args[1])
            continue;
        size_t n = e.data.size() < size ? e.data.size() : size;
        std::memcpy(buffer, e.data.data(), n);
        if (written)
            *written = static_cast<LX_DWORD>(n);
        return 0;
    }
    std::snprintf(reinterpret_cast<char *>(buffer), size, "no such entry");
    return -2;
}
#endif
