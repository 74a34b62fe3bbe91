#include "Source/TextViewFrm.h"

#include "BasicControls/Source/LxFormInfo.h"
#include "Source/LxPnArcDataClasses.h"
#include "Source/LxPnGlobalDef.h"
#include "Source/LxPnGlobalProcs.h"
#include "Source/LxPnGlobalState.h"
#include "Source/PrintPreviewFrm.h"
#include "editor/EditFuncs.h"
#include "editor/LxTextEditor.h"
#include "platform/Cp932.h"
#include "platform/Fonts.h"
#include "platform/MessageBox.h"
#include "textconv/LxTextDecorder.h"
#include "textconv/LxTextFileConverter.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

constexpr int kShiftJisCode = 932;
constexpr int kSizePanelWidth = 84;
constexpr int kCharSetPanelWidth = 128;
constexpr int kStatusBarHeight = 22;
constexpr int kToolBarHeight = 24;

// The bytes up to the first zero byte: what follows is not text.
std::string_view TextPart(const QByteArray &bytes)
{
    const char *p = bytes.constData();
    const void *nul = memchr(p, 0, static_cast<size_t>(bytes.size()));
    const size_t n = nul ? static_cast<size_t>(static_cast<const char *>(nul) - p) : static_cast<size_t>(bytes.size());
    return std::string_view(p, n);
}

struct CharCodeItem {
    const char *caption;
    int tag;
    int code;
};

constexpr CharCodeItem kCharCodeItems[] = {
    {"SHIFT-JIS", 1, 932},       {"EUC", 2, -932},           {"ISO-2022-JP", 3, -933},
    {"UTF-5", 4, -2},            {"UTF-7", 5, 65000},        {"UTF-8", 6, -65001},
    {"UTF-8N", 7, 65001},        {"UTF-16BE(BOM)", 8, -3},   {"UTF-16LE(BOM)", 9, -4},
    {"UTF-16BE", 10, -5},        {"UTF-16LE", 11, -6},
};

} // namespace

