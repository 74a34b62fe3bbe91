#include "Source/TextViewFrm.h"

#include "Source/LxPnArcDataClasses.h"
#include "Source/LxPnGlobalProcs.h"
#include "Source/LxPnGlobalState.h"
#include "Source/PrintPreviewFrm.h"
#include "editor/EditTypes.h"
#include "platform/Cp932.h"
#include "platform/Fonts.h"
#include "platform/MessageBox.h"
#include "textconv/LxTextDecorder.h"
#include "textconv/LxTextFileConverter.h"

#include <QAction>
#include <QFontMetricsF>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstring>
#include <exception>

namespace {

constexpr int kShiftJisCode = 932;
constexpr int kSizePanelWidth = 84;
constexpr int kCharSetPanelWidth = 128;
constexpr int kStatusBarHeight = 22;
// The editor's font until the settings are applied: the fixed Japanese face, 13 pixels.
constexpr int kDefaultFontPixels = 13;

// The bytes as display lines: cut at the first zero byte (what follows is not text), split
// at CR, LF and CR LF; a final line break adds no empty line.
std::vector<std::string> SplitLines(const QByteArray &bytes)
{
    std::vector<std::string> lines;
    const char *p = bytes.constData();
    const char *end = p + bytes.size();
    if (const void *nul = memchr(p, 0, bytes.size()))
        end = static_cast<const char *>(nul);
    const char *start = p;
    while (p < end) {
        if (*p == '\r' || *p == '\n') {
            lines.emplace_back(start, p);
            if (*p == '\r' && p + 1 < end && p[1] == '\n')
                ++p;
            start = ++p;
        } else {
            ++p;
        }
    }
    if (start < end)
        lines.emplace_back(start, end);
    return lines;
}

} // namespace

TFrmTextView::TFrmTextView(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("テキストビューア"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);

    LxTextEditor1 = new QPlainTextEdit(this);
    LxTextEditor1->setReadOnly(true);
    LxTextEditor1->setLineWrapMode(QPlainTextEdit::NoWrap);
    LxTextEditor1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    LxTextEditor1->setUndoRedoEnabled(false);
    QFont font = tovik::platform::FontFromSettings(QString(), 0);
    font.setPixelSize(kDefaultFontPixels);
    LxTextEditor1->setFont(font);
    LxTextEditor1->document()->setDocumentMargin(10);

    auto *status = new QStatusBar(this);
    status->setSizeGripEnabled(false);
    status->setFixedHeight(kStatusBarHeight);
    LxPanelSize = new QLabel(QStringLiteral("0"), status);
    LxPanelSize->setFixedWidth(kSizePanelWidth);
    LxPanelSize->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LxPanelCharSet = new QLabel(QStringLiteral("日本語(ShiftJIS)"), status);
    LxPanelCharSet->setFixedWidth(kCharSetPanelWidth);
    status->addWidget(LxPanelSize);
    status->addWidget(LxPanelCharSet);

    Action4 = new QAction(QStringLiteral("自動変換"), this);
    ActPrint = new QAction(QStringLiteral("印刷"), this);
    ActPrint->setShortcut(QKeySequence::Print);
    ActPrint->setToolTip(QStringLiteral("印刷プレビュー"));
    addAction(ActPrint);
    connect(ActPrint, &QAction::triggered, this, [this] { ActPrintExecute(); });
    auto *printButton = new QToolButton(status);
    printButton->setDefaultAction(ActPrint);
    printButton->setAutoRaise(true);
    status->addPermanentWidget(printButton);
    LxTextFileConverter1 = new TLxTextFileConverter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(LxTextEditor1, 1);
    layout->addWidget(status);
    resize(640, 480);

    ApplySettings();
}

TFrmTextView::~TFrmTextView() = default;

