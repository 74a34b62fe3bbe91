#include "editor/EditTypes.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> Lines(const TEditStringList &list)
{
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list[i]);
    return lines;
}

std::string ErrorText(const std::function<void()> &action)
{
    try {
        action();
    } catch (const EStringListError &e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(LineStore, AddSplitsAtLineBreaksAndNewLinesStartUncached)
{
    TEditStringList list;
    list.Add("first");
    list.SetLineState(0, 7);
    list.SetLineWidth(0, 120);
    EXPECT_EQ(list.Add("a\r\nb"), 2);
    EXPECT_EQ(Lines(list), (std::vector<std::string> {"first", "a", "b"}));
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(list.GetLineState(i), -99);
        EXPECT_EQ(list.GetLineWidth(i), -1);
    }
    EXPECT_EQ(list.Add(""), 3);
    EXPECT_EQ(list.Add("x\ry\nz"), 6);
    EXPECT_EQ(Lines(list), (std::vector<std::string> {"first", "a", "b", "", "x", "y", "z"}));
}

TEST(LineStore, PutSplitsInOrderAndKeepsTheCacheOfItsLine)
{
    struct Case {
        const char *name;
        std::string text;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"CR alone", "x\ry", {"x", "y", "tail"}},
        {"CR at the end leaves an empty line", "x\r", {"x", "", "tail"}},
        {"CR LF is one break", "x\r\ny", {"x", "y", "tail"}},
        {"LF alone", "x\ny", {"x", "y", "tail"}},
        {"empty text empties the line", "", {"", "tail"}},
        // A lone LF before a CR once put the later pieces ahead of the earlier ones.
        {"LF then CR stay in order", "a\nb\rc", {"a", "b", "c", "tail"}},
    };
    for (const Case &c : cases) {
        TEditStringList list;
        list.Add("old");
        list.Add("tail");
        list.SetLineState(0, 3);
        list.SetLineWidth(0, 40);
        list.Put(0, c.text);
        EXPECT_EQ(Lines(list), c.expected) << c.name;
        EXPECT_EQ(list.GetLineState(0), 3) << c.name;
        EXPECT_EQ(list.GetLineWidth(0), 40) << c.name;
        if (list.Count() > 2) {
            EXPECT_EQ(list.GetLineState(1), -99) << c.name;
            EXPECT_EQ(list.GetLineWidth(1), -1) << c.name;
        }
    }
}

TEST(LineStore, NotificationsFireAroundChangesButNotForWidthsOrInsideUpdates)
{
    TEditStringList list;
    std::string log;
    list.OnChanging = [&](TEditStringList *) { log += '<'; };
    list.OnChange = [&](TEditStringList *) { log += '>'; };
    list.Add("a");
    EXPECT_EQ(log, "<>");
    log.clear();
    list.SetLineWidth(0, 10);
    EXPECT_EQ(log, "");
    list.SetLineState(0, 1);
    EXPECT_EQ(log, "<>");
    log.clear();
    list.Put(0, "x\ry\rz");
    EXPECT_EQ(log, "<>");
    log.clear();
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("b");
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(log, "<");
    list.EndUpdate();
    EXPECT_EQ(log, "<>");
}

TEST(LineStore, CapacityGrowsByTheListRule)
{
    TEditStringList list;
    std::vector<int> capacities;
    for (int i = 0; i < 14; ++i) {
        list.Add("x");
        if (capacities.empty() || capacities.back() != list.GetCapacity())
            capacities.push_back(list.GetCapacity());
    }
    EXPECT_EQ(capacities, (std::vector<int> {4, 8, 12, 28})); // +4 up to 8, then +16

    TEditStringList full;
    full.SetCapacity(64);
    while (full.Count() < 64)
        full.Add("x");
    EXPECT_EQ(full.GetCapacity(), 64);
    full.Add("x");
    EXPECT_EQ(full.GetCapacity(), 80);

    TEditStringList other;
    other.SetCapacity(65);
    while (other.Count() < 65)
        other.Add("x");
    other.Add("x");
    EXPECT_EQ(other.GetCapacity(), 81);
    other.SetCapacity(10); // below the count: ignored, nothing lost
    EXPECT_EQ(other.Count(), 66);
}

