// The libarchive-based libraries against an independent lister on the shared corpus: every
// archive that bsdtar reads lists with the same paths, sizes and bytes; the others fail
// cleanly (no crash, every call answers a result).
#include "ArchiverLibrary.h"

#include "archivers/common/LibarchiveReader.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace fs = std::filesystem;

namespace {

struct BsdtarEntry {
    char type;          // first letter of the mode: '-', 'd', 'l', 'h', ...
    int64_t size;
    std::string name;   // as bsdtar printed it, escapes undone
};

// bsdtar escapes bytes it cannot print as \ooo and a backslash as two.
std::string Unescape(const std::string &s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 >= s.size()) {
            out += s[i];
            continue;
        }
        char c = s[i + 1];
        if (c >= '0' && c <= '7' && i + 3 < s.size()) {
            out += static_cast<char>(((s[i + 1] - '0') << 6) | ((s[i + 2] - '0') << 3) | (s[i + 3] - '0'));
            i += 3;
            continue;
        }
        static const std::map<char, char> kEscapes = {{'\\', '\\'}, {'a', '\a'}, {'b', '\b'}, {'f', '\f'},
                                                     {'n', '\n'}, {'r', '\r'}, {'t', '\t'}, {'v', '\v'}};
        auto it = kEscapes.find(c);
        out += it != kEscapes.end() ? it->second : c;
        ++i;
    }
    return out;
}

// Parses "mode links owner group size month day time-or-year name" lines.
bool ParseBsdtarListing(const std::string &text, std::vector<BsdtarEntry> &entries)
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        std::size_t p = 0;
        std::vector<std::string> fields;
        while (fields.size() < 8) {
            while (p < line.size() && line[p] == ' ')
                ++p;
            std::size_t q = line.find(' ', p);
            if (q == std::string::npos)
                return false;
            fields.push_back(line.substr(p, q - p));
            p = q;
        }
        BsdtarEntry e;
        e.type = fields[0][0];
        e.size = std::stoll(fields[4]);
        e.name = line.substr(p + 1);
        if (e.type == 'l' && e.name.rfind(" -> ") != std::string::npos)
            e.name.resize(e.name.rfind(" -> "));
        if (e.type == 'h' || e.name.find(" link to ") != std::string::npos) {
            e.type = 'h';
            e.name.resize(e.name.find(" link to "));
        }
        e.name = Unescape(e.name);
        entries.push_back(e);
    }
    return true;
}

std::string WithoutTrailingSlash(std::string s)
{
    while (!s.empty() && s.back() == '/')
        s.pop_back();
    return s;
}

struct Libraries {
    std::vector<std::unique_ptr<ArchiverLibrary>> all;
    Libraries()
    {
        for (auto [file, prefix] : {std::pair{"unzip32.so", "UnZip"}, {"7-zip32.so", "SevenZip"}, {"cab32.so", "Cab"},
                                    {"tar32.so", "Tar"}, {"unrar32.so", "Rar"}})
            all.push_back(std::make_unique<ArchiverLibrary>(file, prefix));
    }
};

// Formats none of these libraries claims; bsdtar reads them, but they belong elsewhere.
bool ForeignFormat(const std::string &name)
{
    for (const char *ext : {".lzh", ".iso", ".xar", ".warc", ".mtree", ".lha", ".a.uu", ".uu", ".bufr"})
        if (name.size() >= std::strlen(ext) && name.compare(name.size() - std::strlen(ext), std::string::npos, ext) == 0)
            return true;
    return name.find("_lha_") != std::string::npos || name.find("_iso") != std::string::npos ||
           name.find("_mtree") != std::string::npos || name.find("_xar") != std::string::npos ||
           name.find("_warc") != std::string::npos;
}

