#include "EditViewController.h"

#include "editor/EditDocument.h"
#include "editor/EditFuncs.h"
#include "editor/EditUndo.h"
#include "editor/EditView.h"
#include "editor/LxTextEditor.h"
#include "platform/Cp932String.h"

#include <QCursor>

#include <algorithm>

void TEditViewController::SetView(TEditView *view)
{
    View = view;
    ViewInfo = view ? &view->DrawOption : nullptr;
}

bool TEditViewController::HasLines() const { return Docs && View && Docs->Count() > 0; }

int TEditViewController::TabWidth() const { return ViewInfo->TabIndents; }

// ---- scroll-away --------------------------------------------------------------------------

void TEditViewController::BeginScrollAway()
{
    if (ScrollAnchor != -1)
        return;
    View->CaretInfo.Hide();
    ScrollAnchor = ViewInfo->TopLine;
}

bool TEditViewController::RestoreScroll(bool restore)
{
    if (ScrollAnchor == -1)
        return false;
    if (restore) {
        const int row = ViewInfo->Caret.Row;
        if (row < ViewInfo->TopLine || row > ViewInfo->TopLine + ViewInfo->VisibleLines)
            View->ScrollRows(ScrollAnchor - ViewInfo->TopLine);
        View->PlaceCaret(true);
    }
    ScrollAnchor = -1;
    View->CaretInfo.Show();
    return true;
}

void TEditViewController::ScrollBy(int rows)
{
    const int t = ViewInfo->TopLine;
    const int n = Docs->Count();
    const int top = rows <= 0 ? t + std::max(-t, rows) : std::min(t + rows, std::max(0, n - 1));
    if (top != t)
        View->ScrollRows(top - t);
}

// ---- caret moves ------------------------------------------------------------------------

void TEditViewController::Select(bool extend)
{
    TEditRangedPos &sel = ViewInfo->Selection;
    if (extend) {
        TEditRowCol a, b;
        ViewInfo->ExtendSelection(a, b);
        View->InvalidateRange(a, b);
    } else if (sel.HasSelection()) {
        const TEditRowCol a = sel.StartPos, b = sel.EndPos;
        sel.Clear();
        View->InvalidateRange(a, b);
    }
}

void TEditViewController::ShowCaretPos()
{
    View->EnsureCaretRowVisible();
    if (!View->PlaceCaret(true)) {
        View->EnsureCaretColVisible();
        View->PlaceCaret(true);
    } else {
        View->EnsureCaretColVisible();
    }
}

void TEditViewController::MoveCaret(const TEditRowCol &pos)
{
    ViewInfo->SetCaret(pos);
    ShowCaretPos();
}

void TEditViewController::CharLeft(bool extend)
{
    if (!HasLines() || RestoreScroll(true))
        return;
    TEditRowCol p = ViewInfo->Caret;
    if (!Docs->PrevCharPos(p, TabWidth()))
        return;
    MoveCaret(p);
    ColumnMemory = p.Col;
    Select(extend);
}

void TEditViewController::CharRight(bool extend)
{
    if (!HasLines() || RestoreScroll(true))
        return;
    TEditRowCol p = ViewInfo->Caret;
    if (!Docs->NextCharPos(p, TabWidth()))
        return;
    MoveCaret(p);
    ColumnMemory = p.Col;
    Select(extend);
}

void TEditViewController::WordLeft(bool extend)
{
    if (!HasLines() || RestoreScroll(true))
        return;
    const TEditRowCol p = Docs->PrevWordPos(ViewInfo->Caret.Row, ViewInfo->Caret.Col, TabWidth());
    if (p.Row < 0)
        return;
    MoveCaret(p);
    ColumnMemory = p.Col;
    Select(extend);
}

void TEditViewController::WordRight(bool extend)
{
    if (!HasLines() || RestoreScroll(true))
        return;
    const TEditRowCol p = Docs->NextWordPos(ViewInfo->Caret.Row, ViewInfo->Caret.Col, TabWidth());
    if (p.Row < 0)
        return;
    MoveCaret(p);
    ColumnMemory = p.Col;
    Select(extend);
}

