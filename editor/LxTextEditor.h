// The editor component: a syntax-coloured, optionally read-only text editor with a
// line-number bar, scroll bars, a caret it draws itself, keyboard and mouse selection,
// clipboard, undo and search. Text is CP932 display lines; keyboard and input-method text
// arrives as Unicode and is converted.
//
//     TLxTextEditor editor(parent);
//     editor.Lines()->SetLines(std::move(lines));   // or SetTextStr
//     editor.SetFileExt("cpp");
//     editor.OnRowColChange = [](TLxEditCustomView *, int row, int col) { ... };
#ifndef TOVIK_EDITOR_LXTEXTEDITOR_H
#define TOVIK_EDITOR_LXTEXTEDITOR_H

#include "editor/EditDocument.h"
#include "editor/EditPainter.h"
#include "editor/EditUndo.h"
#include "editor/EditView.h"
#include "editor/EditViewController.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>

#include <functional>
#include <memory>

class TLxEditCustomView : public QAbstractScrollArea, public TEditViewNotify, public TEditCommandView {
public:
    enum TScrollStyle { ssNone = 0, ssHorizontal = 1, ssVertical = 2, ssBoth = 3 };
    enum TBorderStyle { bsNone = 0, bsSingle = 1 };

    using TRowColChangeEvent = std::function<void(TLxEditCustomView *sender, int row, int col)>;
    using TModifiChangeEvent = std::function<void(TLxEditCustomView *sender, bool canUpdate)>;

    explicit TLxEditCustomView(QWidget *parent = nullptr);
    ~TLxEditCustomView() override;

    // Repaint holds.
    bool LockPaint();
    void UnlockPaint();
    // The document's content was replaced: view, scroll bars and undo start over.
    void DocumentChanged();

    TEditView *Options() { return FView.get(); }
    TLxEditDocs *Lines() { return FDocs.get(); }
    const TLxEditDocs *Lines() const { return FDocs.get(); }
    void SetLines(const TEditStringList &lines) { FDocs->Assign(lines); }
    TEditViewController *Controller() { return FController.get(); }
    TLxTextCommandManager *Manager() { return FManager.get(); }
    TEditPainter *Painter() { return &FPainter; }

    int ScrollBars() const { return FScrollBars; }
    void SetScrollBars(int style);
    int BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(int style);
    const std::string &FileExt() const { return FDocs->FileExt(); }
    // A new extension re-tokenizes the text at the next paint.
    void SetFileExt(const std::string &ext);
    // Forces a language (0 text, 1 Pascal, 2 Java, 3 C/C++) whatever the extension.
    void SetLanguage(int language);
    // 1 Pascal, 2 Java, 3 C/C++, 0 anything else.
    int GetLanguage() const { return FDocs->Language(); }
    void SetEditorFont(const QFont &font);
    bool Find(const std::string &text, bool forward, int reserved, bool wholeWord, bool matchCase);

    // A context-menu command (see TLxEditPopup::TCommand).
    void PerformCommand(int command);
    void UpdateVertScrollBar();
    void UpdateHorzScrollBar();
    void RedrawCurrentLine();

    TRowColChangeEvent OnRowColChange;
    TModifiChangeEvent OnModifiChange;

    // ---- what the view state and the commands tell the component ----
    void ViewCaretChanged() override;
    void ViewCaretRowChanged() override;
    void ViewHorzRangeChanged() override;
    void ViewRepaint() override;
    void ViewMessage(const std::string &text) override;
    TEditViewInfo &ViewInfo() override { return FView->DrawOption; }
    TLxCaretInfo *CaretInfo() override { return &FView->CaretInfo; }
    void RepaintLines(const TEditRowCol &pos, bool following) override { FView->RepaintLines(pos, following); }
    void RefreshAfterChange() override;
    void CommandStateChanged(bool storeColumn, bool modifiedChanged, bool canUndo) override;
    void UpdateMenuState(bool canUndo, bool canRedo) override;
    bool IsOverwrite() const override { return FView->CaretInfo.IsOverwrite(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool focusNextPrevChild(bool) override { return false; }
    bool viewportEvent(QEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void InsertTyped(const QString &text);
    void ApplyScrollBarPolicy();
    void ApplyBorder();
    void CaretChanged();
    // Where the input method's unfinished text stands (viewport pixels), empty when none.
    QRect PreeditRect() const;
    void PaintPreedit(QPainter &p);

    std::unique_ptr<TLxEditDocs> FDocs;
    TEditPainter FPainter;
    std::unique_ptr<TEditView> FView;
    std::unique_ptr<TLxTextCommandManager> FManager;
    std::unique_ptr<TEditViewController> FController;
    int PaintLock = 0;
    int FScrollBars = ssNone;
    int FBorderStyle = bsSingle;
    bool FSettingBars = false;
    bool FDragging = false;
    QRect FCaretPainted;
    // The caret blinks at the desktop's flash time; it shows again at once whenever it moves.
    QBasicTimer FBlinkTimer;
    bool FBlinkOn = true;
    // The input method's text still being composed, drawn over the text at the caret, and
    // the position of its own cursor in it.
    QString FPreedit;
    int FPreeditCursor = 0;
    QRect FPreeditPainted;
};

class TLxTextEditor : public TLxEditCustomView {
public:
    using TLxEditCustomView::TLxEditCustomView;
};

#endif
