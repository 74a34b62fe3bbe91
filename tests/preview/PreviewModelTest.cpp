// The preview's device model, drawing items, macros, pages and the plain-text pagination,
// on the A4 300-dpi sheet that stands in for a missing printer.
#include "Preview/Source/LxPVPageFile.h"
#include "Preview/Source/LxPVProcs.h"
#include "Preview/Source/LxPreviewClasses.h"
#include "Preview/Source/LxPreviewSections.h"
#include "Preview/Source/LxPrinters.h"

#include <QDate>
#include <QLocale>
#include <QPainter>
#include <QPageLayout>
#include <QPrinter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

class PreviewModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Printer.HasPrinters())
            GTEST_SKIP() << "a printer is installed; these figures are those of the A4 stand-in";
        CurrentPrinterInfo = &Printer;
        Pages.Font = QFont(QStringLiteral("ＭＳ ゴシック"), 9);
    }
    void TearDown() override { CurrentPrinterInfo = nullptr; }

    TLxPvPlaneTextSection *TextSection(const QStringList &lines)
    {
        auto *section = dynamic_cast<TLxPvPlaneTextSection *>(Sections.Add(TLxPrevSection::skPlainText));
        section->SetLines(lines);
        return section;
    }

    // The line height the body font has on a page.
    int LineHeight()
    {
        TLxPVPagePicture page(2481, 3507, 300, 300);
        QFont font(Pages.Font.family());
        font.setPointSizeF(Pages.Font.pointSizeF());
        return TLxPVTextMetrics(font, &page).LineHeight();
    }

    TLxPVPrinterInfo Printer;
    TLxPvPageData Pages{&Printer};
    TLxPrevSections Sections{&Pages};
};

// Millimetres that MarginPixels truncates to exactly px at 300 dpi.
float MMFor(int px) { return float((px + 0.5) * 25.4 / 300.0); }

TEST_F(PreviewModelTest, MissingPrinterGivesA4At300DpiAndMillimetresTruncate)
{
    EXPECT_EQ(Printer.PhysicalWidth(), 2481);
    EXPECT_EQ(Printer.PhysicalHeight(), 3507);
    EXPECT_EQ(Printer.RightGap(), 58);
    EXPECT_EQ(Printer.BottomGap(), 50);
    EXPECT_EQ(Printer.PrintableRect(), (TLxRect{65, 50, 65 + 2358, 50 + 3407}));
    for (bool horizontal : {true, false}) {
        EXPECT_EQ(Printer.MMToPixels(horizontal, 10.0f), 118);
        EXPECT_EQ(Printer.MMToPixels(horizontal, pvCenter), -1);
        EXPECT_EQ(Printer.MMToPixels(horizontal, pvFarEdge), -99);
        EXPECT_EQ(Printer.MMToPixels(horizontal, -2.5f), -29) << "truncation is toward zero";
    }
    TLxPrevMargin margin;
    EXPECT_EQ(margin.MarginPixels(TLxPrevMargin::mgTop), 236);
    EXPECT_EQ(margin.MarginPixels(TLxPrevMargin::mgRight), 236);
    EXPECT_EQ(margin.MarginPixels(TLxPrevMargin::mgGap), 59);
    EXPECT_EQ(margin.MarginRect(), (TLxRect{236, 236, 236, 236}));
}

TEST_F(PreviewModelTest, MarginEventsOnlyForRealChanges)
{
    TLxPrevMargin margin;
    std::vector<std::pair<float, float>> events;
    margin.OnChange = [&](TLxPrevMargin *, float index, float value) { events.emplace_back(index, value); };
    margin.SetMargin(TLxPrevMargin::mgTop, 20.0f);
    margin.SetMargin(TLxPrevMargin::mgGap, 9.0f);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(margin.Gap(), 5.0f);
    margin.SetMargin(TLxPrevMargin::mgRight, 12.5f);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], std::make_pair(3.0f, 12.5f));
    EXPECT_EQ(margin.Margin(7), 0.0f);

    TLxPrevMargin copy;
    copy.Assign(margin);
    EXPECT_EQ(copy.Right(), 12.5f);
}

TEST_F(PreviewModelTest, ChosenOrientationReloadsTheSheet)
{
    int changes = 0;
    Printer.OnChange = [&](TLxPVPrinterInfo *) { ++changes; };
    EXPECT_EQ(Printer.PhysicalWidth(), 2481);
    EXPECT_EQ(changes, 0) << "the stand-in sheet raises no change";

    Printer.Printer()->setPageOrientation(QPageLayout::Landscape);
    EXPECT_EQ(Printer.PhysicalWidth(), 3508);
    EXPECT_EQ(Printer.PhysicalHeight(), 2479);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Printer.PixelsPerInchX(), 300);
    EXPECT_EQ(changes, 1) << "an unchanged sheet is not read again";

    Printer.Printer()->setPageOrientation(QPageLayout::Portrait);
    EXPECT_EQ(Printer.PhysicalWidth(), 2481);
}

