#include "LxPnTOptions.h"

#include "Source/LxPnGlobalState.h"
#include "Source/LxPnSystem.h"
#include "LxFormInfo.h"
#include "LxNumEdit.h"
#include "editor/EditFuncs.h"
#include "platform/MessageBox.h"
#include "platform/WorkFolder.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QAbstractItemView>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStringListModel>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace K = SettingKeys;

namespace {

// ---- colours ----

constexpr int32_t kSystemColor = kSystemColorFlag;

struct TNamedColor {
    int32_t Value;
    const char *Name;
};

// The sixteen standard colours and the four extended ones.
const TNamedColor kFixedColors[] = {
    {0x000000, "黒"},       {0x000080, "栗色"},         {0x008000, "緑"},     {0x008080, "オリーブ"},
    {0x800000, "紺"},       {0x800080, "紫"},           {0x808000, "青緑"},   {0x808080, "灰色"},
    {0xC0C0C0, "銀色"},     {0x0000FF, "赤"},           {0x00FF00, "ライム"}, {0x00FFFF, "黄"},
    {0xFF0000, "青"},       {0xFF00FF, "赤紫"},         {0xFFFF00, "水色"},   {0xFFFFFF, "白"},
    {0xC0DCC0, "マネーグリーン"}, {0xF0CAA6, "スカイブルー"}, {0xF0FBFF, "クリーム"}, {0xA4A0A0, "ミディアムグレー"},
};

// The system colours by index.
const TNamedColor kSystemColors[] = {
    {0, "スクロールバー"},         {1, "デスクトップ"},           {2, "アクティブなタイトル"},
    {3, "非アクティブなタイトル"}, {4, "メニュー"},               {5, "ウィンドウの背景"},
    {6, "ウィンドウの枠"},         {7, "メニューの文字"},         {8, "ウィンドウの文字"},
    {9, "タイトルの文字"},         {10, "アクティブな境界"},      {11, "非アクティブな境界"},
    {12, "作業領域"},              {13, "選択範囲"},              {14, "選択範囲の文字"},
    {15, "ボタンの表面"},          {16, "ボタンの影"},            {17, "淡色の文字"},
    {18, "ボタンの文字"},          {19, "非アクティブなタイトルの文字"}, {20, "ボタンのハイライト"},
    {21, "立体の濃い影"},          {22, "立体の明るい面"},        {23, "ヒントの文字"},
    {24, "ヒントの背景"},          {26, "ホットトラック"},        {27, "タイトルのグラデーション"},
    {28, "非アクティブなタイトルのグラデーション"}, {29, "メニューのハイライト"}, {30, "メニューバー"},
};

QIcon Swatch(const QColor &color)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.fillRect(pixmap.rect().adjusted(0, 0, -1, -1), color);
    painter.setPen(Qt::black);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

QString HexName(int32_t value) { return ColorValueToQColor(value).name().toUpper(); }

// The sound file as the general page loads it: shown only while sounds are on.
QString LoadedSound(const TAppIniData &s, const TTextKey &key)
{
    return s.ReadBool(SettingKeys::General::UseSound) ? s.ReadString(key).trimmed() : QString();
}

// ---- numbers ----

// What a number field would hold after loading number: its digit limits drop what does not
// fit, so a stored value is compared and saved as the field can show it.
double AsField(const TLxNumEditCtrl *field, double number)
{
    TEditNum model;
    model.IntLen = field->IntLen();
    model.DecimalLen = field->DecimalLen();
    model.SetText(QString::number(number, 'f', 4));
    return model.ValueText().toDouble();
}

// A field's number as typed. The change check reads this, so that a number is not clamped
// under the user's fingers; leaving the field clamps it and checks again.
double TypedValue(const TLxNumEditCtrl *field) { return field->Model().ValueText().toDouble(); }

int32_t TypedInt(const TLxNumEditCtrl *field) { return int32_t(std::lround(TypedValue(field))); }

// A field's number for saving: within its bounds.
int32_t FieldInt(TLxNumEditCtrl *field) { return int32_t(std::lround(field->Value())); }

int64_t FieldCurrency(TLxNumEditCtrl *field) { return std::llround(field->Value() * 10000.0); }

const QString kSuffixes[3] = {
    QStringLiteral(" 【一般オプション】"),
    QStringLiteral(" 【組込みエディタオプション】"),
    QStringLiteral(" 【プレビューオプション】"),
};
const int kHeights[3] = {320, 400, 436};
constexpr int kWidth = 420;

QGroupBox *NewGroup(QWidget *parent, const QString &title, const QString &hint = QString())
{
    auto *group = new QGroupBox(title, parent);
    if (!hint.isEmpty())
        group->setToolTip(hint);
    return group;
}

QToolButton *NewButton(QWidget *parent, const char *name, const QString &caption, const QString &hint = QString())
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    if (!hint.isEmpty())
        button->setToolTip(hint);
    return button;
}

QLineEdit *NewField(QWidget *parent, const char *name, bool readOnly)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setReadOnly(readOnly);
    return field;
}

QLabel *NewLabel(QWidget *parent, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    return label;
}

// Families of fixed pitch. The Japanese fonts do not say they are fixed, so the advances of a
// narrow and a wide letter decide.
bool IsFixedPitch(const QString &family)
{
    const QFontMetricsF metrics{QFont(family, 12)};
    return std::abs(metrics.horizontalAdvance(QLatin1Char('i')) - metrics.horizontalAdvance(QLatin1Char('W'))) < 0.01;
}

} // namespace

// ---- the colour box ----

TColorBox::TColorBox(QWidget *parent) : QWidget(parent), FCombo(new QComboBox(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FCombo);
    FCombo->setMaxVisibleItems(20);
    // The longest colour name does not set the width; the list itself shows names whole.
    FCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    FCombo->setMinimumContentsLength(16);
    for (const TNamedColor &c : kFixedColors)
        AddEntry(c.Value, QString::fromUtf8(c.Name));
    for (const TNamedColor &c : kSystemColors)
        AddEntry(kSystemColor + c.Value, QString::fromUtf8(c.Name));
    FCombo->addItem(QStringLiteral("カスタム..."));
    FCombo->view()->setMinimumWidth(FCombo->view()->sizeHintForColumn(0) + 24);
    FCustomIndex = -1;
    setFocusProxy(FCombo);
    QObject::connect(FCombo, &QComboBox::activated, this, [this](int index) { Activated(index); });
    PickCustom = [this](QColor &color) {
        const QColor chosen = QColorDialog::getColor(color, this, QStringLiteral("色の設定"));
        if (!chosen.isValid())
            return false;
        color = chosen;
        return true;
    };
}

