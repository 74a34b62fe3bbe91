// The registry: its rows, probing, and the choice of a library for a file.
#include "TestSupport.h"

#include "archive/LxArcImpl.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace testsupport;

namespace {

std::vector<ScriptEntry> OneEntry()
{
    ScriptEntry e;
    e.name = "a.txt";
    return {e};
}

// A folder holding copies of some of the complete libraries.
std::string FolderWith(const TempDir &dir, const std::string &name, std::initializer_list<const char *> files)
{
    std::string folder = dir.path() + "/" + name;
    std::filesystem::create_directories(folder);
    for (const char *f : files)
        std::filesystem::copy_file(LibDir("complete") + "/" + f, folder + "/" + f);
    return folder;
}

} // namespace

TEST(Registry, NineteenRowsInOrder)
{
    TArcInfoList list;
    ASSERT_EQ(list.Count(), 19);
    struct Row {
        const char *title, *library, *prefix, *description;
        int code;
        TLxArchiveClass cls;
    } rows[] = {
        {"UnAce32", "UNACEV2J.DLL", "UnAce", "ACE 形式書庫", 19, nullptr},
        {"UnLha32", "UNLHA32.DLL", "Unlha", "lzh 形式書庫", 1, &CreateArchiver<TUNLHA32Impl>},
        {"UnZip32", "UNZIP32.DLL", "UnZip", "ZIP 形式書庫", 2, &CreateArchiver<TUNZIP32Impl>},
        {"SevenZip32", "7-ZIP32.DLL", "SevenZip", "7z/Zip 形式書庫", 18, &CreateArchiver<T7ZIPImpl>},
        {"Cab32", "CAB32.DLL", "Cab", "CAB 形式書庫", 5, &CreateArchiver<TCAB32Impl>},
        {"LmZip32", "LMZIP32.DLL", "Unzip", "WinLM32 形式書庫", 3, &CreateArchiver<TZIP32JImpl>},
        {"Bga32", "BGA32.DLL", "Bga", "GZA/BZA 形式書庫", 12, &CreateArchiver<TBGA32Impl>},
        {"Jack32", "JACK32.DLL", "Jack", "分割ファイル 形式書庫", 20, &CreateArchiver<TJAC32Impl>},
        {"Tar32", "TAR32.DLL", "Tar", "tar/tgz/taz/bz2 形式書庫", 7, &CreateArchiver<TTAR32Impl>},
        {"UnArj32", "UNARJ32J.DLL", "Unarj", "ARJ  形式書庫", 6, &CreateArchiver<TUNARJ32Impl>},
        {"UnRar32", "UNRAR32.DLL", "Rar", "RAR 形式書庫", 10, &CreateArchiver<TUNRAR32Impl>},
        {"Ish32", "ISH32.DLL", "Ish", "ISH 形式書庫", 21, &CreateArchiver<TISH32Impl>},
        {"UnGca32", "UNGCA32.DLL", "UnGCA", "GCA 形式書庫", 16, &CreateArchiver<TGCA32Impl>},
        {"UnRar", "UNRAR.DLL", "Rar", "RAR 形式書庫", 11, nullptr},
        {"UnAce", "UNACE.DLL", "Ace", "ACE 形式書庫", 19, nullptr},
        {"Yz1", "YZ1.DLL", "Yz1", "YZ1 形式書庫", 13, &CreateArchiver<TYZ1Impl>},
        {"Yyz32", "YZ2.DLL", "Yz2", "YZ2 形式書庫", 14, &CreateArchiver<TYZ2Impl>},
        {"UnImp32", "UNIMP32.DLL", "Unimp", "IMP 形式書庫", 22, &CreateArchiver<TIMP32Impl>},
        {"Zip32J", "ZIP32J.DLL", "Zip", "ZIP 形式書庫", 3, &CreateArchiver<TZIP32JImpl>},
    };
    for (int i = 0; i < 19; ++i) {
        const TArcInfoItem *item = list.Items(i);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->Owner, &list);
        EXPECT_EQ(item->Index, i);
        EXPECT_EQ(item->Title, rows[i].title);
        EXPECT_EQ(item->LibraryName, rows[i].library);
        EXPECT_EQ(item->Prefix, rows[i].prefix);
        EXPECT_EQ(tovik::platform::Cp932ToUtf8(item->Description), rows[i].description);
        EXPECT_EQ(item->TypeCode, rows[i].code);
        EXPECT_EQ(item->ImplClass, rows[i].cls) << i;
        EXPECT_FALSE(item->Installed);
        EXPECT_EQ(item->Version, "");
    }
    EXPECT_EQ(list.Items(-1), nullptr);
    EXPECT_EQ(list.Items(19), nullptr);
    EXPECT_EQ(list.CurrentIndex, -1);
    EXPECT_EQ(list.CurrentItem(), nullptr);
    EXPECT_EQ(list.CurrentClass(), nullptr);
    // Only the low 7 bits of a family code count.
    EXPECT_EQ(ImplClassOfTypeCode(0x80 | 7), &CreateArchiver<TTAR32Impl>);
}

