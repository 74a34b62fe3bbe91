// The libraries on archives made at test time by real tools (bsdtar, Info-ZIP zip, 7zz, gcab):
// names in every encoding a ZIP carries, self-extracting stubs, nested folders, empty and large
// entries, encryption; and the hostile names and links that must never reach outside the
// destination folder.
#include "ArchiverLibrary.h"

#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::string Sjis(const std::string &utf8)
{
    return tovik::platform::Utf8ToCp932(utf8);
}

std::string ReadFile(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path &p, const std::string &data)
{
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << data;
}

uint32_t Crc32(const std::string &data)
{
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char c : data) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

std::string RunOk(const std::string &line)
{
    std::string out;
    int rc = RunTool(line + " 2>&1", &out);
    EXPECT_EQ(rc, 0) << line << "\n" << out;
    return out;
}

struct Libs {
    ArchiverLibrary zip{"unzip32.so", "UnZip"}, sevenZip{"7-zip32.so", "SevenZip"}, cab{"cab32.so", "Cab"},
        tar{"tar32.so", "Tar"}, rar{"unrar32.so", "Rar"};
    std::vector<ArchiverLibrary *> all() { return {&zip, &sevenZip, &cab, &tar, &rar}; }
};

// The tree every archive is made of: relative UTF-8 path -> bytes ("/" ends a folder).
std::map<std::string, std::string> SourceTree()
{
    std::string big(1'500'000, '\0');
    uint32_t x = 12345;
    for (char &c : big) {
        x = x * 1103515245 + 12345;
        c = static_cast<char>((x >> 16) % 7 == 0 ? 'a' : (x >> 24));
    }
    return {{"dir1/", ""},
            {"dir1/sub/", ""},
            {"dir1/sub/deep.txt", "deep text\n"},
            {"dir1/empty.txt", ""},
            {"big.bin", big},
            {"表ソ.txt", "sjis name\n"},
            {"emptydir/", ""}};
}

class MadeArchivesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char tmpl[] = "/tmp/tovik-made-XXXXXX";
        root_ = mkdtemp(tmpl);
        src_ = root_ / "src";
        for (const auto &[name, data] : SourceTree()) {
            if (name.back() == '/')
                fs::create_directories(src_ / name);
            else
                WriteFile(src_ / name, data);
        }
        // A fixed stamp for every file and folder: 2021-06-15 12:34:56 local time.
        RunOk("cd " + ShellQuote(src_) + " && find . -exec touch -d '2021-06-15 12:34:56' {} +");
        std::string cd = "cd " + ShellQuote(src_) + " && ";
        std::string out = ShellQuote(root_.string()) + "/";
        std::string files = "dir1 big.bin 表ソ.txt emptydir";
        RunOk(cd + "LC_ALL=C.UTF-8 zip -q -r " + out + "infozip.zip " + files);
        RunOk(cd + "LC_ALL=C.UTF-8 bsdtar -cf " + out + "flagged.zip --format zip " + files);
        RunOk(cd + "LC_ALL=C.UTF-8 bsdtar -cf " + out + "sjis.zip --format zip --options zip:hdrcharset=CP932 " + files);
        RunOk(cd + "LC_ALL=C.UTF-8 7zz a -bd -y " + out + "made.7z " + files + " >/dev/null");
        RunOk(cd + "LC_ALL=C.UTF-8 bsdtar -cf " + out + "made.tar " + files);
        RunOk(cd + "LC_ALL=C.UTF-8 bsdtar -czf " + out + "made.tar.gz " + files);
        RunOk(cd + "LC_ALL=C.UTF-8 bsdtar -cZf " + out + "made.tar.Z " + files);
        RunOk(cd + "LC_ALL=C.UTF-8 bsdtar -cJf " + out + "made.tar.xz " + files);
        RunOk(cd + "LC_ALL=C.UTF-8 bsdtar -cjf " + out + "made.tar.bz2 " + files);
        RunOk(cd + "LC_ALL=C.UTF-8 bsdtar -cf " + out + "made.cpio --format newc " + files);
        RunOk(cd + "LC_ALL=C.UTF-8 gcab -c " + out + "made.cab dir1/sub/deep.txt dir1/empty.txt big.bin 表ソ.txt");
        // A self-extracting program: an "MZ" stub with the ZIP behind it, as is and with its
        // offsets adjusted by zip -A.
        std::string stub = "MZ" + std::string(8190, '\x90');
        WriteFile(root_ / "sfx.exe", stub + ReadFile(root_ / "infozip.zip"));
        WriteFile(root_ / "sfx-adjusted.exe", stub + ReadFile(root_ / "infozip.zip"));
        RunOk("zip -q -A " + ShellQuote((root_ / "sfx-adjusted.exe").string()));
        WriteFile(root_ / "plain.txt", "just text, no archive\n");
    }
    static void TearDownTestSuite() { fs::remove_all(root_); }

    static std::string path(const std::string &name) { return (root_ / name).string(); }

    // Lists through lib and checks every name, size and byte against the source tree.
    void ExpectTree(ArchiverLibrary &lib, const std::string &archive, bool folders, bool crc)
    {
        SCOPED_TRACE(archive + " through " + lib.prefix());
        auto entries = lib.list(path(archive));
        ASSERT_TRUE(entries.has_value());
        std::map<std::string, std::string> expected;
        for (const auto &[name, data] : SourceTree())
            if (folders || name.back() != '/')
                expected[Sjis(name)] = data;
        if (archive.ends_with(".cab"))
            expected.erase(Sjis("emptydir/"));
        std::map<std::string, ListedEntry> got;
        for (const ListedEntry &e : *entries) {
            std::string name = e.name;
            for (std::size_t i = 0; i < name.size(); ++i) {
                if (tovik::platform::IsCp932LeadByte(static_cast<unsigned char>(name[i])))
                    ++i;
                else if (name[i] == '\\')
                    name[i] = '/';
            }
            got[name] = e;
        }
        for (const auto &[name, data] : expected) {
            auto it = got.find(name);
            if (it == got.end()) {
                if (name.back() == '/')
                    continue;   // folders are recorded by some tools only
                ADD_FAILURE() << "missing " << tovik::platform::Cp932ToUtf8(name);
                continue;
            }
            const ListedEntry &e = it->second;
            if (name.back() == '/') {
                EXPECT_TRUE(e.attribute & LX_FA_DIREC) << name;
                continue;
            }
            EXPECT_EQ(e.originalSize, static_cast<int64_t>(data.size())) << name;
            // Compressed streams and a solid block's later entries do not tell an entry's
            // packed size: it is unknown (-1) and has no rate, rather than a share made up
            // from the whole. (A solid block's rate, on its first entry, is the block's: here
            // that entry, big.bin, is nearly all of its block.)
            if (e.compressedSize < 0)
                EXPECT_EQ(e.ratio, 0) << name;
            else
                EXPECT_EQ(e.ratio, data.empty() ? 0 : e.compressedSize * 1000 / static_cast<int64_t>(data.size())) << name;
            if (crc)
                EXPECT_EQ(e.crc, Crc32(data)) << name;
            // 2021-06-15 12:34:56 in MS-DOS fields, local time.
            EXPECT_EQ(e.date, (41 << 9) | (6 << 5) | 15) << name;
            EXPECT_EQ(e.time, (12 << 11) | (34 << 5) | 28) << name;
            std::string bytes;
            ASSERT_EQ(lib.extractMem(path(archive), e.name, data.size() + 10, bytes), 0) << name << ": " << bytes;
            EXPECT_TRUE(bytes == data) << name << ": " << bytes.size() << " bytes";
        }
        EXPECT_GE(got.size(), expected.size() - 3);
    }

    static fs::path root_, src_;
    Libs libs_;
};

fs::path MadeArchivesTest::root_, MadeArchivesTest::src_;

TEST_F(MadeArchivesTest, ZipInEveryNameEncoding)
{
    for (const char *archive : {"infozip.zip", "flagged.zip", "sjis.zip", "sfx.exe", "sfx-adjusted.exe"}) {
        ExpectTree(libs_.zip, archive, true, true);
        ExpectTree(libs_.sevenZip, archive, true, true);
    }
}

TEST_F(MadeArchivesTest, SevenZipCabAndTarFamily)
{
    ExpectTree(libs_.sevenZip, "made.7z", true, false);
    // A 7z behind a stub longer than libarchive searches (it stops at 384 KiB).
    WriteFile(path("sfx7z.exe"), "MZ" + std::string(0x70000, '\x90') + ReadFile(path("made.7z")));
    EXPECT_TRUE(libs_.sevenZip.check(path("sfx7z.exe")));
    ExpectTree(libs_.sevenZip, "sfx7z.exe", true, false);
    ExpectTree(libs_.cab, "made.cab", false, false);
    for (const char *archive : {"made.tar", "made.tar.gz", "made.tar.Z", "made.tar.xz", "made.tar.bz2", "made.cpio"})
        ExpectTree(libs_.tar, archive, true, false);
}