void TEditViewController::LineUp(bool extend)
{
    if (!HasLines() || RestoreScroll(true))
        return;
    const int r = ViewInfo->Caret.Row;
    if (r == 0)
        return;
    const int s = std::min(r == ViewInfo->TopLine ? 2 : 1, r);
    const int row = r - s;
    MoveCaret(TEditRowCol(row, Docs->SnapColumn(row, ColumnMemory, TabWidth())));
    View->EnsureCaretColVisible();
    Select(extend);
}

void TEditViewController::LineDown(bool extend)
{
    if (!HasLines() || RestoreScroll(true))
        return;
    const int r = ViewInfo->Caret.Row;
    const int n = Docs->Count();
    if (r >= n - 1)
        return;
    const int s = std::min(r - ViewInfo->TopLine == ViewInfo->VisibleLines - 1 ? 2 : 1, n - r - 1);
    const int row = r + s;
    MoveCaret(TEditRowCol(row, Docs->SnapColumn(row, ColumnMemory, TabWidth())));
    View->EnsureCaretColVisible();
    Select(extend);
}

void TEditViewController::LineHome(bool extend)
{
    if (!HasLines() || RestoreScroll(true))
        return;
    if (ViewInfo->Caret.Col == 0)
        return;
    ViewInfo->SetCaret(ViewInfo->Caret.Row, 0);
    View->PlaceCaret(true);
    View->EnsureCaretColVisible();
    ColumnMemory = 0;
    Select(extend);
}

void TEditViewController::LineEnd(bool extend)
{
    if (!HasLines() || RestoreScroll(true))
        return;
    const int len = Docs->GetExpandedLength(ViewInfo->Caret.Row, TabWidth());
    if (ViewInfo->Caret.Col == len)
        return;
    MoveCaret(TEditRowCol(ViewInfo->Caret.Row, len));
    View->EnsureCaretColVisible();
    ColumnMemory = len;
    Select(extend);
}

void TEditViewController::PageDown(bool extend)
{
    if (!HasLines() || RestoreScroll(true))
        return;
    const int r = ViewInfo->Caret.Row;
    const int b = std::min(ViewInfo->VisibleLines, Docs->Count() - r - 1);
    if (b <= 0)
        return;
    View->ScrollRows(b);
    const int row = r + b;
    ViewInfo->SetCaret(row, Docs->SnapColumn(row, ColumnMemory, TabWidth()));
    View->PlaceCaret(true);
    View->EnsureCaretColVisible();
    Select(extend);
}

void TEditViewController::PageUp(bool extend)
{
    if (!HasLines() || RestoreScroll(true))
        return;
    const int b = std::min(ViewInfo->TopLine, ViewInfo->VisibleLines);
    const int r = ViewInfo->Caret.Row;
    if (b <= 0) {
        // Already at the top: the caret goes to the first row.
        if (r == 0)
            return;
        ViewInfo->SetCaret(0, Docs->SnapColumn(0, ColumnMemory, TabWidth()));
    } else {
        View->ScrollRows(-b);
        const int row = std::max(0, r - b);
        ViewInfo->SetCaret(row, Docs->SnapColumn(row, ColumnMemory, TabWidth()));
    }
    View->PlaceCaret(true);
    View->EnsureCaretColVisible();
    Select(extend);
}

void TEditViewController::DocHome(bool extend)
{
    if (!HasLines())
        return;
    RestoreScroll(false);
    View->ScrollRows(-ViewInfo->TopLine);
    ViewInfo->SetCaret(0, 0);
    View->PlaceCaret(true);
    View->EnsureCaretColVisible();
    Select(extend);
}

void TEditViewController::DocEnd(bool extend)
{
    if (!HasLines())
        return;
    RestoreScroll(false);
    const int n = Docs->Count();
    const int top = std::max(0, n - ViewInfo->VisibleLines);
    View->ScrollRows(top - ViewInfo->TopLine);
    ViewInfo->SetCaret(n - 1, Docs->GetExpandedLength(n - 1, TabWidth()));
    View->PlaceCaret(true);
    View->EnsureCaretColVisible();
    Select(extend);
}

