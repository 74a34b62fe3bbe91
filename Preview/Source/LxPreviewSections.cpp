#include "LxPreviewSections.h"

#include "LxPVCardDataClass.h"
#include "LxPVPageFile.h"
#include "LxPVProcs.h"
#include "LxPrinters.h"
#include "editor/EditFuncs.h"
#include "platform/Cp932String.h"

#include <QPainter>

// Sections ----------------------------------------------------------------------------------

TLxPrevSection::TLxPrevSection(TLxPrevSections *sections) : TLxPrevSection(sections, skPanel) {}

TLxPrevSection::TLxPrevSection(TLxPrevSections *sections, uint8_t kind)
    : FSections(sections), FKind(kind)
{
    const TLxPVFont bandFont{sections->PageData()->Font, Qt::black};
    FFooterBand = std::make_unique<TLxPVDrawBand>(bandFont);
    FHeaderBand = std::make_unique<TLxPVDrawBand>(bandFont);
    FMargin.OnChange = [this](TLxPrevMargin *, float, float) { FSections->DoChange(); };
}

TLxPrevSection::~TLxPrevSection() = default;

const QFont &TLxPrevSection::Font() const { return FSections->PageData()->Font; }

TLxPvPageData &TLxPrevSection::PageData() const { return *FSections->PageData(); }

int TLxPrevSection::DrawBody(QPainter &, const TLxRect &) { return -1; }

TLxRect TLxPrevSection::HeaderRect() const
{
    TLxPVPrinterInfo *info = FMargin.PrinterInfo();
    const int w = info ? info->PhysicalWidth() : 0;
    return {FMargin.MarginPixels(TLxPrevMargin::mgLeft), 0, w - FMargin.MarginPixels(TLxPrevMargin::mgRight),
            FMargin.MarginPixels(TLxPrevMargin::mgTop)};
}

TLxRect TLxPrevSection::FooterRect() const
{
    TLxPVPrinterInfo *info = FMargin.PrinterInfo();
    const int w = info ? info->PhysicalWidth() : 0, h = info ? info->PhysicalHeight() : 0;
    return {FMargin.MarginPixels(TLxPrevMargin::mgLeft), h - FMargin.MarginPixels(TLxPrevMargin::mgBottom),
            w - FMargin.MarginPixels(TLxPrevMargin::mgRight), h};
}

TLxRect TLxPrevSection::BodyRect() const
{
    TLxPVPrinterInfo *info = FMargin.PrinterInfo();
    const int w = info ? info->PhysicalWidth() : 0, h = info ? info->PhysicalHeight() : 0;
    const int gap = FMargin.MarginPixels(TLxPrevMargin::mgGap);
    return {FMargin.MarginPixels(TLxPrevMargin::mgLeft), FMargin.MarginPixels(TLxPrevMargin::mgTop) + gap,
            w - FMargin.MarginPixels(TLxPrevMargin::mgRight),
            h - FMargin.MarginPixels(TLxPrevMargin::mgBottom) - gap};
}

void TLxPrevSection::Execute()
{
    TLxPvPageData &pages = PageData();
    PageNumber = 1;
    FirstPage = pages.Count() + 1;
    const TLxRect header = HeaderRect(), footer = FooterRect(), body = BodyRect();
    int r;
    do {
        QPainter *canvas = pages.NewPage();
        FHeaderBand->Draw(*canvas, header);
        FFooterBand->Draw(*canvas, footer);
        r = DrawBody(*canvas, body);
    } while (r >= 0);
    pages.FinishPages();
    EndPage = pages.Count() + 1;
}

// Plain text --------------------------------------------------------------------------------

TLxPvPlaneTextSection::TLxPvPlaneTextSection(TLxPrevSections *sections)
    : TLxPrevSection(sections, skPlainText)
{
}

void TLxPvPlaneTextSection::Reset()
{
    FNextLine = 0;
    FCurrentY = 0;
    FNumberWidth = 0;
}

void TLxPvPlaneTextSection::SetLines(const QStringList &lines)
{
    FLines.clear();
    FLines.reserve(size_t(lines.size()));
    for (const QString &line : lines)
        FLines.push_back(tovik::platform::QStringToCp932(line));
}

void TLxPvPlaneTextSection::SetShowRowNumbers(bool value)
{
    if (value == FShowRowNumbers)
        return;
    FShowRowNumbers = value;
    FNumberWidth = 0;
    if (PageData().Count() > 0)
        Sections()->DoChange();
}

void TLxPvPlaneTextSection::SetLineGap(int value)
{
    if (value == FLineGap)
        return;
    FLineGap = value;
    Sections()->DoChange();
}

