#include "LxTextEditor.h"

#include "editor/EditPopup.h"
#include "platform/Cp932.h"
#include "platform/Fonts.h"
#include "platform/MessageBox.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyleHints>
#include <QTimerEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// The editor's font until the owner sets one: the fixed Japanese face, 13 pixels.
QFont DefaultEditorFont()
{
    QFont font = tovik::platform::FontFromSettings(QString(), 0);
    font.setPixelSize(13);
    return font;
}

} // namespace

TLxEditCustomView::TLxEditCustomView(QWidget *parent) : QAbstractScrollArea(parent), FDocs(std::make_unique<TLxEditDocs>())
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);
    resize(185, 89);

    FPainter.SetFont(DefaultEditorFont());
    FView = std::make_unique<TEditView>(this, FDocs.get(), &FPainter);
    FView->DrawOption.LineHeight = FPainter.LineHeight();
    FView->CaretInfo.HasWindow = true;
    FView->CaretInfo.CaretHeight = FPainter.LineHeight();
    FView->CaretInfo.OnUpdate = [this] { CaretChanged(); };
    FManager = std::make_unique<TLxTextCommandManager>(FDocs.get(), this);
    FController = std::make_unique<TEditViewController>(this);
    FController->SetView(FView.get());
    FController->SetDocs(FDocs.get());
    FController->SetManager(FManager.get());

    FDocs->OnChange = [this](TLxEditDocs *) { DocumentChanged(); };
    FDocs->OnLinesChanged = [this](TLxEditDocs *, const TEditLinesChange &change) {
        if (change.StatesOnly)
            return; // the rows on screen notice a changed start state themselves
        TEditViewInfo &info = FView->DrawOption;
        if (change.FirstRow < info.TopLine && (change.RowDelta != 0 || change.StatesBeyond))
            info.ViewLines.Clear();
        else
            info.InvalidateViewLines(change.FirstRow, change.StatesBeyond || change.RowDelta != 0);
        viewport()->update();
        if (change.RowDelta != 0)
            UpdateVertScrollBar();
    };
    ApplyBorder();
    ApplyScrollBarPolicy();
    FView->Layout();
}

TLxEditCustomView::~TLxEditCustomView()
{
    FDocs->OnChange = nullptr;
    FDocs->OnLinesChanged = nullptr;
    FView->CaretInfo.OnUpdate = nullptr;
    FController.reset();
    FManager.reset();
    FView.reset();
}

bool TLxEditCustomView::LockPaint()
{
    ++PaintLock;
    return true;
}

void TLxEditCustomView::UnlockPaint()
{
    if (--PaintLock <= 0) {
        PaintLock = 0;
        viewport()->update();
    }
}

void TLxEditCustomView::DocumentChanged()
{
    FView->DrawOption.ResetView();
    FController->ScrollAnchor = -1;
    viewport()->update();
    FView->PlaceCaret(true);
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
    FManager->Clear();
}

void TLxEditCustomView::SetScrollBars(int style)
{
    if (style == FScrollBars || style < ssNone || style > ssBoth)
        return;
    FScrollBars = style;
    ApplyScrollBarPolicy();
    FView->Layout();
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
}

