// The editor's context menu: undo, redo, cut, copy, paste, delete and select all, with their
// shortcuts shown. Each item is enabled by the state at the moment the menu opens; the
// keyboard shortcuts themselves are handled by the component with the same rules.
#ifndef TOVIK_EDITOR_EDITPOPUP_H
#define TOVIK_EDITOR_EDITPOPUP_H

#include <QMenu>

class QAction;
class TEditView;
class TLxEditCustomView;

class TLxEditPopup : public QMenu {
public:
    // Command codes an item sends to the component.
    enum TCommand { cmdCut = 0x300, cmdCopy = 0x301, cmdPaste = 0x302, cmdUndo = 0x304, cmdDelete = 0x2D,
                    cmdSelectAll = 0x415, cmdRedo = 0x416 };

    TLxEditPopup(TLxEditCustomView *control, TEditView *view);

    // Sets every item's enabling from the component's state (also run when the menu opens).
    void UpdateItems();

    TLxEditCustomView *Control;
    TEditView *View;
    QAction *ItemUndo, *ItemRedo, *ItemCut, *ItemCopy, *ItemPaste, *ItemDelete, *ItemSelectAll;
    bool CanRedo = false;
    bool CanUndo = false;
};

#endif