TEST_F(PreviewModelTest, PlacementOfFiguresAndSingleLineTexts)
{
    TLxPVDrawBand band(TLxPVFont{QFont(QStringLiteral("IPAGothic"), 10), Qt::black});
    TLxPVFigItem *rule = band.AddFigure(TLxPVFigItem::fsLine, Qt::red, 0, pvFarEdge, pvFarEdge, pvFarEdge, 1);
    TLxPVTextItem *right = band.AddText(QStringLiteral("右端 Right"), pvFarEdge, 2);
    TLxPVTextItem *centre = band.AddText(QStringLiteral("-1-"), pvCenter, 2);
    TLxPVTextItem *left = band.AddText(QStringLiteral("左"), 10, 10);
    EXPECT_EQ(band.Items().Count(), 4);
    EXPECT_EQ(band.Items().Items(4), nullptr);
    EXPECT_EQ(rule->PenWidth, 1.0f);
    EXPECT_EQ(right->PaddingX, 1.0f);

    TLxPVPagePicture page(2481, 3507, 300, 300);
    QPainter canvas(&page);
    const TLxRect b{236, 3271, 2245, 3507};
    band.Draw(canvas, b);
    EXPECT_EQ(rule->DrawnRect, (TLxRect{236, 3507, 2245, 3507})) << "a rule along the bottom edge";
    EXPECT_EQ(right->DrawnRect.Right, b.Right);
    EXPECT_EQ(right->DrawnRect.Top, b.Top + 23);
    EXPECT_GT(right->DrawnRect.Width(), 100);
    const int middle = (right->DrawnRect.Width(), b.Left + (b.Right - b.Left) / 2);
    EXPECT_LE(std::abs((centre->DrawnRect.Left + centre->DrawnRect.Right) / 2 - middle), 1);
    EXPECT_EQ(left->DrawnRect.Left, b.Left + 118);
    EXPECT_EQ(left->DrawnRect.Top, b.Top + 118);
}

