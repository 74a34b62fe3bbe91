// Drawing of the editor: the painter (colours, token styles, measurement and text output for
// one line at a time) and the two bars of the component: the line-number bar at the left with
// its border and current-line marker, and the text area with its margins.
//
// Colours are stored colour values (see EditFuncs.h); kDefaultColor in a token's draw
// properties resolves to the painter's default back colour (brush) or fore colour (text).
#ifndef TOVIK_EDITOR_EDITPAINTER_H
#define TOVIK_EDITOR_EDITPAINTER_H

#include "editor/EditFuncs.h"
#include "editor/EditTypes.h"

#include <QColor>
#include <QFont>
#include <QRect>

#include <cstdint>

class QPainter;
class TEditView;
class TLxEditDocs;

// Well-known colour values.
constexpr int32_t clWindow = SystemColorValue(5);
constexpr int32_t clWindowText = SystemColorValue(8);
constexpr int32_t clBtnFace = SystemColorValue(15);
constexpr int32_t clBtnShadow = SystemColorValue(16);
constexpr int32_t clRed = 0x0000FF;
constexpr int32_t clBlue = 0xFF0000;
constexpr int32_t clSilver = 0xC0C0C0;

class TEditPainter {
public:
    TEditPainter();

    // The font every measurement and drawing uses; bold runs use its bold face.
    void SetFont(const QFont &font);
    const QFont &Font() const { return FMeasure.Font(); }
    const TEditTextMeasure &Measure() const { return FMeasure; }
    int LineHeight() const { return FMeasure.LineHeight(); }

    QColor ResolveColor(int32_t value, bool forText) const;
    // The width of text drawn with the given properties.
    double MeasureText(std::string_view text, const TEditDrawProps &props) const;
    // Sets the canvas's font, pen and brush for a token.
    void ApplyTokenStyle(QPainter &canvas, const TEditDrawProps &props) const;
    void ApplyBarStyle(QPainter &canvas, int32_t fore, int32_t back, uint8_t fontStyle) const;
    // Draws text with the top-left of its box at (x, y), clipped to clip; only the part of a
    // long text that meets the clip is shaped and drawn.
    void TextOutClipped(QPainter &canvas, double x, int y, std::string_view text, const TEditDrawProps &props,
                        const QRect &clip) const;
    // The line-break arrow at (x, y) in colour.
    void DrawBreakMark(QPainter &canvas, int x, int y, const QColor &color) const;
    // An inverted label ("EOF") at (x, y).
    void DrawMarkText(QPainter &canvas, int x, int y, const char *text) const;

    // The measurement of the font in a style (bold has its own widths).
    const TEditTextMeasure &MeasureFor(uint8_t fontStyle) const;

    int32_t DefaultBackColor = clWindow;
    int32_t DefaultForeColor = clWindowText;

private:
    const QFont &FontFor(uint8_t fontStyle) const;

    QFont FFonts[16];
    TEditTextMeasure FMeasure;
    TEditTextMeasure FBold;
};

class TEditBarBase {
public:
    explicit TEditBarBase(TEditView *view) : View(view) {}
    virtual ~TEditBarBase() = default;

    // 0 back, 1 fore.
    virtual void SetColorIndex(int index, int32_t value);
    void SetBackColor(int32_t value) { SetColorIndex(0, value); }
    void SetForeColor(int32_t value) { SetColorIndex(1, value); }
    void SetFontStyle(uint8_t style);
    // At the outermost end the view relayouts.
    void BeginChange() { ++ChangeCount; }
    void EndChange();

    TEditView *View;
    QRect BarRect;
    int32_t ForeColor = clWindowText;
    int32_t BackColor = clWindow;
    uint8_t FontStyle = 0;
    int ChangeCount = 0;
};

struct TEditBorder {
    bool DrawBorder = true;
    int32_t OuterColor = clWindowText;
    int32_t InnerColor = clWindow;
    int32_t CarrentColor = clRed; // the current-line marker
};

class TEditLefBar : public TEditBarBase {
public:
    using TEditBarBase::TEditBarBase;

    void SetVisible(bool value);
    // Ignored when negative, unchanged, or above half the component's width; 0 hides the bar.
    void SetWidth(int value);
    void SetBorder(const TEditBorder &border);

    void Paint(QPainter &canvas, const QRect &clip, const TLxEditDocs *docs, const TEditViewInfo &info);
    void PaintBorder(QPainter &canvas, const QRect &rect);
    void DrawNumbers(QPainter &canvas, const QRect &clip, const TLxEditDocs &docs, const TEditViewInfo &info);
    void DrawCurrentLine(QPainter &canvas, const QRect &textRect, const TEditViewInfo &info);

    bool Visible = true;
    int Width = 30;
    TEditBorder Border;
};

struct TEditTextMargn {
    int TopMarg = 5;
    int LeftMarg = 5;
};

class TEditTextBar : public TEditBarBase {
public:
    using TEditBarBase::TEditBarBase;

    // Also the painter's default colours.
    void SetColorIndex(int index, int32_t value) override;
    // 0 top, 1 left; relayouts.
    void SetMargin(int index, int value);

    QRect TextRect;
    TEditTextMargn Margin;
};

#endif
