// The list's sorting rule and the private extraction folder.
#include "LxListViewSorter.h"
#include "platform/WorkFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(CompareTextAZ, FoldsOnlyLatinLettersAndOrdersPaddedSizesNumerically)
{
    EXPECT_EQ(CompareTextAZ("readme.TXT", "README.txt"), 0);
    // Only A-Z fold: the full-width letters of CP932 ("ａ" 82 81, "Ａ" 82 60) stay apart.
    EXPECT_NE(CompareTextAZ("\x82\x81", "\x82\x60"), 0);
    // Bytes compare unsigned: a Shift_JIS lead byte sorts after ASCII.
    EXPECT_LT(CompareTextAZ("z", "\x82\xA0"), 0);
    // "_" lies between the upper and lower case letters: folding to upper case puts it after.
    EXPECT_LT(CompareTextAZ("abc", "_bc"), 0);
    EXPECT_LT(CompareTextAZ("ab", "abc"), 0);
    // Sizes padded to ten characters, as the list shows them.
    EXPECT_LT(CompareTextAZ("       999", "     1,000"), 0);
    EXPECT_LT(CompareTextAZ("         5", "        30"), 0);
    EXPECT_LT(CompareTextAZ("", "         0"), 0);
}

class PrivateFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tovik-workXXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        work = pattern;
        dest = work / tovik::platform::kExtractFolderName;
    }
    void TearDown() override { fs::remove_all(work); }
    fs::path work, dest;
};

TEST_F(PrivateFolderTest, CreatedPrivateAndRemovedWithContents)
{
    ASSERT_TRUE(tovik::platform::EnsurePrivateFolder(dest.string()));
    struct stat st {};
    ASSERT_EQ(::lstat(dest.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // Accepted again as it stands.
    EXPECT_TRUE(tovik::platform::EnsurePrivateFolder(dest.string()));

    fs::create_directories(dest / "a" / "b");
    std::ofstream(dest / "a" / "b" / "x.txt") << "x";
    // A link inside is removed as a link: what it points to stays.
    fs::create_directory(work / "keep");
    std::ofstream(work / "keep" / "k.txt") << "k";
    fs::create_directory_symlink(work / "keep", dest / "link");
    EXPECT_TRUE(tovik::platform::RemovePrivateFolder(dest.string()));
    EXPECT_FALSE(fs::exists(dest));
    EXPECT_TRUE(fs::exists(work / "keep" / "k.txt"));
    // Nothing to remove the second time.
    EXPECT_FALSE(tovik::platform::RemovePrivateFolder(dest.string()));
}

TEST_F(PrivateFolderTest, LinkFileAndForeignFolderAreRefusedAndLeftAlone)
{
    fs::create_directory(work / "elsewhere");
    std::ofstream(work / "elsewhere" / "victim.txt") << "v";
    fs::create_directory_symlink(work / "elsewhere", dest);
    EXPECT_FALSE(tovik::platform::EnsurePrivateFolder(dest.string()));
    EXPECT_FALSE(tovik::platform::RemovePrivateFolder(dest.string()));
    EXPECT_TRUE(fs::exists(work / "elsewhere" / "victim.txt"));
    EXPECT_TRUE(fs::is_symlink(dest));

    fs::remove(dest);
    std::ofstream(dest) << "plain file";
    EXPECT_FALSE(tovik::platform::EnsurePrivateFolder(dest.string()));
    EXPECT_FALSE(tovik::platform::RemovePrivateFolder(dest.string()));
    EXPECT_TRUE(fs::is_regular_file(dest));

    fs::remove(dest);
    // A dangling link is a link all the same.
    fs::create_directory_symlink(work / "nowhere", dest);
    EXPECT_FALSE(tovik::platform::EnsurePrivateFolder(dest.string()));
    EXPECT_FALSE(fs::exists(work / "nowhere"));

    if (::getuid() == 0) {
        // Running as root: a folder that belongs to another user is someone else's.
        fs::remove(dest);
        fs::create_directory(dest);
        ASSERT_EQ(::chown(dest.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(tovik::platform::EnsurePrivateFolder(dest.string()));
        EXPECT_FALSE(tovik::platform::RemovePrivateFolder(dest.string()));
        EXPECT_TRUE(fs::is_directory(dest));
    }
    // No work folder at all: nothing can be made below it.
    EXPECT_FALSE(tovik::platform::EnsurePrivateFolder((work / "missing" / "KelmoraTemp").string()));
}
