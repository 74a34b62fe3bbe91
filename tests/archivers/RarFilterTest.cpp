// RAR 4 entries whose LZ stream is written bit by bit at test time: an honest one, and one whose
// filter program claims 256 MiB of static data (libarchive 3.6.2 reserves and fills it, up to 4 GiB:
// seconds and gigabytes for a hundred-byte file); the same behind a PPMd block that switches to
// LZ. The PPMd model itself against libarchive's decoder on the shared corpus.
#include "ArchiverLibrary.h"

#include "archivers/unrar32/RarFilterCheck.h"
#include "archivers/unrar32/RarPpmd.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

using tovik::archivers::CheckRarEntry;
using tovik::archivers::RarPpmd;
using tovik::archivers::RarPpmdInput;
using tovik::archivers::RarStreamVerdict;

namespace {

class BitWriter {
public:
    void put(uint32_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            if (used_ == 0)
                bytes_.push_back(0);
            if ((value >> i) & 1)
                bytes_.back() |= static_cast<uint8_t>(0x80 >> used_);
            used_ = (used_ + 1) % 8;
        }
    }
    void bytes(const std::vector<uint8_t> &data)
    {
        for (uint8_t b : data)
            put(b, 8);
    }
    const std::vector<uint8_t> &data() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    int used_ = 0;
};

// Tables giving 'A', 'B', the end mark (256) and the filter mark (257) two-bit codes 00, 01,
// 10, 11; the other three codes stay empty.
void PutTables(BitWriter &w)
{
    w.put(0, 1);   // LZ, not PPMd
    w.put(0, 1);   // fresh tables
    // Code lengths of the length code: symbols 0, 2, 18 and 19 take two bits (00, 01, 10, 11).
    for (uint32_t nibble : {2u, 0u, 2u, 15u, 13u, 2u, 2u})   // 15 then 13: fifteen zeros
        w.put(nibble, 4);
    auto zeros = [&](int n) {
        while (n >= 11) {
            int run = n > 138 ? 138 : n;
            if (n - run > 0 && n - run < 3)
                run -= 3;
            w.put(3, 2), w.put(static_cast<uint32_t>(run - 11), 7);
            n -= run;
        }
        if (n > 0)
            w.put(2, 2), w.put(static_cast<uint32_t>(n - 3), 3);
    };
    auto two = [&] { w.put(1, 2); };
    zeros(65), two(), two(), zeros(256 - 67), two(), two(), zeros(404 - 258);
}

// A 32-bit number as the filter records carry it.
void PutNumber(BitWriter &w, uint32_t value)
{
    if (value < 16)
        w.put(0, 2), w.put(value, 4);
    else
        w.put(3, 2), w.put(value, 32);
}

// A PPMd block that ends at once in "new tables" (the escape, then 0): a fresh model of order 6
// in 1 MiB whose escape symbol is 0. The range decoder starts with a code of 0, which picks the
// order-0 context's first symbol (byte 0, the escape) twice; the first pick takes a fifth byte,
// the second none, so the LZ tables begin right after five zero bytes.
const std::vector<uint8_t> kPpmdToLz = {0x80 | 0x60 | 5, 0, 0, 0, 0, 0, 0, 0};

// The stream of "ABAB"; with a filter record first when staticData is set; after prefix.
std::vector<uint8_t> Stream(uint32_t staticData, const std::vector<uint8_t> &prefix = {})
{
    BitWriter w;
    w.bytes(prefix);
    PutTables(w);
    if (staticData != 0) {
        BitWriter code;   // the program: a check byte, then static data of staticData bytes
        code.put(0, 8);
        code.put(1, 1);
        PutNumber(code, staticData - 1);
        std::vector<uint8_t> program = code.data();
        for (std::size_t i = 1; i < program.size(); ++i)
            program[0] ^= program[i];
        BitWriter record;
        PutNumber(record, 1);   // a new program
        PutNumber(record, 0);   // block start
        PutNumber(record, static_cast<uint32_t>(program.size()));
        record.bytes(program);
        w.put(3, 2);   // the filter mark
        w.put(0x86, 8);
        w.put(static_cast<uint32_t>(record.data().size() - 7), 8);
        w.bytes(record.data());
    }
    for (int i = 0; i < 4; ++i)
        w.put(i % 2, 2);
    w.put(2, 2), w.put(0, 1), w.put(0, 1);   // end of the entry, no new tables
    return w.data();
}

