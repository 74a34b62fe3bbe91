#include "ArchiverLibrary.h"

#include "platform/Cp932.h"

#include <cstdio>
#include <dlfcn.h>
#include <sys/wait.h>

ArchiverLibrary::ArchiverLibrary(const std::string &file, const std::string &prefix) : prefix_(prefix)
{
    handle_ = dlopen((std::string(TOVIK_ARCHIVER_BUILD_DIR) + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
}

ArchiverLibrary::~ArchiverLibrary()
{
    if (handle_ != nullptr)
        dlclose(handle_);
}

void *ArchiverLibrary::symbol(const std::string &suffix) const
{
    return handle_ != nullptr ? dlsym(handle_, (prefix_ + suffix).c_str()) : nullptr;
}

bool ArchiverLibrary::check(const std::string &path) const
{
    auto f = reinterpret_cast<LxArcCheckArchiveProc>(symbol(LX_ARC_CHECKARCHIVE));
    return f != nullptr && f(path.c_str(), 24) != 0;
}

int32_t ArchiverLibrary::archiveType(const std::string &path) const
{
    auto f = reinterpret_cast<LxArcGetArchiveTypeProc>(symbol(LX_ARC_GETARCHIVETYPE));
    return f != nullptr ? f(path.c_str()) : 0;
}

std::optional<std::vector<ListedEntry>> ArchiverLibrary::list(const std::string &path) const
{
    auto open = reinterpret_cast<LxArcOpenArchiveProc>(symbol(LX_ARC_OPENARCHIVE));
    auto close = reinterpret_cast<LxArcCloseArchiveProc>(symbol(LX_ARC_CLOSEARCHIVE));
    auto first = reinterpret_cast<LxArcFindFirstProc>(symbol(LX_ARC_FINDFIRST));
    auto next = reinterpret_cast<LxArcFindNextProc>(symbol(LX_ARC_FINDNEXT));
    auto name = reinterpret_cast<LxArcGetFileNameProc>(symbol(LX_ARC_GETFILENAME));
    auto osize = reinterpret_cast<LxArcGetSizeExProc>(symbol(LX_ARC_GETORIGINALSIZEEX));
    auto csize = reinterpret_cast<LxArcGetSizeExProc>(symbol(LX_ARC_GETCOMPRESSEDSIZEEX));
    auto crc = reinterpret_cast<LxArcGetCRCProc>(symbol(LX_ARC_GETCRC));
    auto attr = reinterpret_cast<LxArcGetAttributeProc>(symbol(LX_ARC_GETATTRIBUTE));
    auto date = reinterpret_cast<LxArcGetDateTimeProc>(symbol(LX_ARC_GETDATE));
    auto time = reinterpret_cast<LxArcGetDateTimeProc>(symbol(LX_ARC_GETTIME));
    auto ratio = reinterpret_cast<LxArcGetRatioProc>(symbol(LX_ARC_GETRATIO));
    if (open == nullptr)
        return std::nullopt;
    LX_HARC arc = open(nullptr, path.c_str(), 0);
    if (arc == nullptr)
        return std::nullopt;
    std::vector<ListedEntry> entries;
    char buffer[LX_ARC_NAME_SIZE];
    for (int rc = first(arc, "*.*", nullptr); rc == 0; rc = next(arc, nullptr)) {
        ListedEntry e;
        e.name = name(arc, buffer, sizeof buffer) == 0 ? buffer : "????";
        osize(arc, &e.originalSize);
        csize(arc, &e.compressedSize);
        e.crc = crc(arc);
        e.attribute = attr(arc);
        e.date = date(arc);
        e.time = time(arc);
        e.ratio = ratio(arc);
        entries.push_back(e);
    }
    close(arc);
    return entries;
}

int32_t ArchiverLibrary::extractMem(const std::string &path, const std::string &entry, std::size_t capacity,
                                    std::string &out) const
{
    auto f = reinterpret_cast<LxArcExtractMemProc>(symbol(LX_ARC_EXTRACTMEM));
    std::string line = " \"" + path + "\" \"" + entry + "\" ";
    std::string buffer(capacity + 1, '\0');
    LX_DWORD written = 0;
    int32_t rc = f(nullptr, line.c_str(), reinterpret_cast<uint8_t *>(buffer.data()), static_cast<LX_DWORD>(capacity),
                   nullptr, nullptr, &written);
    out = rc == 0 ? buffer.substr(0, written) : tovik::platform::Cp932ToUtf8(buffer.c_str());
    return rc;
}

int32_t ArchiverLibrary::command(const std::string &line, std::string &message) const
{
    auto f = reinterpret_cast<LxArcCommandProc>(symbol(""));
    char output[LX_ARC_OUTPUT_SIZE] = {};
    int32_t rc = f(nullptr, line.c_str(), output, sizeof output);
    message = tovik::platform::Cp932ToUtf8(output);
    return rc;
}

int32_t ArchiverLibrary::extract(const std::string &path, const std::string &folder, const std::string &entry,
                                 std::string &message) const
{
    return command(" -x -j \"" + path + "\" \"" + folder + "/\" \"" + entry + "\"", message);
}

int RunTool(const std::string &commandLine, std::string *output)
{
    FILE *p = popen(commandLine.c_str(), "r");
    if (p == nullptr)
        return -1;
    char buffer[65536];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0)
        if (output != nullptr)
            output->append(buffer, n);
    int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ShellQuote(const std::string &path)
{
    std::string out = "'";
    for (char c : path)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}
