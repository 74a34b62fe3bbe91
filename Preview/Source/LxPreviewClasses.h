// Drawing items and bands: what a header or footer is made of.
//
// A band is a rectangle on the page with an ordered list of items (figures, pictures, texts).
// Items are placed in millimetres from the band's left and top edge, where pvCenter and
// pvFarEdge may stand for the band's middle and far edge, and are converted to device pixels
// only when drawn, so that one list serves every page of a section.
#ifndef TOVIK_PREVIEW_LXPREVIEWCLASSES_H
#define TOVIK_PREVIEW_LXPREVIEWCLASSES_H

#include "LxPVDefs.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QPainter;
class TLxPVDrawItems;
class TLxPVDrawBand;
class TLxPVPrinterInfo;

// A font as the preview uses it: face, size and style, and the colour its text is drawn in.
struct TLxPVFont {
    QFont Font;
    QColor Color = Qt::black;
};

class TLxPVDrawItem {
public:
    explicit TLxPVDrawItem(TLxPVDrawItems *owner);
    virtual ~TLxPVDrawItem() = default;
    TLxPVDrawItem(const TLxPVDrawItem &) = delete;
    TLxPVDrawItem &operator=(const TLxPVDrawItem &) = delete;

    // Draws the item into the band rectangle. A figure answers its drawn height, a picture its
    // graphic's height, a text 0.
    virtual int Draw(QPainter &canvas, const TLxRect &bandRect) = 0;

    // The item's rectangle in device pixels on CurrentPrinterInfo; markers stay as they are.
    TLxRect ToPixels() const;

    TLxPVDrawItems *Owner;
    float Top = 0, Left = 0, Bottom = 0, Right = 0;
    TLxRect DrawnRect;
    float PaddingX = 0, PaddingY = 0;
    bool Framed = false;
    // An invalid colour leaves the background as it is.
    QColor BackColor;
};

class TLxPVFigItem : public TLxPVDrawItem {
public:
    enum : uint8_t { fsLine = 0, fsRectangle = 1, fsRoundRect = 2, fsEllipse = 3, fs3DFrame = 4 };
    using TLxPVDrawItem::TLxPVDrawItem;
    int Draw(QPainter &canvas, const TLxRect &bandRect) override;

    QColor PenColor = Qt::black;
    Qt::PenStyle PenStyle = Qt::SolidLine;
    float PenWidth = 0.2f;
    uint8_t Shape = fsLine;
};

class TLxPVImageItem : public TLxPVDrawItem {
public:
    using TLxPVDrawItem::TLxPVDrawItem;
    int Draw(QPainter &canvas, const TLxRect &bandRect) override;

    bool Stretch = true;
    QImage Picture;
    uint8_t Alignment = 4;
};

class TLxPVTextItem : public TLxPVDrawItem {
public:
    enum : uint8_t { tmSingleLine = 0, tmBox = 1 };
    explicit TLxPVTextItem(TLxPVDrawItems *owner);
    int Draw(QPainter &canvas, const TLxRect &bandRect) override;

    QString Text;
    TLxPVFont Font;
    // 3 x horizontal (left, centre, right) + vertical (top, centre, bottom); in box mode also
    // 10, 11, 12: word-wrapped at the top, in the middle, at the bottom.
    uint8_t Alignment = 1;
    uint8_t Mode = tmSingleLine;
    float FramePenWidth = 0.2f;
    QColor FrameColor = Qt::black;

private:
    int DrawSingleLine(QPainter &canvas, const TLxRect &bandRect);
    int DrawBox(QPainter &canvas, const TLxRect &bandRect);
};

// The items of a band, drawn in insertion order; owns them.
class TLxPVDrawItems {
public:
    enum { ikFigure = 1, ikImage = 2, ikText = 0 };
    explicit TLxPVDrawItems(TLxPVDrawBand *band) : FBand(band) {}

    TLxPVDrawBand *Band() const { return FBand; }
    // Kind 1 a figure, 2 a picture, anything else a text; appended and returned.
    TLxPVDrawItem *Add(int kind);
    // Appends an item of any kind made for this list.
    TLxPVDrawItem *Append(std::unique_ptr<TLxPVDrawItem> item);
    void Clear() { FItems.clear(); }
    int Count() const { return int(FItems.size()); }
    // Null for an index out of range.
    TLxPVDrawItem *Items(int index) const;

private:
    TLxPVDrawBand *FBand;
    std::vector<std::unique_ptr<TLxPVDrawItem>> FItems;
};

class TLxPVDrawBand {
public:
    // Takes a copy of font; measures against CurrentPrinterInfo as it is now.
    explicit TLxPVDrawBand(const TLxPVFont &font);
    virtual ~TLxPVDrawBand() = default;
    TLxPVDrawBand(const TLxPVDrawBand &) = delete;
    TLxPVDrawBand &operator=(const TLxPVDrawBand &) = delete;

    // A figure in millimetres (pen width in whole millimetres).
    TLxPVFigItem *AddFigure(uint8_t shape, const QColor &color, float left, float top, float right,
                            float bottom, int penWidth);
    // A single-line text at (left, top) millimetres; callers then set its font.
    TLxPVTextItem *AddText(const QString &text, float left, float top);

    // Clips to rect (one pixel larger to the right and bottom), then draws every item with the
    // band's font as the canvas font. The clip stays in force afterwards.
    virtual void Draw(QPainter &canvas, const TLxRect &rect);

    TLxPVPrinterInfo *PrinterInfo() const { return FPrinterInfo; }
    TLxPVDrawItems &Items() { return FItems; }
    TLxPVFont Font;

private:
    TLxPVPrinterInfo *FPrinterInfo;
    TLxPVDrawItems FItems;
};

#endif
