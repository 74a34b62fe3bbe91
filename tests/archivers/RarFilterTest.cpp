// RAR 4 entries whose LZ stream is written bit by bit at test time: an honest one, and one whose
// filter program claims 256 MiB of static data (libarchive 3.6.2 reserves and fills it, up to 4 GiB:
// seconds and gigabytes for a hundred-byte file).
#include "ArchiverLibrary.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

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

// The stream of "ABAB"; with a filter record first when staticData is set.
std::vector<uint8_t> Stream(uint32_t staticData)
{
    BitWriter w;
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
    uint8_t method = 0x33;   // 0x30 stored, 0x33 LZ
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
        std::string fields = Le32(static_cast<uint32_t>(m.packed.size())) + Le32(4) + std::string(1, '\3') +
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

} // namespace
