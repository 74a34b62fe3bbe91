#include "EditUndo.h"

#include "editor/EditCaret.h"
#include "editor/EditDocument.h"
#include "editor/EditFuncs.h"

namespace {

// Hides the caret while the text changes.
class CaretHold {
public:
    explicit CaretHold(TLxTextCommandManager *m) : caret_(m && m->View ? m->View->CaretInfo() : nullptr)
    {
        if (caret_)
            caret_->BeginUpdate();
    }
    ~CaretHold()
    {
        if (caret_)
            caret_->EndUpdate();
    }

private:
    TLxCaretInfo *caret_;
};

} // namespace

// ---- records ----------------------------------------------------------------------------

void TUTextUndoBase::Undo(TLxEditDocs &, TEditViewInfo &) { Refresh(); }

void TUTextUndoBase::Execute(TLxEditDocs &, TEditViewInfo &) { Refresh(); }

void TUTextUndoBase::SetData(const TEditRowCol &pos, const std::string &text)
{
    Pos = pos;
    Text = text;
}

void TUTextUndoBase::Refresh()
{
    if (Manager && Manager->View) {
        Manager->View->ViewInfo().RecalcMaxWidth();
        Manager->View->RefreshAfterChange();
    }
}

static void Repaint(TLxTextCommandManager *m, const TEditRowCol &pos, bool following)
{
    if (m && m->View)
        m->View->RepaintLines(pos, following);
}

void FLxInsertUndo::Execute(TLxEditDocs &docs, TEditViewInfo &view)
{
    CaretHold hold(Manager);
    const int tab = view.TabIndents;
    OtherPos = Pos;
    if (Kind == 4 && Text == "\t") {
        const std::string spaces = TabDisplayText(Pos.Col, tab, false);
        OtherPos.Col += static_cast<int>(spaces.size());
        if (view.TABMode == TLxEditorTabMode::tmSpace)
            Text = spaces;
    } else {
        OtherPos = docs.InsertEndPos(Pos, Text, tab);
    }
    const bool beyond = docs.InsertTextAt(Pos, Text, tab);
    Repaint(Manager, Pos, beyond);
    view.SetCaret(OtherPos);
    TUTextUndoBase::Execute(docs, view);
}

void FLxInsertUndo::Undo(TLxEditDocs &docs, TEditViewInfo &view)
{
    CaretHold hold(Manager);
    bool beyond = false;
    docs.DeleteRange(Pos, OtherPos, view.TabIndents, beyond);
    Repaint(Manager, Pos, beyond);
    view.SetCaret(Pos);
    TUTextUndoBase::Undo(docs, view);
}

void FLxDeleteUndo::Execute(TLxEditDocs &docs, TEditViewInfo &view)
{
    CaretHold hold(Manager);
    const int tab = view.TabIndents;
    OtherPos = docs.NextDeletePos(Pos, tab, Kind == 2);
    bool beyond = false;
    Text = docs.DeleteRange(Pos, OtherPos, tab, beyond);
    const TEditRowCol &at = Kind == 2 ? OtherPos : Pos;
    Repaint(Manager, at, beyond);
    view.SetCaret(at);
    TUTextUndoBase::Execute(docs, view);
}

void FLxDeleteUndo::Undo(TLxEditDocs &docs, TEditViewInfo &view)
{
    CaretHold hold(Manager);
    const TEditRowCol &at = Kind == 2 ? OtherPos : Pos;
    const bool beyond = docs.InsertTextAt(at, Text, view.TabIndents);
    Repaint(Manager, at, beyond);
    view.SetCaret(Pos);
    TUTextUndoBase::Undo(docs, view);
}

void FLxReplaceUndo::Execute(TLxEditDocs &docs, TEditViewInfo &view)
{
    CaretHold hold(Manager);
    const int tab = view.TabIndents;
    if (TypedLength == std::string::npos)
        TypedLength = Text.size(); // a redo finds the padding already in Text
    const std::string typed = Text.substr(0, TypedLength);
    bool beyond = false;
    RemovedText = docs.ReplaceRange(RangeStart, RangeEnd, Text, KeepSelection, tab, beyond);
    if (!KeepSelection && Text.size() < RemovedText.size())
        Text.append(RemovedText.size() - Text.size(), ' ');
    if (view.Selection.HasSelection())
        view.Selection.Clear();
    Repaint(Manager, RangeStart, beyond);
    // The caret ends after what was typed, not after the padding.
    OtherPos = docs.InsertEndPos(RangeStart, typed, tab);
    view.SetCaret(OtherPos);
    TUTextUndoBase::Execute(docs, view);
}