TEST(Registry, ProbeAllFindsInstalledLibrariesButNeverRowsWithoutAWrapper)
{
    SearchPath search({LibDir("complete")});
    TArcInfoList list;
    list.ProbeAll();
    for (int i = 0; i < list.Count(); ++i) {
        const TArcInfoItem *item = list.Items(i);
        // unacev2j.so, unrar.so and unace.so lie in the folder too.
        bool expected = i == 1 || i == 2 || i == 3 || i == 4 || i == 8 || i == 9 || i == 15;
        EXPECT_EQ(item->Installed, expected) << item->LibraryName;
        EXPECT_EQ(item->Version, expected ? "1.57" : "") << item->LibraryName;
        EXPECT_EQ(item->InstallFolder, expected ? LibDir("complete") : "") << item->LibraryName;
    }
    EXPECT_EQ(list.IndexOfLibrary("UNZIP32.DLL"), 2);
    EXPECT_EQ(list.IndexOfLibrary("unzip32.dll"), -1);
    EXPECT_EQ(list.IndexOfLibrary("UNRAR.DLL"), -1);
    EXPECT_EQ(list.IndexOfLibrary("BGA32.DLL"), -1);

    EXPECT_EQ(list.CreateWrapper(list.Items(6)), nullptr);
    std::unique_ptr<TLxArchiveBase> w = list.CreateWrapper(list.Items(3));
    ASSERT_NE(w, nullptr);
    EXPECT_NE(dynamic_cast<T7ZIPImpl *>(w.get()), nullptr);
    EXPECT_EQ(w->LibraryName, "7-ZIP32.DLL");
    EXPECT_EQ(w->Prefix, "SevenZip");
}

TEST(Registry, ProbingAgainForgetsRemovedLibraries)
{
    TArcInfoList list;
    {
        SearchPath search({LibDir("complete")});
        list.ProbeAll();
        ASSERT_TRUE(list.Items(2)->Installed);
    }
    {
        // The minimal library has no "GetVersion": present but not installed.
        SearchPath search({LibDir("minimal")});
        list.ProbeAll();
        EXPECT_FALSE(list.Items(2)->Installed);
        EXPECT_EQ(list.Items(2)->Version, "");
        EXPECT_EQ(list.Items(2)->InstallFolder, LibDir("minimal"));
        EXPECT_FALSE(list.Items(1)->Installed);
        EXPECT_EQ(list.Items(1)->InstallFolder, "");
    }
    {
        // A version of 0 still counts as installed.
        SearchPath search({LibDir("complete")});
        ScopedEnv env("TOVIK_TESTLIB_VERSION", "0");
        list.ProbeAll();
        EXPECT_TRUE(list.Items(2)->Installed);
        EXPECT_EQ(list.Items(2)->Version, "0");
    }
}

TEST(Registry, ChoiceByExtension)
{
    SearchPath search({LibDir("complete")});
    TArcInfoList list;
    list.ProbeAll();
    struct Case {
        const char *path;
        int row;
    } cases[] = {
        {"/x/sample.Zip", 2}, {"/x/SAMPLE.ZIP", 2}, {"a.jar", 2}, {"a.ear", 2}, {"a.war", 2},
        {"a.lzh", 1}, {"a.7z", 3}, {"a.cab", 4}, {"a.arj", 9}, {"a.yz1", 15},
        {"a.tar", 8}, {"a.a", 8}, {"a.lib", 8}, {"a.deb", 8}, {"a.rpm", 8}, {"a.cpio", 8},
        {"a.z", 8}, {"a.gz", 8}, {"a.tgz", 8}, {"a.taz", 8}, {"a.bz2", 8},
        // Not installed, or no row for the extension.
        {"a.yz2", -1}, {"README", -1}, {"a.", -1}, {"a.gza", -1}, {"a.bza", -1}, {"a.gca", -1},
        {"a.bel", -1}, {"a.rar", -1}, {"a.tar.xz", -1}, {"dir.zip/file", -1},
    };
    for (const Case &c : cases) {
        list.CurrentIndex = 99;
        EXPECT_EQ(list.SelectForFile(c.path, true), c.row) << c.path;
        EXPECT_EQ(list.CurrentIndex, c.row) << c.path;
    }
    list.SelectForFile("a.tgz", true);
    EXPECT_EQ(list.CurrentItem(), list.Items(8));
    EXPECT_EQ(list.CurrentClass(), &CreateArchiver<TTAR32Impl>);
}

