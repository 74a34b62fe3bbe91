// LZH and ARJ headers written byte by byte: right checksums over lying fields, wrong
// checksums over right fields, and stubs holding something that looks like a header.
#include "lzhfuzz/HostileHeaders.h"
#include "lzh/ToolArchive.h"
#include "archivers/unarj32j/ArjReader.h"
#include "archivers/unlha32/LzhReader.h"

#include <gtest/gtest.h>

using tovik::archivers::ReadError;
using tovik::tests::Bytes;
using tovik::tests::ScratchDir;

namespace {

std::string Text(const Bytes &b)
{
    return std::string(b.begin(), b.end());
}

template <class Reader>
struct Opened {
    ReadError error;
    std::vector<tovik::archivers::EntryInfo> entries;
    std::vector<std::pair<ReadError, std::string>> data;
};

template <class Reader>
Opened<Reader> Open(const ScratchDir &dir, const std::string &name, const Bytes &bytes)
{
    dir.write(name, Text(bytes));
    Reader reader;
    Opened<Reader> out;
    out.error = reader.open((dir.path() / name).string());
    out.entries = reader.entries();
    for (std::size_t i = 0; i < out.entries.size(); ++i) {
        std::string got;
        ReadError e = reader.extract(i, [&](const uint8_t *p, std::size_t n) {
            got.append(reinterpret_cast<const char *>(p), n);
            return true;
        });
        out.data.emplace_back(e, got);
    }
    return out;
}

TEST(HostileLzhHeaders, ChecksumDecidesWhatIsListed)
{
    ScratchDir dir;
    for (int level : {0, 1}) {
        SCOPED_TRACE(level);
        tovik::tests::Lzh01 good;
        good.level = level;
        auto ok = Open<tovik::unlha32::LzhReader>(dir, "good.lzh", LzhHeader01(good));
        ASSERT_EQ(ok.entries.size(), 1u);
        EXPECT_EQ(ok.entries[0].name, "a.txt");
        EXPECT_EQ(ok.data[0], std::make_pair(ReadError::None, std::string("hello")));
        // One wrong checksum byte: nothing is listed, not a garbage entry.
        tovik::tests::Lzh01 bad = good;
        bad.checksumDelta = 1;
        auto wrong = Open<tovik::unlha32::LzhReader>(dir, "bad.lzh", LzhHeader01(bad));
        EXPECT_TRUE(wrong.entries.empty());
        // A name length past the header, made consistent with the checksum.
        tovik::tests::Lzh01 longName = good;
        longName.nameLength = 200;
        auto lying = Open<tovik::unlha32::LzhReader>(dir, "long.lzh", LzhHeader01(longName));
        EXPECT_TRUE(lying.entries.empty());
    }
}

TEST(HostileLzhHeaders, DeclaredSizesNeverLetDataGrow)
{
    ScratchDir dir;
    // Stored data longer than declared: the entry is damaged, not cut or grown.
    tovik::tests::Lzh01 lie;
    lie.original = 2;
    auto got = Open<tovik::unlha32::LzhReader>(dir, "lie.lzh", LzhHeader01(lie));
    ASSERT_EQ(got.entries.size(), 1u);
    EXPECT_EQ(got.data[0].first, ReadError::Corrupt);
    EXPECT_LE(got.data[0].second.size(), 2u);
    // A 64-bit size of 2^63 is no size at all: it is listed as unknown, not negative.
    const std::string sizes63("\x42\x05\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x80", 17);
    auto huge = Open<tovik::unlha32::LzhReader>(
        dir, "huge.lzh", tovik::tests::LzhHeader2("hello", {std::string("\x01", 1) + "a.txt", sizes63}, 5, 5));
    ASSERT_EQ(huge.entries.size(), 1u);
    EXPECT_FALSE(tovik::archivers::IsKnownSize(huge.entries[0].originalSize));
}

TEST(HostileLzhHeaders, Level3LengthsThatLieListNothingOrFailTheEntry)
{
    using tovik::tests::LzhHeader3;
    using Reader = tovik::unlha32::LzhReader;
    ScratchDir dir;
    const std::string name = std::string("\x01", 1) + "a.txt";
    auto good = Open<Reader>(dir, "good.lzh", LzhHeader3("hello", {name}, 5, 5));
    ASSERT_EQ(good.entries.size(), 1u);
    EXPECT_EQ(good.entries[0].name, "a.txt");
    EXPECT_EQ(good.data[0], std::make_pair(ReadError::None, std::string("hello")));

    // A wrong header CRC, or a first field other than 4: not a level-3 header.
    Bytes flipped = LzhHeader3("hello", {name}, 5, 5);
    flipped[33] ^= 1;
    EXPECT_TRUE(Open<Reader>(dir, "crc.lzh", flipped).entries.empty());
    EXPECT_TRUE(Open<Reader>(dir, "word.lzh", LzhHeader3("hello", {name}, 5, 5, 0, 2)).entries.empty());

    // Header lengths (the header is 46 bytes) short of the base header or of an extended
    // header, past the file, past any plausible header: nothing is listed.
    for (uint32_t total : {31u, 33u, 40u, 60u, 4096u, 0x100001u, 0xFFFFFFFFu})
        EXPECT_TRUE(Open<Reader>(dir, "total.lzh", LzhHeader3("hello", {name}, 5, 5, total)).entries.empty()) << total;
    // A length that swallows part of the data: the entry's data then runs past the file.
    auto swallowed = Open<Reader>(dir, "swallow.lzh", LzhHeader3("hello", {name}, 5, 5, 50));
    ASSERT_EQ(swallowed.entries.size(), 1u);
    EXPECT_EQ(swallowed.data[0].first, ReadError::Corrupt);

    // Extended-header lengths past the header, or too short to hold their own length and type.
    for (uint32_t size : {0xFFFFFFFFu, 0x7FFFFFFFu, 3u, 4u, 5u, 0x40u}) {
        auto lying = Open<Reader>(dir, "ext.lzh", LzhHeader3("hello", {name, std::string("\x02", 1) + "dir"}, 5, 5, 0, 4, size));
        EXPECT_TRUE(lying.entries.empty()) << size;
    }

    // 64-bit sizes: 2^63 is no size; 2^56 from five bytes is a damaged entry.
    const std::string sizes63("\x42\x05\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x80", 17);
    auto huge = Open<Reader>(dir, "huge.lzh", LzhHeader3("hello", {name, sizes63}, 5, 5));
    ASSERT_EQ(huge.entries.size(), 1u);
    EXPECT_FALSE(tovik::archivers::IsKnownSize(huge.entries[0].originalSize));
    std::string bomb(17, '\0');
    bomb[0] = 0x42;
    bomb[1] = 5;
    bomb[16] = 1;
    auto bombed = Open<Reader>(dir, "bomb.lzh", LzhHeader3("hello", {name, bomb}, 5, 5));
    ASSERT_EQ(bombed.entries.size(), 1u);
    EXPECT_EQ(bombed.entries[0].originalSize, uint64_t{1} << 56);
    EXPECT_EQ(bombed.data[0].first, ReadError::Corrupt);
    EXPECT_LE(bombed.data[0].second.size(), 5u);
}

TEST(HostileLzhHeaders, StubSearchTakesOnlyAWholeHeader)
{
    ScratchDir dir;
    // A program stub holding a level-2 look-alike without its header CRC, and a level-0
    // one with a wrong checksum, ahead of the real archive.
    Bytes stub(300, 0x90);
    stub[0] = 'M';
    stub[1] = 'Z';
    Bytes fake2 = tovik::tests::LzhHeader2("xxxxx", {std::string("\x01", 1) + "fake2.txt"}, 5, 5);
    fake2.pop_back();
    // Drop the CRC extension's type so that the header carries none.
    fake2[26] = 0x7F;
    stub.insert(stub.end(), fake2.begin(), fake2.end());
    tovik::tests::Lzh01 fake0;
    fake0.name = "fake0.txt";
    fake0.checksumDelta = 3;
    Bytes f0 = LzhHeader01(fake0);
    f0.pop_back();
    stub.insert(stub.end(), f0.begin(), f0.end());
    stub.resize(stub.size() + 50, 0x90);
    tovik::tests::Lzh01 real;
    real.name = "real.txt";
    Bytes archive = LzhHeader01(real);
    stub.insert(stub.end(), archive.begin(), archive.end());
    auto got = Open<tovik::unlha32::LzhReader>(dir, "sfx.exe", stub);
    ASSERT_EQ(got.entries.size(), 1u);
    EXPECT_EQ(got.entries[0].name, "real.txt");
}

TEST(HostileArjHeaders, FirstHeaderSizeBeyondTheHeaderIsRefused)
{
    ScratchDir dir;
    auto good = Open<tovik::unarj32j::ArjReader>(dir, "good.arj", tovik::tests::ArjArchive("name.txt", "hello"));
    ASSERT_EQ(good.entries.size(), 1u);
    EXPECT_EQ(good.entries[0].name, "name.txt");
    EXPECT_EQ(good.data[0], std::make_pair(ReadError::None, std::string("hello")));
    // first_hdr_size past the basic header, the header CRC made right: no entry, no read
    // beyond the header (the sanitizer run goes over the same bytes).
    for (unsigned first : {60u, 200u, 255u}) {
        auto bad = Open<tovik::unarj32j::ArjReader>(dir, "bad.arj", tovik::tests::ArjArchive("name.txt", "hello", first));
        EXPECT_TRUE(bad.entries.empty()) << first;
    }
    // An entry claiming far more than it holds is damaged.
    auto bomb = Open<tovik::unarj32j::ArjReader>(dir, "bomb.arj",
                                                 tovik::tests::ArjArchive("b.txt", "hello", 30, 5, 0x7FFFFFFF));
    ASSERT_EQ(bomb.entries.size(), 1u);
    EXPECT_EQ(bomb.data[0].first, ReadError::Corrupt);
}

} // namespace
