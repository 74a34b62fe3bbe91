// LZH archives made at test time by jlha, read back byte for byte; 7-Zip as an independent
// lister; stubs in front; damaged data.
#include "SevenZipListing.h"
#include "ToolArchive.h"
#include "archivers/unlha32/LzhReader.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <cstdio>

using tovik::archivers::ReadError;
using tovik::tests::ScratchDir;
using tovik::unlha32::LzhReader;

namespace {

const char *const kJlha = "java -Dlha.encoding=MS932 -jar /usr/share/java/jlhafrontend.jar";

struct Extracted {
    ReadError error;
    std::string bytes;
};

Extracted extract(LzhReader &reader, std::size_t index)
{
    Extracted out;
    out.error = reader.extract(index, [&](const uint8_t *p, std::size_t n) {
        out.bytes.append(reinterpret_cast<const char *>(p), n);
        return true;
    });
    return out;
}

const tovik::archivers::EntryInfo *find(const LzhReader &reader, const std::string &name)
{
    for (const auto &e : reader.entries())
        if (e.name == name)
            return &e;
    return nullptr;
}

class LzhTools : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!tovik::tests::HaveTool("java") || !std::filesystem::exists("/usr/share/java/jlhafrontend.jar"))
            GTEST_SKIP() << "jlha (package jlha-utils) is not installed";
        dir.write("text.txt", tovik::tests::SampleText(300000, 1));
        dir.write("random.bin", tovik::tests::SampleBinary(70000, 2));
        dir.write("empty.txt", "");
        dir.write("sub/one.txt", "1");
    }
    ScratchDir dir;
    const std::vector<std::string> files = {"text.txt", "random.bin", "empty.txt", "sub/one.txt"};
};

TEST_F(LzhTools, EveryMethodAndHeaderLevelRoundTrips)
{
    const bool sevenZip = tovik::tests::HaveTool("7zz");
    for (const char *level : {"0", "1", "2"}) {
        for (const char *method : {"o5", "o6", "o7", "z"}) {
            const std::string name = std::string("t") + level + method + ".lzh";
            SCOPED_TRACE(name);
            ASSERT_EQ(dir.run(std::string(kJlha) + " a" + level + method + " " + name +
                              " text.txt random.bin empty.txt sub/one.txt"),
                      0);
            LzhReader reader;
            ASSERT_EQ(reader.open((dir.path() / name).string()), ReadError::None);
            for (const std::string &file : files) {
                const auto *e = find(reader, file);
                ASSERT_NE(e, nullptr) << file;
                std::string want = dir.read(file);
                EXPECT_EQ(e->originalSize, want.size());
                Extracted got = extract(reader, e->readerData);
                EXPECT_EQ(got.error, ReadError::None) << file;
                EXPECT_TRUE(got.bytes == want) << file;
            }
            if (!sevenZip)
                continue;
            // The independent lister agrees on every entry.
            auto listing = tovik::tests::SevenZipList(dir, name);
            ASSERT_EQ(listing.size(), reader.entries().size());
            for (std::size_t i = 0; i < listing.size(); ++i) {
                const auto &e = reader.entries()[i];
                EXPECT_EQ(listing[i]["Path"], e.name);
                EXPECT_EQ(listing[i]["Size"], std::to_string(e.originalSize));
                EXPECT_EQ(listing[i]["Packed Size"], std::to_string(e.compressedSize));
                EXPECT_EQ(listing[i]["Method"], e.method);
                EXPECT_EQ(std::stoul(listing[i]["CRC"], nullptr, 16), e.crc);
            }
        }
    }
}