TFrmTextView::TFrmTextView(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmTextView"));
    setWindowTitle(QStringLiteral("テキストビューア"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    LxTextEditor1 = new TLxTextEditor(this);
    LxTextEditor1->SetScrollBars(TLxEditCustomView::ssBoth);
    TEditView *options = LxTextEditor1->Options();
    options->TextView.SetFontStyle(0);
    options->TextView.SetMargin(1, 10);
    options->LeftView.SetForeColor(clBlue);
    options->LeftView.SetFontStyle(0);
    TEditBorder border = options->LeftView.Border;
    border.OuterColor = clBtnFace;
    border.InnerColor = clBtnShadow;
    options->LeftView.SetBorder(border);
    options->DrawOption.Readonly = true;
    options->DrawOption.SetDrawMarks(false);
    LxTextEditor1->SetFileExt("txt");

    LxTextFileConverter1 = new TLxTextFileConverter(this);

    CreateActions();
    CreateMenus();

    ToolBar1 = new QToolBar(this);
    ToolBar1->setFixedHeight(kToolBarHeight + 4);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->addAction(ActSave);
    ToolBar1->addAction(ActFind);
    ToolBar1->addAction(ActPreview);

    auto *status = new QStatusBar(this);
    status->setSizeGripEnabled(false);
    status->setFixedHeight(kStatusBarHeight);
    LxPanelSize = new QLabel(QStringLiteral("0"), status);
    LxPanelSize->setFixedWidth(kSizePanelWidth);
    LxPanelSize->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LxPanelCharSet = new QLabel(QStringLiteral("日本語(ShiftJIS)"), status);
    LxPanelCharSet->setFixedWidth(kCharSetPanelWidth);
    LxPanelNote = new QLabel(status);
    status->addWidget(LxPanelSize);
    status->addWidget(LxPanelCharSet);
    status->addWidget(LxPanelNote, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(ToolBar1);
    layout->addWidget(LxTextEditor1, 1);
    layout->addWidget(status);
    resize(640, 480);

    FormCreate();
    // The window's placement is remembered from one opening to the next.
    LxFormInfo1 = new TLxFormInfo(this);
    LxFormInfo1->SetActive(true);
    LxTextEditor1->setFocus();
}

TFrmTextView::~TFrmTextView()
{
    delete FindDialog1;
}

const TLxEditDocs &TFrmTextView::Lines() const { return *LxTextEditor1->Lines(); }

void TFrmTextView::CreateActions()
{
    Action1 = new QAction(QStringLiteral("閉じる"), this);
    connect(Action1, &QAction::triggered, this, [this] {
        PlayUISound(2);
        close();
    });
    ActSave = new QAction(QIcon::fromTheme(QStringLiteral("document-save-as")), QStringLiteral("名前をつけて保存"), this);
    connect(ActSave, &QAction::triggered, this, [this] { ActSaveExecute(); });
    ActPreview = new QAction(QIcon::fromTheme(QStringLiteral("document-print")), QStringLiteral("印刷"), this);
    ActPreview->setShortcut(QKeySequence::Print);
    ActPreview->setToolTip(QStringLiteral("印刷プレビュー"));
    connect(ActPreview, &QAction::triggered, this, [this] { ActPreviewExecute(); });
    addAction(ActPreview);
    ActPrint = ActPreview;
    Action4 = new QAction(QStringLiteral("自動変換"), this);
    connect(Action4, &QAction::triggered, this, [this] {
        const int code = AutoDetect();
        Decode(code == -1 ? kShiftJisCode : code);
    });
    ActFind = new QAction(QIcon::fromTheme(QStringLiteral("edit-find")), QStringLiteral("検索(&F)"), this);
    ActFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(ActFind, &QAction::triggered, this, [this] { ActFindExecute(); });
    addAction(ActFind);

    FileTypeGroup = new QActionGroup(this);
    FileTypeGroup->setExclusive(true);
    auto fileType = [this](const QString &caption, const char *ext) {
        QAction *a = new QAction(caption, this);
        a->setCheckable(true);
        FileTypeGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, ext] { SetFileType(ext); });
        return a;
    };
    ActFileTypeC = fileType(QStringLiteral("C言語ソース"), "cpp");
    ActFileTypePas = fileType(QStringLiteral("Delphi言語ソース"), "pas");
    ActFileTypeJava = fileType(QStringLiteral("Javaソース"), "java");
    ActFileTypeOther = fileType(QStringLiteral("その他"), "txt");
    ActFileTypeOther->setChecked(true);
}

void TFrmTextView::CreateMenus()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setNativeMenuBar(false);
    QMenu *file = MainMenu1->addMenu(QStringLiteral("ファイル(&F)"));
    file->addAction(ActSave);
    file->addAction(ActPreview);
    file->addSeparator();
    file->addAction(Action1);

    QMenu *option = MainMenu1->addMenu(QStringLiteral("オプション(&O)"));
    option->addAction(ActFind);
    QMenu *codes = option->addMenu(QStringLiteral("文字コード"));
    codes->addAction(Action4);
    codes->addSeparator();
    QMenu *japanese = codes->addMenu(QStringLiteral("日本語文字コード"));
    QMenu *unicode = codes->addMenu(QStringLiteral("Unicode"));
    QMenu *unicode16 = codes->addMenu(QStringLiteral("Unicode16"));
    for (const CharCodeItem &item : kCharCodeItems) {
        QMenu *menu = item.tag <= 3 ? japanese : item.tag <= 7 ? unicode : unicode16;
        QAction *a = menu->addAction(QString::fromUtf8(item.caption));
        a->setData(item.tag);
        connect(a, &QAction::triggered, this, [this, a] { DeCodeClick(a); });
    }
    QMenu *types = option->addMenu(QStringLiteral("ファイル種別"));
    types->addAction(ActFileTypeC);
    types->addAction(ActFileTypePas);
    types->addAction(ActFileTypeJava);
    types->addAction(ActFileTypeOther);
}