TEST_F(PreviewModelTest, BoxTextsAlignInsideTheirPadding)
{
    TLxPVDrawBand band(TLxPVFont{QFont(QStringLiteral("IPAGothic"), 10), Qt::black});
    auto *box = static_cast<TLxPVTextItem *>(band.Items().Add(TLxPVDrawItems::ikText));
    box->Mode = TLxPVTextItem::tmBox;
    box->Left = 10;
    box->Top = 10;
    box->Right = 60;
    box->Bottom = 30;
    box->Text = QStringLiteral("折り返しのある長い文章を枠の中に書きます");
    box->Framed = true;
    box->BackColor = Qt::yellow;
    TLxPVPagePicture page(2481, 3507, 300, 300);
    QImage image(2481, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (uint8_t alignment : {0, 4, 8, 10, 11, 12, 9}) {
        box->Alignment = alignment;
        {
            QPainter canvas(&page);
            band.Draw(canvas, TLxRect{0, 0, 2481, 600});
        }
        EXPECT_EQ(box->DrawnRect, (TLxRect{118, 118, 708, 354})) << int(alignment);
    }
    // The frame and the fill stay inside the box: nothing is drawn outside it.
    {
        QPainter painter(&image);
        PlayPage(painter, page, QRectF(0, 0, 2481, 3507));
    }
    EXPECT_EQ(image.pixelColor(100, 100), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(400, 340), QColor(Qt::yellow));
}

TEST_F(PreviewModelTest, PicturesStretchOrAlignWithTheirCornerColourTransparent)
{
    TLxPVDrawBand band(TLxPVFont{QFont(), Qt::black});
    auto *item = static_cast<TLxPVImageItem *>(band.Items().Add(TLxPVDrawItems::ikImage));
    QImage graphic(20, 10, QImage::Format_RGB32);
    graphic.fill(Qt::white);              // the bottom-left colour: drawn transparent
    graphic.setPixel(5, 5, qRgb(255, 0, 0));
    item->Picture = graphic;
    item->Left = 0;
    item->Top = 0;
    item->Right = 10;
    item->Bottom = 10; // 118 x 118 pixels
    QImage sheet(300, 300, QImage::Format_RGB32);
    auto draw = [&] {
        TLxPVPagePicture page(2481, 3507, 300, 300);
        int height = 0;
        {
            QPainter canvas(&page);
            height = item->Draw(canvas, TLxRect{100, 100, 400, 400});
        }
        sheet.fill(Qt::blue);
        QPainter painter(&sheet);
        PlayPage(painter, page, QRectF(0, 0, 2481, 3507));
        return height;
    };
    EXPECT_EQ(draw(), 10);
    EXPECT_EQ(item->DrawnRect, (TLxRect{100, 100, 218, 218}));
    EXPECT_EQ(sheet.pixelColor(150, 180), QColor(Qt::blue)) << "white was made transparent";
    EXPECT_EQ(sheet.pixelColor(100 + 5 * 118 / 20 + 2, 100 + 5 * 118 / 10 + 4), QColor(Qt::red));

    item->Stretch = false;
    item->Alignment = 8; // right, bottom
    draw();
    EXPECT_EQ(sheet.pixelColor(218 - 20 + 5, 218 - 10 + 5), QColor(Qt::red));
    EXPECT_EQ(sheet.pixelColor(105, 105), QColor(Qt::blue));
}

TEST_F(PreviewModelTest, MacrosExpandOnlyInTheirExactForms)
{
    PageNumber = 3;
    const QLocale locale;
    EXPECT_EQ(ExpandMacro(QStringLiteral("&&D")), locale.toString(QDate::currentDate(), QLocale::ShortFormat));
    EXPECT_FALSE(ExpandMacro(QStringLiteral("&&T")).isEmpty());
    EXPECT_NE(ExpandMacro(QStringLiteral("&&T")), QStringLiteral("&&T"));
    struct {
        const char *text, *expected;
    } cases[] = {
        {"&&P/-%-", "-3-"},
        {"&&p/%", "3"},          // the page macro in any letter case
        {"&&P%", "&&P3"},        // no slash: the whole text stays, with the number
        {"&&d", "&&d"},          // date and time only as written exactly
        {"&&t", "&&t"},
        {"&&DD", "&&DD"},
        {"Ready & set", "Ready & set"},
        {"見出し", "見出し"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ExpandMacro(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected)) << c.text;
    EXPECT_EQ(StripMnemonics(QStringLiteral("A&&B&C&")), QStringLiteral("A&BC"));
}

// Records the page number it is drawn on.
struct PageProbe : TLxPVDrawItem {
    std::vector<int> *Seen;
    PageProbe(TLxPVDrawItems *owner, std::vector<int> *seen) : TLxPVDrawItem(owner), Seen(seen) {}
    int Draw(QPainter &, const TLxRect &) override { return Seen->push_back(PageNumber), 0; }
};

TEST_F(PreviewModelTest, EmptyTextIsOnePageWithHeaderAndFooter)
{
    TLxPvPlaneTextSection *section = TextSection({});
    std::vector<int> header, footer;
    section->HeaderBand().Items().Append(std::make_unique<PageProbe>(&section->HeaderBand().Items(), &header));
    section->FooterBand().Items().Append(std::make_unique<PageProbe>(&section->FooterBand().Items(), &footer));
    int notifications = 0;
    Pages.OnPageFinished = [&] { ++notifications; };
    Sections.Build();
    EXPECT_EQ(Pages.Count(), 1);
    EXPECT_EQ(header, std::vector<int>{1});
    EXPECT_EQ(footer, std::vector<int>{1});
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(Pages.PageCanvas(), nullptr);
    EXPECT_EQ(Pages.Page(0)->SheetWidth(), 2481);
    EXPECT_EQ(Pages.Page(1), nullptr);
    EXPECT_EQ(section->FirstPage, 1);
    EXPECT_EQ(section->EndPage, 2);
    EXPECT_EQ(Sections.SectionOfPage(1), 1);
    EXPECT_EQ(Sections.SectionOfPage(2), -1);
}

TEST_F(PreviewModelTest, HeadersAndFootersSeeTheNumberOfTheirOwnPage)
{
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("行 %1").arg(i);
    TLxPvPlaneTextSection *section = TextSection(lines);
    std::vector<int> header, footer;
    section->HeaderBand().Items().Append(std::make_unique<PageProbe>(&section->HeaderBand().Items(), &header));
    section->FooterBand().Items().Append(std::make_unique<PageProbe>(&section->FooterBand().Items(), &footer));
    int notifications = 0;
    Pages.OnPageFinished = [&] { ++notifications; };
    Sections.Build();
    ASSERT_GE(Pages.Count(), 3);
    std::vector<int> expected;
    for (int i = 1; i <= Pages.Count(); ++i)
        expected.push_back(i);
    EXPECT_EQ(header, expected);
    EXPECT_EQ(footer, expected);
    EXPECT_EQ(notifications, Pages.Count());
}

TEST_F(PreviewModelTest, NumberColumnIsAsWideAsTheLineCountsDigits)
{
    TLxPVPagePicture page(2481, 3507, 300, 300);
    QFont font(Pages.Font.family());
    font.setPointSizeF(Pages.Font.pointSizeF());
    const TLxPVTextMetrics metrics(font, &page);

    TLxPvPlaneTextSection *section = TextSection(QStringList(9, QStringLiteral("x")));
    section->SetShowRowNumbers(true);
    Sections.Build();
    EXPECT_EQ(section->NumberWidth(), metrics.TextWidth(QStringLiteral("9")) + 20);
    section->Lines().push_back("ten");
    section->SetShowRowNumbers(false);
    EXPECT_EQ(section->NumberWidth(), 0) << "toggling forgets the measured column";
    section->SetShowRowNumbers(true);
    Sections.Build();
    EXPECT_EQ(section->NumberWidth(), metrics.TextWidth(QStringLiteral("99")) + 20);
    EXPECT_GT(metrics.TextWidth(QStringLiteral("99")), metrics.TextWidth(QStringLiteral("9")));
}

TEST_F(PreviewModelTest, ALineThatExactlyFitsStaysOnItsPage)
{
    const int h = LineHeight();
    ASSERT_GT(h, 20);
    const int lines = 10;
    // Body bottom such that ten lines end exactly on it: first line at top + 2 gaps.
    const int top = 236, gap = 59;
    const int bodyBottom = top + 2 * gap + lines * h;
    const int bottomMargin = 3507 - gap - bodyBottom;
    for (int slack : {0, -1}) {
        Sections.Clear();
        TLxPvPlaneTextSection *section = TextSection(QStringList(lines, QStringLiteral("あいう")));
        section->Margin().SetMargin(TLxPrevMargin::mgBottom, MMFor(bottomMargin - slack));
        ASSERT_EQ(section->BodyRect().Bottom, bodyBottom + slack);
        Sections.Build();
        EXPECT_EQ(Pages.Count(), slack == 0 ? 1 : 2) << "slack " << slack;
    }
}

TEST_F(PreviewModelTest, LineGapAndWrappingTakeTheirSpace)
{
    QStringList lines(100, QStringLiteral("短い行"));
    TLxPvPlaneTextSection *section = TextSection(lines);
    Sections.Build();
    const int plain = Pages.Count();
    section->SetLineGap(40);
    Sections.Build();
    EXPECT_GT(Pages.Count(), plain);
    // A long Japanese line wraps at characters and takes several lines' height.
    section->SetLineGap(0);
    section->SetLines(QStringList(100, QString(300, QChar(0x3042))));
    Sections.Build();
    EXPECT_GT(Pages.Count(), 3 * plain);
}

TEST_F(PreviewModelTest, ALineTallerThanTheBodyGetsAPageOfItsOwn)
{
    // A line of several thousand wrapped rows can never fit; the build must still end.
    QStringList lines{QStringLiteral("first"), QString(60000, QChar(0x6F22)), QStringLiteral("last")};
    TLxPvPlaneTextSection *section = TextSection(lines);
    Sections.Build();
    EXPECT_EQ(Pages.Count(), 3);
    EXPECT_EQ(section->NextLine(), 3);
}

TEST_F(PreviewModelTest, SectionListAnswersForPagesAndKinds)
{
    EXPECT_EQ(Sections.SectionOfPage(1), -1);
    EXPECT_EQ(Sections.MarginRectOfPage(1), TLxRect{});
    EXPECT_EQ(Sections.Add(TLxPrevSection::skCard)->Kind(), TLxPrevSection::skCard);
    EXPECT_EQ(Sections.Add(9)->Kind(), TLxPrevSection::skPanel);
    EXPECT_EQ(Sections.Items(2), nullptr);
    Sections.Build();
    EXPECT_EQ(Pages.Count(), 1) << "a card section without records records nothing; a panel one page";
    EXPECT_EQ(Sections.SectionOfPage(1), 2) << "the page belongs to the section that recorded it";
    int changes = 0;
    Sections.OnChange = [&](TLxPrevSections *) { ++changes; };
    Sections.Items(1)->Margin().SetMargin(TLxPrevMargin::mgLeft, 30.0f);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Sections.MarginRectOfPage(1).Left, 354);

    // Two text sections: the first page of the second belongs to the second.
    Sections.Clear();
    TextSection(QStringList(150, QStringLiteral("a")));
    TextSection(QStringList(10, QStringLiteral("b")));
    Sections.Build();
    const int firstEnd = Sections.Items(0)->EndPage;
    EXPECT_EQ(Sections.SectionOfPage(firstEnd - 1), 1);
    EXPECT_EQ(Sections.SectionOfPage(firstEnd), 2);
    EXPECT_EQ(Sections.Items(1)->FirstPage, firstEnd);
}

} // namespace
