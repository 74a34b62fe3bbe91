#include "EditView.h"

#include "editor/EditDocument.h"
#include "editor/EditPopup.h"
#include "editor/LxTextEditor.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

TEditView::TEditView(TLxEditCustomView *control, TLxEditDocs *docs, TEditPainter *painter)
    : Control(control), TextView(this), LeftView(this), DrawOption(control), Docs(docs), Painter(painter)
{
    TextView.BackColor = clWindow;
    TextView.ForeColor = clWindowText;
    DrawOption.LineHeight = painter ? painter->LineHeight() : 13;
    Popup = std::make_unique<TLxEditPopup>(control, this);
}

TEditView::~TEditView() = default;

QWidget *TEditView::Surface() const { return Control ? Control->viewport() : nullptr; }

void TEditView::EndUpdate()
{
    if (--UpdateCount <= 0) {
        UpdateCount = 0;
        if (QWidget *s = Surface())
            s->update();
    }
}

void TEditView::Layout()
{
    QWidget *s = Surface();
    if (!s)
        return;
    const QRect client = s->rect();
    const int left = LeftView.Visible ? LeftView.Width : 0;
    LeftView.BarRect = QRect(0, 0, left, client.height());
    TextView.BarRect = QRect(left, 0, std::max(0, client.width() - left), client.height());
    TextView.TextRect = TextView.BarRect.adjusted(TextView.Margin.LeftMarg, TextView.Margin.TopMarg, 0, 0);
    if (CaretInfo.OriginX != TextView.TextRect.left() || CaretInfo.OriginY != TextView.TextRect.top())
        CaretInfo.SetOrigin(TextView.TextRect.left(), TextView.TextRect.top());
    DrawOption.LineHeight = std::max(1, Painter->LineHeight());
    DrawOption.CalcVisibleLines(TextView.TextRect.height());
    PlaceCaret(true);
    s->update();
}

QRect TEditView::GetScrolledTextRect() const
{
    return TextView.TextRect.translated(-static_cast<int>(std::lround(DrawOption.HorzOffset)), 0);
}

// ---- measurement ------------------------------------------------------------------------

void TEditView::MeasureTokens(TEditLineData &line, int uptoColumn, double uptoX)
{
    const int tab = DrawOption.TabIndents;
    while (line.MeasuredTokens < line.Tokens.Count()) {
        if (line.NextDisplayCol > uptoColumn || line.NextPixelX > uptoX)
            return;
        TEditTokenItm &t = *line.Tokens.Items(line.MeasuredTokens);
        t.DisplayCol = line.NextDisplayCol;
        if (t.Kind == tkTab || t.Text == "\t") {
            t.Text = TabDisplayText(t.DisplayCol, tab, DrawOption.DrawMarks);
            if (!t.DrawProps.Styled)
                t.DrawProps.ForeColor = DrawOption.MarksColor;
        }
        t.DisplayLength = static_cast<int>(t.Text.size());
        t.PixelX = line.NextPixelX;
        t.PixelWidth = Painter->MeasureText(t.Text, t.DrawProps);
        t.Measured = true;
        line.NextDisplayCol += t.DisplayLength;
        line.NextPixelX += t.PixelWidth;
        ++line.MeasuredTokens;
    }
}

double TEditView::LineExtent(TEditLineData &line)
{
    if (line.MeasuredTokens == line.Tokens.Count())
        return line.NextPixelX;
    // Not drawn to its end: the expanded line measured in one piece (column arithmetic for a
    // fixed-pitch font, so a very long line costs nothing here).
    const std::string e = Docs->GetExpandedLine(line.DocRow, DrawOption.TabIndents);
    return Painter->Measure().Width(e);
}

double TEditView::ColumnToX(TEditLineData &line, int column)
{
    if (column <= 0 || line.Tokens.Count() == 0)
        return 0;
    MeasureTokens(line, column, std::numeric_limits<double>::max());
    for (int i = 0; i < line.MeasuredTokens; ++i) {
        const TEditTokenItm &t = *line.Tokens.Items(i);
        if (column == t.DisplayCol + t.DisplayLength && i == line.Tokens.Count() - 1)
            return t.PixelX + t.PixelWidth;
        if (column >= t.DisplayCol && column < t.DisplayCol + t.DisplayLength)
            return t.PixelX + Painter->MeasureText(std::string_view(t.Text).substr(0, static_cast<size_t>(column - t.DisplayCol)),
                                                   t.DrawProps);
    }
    return line.NextPixelX;
}

