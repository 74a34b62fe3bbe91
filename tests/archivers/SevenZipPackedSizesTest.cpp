// Packed sizes of 7z entries, read from the archive's own header: archives made by 7-Zip and
// compared with its technical listing, and headers made by hand whose checksums are right but
// whose counts and sizes lie.
#include "ArchiverLibrary.h"

#include "archivers/common/ArchiveReader.h"
#include "archivers/common/SevenZipDirectory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;
using tovik::archivers::kUnknownSize;
using tovik::archivers::ReadSevenZipDirectory;
using tovik::archivers::SevenZipFile;

namespace {

// A 7z archive written field by field: folders of the Copy coder over the given data, files
// over their substreams, a plain or an LZMA/LZMA2-packed header, checksums always right.
// Keyword arguments lie about one count or size each.
const char *const kMake7z = R"PY(
import lzma, struct, sys, zlib, json
def num(v):
    return bytes([v]) if v < 0x80 else b'\xff' + struct.pack('<Q', v)
def make(out, lie):
    L = lambda k, v: lie.get(k, v)
    folders = [b'hello world', b'abcdefgh']          # the second is a solid block of two files
    subs = [[11], [3, 5]]
    names = ['a.txt', 'b.txt', 'c.txt', 'd']
    empty = [False, False, False, True]               # d is a folder
    data = b''.join(folders)
    h = b'\x01\x04'
    h += b'\x06' + num(L('packPos', 0)) + num(L('packCount', len(folders)))
    h += b'\x09' + b''.join(num(s) for s in L('packSizes', [len(f) for f in folders])) + b'\x00'
    h += b'\x07\x0b' + num(L('folderCount', len(folders))) + b'\x00'
    for f in folders:
        h += num(L('coders', 1)) + L('coder', b'\x01\x00')
    h += b'\x0c' + b''.join(num(s) for s in L('unpackSizes', [len(f) for f in folders])) + b'\x00'
    h += b'\x08\x0d' + b''.join(num(n) for n in L('substreams', [len(s) for s in subs]))
    h += b'\x09' + b''.join(num(s) for sub in L('subSizes', subs) for s in sub[:-1]) + b'\x00'
    h += b'\x00'
    bits = bytearray((len(names) + 7) // 8)
    for i, e in enumerate(empty):
        if e: bits[i // 8] |= 0x80 >> (i % 8)
    bits = L('emptyBits', bytes(bits))
    text = b''.join(n.encode('utf-16-le') + b'\x00\x00' for n in names)
    h += b'\x05' + num(L('fileCount', len(names)))
    h += b'\x0e' + num(len(bits)) + bits
    h += b'\x11' + num(len(text) + 1) + b'\x00' + text + b'\x00'
    h += b'\x00'
    if 'header' in lie:   # a header given whole, as hexadecimal
        h = bytes.fromhex(lie['header'])
    if 'pack' in lie:
        method, filt = {'lzma': (b'\x03\x01\x01', lzma.FILTER_LZMA1), 'lzma2': (b'\x21', lzma.FILTER_LZMA2)}[lie['pack']]
        props = lzma._encode_filter_properties({'id': filt, 'dict_size': 1 << 16})
        if 'dictSize' in lie:
            props = props[:1] + struct.pack('<I', lie['dictSize'])
        packed = lzma.compress(h, format=lzma.FORMAT_RAW, filters=[{'id': filt, 'dict_size': 1 << 16}])
        packed = L('packedHeader', packed)
        e = b'\x17\x06' + num(len(data)) + b'\x01\x09' + num(len(packed)) + b'\x00'
        e += b'\x07\x0b\x01\x00\x01' + bytes([0x20 | len(method)]) + method + num(len(props)) + props
        e += b'\x0c' + num(L('headerSize', len(h))) + b'\x0a\x01' + struct.pack('<I', zlib.crc32(h)) + b'\x00\x00'
        data += packed
        h = e
    tail = struct.pack('<QQI', L('nextOffset', len(data)), L('nextSize', len(h)), L('headerCrc', zlib.crc32(h)))
    start = b'7z\xbc\xaf\x27\x1c\x00\x04' + struct.pack('<I', zlib.crc32(tail)) + tail
    open(out, 'wb').write(L('stub', b'') + start + data + h)
# Arguments: file name, lie, file name, lie... Byte strings travel as JSON text, one
# character a byte.
for out, text in zip(sys.argv[1::2], sys.argv[2::2]):
    lie = json.loads(text)
    for k in ('coder', 'emptyBits', 'packedHeader', 'stub'):
        if k in lie: lie[k] = lie[k].encode('latin-1')
    make(out, lie)
)PY";

class SevenZipPackedSizesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/tovik-7zsizes-XXXXXX";
        root_ = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string path(const std::string &name) const { return (root_ / name).string(); }

    void Run(const std::string &command)
    {
        std::string out;
        int rc = RunTool("cd " + ShellQuote(root_.string()) + " && " + command + " 2>&1", &out);
        ASSERT_EQ(rc, 0) << command << "\n" << out;
    }

    // "Packed Size" of every path in 7-Zip's technical listing ("" where it shows none), in
    // its order.
    static std::vector<std::pair<std::string, std::string>> PackedSizesBy7Zip(const std::string &file)
    {
        std::string out;
        if (RunTool("7zz l -slt " + ShellQuote(file) + " 2>/dev/null", &out) != 0)
            return {};
        std::vector<std::pair<std::string, std::string>> sizes;
        std::istringstream in(out.substr(std::min(out.size(), out.find("----------"))));
        std::string line, name;
        while (std::getline(in, line)) {
            if (line.rfind("Path = ", 0) == 0)
                name = line.substr(7);
            else if (line.rfind("Packed Size = ", 0) == 0)
                sizes.emplace_back(name, line.substr(14));
            else if (line == "Packed Size =")
                sizes.emplace_back(name, "");
        }
        return sizes;
    }

    // Writes 0.7z, 1.7z, ... in the test's folder, one for each lie, in one run of the maker.
    void Make(const std::vector<std::string> &lies)
    {
        std::string command = "python3 -c " + ShellQuote(kMake7z);
        for (std::size_t i = 0; i < lies.size(); ++i)
            command += " " + std::to_string(i) + ".7z " + ShellQuote(lies[i]);
        Run(command);
    }

    fs::path root_;
    ArchiverLibrary sevenZip_{"7-zip32.so", "SevenZip"};
};


TEST_F(SevenZipPackedSizesTest, ArchivesOf7ZipAgreeWithItsListing)
{
    Run("mkdir -p src/dir src/empty && cd src && "
        "python3 -c \"import os; [open('dir/t%d.txt' % i, 'w').write('line %d\\n' % i * (200 + 97 * i)) for i in range(6)]\" && "
        "head -c 40000 /dev/urandom > dir/noise.bin && : > dir/zero.txt && "
        "7zz a -bd -y -ms=on ../solid.7z dir empty >/dev/null && "
        "7zz a -bd -y -ms=off ../nonsolid.7z dir empty >/dev/null && "
        "7zz a -bd -y -ms=3f -mhc=off ../blocks-plain-header.7z dir empty >/dev/null && "
        "7zz a -bd -y -m0=lzma -mf=off ../lzma.7z dir >/dev/null");
    // A self-extracting program: a stub, then the archive.
    Run("python3 -c \"open('stub.7z.exe','wb').write(b'MZ' + bytes(5000) + open('solid.7z','rb').read())\"");

    for (const char *archive : {"solid.7z", "nonsolid.7z", "blocks-plain-header.7z", "lzma.7z", "stub.7z.exe"}) {
        SCOPED_TRACE(archive);
        std::map<std::string, std::string> expected;
        for (const auto &[name, size] : PackedSizesBy7Zip(path(std::string(archive) == "stub.7z.exe" ? "solid.7z" : archive)))
            expected[name] = size;
        auto listed = sevenZip_.list(path(archive));
        ASSERT_TRUE(listed.has_value());
        ASSERT_EQ(listed->size(), expected.size());
        int shown = 0, blank = 0;
        for (const ListedEntry &e : *listed) {
            std::string name = e.name.back() == '/' ? e.name.substr(0, e.name.size() - 1) : e.name;
            ASSERT_TRUE(expected.count(name)) << name;
            const std::string &want = expected[name];
            if (want.empty()) {
                EXPECT_EQ(e.compressedSize, -1) << name;
                EXPECT_EQ(e.ratio, 0) << name;
                ++blank;
            } else {
                EXPECT_EQ(std::to_string(e.compressedSize), want) << name;
                ++shown;
            }
            // No rate passes 100 % but that of incompressible data.
            if (name.find("noise") == std::string::npos && e.originalSize > 1000)
                EXPECT_LT(e.ratio, 1000) << name;
        }
        EXPECT_GT(shown, 0);
        if (std::string(archive) != "nonsolid.7z")
            EXPECT_GT(blank, 0) << "a solid block shows its size once";
    }
}

// Every 7z archive of the shared corpus (coder chains, BCJ2, empty files, archive properties)
// that both list: the packed sizes are 7-Zip's, entry by entry.
TEST_F(SevenZipPackedSizesTest, CorpusArchivesAgreeWith7Zip)
{
    const fs::path corpus = fs::path(TOVIK_SHARED_CORPUS) / "libarchive";
    if (!fs::is_directory(corpus))
        GTEST_SKIP() << "the shared corpus is not at " << corpus;
    int compared = 0, withSizes = 0;
    for (const auto &item : fs::directory_iterator(corpus)) {
        const std::string file = item.path().string();
        if (item.path().filename().string().rfind("read_format_7zip", 0) != 0)
            continue;
        auto listed = sevenZip_.list(file);
        auto expected = PackedSizesBy7Zip(file);
        if (!listed.has_value() || expected.empty() || listed->size() != expected.size())
            continue;
        SCOPED_TRACE(file);
        ++compared;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const std::string got = (*listed)[i].compressedSize < 0 ? "" : std::to_string((*listed)[i].compressedSize);
            EXPECT_EQ(got, expected[i].second) << expected[i].first;
            withSizes += got.empty() ? 0 : 1;
        }
    }
    EXPECT_GT(compared, 30);
    EXPECT_GT(withSizes, 30);
}

