// The contents model: tree building from stored paths and the display texts.
#include "TestSupport.h"

#include "Source/LxPnArcDataClasses.h"
#include "archive/LxArcImpl.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

ScriptEntry Named(const std::string &name, unsigned ratio = 0)
{
    ScriptEntry e;
    e.name = name;
    e.ratio = ratio;
    return e;
}

// Loads a scripted archive through the complete UNZIP32 library.
class ArcDataTest : public ::testing::Test {
protected:
    ArcDataTest() : search({LibDir("complete")}) { impl.Registry().ProbeAll(); }

    void Load(const std::vector<ScriptEntry> &entries, const std::string &name = "test.zip")
    {
        impl.SetFileName(dir.WriteScript(name, entries));
        data.LoadFromArchive(nullptr, impl);
    }

    // "name[entries]" per folder, depth first, for comparing whole trees.
    static std::string Shape(const TLxArcFolderData &d)
    {
        std::string out;
        for (int i = 0; i < d.Entries->Count(); ++i)
            out += (out.empty() ? "" : " ") + d.Entries->Items(i)->Name;
        for (int i = 0; i < d.Folders->Count(); ++i) {
            const TLxArcFolderItem *f = d.Folders->Items(i);
            out += (out.empty() ? "" : " ") + f->Name + "{" + Shape(*f->Data) + "}";
        }
        return out;
    }

    TempDir dir;
    SearchPath search;
    TLxArcImpl impl;
    TLxArcData data;
};

} // namespace

TEST_F(ArcDataTest, TopLevelFilesOnly)
{
    Load({Named("a.txt"), Named("b.txt")}, "flat.zip");
    EXPECT_EQ(data.Name, "flat.zip");
    EXPECT_EQ(data.Path, dir.path() + "/flat.zip");
    EXPECT_EQ(data.EntryCount, 2);
    EXPECT_EQ(data.Data->Folders->Count(), 0);
    ASSERT_EQ(data.Data->Entries->Count(), 2);
    const TLxPackedItem *a = data.Data->Entries->Items(0);
    EXPECT_EQ(a->Name, "a.txt");
    EXPECT_EQ(a->Path, "a.txt");
    EXPECT_EQ(a->Owner, data.Data->Entries.get());
    EXPECT_EQ(a->ModeText, "");
}

