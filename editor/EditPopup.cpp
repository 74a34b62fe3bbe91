#include "EditPopup.h"

#include "editor/EditDocument.h"
#include "editor/EditFuncs.h"
#include "editor/EditView.h"
#include "editor/LxTextEditor.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

TLxEditPopup::TLxEditPopup(TLxEditCustomView *control, TEditView *view) : QMenu(control), Control(control), View(view)
{
    auto item = [this](const QString &caption, const QKeySequence &keys, int command) {
        QAction *a = addAction(caption);
        a->setShortcut(keys);
        // Shown in the menu only: the component handles the keys itself.
        a->setShortcutContext(Qt::WidgetShortcut);
        a->setEnabled(false);
        connect(a, &QAction::triggered, this, [this, command] { Control->PerformCommand(command); });
        return a;
    };
    ItemUndo = item(QStringLiteral("Undo(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z), cmdUndo);
    ItemRedo = item(QStringLiteral("Redo(&R)"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), cmdRedo);
    addSeparator();
    ItemCut = item(QStringLiteral("切り取り(&T)"), QKeySequence(Qt::CTRL | Qt::Key_X), cmdCut);
    ItemCopy = item(QStringLiteral("コピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C), cmdCopy);
    ItemPaste = item(QStringLiteral("貼り付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V), cmdPaste);
    ItemDelete = item(QStringLiteral("削除(&D)"), QKeySequence(Qt::CTRL | Qt::Key_D), cmdDelete);
    addSeparator();
    ItemSelectAll = item(QStringLiteral("すべて選択(&A)"), QKeySequence(Qt::CTRL | Qt::Key_A), cmdSelectAll);
    connect(this, &QMenu::aboutToShow, this, [this] { UpdateItems(); });
}

void TLxEditPopup::UpdateItems()
{
    if (!Control || !View)
        return;
    const bool readOnly = View->DrawOption.Readonly;
    const bool selected = View->DrawOption.Selection.HasSelection();
    const bool hasLines = View->Docs && View->Docs->Count() > 0;
    const QClipboard *clip = QGuiApplication::clipboard();
    const bool clipText = clip && !clip->text().isEmpty();
    ItemUndo->setEnabled(CanUndo && !readOnly);
    ItemRedo->setEnabled(CanRedo && !readOnly);
    ItemCut->setEnabled(!readOnly && selected);
    ItemCopy->setEnabled(selected);
    ItemPaste->setEnabled(clipText && !readOnly);
    ItemDelete->setEnabled(!readOnly && hasLines);
    ItemSelectAll->setEnabled(hasLines);
}