void TEditViewController::CaretToTop(bool extend)
{
    if (!HasLines() || RestoreScroll(true))
        return;
    const int t = ViewInfo->TopLine;
    ViewInfo->SetCaret(t, Docs->SnapColumn(t, ViewInfo->Caret.Col, TabWidth()));
    View->PlaceCaret(true);
    View->EnsureCaretColVisible();
    Select(extend);
}

void TEditViewController::CaretToBottom(bool extend)
{
    if (!HasLines() || RestoreScroll(true))
        return;
    const int t = ViewInfo->TopLine;
    const int row = t + std::max(0, std::min(Docs->Count() - t - 1, ViewInfo->VisibleLines - 1));
    ViewInfo->SetCaret(row, Docs->SnapColumn(row, ViewInfo->Caret.Col, TabWidth()));
    View->PlaceCaret(true);
    View->EnsureCaretColVisible();
    Select(extend);
}

void TEditViewController::ScrollUpOne()
{
    if (!HasLines() || RestoreScroll(true))
        return;
    const int t = ViewInfo->TopLine;
    if (t == 0)
        return;
    View->ScrollRows(-1);
    const int row = std::min(t - 1 + ViewInfo->VisibleLines - 1, ViewInfo->Caret.Row);
    ViewInfo->SetCaret(row, Docs->SnapColumn(row, ViewInfo->Caret.Col, TabWidth()));
    View->PlaceCaret(true);
}

void TEditViewController::ScrollDownOne()
{
    if (!HasLines() || RestoreScroll(true))
        return;
    const int t = ViewInfo->TopLine;
    if (t >= Docs->Count() - 1)
        return;
    View->ScrollRows(1);
    const int row = std::max(t + 1, ViewInfo->Caret.Row);
    ViewInfo->SetCaret(row, Docs->SnapColumn(row, ViewInfo->Caret.Col, TabWidth()));
    View->PlaceCaret(true);
}

void TEditViewController::SelectAll()
{
    if (!HasLines())
        return;
    RestoreScroll(false);
    if (ViewInfo->Selection.HasSelection()) {
        const TEditRowCol a = ViewInfo->Selection.StartPos, b = ViewInfo->Selection.EndPos;
        ViewInfo->Selection.Clear();
        View->InvalidateRange(a, b);
    }
    ViewInfo->SetCaret(0, 0);
    DocEnd(true);
}

void TEditViewController::RememberColumn() { ColumnMemory = ViewInfo ? ViewInfo->Caret.Col : 0; }

// ---- scrolling --------------------------------------------------------------------------

void TEditViewController::ScrollLines(int rows)
{
    if (!HasLines() || rows == 0)
        return;
    BeginScrollAway();
    ScrollBy(rows);
}

void TEditViewController::Wheel(int delta)
{
    if (!HasLines() || WheelLocked || delta == 0)
        return;
    const int t = ViewInfo->TopLine;
    if (delta < 0 && t < Docs->Count() - 1) {
        BeginScrollAway();
        ScrollBy(4);
    } else if (delta > 0 && t > 0) {
        BeginScrollAway();
        ScrollBy(-4);
    }
}

// ---- mouse and focus --------------------------------------------------------------------

void TEditViewController::MouseDown(int x, int y, bool shift)
{
    if (!HasLines() || !Control->viewport()->rect().contains(x, y))
        return;
    const bool inNumbers = View->LeftView.BarRect.contains(x, y);
    TEditRowCol pos = View->PixelToPosition(std::max(x, View->TextView.TextRect.left()), y);
    if (pos.Row < 0)
        return;
    bool extend = shift;
    if (inNumbers) {
        // A click on a row number selects the row, without its line break.
        Select(false);
        ViewInfo->SetCaret(pos.Row, 0);
        pos.Col = Docs->GetExpandedLength(pos.Row, TabWidth());
        extend = true;
    }
    RestoreScroll(false);
    ViewInfo->SetCaret(pos);
    View->PlaceCaret(true);
    View->EnsureCaretColVisible();
    ColumnMemory = pos.Col;
    Select(extend);
}

