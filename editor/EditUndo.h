// The editor's command list: every change to the document is a record that can do and undo
// itself. The list is linear with no grouping and no limit: executing a new command drops
// everything that could still be redone; replacing the document's content clears it.
//
// Command kinds: 0 insert text at the caret (typing, Enter, paste), 1 delete forward,
// 2 delete backward, 4 the Tab key (a single tab). Kind 3 and others create nothing.
#ifndef TOVIK_EDITOR_EDITUNDO_H
#define TOVIK_EDITOR_EDITUNDO_H

#include "editor/EditTypes.h"

#include <memory>
#include <string>
#include <vector>

class TLxEditDocs;
class TLxCaretInfo;

// What the commands need from the view that shows the document.
class TEditCommandView {
public:
    virtual ~TEditCommandView() = default;
    virtual TEditViewInfo &ViewInfo() = 0;
    virtual TLxCaretInfo *CaretInfo() { return nullptr; }
    // The rows from pos changed: repaint pos's row, and every row below when following.
    virtual void RepaintLines(const TEditRowCol &, bool) {}
    // After a change: widest line, caret brought into view and placed, scroll bars.
    virtual void RefreshAfterChange() {}
    // The list's state changed. storeColumn: remember the caret column for vertical moves;
    // modifiedChanged: whether undo is possible changed (canUndo is the new answer).
    virtual void CommandStateChanged(bool storeColumn, bool modifiedChanged, bool canUndo)
    {
        (void)storeColumn;
        (void)modifiedChanged;
        (void)canUndo;
    }
    // The context menu's undo and redo items.
    virtual void UpdateMenuState(bool canUndo, bool canRedo)
    {
        (void)canUndo;
        (void)canRedo;
    }
    // Whether the caret is in overwrite mode.
    virtual bool IsOverwrite() const { return false; }
};

class TLxTextCommandManager;

class TUTextUndoBase {
public:
    virtual ~TUTextUndoBase() = default;
    virtual void Undo(TLxEditDocs &docs, TEditViewInfo &view);
    virtual void Execute(TLxEditDocs &docs, TEditViewInfo &view);
    virtual void SetData(const TEditRowCol &pos, const std::string &text);

    TLxTextCommandManager *Manager = nullptr;
    int Kind = 0;
    TEditRowCol Pos;
    std::string Text;
    TEditRowCol OtherPos;

protected:
    void Refresh();
};

class FLxInsertUndo : public TUTextUndoBase {
public:
    void Undo(TLxEditDocs &docs, TEditViewInfo &view) override;
    void Execute(TLxEditDocs &docs, TEditViewInfo &view) override;
};

class FLxDeleteUndo : public TUTextUndoBase {
public:
    void Undo(TLxEditDocs &docs, TEditViewInfo &view) override;
    void Execute(TLxEditDocs &docs, TEditViewInfo &view) override;
};

class FLxReplaceUndo : public TUTextUndoBase {
public:
    void Undo(TLxEditDocs &docs, TEditViewInfo &view) override;
    void Execute(TLxEditDocs &docs, TEditViewInfo &view) override;

    std::string RemovedText;
    TEditRowCol RangeStart;
    TEditRowCol RangeEnd;
    bool KeepSelection = true;
    size_t TypedLength = std::string::npos; // the text as typed, before any padding
};

class TLxTextCommandManager {
public:
    TLxTextCommandManager(TLxEditDocs *docs, TEditCommandView *view);
    ~TLxTextCommandManager();

    // Runs a new command at the caret; answers its record, or null for a kind that makes none.
    TUTextUndoBase *Execute(int kind, const std::string &text);
    bool CanUndo() const { return !FList.empty() && Index >= 0; }
    bool CanRedo() const { return !FList.empty() && Index < static_cast<int>(FList.size()) - 1; }
    void Undo();
    void Redo();
    void Clear();
    void UpdateMenuState();
    int Count() const { return static_cast<int>(FList.size()); }
    // Null outside the list.
    TUTextUndoBase *Items(int index) const;

    TLxEditDocs *Docs = nullptr;
    TEditCommandView *View = nullptr;
    int Index = -1;

private:
    friend class TUTextUndoBase;
    std::vector<std::unique_ptr<TUTextUndoBase>> FList;
};

#endif
