// The wrappers against the scripted libraries: every operation's result and failure value.
#include "TestSupport.h"

#include "archive/LxArcImpl.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

std::vector<ScriptEntry> TwoEntries()
{
    ScriptEntry a;
    a.name = "docs/readme.txt";
    a.original = 1234567;
    a.compressed = 234567;
    a.ratio = 190;
    a.date = DosDate(2020, 1, 2);
    a.time = DosTime(3, 4, 6);
    a.attr = 0x20;
    a.crc = 0xDEADBEEF;
    a.data = "hello";
    ScriptEntry b;
    b.name = tovik::platform::Utf8ToCp932("表示.txt");
    b.original = 10;
    b.compressed = 10;
    b.ratio = 1000;
    b.crc = 0x0A;
    return {a, b};
}

struct Listed {
    std::vector<TIndivisualInfoEX> entries;
    int findFirst = 0;
};

Listed ListAll(TLxArchiveBase &w, const std::string &path)
{
    Listed out;
    EXPECT_TRUE(w.OpenArchive(nullptr, path));
    out.findFirst = w.FindFirst();
    if (out.findFirst == 0) {
        do {
            TIndivisualInfoEX info;
            w.ReadEntryInfo(info);
            out.entries.push_back(info);
        } while (w.FindNext() == 0);
    }
    EXPECT_EQ(w.CloseArchive(), 0);
    return out;
}

} // namespace

TEST(ArchiveWrapper, CompleteLibraryListsEveryField)
{
    TempDir dir;
    std::string path = dir.WriteScript("a.zip", TwoEntries());
    SearchPath search({LibDir("complete")});
    TUNZIP32Impl w("UNZIP32.DLL", "UnZip");
    ASSERT_TRUE(w.IsLoaded());
    Listed l = ListAll(w, path);
    ASSERT_EQ(l.entries.size(), 2u);
    const TIndivisualInfoEX &a = l.entries[0];
    EXPECT_EQ(a.FileName, "docs/readme.txt");
    EXPECT_EQ(a.OriginalSize, 1234567);
    EXPECT_EQ(a.CompressedSize, 234567);
    EXPECT_EQ(a.Ratio, 190);
    EXPECT_EQ(tovik::platform::DateText(a.DateTime), "2020/01/02");
    EXPECT_EQ(tovik::platform::TimeText(a.DateTime), "03:04");
    EXPECT_EQ(a.Attribute, 0x20u);
    EXPECT_EQ(a.CRC, 0xDEADBEEFu);
    EXPECT_EQ(l.entries[1].FileName, tovik::platform::Utf8ToCp932("表示.txt"));
    EXPECT_EQ(l.entries[1].DateTime, 0.0);

    std::string version;
    w.GetVersion(version);
    EXPECT_EQ(version, "1.57");
    EXPECT_EQ(w.InstallFolder, LibDir("complete"));
}

TEST(ArchiveWrapper, MissingCallsReadAsZero)
{
    TempDir dir;
    std::string path = dir.WriteScript("a.zip", TwoEntries());
    SearchPath search({LibDir("minimal")});
    TUNZIP32Impl w("UNZIP32.DLL", "UnZip");
    ASSERT_TRUE(w.IsLoaded());
    Listed l = ListAll(w, path);
    ASSERT_EQ(l.entries.size(), 2u);
    EXPECT_EQ(l.entries[0].FileName, "docs/readme.txt");
    EXPECT_EQ(l.entries[0].OriginalSize, 1234567);
    EXPECT_EQ(l.entries[0].CRC, 0u);
    EXPECT_EQ(l.entries[0].Attribute, 0u);
    // No "GetVersion": the text stays as it was, but the folder is known.
    std::string version = "before";
    w.GetVersion(version);
    EXPECT_EQ(version, "before");
    EXPECT_EQ(w.InstallFolder, LibDir("minimal"));
}

TEST(ArchiveWrapper, FailingFileNameGivesQuestionMarks)
{
    TempDir dir;
    std::string path = dir.WriteScript("a.zip", TwoEntries());
    SearchPath search({LibDir("badname")});
    TUNZIP32Impl w("UNZIP32.DLL", "UnZip");
    Listed l = ListAll(w, path);
    ASSERT_EQ(l.entries.size(), 2u);
    EXPECT_EQ(l.entries[0].FileName, "????");
    EXPECT_EQ(l.entries[0].OriginalSize, 1234567);
}