void TFrmTextView::ApplySettings()
{
    const TAppIniData *ini = AppIniData();
    if (!ini)
        return;
    const QFont font = tovik::platform::FontFromSettings(ini->ReadString(SettingKeys::Editor::FontName),
                                                         ini->ReadInteger(SettingKeys::Editor::FontSize));
    LxTextEditor1->setFont(font);
    // Tab stops every TABWidth columns; a width outside 2-12 keeps 4.
    const int tabWidth = ini->ReadInteger(SettingKeys::Editor::TABWidth);
    LxTextEditor1->setTabStopDistance(QFontMetricsF(font).horizontalAdvance(QLatin1Char(' ')) *
                                      (tabWidth >= 2 && tabWidth <= 12 ? tabWidth : 4));
}


void TFrmTextView::ActPrintExecute()
{
    TFormPreview preview(this);
    preview.LoadText(Entry ? Cp932ToQString(Entry->Path) : QString(), Lines_);
    preview.exec();
}

void TFrmTextView::SetEntry(const TLxPackedItem *entry)
{
    Entry = entry;
    if (!entry)
        return;
    setWindowTitle(windowTitle() + QStringLiteral(" [") + Cp932ToQString(entry->Path) + QStringLiteral("]"));
    const std::string &name = entry->Name;
    const size_t dot = name.rfind('.');
    FileExt_ = dot == std::string::npos ? QString() : Cp932ToQString(name.substr(dot + 1));
    LxPanelSize->setText(QString::fromStdString(GroupedNumberText(entry->OriginalSize)));
}

void TFrmTextView::SetText(const QByteArray &bytes)
{
    RawText = bytes;
    const TAppIniData *ini = AppIniData();
    // Without a settings store the key's default holds: decode automatically.
    const bool autoDecode = !ini || ini->ReadBool(SettingKeys::Editor::AutoDecode);
    if (autoDecode) {
        const int code = AutoDetect();
        if (code != -1) {
            Decode(code);
            return;
        }
    }
    Lines_ = SplitLines(RawText);
    ShowLines();
}

int TFrmTextView::AutoDetect()
{
    int16_t lineEnd = 0;
    int16_t certainty = 0;
    const int code = TLxEncoderJudgment::DetectCharSet(std::string_view(RawText.constData(), RawText.size()),
                                                       lineEnd, certainty);
    if (code == kShiftJisCode) {
        Action4->setEnabled(false);
        return -1;
    }
    return code;
}

bool TFrmTextView::Decode(int code)
{
    TEditStringList lines;
    const auto take = [this, &lines] {
        Lines_.clear();
        Lines_.reserve(lines.Count());
        for (int i = 0; i < lines.Count(); ++i)
            Lines_.push_back(lines.Get(i));
        ShowLines();
    };
    bool converted = false;
    try {
        converted = LxTextFileConverter1->Convert(code, std::string_view(RawText.constData(), RawText.size()), &lines);
    } catch (const std::exception &e) {
        // What was decoded before the error stays shown.
        take();
        tovik::platform::ShowMessage(this, QString::fromUtf8(e.what()), tovik::platform::MessageKind::Error);
        return false;
    }
    if (!converted)
        return false;
    take();
    const TCharSetItem *charSet = LxTextFileConverter1->CurrentCharSet();
    const QString name = charSet ? QString::fromStdString(charSet->Name) : QString();
    tovik::platform::ShowMessage(this, QStringLiteral("エンコード文字コードを\r\n\r\n    ") + name +
                                           QStringLiteral("\r\n\r\nとして\r\n\r\n    SHIFT-JISにデコードしました。"
                                                          "\r\n\r\n※ 元のファイルには反映されません。※"));
    LxPanelCharSet->setText(name);
    return true;
}

void TFrmTextView::ShowLines()
{
    std::string joined;
    size_t total = 0;
    for (const std::string &line : Lines_)
        total += line.size() + 1;
    joined.reserve(total);
    for (size_t i = 0; i < Lines_.size(); ++i) {
        if (i)
            joined += '\n';
        joined += Lines_[i];
    }
    LxTextEditor1->setPlainText(Cp932ToQString(joined));
}