TEST_F(ArcDataTest, FoldersFromStoredPaths)
{
    Load({
        Named("a/b/c.txt"),
        Named("a\\b/d.txt"),      // split at the last "/"; "a\b" names the same folders
        Named("x\\y\\z.txt"),     // no "/": split at the last "\"
        Named("dir/"),            // a directory record adds its folder, no entry
        Named("/abs/y.txt"),      // empty first segment: dropped
        Named("a//b/c.txt"),      // empty middle segment: dropped
        Named("a//e.txt"),        // folder part "a/" ends after the separator: lands in a
        Named("a/b/c.txt"),       // the same path twice: both kept
        Named("m/n.txt"),
        Named("o/n.txt"),         // the same name in another folder
        Named("top.txt"),
    });
    EXPECT_EQ(data.EntryCount, 11);
    EXPECT_EQ(Shape(*data.Data), "top.txt a{e.txt b{c.txt d.txt c.txt}} x{y{z.txt}} dir{} m{n.txt} o{n.txt}");

    TLxArcFolderItem *a = data.Data->Folders->FindByName("a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Path, "a/");
    TLxArcFolderItem *b = a->Data->Folders->FindByName("b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Path, "a/b");
    EXPECT_EQ(b->Data->Entries->Items(1)->Path, "a\\b/d.txt");
    TLxArcFolderItem *x = data.Data->Folders->FindByName("x");
    EXPECT_EQ(x->Path, "");   // holds only a sub-folder
    EXPECT_EQ(x->Data->Folders->Items(0)->Path, "x\\y");
    ASSERT_NE(data.Data->Folders->FindByName("dir"), nullptr);
    EXPECT_EQ(data.Data->Folders->FindByName("dir")->Path, "");   // holds no entry
    EXPECT_EQ(data.Data->Folders->FindByName("A"), nullptr);
    EXPECT_EQ(data.Data->Folders->Items(a->Index), a);
    EXPECT_EQ(x->Data->Folders->Items(0)->Index, 0);
    EXPECT_EQ(a->Owner, data.Data->Folders.get());
    EXPECT_EQ(a->Data->Owner, a);
}

// 0x5C as the trail byte of a double-byte CP932 character ("ソ" 83 5C, "表" 95 5C) is part of
// the name, not a "\\" separator.
TEST_F(ArcDataTest, TrailByte5CDoesNotSplitNames)
{
    const std::string so = "\x83\x5C\x81\x5B\x83\x58"; // ソース
    const std::string hyo = "\x95\x5C";                   // 表
    Load({Named(so + "/hello.c"), Named(hyo + ".txt"), Named(hyo + "\\" + so + "\\x.txt"), Named("a\\" + hyo)});
    EXPECT_EQ(Shape(*data.Data), hyo + ".txt " + so + "{hello.c} " + hyo + "{" + so + "{x.txt}} a{" + hyo + "}");
    EXPECT_EQ(data.Data->Folders->Items(1)->Path, "");
    EXPECT_EQ(data.Data->Folders->Items(1)->Data->Folders->Items(0)->Path, hyo + "\\" + so);
}

TEST_F(ArcDataTest, FolderPathComesFromTheFirstEntryPlacedInIt)
{
    Load({Named("p/q/r.txt"), Named("p/s.txt"), Named("p\\t.txt")});
    TLxArcFolderItem *p = data.Data->Folders->FindByName("p");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Path, "p");
    EXPECT_EQ(Shape(*data.Data), "p{s.txt t.txt q{r.txt}}");
}

TEST_F(ArcDataTest, EntryTexts)
{
    ScriptEntry root = Named("root.txt", 453);
    root.original = 1234567;
    root.compressed = 559358;
    root.attr = 0x20;
    root.crc = 0x0A;
    root.date = DosDate(2003, 4, 5);
    root.time = DosTime(6, 7, 8);
    ScriptEntry inner = Named("f/inner.txt", 453);
    inner.attr = 0x22;
    inner.crc = 0xDEADBEEF;
    ScriptEntry zero = Named("zero.txt", 0);
    zero.attr = 0x21;
    Load({root, inner, zero});

    const TLxPackedItem *r = data.Data->Entries->Items(0);
    EXPECT_EQ(r->RatioText, "45.3%");
    EXPECT_EQ(r->AttrText, "A--W");
    EXPECT_EQ(r->CRCText, "0A");
    TEntryRowTexts row = EntryRowTexts(*r);
    EXPECT_EQ(row[0], " 1,234,567");
    EXPECT_EQ(row[1], "   559,358");
    EXPECT_EQ(row[2], " 45.3%");
    EXPECT_EQ(row[3], "2003/04/05");
    EXPECT_EQ(row[4], "06:07");
    EXPECT_EQ(row[5], "A--W");
    EXPECT_EQ(row[6], "0A");
    EXPECT_EQ(row[7], "");

    // The same ratio shows the same rate inside a folder.
    const TLxPackedItem *i = data.Data->Folders->Items(0)->Data->Entries->Items(0);
    EXPECT_EQ(i->RatioText, "45.3%");
    EXPECT_EQ(i->AttrText, "---W");
    EXPECT_EQ(i->CRCText, "DEADBEEF");

    const TLxPackedItem *z = data.Data->Entries->Items(1);
    EXPECT_EQ(z->RatioText, "0.0%");
    EXPECT_EQ(z->AttrText, "----");
    EXPECT_EQ(z->CRCText, "00");
    row = EntryRowTexts(*z);
    EXPECT_EQ(row[0], "         0");
    EXPECT_EQ(row[2], "  0.0%");
    EXPECT_EQ(row[3], "1899/12/30");
}

TEST(ArcDataTexts, Formatting)
{
    EXPECT_EQ(RatioTextOf(1000), "100.0%");
    EXPECT_EQ(RatioTextOf(5), "0.5%");
    EXPECT_EQ(RatioTextOf(65535), "6553.5%");
    EXPECT_EQ(AttrTextOf(0), "----");
    EXPECT_EQ(AttrTextOf(0x02), "---W");
    EXPECT_EQ(AttrTextOf(0x30), "----");
    EXPECT_EQ(CRCTextOf(0xABC), "ABC");
    EXPECT_EQ(SizeText(999), "       999");
    EXPECT_EQ(SizeText(1000), "     1,000");
    EXPECT_EQ(SizeText(999999999), "999,999,999");
    EXPECT_EQ(SizeText(3000000000ll), "3,000,000,000");
    EXPECT_EQ(SizeText(5368709120ll), "5,368,709,120");
    // A size the library does not know is blank, not "-1".
    EXPECT_EQ(SizeText(-1), "");
}

TEST_F(ArcDataTest, SizesOfTwoGigabytesAndMore)
{
    ScriptEntry big = Named("big.iso");
    big.original = 4700000000ull;
    big.compressed = 2200000000ull;
    Load({big});
    const TLxPackedItem *item = data.Data->Entries->Items(0);
    EXPECT_EQ(item->OriginalSize, 4700000000ll);
    TEntryRowTexts row = EntryRowTexts(*item);
    EXPECT_EQ(row[0], "4,700,000,000");
    EXPECT_EQ(row[1], "2,200,000,000");
}

TEST_F(ArcDataTest, LoadingAgainStartsOver)
{
    Load({Named("a/b.txt"), Named("c.txt")});
    Load({Named("d.txt")}, "second.zip");
    EXPECT_EQ(data.EntryCount, 1);
    EXPECT_EQ(Shape(*data.Data), "d.txt");
    EXPECT_EQ(data.Name, "second.zip");

    data.Clear();
    EXPECT_EQ(data.EntryCount, 0);
    EXPECT_EQ(data.Data->Entries->Count(), 0);
}

TEST_F(ArcDataTest, NothingChosenOrNotOpenedLeavesTheModelEmpty)
{
    Load({Named("a.txt")}, "first.zip");
    // No row for ".txt": Name and Path keep their former values.
    impl.SetFileName(dir.WriteScript("notes.txt", {Named("x.txt")}));
    EXPECT_FALSE(data.LoadFromArchive(nullptr, impl));
    EXPECT_EQ(data.Name, "first.zip");
    EXPECT_EQ(data.EntryCount, 0);
    EXPECT_EQ(data.Data->Entries->Count(), 0);

    // A library that cannot open the file: empty, no message, but the new name.
    impl.SetFileName(dir.WriteFile("broken.zip", "not a scripted archive"));
    EXPECT_FALSE(data.LoadFromArchive(nullptr, impl));
    EXPECT_EQ(data.Name, "broken.zip");
    EXPECT_EQ(data.EntryCount, 0);

    // An empty archive opens.
    Load({}, "empty.zip");
    EXPECT_EQ(data.EntryCount, 0);
    EXPECT_EQ(data.Name, "empty.zip");
}

TEST(ArcDataFaults, LibraryFaultingInFindNextLeavesWhatWasRead)
{
    TempDir dir;
    SearchPath search({LibDir("faulty")});
    // The faulty library has "GetVersion": it counts as installed.
    TLxArcImpl impl;
    impl.Registry().ProbeAll();
    impl.SetFileName(dir.WriteScript("f.zip", {Named("a/one.txt"), Named("two.txt")}));
    ASSERT_EQ(impl.Registry().CurrentIndex, 2);
    TLxArcData data;
    for (int round = 0; round < 2; ++round) {
        EXPECT_TRUE(data.LoadFromArchive(nullptr, impl));
        EXPECT_EQ(data.EntryCount, 1);
        ASSERT_EQ(data.Data->Folders->Count(), 1);
        EXPECT_EQ(data.Data->Folders->Items(0)->Data->Entries->Items(0)->Name, "one.txt");
    }
}

TEST(ArcDataLists, FindByNameKeepsTheFirstOfEqualNames)
{
    TLxArcFolderList list(nullptr);
    TLxArcFolderItem *first = list.Add("same");
    TLxArcFolderItem *second = list.Add("same");
    EXPECT_NE(first, second);
    EXPECT_EQ(list.FindByName("same"), first);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(1), second);
    EXPECT_EQ(list.Items(2), nullptr);
    // Many folders side by side, each found by name.
    for (int i = 0; i < 5000; ++i)
        list.Add("f" + std::to_string(i));
    EXPECT_EQ(list.FindByName("f4321"), list.Items(2 + 4321));
    list.Clear();
    EXPECT_EQ(list.FindByName("same"), nullptr);
    EXPECT_EQ(list.Count(), 0);
}