void PutBlock(std::string &out, uint8_t type, uint16_t flags, const std::string &fields)
{
    std::string head;
    head += static_cast<char>(type);
    head += static_cast<char>(flags & 0xFF), head += static_cast<char>(flags >> 8);
    uint16_t size = static_cast<uint16_t>(2 + 5 + fields.size());
    head += static_cast<char>(size & 0xFF), head += static_cast<char>(size >> 8);
    head += fields;
    uLong crc = crc32(0, reinterpret_cast<const Bytef *>(head.data()), static_cast<uInt>(head.size()));
    out += static_cast<char>(crc & 0xFF), out += static_cast<char>((crc >> 8) & 0xFF);
    out += head;
}

std::string Le32(uint32_t v)
{
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

struct Member {
    std::string name;
    std::vector<uint8_t> packed;
    uint8_t method = 0x33;   // 0x30 stored, 0x33 LZ, 0x35 best (PPMd or LZ)
    uint32_t size = 4;       // declared unpacked size
};

// A RAR 4 archive of entries each holding "ABAB". The packed size is read whether or not the
// header's flags announce it.
std::string Archive(const std::vector<Member> &members, uint16_t fileFlags = 0x8000)
{
    const std::string text = "ABAB";
    std::string out("Rar!\x1A\x07\x00", 7);
    PutBlock(out, 0x73, 0, std::string(6, '\0'));
    uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(text.data()), 4));
    for (const Member &m : members) {
        std::string fields = Le32(static_cast<uint32_t>(m.packed.size())) + Le32(m.size) + std::string(1, '\3') +
                             Le32(crc) + Le32(0x5A210000) + std::string(1, 29) +
                             std::string(1, static_cast<char>(m.method)) +
                             std::string{static_cast<char>(m.name.size()), 0} + Le32(0x81A4) + m.name;
        PutBlock(out, 0x74, fileFlags, fields);
        out.append(reinterpret_cast<const char *>(m.packed.data()), m.packed.size());
    }
    PutBlock(out, 0x7B, 0x4000, "");
    return out;
}

class RarFilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/tovik-rarfilter-XXXXXX";
        root_ = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(root_); }
    std::string write(const std::string &name, const std::string &data)
    {
        std::string p = (root_ / name).string();
        std::ofstream(p, std::ios::binary) << data;
        return p;
    }

    ArchiverLibrary rar_{"unrar32.so", "Rar"};
    fs::path root_;
};

TEST_F(RarFilterTest, HonestStreamsStillExtract)
{
    ASSERT_TRUE(rar_.loaded());
    for (const auto &[name, data] :
         {std::pair{"stored.rar", Archive({{"a.txt", {'A', 'B', 'A', 'B'}, 0x30}})},
          std::pair{"lz.rar", Archive({{"a.txt", Stream(0)}})}}) {
        std::string path = write(name, data), out;
        EXPECT_EQ(rar_.extractMem(path, "a.txt", 64, out), 0) << name << ": " << out;
        EXPECT_EQ(out, "ABAB") << name;
        std::string message;
        EXPECT_EQ(rar_.extract(path, (root_ / "out").string(), "a.txt", message), 0) << name << ": " << message;
        std::ifstream in(root_ / "out" / "a.txt", std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "ABAB") << name;
        fs::remove_all(root_ / "out");
    }
}

TEST_F(RarFilterTest, FilterProgramClaimingHugeStaticDataFailsFast)
{
    ASSERT_TRUE(rar_.loaded());
    for (uint16_t flags : {0x8000, 0x0000}) {
        SCOPED_TRACE(flags);
        std::string out, path = write("huge.rar", Archive({{"a.txt", Stream(0x10000000)}}, flags));
        auto list = rar_.list(path);
        ASSERT_TRUE(list.has_value());   // listing does not decode: the entry is still shown
        ASSERT_EQ(list->size(), 1u);
        auto start = std::chrono::steady_clock::now();
        int32_t rc = rar_.extractMem(path, "a.txt", 64, out);
        std::string message;
        int32_t rcFile = rar_.extract(path, (root_ / "out").string(), "a.txt", message);
        auto took = std::chrono::steady_clock::now() - start;
        EXPECT_NE(rc, 0);
        EXPECT_NE(out.find("書庫が壊れています"), std::string::npos) << out;
        EXPECT_NE(rcFile, 0);
        EXPECT_NE(message.find("書庫が壊れています"), std::string::npos) << message;
        EXPECT_FALSE(fs::exists(root_ / "out" / "a.txt"));
        EXPECT_LT(took, std::chrono::milliseconds(500));
    }
}