void FLxReplaceUndo::Undo(TLxEditDocs &docs, TEditViewInfo &view)
{
    CaretHold hold(Manager);
    const int tab = view.TabIndents;
    // The replacement spans RangeStart .. the end of the text as stored (with any padding).
    const TEditRowCol end = docs.InsertEndPos(RangeStart, Text, tab);
    bool beyond = false;
    docs.ReplaceRange(RangeStart, end, RemovedText, true, tab, beyond);
    if (KeepSelection)
        view.Selection.SetRange(RangeStart, RangeEnd);
    Repaint(Manager, RangeStart, true);
    view.SetCaret(Pos);
    TUTextUndoBase::Undo(docs, view);
}

// ---- the manager ------------------------------------------------------------------------

TLxTextCommandManager::TLxTextCommandManager(TLxEditDocs *docs, TEditCommandView *view) : Docs(docs), View(view) {}

TLxTextCommandManager::~TLxTextCommandManager() = default;

TUTextUndoBase *TLxTextCommandManager::Items(int index) const
{
    return index >= 0 && index < Count() ? FList[static_cast<size_t>(index)].get() : nullptr;
}

TUTextUndoBase *TLxTextCommandManager::Execute(int kind, const std::string &text)
{
    if (!Docs || !View)
        return nullptr;
    while (Count() > Index + 1)
        FList.pop_back();
    TEditViewInfo &view = View->ViewInfo();
    const TEditRowCol p = view.Caret;
    const bool selected = view.Selection.HasSelection();
    std::unique_ptr<TUTextUndoBase> record;
    if (kind == 1 || kind == 2) {
        if (selected) {
            auto r = std::make_unique<FLxReplaceUndo>();
            r->RangeStart = view.Selection.StartPos;
            r->RangeEnd = view.Selection.EndPos;
            r->KeepSelection = true;
            record = std::move(r);
        } else {
            record = std::make_unique<FLxDeleteUndo>();
        }
    } else if (kind == 0 || kind == 4) {
        if (selected) {
            auto r = std::make_unique<FLxReplaceUndo>();
            r->RangeStart = view.Selection.StartPos;
            r->RangeEnd = view.Selection.EndPos;
            r->KeepSelection = true;
            record = std::move(r);
        } else if (View->IsOverwrite() && p.Col < Docs->GetExpandedLength(p.Row, view.TabIndents) &&
                   text.find('\r') == std::string::npos && text.find('\n') == std::string::npos) {
            auto r = std::make_unique<FLxReplaceUndo>();
            r->RangeStart = p;
            r->RangeEnd = Docs->NextDeletePos(p, view.TabIndents, false);
            if (text.size() == 2 && r->RangeEnd.Col < Docs->GetExpandedLength(p.Row, view.TabIndents))
                r->RangeEnd = Docs->NextDeletePos(r->RangeEnd, view.TabIndents, false);
            r->KeepSelection = false;
            record = std::move(r);
        } else {
            record = std::make_unique<FLxInsertUndo>();
        }
    }
    TUTextUndoBase *made = record.get();
    if (record) {
        record->Manager = this;
        record->Kind = kind;
        record->SetData(p, kind == 1 || kind == 2 ? std::string() : text);
        FList.push_back(std::move(record));
        Index = Count() - 1;
        made->Execute(*Docs, view);
        if (Index == 0)
            View->CommandStateChanged(false, true, true);
    }
    UpdateMenuState();
    return made;
}

void TLxTextCommandManager::Undo()
{
    if (CanUndo()) {
        FList[static_cast<size_t>(Index)]->Undo(*Docs, View->ViewInfo());
        --Index;
        if (CanUndo())
            View->CommandStateChanged(true, false, true);
        else
            View->CommandStateChanged(false, true, false);
    }
    UpdateMenuState();
}

void TLxTextCommandManager::Redo()
{
    if (CanRedo()) {
        FList[static_cast<size_t>(Index + 1)]->Execute(*Docs, View->ViewInfo());
        ++Index;
        // Redoing the first record makes the document modified again.
        View->CommandStateChanged(true, Index == 0, true);
    }
    UpdateMenuState();
}

void TLxTextCommandManager::Clear()
{
    FList.clear();
    Index = -1;
    UpdateMenuState();
}

void TLxTextCommandManager::UpdateMenuState()
{
    if (View)
        View->UpdateMenuState(CanUndo(), CanRedo());
}