TEST_F(MadeArchivesTest, EachLibraryClaimsItsOwnFormatsOnly)
{
    struct Case {
        const char *archive;
        std::vector<std::string> claimedBy;
        int32_t tarType, sevenZipType;
    };
    const Case cases[] = {
        {"infozip.zip", {"UnZip", "SevenZip"}, 0, 2}, {"sfx.exe", {"UnZip", "SevenZip"}, 0, 2},
        {"made.7z", {"SevenZip"}, 0, 1},               {"made.cab", {"Cab"}, 0, 0},
        {"made.tar", {"Tar"}, 1, 0},                   {"made.tar.gz", {"Tar"}, 2, 0},
        {"made.tar.Z", {"Tar"}, 3, 0},                 {"made.tar.xz", {"Tar"}, 4, 0},
        {"made.tar.bz2", {"Tar"}, 6, 0},               {"made.cpio", {"Tar"}, 1, 0},
        {"plain.txt", {}, 0, 0},
    };
    for (const Case &c : cases) {
        for (ArchiverLibrary *lib : libs_.all()) {
            bool expected = std::find(c.claimedBy.begin(), c.claimedBy.end(), lib->prefix()) != c.claimedBy.end();
            EXPECT_EQ(lib->check(path(c.archive)), expected) << c.archive << " by " << lib->prefix();
        }
        EXPECT_EQ(libs_.tar.archiveType(path(c.archive)), c.tarType) << c.archive;
        EXPECT_EQ(libs_.sevenZip.archiveType(path(c.archive)), c.sevenZipType) << c.archive;
    }
    EXPECT_FALSE(libs_.tar.check("/bin/sh"));
    EXPECT_FALSE(libs_.tar.check(path("missing.tar")));
    EXPECT_EQ(libs_.zip.symbol("GetArchiveType"), nullptr);
}

TEST_F(MadeArchivesTest, EncryptedEntriesListButAreNotExtracted)
{
    std::string cd = "cd " + ShellQuote(src_.string()) + " && ";
    RunOk(cd + "zip -q -P secret " + ShellQuote(path("enc.zip")) + " dir1/sub/deep.txt");
    RunOk(cd + "7zz a -bd -y -psecret " + ShellQuote(path("enc.7z")) + " dir1/sub/deep.txt >/dev/null");
    RunOk(cd + "7zz a -bd -y -psecret -mhe=on " + ShellQuote(path("enc-header.7z")) + " dir1/sub/deep.txt >/dev/null");
    fs::path dest = root_ / "enc-out";
    for (auto [lib, archive] : {std::pair{&libs_.zip, "enc.zip"}, std::pair{&libs_.sevenZip, "enc.7z"}}) {
        auto entries = lib->list(path(archive));
        ASSERT_TRUE(entries && entries->size() == 1) << archive;
        std::string out;
        EXPECT_LT(lib->extractMem(path(archive), "dir1/sub/deep.txt", 100, out), 0);
        EXPECT_EQ(out, "パスワード付きのファイルは展開できません") << archive;
        EXPECT_NE(lib->extract(path(archive), dest.string(), "dir1/sub/deep.txt", out), 0);
        EXPECT_EQ(out, "パスワード付きのファイルは展開できません") << archive;
    }
    EXPECT_FALSE(libs_.sevenZip.list(path("enc-header.7z")).has_value());
    EXPECT_TRUE(!fs::exists(dest) || fs::is_empty(dest));
}

TEST_F(MadeArchivesTest, CommandExtractsOneEntryWithoutFolders)
{
    fs::path dest = root_ / "out" / "new";
    std::string message;
    EXPECT_EQ(libs_.zip.extract(path("sjis.zip"), dest.string(), Sjis("表ソ.txt"), message), 0) << message;
    EXPECT_EQ(libs_.tar.command(" -x --use-directory=0 " + path("made.tar.gz") + " " + dest.string() + "/ dir1/sub/deep.txt",
                                message),
              0)
        << message;
    EXPECT_EQ(libs_.sevenZip.command(" e \"" + path("made.7z") + "\" \"" + dest.string() + "/\" big.bin\"", message), 0)
        << message;
    EXPECT_EQ(ReadFile(dest / "表ソ.txt"), "sjis name\n");
    EXPECT_EQ(ReadFile(dest / "deep.txt"), "deep text\n");
    EXPECT_EQ(ReadFile(dest / "big.bin"), SourceTree()["big.bin"]);
    struct stat st{};
    ASSERT_EQ(stat(dest.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dest), {}), 3);
    EXPECT_NE(libs_.zip.extract(path("sjis.zip"), dest.string(), "nope.txt", message), 0);
    EXPECT_EQ(message, "ファイルが見つかりません");
    EXPECT_NE(libs_.zip.extract(path("none.zip"), dest.string(), "a.txt", message), 0);
    EXPECT_EQ(message, "書庫が見つかりません");
}