TEST_F(SevenZipPackedSizesTest, SolidBlockRateIsTheBlocks)
{
    Run("mkdir src && cd src && python3 -c \"[open('f%d.txt' % i, 'w').write('abc' * 3000) for i in range(4)]\" && "
        "7zz a -bd -y -ms=on ../one-block.7z f0.txt f1.txt f2.txt f3.txt >/dev/null");
    auto listed = sevenZip_.list(path("one-block.7z"));
    ASSERT_TRUE(listed.has_value());
    ASSERT_EQ(listed->size(), 4u);
    const ListedEntry &first = listed->front();
    ASSERT_GT(first.compressedSize, 0);
    // The block of four files packs into the first one's size; the rate compares it with all four.
    EXPECT_EQ(first.ratio, first.compressedSize * 1000 / (4 * 9000));
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_EQ((*listed)[i].compressedSize, -1);
}

TEST_F(SevenZipPackedSizesTest, HandMadeHeadersReadWhole)
{
    const std::vector<SevenZipFile> want = {
        {true, 11, 11, 0}, {true, 3, 8, 8}, {true, 5, kUnknownSize, 0}, {false, 0, 0, 0}};
    const std::vector<std::string> variants = {R"({})", R"({"pack": "lzma"})", R"({"pack": "lzma2"})",
                                               // A dictionary of 4 GiB for a header of a hundred bytes.
                                               R"({"pack": "lzma", "dictSize": 4294967295})",
                                               R"({"stub": "MZ\u0000\u0000"})"};
    Make(variants);
    for (std::size_t v = 0; v < variants.size(); ++v) {
        SCOPED_TRACE(variants[v]);
        const std::string file = path(std::to_string(v) + ".7z");
        std::vector<SevenZipFile> files;
        ASSERT_TRUE(ReadSevenZipDirectory(file, 0, files));
        ASSERT_EQ(files.size(), want.size());
        for (std::size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(files[i].hasData, want[i].hasData) << i;
            EXPECT_EQ(files[i].size, want[i].size) << i;
            EXPECT_EQ(files[i].packedSize, want[i].packedSize) << i;
            EXPECT_EQ(files[i].blockSize, want[i].blockSize) << i;
        }
        // libarchive reads the same archive, and the library shows the header's sizes.
        auto listed = sevenZip_.list(file);
        ASSERT_TRUE(listed.has_value());
        ASSERT_EQ(listed->size(), 4u);
        EXPECT_EQ((*listed)[0].compressedSize, 11);
        EXPECT_EQ((*listed)[1].compressedSize, 8);
        EXPECT_EQ((*listed)[2].compressedSize, -1);
        std::string text;
        EXPECT_EQ(sevenZip_.extractMem(file, "c.txt", 100, text), 0) << text;
        EXPECT_EQ(text, "defgh");
    }
}