int TColorBox::AddEntry(int32_t value, const QString &name)
{
    const int index = FCombo->count();
    FCombo->addItem(Swatch(ColorValueToQColor(value, Qt::transparent)), name, value);
    return index;
}

int32_t TColorBox::Selected() const { return FCombo->currentData().toInt(); }

void TColorBox::SetSelected(int32_t value)
{
    int index = FCombo->findData(value);
    if (index < 0) {
        const QString name = QStringLiteral("カスタム ") + HexName(value);
        if (FCustomIndex < 0) {
            FCustomIndex = FCombo->count() - 1;
            FCombo->insertItem(FCustomIndex, Swatch(ColorValueToQColor(value)), name, value);
        } else {
            FCombo->setItemIcon(FCustomIndex, Swatch(ColorValueToQColor(value)));
            FCombo->setItemText(FCustomIndex, name);
            FCombo->setItemData(FCustomIndex, value);
        }
        index = FCustomIndex;
    }
    FCombo->setCurrentIndex(index);
    FLastIndex = index;
}

void TColorBox::Activated(int index)
{
    // The last entry asks for a colour of the user's own.
    if (index == FCombo->count() - 1) {
        QColor color = ColorValueToQColor(FCombo->itemData(FLastIndex).toInt());
        if (!PickCustom || !PickCustom(color)) {
            FCombo->setCurrentIndex(FLastIndex);
            return;
        }
        SetSelected(QColorToColorValue(color));
    } else {
        FLastIndex = index;
    }
    if (OnChange)
        OnChange();
}

// ---- the dialog ----

QString TFormOption::DefaultFolder() { return QDir::tempPath(); }

bool TFormOption::KeepFixedPitchFamilies(QFontDialog &dialog)
{
    // The family list is the dialog's first list view.
    const QList<QListView *> lists = dialog.findChildren<QListView *>();
    auto *model = lists.isEmpty() ? nullptr : qobject_cast<QStringListModel *>(lists.front()->model());
    if (!model)
        return false;
    QStringList fixed;
    for (const QString &family : model->stringList())
        if (IsFixedPitch(family))
            fixed << family;
    model->setStringList(fixed);
    return true;
}

