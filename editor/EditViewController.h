// Turns the editor's keyboard, mouse, wheel and scroll-bar input into caret moves,
// selections, scrolling, searches, clipboard transfers and editing commands.
//
// After the user scrolled the view away from the caret (scroll bar, wheel), the first key or
// click only brings the view back to the caret.
#ifndef TOVIK_EDITOR_EDITVIEWCONTROLLER_H
#define TOVIK_EDITOR_EDITVIEWCONTROLLER_H

#include "editor/EditTypes.h"

#include <string>

class TEditView;
class TLxEditCustomView;
class TLxEditDocs;
class TLxTextCommandManager;

class TEditViewController {
public:
    explicit TEditViewController(TLxEditCustomView *control) : Control(control) {}

    void SetView(TEditView *view);
    void SetDocs(TLxEditDocs *docs) { Docs = docs; }
    void SetManager(TLxTextCommandManager *manager) { Manager = manager; }

    // ---- navigation (extend: Shift held) ----
    void CharLeft(bool extend);
    void CharRight(bool extend);
    void WordLeft(bool extend);
    void WordRight(bool extend);
    void LineUp(bool extend);
    void LineDown(bool extend);
    void LineHome(bool extend);
    void LineEnd(bool extend);
    void PageUp(bool extend);
    void PageDown(bool extend);
    void DocHome(bool extend);
    void DocEnd(bool extend);
    void CaretToTop(bool extend);
    void CaretToBottom(bool extend);
    void ScrollUpOne();
    void ScrollDownOne();
    void SelectAll();
    void RememberColumn();

    // ---- scrolling without moving the caret ----
    void ScrollLines(int rows);
    void Wheel(int delta);

    // ---- mouse and focus ----
    void MouseDown(int x, int y, bool shift);
    void MouseMove(int x, int y, bool dragging);
    void DoubleClick(int x, int y);
    void FocusGained();
    void FocusLost();

    // ---- editing (nothing while read-only) and the clipboard ----
    void InsertText(const std::string &text);
    void DeleteBackward() { DeleteChar(true); }
    void DeleteForward() { DeleteChar(false); }
    void DeleteChar(bool backward);
    void Enter();
    void Tab();
    void Cut();
    void Copy();
    void Paste();
    void Undo();
    void Redo();

    // ---- search ----
    // Selects the next hit from the caret; false (nothing changed) when there is none.
    bool Find(const std::string &text, bool forward, bool wholeWord, bool matchCase);
    // The plain search again; an empty text repeats the last Find.
    bool FindAgain(const std::string &text, bool forward);

    // ---- state ----
    TLxEditCustomView *Control;
    TEditView *View = nullptr;
    TLxEditDocs *Docs = nullptr;
    TEditViewInfo *ViewInfo = nullptr;
    TLxTextCommandManager *Manager = nullptr;
    int ColumnMemory = 0;
    int ScrollAnchor = -1;
    bool WheelLocked = false;
    std::string LastFindText;
    bool LastFindForward = true;
    bool LastFindWholeWord = false;
    bool LastFindMatchCase = false;

private:
    bool HasLines() const;
    int TabWidth() const;
    void BeginScrollAway();
    // Answers whether a scroll-away was pending (then the caller stops when restoring).
    bool RestoreScroll(bool restore);
    void ScrollBy(int rows);
    void Select(bool extend);
    void ShowCaretPos();
    void MoveCaret(const TEditRowCol &pos);
    bool SelectFound(const TEditRowCol &found, int length);
};

#endif
