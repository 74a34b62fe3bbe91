// Commands, undo and redo, and the view state's caret and selection rules.
#include "editor/EditDocument.h"
#include "editor/EditUndo.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

namespace {

using tovik::platform::Utf8ToCp932;

class RecordingView : public TEditCommandView, public TEditViewNotify {
public:
    RecordingView() { View.Owner = this; }
    TEditViewInfo &ViewInfo() override { return View; }
    bool IsOverwrite() const override { return Overwrite; }
    void CommandStateChanged(bool, bool modifiedChanged, bool canUndo) override
    {
        if (modifiedChanged)
            Modified.push_back(canUndo);
    }
    void UpdateMenuState(bool u, bool r) override
    {
        CanUndoItem = u;
        CanRedoItem = r;
    }
    void ViewCaretChanged() override { ++CaretMoves; }
    void ViewMessage(const std::string &text) override { Messages.push_back(text); }

    TEditViewInfo View;
    bool Overwrite = false;
    std::vector<bool> Modified;
    bool CanUndoItem = false, CanRedoItem = false;
    int CaretMoves = 0;
    std::vector<std::string> Messages;
};

struct Fixture {
    TLxEditDocs Docs;
    RecordingView View;
    TLxTextCommandManager Commands {&Docs, &View};
    void Type(const std::string &s) { Commands.Execute(0, s); }
};

TEST(UndoTest, TypingUndoAndRedo)
{
    Fixture f;
    f.Docs.SetLines({"ab"});
    f.View.View.SetCaret(0, 1);
    f.Type("x");
    f.Type("y");
    EXPECT_EQ(f.Docs[0], "axyb");
    EXPECT_EQ(f.View.View.Caret, TEditRowCol(0, 3));
    EXPECT_EQ(f.View.Modified, std::vector<bool>{true});
    f.Commands.Undo();
    EXPECT_EQ(f.Docs[0], "axb");
    f.Commands.Undo();
    EXPECT_EQ(f.Docs[0], "ab");
    EXPECT_EQ(f.View.Modified, (std::vector<bool>{true, false}));
    EXPECT_FALSE(f.Commands.CanUndo());
    EXPECT_TRUE(f.View.CanRedoItem);
    f.Commands.Redo();
    EXPECT_EQ(f.Docs[0], "axb");
    // A new command drops the redo tail.
    f.Type("z");
    EXPECT_FALSE(f.Commands.CanRedo());
    EXPECT_EQ(f.Commands.Count(), 2);
    f.Commands.Undo();
    f.Commands.Undo();
    f.Commands.Undo(); // nothing left: no change
    EXPECT_EQ(f.Docs[0], "ab");
}

TEST(UndoTest, TabKeyInsertsSpacesOrATab)
{
    for (auto mode : {TLxEditorTabMode::tmSpace, TLxEditorTabMode::tmTabChar}) {
        Fixture f;
        f.Docs.SetLines({"ab"});
        f.View.View.TABMode = mode;
        f.View.View.SetCaret(0, 1);
        f.Commands.Execute(4, "\t");
        EXPECT_EQ(f.Docs[0], mode == TLxEditorTabMode::tmSpace ? "a   b" : "a\tb");
        EXPECT_EQ(f.View.View.Caret, TEditRowCol(0, 4));
        f.Commands.Undo();
        EXPECT_EQ(f.Docs[0], "ab");
    }
}

TEST(UndoTest, BackspaceJoinsRowsAndUndoSplitsThem)
{
    Fixture f;
    f.Docs.SetLines({"0", "1", "2", "3", "four", "five"});
    f.View.View.SetCaret(5, 0);
    f.Commands.Execute(2, "");
    ASSERT_EQ(f.Docs.Count(), 5);
    EXPECT_EQ(f.Docs[4], "fourfive");
    EXPECT_EQ(f.View.View.Caret, TEditRowCol(4, 4));
    f.Commands.Undo();
    ASSERT_EQ(f.Docs.Count(), 6);
    EXPECT_EQ(f.Docs[4], "four");
    EXPECT_EQ(f.Docs[5], "five");
    EXPECT_EQ(f.View.View.Caret, TEditRowCol(5, 0));
    // Delete forward takes a whole double-byte character.
    f.Docs.SetLines({Utf8ToCp932("漢x")});
    f.Commands.Clear();
    f.View.View.SetCaret(0, 0);
    f.Commands.Execute(1, "");
    EXPECT_EQ(f.Docs[0], "x");
    f.Commands.Undo();
    EXPECT_EQ(f.Docs[0], Utf8ToCp932("漢x"));
}

TEST(UndoTest, TypingOverASelectionAndUndoRestoresIt)
{
    Fixture f;
    f.Docs.SetLines({"hello", "world"});
    f.View.View.Selection.SetRange({0, 2}, {1, 3});
    f.View.View.SetCaret(1, 3);
    f.Type("Y");
    ASSERT_EQ(f.Docs.Count(), 1);
    EXPECT_EQ(f.Docs[0], "heYld");
    EXPECT_FALSE(f.View.View.Selection.HasSelection());
    EXPECT_EQ(f.View.View.Caret, TEditRowCol(0, 3));
    f.Commands.Undo();
    ASSERT_EQ(f.Docs.Count(), 2);
    EXPECT_EQ(f.Docs[0], "hello");
    EXPECT_EQ(f.Docs[1], "world");
    EXPECT_EQ(f.View.View.Selection.StartPos, TEditRowCol(0, 2));
    EXPECT_EQ(f.View.View.Selection.EndPos, TEditRowCol(1, 3));
}

TEST(UndoTest, OverwriteKeepsColumnsAndUndoesCleanly)
{
    Fixture f;
    f.View.Overwrite = true;
    const std::string line = Utf8ToCp932("a漢b");
    f.Docs.SetLines({line});
    f.View.View.SetCaret(0, 1);
    f.Type("x"); // one byte over a two-byte character: a space keeps "b" in its column
    EXPECT_EQ(f.Docs[0], "ax b");
    EXPECT_EQ(f.View.View.Caret, TEditRowCol(0, 2));
    f.Commands.Undo();
    EXPECT_EQ(f.Docs[0], line);
    // Two bytes over one-byte characters take two of them.
    f.Docs.SetLines({"abcd"});
    f.Commands.Clear();
    f.View.View.SetCaret(0, 1);
    f.Type(Utf8ToCp932("字"));
    EXPECT_EQ(f.Docs[0], "a" + Utf8ToCp932("字") + "d");
    f.Commands.Undo();
    EXPECT_EQ(f.Docs[0], "abcd");
    // At the end of the row overwrite inserts.
    f.View.View.SetCaret(0, 4);
    f.Type("e");
    EXPECT_EQ(f.Docs[0], "abcde");
}

TEST(UndoTest, PasteWithTabsEndsOnTheRealTabStop)
{
    Fixture f;
    f.Docs.SetLines({"ab"});
    f.View.View.SetCaret(0, 1);
    f.Type("\tz");
    EXPECT_EQ(f.Docs[0], "a\tzb");
    EXPECT_EQ(f.View.View.Caret, TEditRowCol(0, 5));
    f.Commands.Undo();
    EXPECT_EQ(f.Docs[0], "ab"); // nothing after the pasted text goes with it
}

TEST(ViewInfoTest, CaretSelectionScrollingAndTabWidth)
{
    RecordingView r;
    TEditViewInfo &v = r.View;
    EXPECT_LT(TEditRowCol::KeyOf(3, 5), TEditRowCol::KeyOf(4, 0));
    EXPECT_DOUBLE_EQ(TEditRowCol::KeyOf(3, 5), 3.00005);
    v.SetCaret(2, 5);
    EXPECT_EQ(r.CaretMoves, 1); // one notification for both axes
    v.SetCaret(2, 5);
    EXPECT_EQ(r.CaretMoves, 1);
    // Shift+Right three times from (0, 0), then back left over the anchor.
    v.SetCaret(0, 0);
    TEditRowCol a, b;
    for (int c = 1; c <= 3; ++c) {
        v.SetCaret(0, c);
        v.ExtendSelection(a, b);
    }
    EXPECT_EQ(v.Selection.StartPos, TEditRowCol(0, 0));
    EXPECT_EQ(v.Selection.EndPos, TEditRowCol(0, 3));
    v.SetCaret(0, 2);
    v.ExtendSelection(a, b);
    EXPECT_EQ(v.Selection.EndPos, TEditRowCol(0, 2));
    EXPECT_EQ(a, TEditRowCol(0, 2));
    EXPECT_EQ(b, TEditRowCol(0, 3));
    // Flipping across the anchor: anchor (2, 0), end (2, 5), caret to (1, 3).
    v.Selection.Clear();
    v.Selection.SetRange({2, 0}, {2, 5});
    v.SetCaret(2, 5);
    v.SetCaret(1, 3);
    v.ExtendSelection(a, b);
    EXPECT_EQ(v.Selection.StartPos, TEditRowCol(1, 3));
    EXPECT_EQ(v.Selection.EndPos, TEditRowCol(2, 0));
    // Back onto the anchor clears it.
    v.SetCaret(2, 0);
    v.ExtendSelection(a, b);
    EXPECT_FALSE(v.Selection.HasSelection());
    // Equal positions leave a selection alone.
    v.Selection.SetRange({0, 1}, {0, 4});
    v.Selection.SetRange({3, 3}, {3, 3});
    EXPECT_EQ(v.Selection.EndPos, TEditRowCol(0, 4));
    std::string x, y, z;
    v.Selection.SplitText(0, 2, "abcdef", x, y, z);
    EXPECT_EQ(x, "");
    EXPECT_EQ(y, "ab");
    EXPECT_EQ(z, "cdef");
    EXPECT_TRUE(v.Selection.Intersects(0, 0, 1));
    EXPECT_FALSE(v.Selection.Intersects(0, 5, 3));
    // Tab width: 2 .. 12, anything else refused with the message.
    EXPECT_FALSE(v.SetTabIndents(13));
    EXPECT_EQ(v.TabIndents, 4);
    ASSERT_EQ(r.Messages.size(), 1u);
    EXPECT_EQ(r.Messages[0], "タブの範囲は2-12です");
    EXPECT_TRUE(v.SetTabIndents(12));
    EXPECT_EQ(v.TabIndents, 12);
    // Scrolling up by fewer rows than a page keeps the cache, numbered consecutively.
    v.VisibleLines = 10;
    v.TopLine = 20;
    for (int i = 0; i < 10; ++i)
        v.ViewLines.Add()->DocRow = 20 + i;
    v.SetTopLine(17);
    EXPECT_EQ(v.ViewLines.Count(), 10);
    EXPECT_EQ(v.ViewLines.FirstDocRow(), 17);
    EXPECT_EQ(v.ViewLines.Items(3)->DocRow, 20);
    EXPECT_EQ(v.ViewLines.Items(0)->State, TEditLineData::stNew);
    v.SetTopLine(27); // exactly a page: one entry left
    EXPECT_EQ(v.ViewLines.Count(), 1);
}

TEST(ViewInfoTest, AutoIndentFromTheCaretRow)
{
    TEditViewInfo v;
    TEditLineData *line = v.ViewLines.Add();
    line->DocRow = 0;
    auto add = [&](int kind, const std::string &text) {
        TEditTokenItm *t = line->Tokens.Add();
        t->Kind = static_cast<uint8_t>(kind);
        t->Text = text;
    };
    add(9, "\t");
    add(9, "\t");
    add(11, "x");
    EXPECT_EQ(v.GetAutoIndent(), "        ");
    v.TABMode = TLxEditorTabMode::tmTabChar;
    EXPECT_EQ(v.GetAutoIndent(), "\t\t");
    line->Tokens.Clear();
    add(26, "   ");
    add(11, "y");
    EXPECT_EQ(v.GetAutoIndent(), "   ");
}

} // namespace