// The column of a click at x (line offset) within a token: the nearest character boundary;
// within a tab, its end when more than half of it lies left of x, else its start.
int TEditView::XToColumn(const TEditTokenItm &token, double x) const
{
    const bool tab = token.Kind == tkTab || (token.Length == 1 && token.DisplayLength > 1);
    if (tab)
        return x - token.PixelX > token.PixelWidth / 2 ? token.DisplayCol + token.DisplayLength : token.DisplayCol;
    return token.DisplayCol + Painter->MeasureFor(token.DrawProps.FontStyle).ColumnAtX(token.Text, x - token.PixelX);
}

TEditRowCol TEditView::PixelToPosition(int x, int y)
{
    const int lh = std::max(1, DrawOption.LineHeight);
    const int screenRow = std::max(0, (y - TextView.TextRect.top()) / lh);
    Docs->RefreshViewLines(DrawOption);
    if (screenRow >= DrawOption.ViewLines.Count())
        return TEditRowCol(-1, 0);
    const int row = screenRow + DrawOption.TopLine;
    TEditLineData *line = DrawOption.ViewLines.Items(screenRow);
    if (!line || line->Tokens.Count() == 0)
        return TEditRowCol(row, 0);
    const double p = x - CaretInfo.OriginX + DrawOption.HorzOffset;
    MeasureTokens(*line, std::numeric_limits<int>::max(), p + 1);
    if (line->MeasuredTokens == line->Tokens.Count() && line->NextPixelX < p)
        return TEditRowCol(row, Docs->GetExpandedLength(row, DrawOption.TabIndents));
    for (int i = 0; i < line->MeasuredTokens; ++i) {
        const TEditTokenItm &t = *line->Tokens.Items(i);
        if (t.PixelX <= p && p < t.PixelX + t.PixelWidth)
            return TEditRowCol(row, XToColumn(t, p));
    }
    return TEditRowCol(row, p <= 0 ? 0 : Docs->GetExpandedLength(row, DrawOption.TabIndents));
}

// ---- caret ------------------------------------------------------------------------------

QRect TEditView::CaretRect() const
{
    int x, y, w, h;
    CaretInfo.CaretRect(x, y, w, h);
    return QRect(x, y, std::max(1, w), h);
}

bool TEditView::PlaceCaret(bool force)
{
    if (!CaretInfo.Visible && !force)
        return true;
    const TEditRowCol c = DrawOption.Caret;
    double x = CaretInfo.OriginX - DrawOption.HorzOffset;
    const int y = CaretInfo.OriginY + (c.Row - DrawOption.TopLine) * DrawOption.LineHeight;
    bool measured = true;
    if (c.Col > 0) {
        TEditLineData *line = DrawOption.ViewLines.FindByDocRow(c.Row);
        if (line && line->State != TEditLineData::stNew) {
            x += ColumnToX(*line, c.Col);
            measured = line->State == TEditLineData::stDrawn;
        } else {
            const std::string e = Docs->GetExpandedLine(c.Row, DrawOption.TabIndents);
            x += Painter->Measure().WidthOfColumns(e, c.Col);
        }
    }
    CaretInfo.BeginUpdate();
    CaretInfo.X = static_cast<int>(std::floor(x));
    CaretInfo.Y = y;
    CaretInfo.EndUpdate();
    return measured;
}

// ---- scrolling --------------------------------------------------------------------------

void TEditView::ScrollVert(int dy)
{
    QWidget *s = Surface();
    if (!s || dy == 0)
        return;
    const QRect area(0, TextView.TextRect.top(), s->width(), std::max(0, s->height() - TextView.TextRect.top()));
    const QRect caretBefore = CaretRect().adjusted(-1, 0, 1, 0);
    if (std::abs(dy) >= area.height())
        s->update(area);
    else
        s->scroll(0, -dy, area);
    // The caret's pixels moved with the text: repaint where they went.
    s->update(caretBefore.translated(0, -dy));
    Control->UpdateVertScrollBar();
    Control->RedrawCurrentLine();
}

void TEditView::ScrollHorz(double dx)
{
    QWidget *s = Surface();
    if (!s || dx == 0)
        return;
    const double before = DrawOption.HorzOffset;
    DrawOption.HorzOffset = std::max(0.0, DrawOption.HorzOffset + dx);
    const int moved = static_cast<int>(std::lround(DrawOption.HorzOffset)) - static_cast<int>(std::lround(before));
    const QRect caretBefore = CaretRect().adjusted(-1, 0, 1, 0);
    const QRect area = TextView.BarRect;
    if (std::abs(moved) >= TextView.TextRect.width())
        s->update(area);
    else if (moved != 0)
        s->scroll(-moved, 0, area);
    s->update(caretBefore.translated(-moved, 0));
    Control->UpdateHorzScrollBar();
}