TEST(ArchiveWrapper, CrcIsAskedOfTheZipLibraryOnly)
{
    TempDir dir;
    std::string path = dir.WriteScript("a.lzh", TwoEntries());
    SearchPath search({LibDir("complete")});
    TUNLHA32Impl lha("UNLHA32.DLL", "Unlha");
    Listed l = ListAll(lha, path);
    ASSERT_EQ(l.entries.size(), 2u);
    EXPECT_EQ(l.entries[0].CRC, 0u);
    EXPECT_EQ(l.entries[0].Attribute, 0x20u);
    // The name must match exactly, letter case included.
    TUNZIP32Impl lower("unzip32.dll", "UnZip");
    ASSERT_TRUE(lower.IsLoaded());
    ASSERT_TRUE(lower.OpenArchive(nullptr, path));
    ASSERT_EQ(lower.FindFirst(), 0);
    EXPECT_EQ(lower.GetCRC(), 0u);
    lower.CloseArchive();
}

TEST(ArchiveWrapper, FaultsInsideTheLibraryBecomeFailureValues)
{
    TempDir dir;
    std::string path = dir.WriteScript("a.zip", TwoEntries());
    SearchPath search({LibDir("faulty")});
    // FindNext faults: the listing ends after the first entry, twice in a row.
    for (int round = 0; round < 2; ++round) {
        TUNZIP32Impl w("UNZIP32.DLL", "UnZip");
        ASSERT_TRUE(w.OpenArchive(nullptr, path));
        ASSERT_EQ(w.FindFirst(), 0);
        TIndivisualInfoEX info;
        w.ReadEntryInfo(info);
        EXPECT_EQ(info.FileName, "docs/readme.txt");
        EXPECT_EQ(w.FindNext(), -1);
        EXPECT_EQ(w.FindNext(), -1);
        EXPECT_EQ(w.CloseArchive(), 0);
        std::string buffer(100, '\0');
        uint32_t written = 77;
        EXPECT_EQ(w.ExtractMem(nullptr, path, "docs/readme.txt", buffer, written), -1);
        EXPECT_EQ(written, 77u);
    }
}

TEST(ArchiveWrapper, ScriptedBreaksInEachGetter)
{
    TempDir dir;
    SearchPath search({LibDir("complete")});
    struct Case {
        const char *directive;
        const char *name;
        int64_t original;
        uint16_t ratio;
        uint32_t attr;
    } cases[] = {
        {"@fault GetFileName", "????", 1234567, 190, 0x20},
        {"@throw GetFileName", "????", 1234567, 190, 0x20},
        {"@fail GetFileName", "????", 1234567, 190, 0x20},
        {"@fpe GetRatio", "docs/readme.txt", 1234567, 0, 0x20},
        {"@fault GetAttribute", "docs/readme.txt", 1234567, 190, 0},
        // The 64-bit getter faults: the 32-bit one still answers.
        {"@fault GetOriginalSizeEx", "docs/readme.txt", 1234567, 190, 0x20},
    };
    for (const Case &c : cases) {
        std::string path = dir.WriteScript("a.zip", TwoEntries(), {c.directive});
        TUNZIP32Impl w("UNZIP32.DLL", "UnZip");
        Listed l = ListAll(w, path);
        ASSERT_EQ(l.entries.size(), 2u) << c.directive;
        EXPECT_EQ(l.entries[0].FileName, c.name) << c.directive;
        EXPECT_EQ(l.entries[0].OriginalSize, c.original) << c.directive;
        EXPECT_EQ(l.entries[0].Ratio, c.ratio) << c.directive;
        EXPECT_EQ(l.entries[0].Attribute, c.attr) << c.directive;
    }

    std::string path = dir.WriteScript("b.zip", TwoEntries(), {"@fault GetDate"});
    TUNZIP32Impl w("UNZIP32.DLL", "UnZip");
    Listed l = ListAll(w, path);
    ASSERT_EQ(l.entries.size(), 2u);
    EXPECT_EQ(l.entries[0].DateTime, 0.0);

    path = dir.WriteScript("c.zip", TwoEntries(), {"@fault FindFirst"});
    TUNZIP32Impl w2("UNZIP32.DLL", "UnZip");
    ASSERT_TRUE(w2.OpenArchive(nullptr, path));
    EXPECT_EQ(w2.FindFirst(), -1);
    EXPECT_EQ(w2.CloseArchive(), 0);

    path = dir.WriteScript("d.zip", TwoEntries(), {"@fault OpenArchive"});
    TUNZIP32Impl w3("UNZIP32.DLL", "UnZip");
    EXPECT_FALSE(w3.OpenArchive(nullptr, path));
    EXPECT_FALSE(w3.HasArchive());
    EXPECT_EQ(w3.CloseArchive(), -1);
    EXPECT_FALSE(w3.OpenArchive(nullptr, dir.path() + "/missing.zip"));
}