// --- Hostile archives ----------------------------------------------------------------------

TEST_F(MadeArchivesTest, HostileNamesStayInTheFolder)
{
    fs::path work = root_ / "hostile";
    WriteFile(work / "in" / "escape.txt", "escaped\n");
    WriteFile(work / "in" / "abs.txt", "absolute\n");
    std::string cd = "cd " + ShellQuote((work / "in").string()) + " && ";
    std::string tarPath = (work / "evil.tar").string(), zipPath = (work / "evil.zip").string();
    RunOk(cd + "bsdtar -cf " + ShellQuote(tarPath) + " -P -s ',^escape,../escape,' -s ',^abs,/abs,' escape.txt abs.txt");
    RunOk(cd + "bsdtar -cf " + ShellQuote(zipPath) + " --format zip -P -s ',^escape,../escape,' -s ',^abs,/abs,' escape.txt abs.txt");
    fs::path dest = work / "a" / "b";
    for (auto [lib, archive] : {std::pair{&libs_.tar, tarPath}, std::pair{&libs_.zip, zipPath}}) {
        auto entries = lib->list(archive);
        ASSERT_TRUE(entries && entries->size() == 2) << archive;
        EXPECT_EQ((*entries)[0].name, "../escape.txt");
        EXPECT_EQ((*entries)[1].name, "/abs.txt");
        std::string message;
        EXPECT_EQ(lib->extract(archive, dest.string(), "../escape.txt", message), 0) << message;
        EXPECT_EQ(lib->extract(archive, dest.string(), "/abs.txt", message), 0) << message;
        EXPECT_EQ(ReadFile(dest / "escape.txt"), "escaped\n");
        EXPECT_EQ(ReadFile(dest / "abs.txt"), "absolute\n");
        EXPECT_FALSE(fs::exists(work / "a" / "escape.txt"));
        EXPECT_FALSE(fs::exists("/abs.txt") && ReadFile("/abs.txt") == "absolute\n");
        fs::remove_all(work / "a");
    }
}

TEST_F(MadeArchivesTest, LinksAreNeverFollowedOrCreated)
{
    fs::path work = root_ / "links";
    fs::path victim = work / "outside" / "victim.txt";
    WriteFile(victim, "untouched\n");
    WriteFile(work / "in" / "file.txt", "payload\n");
    fs::create_symlink(victim, work / "in" / "link");
    std::string cd = "cd " + ShellQuote((work / "in").string()) + " && ";
    std::string tarPath = (work / "evil.tar").string();
    // A symbolic link named "link", then a regular file of the same name.
    RunOk(cd + "bsdtar -cf " + ShellQuote(tarPath) + " link && bsdtar -rf " + ShellQuote(tarPath) +
        " -s ',^file.txt$,link,' file.txt");
    auto entries = libs_.tar.list(tarPath);
    ASSERT_TRUE(entries && entries->size() == 2);

    fs::path dest = work / "dest";
    fs::create_directories(dest);
    fs::create_symlink(victim, dest / "link");
    fs::create_symlink(victim, dest / "deep.txt");
    std::string message;
    EXPECT_EQ(libs_.tar.extract(tarPath, dest.string(), "link", message), 0) << message;
    EXPECT_FALSE(fs::is_symlink(dest / "link"));
    EXPECT_EQ(ReadFile(dest / "link"), "payload\n");
    // A pre-existing link at the destination is replaced, never written through.
    EXPECT_EQ(libs_.zip.extract(path("infozip.zip"), dest.string(), "dir1/sub/deep.txt", message), 0) << message;
    EXPECT_FALSE(fs::is_symlink(dest / "deep.txt"));
    EXPECT_EQ(ReadFile(dest / "deep.txt"), "deep text\n");
    EXPECT_EQ(ReadFile(victim), "untouched\n");

    // The link entry alone: nothing is created for it.
    std::string linkOnly = (work / "link-only.tar").string();
    RunOk(cd + "bsdtar -cf " + ShellQuote(linkOnly) + " link");
    fs::path dest2 = work / "dest2";
    EXPECT_NE(libs_.tar.extract(linkOnly, dest2.string(), "link", message), 0);
    EXPECT_FALSE(fs::exists(dest2 / "link") || fs::is_symlink(dest2 / "link"));
    EXPECT_EQ(ReadFile(victim), "untouched\n");
}