void TEditView::ScrollRows(int rows)
{
    if (rows == 0)
        return;
    DrawOption.SetTopLine(DrawOption.TopLine + rows);
    ScrollVert(rows * DrawOption.LineHeight);
}

void TEditView::EnsureCaretRowVisible()
{
    const int r = DrawOption.Caret.Row - DrawOption.TopLine;
    const int v = std::max(1, DrawOption.VisibleLines);
    if (r > v - 1)
        ScrollRows(r + 1 - v);
    else if (DrawOption.Caret.Row < DrawOption.TopLine)
        ScrollRows(DrawOption.Caret.Row - DrawOption.TopLine);
}

void TEditView::EnsureCaretColVisible()
{
    const QRect &text = TextView.TextRect;
    const int x = CaretInfo.X;
    double dx = 0;
    if (x > text.right())
        dx = x - text.right() + 20;
    else if (x < text.left())
        dx = -std::min(static_cast<double>(text.left() - x + 20), DrawOption.HorzOffset);
    if (dx == 0)
        return;
    const double before = DrawOption.HorzOffset;
    ScrollHorz(dx);
    const int moved = static_cast<int>(std::lround(DrawOption.HorzOffset - before));
    CaretInfo.BeginUpdate();
    CaretInfo.X -= moved;
    CaretInfo.EndUpdate();
}

// ---- repainting -------------------------------------------------------------------------

void TEditView::RedrawRect(const QRect &rect)
{
    if (QWidget *s = Surface())
        s->update(rect);
}

void TEditView::RepaintLines(const TEditRowCol &pos, bool following)
{
    QWidget *s = Surface();
    const int index = DrawOption.ViewLines.IndexOfDocRow(pos.Row);
    if (index < 0 && DrawOption.ViewLines.Count() > 0) {
        // Not on screen; rows above the window still move the rows shown.
        if (following && pos.Row < DrawOption.TopLine) {
            DrawOption.ViewLines.Clear();
            if (s)
                s->update();
        }
        return;
    }
    DrawOption.InvalidateViewLines(pos.Row, following);
    if (!s)
        return;
    const int lh = DrawOption.LineHeight;
    const int top = TextView.TextRect.top() + (pos.Row - DrawOption.TopLine) * lh;
    if (following) {
        s->update(QRect(TextView.BarRect.left(), top, TextView.BarRect.width(), s->height() - top));
        s->update(LeftView.BarRect);
    } else {
        s->update(QRect(TextView.BarRect.left(), top, TextView.BarRect.width(), lh));
    }
}

void TEditView::InvalidateRange(TEditRowCol a, TEditRowCol b)
{
    QWidget *s = Surface();
    if (!s)
        return;
    if (b.Key() < a.Key())
        std::swap(a, b);
    const int top = DrawOption.TopLine;
    const int last = top + std::max(1, DrawOption.VisibleLines);
    if (b.Row < top || a.Row > last)
        return;
    if (b.Col == 0 && b.Row > a.Row)
        b = TEditRowCol(b.Row - 1, std::numeric_limits<int>::max() / 2);
    if (a.Row < top)
        a = TEditRowCol(top, 0);
    if (b.Row > last)
        b = TEditRowCol(last, std::numeric_limits<int>::max() / 2);
    const int lh = DrawOption.LineHeight;
    QRect r(TextView.BarRect.left(), CaretInfo.OriginY + (a.Row - top) * lh, TextView.BarRect.width(),
            (b.Row - a.Row + 1) * lh);
    if (a.Row == b.Row) {
        if (TEditLineData *line = DrawOption.ViewLines.FindByDocRow(a.Row)) {
            const int left = CaretInfo.OriginX - static_cast<int>(DrawOption.HorzOffset) +
                             static_cast<int>(std::floor(ColumnToX(*line, a.Col)));
            const int right = b.Col >= std::numeric_limits<int>::max() / 4
                                  ? TextView.BarRect.right()
                                  : CaretInfo.OriginX - static_cast<int>(DrawOption.HorzOffset) +
                                        static_cast<int>(std::ceil(ColumnToX(*line, b.Col)));
            r.setLeft(std::max(TextView.BarRect.left(), left - 1));
            r.setRight(std::min(TextView.BarRect.right(), right + 1));
        }
    }
    s->update(r);
}

// ---- painting ---------------------------------------------------------------------------

