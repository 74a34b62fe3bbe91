// The shared archiver scaffolding: command lines, leaf names, safe writing and the exported
// calls, driven by a scripted in-memory reader.
#include "archive/LxArcImpl.h"
#include "archivers/common/ArchiverExports.h"
#include "archivers/common/CommandLine.h"
#include "archivers/common/DosTime.h"
#include "archivers/common/LeafName.h"
#include "archivers/common/Messages.h"
#include "archivers/common/SafeFileWriter.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tovik::archivers;

namespace {

std::string Sjis(const char *utf8)
{
    return tovik::platform::Utf8ToCp932(utf8);
}

std::string ReadFile(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class TempDir {
public:
    TempDir()
    {
        char tmpl[] = "/tmp/tovik-arc-test-XXXXXX";
        path_ = mkdtemp(tmpl);
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path &path() const { return path_; }

private:
    fs::path path_;
};

// --- Command lines -------------------------------------------------------------------------

struct CommandCase {
    const char *name;
    const char *line;
    bool extract;
    const char *archive, *folder, *entry;
};

class ExtractCommandTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(ExtractCommandTest, FirstReading)
{
    const CommandCase &c = GetParam();
    ParsedCommand cmd = ParseExtractCommand(c.line);
    EXPECT_EQ(cmd.extract, c.extract);
    ASSERT_FALSE(cmd.targets.empty());
    EXPECT_EQ(cmd.targets[0].archive, c.archive);
    EXPECT_EQ(cmd.targets[0].folder, c.folder);
    EXPECT_EQ(cmd.targets[0].entry, c.entry);
}

INSTANTIATE_TEST_SUITE_P(Forms, ExtractCommandTest, ::testing::Values(
    CommandCase{"AllQuoted", " -x -j \"/a b/x.zip\" \"/tmp/d/\" \"dir/f g.txt\"", true, "/a b/x.zip", "/tmp/d/", "dir/f g.txt"},
    CommandCase{"ClosingQuoteOnly", " e \"/a/x.lzh\" \"/tmp/d/\" dir/f g.txt\"", true, "/a/x.lzh", "/tmp/d/", "dir/f g.txt"},
    CommandCase{"NoQuotes", " -x --use-directory=0 /a/x.tar /tmp/d/ dir/f.txt", true, "/a/x.tar", "/tmp/d/", "dir/f.txt"},
    CommandCase{"QuotedEntryWithBackslash", " -x -j \"a.zip\" \"d\" \"\x83\x5c\x83\x74\x83\x67.txt\"", true, "a.zip", "d",
                "\x83\x5c\x83\x74\x83\x67.txt"},
    CommandCase{"NoCommandWord", " \"a.zip\" \"d\" \"e\"", false, "a.zip", "d", "e"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CommandLineTest, BareLineOffersEverySplit)
{
    ParsedCommand cmd = ParseExtractCommand(" -x --use-directory=0 /my files/x.tar /tmp/out dir/a b.txt");
    ASSERT_TRUE(cmd.extract);
    bool found = false;
    for (const CommandTarget &t : cmd.targets)
        found = found || (t.archive == "/my files/x.tar" && t.folder == "/tmp/out" && t.entry == "dir/a b.txt");
    EXPECT_TRUE(found);
    EXPECT_EQ(cmd.targets[0].archive, "/my");
}

TEST(CommandLineTest, MemoryLineAndBrokenLines)
{
    ParsedCommand mem = ParseMemoryCommand(" \"/a/x.zip\" \"dir/f.txt\" ");
    ASSERT_EQ(mem.targets.size(), 1u);
    EXPECT_EQ(mem.targets[0].archive, "/a/x.zip");
    EXPECT_EQ(mem.targets[0].entry, "dir/f.txt");
    EXPECT_TRUE(ParseExtractCommand("").targets.empty());
    EXPECT_TRUE(ParseExtractCommand(" -x -j").targets.empty());
    EXPECT_TRUE(ParseExtractCommand(" -x \"unterminated").targets.empty());
    EXPECT_TRUE(ParseMemoryCommand(" \"a.zip\" \"\" ").targets.empty());
}

// Every path a file system can hold, written by the viewer's wrappers and read back by the
// libraries: random bytes rich in quotes, blanks, backslashes, Shift_JIS with a 0x5C trail
// byte and leading dashes, through each wrapper family's line and the memory line.
TEST(CommandLineTest, EveryPathSurvivesTheWrappersLines)
{
    std::mt19937 random(20260127);
    const std::string pieces[] = {"\"", "\"\"", " ", "  ", "\t", "\\", "\x83\x5c", "-", "x", "\xe6\x97\xa5", "/", "e", "*"};
    auto path = [&] {
        std::string p;
        std::size_t length = 1 + random() % 8;
        for (std::size_t i = 0; i < length; ++i) {
            if (random() % 4 == 0)
                p += static_cast<char>(1 + random() % 255);
            else
                p += pieces[random() % std::size(pieces)];
        }
        return p;
    };
    // The wrapper families with lines of their own, and the plain one.
    const uint8_t families[] = {1, 2, 7, 13, 18};
    for (int round = 0; round < 3000; ++round) {
        const std::string archive = path(), folder = path(), entry = path();
        for (uint8_t code : families) {
            std::unique_ptr<TLxArchiveBase> wrapper = ImplClassOfTypeCode(code)("NO-SUCH-LIBRARY.DLL", "None");
            const std::string line = wrapper->ExtractCommandLine(archive, folder, entry);
            ParsedCommand cmd = ParseExtractCommand(line);
            ASSERT_TRUE(cmd.extract) << line;
            ASSERT_FALSE(cmd.targets.empty()) << line;
            ASSERT_EQ(cmd.targets[0].archive, archive) << line;
            ASSERT_EQ(cmd.targets[0].folder, folder) << line;
            ASSERT_EQ(cmd.targets[0].entry, entry) << line;
            ASSERT_EQ(cmd.targets.size(), 1u) << line;
        }
        const std::string line = MemoryCommandLine(archive, entry);
        ParsedCommand mem = ParseMemoryCommand(line);
        ASSERT_EQ(mem.targets.size(), 1u) << line;
        ASSERT_EQ(mem.targets[0].archive, archive) << line;
        ASSERT_EQ(mem.targets[0].entry, entry) << line;
    }
    // The line of the report: quotes that would have split the path into three.
    ParsedCommand cmd = ParseMemoryCommand(MemoryCommandLine("dl/x\" \"/some/folder/\" \"y/arc.zip", "a.txt"));
    ASSERT_EQ(cmd.targets.size(), 1u);
    EXPECT_EQ(cmd.targets[0].archive, "dl/x\" \"/some/folder/\" \"y/arc.zip");
}

// --- Leaf names ----------------------------------------------------------------------------

TEST(LeafNameTest, HostileNamesNeverLeaveTheFolder)
{
    EXPECT_EQ(CleanLeafName("../escape.txt"), "escape.txt");
    EXPECT_EQ(CleanLeafName("/abs.txt"), "abs.txt");
    EXPECT_EQ(CleanLeafName("a\\..\\..\\b.txt"), "b.txt");
    EXPECT_EQ(CleanLeafName(std::string("a\0b", 3)), "a_b");
    EXPECT_EQ(CleanLeafName("x/tab\there"), "tab_here");
    EXPECT_FALSE(CleanLeafName(".."));
    EXPECT_FALSE(CleanLeafName("dir/.."));
    EXPECT_FALSE(CleanLeafName("dir/."));
    EXPECT_FALSE(CleanLeafName("dir/"));
    EXPECT_FALSE(CleanLeafName(""));
}

TEST(LeafNameTest, TrailByte5CIsNotASeparator)
{
    // "表" is 0x95 0x5C and "ソ" is 0x83 0x5C: both end in the byte of "\".
    std::string path = Sjis("フォルダ\\表ソ.txt");
    EXPECT_EQ(StoredLeaf(path), Sjis("表ソ.txt"));
    EXPECT_EQ(CleanLeafName(path), "表ソ.txt");
    EXPECT_EQ(NormalizeSeparators(path), Sjis("フォルダ/表ソ.txt"));
}

// --- Safe writing --------------------------------------------------------------------------

TEST(SafeFileWriterTest, CreatesFolderPrivateAndRenamesWhole)
{
    TempDir dir;
    fs::path folder = dir.path() / "new" / "deeper";
    SafeFileWriter w;
    ASSERT_TRUE(w.open(folder, "f.txt"));
    ASSERT_TRUE(w.write(reinterpret_cast<const uint8_t *>("hello"), 5));
    EXPECT_FALSE(fs::exists(folder / "f.txt")) << "visible before it is complete";
    ASSERT_TRUE(w.commit(-1));
    EXPECT_EQ(ReadFile(folder / "f.txt"), "hello");
    struct stat st{};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
}

TEST(SafeFileWriterTest, ExistingLinkIsReplacedNotFollowed)
{
    TempDir dir;
    fs::path outside = dir.path() / "outside.txt";
    std::ofstream(outside) << "keep";
    fs::create_directory(dir.path() / "d");
    fs::create_symlink(outside, dir.path() / "d" / "f.txt");
    SafeFileWriter w;
    ASSERT_TRUE(w.open(dir.path() / "d", "f.txt"));
    ASSERT_TRUE(w.write(reinterpret_cast<const uint8_t *>("new"), 3));
    ASSERT_TRUE(w.commit(-1));
    EXPECT_EQ(ReadFile(outside), "keep");
    EXPECT_FALSE(fs::is_symlink(dir.path() / "d" / "f.txt"));
    EXPECT_EQ(ReadFile(dir.path() / "d" / "f.txt"), "new");
}

TEST(SafeFileWriterTest, AbortAndDirectoryTargetLeaveNothing)
{
    TempDir dir;
    {
        SafeFileWriter w;
        ASSERT_TRUE(w.open(dir.path(), "f.txt"));
        w.write(reinterpret_cast<const uint8_t *>("part"), 4);
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
    fs::create_directory(dir.path() / "sub");
    SafeFileWriter w;
    ASSERT_TRUE(w.open(dir.path(), "sub"));
    EXPECT_FALSE(w.commit(-1));
    EXPECT_TRUE(fs::is_empty(dir.path() / "sub"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
    EXPECT_FALSE(w.open(dir.path(), ".."));
    EXPECT_FALSE(w.open(dir.path(), "a/b"));
}

// --- Exported calls over a scripted reader -------------------------------------------------

struct FakeEntry {
    EntryInfo info;
    std::string data;
    ReadError failAfterHalf = ReadError::None;
};

std::vector<FakeEntry> g_entries;
bool g_sawRunning = false;

class FakeReader : public ArchiveReader {
public:
    ReadError open(const std::string &path) override
    {
        if (access(path.c_str(), R_OK) != 0)
            return ReadError::NotFound;
        for (const FakeEntry &e : g_entries)
            entries_.push_back(e.info);
        return ReadError::None;
    }
    const std::vector<EntryInfo> &entries() const override { return entries_; }
    ReadError extract(std::size_t index, const DataSink &sink) override
    {
        g_sawRunning = GetRunning() != 0;
        const FakeEntry &e = g_entries[index];
        const auto *p = reinterpret_cast<const uint8_t *>(e.data.data());
        // Hand the bytes over in small pieces, as a decoder would.
        std::size_t end = e.failAfterHalf != ReadError::None ? e.data.size() / 2 : e.data.size();
        for (std::size_t i = 0; i < end; i += 7)
            if (!sink(p + i, std::min<std::size_t>(7, end - i)))
                return ReadError::None;
        return e.failAfterHalf;
    }

private:
    std::vector<EntryInfo> entries_;
};

const LibraryInfo kFake = {"Fake", 123, nullptr, nullptr, [] { return std::unique_ptr<ArchiveReader>(new FakeReader); }};

class ExportsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        archive_ = dir_.path() / "a.fake";
        std::ofstream(archive_) << "x";
        auto add = [](std::string name, std::string data, uint64_t csize) {
            FakeEntry e;
            e.info.name = std::move(name);
            e.info.originalSize = data.size();
            e.info.compressedSize = csize;
            e.info.crc = 0x1234abcd;
            e.info.attribute = LX_FA_ARCH;
            e.info.dosDate = (45 << 9) | (3 << 5) | 4;
            e.info.dosTime = (13 << 11) | (14 << 5) | 15;
            e.data = std::move(data);
            g_entries.push_back(e);
        };
        g_entries.clear();
        add("dir/", "", 0);
        g_entries[0].info.attribute = LX_FA_DIREC;
        add("dir/a.txt", std::string(100, 'a'), 40);
        add(Sjis("dir/表.txt"), "hyou", 4);
        add("empty.txt", "", 0);
        add("bad.txt", std::string(50, 'b'), 50);
        g_entries.back().failAfterHalf = ReadError::Corrupt;
        add("secret.txt", "s", 1);
        g_entries.back().info.encrypted = true;
    }
    std::string Command(const std::string &line, int32_t *rc)
    {
        char out[LX_ARC_OUTPUT_SIZE];
        std::memset(out, 'Z', sizeof out);
        *rc = RunCommand(kFake, nullptr, line.c_str(), out, sizeof out);
        return tovik::platform::Cp932ToUtf8(out);
    }
    TempDir dir_;
    fs::path archive_;
};

TEST_F(ExportsTest, WalksEveryEntryWithItsFacts)
{
    EXPECT_EQ(OpenArchive(kFake, nullptr, (dir_.path() / "missing").c_str(), 0), nullptr);
    LX_HARC arc = OpenArchive(kFake, nullptr, archive_.c_str(), 0);
    ASSERT_NE(arc, nullptr);
    std::vector<std::string> names;
    char name[LX_ARC_NAME_SIZE];
    for (int rc = FindFirst(arc, "*.*", nullptr); rc == 0; rc = FindNext(arc, nullptr)) {
        ASSERT_EQ(GetFileName(arc, name, sizeof name), 0);
        names.push_back(name);
        if (names.back() == "dir/a.txt") {
            EXPECT_EQ(GetOriginalSize(arc), 100u);
            EXPECT_EQ(GetCompressedSize(arc), 40u);
            int64_t big = 0;
            EXPECT_TRUE(GetOriginalSizeEx(arc, &big));
            EXPECT_EQ(big, 100);
            EXPECT_EQ(GetRatio(arc), 400);
            EXPECT_EQ(GetCRC(arc), 0x1234abcdu);
            EXPECT_EQ(GetDate(arc), (45 << 9) | (3 << 5) | 4);
            EXPECT_EQ(GetTime(arc), (13 << 11) | (14 << 5) | 15);
        }
        if (names.back() == "empty.txt") {
            EXPECT_EQ(GetRatio(arc), 0);
        }
    }
    EXPECT_EQ(names.size(), g_entries.size());
    EXPECT_EQ(FindNext(arc, nullptr), -1);
    EXPECT_EQ(GetFileName(arc, name, sizeof name), -1) << "no entry is current after the end";
    // A name longer than the buffer is refused rather than cut into another path.
    ASSERT_EQ(FindFirst(arc, "dir/a*", nullptr), 0);
    EXPECT_EQ(GetFileName(arc, name, 5), -1);
    EXPECT_EQ(FindNext(arc, nullptr), -1);
    EXPECT_EQ(CloseArchive(arc), 0);
    EXPECT_EQ(CloseArchive(arc), -1);
    EXPECT_EQ(FindFirst(arc, "*.*", nullptr), -1) << "a closed handle finds nothing";
    EXPECT_EQ(GetVersion(kFake), 123);
}

TEST_F(ExportsTest, RatioBounds)
{
    EXPECT_EQ(RatioOf(0, 10), 0);
    EXPECT_EQ(RatioOf(3, 1), 333);
    EXPECT_EQ(RatioOf(1, 1000), 0xFFFF);
    EXPECT_EQ(RatioOf(INT64_MAX, INT64_MAX), 1000);
    // An unknown size has no rate.
    EXPECT_EQ(RatioOf(kUnknownSize, 10), 0);
    EXPECT_EQ(RatioOf(10, kUnknownSize), 0);
}

TEST_F(ExportsTest, ExtractMemFillsAtMostTheBuffer)
{
    uint8_t buf[1025];
    LX_DWORD written = 99;
    std::string line = " \"" + archive_.string() + "\" \"dir/a.txt\" ";
    EXPECT_EQ(ExtractMem(kFake, nullptr, line.c_str(), buf, 30, nullptr, nullptr, &written), 0);
    EXPECT_EQ(written, 30u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), 30), std::string(30, 'a'));
    EXPECT_TRUE(g_sawRunning);
    EXPECT_EQ(GetRunning(), 0);
    // The entry named in UTF-8 is found through its CP932 name.
    line = " \"" + archive_.string() + "\" \"dir/表.txt\" ";
    EXPECT_EQ(ExtractMem(kFake, nullptr, line.c_str(), buf, sizeof buf, nullptr, nullptr, &written), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), written), "hyou");

    struct Case { const char *entry; const char *message; };
    for (Case c : {Case{"secret.txt", "パスワード付きのファイルは展開できません"}, Case{"nope.txt", "ファイルが見つかりません"},
                   Case{"bad.txt", "書庫が壊れています"}, Case{"dir/", "ファイルが見つかりません"}}) {
        line = " \"" + archive_.string() + "\" \"" + c.entry + "\" ";
        written = 99;
        EXPECT_LT(ExtractMem(kFake, nullptr, line.c_str(), buf, sizeof buf, nullptr, nullptr, &written), 0) << c.entry;
        EXPECT_EQ(written, 0u);
        EXPECT_EQ(tovik::platform::Cp932ToUtf8(reinterpret_cast<char *>(buf)), c.message) << c.entry;
    }
}

TEST_F(ExportsTest, CommandWritesOneFileWithoutFolders)
{
    fs::path dest = dir_.path() / "out";
    int32_t rc = -1;
    for (std::string line : {" -x -j \"" + archive_.string() + "\" \"" + dest.string() + "/\" \"dir/a.txt\"",
                             " e \"" + archive_.string() + "\" \"" + dest.string() + "/\" dir\\表.txt\"",
                             " -x --use-directory=0 " + archive_.string() + " " + dest.string() + "/ empty.txt"}) {
        Command(line, &rc);
        EXPECT_EQ(rc, 0) << line;
    }
    EXPECT_EQ(ReadFile(dest / "a.txt"), std::string(100, 'a'));
    EXPECT_EQ(ReadFile(dest / "表.txt"), "hyou");
    EXPECT_TRUE(fs::exists(dest / "empty.txt"));
    EXPECT_EQ(fs::file_size(dest / "empty.txt"), 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dest), {}), 3);
    struct stat st{};
    ASSERT_EQ(stat((dest / "a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, DosToUnixTime(g_entries[1].info.dosDate, g_entries[1].info.dosTime));
}

TEST_F(ExportsTest, CommandFailuresLeaveNoFile)
{
    fs::path dest = dir_.path() / "out";
    int32_t rc = 0;
    auto run = [&](const std::string &archive, const std::string &entry) {
        return Command(" -x -j \"" + archive + "\" \"" + dest.string() + "\" \"" + entry + "\"", &rc);
    };
    EXPECT_EQ(run(archive_, "bad.txt"), "書庫が壊れています");
    EXPECT_NE(rc, 0);
    EXPECT_EQ(run(archive_, "secret.txt"), "パスワード付きのファイルは展開できません");
    EXPECT_EQ(run(archive_, "missing.txt"), "ファイルが見つかりません");
    EXPECT_EQ(run((dir_.path() / "none.zip").string(), "dir/a.txt"), "書庫が見つかりません");
    EXPECT_EQ(Command(" -l \"" + archive_.string() + "\"", &rc), "コマンドが正しくありません");
    EXPECT_NE(rc, 0);
    EXPECT_TRUE(!fs::exists(dest) || fs::is_empty(dest));
    // The message is cut at a character boundary and always terminated.
    char small[6];
    EXPECT_NE(RunCommand(kFake, nullptr, "", small, sizeof small), 0);
    EXPECT_EQ(std::strlen(small), 4u);
}

} // namespace