TFormOption::TFormOption(TAppIniData &settings, QWidget *parent) : QDialog(parent), FSettings(settings)
{
    setObjectName(QStringLiteral("FormOption"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    FBaseTitle = QStringLiteral("詳細設定");
    setWindowTitle(FBaseTitle);

    LxFormInfo1 = new TLxFormInfo(this);
    LxFormInfo1->setObjectName(QStringLiteral("LxFormInfo1"));
    LxFormInfo2 = new TLxFormInfo(this);
    LxFormInfo2->setObjectName(QStringLiteral("LxFormInfo2"));

    PageControl = new QStackedWidget(this);
    PageControl->addWidget(CreateGeneralPage());
    PageControl->addWidget(CreateEditorPage());
    PageControl->addWidget(CreatePreviewPage());

    ButtonUpdate = new QPushButton(QStringLiteral("更新"), this);
    ButtonUpdate->setObjectName(QStringLiteral("ButtonUpdate"));
    ButtonUpdate->setEnabled(false);
    ButtonClose = new QPushButton(QStringLiteral("閉じる(&C)"), this);
    ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
    ButtonUpdate->setAutoDefault(false);
    ButtonClose->setAutoDefault(false);
    QObject::connect(ButtonUpdate, &QPushButton::clicked, this, [this] { UpdateClick(); });
    QObject::connect(ButtonClose, &QPushButton::clicked, this, [this] { reject(); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ButtonUpdate);
    buttons->addWidget(ButtonClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl, 1);
    layout->addLayout(buttons);

    PickFolder = [this](QString &folder) {
        const QString caption = QStringLiteral("作業用フォルダを選択します。（選択したフォルダの下に") +
                                QString::fromUtf8(tovik::platform::kExtractFolderName) +
                                QStringLiteral("フォルダが作成されます)");
        const QString chosen = QFileDialog::getExistingDirectory(
            this, caption, folder.isEmpty() ? QStringLiteral("/") : folder);
        if (chosen.isEmpty())
            return false;
        folder = QDir::toNativeSeparators(chosen);
        return true;
    };
    PickSoundFile = [this](QString &fileName) {
        const QString chosen = QFileDialog::getOpenFileName(this, QString(), fileName,
                                                            QStringLiteral("Wavファイル (*.wav)"));
        if (chosen.isEmpty())
            return false;
        fileName = chosen;
        return true;
    };
    PickFont = [this](QFont &font, QFontDialog::FontDialogOptions options) {
        // Qt's own dialog, so that its family list can be filtered: its fixed-pitch option
        // leaves out the Japanese fonts, which do not report a fixed pitch.
        QFontDialog dialog(font, this);
        dialog.setOptions((options & ~QFontDialog::MonospacedFonts) | QFontDialog::DontUseNativeDialog);
        if (options & QFontDialog::MonospacedFonts) {
            KeepFixedPitchFamilies(dialog);
            dialog.setCurrentFont(font);
        }
        if (dialog.exec() != QDialog::Accepted)
            return false;
        font = dialog.selectedFont();
        return true;
    };
    PlaySound = [](const QString &fileName) { ::PlaySoundFile(fileName); };
}

TFormOption::~TFormOption() = default;

TLxNumEditCtrl *TFormOption::NewNumber(QWidget *parent, const char *name, int intLen, int decimalLen)
{
    auto *field = new TLxNumEditCtrl(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->SetIntLen(intLen);
    field->SetDecimalLen(decimalLen);
    field->SetComma(false);
    field->setFixedWidth(std::max(60, field->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (intLen + 3) + 12));
    field->OnChange = [this](TLxCustomNum *) {
        // Leaving the field is what counts; a keystroke is checked too, so "更新" follows the
        // typing.
        CheckChanges();
    };
    return field;
}

TColorBox *TFormOption::NewColorBox(QWidget *parent, const char *name)
{
    auto *box = new TColorBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->OnChange = [this] { CheckChanges(); };
    return box;
}

QCheckBox *TFormOption::NewCheck(QWidget *parent, const char *name, const QString &caption)
{
    auto *check = new QCheckBox(caption, parent);
    check->setObjectName(QString::fromLatin1(name));
    QObject::connect(check, &QCheckBox::clicked, this, [this] { CheckChanges(); });
    return check;
}

QWidget *TFormOption::CreateGeneralPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    QGroupBox *folder = NewGroup(page, QStringLiteral(" 作業ホルダ "),
                                 QStringLiteral("解凍して開く際の作業用フォルダを設定します"));
    auto *folderGrid = new QGridLayout(folder);
    CheckBox8 = NewCheck(folder, "CheckBox8", QStringLiteral("デフォルト"));
    CheckBox8->setToolTip(QStringLiteral("デフォルトを選択すると環境変数「TEMP」を使用します"));
    LxEditCtrl4 = NewField(folder, "LxEditCtrl4", true);
    LxEditCtrl5 = NewField(folder, "LxEditCtrl5", true);
    ButtonFolder = NewButton(folder, "ButtonFolder", QStringLiteral("..."));
    auto *folderLabel = NewLabel(folder, QStringLiteral("指定フォルダ"));
    folderGrid->addWidget(CheckBox8, 0, 0);
    folderGrid->addWidget(LxEditCtrl4, 0, 1, 1, 2);
    folderGrid->addWidget(folderLabel, 1, 0);
    folderGrid->addWidget(LxEditCtrl5, 1, 1);
    folderGrid->addWidget(ButtonFolder, 1, 2);
    folderGrid->setColumnStretch(1, 1);
    QObject::connect(CheckBox8, &QCheckBox::clicked, this, [this] { UpdateGeneralRows(); });
    QObject::connect(ButtonFolder, &QToolButton::clicked, this, [this] { SelectFolder(); });
    // The chosen-folder row shows only while the default is not used.
    LxEditCtrl5->setProperty("rowLabel", QVariant::fromValue<QObject *>(folderLabel));
    layout->addWidget(folder);

    QGroupBox *history = NewGroup(page, QStringLiteral("履歴ファイル"));
    auto *historyRow = new QHBoxLayout(history);
    CheckUseMRU = NewCheck(history, "CheckUseMRU", QStringLiteral("履歴を保存する"));
    auto *mruLabel = NewLabel(history, QStringLiteral("保存履歴数"));
    LxNumEditCtrl6 = NewNumber(history, "LxNumEditCtrl6", 2);
    historyRow->addWidget(CheckUseMRU);
    historyRow->addStretch(1);
    historyRow->addWidget(mruLabel);
    historyRow->addWidget(LxNumEditCtrl6);
    LxNumEditCtrl6->setProperty("rowLabel", QVariant::fromValue<QObject *>(mruLabel));
    QObject::connect(CheckUseMRU, &QCheckBox::clicked, this, [this] { UpdateGeneralRows(); });
    layout->addWidget(history);

    QGroupBox *sound = NewGroup(page, QStringLiteral(" 効果音 "), QStringLiteral("エディタのカスタマイズ"));
    auto *soundGrid = new QGridLayout(sound);
    CheckBox6 = NewCheck(sound, "CheckBox6", QStringLiteral("使用する"));
    CheckBox7 = NewCheck(sound, "CheckBox7", QStringLiteral("メッセージ"));
    LxEditCtrl2 = NewField(sound, "LxEditCtrl2", true);
    ButtonMsgSound = NewButton(sound, "ButtonMsgSound", QStringLiteral("..."));
    ButtonMsgTest = NewButton(sound, "ButtonMsgTest", QStringLiteral("♪"), QStringLiteral("テストします"));
    CheckBox9 = NewCheck(sound, "CheckBox9", QStringLiteral("クリック"));
    LxEditCtrl3 = NewField(sound, "LxEditCtrl3", true);
    ButtonClkSound = NewButton(sound, "ButtonClkSound", QStringLiteral("..."));
    ButtonClkTest = NewButton(sound, "ButtonClkTest", QStringLiteral("♪"), QStringLiteral("テストします"));
    soundGrid->addWidget(CheckBox6, 0, 0, 1, 4);
    soundGrid->addWidget(CheckBox7, 1, 0);
    soundGrid->addWidget(LxEditCtrl2, 1, 1);
    soundGrid->addWidget(ButtonMsgSound, 1, 2);
    soundGrid->addWidget(ButtonMsgTest, 1, 3);
    soundGrid->addWidget(CheckBox9, 2, 0);
    soundGrid->addWidget(LxEditCtrl3, 2, 1);
    soundGrid->addWidget(ButtonClkSound, 2, 2);
    soundGrid->addWidget(ButtonClkTest, 2, 3);
    soundGrid->setColumnStretch(1, 1);
    layout->addWidget(sound);

    QObject::connect(CheckBox6, &QCheckBox::clicked, this, [this](bool on) {
        // Switching sounds off forgets both files.
        if (!on) {
            CheckBox7->setChecked(false);
            SoundCheckClick(CheckBox7, LxEditCtrl2, ButtonMsgTest);
            CheckBox9->setChecked(false);
            SoundCheckClick(CheckBox9, LxEditCtrl3, ButtonClkTest);
        }
        UpdateGeneralRows();
    });
    QObject::connect(CheckBox7, &QCheckBox::clicked, this,
                     [this] { SoundCheckClick(CheckBox7, LxEditCtrl2, ButtonMsgTest); });
    QObject::connect(CheckBox9, &QCheckBox::clicked, this,
                     [this] { SoundCheckClick(CheckBox9, LxEditCtrl3, ButtonClkTest); });
    QObject::connect(ButtonMsgSound, &QToolButton::clicked, this, [this] { SelectSoundFile(LxEditCtrl2); });
    QObject::connect(ButtonClkSound, &QToolButton::clicked, this, [this] { SelectSoundFile(LxEditCtrl3); });
    QObject::connect(ButtonMsgTest, &QToolButton::clicked, this,
                     [this] { PlaySound(LxEditCtrl2->text().trimmed()); });
    QObject::connect(ButtonClkTest, &QToolButton::clicked, this,
                     [this] { PlaySound(LxEditCtrl3->text().trimmed()); });
    for (QLineEdit *field : {LxEditCtrl2, LxEditCtrl3})
        QObject::connect(field, &QLineEdit::textChanged, this, [this] {
            ButtonMsgTest->setEnabled(!LxEditCtrl2->text().trimmed().isEmpty());
            ButtonClkTest->setEnabled(!LxEditCtrl3->text().trimmed().isEmpty());
            CheckChanges();
        });

    CheckBox10 = NewCheck(page, "CheckBox10", QStringLiteral("前回のウインドゥ位置で開く"));
    layout->addWidget(CheckBox10);
    layout->addStretch(1);
    return page;
}

QWidget *TFormOption::CreateEditorPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    QGroupBox *font = NewGroup(page, QStringLiteral(" フォント "));
    auto *fontGrid = new QGridLayout(font);
    LxEditCtrl1 = NewField(font, "LxEditCtrl1", true);
    ButtonEditorFont = NewButton(font, "ButtonEditorFont", QStringLiteral("..."));
    LxNumEditCtrl3 = NewNumber(font, "LxNumEditCtrl3", 2);
    CheckBox3 = new QCheckBox(QStringLiteral("固定ピッチフォントのみ"), font);
    CheckBox4 = new QCheckBox(QStringLiteral("TTFフォントのみ"), font);
    CheckBox5 = new QCheckBox(QStringLiteral("OEMフォントを除く"), font);
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    CheckBox4->setObjectName(QStringLiteral("CheckBox4"));
    CheckBox5->setObjectName(QStringLiteral("CheckBox5"));
    fontGrid->addWidget(LxEditCtrl1, 0, 0, 1, 2);
    fontGrid->addWidget(ButtonEditorFont, 0, 2);
    fontGrid->addWidget(LxNumEditCtrl3, 0, 3);
    auto *filters = new QHBoxLayout;
    filters->addWidget(CheckBox3);
    filters->addWidget(CheckBox4);
    filters->addWidget(CheckBox5);
    filters->addStretch(1);
    fontGrid->addLayout(filters, 1, 0, 1, 4);
    fontGrid->setColumnStretch(0, 1);
    QObject::connect(ButtonEditorFont, &QToolButton::clicked, this,
                     [this] { SelectFont(LxEditCtrl1, LxNumEditCtrl3, true); });
    layout->addWidget(font);

    QGroupBox *left = NewGroup(page, QStringLiteral("Leftバー"));
    auto *leftRow = new QHBoxLayout(left);
    CheckBox1 = NewCheck(left, "CheckBox1", QStringLiteral("行番号表示"));
    auto *widthLabel = NewLabel(left, QStringLiteral("表示幅"));
    LxNumEditCtrl1 = NewNumber(left, "LxNumEditCtrl1", 3);
    auto *bgLabel = NewLabel(left, QStringLiteral("背景色"));
    ColorBox1 = NewColorBox(left, "ColorBox1");
    auto *frLabel = NewLabel(left, QStringLiteral("文字色"));
    ColorBox2 = NewColorBox(left, "ColorBox2");
    auto *leftGrid = new QGridLayout;
    leftGrid->addWidget(widthLabel, 0, 0);
    leftGrid->addWidget(LxNumEditCtrl1, 0, 1, Qt::AlignLeft);
    leftGrid->addWidget(bgLabel, 1, 0);
    leftGrid->addWidget(ColorBox1, 1, 1);
    leftGrid->addWidget(frLabel, 1, 2);
    leftGrid->addWidget(ColorBox2, 1, 3);
    leftRow->addWidget(CheckBox1, 0, Qt::AlignTop);
    leftRow->addLayout(leftGrid, 1);
    LxNumEditCtrl1->setProperty("rowLabel", QVariant::fromValue<QObject *>(widthLabel));
    ColorBox1->setProperty("rowLabel", QVariant::fromValue<QObject *>(bgLabel));
    ColorBox2->setProperty("rowLabel", QVariant::fromValue<QObject *>(frLabel));
    QObject::connect(CheckBox1, &QCheckBox::clicked, this, [this] { UpdateEditorRows(); });
    layout->addWidget(left);

    QGroupBox *text = NewGroup(page, QStringLiteral(" テキスト "));
    auto *textGrid = new QGridLayout(text);
    ColorBox4 = NewColorBox(text, "ColorBox4");
    ColorBox6 = NewColorBox(text, "ColorBox6");
    LxNumEditCtrl2 = NewNumber(text, "LxNumEditCtrl2", 2);
    LxNumEditCtrl4 = NewNumber(text, "LxNumEditCtrl4", 2);
    LxNumEditCtrl5 = NewNumber(text, "LxNumEditCtrl5", 2);
    CheckBox2 = NewCheck(text, "CheckBox2", QStringLiteral("制御コード表示"));
    ColorBox5 = NewColorBox(text, "ColorBox5");
    textGrid->addWidget(NewLabel(text, QStringLiteral("背景色")), 0, 0);
    textGrid->addWidget(ColorBox4, 0, 1);
    textGrid->addWidget(NewLabel(text, QStringLiteral("文字色")), 0, 2);
    textGrid->addWidget(ColorBox6, 0, 3);
    textGrid->addWidget(NewLabel(text, QStringLiteral("タブインデント")), 1, 0);
    textGrid->addWidget(LxNumEditCtrl2, 1, 1, Qt::AlignLeft);
    auto *margins = new QHBoxLayout;
    margins->addWidget(NewLabel(text, QStringLiteral("上余白")));
    margins->addWidget(LxNumEditCtrl4);
    margins->addWidget(NewLabel(text, QStringLiteral("左余白")));
    margins->addWidget(LxNumEditCtrl5);
    margins->addStretch(1);
    textGrid->addLayout(margins, 1, 2, 1, 2);
    textGrid->addWidget(CheckBox2, 2, 0, 1, 2);
    textGrid->addWidget(ColorBox5, 2, 3);
    textGrid->setColumnStretch(1, 1);
    textGrid->setColumnStretch(3, 1);
    QObject::connect(CheckBox2, &QCheckBox::clicked, this, [this] { UpdateEditorRows(); });
    layout->addWidget(text);

    QGroupBox *decode = NewGroup(page, QStringLiteral(" デコード "),
                                 QStringLiteral("内臓エディタを開いたときのデコード方法を指定"));
    auto *decodeRow = new QHBoxLayout(decode);
    RadioShiftJis = new QRadioButton(QStringLiteral("SHIFT-JISで読込"), decode);
    RadioAutoDecode = new QRadioButton(QStringLiteral("開くときに自動判定"), decode);
    RadioShiftJis->setObjectName(QStringLiteral("RadioShiftJis"));
    RadioAutoDecode->setObjectName(QStringLiteral("RadioAutoDecode"));
    RadioShiftJis->setChecked(true);
    decodeRow->addWidget(RadioShiftJis);
    decodeRow->addWidget(RadioAutoDecode);
    decodeRow->addStretch(1);
    for (QRadioButton *radio : {RadioShiftJis, RadioAutoDecode})
        QObject::connect(radio, &QRadioButton::clicked, this, [this] { CheckChanges(); });
    layout->addWidget(decode);
    layout->addStretch(1);
    return page;
}

QWidget *TFormOption::CreatePreviewPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    QGroupBox *colors = NewGroup(page, QStringLiteral("カラー設定（プレビュー画面）"));
    auto *colorGrid = new QGridLayout(colors);
    ColorBoxBGColor = NewColorBox(colors, "ColorBoxBGColor");
    ColorBoxPaperColor = NewColorBox(colors, "ColorBoxPaperColor");
    ColorBoxPaperShadowColor = NewColorBox(colors, "ColorBoxPaperShadowColor");
    colorGrid->addWidget(NewLabel(colors, QStringLiteral("背景色")), 0, 0);
    colorGrid->addWidget(ColorBoxBGColor, 0, 1);
    colorGrid->addWidget(NewLabel(colors, QStringLiteral("用紙色")), 0, 2);
    colorGrid->addWidget(ColorBoxPaperColor, 0, 3);
    colorGrid->addWidget(NewLabel(colors, QStringLiteral("用紙影色")), 1, 0);
    colorGrid->addWidget(ColorBoxPaperShadowColor, 1, 1);
    colorGrid->setColumnStretch(1, 1);
    colorGrid->setColumnStretch(3, 1);
    layout->addWidget(colors);

    QGroupBox *font = NewGroup(page, QStringLiteral(" フォント "));
    auto *fontRow = new QHBoxLayout(font);
    LxEditPrevFontName = NewField(font, "LxEditPrevFontName", true);
    ButtonPreviewFont = NewButton(font, "ButtonPreviewFont", QStringLiteral("..."));
    LxNumPreviewFontSize = NewNumber(font, "LxNumPreviewFontSize", 2);
    fontRow->addWidget(LxEditPrevFontName, 1);
    fontRow->addWidget(ButtonPreviewFont);
    fontRow->addWidget(LxNumPreviewFontSize);
    QObject::connect(ButtonPreviewFont, &QToolButton::clicked, this,
                     [this] { SelectFont(LxEditPrevFontName, LxNumPreviewFontSize, false); });
    layout->addWidget(font);

    QGroupBox *margins = NewGroup(page, QStringLiteral("余白（mm）"));
    auto *marginGrid = new QGridLayout(margins);
    LxNumTopMarg = NewNumber(margins, "LxNumTopMarg", 4, 1);
    LxNumBootommMarg = NewNumber(margins, "LxNumBootommMarg", 4, 1);
    LxNumLeftMarg = NewNumber(margins, "LxNumLeftMarg", 4, 1);
    LxNumRightMarg = NewNumber(margins, "LxNumRightMarg", 4, 1);
    const std::pair<const char *, TLxNumEditCtrl *> marginFields[] = {
        {"ヘッダ余白", LxNumTopMarg}, {"フッタ余白", LxNumBootommMarg},
        {"左余白", LxNumLeftMarg},   {"右余白", LxNumRightMarg}};
    int column = 0;
    for (const auto &[caption, field] : marginFields) {
        field->SetDeciDispZero(true);
        marginGrid->addWidget(NewLabel(margins, QString::fromUtf8(caption)), column / 4, column % 4);
        marginGrid->addWidget(field, column / 4, column % 4 + 1);
        column += 2;
    }
    marginGrid->setColumnStretch(1, 1);
    marginGrid->setColumnStretch(3, 1);
    layout->addWidget(margins);

    auto *headFoot = new QHBoxLayout;
    QGroupBox *header = NewGroup(page, QStringLiteral("ヘッダ"));
    auto *headerCol = new QVBoxLayout(header);
    CheckHeaderBorder = NewCheck(header, "CheckHeaderBorder", QStringLiteral("ボーダー"));
    CheckFileName = NewCheck(header, "CheckFileName", QStringLiteral("ファイル名"));
    CheckDate = NewCheck(header, "CheckDate", QStringLiteral("日付"));
    headerCol->addWidget(CheckHeaderBorder);
    headerCol->addWidget(CheckFileName);
    headerCol->addWidget(CheckDate);
    QGroupBox *footer = NewGroup(page, QStringLiteral("フッタ"));
    auto *footerGrid = new QGridLayout(footer);
    CheckFooterBorder = NewCheck(footer, "CheckFooterBorder", QStringLiteral("ボーダー"));
    CheckPageNo = NewCheck(footer, "CheckPageNo", QStringLiteral("ページNo"));
    CheckOwthor = NewCheck(footer, "CheckOwthor", QStringLiteral("社名"));
    LxEditOwthorName = NewField(footer, "LxEditOwthorName", false);
    QObject::connect(LxEditOwthorName, &QLineEdit::textChanged, this, [this] { CheckChanges(); });
    footerGrid->addWidget(CheckFooterBorder, 0, 0, 1, 2);
    footerGrid->addWidget(CheckPageNo, 1, 0, 1, 2);
    footerGrid->addWidget(CheckOwthor, 2, 0);
    footerGrid->addWidget(LxEditOwthorName, 2, 1);
    footerGrid->setColumnStretch(1, 1);
    headFoot->addWidget(header);
    headFoot->addWidget(footer, 1);
    layout->addLayout(headFoot);

    QGroupBox *other = NewGroup(page, QStringLiteral("その他"));
    auto *otherGrid = new QGridLayout(other);
    LxNumRowMarg = NewNumber(other, "LxNumRowMarg", 3);
    LxNumRowMarg->SetMaxValue(int32_t(K::Preview::RowMarg.Max));
    CheckPrintableRect = NewCheck(other, "CheckPrintableRect", QStringLiteral("印字可能範囲の表示"));
    CheckUseRowNo = NewCheck(other, "CheckUseRowNo", QStringLiteral("行番号印刷"));
    CheckMarginMark = NewCheck(other, "CheckMarginMark", QStringLiteral("余白マーカー表示"));
    otherGrid->addWidget(NewLabel(other, QStringLiteral("行マージン")), 0, 0);
    otherGrid->addWidget(LxNumRowMarg, 0, 1, Qt::AlignLeft);
    otherGrid->addWidget(CheckPrintableRect, 0, 2);
    otherGrid->addWidget(CheckUseRowNo, 1, 0, 1, 2);
    otherGrid->addWidget(CheckMarginMark, 1, 2);
    otherGrid->setColumnStretch(2, 1);
    layout->addWidget(other);
    layout->addStretch(1);
    return page;
}

void TFormOption::SelectPage(int Page)
{
    if (Page < 0 || Page > 2)
        return;
    FPage = Page;
    PageControl->setCurrentIndex(Page);
    setWindowTitle(FBaseTitle + kSuffixes[Page]);
    switch (Page) {
    case 0: LoadOrSaveGeneral(true); break;
    case 1: LoadOrSaveEditor(true); break;
    default: LoadOrSavePreview(true); break;
    }
    CheckChanges();
    // The page's own height, or more where the desktop's fonts need it: nothing is clipped.
    for (int i = 0; i < PageControl->count(); ++i)
        PageControl->widget(i)->setSizePolicy(i == Page ? QSizePolicy::Preferred : QSizePolicy::Ignored,
                                              i == Page ? QSizePolicy::Preferred : QSizePolicy::Ignored);
    PageControl->adjustSize();
    const QSize hint = sizeHint();
    // A dialog border: the size is fixed.
    setFixedSize(std::max(kWidth, hint.width()), std::max(kHeights[Page], hint.height()));
}

QString TFormOption::ChosenWorkFolder() const
{
    return CheckBox8->isChecked() ? LxEditCtrl4->text() : LxEditCtrl5->text();
}

void TFormOption::UpdateGeneralRows()
{
    const bool useDefault = CheckBox8->isChecked();
    if (useDefault && LxEditCtrl4->text().isEmpty())
        LxEditCtrl4->setText(DefaultFolder());
    LxEditCtrl4->setVisible(useDefault);
    for (QWidget *w : {static_cast<QWidget *>(LxEditCtrl5), static_cast<QWidget *>(ButtonFolder),
                       qobject_cast<QWidget *>(LxEditCtrl5->property("rowLabel").value<QObject *>())})
        if (w)
            w->setVisible(!useDefault);

    const bool mru = CheckUseMRU->isChecked();
    LxNumEditCtrl6->setVisible(mru);
    if (auto *label = qobject_cast<QWidget *>(LxNumEditCtrl6->property("rowLabel").value<QObject *>()))
        label->setVisible(mru);

    const bool sound = CheckBox6->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{CheckBox7, LxEditCtrl2, ButtonMsgSound, ButtonMsgTest, CheckBox9,
                                                       LxEditCtrl3, ButtonClkSound, ButtonClkTest})
        w->setVisible(sound);
    ButtonMsgSound->setEnabled(CheckBox7->isChecked());
    ButtonClkSound->setEnabled(CheckBox9->isChecked());
    ButtonMsgTest->setEnabled(!LxEditCtrl2->text().trimmed().isEmpty());
    ButtonClkTest->setEnabled(!LxEditCtrl3->text().trimmed().isEmpty());
}