// Only the entries an extraction decodes are looked at: an honest entry before a hostile one
// still extracts, one after it too (entries are not solid); the hostile one fails.
TEST_F(RarFilterTest, OnlyTheHostileEntryIsRefused)
{
    ASSERT_TRUE(rar_.loaded());
    std::string path = write("three.rar", Archive({{"a.txt", Stream(0)}, {"b.txt", Stream(0x10000000)}, {"c.txt", Stream(0)}}));
    for (const char *name : {"a.txt", "c.txt"}) {
        std::string out;
        EXPECT_EQ(rar_.extractMem(path, name, 64, out), 0) << name << ": " << out;
        EXPECT_EQ(out, "ABAB") << name;
    }
    auto start = std::chrono::steady_clock::now();
    std::string out;
    EXPECT_NE(rar_.extractMem(path, "b.txt", 64, out), 0);
    EXPECT_EQ(out, "書庫が壊れています");
    std::string message;
    EXPECT_NE(rar_.extract(path, (root_ / "out").string(), "b.txt", message), 0);
    EXPECT_EQ(message.find("書庫が壊れています") != std::string::npos, true) << message;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(rar_.extract(path, (root_ / "out").string(), "a.txt", message), 0) << message;
    EXPECT_TRUE(fs::exists(root_ / "out" / "a.txt"));
    EXPECT_FALSE(fs::exists(root_ / "out" / "b.txt"));
}