void TLxEditCustomView::ApplyScrollBarPolicy()
{
    setVerticalScrollBarPolicy((FScrollBars & ssVertical) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy((FScrollBars & ssHorizontal) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TLxEditCustomView::SetBorderStyle(int style)
{
    if (style == FBorderStyle)
        return;
    FBorderStyle = style;
    ApplyBorder();
}

void TLxEditCustomView::ApplyBorder()
{
    setFrameShape(FBorderStyle == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
}

void TLxEditCustomView::SetFileExt(const std::string &ext)
{
    if (ext == FDocs->FileExt())
        return;
    FDocs->SetFileExt(ext);
    FView->DrawOption.ViewLines.Clear();
    viewport()->update();
}

void TLxEditCustomView::SetLanguage(int language)
{
    if (language == FDocs->Language())
        return;
    FDocs->SetLanguage(language);
    FView->DrawOption.ViewLines.Clear();
    viewport()->update();
}

void TLxEditCustomView::SetEditorFont(const QFont &font)
{
    setFont(font);
    FPainter.SetFont(font);
    FView->DrawOption.LineHeight = FPainter.LineHeight();
    FView->CaretInfo.SetHeight(FPainter.LineHeight());
    FView->DrawOption.ViewLines.Clear();
    FView->DrawOption.MaxLineWidth = 0;
    FView->Layout();
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
}

bool TLxEditCustomView::Find(const std::string &text, bool forward, int, bool wholeWord, bool matchCase)
{
    return FController->Find(text, forward, wholeWord, matchCase);
}

void TLxEditCustomView::PerformCommand(int command)
{
    switch (command) {
    case TLxEditPopup::cmdCut: FController->Cut(); break;
    case TLxEditPopup::cmdCopy: FController->Copy(); break;
    case TLxEditPopup::cmdPaste: FController->Paste(); break;
    case TLxEditPopup::cmdUndo: FController->Undo(); break;
    case TLxEditPopup::cmdRedo: FController->Redo(); break;
    case TLxEditPopup::cmdSelectAll: FController->SelectAll(); break;
    case TLxEditPopup::cmdDelete: FController->DeleteForward(); break;
    default: break;
    }
}

// ---- scroll bars ------------------------------------------------------------------------

void TLxEditCustomView::UpdateVertScrollBar()
{
    if (!(FScrollBars & ssVertical)) {
        FController->WheelLocked = false;
        return;
    }
    const TEditViewInfo &info = FView->DrawOption;
    const int rows = FDocs->Count();
    const bool needed = rows > info.VisibleLines || info.TopLine > 0;
    QScrollBar *bar = verticalScrollBar();
    FSettingBars = true;
    if (needed) {
        FController->WheelLocked = false;
        bar->setEnabled(true);
        bar->setRange(0, std::max(std::max(0, rows - info.VisibleLines), info.TopLine));
        bar->setPageStep(std::max(1, info.VisibleLines));
        bar->setSingleStep(1);
        bar->setValue(info.TopLine);
    } else {
        FController->WheelLocked = true;
        bar->setEnabled(false);
    }
    FSettingBars = false;
}

void TLxEditCustomView::UpdateHorzScrollBar()
{
    if (!(FScrollBars & ssHorizontal))
        return;
    const TEditViewInfo &info = FView->DrawOption;
    const int width = FView->TextView.TextRect.width();
    const bool needed = !info.WordWrap && width < info.MaxLineWidth;
    QScrollBar *bar = horizontalScrollBar();
    FSettingBars = true;
    bar->setEnabled(needed || info.HorzOffset > 0);
    if (needed || info.HorzOffset > 0) {
        const int max = std::max(static_cast<int>(std::ceil(info.MaxLineWidth)) - width + 20,
                                 static_cast<int>(std::lround(info.HorzOffset)));
        bar->setRange(0, std::max(0, max));
        bar->setPageStep(std::max(1, width));
        bar->setSingleStep(std::max(1, static_cast<int>(2 * FPainter.Measure().Width("W"))));
        bar->setValue(static_cast<int>(std::lround(info.HorzOffset)));
    }
    FSettingBars = false;
}

void TLxEditCustomView::scrollContentsBy(int, int)
{
    if (FSettingBars)
        return;
    TEditViewInfo &info = FView->DrawOption;
    const int rows = verticalScrollBar()->value() - info.TopLine;
    if (rows != 0 && (FScrollBars & ssVertical))
        FController->ScrollLines(rows);
    const double dx = horizontalScrollBar()->value() - info.HorzOffset;
    if (std::abs(dx) >= 0.5 && (FScrollBars & ssHorizontal)) {
        FView->ScrollHorz(dx);
        FView->PlaceCaret(false);
    }
}

void TLxEditCustomView::RedrawCurrentLine()
{
    viewport()->update(FView->LeftView.BarRect);
}

// ---- notifications ----------------------------------------------------------------------

void TLxEditCustomView::ViewCaretChanged()
{
    if (OnRowColChange)
        OnRowColChange(this, FView->DrawOption.Caret.Row, FView->DrawOption.Caret.Col);
}

void TLxEditCustomView::ViewCaretRowChanged() { RedrawCurrentLine(); }

void TLxEditCustomView::ViewHorzRangeChanged() { UpdateHorzScrollBar(); }

void TLxEditCustomView::ViewRepaint()
{
    // Tab texts and widths are cached with the tokens: measure again.
    FView->DrawOption.ViewLines.Clear();
    viewport()->update();
}

void TLxEditCustomView::ViewMessage(const std::string &text)
{
    tovik::platform::ShowMessage(this, QString::fromStdString(text), tovik::platform::MessageKind::Warning);
}

void TLxEditCustomView::RefreshAfterChange()
{
    FView->EnsureCaretRowVisible();
    FView->PlaceCaret(true);
    FView->EnsureCaretColVisible();
    UpdateVertScrollBar();
    RedrawCurrentLine();
    UpdateHorzScrollBar();
}

void TLxEditCustomView::CommandStateChanged(bool storeColumn, bool modifiedChanged, bool canUndo)
{
    if (storeColumn)
        FController->RememberColumn();
    if (modifiedChanged && OnModifiChange)
        OnModifiChange(this, canUndo);
}

void TLxEditCustomView::UpdateMenuState(bool canUndo, bool canRedo)
{
    FView->Popup->CanUndo = canUndo;
    FView->Popup->CanRedo = canRedo;
}

void TLxEditCustomView::CaretChanged()
{
    // The caret is drawn at whole pixels; repaint a pixel more on each side so no ghost stays.
    const QRect now = FView->CaretInfo.IsShown() ? FView->CaretRect().adjusted(-1, 0, 1, 0) : QRect();
    if (FCaretPainted.isValid())
        viewport()->update(FCaretPainted);
    if (now.isValid())
        viewport()->update(now);
    FCaretPainted = now;
    // A caret that moved is shown at once, and blinks again from there.
    FBlinkOn = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (now.isValid() && flash > 0)
        FBlinkTimer.start(flash / 2, this);
    else
        FBlinkTimer.stop();
    if (!FPreedit.isEmpty()) {
        viewport()->update(FPreeditPainted);
        FPreeditPainted = PreeditRect();
        viewport()->update(FPreeditPainted);
    }
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}

void TLxEditCustomView::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != FBlinkTimer.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    FBlinkOn = !FBlinkOn;
    if (FCaretPainted.isValid())
        viewport()->update(FCaretPainted);
}

QRect TLxEditCustomView::PreeditRect() const
{
    if (FPreedit.isEmpty())
        return QRect();
    const QRect caret = FView->CaretRect();
    const QFontMetrics metrics(FPainter.Font());
    return QRect(caret.left(), caret.top(), metrics.horizontalAdvance(FPreedit) + 2, caret.height());
}

void TLxEditCustomView::PaintPreedit(QPainter &p)
{
    const QRect box = PreeditRect();
    const QFontMetrics metrics(FPainter.Font());
    p.setClipRect(FView->TextView.TextRect.adjusted(-1, 0, 0, 0));
    p.fillRect(box, FPainter.ResolveColor(FPainter.DefaultBackColor, false));
    p.setFont(FPainter.Font());
    p.setPen(FPainter.ResolveColor(FPainter.DefaultForeColor, true));
    const int baseline = box.top() + (box.height() - metrics.height()) / 2 + metrics.ascent();
    p.drawText(box.left(), baseline, FPreedit);
    // Unfinished text is underlined, as input methods show it everywhere.
    const int underline = std::min(box.bottom(), baseline + metrics.underlinePos());
    p.drawLine(box.left(), underline, box.right() - 1, underline);
    if (FBlinkOn) {
        const int x = box.left() + metrics.horizontalAdvance(FPreedit.left(FPreeditCursor));
        p.fillRect(QRect(x, box.top(), FView->CaretRect().width(), box.height()),
                   FPainter.ResolveColor(FPainter.DefaultForeColor, true));
    }
}

// ---- events -----------------------------------------------------------------------------

void TLxEditCustomView::paintEvent(QPaintEvent *event)
{
    if (PaintLock > 0)
        return;
    QPainter p(viewport());
    FView->Paint(p, event->rect());
    if (!FPreedit.isEmpty() && FView->CaretInfo.IsShown()) {
        PaintPreedit(p);
    } else if (FView->CaretInfo.IsShown() && FBlinkOn) {
        const QRect caret = FView->CaretRect();
        const QRect text = FView->TextView.TextRect;
        if (caret.intersects(event->rect()) && caret.left() >= text.left() - 1 && caret.top() >= text.top() &&
            caret.top() < text.bottom()) {
            p.setClipRect(text.adjusted(-1, 0, 0, 0));
            p.setCompositionMode(QPainter::RasterOp_NotDestination);
            p.fillRect(caret, Qt::black);
        }
    }
}

void TLxEditCustomView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    FView->Layout();
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
}

void TLxEditCustomView::InsertTyped(const QString &text)
{
    QString printable;
    for (QChar c : text)
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F && !(c.unicode() >= 0x80 && c.unicode() < 0xA0))
            printable.append(c);
    if (printable.isEmpty())
        return;
    FController->InsertText(tovik::platform::Utf8ToCp932(printable.toStdString()));
}

void TLxEditCustomView::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const bool hasLines = FDocs->Count() > 0;
    TEditViewController &c = *FController;
    const int key = event->key();
    if (key == Qt::Key_Insert) {
        if (ctrl)
            c.Copy();
        else if (shift)
            c.Paste();
        else if (!(mods & (Qt::AltModifier | Qt::MetaModifier)))
            FView->CaretInfo.ToggleOverwrite();
        event->accept();
        return;
    }
    if (!hasLines) {
        event->ignore();
        return;
    }
    bool handled = true;
    switch (key) {
    case Qt::Key_Backspace: c.DeleteBackward(); break;
    case Qt::Key_Tab: c.Tab(); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: c.Enter(); break;
    case Qt::Key_PageUp: ctrl ? c.CaretToTop(shift) : c.PageUp(shift); break;
    case Qt::Key_PageDown: ctrl ? c.CaretToBottom(shift) : c.PageDown(shift); break;
    case Qt::Key_End: ctrl ? c.DocEnd(shift) : c.LineEnd(shift); break;
    case Qt::Key_Home: ctrl ? c.DocHome(shift) : c.LineHome(shift); break;
    case Qt::Key_Left: ctrl ? c.WordLeft(shift) : c.CharLeft(shift); break;
    case Qt::Key_Right: ctrl ? c.WordRight(shift) : c.CharRight(shift); break;
    case Qt::Key_Up: ctrl ? c.ScrollUpOne() : c.LineUp(shift); break;
    case Qt::Key_Down: ctrl ? c.ScrollDownOne() : c.LineDown(shift); break;
    case Qt::Key_Delete: shift ? c.Cut() : c.DeleteForward(); break;
    case Qt::Key_F3: c.FindAgain(std::string(), c.LastFindForward); break;
    default:
        handled = false;
        break;
    }
    if (!handled && ctrl) {
        // The context menu's shortcuts, enabled by the state at the moment of the key.
        handled = true;
        FView->Popup->UpdateItems();
        TLxEditPopup &menu = *FView->Popup;
        switch (key) {
        case Qt::Key_Z:
            if (shift && menu.ItemRedo->isEnabled())
                c.Redo();
            else if (!shift && menu.ItemUndo->isEnabled())
                c.Undo();
            break;
        case Qt::Key_X: if (menu.ItemCut->isEnabled()) c.Cut(); break;
        case Qt::Key_C: if (menu.ItemCopy->isEnabled()) c.Copy(); break;
        case Qt::Key_V: if (menu.ItemPaste->isEnabled()) c.Paste(); break;
        case Qt::Key_D: if (menu.ItemDelete->isEnabled()) c.DeleteForward(); break;
        case Qt::Key_A: c.SelectAll(); break;
        default: handled = false; break;
        }
    }
    if (!handled && !ctrl && !(mods & (Qt::AltModifier | Qt::MetaModifier)) && !event->text().isEmpty()) {
        if (!FView->DrawOption.Readonly)
            InsertTyped(event->text());
        handled = true;
    }
    if (handled)
        event->accept();
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void TLxEditCustomView::inputMethodEvent(QInputMethodEvent *event)
{
    if (FView->DrawOption.Readonly) {
        event->ignore();
        return;
    }
    viewport()->update(FPreeditPainted);
    FPreedit.clear();
    FPreeditPainted = QRect();
    if (!event->commitString().isEmpty())
        InsertTyped(event->commitString());
    FPreedit = event->preeditString();
    FPreeditCursor = static_cast<int>(FPreedit.size());
    for (const QInputMethodEvent::Attribute &a : event->attributes()) {
        if (a.type == QInputMethodEvent::Cursor)
            FPreeditCursor = std::clamp(a.start, 0, static_cast<int>(FPreedit.size()));
    }
    FPreeditPainted = PreeditRect();
    viewport()->update(FPreeditPainted);
    FBlinkOn = true;
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
    event->accept();
}

QVariant TLxEditCustomView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImCursorRectangle: {
        QRect caret = FView->CaretRect();
        if (!FPreedit.isEmpty())
            caret.translate(QFontMetrics(FPainter.Font()).horizontalAdvance(FPreedit.left(FPreeditCursor)), 0);
        return QRectF(caret.translated(viewport()->pos()));
    }
    case Qt::ImFont:
        return QVariant::fromValue(FPainter.Font());
    case Qt::ImEnabled:
        return !FView->DrawOption.Readonly;
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void TLxEditCustomView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    FDragging = true;
    const QPoint p = event->position().toPoint();
    FController->MouseDown(p.x(), p.y(), event->modifiers() & Qt::ShiftModifier);
}

void TLxEditCustomView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    FController->MouseMove(p.x(), p.y(), FDragging && (event->buttons() & Qt::LeftButton));
}

void TLxEditCustomView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        FDragging = false;
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void TLxEditCustomView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || FDocs->Count() == 0) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    FController->DoubleClick(p.x(), p.y());
}

void TLxEditCustomView::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (delta != 0)
        FController->Wheel(delta);
    event->accept();
}

bool TLxEditCustomView::viewportEvent(QEvent *event)
{
    // Wheel events go to wheelEvent only: the base would also move the scroll bar.
    if (event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent *>(event));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TLxEditCustomView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    FController->FocusGained();
}

void TLxEditCustomView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    FBlinkTimer.stop();
    // A context menu taking the focus keeps the selection it acts on.
    if (event->reason() == Qt::PopupFocusReason)
        return;
    FController->FocusLost();
}

void TLxEditCustomView::contextMenuEvent(QContextMenuEvent *event)
{
    FView->Popup->UpdateItems();
    FView->Popup->exec(event->globalPos());
}
