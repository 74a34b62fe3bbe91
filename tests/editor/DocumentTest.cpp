// The document's column rules, range primitives, search, line states and the view cache.
#include "editor/EditDocument.h"
#include "editor/EditFuncs.h"
#include "platform/Cp932.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using tovik::platform::Utf8ToCp932;

std::string Sj(const char *s) { return Utf8ToCp932(s); }

void Load(TLxEditDocs &d, std::vector<std::string> lines) { d.SetLines(std::move(lines)); }

TEST(DocumentColumnsTest, StepsOverTabsAndDoubleByteCharacters)
{
    TLxEditDocs d;
    Load(d, {"a\tb", Sj("x漢y"), ""});
    struct Step {
        const char *name;
        TEditRowCol from;
        bool right;
        TEditRowCol to;
        bool moved;
    } steps[] = {
        {"right onto the tab end", {0, 1}, true, {0, 4}, true},
        {"left back onto the tab", {0, 4}, false, {0, 1}, true},
        {"right over kanji", {1, 1}, true, {1, 3}, true},
        {"left over kanji", {1, 3}, false, {1, 1}, true},
        {"right at row end wraps", {0, 5}, true, {1, 0}, true},
        {"left at row start wraps", {1, 0}, false, {0, 5}, true},
        {"end of last row stays", {2, 0}, true, {2, 0}, false},
        {"start of document stays", {0, 0}, false, {0, 0}, false},
    };
    for (const Step &s : steps) {
        TEditRowCol p = s.from;
        const bool moved = s.right ? d.NextCharPos(p, 4) : d.PrevCharPos(p, 4);
        EXPECT_EQ(moved, s.moved) << s.name;
        EXPECT_EQ(p, s.to) << s.name;
    }
    EXPECT_EQ(d.SnapColumn(1, 2, 4), 3);   // inside 漢 -> after it
    EXPECT_EQ(d.SnapColumn(0, 2, 4), 4);   // on a filler -> past the fillers
    EXPECT_EQ(d.SnapColumn(0, 99, 4), 5);  // beyond the end -> the end
    EXPECT_EQ(d.SnapColumn(1, 0, 4), 0);
    // Delete and Backspace take whole characters and whole tabs.
    EXPECT_EQ(d.NextDeletePos({0, 4}, 4, true), TEditRowCol(0, 1));
    EXPECT_EQ(d.NextDeletePos({0, 1}, 4, false), TEditRowCol(0, 4));
    EXPECT_EQ(d.NextDeletePos({1, 3}, 4, true), TEditRowCol(1, 1));
    EXPECT_EQ(d.NextDeletePos({1, 1}, 4, false), TEditRowCol(1, 3));
    EXPECT_EQ(d.NextDeletePos({1, 0}, 4, true), TEditRowCol(0, 5));
    EXPECT_EQ(d.NextDeletePos({0, 5}, 4, false), TEditRowCol(1, 0));
    EXPECT_EQ(d.NextDeletePos({2, 0}, 4, false), TEditRowCol(2, 0));
}

TEST(DocumentColumnsTest, WordSteps)
{
    TLxEditDocs d;
    Load(d, {"int a = b;", "  c", ""});
    EXPECT_EQ(d.NextWordPos(0, 0, 4), TEditRowCol(0, 4));
    EXPECT_EQ(d.NextWordPos(0, 8, 4), TEditRowCol(1, 2)); // ";" is punctuation
    EXPECT_EQ(d.NextWordPos(1, 2, 4), TEditRowCol(-1, -1));
    EXPECT_EQ(d.PrevWordPos(1, 2, 4), TEditRowCol(0, 8));
    EXPECT_EQ(d.PrevWordPos(0, 4, 4), TEditRowCol(0, 0));
    EXPECT_EQ(d.PrevWordPos(0, 0, 4), TEditRowCol(-1, -1));
}

