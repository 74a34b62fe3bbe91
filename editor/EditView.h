// The editor's drawing surface: ties the document, the view state, the bars, the painter
// and the caret together; lays out the bars, paints the rows that meet a clip rectangle,
// converts between pixels and (row, column) positions, places the caret, scrolls (moving
// pixels and repainting only the uncovered strip) and repaints changed rows and ranges.
//
// Pixel widths measured here live in this view's line cache only.
#ifndef TOVIK_EDITOR_EDITVIEW_H
#define TOVIK_EDITOR_EDITVIEW_H

#include "editor/EditCaret.h"
#include "editor/EditPainter.h"
#include "editor/EditTypes.h"

#include <QRect>

#include <memory>

class QPainter;
class QWidget;
class TLxEditCustomView;
class TLxEditDocs;
class TLxEditPopup;

class TEditView {
public:
    TEditView(TLxEditCustomView *control, TLxEditDocs *docs, TEditPainter *painter);
    ~TEditView();

    // At the outermost end the component repaints.
    void BeginUpdate() { ++UpdateCount; }
    void EndUpdate();

    void Layout();
    // Paints everything that meets clip (viewport pixels).
    void Paint(QPainter &canvas, const QRect &clip);
    void ScrollVert(int dy);
    void ScrollHorz(double dx);
    // Scrolls by rows through the view state and the pixels.
    void ScrollRows(int rows);
    void EnsureCaretRowVisible();
    void EnsureCaretColVisible();
    // Answers whether the caret's row was measured (drawn) already.
    bool PlaceCaret(bool force);
    // Row -1 when below the last row shown.
    TEditRowCol PixelToPosition(int x, int y);
    // Invalidates a rectangle and lets it repaint.
    void RedrawRect(const QRect &rect);
    void InvalidateRange(TEditRowCol a, TEditRowCol b);
    void RepaintLines(const TEditRowCol &pos, bool following);
    QRect GetScrolledTextRect() const;

    // Offset from the line's start of a column, measuring the line as far as needed.
    double ColumnToX(TEditLineData &line, int column);
    int XToColumn(const TEditTokenItm &token, double x) const;
    // The width of a row: measured when drawn, else the expanded line in one piece.
    double LineExtent(TEditLineData &line);
    // The caret's rectangle in viewport pixels.
    QRect CaretRect() const;

    TLxEditCustomView *Control;
    TEditTextBar TextView;
    int UpdateCount = 0;
    TEditLefBar LeftView;
    TEditViewInfo DrawOption;
    std::unique_ptr<TLxEditPopup> Popup;
    TLxCaretInfo CaretInfo;
    TLxEditDocs *Docs;
    TEditPainter *Painter;

private:
    // Measures the tokens of a line in order until the one holding column (or x) is done.
    void MeasureTokens(TEditLineData &line, int uptoColumn, double uptoX);
    void DrawLines(QPainter &canvas, const QRect &textRect, const QRect &clip);
    bool DrawLine(QPainter &canvas, TEditLineData &line, const QRect &clip, int textLeft, const QRect &lineRect);
    void DrawToken(QPainter &canvas, int row, TEditTokenItm &token, const QRect &clip, double left, const QRect &lineRect);
    QWidget *Surface() const;
};

#endif