void TFormOption::UpdateEditorRows()
{
    const bool lineNumbers = CheckBox1->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{LxNumEditCtrl1, ColorBox1, ColorBox2}) {
        w->setVisible(lineNumbers);
        if (auto *label = qobject_cast<QWidget *>(w->property("rowLabel").value<QObject *>()))
            label->setVisible(lineNumbers);
    }
    ColorBox5->setVisible(CheckBox2->isChecked());
}

void TFormOption::SoundCheckClick(QCheckBox *check, QLineEdit *field, QToolButton *test)
{
    const bool on = check->isChecked();
    (check == CheckBox7 ? ButtonMsgSound : ButtonClkSound)->setEnabled(on);
    if (!on) {
        field->clear();
        test->setEnabled(false);
    }
    CheckChanges();
}

void TFormOption::SelectSoundFile(QLineEdit *field)
{
    QString fileName = field->text().trimmed();
    if (PickSoundFile && PickSoundFile(fileName))
        field->setText(fileName);
}

void TFormOption::SelectFolder()
{
    QString folder = LxEditCtrl5->text().trimmed();
    if (PickFolder && PickFolder(folder))
        LxEditCtrl5->setText(folder);
    CheckChanges();
}

void TFormOption::SelectFont(QLineEdit *name, TLxNumEditCtrl *size, bool withFilters)
{
    // The stored name may be a substitute such as "ＭＳ ゴシック": the dialog is shown the face
    // it resolves to.
    QFont font(name->text());
    font.setPointSize(std::max(1, size->IntValue()));
    font.setFamily(QFontInfo(font).family());
    QFontDialog::FontDialogOptions options;
    if (withFilters) {
        if (CheckBox3->isChecked())
            options |= QFontDialog::MonospacedFonts;
        if (CheckBox4->isChecked() || CheckBox5->isChecked())
            options |= QFontDialog::ScalableFonts;
    }
    if (!PickFont || !PickFont(font, options))
        return;
    name->setText(font.family());
    if (font.pointSize() > 0)
        size->SetValue(font.pointSize());
    CheckChanges();
}