void TEditView::Paint(QPainter &canvas, const QRect &clip)
{
    if (clip.intersects(LeftView.BarRect))
        LeftView.Paint(canvas, clip, Docs, DrawOption);
    if (clip.intersects(TextView.BarRect)) {
        const QRect area = clip.intersected(TextView.BarRect);
        canvas.fillRect(area, ColorValueToQColor(TextView.BackColor));
        if (Docs && Docs->Count() > 0) {
            canvas.save();
            canvas.setClipRect(TextView.TextRect.intersected(area));
            DrawLines(canvas, TextView.TextRect, area);
            canvas.restore();
        }
    }
    canvas.save();
    LeftView.DrawCurrentLine(canvas, TextView.TextRect, DrawOption);
    canvas.restore();
}

void TEditView::DrawLines(QPainter &canvas, const QRect &textRect, const QRect &clip)
{
    Docs->RefreshViewLines(DrawOption);
    const int lh = std::max(1, DrawOption.LineHeight);
    const int hOffset = static_cast<int>(std::lround(DrawOption.HorzOffset));
    double widest = 0;
    int widestRow = DrawOption.TopLine;
    int top = textRect.top();
    for (int i = DrawOption.TopLine; i < Docs->Count() && top <= textRect.bottom(); ++i, top += lh) {
        TEditLineData *line = DrawOption.ViewLines.Items(i - DrawOption.TopLine);
        if (!line) {
            Docs->RefreshViewLines(DrawOption);
            line = DrawOption.ViewLines.Items(i - DrawOption.TopLine);
            if (!line)
                break;
        }
        const QRect lineRect(textRect.left(), top, textRect.width(), lh);
        if (lineRect.intersects(clip))
            DrawLine(canvas, *line, clip, textRect.left(), lineRect.translated(-hOffset, 0));
        if (line->Width < 0)
            line->Width = LineExtent(*line);
        if (line->Width > widest) {
            widest = line->Width;
            widestRow = i;
        }
    }
    // The scroll range covers the widest row seen; it only grows while the user scrolls.
    if (widest > DrawOption.MaxLineWidth) {
        DrawOption.WidestLine = widestRow;
        DrawOption.SetMaxLineWidth(widest);
    }
}

bool TEditView::DrawLine(QPainter &canvas, TEditLineData &line, const QRect &clip, int textLeft, const QRect &lineRect)
{
    const double clipRightInLine = clip.right() - lineRect.left() + 1;
    MeasureTokens(line, std::numeric_limits<int>::max(), clipRightInLine);
    QRect rect = lineRect;
    bool completed = true;
    for (int i = 0; i < line.Tokens.Count(); ++i) {
        TEditTokenItm &t = *line.Tokens.Items(i);
        if (!t.Measured) {
            line.State = TEditLineData::stMeasuredOnly;
            completed = false;
            break;
        }
        // Fractional positions throughout: half-width characters of a 13-pixel face are 6.5
        // pixels wide, and rounding per token would overlap neighbours by a pixel.
        const double left = lineRect.left() + t.PixelX;
        if (left > clip.right()) {
            completed = false;
            break;
        }
        DrawToken(canvas, line.DocRow, t, clip, left, rect);
    }
    const double extent = LineExtent(line);
    line.Width = extent;
    if (completed || line.MeasuredTokens == line.Tokens.Count())
        line.State = TEditLineData::stDrawn;
    if (DrawOption.DrawMarks) {
        const int x = lineRect.left() + static_cast<int>(std::ceil(extent));
        if (x <= clip.right() + 1) {
            if (line.DocRow == Docs->Count() - 1)
                Painter->DrawMarkText(canvas, x, lineRect.top(), "EOF");
            else
                Painter->DrawBreakMark(canvas, x, lineRect.top(), ColorValueToQColor(DrawOption.MarksColor));
        }
    }
    return completed;
}

void TEditView::DrawToken(QPainter &canvas, int row, TEditTokenItm &t, const QRect &clip, double left, const QRect &lineRect)
{
    const QRectF tokenRect(left, lineRect.top(), t.PixelWidth, lineRect.height());
    if (!tokenRect.intersects(QRectF(clip)))
        return;
    Painter->ApplyTokenStyle(canvas, t.DrawProps);
    Painter->TextOutClipped(canvas, left, lineRect.top(), t.Text, t.DrawProps, clip);
    if (DrawOption.Selection.Intersects(row, t.DisplayCol, t.DisplayLength)) {
        std::string before, selected, after;
        DrawOption.Selection.SplitText(row, t.DisplayCol, t.Text, before, selected, after);
        if (!selected.empty()) {
            const double x0 = left + Painter->MeasureText(before, t.DrawProps);
            const double w = Painter->MeasureText(selected, t.DrawProps);
            canvas.save();
            canvas.setCompositionMode(QPainter::RasterOp_NotDestination);
            canvas.fillRect(QRectF(x0, lineRect.top(), w, lineRect.height()), Qt::black);
            canvas.restore();
        }
    }
}
