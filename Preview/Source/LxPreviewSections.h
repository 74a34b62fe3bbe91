// Sections: runs of content with their own margins, header and footer, turned into pages.
//
// Executing a section records as many pages as its content needs into the page store; the
// section list executes its sections in order and answers which section a page belongs to.
#ifndef TOVIK_PREVIEW_LXPREVIEWSECTIONS_H
#define TOVIK_PREVIEW_LXPREVIEWSECTIONS_H

#include "LxPVDefs.h"
#include "LxPreviewClasses.h"
#include "LxPreviewMargine.h"

#include <QFont>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPainter;
class TLxPrevSections;
class TLxPvPageData;
class TLxPVCardData;

class TLxPrevSection {
public:
    enum : uint8_t { skPlainText = 0, skAttrText = 1, skCard = 2, skGrid = 3, skPanel = 4 };

    explicit TLxPrevSection(TLxPrevSections *sections);
    virtual ~TLxPrevSection();
    TLxPrevSection(const TLxPrevSection &) = delete;
    TLxPrevSection &operator=(const TLxPrevSection &) = delete;

    // Draws the body of one page into bodyRect: -1 when the content is exhausted, zero or more
    // when another page is needed. The base draws nothing.
    virtual int DrawBody(QPainter &canvas, const TLxRect &bodyRect);
    // Forgets the progress of the last build (not the settings).
    virtual void Reset() {}
    // Records the section's pages into the page store.
    virtual void Execute();

    TLxRect HeaderRect() const;
    TLxRect FooterRect() const;
    TLxRect BodyRect() const;

    TLxPrevSections *Sections() const { return FSections; }
    TLxPrevMargin &Margin() { return FMargin; }
    uint8_t Kind() const { return FKind; }
    TLxPVDrawBand &HeaderBand() { return *FHeaderBand; }
    TLxPVDrawBand &FooterBand() { return *FFooterBand; }
    // The page store's body font.
    const QFont &Font() const;
    int FirstPage = 0;
    // One more than the number of the section's last page.
    int EndPage = 0;

protected:
    TLxPrevSection(TLxPrevSections *sections, uint8_t kind);
    TLxPvPageData &PageData() const;

private:
    TLxPrevSections *FSections;
    TLxPrevMargin FMargin;
    uint8_t FKind;
    std::unique_ptr<TLxPVDrawBand> FFooterBand;
    std::unique_ptr<TLxPVDrawBand> FHeaderBand;
};

// Plain text, one list entry per line, word-wrapped in the body, with optional line numbers.
class TLxPvPlaneTextSection : public TLxPrevSection {
public:
    explicit TLxPvPlaneTextSection(TLxPrevSections *sections);

    int DrawBody(QPainter &canvas, const TLxRect &bodyRect) override;
    void Reset() override;

    // The text, one display (Shift_JIS) line per entry.
    std::vector<std::string> &Lines() { return FLines; }
    // Stores Unicode lines as display lines.
    void SetLines(const QStringList &lines);
    bool ShowRowNumbers() const { return FShowRowNumbers; }
    void SetShowRowNumbers(bool value);
    int LineGap() const { return FLineGap; }
    // Extra device pixels below every line.
    void SetLineGap(int value);
    int NextLine() const { return FNextLine; }
    int CurrentY() const { return FCurrentY; }
    // Width of the number column plus its 20-pixel gap; 0 until measured.
    int NumberWidth() const { return FNumberWidth; }

private:
    std::vector<std::string> FLines;
    int FLineGap = 0;
    int FNextLine = 0;
    int FCurrentY = 0;
    bool FShowRowNumbers = false;
    int FNumberWidth = 0;
};

class TLxPvAttrTextSection : public TLxPrevSection {
public:
    explicit TLxPvAttrTextSection(TLxPrevSections *sections) : TLxPrevSection(sections, skAttrText) {}
};

class TLxPvGridSection : public TLxPrevSection {
public:
    explicit TLxPvGridSection(TLxPrevSections *sections) : TLxPrevSection(sections, skGrid) {}
};

class TLxPvPanelSection : public TLxPrevSection {
public:
    explicit TLxPvPanelSection(TLxPrevSections *sections) : TLxPrevSection(sections, skPanel) {}
};

// One sheet per record, each sheet drawn from the card pages of its card data.
class TLxPvCardSection : public TLxPrevSection {
public:
    explicit TLxPvCardSection(TLxPrevSections *sections);
    ~TLxPvCardSection() override;
    void Execute() override;
    TLxPVCardData &CardData() { return *FCardData; }

private:
    std::unique_ptr<TLxPVCardData> FCardData;
};

class TLxPrevSections {
public:
    explicit TLxPrevSections(TLxPvPageData *pageData);
    ~TLxPrevSections();
    TLxPrevSections(const TLxPrevSections &) = delete;
    TLxPrevSections &operator=(const TLxPrevSections &) = delete;

    // Kind 0 plain text, 1 attributed text, 2 card, 3 grid, anything else panel.
    TLxPrevSection *Add(int kind);
    void Clear();
    int Count() const { return int(FSectionList.size()); }
    // Null when out of range (0-based).
    TLxPrevSection *Items(int index) const;
    // The margins (pixel widths) of the section of a 1-based page; all zero when none.
    TLxRect MarginRectOfPage(int page) const;
    // The 1-based position of the section that holds the 1-based page (the first whose EndPage
    // lies beyond it); -1 when none.
    int SectionOfPage(int page) const;
    // Clears the page store, then resets and executes every section in order.
    void Build();
    void DoChange();

    TLxPvPageData *PageData() const { return FPageData; }
    bool Busy() const { return FBusy; }
    std::function<void(TLxPrevSections *sender)> OnChange;

private:
    TLxPvPageData *FPageData;
    std::vector<std::unique_ptr<TLxPrevSection>> FSectionList;
    bool FBusy = false;
};

#endif