TEST(ArchiveWrapper, SizesOfTwoGigabytesAndMore)
{
    TempDir dir;
    std::vector<ScriptEntry> entries(2);
    entries[0].name = "three-gib.bin";
    entries[0].original = 3000000000ull;
    entries[0].compressed = 2500000000ull;
    entries[1].name = "five-gib.bin";
    entries[1].original = 5368709120ull;
    entries[1].compressed = 0xFFFFFFFFull;
    std::string path = dir.WriteScript("big.zip", entries);
    {
        SearchPath search({LibDir("complete")});
        TUNZIP32Impl w("UNZIP32.DLL", "UnZip");
        Listed l = ListAll(w, path);
        ASSERT_EQ(l.entries.size(), 2u);
        EXPECT_EQ(l.entries[0].OriginalSize, 3000000000ll);
        EXPECT_EQ(l.entries[0].CompressedSize, 2500000000ll);
        EXPECT_EQ(l.entries[1].OriginalSize, 5368709120ll);
    }
    {
        // Only the 32-bit getters: above 2 GiB still positive; all ones means unknown.
        SearchPath search({LibDir("minimal")});
        TUNZIP32Impl w("UNZIP32.DLL", "UnZip");
        Listed l = ListAll(w, path);
        ASSERT_EQ(l.entries.size(), 2u);
        EXPECT_EQ(l.entries[0].OriginalSize, 3000000000ll);
        EXPECT_EQ(l.entries[0].CompressedSize, 2500000000ll);
        EXPECT_EQ(l.entries[1].CompressedSize, -1);
    }
}

TEST(ArchiveWrapper, VersionTexts)
{
    SearchPath search({LibDir("complete")});
    struct Case {
        const char *env;
        const char *text;
    } cases[] = {{"200", "2"}, {"157", "1.57"}, {"150", "1.5"}, {"5", "0.05"}, {"0", "0"}, {"fault", ""}};
    for (const Case &c : cases) {
        ScopedEnv env("TOVIK_TESTLIB_VERSION", c.env);
        TUNZIP32Impl w("UNZIP32.DLL", "UnZip");
        std::string text = "old";
        w.GetVersion(text);
        EXPECT_EQ(text, c.text) << c.env;
    }
}

TEST(ArchiveWrapper, LibraryThatCannotBeLoadedFailsEverything)
{
    SearchPath search({LibDir("complete")});
    TUNZIP32Impl w("NOSUCH32.DLL", "UnZip");
    EXPECT_FALSE(w.IsLoaded());
    std::string text;
    w.GetVersion(text);
    EXPECT_EQ(text, "");
    EXPECT_EQ(w.InstallFolder, "");
    TempDir dir;
    std::string path = dir.WriteScript("a.zip", TwoEntries());
    EXPECT_FALSE(w.CheckArchive(path));
    EXPECT_FALSE(w.OpenArchive(nullptr, path));
    EXPECT_EQ(w.FindFirst(), -1);
    EXPECT_EQ(w.FindNext(), -1);
    EXPECT_EQ(w.CloseArchive(), -1);
    std::string name;
    w.GetFileName(name);
    EXPECT_EQ(name, "????");
    EXPECT_FALSE(w.IsRunning());
    std::string buffer(10, '\0'), message = "keep";
    uint32_t written = 0;
    EXPECT_EQ(w.ExtractMem(nullptr, path, "x", buffer, written), -1);
    EXPECT_FALSE(w.ExtractFile(nullptr, path, "x", "/tmp/", message));
    EXPECT_EQ(message, "keep");
    TIndivisualInfoEX info;
    info.FileName = "untouched";
    w.ReadEntryInfo(info);
    EXPECT_EQ(info.FileName, "untouched");
}