TEST(Registry, ProbingForOneFileLoadsOnlyTheRowsItsExtensionCanChoose)
{
    SearchPath search({LibDir("complete")});
    struct Case {
        const char *path;
        std::vector<int> probed;
        int row;
    } cases[] = {
        {"a.lzh", {1}, 1},
        {"a.zip", {2, 3}, 2},
        {"a.tgz", {8}, 8},
        {"README", {}, -1},
    };
    for (const Case &c : cases) {
        TArcInfoList list;
        list.ProbeForFile(c.path);
        for (int i = 0; i < list.Count(); ++i) {
            bool expected = std::find(c.probed.begin(), c.probed.end(), i) != c.probed.end();
            EXPECT_EQ(list.Items(i)->Installed, expected) << c.path << " row " << i;
        }
        EXPECT_EQ(list.SelectForFile(c.path, true), c.row) << c.path;
    }
    // A program file may be any library's: every row is probed.
    TArcInfoList list;
    list.ProbeForFile("setup.exe");
    EXPECT_TRUE(list.Items(1)->Installed);
    EXPECT_TRUE(list.Items(9)->Installed);
}

TEST(Registry, ZipFamilyFallsBackToTheSevenZipLibraryOnly)
{
    TempDir dir;
    std::string onlySeven = FolderWith(dir, "seven", {"7-zip32.so", "tar32.so"});
    std::string none = FolderWith(dir, "none", {"tar32.so"});
    TArcInfoList list;
    {
        SearchPath search({onlySeven});
        list.ProbeAll();
        EXPECT_EQ(list.SelectForFile("a.zip", true), 3);
        EXPECT_EQ(list.SelectForFile("a.JAR", true), 3);
        // Other rows do not fall back.
        EXPECT_EQ(list.SelectForFile("a.lzh", true), -1);
    }
    {
        SearchPath search({none});
        list.ProbeAll();
        EXPECT_EQ(list.SelectForFile("a.zip", true), -1);
        EXPECT_EQ(list.SelectForFile("a.7z", true), -1);
    }
}

TEST(Registry, ExeIsOfferedToInstalledLibrariesInTableOrder)
{
    TempDir dir;
    SearchPath search({LibDir("complete")});
    TArcInfoList list;
    list.ProbeAll();
    struct Case {
        const char *name;
        std::vector<std::string> directives;
        int row;
    } cases[] = {
        {"all.exe", {}, 1},
        {"tar-and-7z.exe", {"@accept Tar,SevenZip"}, 3},
        {"cab-then-tar.EXE", {"@accept Tar,Cab"}, 4},
        {"tar.exe", {"@accept Tar"}, 8},
        // TAR recognises only types 1 to 7.
        {"tar-type8.exe", {"@accept Tar", "@type 8"}, -1},
        {"tar-type7.exe", {"@accept Tar", "@type 7"}, 8},
        // The ARJ library is asked with mode 0.
        {"arj.exe", {"@mode 0", "@accept Unarj,Unlha"}, 9},
        {"yz1.exe", {"@accept Yz1"}, 15},
        // Libraries of rows without a wrapper never answer.
        {"ace.exe", {"@accept UnAce,Ace,Rar"}, -1},
    };
    for (const Case &c : cases) {
        std::string path = dir.WriteScript(c.name, OneEntry(), c.directives);
        EXPECT_EQ(list.SelectForFile(path, true), c.row) << c.name;
    }
    std::string program = dir.WriteFile("plain.exe", "MZ\x90\0 a plain program");
    EXPECT_EQ(list.SelectForFile(program, true), -1);
    // By content on request, whatever the extension.
    std::string zipNamed = dir.WriteScript("x.zip", OneEntry(), {"@accept Tar"});
    EXPECT_EQ(list.SelectForFile(zipNamed, false), 8);
    EXPECT_EQ(list.DetectByContent(zipNamed), 8);
}

TEST(Registry, ArcImplChoosesWhenTheFileNameIsSet)
{
    SearchPath search({LibDir("complete")});
    TLxArcImpl impl;
    impl.Registry().ProbeAll();
    impl.SetFileName("/data/Pack.LZH");
    EXPECT_EQ(impl.FileName(), "/data/Pack.LZH");
    EXPECT_EQ(impl.Registry().CurrentIndex, 1);
    impl.SetFileName("/data/notes.txt");
    EXPECT_EQ(impl.Registry().CurrentIndex, -1);
}