TEST_F(SevenZipPackedSizesTest, LyingCountsAndSizesAreRefusedQuickly)
{
    const std::vector<std::string> lies = {
        R"({"folderCount": 2147483647})",
        R"({"folderCount": 3})",
        R"({"packCount": 1000000000000})",
        R"({"packCount": 1})",
        R"({"packSizes": [11, 1099511627776]})",
        R"({"packSizes": [18446744073709551615, 8]})",
        R"({"packPos": 4096})",
        R"({"unpackSizes": [11, 2]})",
        R"({"substreams": [1, 4000000000]})",
        R"({"substreams": [1, 3]})",
        R"({"substreams": [1000000, 1000000]})",
        R"({"subSizes": [[11], [9, 5]]})",
        R"({"subSizes": [[11], [18446744073709551615, 5]]})",
        R"({"fileCount": 3999999})",
        R"({"fileCount": 5})",
        R"({"emptyBits": ""})",
        R"({"coders": 1000000})",
        R"({"coder": "\u0031\u0000\u00ff\u00ff"})",
        R"({"nextSize": 4294967296})",
        R"({"nextOffset": 1099511627776})",
        R"({"pack": "lzma", "headerSize": 1099511627776})",
        R"({"pack": "lzma", "headerSize": 5000})",
        R"({"pack": "lzma2", "packedHeader": "garbage that is no LZMA2 stream"})",
    };
    Make(lies);
    for (std::size_t v = 0; v < lies.size(); ++v) {
        SCOPED_TRACE(lies[v]);
        const std::string file = path(std::to_string(v) + ".7z");
        const auto start = std::chrono::steady_clock::now();
        std::vector<SevenZipFile> files;
        EXPECT_FALSE(ReadSevenZipDirectory(file, 0, files));
        EXPECT_TRUE(files.empty());
        // Whatever libarchive makes of it, no packed size of the lying header is shown.
        if (auto listed = sevenZip_.list(file))
            for (const ListedEntry &e : *listed)
                EXPECT_TRUE(e.compressedSize == -1 || e.compressedSize == 0) << e.name << " " << e.compressedSize;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
}

// Counts that libarchive reserves memory by (files, substreams), in a plain and in a packed
// header, far beyond what the header's bytes hold: the library refuses the file before
// libarchive reads it, and neither memory nor time follows the count.
TEST_F(SevenZipPackedSizesTest, HugeCountsAreRefusedBeforeLibarchiveReservesThem)
{
    // Files: 58 million declared, one name, an empty-stream list of one byte.
    const std::string files = "0105e30e0180" "0e0180" "0f0180" "110d00" "65006d007000740079000000" "00" "00";
    // Substreams: one folder of 11 bytes said to hold 99,999,999 files, no sizes for them.
    const std::string substreams = "0104" "060001090b00" "070b0100010100" "0c0b00" "080de5ffe0f5" "00" "00" "00";
    const std::vector<std::string> lies = {
        R"({"header": ")" + files + R"("})", R"({"header": ")" + files + R"(", "pack": "lzma"})",
        R"({"header": ")" + substreams + R"("})", R"({"header": ")" + substreams + R"(", "pack": "lzma2"})",
        // libarchive reserves by the counts before it checks the header's sum.
        R"({"header": ")" + files + R"(", "headerCrc": 1})"};
    Make(lies);
    for (std::size_t v = 0; v < lies.size(); ++v) {
        SCOPED_TRACE(lies[v]);
        const std::string file = path(std::to_string(v) + ".7z");
        std::vector<SevenZipFile> listed;
        bool lying = false;
        EXPECT_FALSE(ReadSevenZipDirectory(file, 0, listed, &lying));
        EXPECT_TRUE(lying);
        struct rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(sevenZip_.list(file).has_value());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        getrusage(RUSAGE_SELF, &after);
        EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << "kilobytes";
    }
}

} // namespace
