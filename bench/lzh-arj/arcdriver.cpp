// A minimal caller of one archiver library through dlopen, for the benchmarks:
//   arcdriver LIBRARY PREFIX list ARCHIVE        one line per entry (name, sizes, CRC)
//   arcdriver LIBRARY PREFIX cat ARCHIVE ENTRY   the entry through ExtractMem, to stdout
#include "archive/LxArcDefine.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <vector>

template <typename T>
T fn(void *lib, const std::string &prefix, const char *suffix)
{
    void *p = dlsym(lib, (prefix + suffix).c_str());
    if (!p) {
        std::fprintf(stderr, "missing %s%s\n", prefix.c_str(), suffix);
        std::exit(2);
    }
    return reinterpret_cast<T>(p);
}

int main(int argc, char **argv)
{
    if (argc < 5)
        return 2;
    void *lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    const std::string prefix = argv[2], command = argv[3], archive = argv[4];
    auto open = fn<LxArcOpenArchiveProc>(lib, prefix, LX_ARC_OPENARCHIVE);
    auto first = fn<LxArcFindFirstProc>(lib, prefix, LX_ARC_FINDFIRST);
    auto next = fn<LxArcFindNextProc>(lib, prefix, LX_ARC_FINDNEXT);
    auto name = fn<LxArcGetFileNameProc>(lib, prefix, LX_ARC_GETFILENAME);
    auto original = fn<LxArcGetSizeProc>(lib, prefix, LX_ARC_GETORIGINALSIZE);
    auto compressed = fn<LxArcGetSizeProc>(lib, prefix, LX_ARC_GETCOMPRESSEDSIZE);
    auto crc = fn<LxArcGetCRCProc>(lib, prefix, LX_ARC_GETCRC);
    auto close = fn<LxArcCloseArchiveProc>(lib, prefix, LX_ARC_CLOSEARCHIVE);
    LX_HARC arc = open(nullptr, archive.c_str(), 0);
    if (!arc)
        return 1;
    char buf[LX_ARC_NAME_SIZE];
    if (command == "list") {
        for (int r = first(arc, "*.*", nullptr); r == 0; r = next(arc, nullptr)) {
            name(arc, buf, sizeof buf);
            std::printf("%s\t%u\t%u\t%08x\n", buf, original(arc), compressed(arc), crc(arc));
        }
        close(arc);
        return 0;
    }
    if (command == "cat" && argc > 5) {
        uint32_t size = 0;
        for (int r = first(arc, "*.*", nullptr); r == 0; r = next(arc, nullptr)) {
            name(arc, buf, sizeof buf);
            if (argv[5] == std::string(buf))
                size = original(arc);
        }
        close(arc);
        auto extract = fn<LxArcExtractMemProc>(lib, prefix, LX_ARC_EXTRACTMEM);
        std::vector<uint8_t> out(size ? size : 1);
        const std::string line = " \"" + archive + "\" \"" + argv[5] + "\" ";
        LX_DWORD written = 0;
        if (extract(nullptr, line.c_str(), out.data(), static_cast<LX_DWORD>(out.size()), nullptr, nullptr,
                    &written) < 0) {
            std::fprintf(stderr, "%s\n", reinterpret_cast<char *>(out.data()));
            return 1;
        }
        std::fwrite(out.data(), 1, written, stdout);
        return 0;
    }
    return 2;
}