TEST(ArchiveWrapper, ReadEntryInfoNeedsAnOpenArchive)
{
    SearchPath search({LibDir("complete")});
    TUNZIP32Impl w("UNZIP32.DLL", "UnZip");
    TIndivisualInfoEX info;
    info.FileName = "untouched";
    info.Ratio = 5;
    w.ReadEntryInfo(info);
    EXPECT_EQ(info.FileName, "untouched");
    EXPECT_EQ(info.Ratio, 5);
}

TEST(ArchiveWrapper, MemoryExtraction)
{
    TempDir dir;
    std::string path = dir.WriteScript("a b.zip", TwoEntries());
    SearchPath search({LibDir("complete")});
    TUNZIP32Impl w("UNZIP32.DLL", "UnZip");
    std::string buffer(3, '\0');
    uint32_t written = 0;
    EXPECT_EQ(w.ExtractMem(nullptr, path, "docs/readme.txt", buffer, written), 0);
    EXPECT_EQ(written, 3u);
    EXPECT_EQ(buffer, "hel");
    buffer.assign(100, '\0');
    EXPECT_EQ(w.ExtractMem(nullptr, path, "nothing", buffer, written), -2);
    EXPECT_STREQ(buffer.c_str(), "no such entry");
}

TEST(ArchiveWrapper, BusyLibraryIsNotReentered)
{
    TempDir dir;
    std::string path = dir.WriteScript("a.zip", TwoEntries());
    SearchPath search({LibDir("busy")});
    TUNZIP32Impl w("UNZIP32.DLL", "UnZip");
    EXPECT_TRUE(w.IsRunning());
    std::string message = "unchanged";
    EXPECT_FALSE(w.ExtractFile(nullptr, path, "docs/readme.txt", "/tmp/out/", message));
    EXPECT_EQ(message, "unchanged");
    std::string buffer(10, 'x');
    uint32_t written = 9;
    EXPECT_EQ(w.ExtractMem(nullptr, path, "docs/readme.txt", buffer, written), -1);
    EXPECT_EQ(written, 9u);
    EXPECT_EQ(buffer, std::string(10, 'x'));
}

TEST(ArchiveWrapper, CommandLinesPerFamily)
{
    SearchPath search({LibDir("complete")});
    const std::string A = "/home/u/my files/a.arc", D = "/tmp/work dir/", E = "sub dir/b c.txt";
    struct Case {
        TLxArchiveClass cls;
        const char *library;
        const char *prefix;
        std::string expected;
    } cases[] = {
        {&CreateArchiver<TUNZIP32Impl>, "UNZIP32.DLL", "UnZip", " -x -j \"" + A + "\" \"" + D + "\" \"" + E + "\""},
        {&CreateArchiver<TCAB32Impl>, "CAB32.DLL", "Cab", " -x -j \"" + A + "\" \"" + D + "\" \"" + E + "\""},
        {&CreateArchiver<TUNLHA32Impl>, "UNLHA32.DLL", "Unlha", " e \"" + A + "\" \"" + D + "\" \"" + E + "\""},
        {&CreateArchiver<T7ZIPImpl>, "7-ZIP32.DLL", "SevenZip", " e \"" + A + "\" \"" + D + "\" \"" + E + "\""},
        {&CreateArchiver<TYZ1Impl>, "YZ1.DLL", "Yz1", " x -x0 \"" + A + "\" \"" + D + "\" \"" + E + "\""},
        {&CreateArchiver<TTAR32Impl>, "TAR32.DLL", "Tar", " -x --use-directory=0 \"" + A + "\" \"" + D + "\" \"" + E + "\""},
    };
    for (const Case &c : cases) {
        std::unique_ptr<TLxArchiveBase> w = c.cls(c.library, c.prefix);
        ASSERT_TRUE(w->IsLoaded()) << c.library;
        // The scripted command entry echoes its command line as its message.
        std::string message;
        EXPECT_TRUE(w->ExtractFile(nullptr, A, E, D, message)) << c.library;
        EXPECT_EQ(message, c.expected) << c.library;
    }
}

