#include "PrintPreviewFrm.h"

#include "Preview/Source/LxPVDefs.h"
#include "Preview/Source/LxPVProcs.h"
#include "Preview/Source/LxPreviewSections.h"
#include "Preview/Source/LxPrinters.h"
#include "Preview/Source/LxTextPrev.h"
#include "BasicControls/Source/LxFormInfo.h"
#include "Source/LxPnGlobalState.h"
#include "editor/EditFuncs.h"
#include "platform/Cp932String.h"
#include "platform/Fonts.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr char kUnit[] = "Source\\PrintPreviewFrm";

// A toolbar picture: the theme's icon, else a glyph drawn on the spot.
QIcon ToolIcon(const char *themeName, const QString &glyph)
{
    QIcon icon = QIcon::fromTheme(QString::fromLatin1(themeName));
    if (!icon.isNull())
        return icon;
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font;
    font.setPixelSize(15);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(0x30, 0x50, 0x90));
    painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    return QIcon(pixmap);
}

QString BaseName(const QString &path)
{
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return slash < 0 ? path : path.mid(slash + 1);
}

} // namespace

TFormPreview::TFormPreview(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("印刷プレビュー"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    LxTextPrev1 = new TLxTextPrev(this);
    // Header and footer texts are drawn in the window's own font.
    QFont windowFont(QStringLiteral("ＭＳ Ｐゴシック"), 9);
    LxTextPrev1->setFont(windowFont);

    auto action = [this](const QString &text, const QString &hint, const QIcon &icon = QIcon()) {
        auto *a = new QAction(icon, text, this);
        if (!hint.isEmpty()) {
            a->setToolTip(hint);
            a->setStatusTip(hint);
        }
        return a;
    };
    QStyle *st = style();
    ActFirst = action(QStringLiteral("先頭ページ"), QStringLiteral("先頭ページを表示"),
                      ToolIcon("go-first", QStringLiteral("|◀")));
    ActPrev = action(QStringLiteral("前ページ"), QStringLiteral("前ページを表示"),
                     ToolIcon("go-previous", QStringLiteral("◀")));
    ActNext = action(QStringLiteral("次ページ"), QStringLiteral("次ページを表示"),
                     ToolIcon("go-next", QStringLiteral("▶")));
    ActLast = action(QStringLiteral("最終ページ"), QStringLiteral("最終ページを表示"),
                     ToolIcon("go-last", QStringLiteral("▶|")));
    ActZoonDown = action(QStringLiteral("ズームダウン"), QStringLiteral("ズームダウン"),
                         ToolIcon("zoom-out", QStringLiteral("－")));
    ActZoonUp = action(QStringLiteral("ズームアップ"), QStringLiteral("ズームアップ"),
                       ToolIcon("zoom-in", QStringLiteral("＋")));
    ActWholeSize = action(QStringLiteral("全画面表示"), QString());
    ActPageWidth = action(QStringLiteral("ページ幅"), QString());
    ActOrigin = action(QStringLiteral("100％"), QString());
    ActLinNo = action(QStringLiteral("行番号印字"), QString());
    ActLinNo->setCheckable(true);
    ActPrinterSetup = action(QStringLiteral("プリンタの設定"), QStringLiteral("プリンタの設定"),
                             ToolIcon("document-page-setup", QStringLiteral("⚙")));
    ActPrint = action(QStringLiteral("印刷"), QStringLiteral("印刷の実行"),
                      ToolIcon("document-print", QStringLiteral("印")));
    ActClose = action(QStringLiteral("閉じる(&Q)"), QString());
    Q_UNUSED(st);
    for (QAction *a : {ActFirst, ActPrev, ActNext, ActLast})
        a->setEnabled(false);
    ActPrint->setEnabled(false);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setIconSize(QSize(24, 24));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    pnlPageInfo = new QLabel(QStringLiteral("0/0"), ToolBar1);
    pnlPageInfo->setAlignment(Qt::AlignCenter);
    pnlPageInfo->setMinimumWidth(72);
    pnlZoomInfo = new QLabel(QStringLiteral("全画面"), ToolBar1);
    pnlZoomInfo->setAlignment(Qt::AlignCenter);
    pnlZoomInfo->setMinimumWidth(72);
    ToolBar1->addAction(ActFirst);
    ToolBar1->addAction(ActPrev);
    ToolBar1->addWidget(pnlPageInfo);
    ToolBar1->addAction(ActNext);
    ToolBar1->addAction(ActLast);
    ToolBar1->addSeparator();
    ToolBar1->addAction(ActZoonDown);
    ToolBar1->addWidget(pnlZoomInfo);
    ToolBar1->addAction(ActZoonUp);
    ToolBar1->addSeparator();
    ToolBar1->addAction(ActPrinterSetup);
    ToolBar1->addAction(ActPrint);

    MainMenu1 = new QMenuBar(this);
    QMenu *file = MainMenu1->addMenu(QStringLiteral("ファイル(&F)"));
    file->addAction(ActClose);
    QMenu *view = MainMenu1->addMenu(QStringLiteral("表示(&V)"));
    view->addAction(ActWholeSize);
    view->addAction(ActPageWidth);
    view->addAction(ActOrigin);
    view->addSeparator();
    view->addAction(ActLinNo);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(ToolBar1);
    layout->addWidget(LxTextPrev1, 1);
    resize(720, 820);
    setObjectName(QStringLiteral("FormPreview"));
    LxFormInfo1 = new TLxFormInfo(this);
    if (TAppIniData *ini = AppIniData())
        LxFormInfo1->SetActive(ini->ReadBool(SettingKeys::General::FormPosLoad));

    LxTextPrev1->OnPageChange = [this](TLxCustomTextPrev *, int, int) { UpdatePageInfo(); };
    LxTextPrev1->OnPageCountChange = [this](TLxCustomTextPrev *, int) { UpdatePageInfo(); };
    LxTextPrev1->OnScaleChange = [this](TLxCustomTextPrev *, int scale) {
        pnlZoomInfo->setText(QString::number(scale) + QLatin1Char('%'));
    };

    connect(ActFirst, &QAction::triggered, this, [this] { LxTextPrev1->SetPage(1); });
    connect(ActPrev, &QAction::triggered, this, [this] { LxTextPrev1->SetPage(LxTextPrev1->CurrentPage() - 1); });
    connect(ActNext, &QAction::triggered, this, [this] { LxTextPrev1->SetPage(LxTextPrev1->CurrentPage() + 1); });
    connect(ActLast, &QAction::triggered, this, [this] { LxTextPrev1->SetPage(LxTextPrev1->PageCount()); });
    connect(ActZoonDown, &QAction::triggered, this, [this] {
        if (LxTextPrev1->Scale() >= 30)
            LxTextPrev1->SetScale(LxTextPrev1->Scale() - 10);
    });
    connect(ActZoonUp, &QAction::triggered, this, [this] {
        if (LxTextPrev1->Scale() <= 250)
            LxTextPrev1->SetScale(LxTextPrev1->Scale() + 10);
    });
    connect(ActWholeSize, &QAction::triggered, this, [this] {
        LxTextPrev1->SetPreviewMode(pmWholePage);
        pnlZoomInfo->setText(QStringLiteral("全画面"));
    });
    connect(ActPageWidth, &QAction::triggered, this, [this] {
        LxTextPrev1->SetPreviewMode(pmPageWidth);
        pnlZoomInfo->setText(QStringLiteral("ページ幅"));
    });
    connect(ActOrigin, &QAction::triggered, this, [this] {
        LxTextPrev1->SetPreviewMode(pmScaled);
        LxTextPrev1->SetScale(100);
    });
    connect(ActLinNo, &QAction::triggered, this, [this](bool checked) {
        if (TextSection)
            TextSection->SetShowRowNumbers(checked);
        LxTextPrev1->UpdatePreview();
    });
    connect(ActPrinterSetup, &QAction::triggered, this, [this] { ActPrinterSetupExecute(); });
    connect(ActPrint, &QAction::triggered, this, [this] { ActPrintExecute(); });
    connect(ActClose, &QAction::triggered, this, &QDialog::close);

    RunPrinterSetupDialog = [](QPrinter *printer, QWidget *parent) {
        QPageSetupDialog dialog(printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
    RunPrintDialog = [](QPrinter *printer, QWidget *parent) {
        QPrintDialog dialog(printer, parent);
        dialog.setWindowTitle(QStringLiteral("印刷"));
        // Every page is printed: there is no page range to choose.
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
        return dialog.exec() == QDialog::Accepted;
    };
}

TFormPreview::~TFormPreview() = default;

void TFormPreview::LoadText(const QString &fileName, const QStringList &lines)
{
    std::vector<std::string> display;
    display.reserve(size_t(lines.size()));
    for (const QString &line : lines)
        display.push_back(tovik::platform::QStringToCp932(line));
    LoadText(fileName, display);
}

void TFormPreview::LoadText(const QString &fileName, const std::vector<std::string> &lines)
{
    LxTextPrev1->ClearAll();
    TextSection = LxTextPrev1->AddTextSection();
    LXPV_ASSERT(TextSection != nullptr, kUnit);

    // Without a settings store (tests, tools) the keys' defaults hold.
    static const TAppIniData defaults;
    const TAppIniData &ini = AppIniData() ? *AppIniData() : defaults;
    namespace K = SettingKeys::Preview;
    auto readBool = [&](const TBoolKey &key) { return ini.ReadBool(key); };
    auto readColor = [&](const TColorKey &key) { return ColorValueToQColor(ini.ReadColor(key)); };
    auto readMargin = [&](const TCurrencyKey &key) { return float(ini.ReadCurrency(key)); };

    LxTextPrev1->setFont(tovik::platform::FontFromSettings(ini.ReadString(K::FontName), ini.ReadInteger(K::FontSize)));
    LxTextPrev1->SetColor(readColor(K::BGColor));
    LxTextPrev1->SetPaperColor(readColor(K::PaperColor));
    LxTextPrev1->SetPaperShadowColor(readColor(K::PaperShadowColor));
    LxTextPrev1->SetShowPrintableRect(readBool(K::ShowPrintableRect));
    LxTextPrev1->SetShowDefaultMargin(readBool(K::ShowMarginMark));
    TextSection->SetLineGap(ini.ReadInteger(K::RowMarg));
    const bool rowNumbers = readBool(K::UseRowNo);
    TextSection->SetShowRowNumbers(rowNumbers);
    ActLinNo->setChecked(rowNumbers);
    TLxPrevMargin &margin = TextSection->Margin();
    margin.SetMargin(TLxPrevMargin::mgTop, readMargin(K::TopMarg));
    margin.SetMargin(TLxPrevMargin::mgBottom, readMargin(K::BottomMarg));
    margin.SetMargin(TLxPrevMargin::mgLeft, readMargin(K::LeftMarg));
    margin.SetMargin(TLxPrevMargin::mgRight, readMargin(K::RigtmMarg));

    const QColor rule(128, 0, 0), silver(192, 192, 192);
    auto style = [&](TLxPVTextItem *item, int points, bool italic) {
        item->Font.Color = silver;
        item->Font.Font.setPointSize(points);
        item->Font.Font.setItalic(italic);
    };
    TLxPVDrawBand &header = TextSection->HeaderBand();
    if (readBool(K::ShowHeaderBorder))
        header.AddFigure(TLxPVFigItem::fsLine, rule, 0, pvFarEdge, pvFarEdge, pvFarEdge, 1);
    if (readBool(K::ShowFileName))
        style(header.AddText(BaseName(fileName), 0, 10), 12, false);
    if (readBool(K::ShowDate))
        style(header.AddText(QStringLiteral("&&D"), pvFarEdge, 15), 8, false);

    TLxPVDrawBand &footer = TextSection->FooterBand();
    if (readBool(K::ShowFooterBorder))
        footer.AddFigure(TLxPVFigItem::fsLine, rule, 1, 1, pvFarEdge, 1, 1);
    if (readBool(K::ShowOwthor))
        style(footer.AddText(ini.ReadString(K::OwthorName), pvFarEdge, 2), 8, true);
    if (readBool(K::ShowPageNo))
        style(footer.AddText(QStringLiteral("&&P/-%-"), pvCenter, 2), 8, true);

    TextSection->Lines() = lines;
    FBuilt = false;
    if (isVisible()) {
        FBuilt = true;
        LxTextPrev1->UpdatePreview();
    }
}

void TFormPreview::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!FBuilt) {
        FBuilt = true;
        LxTextPrev1->UpdatePreview();
    }
}

void TFormPreview::UpdatePageInfo()
{
    const int page = LxTextPrev1->CurrentPage(), count = LxTextPrev1->PageCount();
    pnlPageInfo->setText(QStringLiteral("%1/%2").arg(page).arg(count));
    const bool first = page >= 2 && count > 1;
    const bool last = page < count && count > 1;
    ActFirst->setEnabled(first);
    ActPrev->setEnabled(first);
    ActLast->setEnabled(last);
    ActNext->setEnabled(last);
    ActPrint->setEnabled(count > 0);
}

void TFormPreview::ActPrinterSetupExecute()
{
    if (RunPrinterSetupDialog && RunPrinterSetupDialog(LxTextPrev1->PrinterInfo().Printer(), this))
        LxTextPrev1->UpdatePreview();
}

void TFormPreview::ActPrintExecute()
{
    if (LxTextPrev1->PageCount() <= 0)
        return;
    TLxPVPrinterInfo &info = LxTextPrev1->PrinterInfo();
    QPrinter *printer = info.Printer();
    const int sheetWidth = info.PhysicalWidth(), sheetHeight = info.PhysicalHeight();
    if (!RunPrintDialog || !RunPrintDialog(printer, this))
        return;
    // The dialog may have chosen another printer or paper: pages follow the sheet they go on.
    if (info.PhysicalWidth() != sheetWidth || info.PhysicalHeight() != sheetHeight)
        LxTextPrev1->UpdatePreview();
    if (!LxTextPrev1->Print())
        tovik::platform::ShowMessage(this, QStringLiteral("印刷できませんでした。"),
                                     tovik::platform::MessageKind::Error);
}