int TLxPvPlaneTextSection::DrawBody(QPainter &canvas, const TLxRect &b)
{
    static const std::string kSpace(" ");
    constexpr int kWrap = Qt::TextWordWrap | Qt::TextShowMnemonic | Qt::AlignLeft | Qt::AlignTop;
    const TLxPVTextMetrics metrics(canvas.font(), canvas.device());
    const TEditTextMeasure &measure = metrics.Measure();
    const int count = int(FLines.size());

    if (FShowRowNumbers && FNumberWidth < 1)
        FNumberWidth = metrics.TextWidth(QString(QString::number(count).size(), QLatin1Char('9'))) + 20;
    const int pageTop = Margin().MarginPixels(TLxPrevMargin::mgGap) + b.Top;
    if (FCurrentY == 0)
        FCurrentY = pageTop;
    canvas.setClipRect(b.ClipRect(), Qt::ReplaceClip);
    if (FNextLine >= count)
        return -1;

    const int textLeft = b.Left + FNumberWidth;
    const int textWidth = std::max(1, b.Right - textLeft);
    while (FNextLine < count) {
        const std::string &raw = FLines[size_t(FNextLine)];
        const std::string &line = raw.empty() ? kSpace : raw;
        // Most lines fit on one row: measured by their width and drawn at their baseline,
        // which is where the word-wrapping layout puts a single row. Lines with a prefix
        // character or wider than the body go through the word-wrapping layout.
        const bool oneRow = line.find('&') == std::string::npos && measure.Width(line) <= textWidth;
        QString wrapped;
        int h = metrics.LineHeight();
        if (!oneRow) {
            wrapped = DisplayTextToQString(line);
            h = metrics.WrappedHeight(textWidth, wrapped);
        }
        if (FCurrentY + h + FLineGap > b.Bottom && FCurrentY > pageTop) {
            FCurrentY = 0;
            ++PageNumber;
            return FNextLine;
        }
        // A line taller than the whole body is drawn clipped on a page of its own, so that
        // the build always ends.
        const double baseline = FCurrentY + metrics.Ascent();
        if (FShowRowNumbers) {
            const std::string number = std::to_string(FNextLine + 1);
            measure.Draw(canvas, b.Left + FNumberWidth - 20 - measure.Width(number), baseline, number);
        }
        if (oneRow)
            measure.Draw(canvas, textLeft, baseline, line);
        else
            canvas.drawText(QRect(textLeft, FCurrentY, textWidth, h), kWrap, wrapped);
        FCurrentY += h + FLineGap;
        ++FNextLine;
        if (FCurrentY > b.Bottom && FNextLine < count) {
            FCurrentY = 0;
            ++PageNumber;
            return FNextLine;
        }
    }
    return -1;
}

// Card section ------------------------------------------------------------------------------

TLxPvCardSection::TLxPvCardSection(TLxPrevSections *sections)
    : TLxPrevSection(sections, skCard),
      FCardData(std::make_unique<TLxPVCardData>(CurrentPrinterInfo, &sections->PageData()->Font))
{
}

TLxPvCardSection::~TLxPvCardSection() = default;

void TLxPvCardSection::Execute()
{
    TLxPvPageData &pages = PageData();
    FirstPage = pages.Count() + 1;
    PageNumber = pages.Count() + 1;
    const TLxRect header = HeaderRect(), footer = FooterRect(), body = BodyRect();
    TLxPVCardPages &cards = FCardData->CardPages();
    for (int record = 0; record < FCardData->RecordCount; ++record) {
        FCardData->CurrentRecord = record;
        QPainter *canvas = pages.NewPage();
        for (int i = 0; i < cards.Count(); ++i) {
            HeaderBand().Draw(*canvas, header);
            FooterBand().Draw(*canvas, footer);
            cards.Items(i)->DrawRecord(*canvas, body, record);
        }
        PageNumber += cards.Count();
    }
    pages.FinishPages();
    EndPage = pages.Count() + 1;
}

// Section list ------------------------------------------------------------------------------

TLxPrevSections::TLxPrevSections(TLxPvPageData *pageData) : FPageData(pageData) {}

TLxPrevSections::~TLxPrevSections() = default;

TLxPrevSection *TLxPrevSections::Add(int kind)
{
    std::unique_ptr<TLxPrevSection> section;
    switch (kind) {
    case TLxPrevSection::skPlainText: section = std::make_unique<TLxPvPlaneTextSection>(this); break;
    case TLxPrevSection::skAttrText: section = std::make_unique<TLxPvAttrTextSection>(this); break;
    case TLxPrevSection::skCard: section = std::make_unique<TLxPvCardSection>(this); break;
    case TLxPrevSection::skGrid: section = std::make_unique<TLxPvGridSection>(this); break;
    default: section = std::make_unique<TLxPvPanelSection>(this); break;
    }
    FSectionList.push_back(std::move(section));
    return FSectionList.back().get();
}

void TLxPrevSections::Clear() { FSectionList.clear(); }

TLxPrevSection *TLxPrevSections::Items(int index) const
{
    return index >= 0 && index < Count() ? FSectionList[size_t(index)].get() : nullptr;
}

int TLxPrevSections::SectionOfPage(int page) const
{
    for (int i = 0; i < Count(); ++i)
        if (FSectionList[size_t(i)]->EndPage > page)
            return i + 1;
    return -1;
}

TLxRect TLxPrevSections::MarginRectOfPage(int page) const
{
    const int index = SectionOfPage(page);
    return index > 0 ? FSectionList[size_t(index - 1)]->Margin().MarginRect() : TLxRect{};
}

void TLxPrevSections::Build()
{
    FBusy = true;
    FPageData->Clear();
    for (auto &section : FSectionList) {
        section->Reset();
        section->Execute();
    }
    FBusy = false;
}

void TLxPrevSections::DoChange()
{
    if (OnChange)
        OnChange(this);
}