TEST(DocumentRangeTest, SplitDeleteInsertReplace)
{
    TLxEditDocs d;
    Load(d, {"abc", "d\te", "fgh"});
    std::string before, between, after;
    d.SplitRange({0, 1}, {2, 2}, 4, before, between, after);
    EXPECT_EQ(before, "a");
    EXPECT_EQ(between, "bc\r\nd\t\xFE\xFE" "e\r\nfg");
    EXPECT_EQ(after, "h");
    bool beyond = false;
    EXPECT_EQ(StripFillers(d.DeleteRange({2, 2}, {0, 1}, 4, beyond)), "bc\r\nd\te\r\nfg");
    EXPECT_TRUE(beyond);
    ASSERT_EQ(d.Count(), 1);
    EXPECT_EQ(d[0], "ah");
    EXPECT_TRUE(d.InsertTextAt({0, 1}, "x\r\ny", 4));
    ASSERT_EQ(d.Count(), 2);
    EXPECT_EQ(d[0], "ax");
    EXPECT_EQ(d[1], "yh");
    // A replacement shorter than the range keeps the text after it whole.
    Load(d, {"abcdef"});
    EXPECT_EQ(d.ReplaceRange({0, 1}, {0, 4}, "X", true, 4, beyond), "bcd");
    EXPECT_EQ(d[0], "aXef");
    // Overwrite keeps the columns: padded with spaces.
    Load(d, {Sj("a漢b")});
    EXPECT_EQ(d.ReplaceRange({0, 1}, {0, 3}, "x", false, 4, beyond), Sj("漢"));
    EXPECT_EQ(d[0], "ax b");
    // The end of an insertion follows the real tab stops.
    Load(d, {"ab"});
    EXPECT_EQ(d.InsertEndPos({0, 1}, "\tz", 4), TEditRowCol(0, 5));
    EXPECT_EQ(d.InsertEndPos({0, 1}, "x\r\n\ty", 4), TEditRowCol(1, 5));
    // Text with both kinds of break: the end is where the line store put the text's last byte.
    const TEditRowCol end = d.InsertEndPos({0, 1}, "x\r\ny\nz", 4);
    EXPECT_EQ(end, TEditRowCol(2, 1));
    d.InsertTextAt({0, 1}, "x\r\ny\nz", 4);
    ASSERT_EQ(d.Count(), 3);
    EXPECT_EQ(d[2], "zb");
}

TEST(DocumentRangeTest, CopyOfAThreeRowSelection)
{
    TLxEditDocs d;
    Load(d, {"first row", "mid\tdle", "last row"});
    TEditViewInfo v;
    v.Selection.SetRange({0, 6}, {2, 4});
    EXPECT_EQ(d.SelectionText(v), "row\r\nmid\tdle\r\nlast");
    d.CopySelection(v);
    EXPECT_EQ(GetClipboardText(), "row\r\nmid\tdle\r\nlast");
    TEditViewInfo none;
    EXPECT_EQ(d.SelectionText(none), "");
}

TEST(DocumentSearchTest, TokenAndTextSearch)
{
    TLxEditDocs d;
    d.SetFileExt("cpp");
    // 0x82 0x60 is "Ａ": its trail byte is "`".
    Load(d, {"int count = 0;", "Count += counter;", Sj("Ａ") + "`"});
    struct Case {
        const char *name;
        std::string text;
        TEditRowCol from;
        bool whole, matchCase, forward;
        bool found;
        TEditRowCol at;
    } cases[] = {
        {"whole word, any case", "COUNT", {0, 0}, true, false, true, true, {0, 4}},
        {"whole word: the token under the caret", "count", {0, 5}, true, true, true, true, {0, 4}},
        {"whole word skips counter", "count", {0, 9}, true, true, true, false, {0, 9}},
        {"whole word, next row, any case", "count", {0, 9}, true, false, true, true, {1, 0}},
        {"inside tokens, match case", "count", {0, 5}, false, true, true, true, {1, 9}},
        {"backward", "count", {1, 9}, false, false, false, true, {1, 0}},
        {"backward from row start", "count", {1, 0}, false, false, false, true, {0, 4}},
        {"spanning two tokens never found", "int count", {0, 0}, false, false, true, false, {0, 0}},
        {"trail byte not a match", "`", {1, 20}, false, true, true, true, {2, 2}},
        {"backward from a row start leaves the row", "counter", {1, 0}, false, false, false, false, {1, 0}},
    };
    for (const Case &c : cases) {
        TEditRowCol p = c.from;
        EXPECT_EQ(d.FindToken(c.text, p, c.whole, c.matchCase, c.forward, 4), c.found) << c.name;
        EXPECT_EQ(p, c.at) << c.name;
    }
    TEditRowCol p(0, 0);
    EXPECT_TRUE(d.FindText("nt", p, true, 4));
    EXPECT_EQ(p, TEditRowCol(0, 1));
    EXPECT_TRUE(d.FindText("nt", p, true, 4));
    EXPECT_EQ(p, TEditRowCol(0, 7));
    EXPECT_TRUE(d.FindText("nt", p, false, 4));
    EXPECT_EQ(p, TEditRowCol(0, 1));
    EXPECT_FALSE(d.FindText("NT", p, true, 4));
    p = TEditRowCol(2, 0);
    EXPECT_TRUE(d.FindText("`", p, true, 4));
    EXPECT_EQ(p, TEditRowCol(2, 2));
}