// A PPMd block switching to LZ is walked on into the LZ block: the honest one still extracts
// (libarchive takes the LZ tables at the byte the check does), the hostile one fails fast.
TEST_F(RarFilterTest, LzBlockAfterPpmdBlockIsChecked)
{
    ASSERT_TRUE(rar_.loaded());
    std::string honest = write("honest.rar", Archive({{"a.txt", Stream(0, kPpmdToLz), 0x35}}));
    EXPECT_EQ(CheckRarEntry(honest.c_str(), 0, false), RarStreamVerdict::Sound);
    std::string out;
    EXPECT_EQ(rar_.extractMem(honest, "a.txt", 64, out), 0) << out;
    EXPECT_EQ(out, "ABAB");

    std::string hostile = write("hostile.rar", Archive({{"a.txt", Stream(0x10000000, kPpmdToLz), 0x35}}));
    EXPECT_EQ(CheckRarEntry(hostile.c_str(), 0, false), RarStreamVerdict::Hostile);
    EXPECT_EQ(CheckRarEntry(hostile.c_str(), 0, false, 0), RarStreamVerdict::Hostile);   // a read of 0 bytes
    auto start = std::chrono::steady_clock::now();
    out.clear();
    EXPECT_NE(rar_.extractMem(hostile, "a.txt", 64, out), 0);
    EXPECT_EQ(out, "書庫が壊れています");
    std::string message;
    EXPECT_NE(rar_.extract(hostile, (root_ / "out").string(), "a.txt", message), 0);
    EXPECT_NE(message.find("書庫が壊れています"), std::string::npos) << message;
    EXPECT_FALSE(fs::exists(root_ / "out" / "a.txt"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

// Zeros after a PPMd header decode as byte 0 again and again, thousands of symbols per input
// byte. libarchive stops at the entry's size (4 bytes here); so does the walk, instead of
// decoding hundreds of millions of symbols.
TEST_F(RarFilterTest, PpmdWalkStopsAtTheEntrysSize)
{
    std::vector<uint8_t> packed(256 * 1024, 0);
    packed[0] = 0x80 | 0x20 | 5;   // a fresh model of order 6, 1 MiB, escape symbol 2
    std::string path = write("bomb.rar", Archive({{"a.txt", packed, 0x35}}));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CheckRarEntry(path.c_str(), 0, false), RarStreamVerdict::Sound);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));

    // Declared as 4 GB, as a big text may be: the viewer reads only the start, and the walk
    // goes only as far as libarchive decodes ahead of that.
    path = write("big.rar", Archive({{"a.txt", packed, 0x35, 0xFFFFFFF0}}));
    start = std::chrono::steady_clock::now();
    std::string out;
    EXPECT_EQ(rar_.extractMem(path, "a.txt", 64, out), 0) << out;
    EXPECT_EQ(out, std::string(64, '\0'));
    ASSERT_TRUE(rar_.list(path).has_value());   // and from the listing kept, as the viewer reads
    out.clear();
    EXPECT_EQ(rar_.extractMem(path, "a.txt", 64, out), 0) << out;
    EXPECT_EQ(out.size(), 64u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
}

// The RAR 4 file headers of an archive held in memory, in order.
struct RarEntry {
    int64_t position;
    std::size_t data, packed;
    uint16_t flags;
    uint8_t method;
};

std::vector<RarEntry> RarEntries(const std::string &bytes)
{
    std::vector<RarEntry> entries;
    std::size_t p = bytes.find(std::string("Rar!\x1A\x07\x00", 7));
    if (p == std::string::npos)
        return entries;
    auto u16 = [&](std::size_t at) { return static_cast<uint16_t>(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8); };
    auto u32 = [&](std::size_t at) { return static_cast<uint32_t>(u16(at) | uint32_t{u16(at + 2)} << 16); };
    for (p += 7; p + 11 <= bytes.size();) {
        uint8_t type = static_cast<uint8_t>(bytes[p + 2]);
        uint16_t flags = u16(p + 3), size = u16(p + 5);
        if (size < 7 || type == 0x7B)
            break;
        std::size_t add = (flags & 0x8000) || type == 0x74 ? u32(p + 7) : 0;
        if (type == 0x74 && p + 32 <= bytes.size())
            entries.push_back({static_cast<int64_t>(p), p + size, add, flags, static_cast<uint8_t>(bytes[p + 25])});
        p += size + add;
    }
    return entries;
}

std::string ReadFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every entry's bytes as libarchive gives them, in order, up to a mebibyte each; whole is
// false where it stopped short of the end (or reported an error there).
struct Content {
    std::string data;
    bool whole = false;
};

std::vector<Content> LibarchiveContents(const fs::path &path)
{
    std::vector<Content> contents;
    std::unique_ptr<archive, int (*)(archive *)> a(archive_read_new(), &archive_read_free);
    archive_read_support_format_rar(a.get());
    if (archive_read_open_filename(a.get(), path.c_str(), 65536) != ARCHIVE_OK)
        return contents;
    archive_entry *entry = nullptr;
    while (archive_read_next_header(a.get(), &entry) == ARCHIVE_OK) {
        Content c;
        char buffer[65536];
        la_ssize_t got = 0;
        while (c.data.size() < (1u << 20) && (got = archive_read_data(a.get(), buffer, sizeof buffer)) > 0)
            c.data.append(buffer, static_cast<std::size_t>(got));
        c.whole = got == 0;
        contents.push_back(std::move(c));
    }
    return contents;
}

class MemoryInput final : public RarPpmdInput {
public:
    MemoryInput(const uint8_t *data, std::size_t size) : p_(data), end_(data + size) {}
    uint8_t next() override { return p_ < end_ ? *p_++ : 0; }

private:
    const uint8_t *p_, *end_;
};

// What a PPMd block at the start of an entry's data makes, as RAR's decoders read its symbols:
// literals, and matches after the escape symbol (4: three bytes of distance and a length; 5: a
// length at distance 1). ending is what follows the escape that ends the block (0: tables,
// 2: end of the data), -1 for a stream the model could not decode.
std::string DecodePpmdBlock(const uint8_t *data, std::size_t size, int &ending)
{
    ending = -1;
    std::string out;
    if (size < 3 || !(data[0] & 0x80) || !(data[0] & 0x20))
        return out;
    unsigned order = (data[0] & 0x1F) + 1u;
    if (order > 16)
        order = 16 + (order - 16) * 3;
    std::size_t at = 2;
    int escape = 2;
    if (data[0] & 0x40)
        escape = data[at++];
    RarPpmd model;
    MemoryInput in(data + at, size - at);
    if (!model.start((data[1] + 1u) << 20, order) || !model.startDecoder(in))
        return out;
    auto copy = [&](std::size_t distance, std::size_t length) {
        for (; length > 0 && distance <= out.size(); --length)
            out += out[out.size() - distance];
    };
    for (;;) {
        int symbol = model.decode(in);
        if (symbol < 0)
            return out;
        if (symbol != escape) {
            out += static_cast<char>(symbol);
            continue;
        }
        int code = model.decode(in);
        if (code == 0 || code == 2) {
            ending = code;
            return out;
        }
        if (code == 4) {
            std::size_t distance = 0;
            for (int i = 0; i < 3; ++i)
                distance = distance << 8 | static_cast<std::size_t>(model.decode(in));
            copy(distance + 2, static_cast<std::size_t>(model.decode(in)) + 32);
        } else if (code == 5) {
            copy(1, static_cast<std::size_t>(model.decode(in)) + 4);
        } else if (code < 0) {
            return out;
        } else {
            out += static_cast<char>(symbol);
        }
    }
}

// The model gives libarchive's bytes for the corpus's PPMd blocks: whole entries, and the first
// block of the entry that turns into LZ.
TEST(RarPpmdTest, DecodesCorpusBlocksAsLibarchiveDoes)
{
    fs::path corpus = fs::path(TOVIK_SHARED_CORPUS) / "libarchive";
    if (!fs::is_directory(corpus))
        GTEST_SKIP() << "shared corpus not present at " << corpus;
    int blocks = 0;
    for (const char *name : {"read_format_rar_compress_best.rar", "read_format_rar_ppmd_lzss_conversion.rar"}) {
        SCOPED_TRACE(name);
        std::string bytes = ReadFile(corpus / name);
        std::vector<RarEntry> entries = RarEntries(bytes);
        std::vector<Content> expected = LibarchiveContents(corpus / name);
        ASSERT_EQ(entries.size(), expected.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const RarEntry &e = entries[i];
            if (e.method == 0x30 || e.packed == 0 || !(uint8_t(bytes[e.data]) & 0x80))
                continue;
            int ending = -1;
            std::string made = DecodePpmdBlock(reinterpret_cast<const uint8_t *>(bytes.data()) + e.data, e.packed, ending);
            const std::string &data = expected[i].data;
            if (ending == 2) {
                EXPECT_TRUE(expected[i].whole) << "entry " << i;
                EXPECT_EQ(made, data) << "entry " << i;
            } else {
                // libarchive 3.6.2 reads this one to its end and then reports a CRC error.
                EXPECT_EQ(ending, 0) << "entry " << i;
                EXPECT_GT(made.size(), 0u);
                EXPECT_EQ(made, data.substr(0, made.size())) << "entry " << i;
            }
            ++blocks;
        }
    }
    EXPECT_EQ(blocks, 4);
}

// Every RAR 4 file of the corpus with a PPMd block: no entry is refused (libarchive decides as
// before), and the entries of the two honest ones are walked to their ends, through the PPMd
// blocks and the LZ blocks between them.
TEST(RarPpmdTest, CorpusPpmdEntriesAreWalkedOrLeftToLibarchive)
{
    fs::path corpus = fs::path(TOVIK_SHARED_CORPUS) / "libarchive";
    if (!fs::is_directory(corpus))
        GTEST_SKIP() << "shared corpus not present at " << corpus;
    std::vector<fs::path> files;
    for (const auto &e : fs::directory_iterator(corpus)) {
        std::string name = e.path().filename().string();
        if (name.rfind("read_format_rar", 0) == 0 && name.find("rar5") == std::string::npos)
            files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    int ppmdFiles = 0;
    for (const fs::path &file : files) {
        std::string bytes = ReadFile(file);
        std::vector<RarEntry> entries = RarEntries(bytes);
        bool ppmd = std::any_of(entries.begin(), entries.end(), [&](const RarEntry &e) {
            return e.method != 0x30 && e.packed > 0 && e.data < bytes.size() && (uint8_t(bytes[e.data]) & 0x80) &&
                   (e.flags & 0xE0) != 0xE0;
        });
        if (!ppmd)
            continue;
        ++ppmdFiles;
        std::string name = file.filename().string();
        bool honest = name == "read_format_rar_compress_best.rar" || name == "read_format_rar_ppmd_lzss_conversion.rar";
        for (const RarEntry &e : entries) {
            auto start = std::chrono::steady_clock::now();
            RarStreamVerdict verdict = CheckRarEntry(file.c_str(), e.position, false);
            EXPECT_NE(verdict, RarStreamVerdict::Hostile) << name << " @" << e.position;
            if (honest) {
                EXPECT_EQ(verdict, RarStreamVerdict::Sound) << name << " @" << e.position;
            }
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << name;
        }
    }
    EXPECT_GE(ppmdFiles, 5);
}

} // namespace