// Memory extraction from an archive no listing has been read for finds its entry in a single
// pass; it must pick the same entry and give the same answer as after a listing.
TEST_F(MadeArchivesTest, UnlistedArchiveExtractsAsAListedOne)
{
    fs::path work = root_ / "unlisted";
    WriteFile(work / "v1" / "a.txt", "first version\n");
    WriteFile(work / "v2" / "a.txt", "second, longer version\n");
    WriteFile(work / "v1" / "b.txt", "other\n");
    WriteFile(work / "v1" / "日本語.txt", "japanese name\n");
    fs::create_hard_link(work / "v1" / "b.txt", work / "v1" / "hard.txt");
    std::string tar = (work / "dup.tar").string(), tgz = (work / "dup.tar.gz").string();
    std::string cd1 = "cd " + ShellQuote((work / "v1").string()) + " && ";
    std::string cd2 = "cd " + ShellQuote((work / "v2").string()) + " && ";
    RunOk(cd1 + "bsdtar -cf " + ShellQuote(tar) + " a.txt b.txt hard.txt 日本語.txt");
    RunOk(cd2 + "bsdtar -rf " + ShellQuote(tar) + " a.txt");
    RunOk("gzip -c " + ShellQuote(tar) + " > " + ShellQuote(tgz));
    RunOk(cd1 + "zip -q -P secret " + ShellQuote((work / "enc.zip").string()) + " a.txt");

    struct Case {
        const char *entry;
        int32_t rc;   // 0, or below 0 for a failure
        std::string data;
    };
    const Case cases[] = {
        {"a.txt", 0, "second, longer version\n"},  // the later of two entries of the name
        {"hard.txt", 0, "other\n"},                // a hard link reads its target's data
        {"日本語.txt", 0, "japanese name\n"},      // a UTF-8 request for a converted name
        {"missing.txt", -1, "ファイルが見つかりません"},
    };
    for (const std::string &archive : {tar, tgz}) {
        // Each archive under a fresh name, so that no listing of it is at hand.
        for (const Case &c : cases) {
            fs::path copy = work / ("cold-" + std::string(c.entry) + fs::path(archive).filename().string());
            fs::copy_file(archive, copy, fs::copy_options::overwrite_existing);
            std::string cold, warm;
            int32_t rc = libs_.tar.extractMem(copy.string(), c.entry, 100, cold);
            EXPECT_EQ(rc < 0 ? -1 : rc, c.rc) << archive << " " << c.entry << ": " << cold;
            if (c.rc == 0)
                EXPECT_EQ(cold, c.data) << archive << " " << c.entry;
            else
                EXPECT_NE(cold.find(c.data), std::string::npos) << cold;
            ASSERT_TRUE(libs_.tar.list(copy.string()).has_value());
            EXPECT_EQ(libs_.tar.extractMem(copy.string(), c.entry, 100, warm), rc);
            EXPECT_EQ(cold, warm) << archive << " " << c.entry;
        }
    }
    // A buffer smaller than the entry takes its beginning.
    fs::path small = work / "small.tar";
    fs::copy_file(tar, small);
    std::string out;
    EXPECT_EQ(libs_.tar.extractMem(small.string(), "a.txt", 6, out), 0);
    EXPECT_EQ(out, "second");
    // An encrypted entry is refused, listed or not.
    std::string encrypted;
    EXPECT_LT(libs_.zip.extractMem((work / "enc.zip").string(), "a.txt", 100, encrypted), 0);
    EXPECT_EQ(encrypted, "パスワード付きのファイルは展開できません");
}