bool TFormOption::GeneralChanged() const
{
    const TAppIniData &s = FSettings;
    return CheckBox8->isChecked() != s.ReadBool(K::General::IsUseDefaultFolder) ||
           ChosenWorkFolder() != s.ReadString(K::General::WorkFolder) ||
           CheckUseMRU->isChecked() != s.ReadBool(K::General::UseMRU) ||
           TypedInt(LxNumEditCtrl6) != s.ReadInteger(K::General::MRUMax) ||
           LxEditCtrl2->text().trimmed() != LoadedSound(s, K::General::MsgSound) ||
           LxEditCtrl3->text().trimmed() != LoadedSound(s, K::General::ClkSound) ||
           CheckBox10->isChecked() != s.ReadBool(K::General::FormPosLoad);
}

bool TFormOption::EditorChanged() const
{
    const TAppIniData &s = FSettings;
    return LxEditCtrl1->text() != s.ReadString(K::Editor::FontName) ||
           TypedInt(LxNumEditCtrl3) != s.ReadInteger(K::Editor::FontSize) ||
           CheckBox1->isChecked() != s.ReadBool(K::Editor::ShowLinNo) ||
           TypedInt(LxNumEditCtrl1) != s.ReadInteger(K::Editor::LinNoWidth) ||
           ColorBox1->Selected() != s.ReadColor(K::Editor::LinNoBGColor) ||
           ColorBox2->Selected() != s.ReadColor(K::Editor::LinNoFRColor) ||
           ColorBox4->Selected() != s.ReadColor(K::Editor::TextBGColor) ||
           ColorBox6->Selected() != s.ReadColor(K::Editor::TextFRColor) ||
           CheckBox2->isChecked() != s.ReadBool(K::Editor::ShowCtrlCode) ||
           ColorBox5->Selected() != s.ReadColor(K::Editor::CtrlCodeColor) ||
           TypedInt(LxNumEditCtrl2) != s.ReadInteger(K::Editor::TABWidth) ||
           TypedInt(LxNumEditCtrl4) != s.ReadInteger(K::Editor::TopMarg) ||
           TypedInt(LxNumEditCtrl5) != s.ReadInteger(K::Editor::LeftMarg) ||
           RadioAutoDecode->isChecked() != s.ReadBool(K::Editor::AutoDecode);
}