TEST(ArchiveWrapper, FamiliesWithoutMemoryExtraction)
{
    SearchPath search({LibDir("nomem")});
    struct Case {
        TLxArchiveClass cls;
        const char *library;
        const char *prefix;
        const char *message;
    } cases[] = {
        {&CreateArchiver<TCAB32Impl>, "CAB32.DLL", "Cab", "CAB32.DLLではメモリー展開がサポートされていません"},
        {&CreateArchiver<T7ZIPImpl>, "7-ZIP32.DLL", "SevenZip", "7-ZIP32.DLLではメモリー展開がサポートされていません"},
        {&CreateArchiver<TYZ1Impl>, "YZ1.DLL", "Yz1", "YZ1.DLLではメモリー展開がサポートされていません"},
    };
    TempDir dir;
    std::string path = dir.WriteScript("a.zip", TwoEntries());
    for (const Case &c : cases) {
        std::unique_ptr<TLxArchiveBase> w = c.cls(c.library, c.prefix);
        std::string buffer(1000, '\0');
        uint32_t written = 0;
        EXPECT_FALSE(w->SupportsMemoryExtraction());
        EXPECT_EQ(w->ExtractMem(nullptr, path, "docs/readme.txt", buffer, written), -1);
        EXPECT_EQ(tovik::platform::Cp932ToUtf8(buffer), c.message);
        // The same refusal through the uninitialised form.
        char raw[200];
        EXPECT_EQ(w->ExtractMemTo(nullptr, path, "docs/readme.txt", raw, sizeof raw, written), -1);
        EXPECT_EQ(tovik::platform::Cp932ToUtf8(raw), c.message);
    }
}

// The same families over libraries that do extract into memory: asked, they answer yes, and
// the entry comes back whole.
TEST(ArchiveWrapper, FamiliesAskTheLibraryForMemoryExtraction)
{
    SearchPath search({LibDir("complete")});
    TempDir dir;
    std::vector<ScriptEntry> entries = TwoEntries();
    std::string path = dir.WriteScript("a.zip", entries);
    struct Family {
        TLxArchiveClass cls;
        const char *library, *prefix;
    } families[] = {{&CreateArchiver<TCAB32Impl>, "CAB32.DLL", "Cab"},
                    {&CreateArchiver<T7ZIPImpl>, "7-ZIP32.DLL", "SevenZip"},
                    {&CreateArchiver<TYZ1Impl>, "YZ1.DLL", "Yz1"}};
    for (const Family &f : families) {
        std::unique_ptr<TLxArchiveBase> w = f.cls(f.library, f.prefix);
        ASSERT_TRUE(w->IsLoaded());
        EXPECT_TRUE(w->SupportsMemoryExtraction());
        std::string buffer(1000, '\0');
        uint32_t written = 0;
        ASSERT_EQ(w->ExtractMem(nullptr, path, entries[0].name, buffer, written), 0) << w->LibraryName;
        EXPECT_EQ(buffer.substr(0, written), entries[0].data) << w->LibraryName;
    }
}

TEST(ArchiveWrapper, RecognisingFiles)
{
    TempDir dir;
    SearchPath search({LibDir("complete")});
    std::string plain = dir.WriteScript("a.x", TwoEntries());
    std::string mode0 = dir.WriteScript("b.x", TwoEntries(), {"@mode 0"});
    std::string typed = dir.WriteScript("c.x", TwoEntries(), {"@type 6"});
    std::string typeZero = dir.WriteScript("d.x", TwoEntries(), {"@type 0"});
    std::string notOurs = dir.WriteFile("e.x", "MZ plain program");

    TUNLHA32Impl lha("UNLHA32.DLL", "Unlha");
    EXPECT_TRUE(lha.CheckArchive(plain));
    EXPECT_FALSE(lha.CheckArchive(mode0));   // asks with mode 24
    EXPECT_FALSE(lha.CheckArchive(notOurs));
    TUNARJ32Impl arj("UNARJ32J.DLL", "Unarj");
    EXPECT_TRUE(arj.CheckArchive(mode0));
    T7ZIPImpl sevenZip("7-ZIP32.DLL", "SevenZip");
    EXPECT_TRUE(sevenZip.CheckArchive(typed));
    EXPECT_FALSE(sevenZip.CheckArchive(typeZero));
    EXPECT_FALSE(sevenZip.CheckArchive(notOurs));
    TTAR32Impl tar("TAR32.DLL", "Tar");
    EXPECT_EQ(tar.GetArchiveType(typed), 6);
    EXPECT_EQ(tar.GetArchiveType(notOurs), 0);
    std::string faulting = dir.WriteScript("f.x", TwoEntries(), {"@fault GetArchiveType", "@fault CheckArchive"});
    EXPECT_EQ(tar.GetArchiveType(faulting), 0);
    EXPECT_FALSE(sevenZip.CheckArchive(faulting));
    EXPECT_FALSE(lha.CheckArchive(faulting));
}
