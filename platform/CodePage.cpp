#include "CodePage.h"

#include <iconv.h>

#include <mutex>
#include <unordered_map>

namespace tovik::platform {

const char *CodePageIconvName(int32_t codePage)
{
    switch (codePage) {
    case 437: return "CP437";
    case 874: return "CP874";
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1252: return "CP1252";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 1361: return "JOHAB";
    case 20866: return "KOI8-R";
    case 20932: return "EUC-JP";
    case 21866: return "KOI8-U";
    case 28591: return "ISO-8859-1";
    case 28592: return "ISO-8859-2";
    case 28595: return "ISO-8859-5";
    case 28597: return "ISO-8859-7";
    case 50220: return "ISO-2022-JP";
    case 51932: return "EUC-JP";
    case 65000: return "UTF-7";
    case 65001: return "UTF-8";
    default: return nullptr;
    }
}

bool IsValidCodePage(int32_t codePage)
{
    static std::mutex lock;
    static std::unordered_map<int32_t, bool> known;
    std::lock_guard<std::mutex> guard(lock);
    auto it = known.find(codePage);
    if (it != known.end())
        return it->second;
    bool valid = false;
    if (const char *name = CodePageIconvName(codePage)) {
        // UTF-8 is built into iconv, so the test loads no converter beyond the code page's own.
        iconv_t handle = iconv_open("UTF-8", name);
        valid = handle != reinterpret_cast<iconv_t>(-1);
        if (valid)
            iconv_close(handle);
    }
    known.emplace(codePage, valid);
    return valid;
}

int32_t GetACP() { return 932; }

} // namespace tovik::platform