TEST_F(MadeArchivesTest, TruncatedArchivesFailCleanly)
{
    // Every cut of a small archive either lists or fails, and what lists extracts the
    // entry's true bytes or fails with a message.
    std::map<std::string, std::string> truth;
    for (const auto &[name, data] : SourceTree())
        truth[Sjis(name)] = data;
    for (const char *archive : {"infozip.zip", "made.7z", "made.tar.gz", "made.cab"}) {
        std::string data = ReadFile(path(archive));
        for (std::size_t cut : {data.size() / 2, data.size() - 30, std::size_t(100)}) {
            std::string cutPath = path(std::string("cut-") + archive);
            WriteFile(cutPath, data.substr(0, cut));
            for (ArchiverLibrary *lib : libs_.all()) {
                auto entries = lib->list(cutPath);
                if (!entries)
                    continue;
                for (const ListedEntry &e : *entries) {
                    std::string out;
                    int32_t rc = lib->extractMem(cutPath, e.name, 2'000'000, out);
                    EXPECT_TRUE(rc == 0 || !out.empty()) << archive << " cut at " << cut << ": " << e.name;
                    std::string name = e.name;
                    for (std::size_t i = 0; i < name.size(); ++i) {
                        if (tovik::platform::IsCp932LeadByte(static_cast<unsigned char>(name[i])))
                            ++i;
                        else if (name[i] == '\\')
                            name[i] = '/';
                    }
                    if (rc == 0 && truth.count(name))
                        EXPECT_TRUE(out == truth[name]) << archive << " cut at " << cut << ": " << e.name << " gave "
                                                        << out.size() << " bytes";
                }
            }
        }
    }
}

TEST_F(MadeArchivesTest, ListingCutByDamageSaysSo)
{
    // How a walk over every entry of archive ends: -1 at the true end, LX_ARC_END_DAMAGED
    // where damage stopped the listing; the count of entries walked.
    auto walk = [](const ArchiverLibrary &lib, const std::string &archive, int &entries) {
        auto open = reinterpret_cast<LxArcOpenArchiveProc>(lib.symbol(LX_ARC_OPENARCHIVE));
        auto first = reinterpret_cast<LxArcFindFirstProc>(lib.symbol(LX_ARC_FINDFIRST));
        auto next = reinterpret_cast<LxArcFindNextProc>(lib.symbol(LX_ARC_FINDNEXT));
        auto close = reinterpret_cast<LxArcCloseArchiveProc>(lib.symbol(LX_ARC_CLOSEARCHIVE));
        entries = 0;
        LX_HARC arc = open(nullptr, archive.c_str(), 0);
        if (!arc)
            return -100;
        int r = first(arc, "*.*", nullptr);
        for (; r == 0; r = next(arc, nullptr))
            ++entries;
        close(arc);
        return r;
    };
    int whole = 0, cut = 0;
    EXPECT_EQ(walk(libs_.tar, path("made.tar"), whole), -1);
    const std::string data = ReadFile(path("made.tar"));
    // The cut falls inside big.bin's data; the entries up to it stay listed.
    const std::size_t big = data.find("big.bin");
    ASSERT_NE(big, std::string::npos);
    const std::string cutPath = path("cut-listing.tar");
    WriteFile(cutPath, data.substr(0, big + 512 + 700'000));
    EXPECT_EQ(walk(libs_.tar, cutPath, cut), LX_ARC_END_DAMAGED);
    EXPECT_GT(cut, 0);
    EXPECT_LT(cut, whole);
}

TEST_F(MadeArchivesTest, ToolCatAndExtractGoThroughTheWrappers)
{
    std::string tool = std::string(TOVIK_TEST_BIN_DIR) + "/tovik-arc";
    if (!fs::exists(tool))
        GTEST_SKIP() << "tovik-arc not built";
    std::string env = "TOVIK_ARCHIVERS=" + ShellQuote(TOVIK_ARCHIVER_BUILD_DIR) + " ";
    for (const char *archive : {"infozip.zip", "made.7z", "made.tar.gz"}) {
        std::string out;
        EXPECT_EQ(RunTool(env + tool + " cat " + ShellQuote(path(archive)) + " big.bin", &out), 0) << archive;
        EXPECT_TRUE(out == SourceTree()["big.bin"]) << archive << ": " << out.size() << " bytes";
        out.clear();
        EXPECT_EQ(RunTool(env + tool + " cat " + ShellQuote(path(archive)) + " 表ソ.txt", &out), 0) << archive;
        EXPECT_EQ(out, "sjis name\n");
    }
    fs::path dest = root_ / "tool-out";
    EXPECT_EQ(RunTool(env + tool + " extract " + ShellQuote(path("made.cab")) + " 表ソ.txt " + ShellQuote(dest.string())), 0);
    EXPECT_EQ(ReadFile(dest / "表ソ.txt"), "sjis name\n");
    EXPECT_NE(RunTool(env + tool + " cat " + ShellQuote(path("infozip.zip")) + " nope.txt 2>/dev/null"), 0);
}

} // namespace