bool TFormOption::PreviewChanged() const
{
    const TAppIniData &s = FSettings;
    auto marginChanged = [&](TLxNumEditCtrl *field, const TCurrencyKey &key) {
        return TypedValue(field) != AsField(field, s.ReadCurrency(key));
    };
    return ColorBoxBGColor->Selected() != s.ReadColor(K::Preview::BGColor) ||
           ColorBoxPaperColor->Selected() != s.ReadColor(K::Preview::PaperColor) ||
           ColorBoxPaperShadowColor->Selected() != s.ReadColor(K::Preview::PaperShadowColor) ||
           LxEditPrevFontName->text() != s.ReadString(K::Preview::FontName) ||
           TypedInt(LxNumPreviewFontSize) != s.ReadInteger(K::Preview::FontSize) ||
           marginChanged(LxNumTopMarg, K::Preview::TopMarg) ||
           marginChanged(LxNumBootommMarg, K::Preview::BottomMarg) ||
           marginChanged(LxNumLeftMarg, K::Preview::LeftMarg) ||
           marginChanged(LxNumRightMarg, K::Preview::RigtmMarg) ||
           CheckHeaderBorder->isChecked() != s.ReadBool(K::Preview::ShowHeaderBorder) ||
           CheckFileName->isChecked() != s.ReadBool(K::Preview::ShowFileName) ||
           CheckDate->isChecked() != s.ReadBool(K::Preview::ShowDate) ||
           CheckFooterBorder->isChecked() != s.ReadBool(K::Preview::ShowFooterBorder) ||
           CheckPageNo->isChecked() != s.ReadBool(K::Preview::ShowPageNo) ||
           CheckOwthor->isChecked() != s.ReadBool(K::Preview::ShowOwthor) ||
           LxEditOwthorName->text() != s.ReadString(K::Preview::OwthorName) ||
           TypedInt(LxNumRowMarg) != s.ReadInteger(K::Preview::RowMarg) ||
           CheckPrintableRect->isChecked() != s.ReadBool(K::Preview::ShowPrintableRect) ||
           CheckUseRowNo->isChecked() != s.ReadBool(K::Preview::UseRowNo) ||
           CheckMarginMark->isChecked() != s.ReadBool(K::Preview::ShowMarginMark);
}