TEST(DocumentStateTest, LineStatesAndInvalidation)
{
    TLxEditDocs d;
    d.SetFileExt("c");
    Load(d, {"a /* b", "c", "d */ e", "f", "g"});
    std::vector<TEditLinesChange> changes;
    d.OnLinesChanged = [&](TLxEditDocs *, const TEditLinesChange &c) { changes.push_back(c); };
    d.EnsureLineStates(4);
    ASSERT_EQ(changes.size(), 1u); // one notification for the whole pass
    EXPECT_TRUE(changes[0].StatesOnly);
    EXPECT_EQ(changes[0].FirstRow, 0);
    EXPECT_EQ(changes[0].LastRow, 4);
    EXPECT_EQ(d.GetLineState(0), 0);
    EXPECT_EQ(d.GetLineState(1), 0);
    EXPECT_EQ(d.GetLineState(2), -1);
    EXPECT_EQ(d.ModiInfo.ValidStateLine, 4);
    // An edit that keeps the row's end state leaves the states below valid.
    changes.clear();
    EXPECT_FALSE(d.InsertTextAt({3, 1}, "x", 4));
    EXPECT_EQ(d.ModiInfo.ValidStateLine, 4);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].FirstRow, 3);
    EXPECT_FALSE(changes[0].StatesBeyond);
    // Deleting the line break inside the comment joins rows 0 and 1: the states below are
    // invalid and the next pass re-parses from the edited row.
    bool beyond = false;
    d.DeleteRange({0, 6}, {1, 0}, 4, beyond);
    EXPECT_TRUE(beyond);
    EXPECT_EQ(d[0], "a /* bc");
    EXPECT_LT(d.ModiInfo.ValidStateLine, 0);
    d.EnsureLineStates(3);
    EXPECT_EQ(d.GetLineState(0), 0);
    EXPECT_EQ(d.GetLineState(1), -1);
    // Closing the comment early changes row 0's end state.
    EXPECT_TRUE(d.InsertTextAt({0, 7}, "*/", 4));
    d.EnsureLineStates(3);
    EXPECT_EQ(d.GetLineState(0), -1);
    EXPECT_EQ(d.GetLineState(1), -1);
}

TEST(DocumentStateTest, RefreshViewLinesTokenizesOnlyWhatChanged)
{
    TLxEditDocs d;
    d.SetFileExt("cpp");
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i)
        lines.push_back(i == 50 ? "/* open" : "int x" + std::to_string(i) + ";");
    Load(d, std::move(lines));
    TEditViewInfo v;
    v.VisibleLines = 20;
    v.SetTopLine(60);
    d.RefreshViewLines(v);
    ASSERT_EQ(v.ViewLines.Count(), 21);
    EXPECT_EQ(v.ViewLines.FirstDocRow(), 60);
    // Everything below row 50 is inside the comment.
    EXPECT_EQ(v.ViewLines.Items(0)->Tokens.Items(0)->Kind, tkBlockComment);
    EXPECT_TRUE(v.ViewLines.Items(0)->Tokens.Items(0)->DrawProps.Styled);
    EXPECT_LE(d.ModiInfo.ValidStateLine, 60 + 40);
    // Scrolling down by 5 keeps 16 entries and adds the new ones.
    v.SetTopLine(65);
    EXPECT_EQ(v.ViewLines.Count(), 16);
    d.RefreshViewLines(v);
    EXPECT_EQ(v.ViewLines.Count(), 21);
    EXPECT_EQ(v.ViewLines.LastDocRow(), 85);
    // Scrolling by a whole page rebuilds from one entry.
    v.SetTopLine(85);
    EXPECT_EQ(v.ViewLines.Count(), 1);
    // Closing the comment above recolours the rows on screen.
    v.SetTopLine(60);
    d.RefreshViewLines(v);
    d.InsertTextAt({50, 7}, " */", 4);
    d.RefreshViewLines(v);
    EXPECT_EQ(v.ViewLines.Items(0)->Tokens.Items(0)->Kind, tkKeyword);
}

TEST(DocumentTest, FileExtensionAndModificationInfo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Unit1.PAS"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("begin\r\nend.\r\n");
    f.close();
    TLxEditDocs d;
    int resets = 0;
    d.OnChange = [&](TLxEditDocs *) { ++resets; };
    ASSERT_TRUE(d.LoadFromFile(path.toStdString()));
    EXPECT_EQ(d.Language(), 1);
    EXPECT_EQ(d.FileExt(), "pas");
    EXPECT_EQ(d.ModiInfo.FileName, path.toStdString());
    EXPECT_GT(d.ModiInfo.FileDate, 40000);
    EXPECT_EQ(d.Count(), 2);
    d.SetTextStr("x");
    EXPECT_EQ(d.ModiInfo.FileName, "無題");
    EXPECT_EQ(resets, 2);
    EXPECT_FALSE(d.LoadFromFile(dir.filePath(QStringLiteral("missing.txt")).toStdString()));
    EXPECT_EQ(d[0], "x");
    d.SetFileExtFromName(dir.filePath(QStringLiteral("missing.java")).toStdString());
    EXPECT_EQ(d.Language(), 1); // a missing file changes nothing
    EXPECT_EQ(d.GetExpandedLine(7, 4), "");
}

} // namespace