void TEditViewController::MouseMove(int x, int y, bool dragging)
{
    if (!HasLines())
        return;
    QWidget *surface = Control->viewport();
    const bool inNumbers = View->LeftView.BarRect.contains(x, y);
    int kind = 0;
    if (!inNumbers) {
        const TEditRowCol pos = View->PixelToPosition(x, y);
        if (pos.Row >= 0)
            kind = ViewInfo->TokenKindAt(pos.Row, pos.Col + 1);
    }
    if (inNumbers || kind == 21 || kind == 22) {
        surface->setCursor(Qt::PointingHandCursor);
        return;
    }
    surface->setCursor(View->TextView.BarRect.contains(x, y) ? Qt::IBeamCursor : Qt::ArrowCursor);
    if (!dragging)
        return;
    const TEditRowCol pos = View->PixelToPosition(std::max(x, View->TextView.TextRect.left()), y);
    if (pos.Row < 0 || pos == ViewInfo->Caret)
        return;
    if (y < View->TextView.TextRect.top() && ViewInfo->TopLine > 0) {
        View->ScrollRows(-1);
        TEditRowCol above(ViewInfo->TopLine, Docs->SnapColumn(ViewInfo->TopLine, pos.Col, TabWidth()));
        ViewInfo->SetCaret(above);
    } else {
        ViewInfo->SetCaret(pos);
    }
    View->EnsureCaretRowVisible();
    View->PlaceCaret(true);
    View->EnsureCaretColVisible();
    Select(true);
}

void TEditViewController::DoubleClick(int x, int y)
{
    if (!HasLines() || !View->TextView.TextRect.contains(x, y))
        return;
    TEditLineData *line = ViewInfo->ViewLines.FindByDocRow(ViewInfo->Caret.Row);
    if (!line)
        return;
    // The token under the caret: the one that holds the column, else the one starting there.
    TEditTokenItm *token = line->Tokens.TokenAtCol(ViewInfo->Caret.Col + 1, true);
    if (!token || !token->Measured)
        return;
    const TEditRowCol start(ViewInfo->Caret.Row, token->DisplayCol);
    const TEditRowCol end(ViewInfo->Caret.Row, token->DisplayCol + token->DisplayLength);
    Select(false);
    ViewInfo->SetCaret(start);
    ViewInfo->SetCaret(end);
    ViewInfo->Selection.SetRange(start, end);
    View->InvalidateRange(start, end);
    View->PlaceCaret(true);
    ColumnMemory = end.Col;
    const int kind = token->Kind;
    const QString text = tovik::platform::Cp932ToQString(token->Kind == tkTab ? "" : token->Text);
    if (kind == tkURL)
        OpenInBrowser(text);
    else if (kind == tkMail)
        OpenWithShell(QStringLiteral("mailto:") + text);
}

void TEditViewController::FocusGained()
{
    if (View)
        View->CaretInfo.Allocate();
}

void TEditViewController::FocusLost()
{
    if (!View)
        return;
    if (ViewInfo->Selection.HasSelection()) {
        const TEditRowCol a = ViewInfo->Selection.StartPos, b = ViewInfo->Selection.EndPos;
        ViewInfo->Selection.Clear();
        View->InvalidateRange(a, b);
    }
    if (ScrollAnchor != -1) {
        ScrollAnchor = -1;
        ViewInfo->SetCaret(ViewInfo->TopLine, 0);
        View->PlaceCaret(true);
    }
    View->CaretInfo.Release();
}

// ---- editing ----------------------------------------------------------------------------

void TEditViewController::InsertText(const std::string &text)
{
    if (!HasLines() || ViewInfo->Readonly || text.empty() || RestoreScroll(true))
        return;
    Manager->Execute(0, text);
}

void TEditViewController::DeleteChar(bool backward)
{
    if (!HasLines() || ViewInfo->Readonly || RestoreScroll(true))
        return;
    Manager->Execute(backward ? 2 : 1, std::string());
}

