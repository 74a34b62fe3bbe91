// Finding and loading archiver libraries along the search path.
#include "TestSupport.h"

#include "platform/DynamicLibrary.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testsupport;
using namespace tovik::platform;

TEST(DynamicLibrary, SearchPathOrder)
{
    ScopedEnv env("TOVIK_ARCHIVERS", "/first:/second::/third");
    std::vector<std::string> path = ArchiverSearchPath();
    ASSERT_EQ(path.size(), 6u);
    EXPECT_EQ(path[0], "/first");
    EXPECT_EQ(path[1], "/second");
    EXPECT_EQ(path[2], "/third");
    EXPECT_EQ(path[3], ExecutableFolder() + "/archivers");
    EXPECT_EQ(path[4], std::filesystem::path(ExecutableFolder()).parent_path().string() + "/lib/tovik/archivers");
    EXPECT_EQ(path[5], TOVIK_ARCHIVER_INSTALL_DIR_FOR_TESTS);
    ScopedEnv none("TOVIK_ARCHIVERS", nullptr);
    EXPECT_EQ(ArchiverSearchPath().size(), 3u);
}

TEST(DynamicLibrary, NameMatching)
{
    TempDir dir;
    namespace fs = std::filesystem;
    const std::string complete = LibDir("complete");
    fs::create_directories(dir.path() + "/one");
    fs::create_directories(dir.path() + "/two");
    // The Windows name in another letter case, and the stem with ".so".
    fs::copy_file(complete + "/unzip32.so", dir.path() + "/one/UnZip32.Dll");
    fs::copy_file(complete + "/7-zip32.so", dir.path() + "/two/7-zip32.so");
    fs::copy_file(complete + "/unzip32.so", dir.path() + "/two/unzip32.so");
    fs::create_directories(dir.path() + "/two/tar32.so");   // a folder is no library

    ScopedEnv env("TOVIK_ARCHIVERS", (dir.path() + "/one:" + dir.path() + "/two").c_str());
    EXPECT_EQ(FindArchiverFile("UNZIP32.DLL"), dir.path() + "/one/UnZip32.Dll");
    EXPECT_EQ(FindArchiverFile("7-ZIP32.DLL"), dir.path() + "/two/7-zip32.so");
    EXPECT_EQ(FindArchiverFile("TAR32.DLL"), "");
    EXPECT_EQ(FindArchiverFile(""), "");

    DynamicLibrary lib;
    ASSERT_TRUE(lib.LoadArchiver("7-ZIP32.DLL"));
    EXPECT_EQ(lib.FileName(), dir.path() + "/two/7-zip32.so");
    void *fn = lib.Symbol("SevenZipGetVersion");
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(lib.Symbol("UnZipGetVersion"), nullptr);
    lib.Unload();
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_EQ(lib.Symbol("SevenZipGetVersion"), nullptr);
    EXPECT_FALSE(lib.LoadArchiver("TAR32.DLL"));
}

TEST(DynamicLibrary, LoadingFailuresAreQuiet)
{
    TempDir dir;
    std::string notALibrary = dir.WriteFile("unzip32.so", "not an ELF file");
    DynamicLibrary lib;
    EXPECT_FALSE(lib.Load(notALibrary));
    EXPECT_FALSE(lib.Load(""));
    EXPECT_FALSE(lib.Load(dir.path() + "/missing.so"));
    EXPECT_TRUE(lib.Load(LibDir("complete") + "/tar32.so"));
    DynamicLibrary moved = std::move(lib);
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_TRUE(moved.IsLoaded());
    EXPECT_NE(moved.Symbol("TarGetArchiveType"), nullptr);
}

TEST(DynamicLibrary, FolderOf)
{
    EXPECT_EQ(FolderOf("/a/b/c.so"), "/a/b");
    EXPECT_EQ(FolderOf("/c.so"), "/");
    EXPECT_EQ(FolderOf("c.so"), "");
}