void TFormOption::CheckChanges()
{
    if (Loading || FPage < 0)
        return;
    const bool changed = FPage == 0 ? GeneralChanged() : FPage == 1 ? EditorChanged() : PreviewChanged();
    ButtonUpdate->setEnabled(changed);
}

bool TFormOption::LoadOrSaveGeneral(bool Load)
{
    TAppIniData &s = FSettings;
    if (Load) {
        Loading = true;
        const bool useDefault = s.ReadBool(K::General::IsUseDefaultFolder);
        CheckBox8->setChecked(useDefault);
        LxEditCtrl4->setText(DefaultFolder());
        LxEditCtrl5->setText(useDefault ? QString() : s.ReadString(K::General::WorkFolder));
        CheckUseMRU->setChecked(s.ReadBool(K::General::UseMRU));
        LxNumEditCtrl6->SetText(QString::number(s.ReadInteger(K::General::MRUMax)));
        const bool sound = s.ReadBool(K::General::UseSound);
        CheckBox6->setChecked(sound);
        const QString msg = s.ReadString(K::General::MsgSound);
        const QString clk = s.ReadString(K::General::ClkSound);
        CheckBox7->setChecked(sound && !msg.trimmed().isEmpty());
        LxEditCtrl2->setText(CheckBox7->isChecked() ? msg : QString());
        CheckBox9->setChecked(sound && !clk.trimmed().isEmpty());
        LxEditCtrl3->setText(CheckBox9->isChecked() ? clk : QString());
        CheckBox10->setChecked(s.ReadBool(K::General::FormPosLoad));
        UpdateGeneralRows();
        Loading = false;
        return true;
    }
    // An empty chosen folder means the default one: the flag and the folder stored agree, so
    // that the program never ends up without a work folder.
    const QString chosen = LxEditCtrl5->text().trimmed();
    const bool useDefault = CheckBox8->isChecked() || chosen.isEmpty();
    s.Write(K::General::IsUseDefaultFolder, useDefault);
    s.Write(K::General::WorkFolder, useDefault ? DefaultFolder() : chosen);
    s.Write(K::General::UseMRU, CheckUseMRU->isChecked());
    s.Write(K::General::MRUMax, FieldInt(LxNumEditCtrl6));
    s.Write(K::General::UseSound, CheckBox6->isChecked());
    s.Write(K::General::MsgSound, LxEditCtrl2->text().trimmed());
    s.Write(K::General::ClkSound, LxEditCtrl3->text().trimmed());
    s.Write(K::General::FormPosLoad, CheckBox10->isChecked());
    return s.General()->Save();
}