TEST(LineStore, IndexAndSortedListErrors)
{
    TEditStringList list;
    for (int i = 0; i < 5; ++i)
        list.Add("x");
    EXPECT_EQ(ErrorText([&] { list.Delete(5); }), "リストのインデックスが範囲を超えています (5)");
    EXPECT_EQ(ErrorText([&] { list.Get(-1); }), "リストのインデックスが範囲を超えています (-1)");
    EXPECT_EQ(ErrorText([&] { list.Exchange(9, 7); }), "リストのインデックスが範囲を超えています (9)");
    EXPECT_EQ(ErrorText([&] { list.Exchange(0, 7); }), "リストのインデックスが範囲を超えています (7)");
    EXPECT_EQ(ErrorText([&] { list.Insert(6, "y"); }), "リストのインデックスが範囲を超えています (6)");
    list.Insert(5, "end"); // inserting at the count is appending
    EXPECT_EQ(list[5], "end");

    list.SetSorted(true);
    EXPECT_NE(ErrorText([&] { list.Insert(0, "y"); }), "(no error)");
    EXPECT_NE(ErrorText([&] { list.Put(0, "y"); }), "(no error)");
    EXPECT_EQ(list.Count(), 6);
}

TEST(LineStore, SortedListsFindAndHonourTheDuplicatesMode)
{
    TEditStringList list;
    for (const char *s : {"pear", "Apple", "fig", "apple", "banana"})
        list.Add(s);
    list.SetSorted(true); // case-insensitive by default
    EXPECT_EQ(list[0].substr(1), "pple");
    EXPECT_EQ(list[1].substr(1), "pple");
    EXPECT_EQ(list[2], "banana");
    EXPECT_EQ(list[4], "pear");

    int index = -1;
    EXPECT_TRUE(list.Find("FIG", index));
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(list.Find("cherry", index));
    EXPECT_EQ(index, 3);

    // Accepting duplicates, Find answers the first of equal lines.
    list.SetDuplicates(TDuplicates::dupAccept);
    list.Add("fig");
    list.Add("fig");
    EXPECT_TRUE(list.Find("fig", index));
    EXPECT_EQ(index, 3);
    EXPECT_EQ(list.IndexOf("FIG"), 3);

    list.SetDuplicates(TDuplicates::dupIgnore);
    int before = list.Count();
    EXPECT_EQ(list.Add("pear"), list.IndexOf("pear"));
    EXPECT_EQ(list.Count(), before);
    list.SetDuplicates(TDuplicates::dupError);
    EXPECT_NE(ErrorText([&] { list.Add("pear"); }), "(no error)");
    EXPECT_EQ(list.Count(), before);
}

TEST(LineStore, TextLoadsAtEveryKindOfBreakAndSavesWithCrLf)
{
    TEditStringList list;
    std::istringstream in(std::string("a\r\nb\rc\nd\n\ne\0f\r\n", 15));
    list.LoadFromStream(in);
    EXPECT_EQ(Lines(list), (std::vector<std::string> {"a", "b", "c", "d", "", std::string("e\0f", 3)}));
    std::ostringstream out;
    list.SaveToStream(out);
    EXPECT_EQ(out.str(), std::string("a\r\nb\r\nc\r\nd\r\n\r\ne\0f\r\n", 19));
}

// The one splitter: how a final break and an empty text count when a line is loaded, and
// when a line is replaced by text with breaks in it (every break starts a line).
TEST(LineStore, SplitterCountsAFinalBreakOnlyWhenEveryBreakStartsALine)
{
    using Pieces = std::vector<std::string_view>;
    EXPECT_EQ(SplitTextLines(""), Pieces {});
    EXPECT_EQ(SplitTextLines("", true), Pieces {""});
    EXPECT_EQ(SplitTextLines("x\r"), Pieces {"x"});
    EXPECT_EQ(SplitTextLines("x\r", true), (Pieces {"x", ""}));
    EXPECT_EQ(SplitTextLines("a\n\rb\r\r\nc"), (Pieces {"a", "", "b", "", "c"}));
    EXPECT_EQ(SplitTextLines("a\n\rb\r\r\nc", true), (Pieces {"a", "", "b", "", "c"}));
    EXPECT_EQ(SplitTextLines("\r\n\n", true), (Pieces {"", "", ""}));
}

TEST(LineStore, ModiInfoResetsToUntitled)
{
    TEditModiInfo info;
    EXPECT_EQ(info.FileName, "無題");
    EXPECT_EQ(info.ValidStateLine, -1);
    double first = info.ResetTime;
    EXPECT_GT(first, 45000.0); // after 2023 in days since 1899-12-30
    info.FileName = "a.txt";
    info.ValidStateLine = 12;
    info.Reset();
    EXPECT_EQ(info.FileName, "無題");
    EXPECT_EQ(info.ValidStateLine, -1);
    EXPECT_GE(info.ResetTime, first);
}
