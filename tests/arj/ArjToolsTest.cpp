// ARJ archives made at test time by arj (every method, garbled entries, volumes), read back
// byte for byte, with "arj v" and 7-Zip as independent listers; stubs and damaged data.
#include "archivers/unarj32j/ArjReader.h"
#include "lzh/SevenZipListing.h"
#include "lzh/ToolArchive.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

using tovik::archivers::ReadError;
using tovik::tests::ScratchDir;
using tovik::unarj32j::ArjReader;

namespace {

struct Extracted {
    ReadError error;
    std::string bytes;
};

Extracted extract(ArjReader &reader, std::size_t index)
{
    Extracted out;
    out.error = reader.extract(index, [&](const uint8_t *p, std::size_t n) {
        out.bytes.append(reinterpret_cast<const char *>(p), n);
        return true;
    });
    return out;
}

const tovik::archivers::EntryInfo *find(const ArjReader &reader, const std::string &name)
{
    for (const auto &e : reader.entries())
        if (e.name == name)
            return &e;
    return nullptr;
}

class ArjTools : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!tovik::tests::HaveTool("arj"))
            GTEST_SKIP() << "arj is not installed";
        dir.write("text.txt", tovik::tests::SampleText(400000, 11));
        dir.write("random.bin", tovik::tests::SampleBinary(50000, 12));
        dir.write("empty.txt", "");
        dir.write("sub/one.txt", "1");
    }
    ScratchDir dir;
    const std::vector<std::string> files = {"text.txt", "random.bin", "empty.txt", "sub/one.txt"};
};

TEST_F(ArjTools, EveryMethodRoundTrips)
{
    const bool sevenZip = tovik::tests::HaveTool("7zz");
    for (int method = 0; method <= 4; ++method) {
        SCOPED_TRACE(method);
        const std::string name = "m" + std::to_string(method) + ".arj";
        ASSERT_EQ(dir.run("arj a -y -m" + std::to_string(method) + " " + name +
                          " text.txt random.bin empty.txt sub/one.txt"),
                  0);
        ArjReader reader;
        ASSERT_EQ(reader.open((dir.path() / name).string()), ReadError::None);
        ASSERT_EQ(reader.entries().size(), files.size());
        for (const std::string &file : files) {
            const auto *e = find(reader, file);
            ASSERT_NE(e, nullptr) << file;
            EXPECT_FALSE(e->encrypted);
            Extracted got = extract(reader, e->readerData);
            EXPECT_EQ(got.error, ReadError::None) << file;
            EXPECT_TRUE(got.bytes == dir.read(file)) << file;
        }
        // "arj v" names every entry with its original size.
        ASSERT_EQ(dir.runTo("arj v " + name, "arj-v.txt"), 0);
        const std::string listing = dir.read("arj-v.txt");
        for (const auto &e : reader.entries()) {
            EXPECT_NE(listing.find(") " + e.name + "\n"), std::string::npos) << e.name;
            EXPECT_NE(listing.find(" " + std::to_string(e.originalSize) + " "), std::string::npos) << e.name;
        }
        if (!sevenZip)
            continue;
        auto records = tovik::tests::SevenZipList(dir, name);
        ASSERT_EQ(records.size(), reader.entries().size());
        for (std::size_t i = 0; i < records.size(); ++i) {
            const auto &e = reader.entries()[i];
            EXPECT_EQ(records[i]["Path"], e.name);
            EXPECT_EQ(records[i]["Size"], std::to_string(e.originalSize));
            EXPECT_EQ(records[i]["Packed Size"], std::to_string(e.compressedSize));
            EXPECT_EQ(std::stoul(records[i]["CRC"], nullptr, 16), e.crc);
            EXPECT_EQ("-m" + records[i]["Method"] + "-", e.method);
        }
    }
}

TEST_F(ArjTools, ShiftJisNamesAreListedAsStored)
{
    // arj stores the name's bytes as the file system gives them: make them Shift_JIS (arj
    // itself cannot take names with 0x5C trail bytes, so none here).
    const std::string sjis = tovik::platform::Utf8ToCp932("日本語のメモ.txt");
    dir.write(sjis, "text");
    ASSERT_EQ(dir.run("arj a -y names.arj '" + sjis + "'"), 0);
    ArjReader reader;
    ASSERT_EQ(reader.open((dir.path() / "names.arj").string()), ReadError::None);
    const auto *e = find(reader, sjis);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(extract(reader, e->readerData).bytes, "text");
}

TEST_F(ArjTools, GarbledEntriesListButDoNotExtract)
{
    ASSERT_EQ(dir.run("arj a -y -gsecret g.arj text.txt"), 0);
    ArjReader reader;
    ASSERT_EQ(reader.open((dir.path() / "g.arj").string()), ReadError::None);
    ASSERT_EQ(reader.entries().size(), 1u);
    EXPECT_TRUE(reader.entries()[0].encrypted);
    EXPECT_EQ(reader.entries()[0].originalSize, 400000u);
    EXPECT_EQ(extract(reader, 0).error, ReadError::Encrypted);
}

// A file split across volumes lists in each volume with "/vol" after its method; none of
// the pieces extracts alone.
TEST_F(ArjTools, SplitEntriesAreMarkedAndRefused)
{
    dir.write("big.bin", tovik::tests::SampleBinary(150000, 13));
    ASSERT_EQ(dir.run("arj a -y -v60K vol.arj big.bin"), 0);
    ArjReader reader;
    ASSERT_EQ(reader.open((dir.path() / "vol.arj").string()), ReadError::None);
    ASSERT_EQ(reader.entries().size(), 1u);
    EXPECT_EQ(reader.entries()[0].method.substr(reader.entries()[0].method.size() - 4), "/vol");
    EXPECT_EQ(extract(reader, 0).error, ReadError::Unsupported);
}

TEST_F(ArjTools, StubsAndDamage)
{
    ASSERT_EQ(dir.run("arj a -y -m1 plain.arj text.txt"), 0);
    const std::string archive = dir.read("plain.arj");
    dir.write("sfx.exe", "MZ" + tovik::tests::SampleBinary(30000, 14) + archive);
    ArjReader sfx;
    ASSERT_EQ(sfx.open((dir.path() / "sfx.exe").string()), ReadError::None);
    ASSERT_EQ(sfx.entries().size(), 1u);
    EXPECT_EQ(extract(sfx, 0).bytes, dir.read("text.txt"));

    ArjReader reader;
    ASSERT_EQ(reader.open((dir.path() / "plain.arj").string()), ReadError::None);
    const uint64_t dataStart = archive.size() - 4 - reader.entries()[0].compressedSize;
    for (std::size_t at = dataStart + 2; at < archive.size() - 4; at += 1499) {
        std::string damaged = archive;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x33);
        dir.write("damaged.arj", damaged);
        ArjReader r;
        ASSERT_EQ(r.open((dir.path() / "damaged.arj").string()), ReadError::None);
        EXPECT_EQ(extract(r, 0).error, ReadError::Corrupt) << "byte " << at;
    }
    // A damaged header fails its CRC: the archive does not open.
    std::string badHeader = archive;
    badHeader[10] = static_cast<char>(badHeader[10] ^ 1);
    dir.write("badheader.arj", badHeader);
    ArjReader r;
    EXPECT_EQ(r.open((dir.path() / "badheader.arj").string()), ReadError::Corrupt);
}

} // namespace