void TFrmTextView::FormCreate()
{
    const TAppIniData *ini = AppIniData();
    if (!ini)
        return;
    TEditView *options = LxTextEditor1->Options();
    // 1. The line-number bar: width, then visibility (hidden means width 0), colours.
    options->LeftView.SetWidth(ini->ReadInteger(SettingKeys::Editor::LinNoWidth));
    options->LeftView.SetVisible(ini->ReadBool(SettingKeys::Editor::ShowLinNo));
    if (!ini->ReadBool(SettingKeys::Editor::ShowLinNo))
        options->LeftView.SetWidth(0);
    options->LeftView.SetBackColor(ini->ReadColor(SettingKeys::Editor::LinNoBGColor));
    options->LeftView.SetForeColor(ini->ReadColor(SettingKeys::Editor::LinNoFRColor));
    // 2. Marks, their colour, the tab width (2-12; otherwise the message and 4).
    options->DrawOption.SetDrawMarks(ini->ReadBool(SettingKeys::Editor::ShowCtrlCode));
    options->DrawOption.SetMarksColor(ini->ReadColor(SettingKeys::Editor::CtrlCodeColor));
    options->DrawOption.SetTabIndents(ini->ReadInteger(SettingKeys::Editor::TABWidth));
    // 3. Text colours.
    options->TextView.SetBackColor(ini->ReadColor(SettingKeys::Editor::TextBGColor));
    options->TextView.SetForeColor(ini->ReadColor(SettingKeys::Editor::TextFRColor));
    // 4. Margins in pixels.
    options->TextView.SetMargin(0, ini->ReadInteger(SettingKeys::Editor::TopMarg));
    options->TextView.SetMargin(1, ini->ReadInteger(SettingKeys::Editor::LeftMarg));
    // 5. The font.
    LxTextEditor1->SetEditorFont(tovik::platform::FontFromSettings(ini->ReadString(SettingKeys::Editor::FontName),
                                                                   ini->ReadInteger(SettingKeys::Editor::FontSize)));
}

void TFrmTextView::SetEntry(const TLxPackedItem *entry)
{
    Entry = entry;
    if (!entry)
        return;
    setWindowTitle(windowTitle() + QStringLiteral(" [") + Cp932ToQString(entry->Path) + QStringLiteral("]"));
    const std::string &name = entry->Name;
    const size_t dot = name.rfind('.');
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    FileExt_ = Cp932ToQString(ext);
    LxTextEditor1->SetFileExt(ext);
    ActFileTypeUpdate();
    LxPanelSize->setText(QString::fromStdString(GroupedNumberText(entry->OriginalSize)));
}

void TFrmTextView::ShowBytesUnchanged()
{
    TLxEditDocs *docs = LxTextEditor1->Lines();
    docs->SetTextStr(TextPart(RawText));
}

void TFrmTextView::SetText(const QByteArray &bytes)
{
    RawText = bytes;
    // Memory extraction stops at the first 1,000,000 bytes of a larger entry: say so.
    const bool cut = Entry && (Entry->OriginalSize > bytes.size() || Entry->OriginalSize < 0);
    LxPanelNote->setText(cut ? usertext::ShownCut() : QString());
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
    ShowBytesUnchanged();
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
    TLxEditDocs *docs = LxTextEditor1->Lines();
    bool converted = false;
    // The converter writes straight into the editor's document; the editor starts over once.
    docs->BeginUpdate();
    try {
        converted = LxTextFileConverter1->Convert(code, std::string_view(RawText.constData(), RawText.size()), docs);
    } catch (const std::exception &e) {
        // What was decoded before the error stays shown.
        docs->EndUpdate();
        docs->DoChange();
        tovik::platform::ShowMessage(this, QString::fromUtf8(e.what()), tovik::platform::MessageKind::Error);
        return false;
    }
    docs->EndUpdate();
    if (!converted)
        return false;
    docs->DoChange();
    const TCharSetItem *charSet = LxTextFileConverter1->CurrentCharSet();
    const QString name = charSet ? QString::fromStdString(charSet->Name) : QString();
    tovik::platform::ShowMessage(this, QStringLiteral("エンコード文字コードを\r\n\r\n    ") + name +
                                           QStringLiteral("\r\n\r\nとして\r\n\r\n    SHIFT-JISにデコードしました。"
                                                          "\r\n\r\n※ 元のファイルには反映されません。※"));
    LxPanelCharSet->setText(name);
    return true;
}

int TFrmTextView::CharSetCodeOfTag(int tag)
{
    for (const CharCodeItem &item : kCharCodeItems)
        if (item.tag == tag)
            return item.code;
    return 0;
}

void TFrmTextView::DeCodeClick(QAction *item)
{
    if (!item)
        return;
    const int code = CharSetCodeOfTag(item->data().toInt());
    if (code != 0)
        Decode(code);
}

void TFrmTextView::SetFileType(const char *ext)
{
    LxTextEditor1->SetFileExt(ext);
    LxTextEditor1->viewport()->update();
    ActFileTypeUpdate();
}

