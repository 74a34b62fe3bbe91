#include "LxPnTOptions.h"

#include "Source/ColorBox.h"
#include "Source/LxPnGlobalState.h"
#include "Source/LxPnSystem.h"
#include "Source/OptionControls.h"
#include "Source/OptionEditorPage.h"
#include "Source/OptionGeneralPage.h"
#include "Source/OptionPreviewPage.h"
#include "LxFormInfo.h"
#include "LxNumEdit.h"
#include "platform/MessageBox.h"
#include "platform/WorkFolder.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStringListModel>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace K = SettingKeys;

namespace {

// The sound file as the general page loads it: shown only while sounds are on.
QString LoadedSound(const TAppIniData &s, const TTextKey &key)
{
    return s.ReadBool(SettingKeys::General::UseSound) ? s.ReadString(key).trimmed() : QString();
}

const QString kSuffixes[3] = {
    QStringLiteral(" 【一般オプション】"),
    QStringLiteral(" 【組込みエディタオプション】"),
    QStringLiteral(" 【プレビューオプション】"),
};
const int kHeights[3] = {320, 400, 436};
constexpr int kWidth = 420;

// Families of fixed pitch. The Japanese fonts do not say they are fixed, so the advances of a
// narrow and a wide letter decide.
bool IsFixedPitch(const QString &family)
{
    const QFontMetricsF metrics{QFont(family, 12)};
    return std::abs(metrics.horizontalAdvance(QLatin1Char('i')) - metrics.horizontalAdvance(QLatin1Char('W'))) < 0.01;
}

} // namespace

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
    PageControl->addWidget(CreateGeneralPage(*this));
    PageControl->addWidget(CreateEditorPage(*this));
    PageControl->addWidget(CreatePreviewPage(*this));
    ConnectPages();

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

// What the pages' clicks do besides the change check, which the pages connect themselves.
// Connected after the pages are made, so that a click checks the changes first.
void TFormOption::ConnectPages()
{
    // General page.
    QObject::connect(CheckBox8, &QCheckBox::clicked, this, [this] { UpdateGeneralRows(); });
    QObject::connect(ButtonFolder, &QToolButton::clicked, this, [this] { SelectFolder(); });
    QObject::connect(CheckUseMRU, &QCheckBox::clicked, this, [this] { UpdateGeneralRows(); });
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

    // Editor page.
    QObject::connect(ButtonEditorFont, &QToolButton::clicked, this,
                     [this] { SelectFont(LxEditCtrl1, LxNumEditCtrl3, true); });
    QObject::connect(CheckBox1, &QCheckBox::clicked, this, [this] { UpdateEditorRows(); });
    QObject::connect(CheckBox2, &QCheckBox::clicked, this, [this] { UpdateEditorRows(); });

    // Preview page.
    QObject::connect(ButtonPreviewFont, &QToolButton::clicked, this,
                     [this] { SelectFont(LxEditPrevFontName, LxNumPreviewFontSize, false); });
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
    for (QWidget *w : std::initializer_list<QWidget *>{LxEditCtrl5, ButtonFolder, RowLabel(LxEditCtrl5)})
        if (w)
            w->setVisible(!useDefault);

    const bool mru = CheckUseMRU->isChecked();
    LxNumEditCtrl6->setVisible(mru);
    if (QWidget *label = RowLabel(LxNumEditCtrl6))
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
        if (QWidget *label = RowLabel(w))
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