TEST(CorpusTest, EveryReadableArchiveAgreesWithBsdtar)
{
    fs::path corpus = fs::path(TOVIK_SHARED_CORPUS) / "libarchive";
    if (!fs::is_directory(corpus))
        GTEST_SKIP() << "shared corpus not present at " << corpus;
    if (RunTool("bsdtar --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "bsdtar is not installed";
    Libraries libs;
    for (const auto &lib : libs.all)
        ASSERT_TRUE(lib->loaded()) << lib->prefix();

    std::vector<fs::path> files;
    for (const auto &e : fs::directory_iterator(corpus))
        files.push_back(e.path());
    std::sort(files.begin(), files.end());
    int compared = 0, failedCleanly = 0;
    std::set<std::string> unclaimed;
    for (const fs::path &file : files) {
        const std::string path = file.string();
        auto started = std::chrono::steady_clock::now();
        struct Timer {
            std::chrono::steady_clock::time_point start;
            std::string name;
            ~Timer() {
                auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
                if (ms > 500) std::printf("%s %lld ms\n", name.c_str(), (long long)ms);
            }
        } timer{started, file.filename().string()};
        std::string listing;
        int bsdtarRc = RunTool("LC_ALL=C.UTF-8 setsid -w timeout 3 bsdtar -tvf " + ShellQuote(path) + " 2>/dev/null", &listing);
        std::vector<BsdtarEntry> expected;
        bool readable = bsdtarRc == 0 && ParseBsdtarListing(listing, expected);
        // bsdtar -xO of the whole archive, run once when first needed; bytes are compared
        // where it extracts everything without complaint.
        std::optional<bool> bsdtarExtracts;
        std::string all;
        auto extractable = [&] {
            if (!bsdtarExtracts) {
                bool ok = readable && RunTool("LC_ALL=C.UTF-8 setsid -w timeout 5 bsdtar -xOf " + ShellQuote(path) +
                                                  " 2>/dev/null",
                                              &all) == 0;
                for (const BsdtarEntry &e : expected)
                    ok = ok && !(e.type == 'd' && e.size > 0);
                bsdtarExtracts = ok;
            }
            return *bsdtarExtracts;
        };
        bool claimed = false;
        for (const auto &lib : libs.all) {
            SCOPED_TRACE(file.filename().string() + " through " + lib->prefix());
            bool checks = lib->check(path);
            auto entries = lib->list(path);
            if (!checks)
                continue;
            claimed = true;
            if (!readable) {
                // Whatever it lists must extract or fail with a message.
                if (entries) {
                    for (std::size_t i = 0; i < entries->size() && i < 32; ++i) {
                        std::string out;
                        int32_t rc = lib->extractMem(path, (*entries)[i].name, 1 << 20, out);
                        EXPECT_TRUE(rc == 0 || !out.empty()) << (*entries)[i].name;
                    }
                }
                ++failedCleanly;
                continue;
            }
            // A stored ZIP at the end of this RAR: bsdtar reads the ZIP, unrar32 the RAR around it.
            if (file.filename() == "read_format_rar5_zip_in_rar.rar" && lib->prefix() == "Rar")
                continue;
            // A decoder program declaring a gigabyte of static data: libarchive 3.6.2 spends it and
            // seconds before decoding the 4 bytes; the library refuses the archive as damaged.
            if (file.filename() == "read_format_rar_unbound_staticdata.rar" && lib->prefix() == "Rar") {
                std::string out;
                EXPECT_TRUE(entries.has_value() && !entries->empty());
                if (entries && !entries->empty()) {
                    EXPECT_EQ(lib->extractMem(path, entries->front().name, 1 << 20, out) != 0 ? out : "", "書庫が壊れています");
                }
                ++compared;
                continue;
            }
            if (!entries.has_value() || entries->size() != expected.size()) {
                ADD_FAILURE() << "bsdtar lists " << expected.size() << " entries, the library "
                              << (entries ? std::to_string(entries->size()) : std::string("fails"));
                continue;
            }
            std::map<std::string, int> seen;
            for (const ListedEntry &e : *entries)
                ++seen[e.name];
            // Links are written differently by bsdtar -xO from format to format; archives
            // with links are compared entry by entry.
            bool links = std::any_of(expected.begin(), expected.end(), [](const BsdtarEntry &e) { return e.type == 'h' || e.type == 'l'; });
            std::string bytes;
            bool whole = true, encrypted = false;
            for (std::size_t i = 0; i < expected.size(); ++i) {
                const ListedEntry &got = (*entries)[i];
                EXPECT_EQ(WithoutTrailingSlash(got.name),
                          WithoutTrailingSlash(tovik::archivers::EntryNameToCp932(expected[i].name)))
                    << "entry " << i;
                if (expected[i].type == 'd')
                    EXPECT_EQ(got.name.back(), '/') << "a folder ends in /";
                if (expected[i].type != '-' || got.name.back() == '/')
                    continue;
                EXPECT_EQ(got.originalSize, expected[i].size) << got.name;
                if (seen[got.name] > 1 || got.originalSize > (128 << 20)) {
                    whole = false;
                    continue;
                }
                std::string out;
                int32_t rc = lib->extractMem(path, got.name, static_cast<std::size_t>(got.originalSize) + 1, out);
                if (rc != 0 && out == "パスワード付きのファイルは展開できません") {
                    encrypted = true;
                } else if (rc != 0) {
                    EXPECT_FALSE(out.empty()) << got.name << ": a failure without a message";
                    EXPECT_FALSE(extractable()) << got.name << ": " << out;
                }
                if (rc == 0 && links && extractable()) {
                    std::string one;
                    RunTool("LC_ALL=C.UTF-8 setsid -w timeout 5 bsdtar -xOf " + ShellQuote(path) + " " +
                                ShellQuote(expected[i].name) + " 2>/dev/null",
                            &one);
                    EXPECT_TRUE(out == one) << got.name << ": bytes differ from bsdtar -xO";
                }
                if (rc == 0)
                    bytes += out;
            }
            if (whole && !links && !encrypted && extractable())
                EXPECT_TRUE(bytes == all) << "extracted bytes differ from bsdtar -xO (" << bytes.size() << " vs "
                                          << all.size() << ")";
            ++compared;
        }
        if (!claimed && readable && !ForeignFormat(file.filename().string()))
            unclaimed.insert(file.filename().string());
    }
    EXPECT_TRUE(unclaimed.empty()) << "bsdtar reads these, no library claims them: " << [&] {
        std::string s;
        for (const auto &u : unclaimed)
            s += u + " ";
        return s;
    }();
    std::printf("compared with bsdtar: %d library/archive pairs; failed cleanly: %d\n", compared, failedCleanly);
}

} // namespace