void TEditViewController::Enter()
{
    if (!HasLines())
        return;
    if (View->CaretInfo.IsOverwrite()) {
        if (RestoreScroll(true))
            return;
        const int r = ViewInfo->Caret.Row;
        if (r + 1 < Docs->Count()) {
            MoveCaret(TEditRowCol(r + 1, 0));
            View->EnsureCaretColVisible();
            ColumnMemory = 0;
        }
        return;
    }
    if (ViewInfo->Readonly)
        return;
    std::string text = "\r\n";
    if (ViewInfo->AutoIndents)
        text += ViewInfo->GetAutoIndent();
    InsertText(text);
}

void TEditViewController::Tab()
{
    if (!HasLines() || ViewInfo->Readonly)
        return;
    RestoreScroll(true);
    if (View->CaretInfo.IsOverwrite()) {
        const TEditRowCol c = ViewInfo->Caret;
        const int len = Docs->GetExpandedLength(c.Row, TabWidth());
        const int col = std::min(len, c.Col + static_cast<int>(TabDisplayText(c.Col, TabWidth(), false).size()));
        MoveCaret(TEditRowCol(c.Row, Docs->SnapColumn(c.Row, col, TabWidth())));
        View->EnsureCaretColVisible();
        ColumnMemory = ViewInfo->Caret.Col;
        return;
    }
    Manager->Execute(4, "\t");
}

void TEditViewController::Cut()
{
    if (!HasLines() || ViewInfo->Readonly)
        return;
    if (ViewInfo->Selection.HasSelection())
        Docs->CopySelection(*ViewInfo);
    DeleteForward();
}

void TEditViewController::Copy()
{
    if (HasLines())
        Docs->CopySelection(*ViewInfo);
}

void TEditViewController::Paste()
{
    if (!HasLines() || ViewInfo->Readonly)
        return;
    RestoreScroll(true);
    std::string text = GetClipboardText();
    const size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    if (!text.empty())
        Manager->Execute(0, text);
}

void TEditViewController::Undo()
{
    if (!HasLines() || ViewInfo->Readonly)
        return;
    RestoreScroll(true);
    Manager->Undo();
}

void TEditViewController::Redo()
{
    if (!HasLines() || ViewInfo->Readonly)
        return;
    RestoreScroll(true);
    Manager->Redo();
}

// ---- search -----------------------------------------------------------------------------

bool TEditViewController::SelectFound(const TEditRowCol &found, int length)
{
    if (found == ViewInfo->Caret)
        return false;
    RestoreScroll(false);
    ViewInfo->SetCaret(found);
    View->EnsureCaretRowVisible();
    View->PlaceCaret(true);
    View->EnsureCaretColVisible();
    Select(false);
    // The caret goes after the text found, which becomes the selection.
    ViewInfo->SetCaret(found.Row, found.Col + length);
    Select(true);
    View->PlaceCaret(true);
    View->EnsureCaretColVisible();
    ColumnMemory = ViewInfo->Caret.Col;
    return true;
}

bool TEditViewController::Find(const std::string &text, bool forward, bool wholeWord, bool matchCase)
{
    if (!HasLines() || text.empty())
        return false;
    LastFindText = text;
    LastFindForward = forward;
    LastFindWholeWord = wholeWord;
    LastFindMatchCase = matchCase;
    // A backward search starts before the selection it found last.
    TEditRowCol pos = !forward && ViewInfo->Selection.HasSelection() ? ViewInfo->Selection.StartPos : ViewInfo->Caret;
    if (!Docs->FindToken(text, pos, wholeWord, matchCase, forward, TabWidth()))
        return false;
    return SelectFound(pos, static_cast<int>(text.size()));
}

bool TEditViewController::FindAgain(const std::string &text, bool forward)
{
    if (text.empty()) {
        // F3: the last search again, in its direction.
        if (LastFindText.empty())
            return false;
        return Find(LastFindText, LastFindForward, LastFindWholeWord, LastFindMatchCase);
    }
    if (!HasLines())
        return false;
    TEditRowCol pos = !forward && ViewInfo->Selection.HasSelection() ? ViewInfo->Selection.StartPos : ViewInfo->Caret;
    if (!Docs->FindText(text, pos, forward, TabWidth()))
        return false;
    return SelectFound(pos, static_cast<int>(text.size()));
}