// Names stored in Shift_JIS come back unchanged, "ソ" (0x83 0x5C) included: its second
// byte is no separator.
TEST_F(LzhTools, ShiftJisNamesAreListedAsStored)
{
    dir.write("日本語/ソース.txt", "text");
    for (const char *level : {"0", "1", "2"}) {
        SCOPED_TRACE(level);
        const std::string name = std::string("ja") + level + ".lzh";
        ASSERT_EQ(dir.run(std::string(kJlha) + " a" + level + " " + name + " 日本語/ソース.txt"), 0);
        LzhReader reader;
        ASSERT_EQ(reader.open((dir.path() / name).string()), ReadError::None);
        const auto *e = find(reader, tovik::platform::Utf8ToCp932("日本語/ソース.txt"));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(extract(reader, e->readerData).bytes, "text");
    }
}

// Names a Unix writer stored in UTF-8 come back in CP932.
TEST_F(LzhTools, Utf8NamesAreConvertedToCp932)
{
    dir.write("日本語/メモ.txt", "text");
    ASSERT_EQ(dir.run("java -Dlha.encoding=UTF-8 -jar /usr/share/java/jlhafrontend.jar a2 u.lzh 日本語/メモ.txt"), 0);
    LzhReader reader;
    ASSERT_EQ(reader.open((dir.path() / "u.lzh").string()), ReadError::None);
    ASSERT_EQ(reader.entries().size(), 1u);
    EXPECT_EQ(reader.entries()[0].name, tovik::platform::Utf8ToCp932("日本語/メモ.txt"));
}

// An archive behind an executable stub is found when it starts within 256 KiB, and its
// entries read as they do without the stub.
TEST_F(LzhTools, ArchiveBehindAStub)
{
    ASSERT_EQ(dir.run(std::string(kJlha) + " a2o7 plain.lzh text.txt sub/one.txt"), 0);
    const std::string archive = dir.read("plain.lzh");
    for (std::size_t stubSize : {std::size_t(5000), std::size_t(200000), std::size_t(300000)}) {
        SCOPED_TRACE(stubSize);
        std::string stub = "MZ" + tovik::tests::SampleBinary(stubSize - 2, 3);
        dir.write("sfx.exe", stub + archive);
        LzhReader reader;
        ReadError opened = reader.open((dir.path() / "sfx.exe").string());
        if (stubSize > 256 * 1024) {
            EXPECT_EQ(opened, ReadError::Corrupt);
            continue;
        }
        ASSERT_EQ(opened, ReadError::None);
        ASSERT_EQ(reader.entries().size(), 2u);
        EXPECT_EQ(extract(reader, 0).bytes, dir.read("text.txt"));
    }
}

// Damaged compressed data never passes as good: every method either fails to decode or
// fails its CRC. Cut-short archives list what is whole and fail the rest.
TEST_F(LzhTools, DamagedDataIsCorruptNeverWrong)
{
    for (const char *method : {"o5", "o6", "o7"}) {
        SCOPED_TRACE(method);
        const std::string name = std::string("d") + method + ".lzh";
        ASSERT_EQ(dir.run(std::string(kJlha) + " a2" + method + " " + name + " text.txt"), 0);
        std::string bytes = dir.read(name);
        LzhReader reader;
        ASSERT_EQ(reader.open((dir.path() / name).string()), ReadError::None);
        const uint64_t dataStart = bytes.size() - 1 - reader.entries()[0].compressedSize;
        for (std::size_t at = dataStart + 3; at < bytes.size() - 1; at += 997) {
            std::string damaged = bytes;
            damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
            dir.write("damaged.lzh", damaged);
            LzhReader r;
            ASSERT_EQ(r.open((dir.path() / "damaged.lzh").string()), ReadError::None);
            EXPECT_EQ(extract(r, 0).error, ReadError::Corrupt) << "byte " << at;
        }
        for (std::size_t cut = 1; cut < bytes.size(); cut += bytes.size() / 7) {
            dir.write("cut.lzh", bytes.substr(0, cut));
            LzhReader r;
            if (r.open((dir.path() / "cut.lzh").string()) == ReadError::None && !r.entries().empty()) {
                EXPECT_EQ(extract(r, 0).error, ReadError::Corrupt) << "cut at " << cut;
            }
        }
    }
}

} // namespace