bool TFormOption::LoadOrSaveEditor(bool Load)
{
    TAppIniData &s = FSettings;
    if (Load) {
        Loading = true;
        LxEditCtrl1->setText(s.ReadString(K::Editor::FontName));
        LxNumEditCtrl3->SetText(QString::number(s.ReadInteger(K::Editor::FontSize)));
        CheckBox1->setChecked(s.ReadBool(K::Editor::ShowLinNo));
        LxNumEditCtrl1->SetText(QString::number(s.ReadInteger(K::Editor::LinNoWidth)));
        ColorBox1->SetSelected(s.ReadColor(K::Editor::LinNoBGColor));
        ColorBox2->SetSelected(s.ReadColor(K::Editor::LinNoFRColor));
        ColorBox4->SetSelected(s.ReadColor(K::Editor::TextBGColor));
        ColorBox6->SetSelected(s.ReadColor(K::Editor::TextFRColor));
        CheckBox2->setChecked(s.ReadBool(K::Editor::ShowCtrlCode));
        ColorBox5->SetSelected(s.ReadColor(K::Editor::CtrlCodeColor));
        LxNumEditCtrl2->SetText(QString::number(s.ReadInteger(K::Editor::TABWidth)));
        LxNumEditCtrl4->SetText(QString::number(s.ReadInteger(K::Editor::TopMarg)));
        LxNumEditCtrl5->SetText(QString::number(s.ReadInteger(K::Editor::LeftMarg)));
        (s.ReadBool(K::Editor::AutoDecode) ? RadioAutoDecode : RadioShiftJis)->setChecked(true);
        UpdateEditorRows();
        Loading = false;
        return true;
    }
    s.Write(K::Editor::FontName, LxEditCtrl1->text());
    s.Write(K::Editor::FontSize, FieldInt(LxNumEditCtrl3));
    s.Write(K::Editor::ShowLinNo, CheckBox1->isChecked());
    s.Write(K::Editor::LinNoWidth, FieldInt(LxNumEditCtrl1));
    s.Write(K::Editor::LinNoBGColor, ColorBox1->Selected());
    s.Write(K::Editor::LinNoFRColor, ColorBox2->Selected());
    s.Write(K::Editor::TextBGColor, ColorBox4->Selected());
    s.Write(K::Editor::TextFRColor, ColorBox6->Selected());
    s.Write(K::Editor::ShowCtrlCode, CheckBox2->isChecked());
    s.Write(K::Editor::CtrlCodeColor, ColorBox5->Selected());
    s.Write(K::Editor::TABWidth, FieldInt(LxNumEditCtrl2));
    s.Write(K::Editor::TopMarg, FieldInt(LxNumEditCtrl4));
    s.Write(K::Editor::LeftMarg, FieldInt(LxNumEditCtrl5));
    s.Write(K::Editor::AutoDecode, RadioAutoDecode->isChecked());
    return s.Editor()->Save();
}

bool TFormOption::LoadOrSavePreview(bool Load)
{
    TAppIniData &s = FSettings;
    const std::pair<TLxNumEditCtrl *, const TCurrencyKey *> margins[] = {
        {LxNumTopMarg, &K::Preview::TopMarg},
        {LxNumBootommMarg, &K::Preview::BottomMarg},
        {LxNumLeftMarg, &K::Preview::LeftMarg},
        {LxNumRightMarg, &K::Preview::RigtmMarg},
    };
    if (Load) {
        Loading = true;
        ColorBoxBGColor->SetSelected(s.ReadColor(K::Preview::BGColor));
        ColorBoxPaperColor->SetSelected(s.ReadColor(K::Preview::PaperColor));
        ColorBoxPaperShadowColor->SetSelected(s.ReadColor(K::Preview::PaperShadowColor));
        LxEditPrevFontName->setText(s.ReadString(K::Preview::FontName));
        LxNumPreviewFontSize->SetText(QString::number(s.ReadInteger(K::Preview::FontSize)));
        for (const auto &[field, key] : margins)
            field->SetText(QString::number(s.ReadCurrency(*key), 'f', 4));
        CheckHeaderBorder->setChecked(s.ReadBool(K::Preview::ShowHeaderBorder));
        CheckFileName->setChecked(s.ReadBool(K::Preview::ShowFileName));
        CheckDate->setChecked(s.ReadBool(K::Preview::ShowDate));
        CheckFooterBorder->setChecked(s.ReadBool(K::Preview::ShowFooterBorder));
        CheckPageNo->setChecked(s.ReadBool(K::Preview::ShowPageNo));
        CheckOwthor->setChecked(s.ReadBool(K::Preview::ShowOwthor));
        LxEditOwthorName->setText(s.ReadString(K::Preview::OwthorName));
        LxNumRowMarg->SetText(QString::number(s.ReadInteger(K::Preview::RowMarg)));
        CheckPrintableRect->setChecked(s.ReadBool(K::Preview::ShowPrintableRect));
        CheckUseRowNo->setChecked(s.ReadBool(K::Preview::UseRowNo));
        CheckMarginMark->setChecked(s.ReadBool(K::Preview::ShowMarginMark));
        Loading = false;
        return true;
    }
    s.Write(K::Preview::BGColor, ColorBoxBGColor->Selected());
    s.Write(K::Preview::PaperColor, ColorBoxPaperColor->Selected());
    s.Write(K::Preview::PaperShadowColor, ColorBoxPaperShadowColor->Selected());
    s.Write(K::Preview::FontName, LxEditPrevFontName->text());
    s.Write(K::Preview::FontSize, FieldInt(LxNumPreviewFontSize));
    // A margin the field cannot show to its last place is kept as stored unless it was changed.
    for (const auto &[field, key] : margins)
        if (field->Value() != AsField(field, s.ReadCurrency(*key)))
            s.Write(*key, FieldCurrency(field));
    s.Write(K::Preview::ShowHeaderBorder, CheckHeaderBorder->isChecked());
    s.Write(K::Preview::ShowFileName, CheckFileName->isChecked());
    s.Write(K::Preview::ShowDate, CheckDate->isChecked());
    s.Write(K::Preview::ShowFooterBorder, CheckFooterBorder->isChecked());
    s.Write(K::Preview::ShowPageNo, CheckPageNo->isChecked());
    s.Write(K::Preview::ShowOwthor, CheckOwthor->isChecked());
    s.Write(K::Preview::OwthorName, LxEditOwthorName->text());
    s.Write(K::Preview::RowMarg, FieldInt(LxNumRowMarg));
    s.Write(K::Preview::ShowPrintableRect, CheckPrintableRect->isChecked());
    s.Write(K::Preview::UseRowNo, CheckUseRowNo->isChecked());
    s.Write(K::Preview::ShowMarginMark, CheckMarginMark->isChecked());
    return s.Preview()->Save();
}

void TFormOption::UpdateClick()
{
    bool saved = true;
    switch (FPage) {
    case 0: saved = LoadOrSaveGeneral(false); break;
    case 1: saved = LoadOrSaveEditor(false); break;
    case 2: saved = LoadOrSavePreview(false); break;
    default: break;
    }
    if (!saved) {
        tovik::platform::ShowMessage(this, QStringLiteral("設定ファイルに書き込めませんでした"));
        return;
    }
    accept();
}