void TFrmTextView::ActFileTypeUpdate()
{
    switch (LxTextEditor1->GetLanguage()) {
    case 1: ActFileTypePas->setChecked(true); break;
    case 2: ActFileTypeJava->setChecked(true); break;
    case 3: ActFileTypeC->setChecked(true); break;
    default: ActFileTypeOther->setChecked(true); break;
    }
}

// ---- save as ----------------------------------------------------------------------------

bool TFrmTextView::SaveLinesTo(const QString &fileName)
{
    QSaveFile file(fileName);
    const std::string text = Lines().GetText();
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) !=
                                                static_cast<qint64>(text.size()) || !file.commit()) {
        tovik::platform::ShowMessage(this, QStringLiteral("ファイルを保存できませんでした\r\n\r\n") + fileName,
                                     tovik::platform::MessageKind::Error);
        return false;
    }
    return true;
}

void TFrmTextView::ActSaveExecute()
{
    PlayUISound(2);
    QString proposed;
    if (Entry)
        proposed = Cp932ToQString(Entry->Path);
    const QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("名前をつけて保存"), proposed);
    if (!fileName.isEmpty())
        SaveLinesTo(fileName);
}

// ---- print ----------------------------------------------------------------------------

void TFrmTextView::ActPreviewExecute()
{
    PlayUISound(2);
    std::vector<std::string> lines;
    const TLxEditDocs &docs = Lines();
    lines.reserve(static_cast<size_t>(docs.Count()));
    for (int i = 0; i < docs.Count(); ++i)
        lines.push_back(docs[i]);
    TFormPreview preview(this);
    preview.LoadText(Entry ? Cp932ToQString(Entry->Name) : QString(), lines);
    preview.exec();
}

// ---- find -------------------------------------------------------------------------------

void TFrmTextView::CreateFindDialog()
{
    FindDialog1 = new QDialog(this, Qt::Tool);
    FindDialog1->setWindowTitle(QStringLiteral("検索"));
    FindDialog1->setModal(false);
    auto *label = new QLabel(QStringLiteral("検索する文字列(&N):"), FindDialog1);
    FindText = new QLineEdit(FindDialog1);
    label->setBuddy(FindText);
    FindWholeWord = new QCheckBox(QStringLiteral("単語単位で探す(&W)"), FindDialog1);
    FindMatchCase = new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), FindDialog1);
    auto *direction = new QGroupBox(QStringLiteral("方向"), FindDialog1);
    auto *up = new QRadioButton(QStringLiteral("上へ(&U)"), direction);
    FindDown = new QRadioButton(QStringLiteral("下へ(&D)"), direction);
    FindDown->setChecked(true);
    auto *dirLayout = new QHBoxLayout(direction);
    dirLayout->addWidget(up);
    dirLayout->addWidget(FindDown);
    auto *next = new QPushButton(QStringLiteral("次を検索(&F)"), FindDialog1);
    next->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("キャンセル"), FindDialog1);
    connect(next, &QPushButton::clicked, this, [this] { FindDialog1Find(); });
    connect(cancel, &QPushButton::clicked, FindDialog1, &QDialog::hide);

    auto *grid = new QHBoxLayout(FindDialog1);
    auto *left = new QVBoxLayout;
    auto *textRow = new QHBoxLayout;
    textRow->addWidget(label);
    textRow->addWidget(FindText, 1);
    left->addLayout(textRow);
    auto *options = new QHBoxLayout;
    auto *checks = new QVBoxLayout;
    checks->addWidget(FindWholeWord);
    checks->addWidget(FindMatchCase);
    options->addLayout(checks);
    options->addWidget(direction);
    left->addLayout(options);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(next);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    grid->addLayout(left, 1);
    grid->addLayout(buttons);
}

void TFrmTextView::ActFindExecute()
{
    if (!FindDialog1)
        CreateFindDialog();
    FindDialog1->show();
    FindDialog1->raise();
    FindDialog1->activateWindow();
    FindText->setFocus();
    FindText->selectAll();
}

bool TFrmTextView::FindNext(const QString &text, bool down, bool wholeWord, bool matchCase)
{
    const std::string sjis = tovik::platform::Utf8ToCp932(text.toStdString());
    const bool found = LxTextEditor1->Find(sjis, down, 0, wholeWord, matchCase);
    if (found)
        PlayUISound(2);
    return found;
}

void TFrmTextView::FindDialog1Find()
{
    FindNext(FindText->text(), FindDown->isChecked(), FindWholeWord->isChecked(), FindMatchCase->isChecked());
}
