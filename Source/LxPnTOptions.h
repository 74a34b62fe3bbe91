// The options dialog: edits one group of settings at a time (general, editor or preview), each
// on a page of its own whose tab is hidden. "更新" saves the page's changed keys and closes; it
// is enabled exactly while a control differs from its stored setting.
#ifndef TOVIK_SOURCE_LXPNTOPTIONS_H
#define TOVIK_SOURCE_LXPNTOPTIONS_H

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QFontDialog>

#include <cstdint>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QToolButton;
class TAppIniData;
class TColorBox;
class TLxFormInfo;
class TLxNumEditCtrl;

class TFormOption : public QDialog {
public:
    // settings: the store the dialog loads from and saves to; it is not owned.
    explicit TFormOption(TAppIniData &settings, QWidget *parent = nullptr);
    ~TFormOption() override;

    // Shows page 0 (general), 1 (editor) or 2 (preview): sets the title and height and loads
    // the page's settings.
    void SelectPage(int Page);
    int Page() const { return FPage; }

    // Load true copies the settings into the controls; false copies the controls into the
    // settings (only the keys that differ) and writes the section. Saving answers false when
    // the ini file could not be written.
    bool LoadOrSaveGeneral(bool Load);
    bool LoadOrSaveEditor(bool Load);
    bool LoadOrSavePreview(bool Load);
    // Enables "更新" exactly when a control of the page differs from its setting.
    void CheckChanges();

    // The default work folder: the system's temporary folder.
    static QString DefaultFolder();
    // Leaves only fixed-pitch families in the family list of Qt's own font dialog (its own
    // option leaves out the Japanese fonts, which do not report a fixed pitch). False when the
    // dialog has no such list.
    static bool KeepFixedPitchFamilies(QFontDialog &dialog);

    // The pickers and the sound output; the real dialogs by default, replaced in tests.
    std::function<bool(QString &folder)> PickFolder;
    std::function<bool(QString &fileName)> PickSoundFile;
    std::function<bool(QFont &font, QFontDialog::FontDialogOptions options)> PickFont;
    std::function<void(const QString &fileName)> PlaySound;

    // General page.
    QCheckBox *CheckBox8;  // "デフォルト"
    QLineEdit *LxEditCtrl4;  // the default folder
    QLineEdit *LxEditCtrl5;  // the chosen folder
    QToolButton *ButtonFolder;
    QCheckBox *CheckUseMRU;
    TLxNumEditCtrl *LxNumEditCtrl6;
    QCheckBox *CheckBox6;  // "使用する"
    QCheckBox *CheckBox7;  // message sound
    QLineEdit *LxEditCtrl2;
    QToolButton *ButtonMsgSound;
    QToolButton *ButtonMsgTest;
    QCheckBox *CheckBox9;  // click sound
    QLineEdit *LxEditCtrl3;
    QToolButton *ButtonClkSound;
    QToolButton *ButtonClkTest;
    QCheckBox *CheckBox10;

    // Editor page.
    QLineEdit *LxEditCtrl1;
    QToolButton *ButtonEditorFont;
    TLxNumEditCtrl *LxNumEditCtrl3;
    QCheckBox *CheckBox3;
    QCheckBox *CheckBox4;
    QCheckBox *CheckBox5;
    QCheckBox *CheckBox1;
    TLxNumEditCtrl *LxNumEditCtrl1;
    TColorBox *ColorBox1;
    TColorBox *ColorBox2;
    TColorBox *ColorBox4;
    TColorBox *ColorBox6;
    TLxNumEditCtrl *LxNumEditCtrl2;
    TLxNumEditCtrl *LxNumEditCtrl4;
    TLxNumEditCtrl *LxNumEditCtrl5;
    QCheckBox *CheckBox2;
    TColorBox *ColorBox5;
    QRadioButton *RadioShiftJis;
    QRadioButton *RadioAutoDecode;

    // Preview page.
    TColorBox *ColorBoxBGColor;
    TColorBox *ColorBoxPaperColor;
    TColorBox *ColorBoxPaperShadowColor;
    QLineEdit *LxEditPrevFontName;
    QToolButton *ButtonPreviewFont;
    TLxNumEditCtrl *LxNumPreviewFontSize;
    TLxNumEditCtrl *LxNumTopMarg;
    TLxNumEditCtrl *LxNumBootommMarg;
    TLxNumEditCtrl *LxNumLeftMarg;
    TLxNumEditCtrl *LxNumRightMarg;
    QCheckBox *CheckHeaderBorder;
    QCheckBox *CheckFileName;
    QCheckBox *CheckDate;
    QCheckBox *CheckFooterBorder;
    QCheckBox *CheckPageNo;
    QCheckBox *CheckOwthor;
    QLineEdit *LxEditOwthorName;
    TLxNumEditCtrl *LxNumRowMarg;
    QCheckBox *CheckPrintableRect;
    QCheckBox *CheckUseRowNo;
    QCheckBox *CheckMarginMark;

    QPushButton *ButtonUpdate;  // "更新"
    QPushButton *ButtonClose;   // "閉じる(&C)"
    QStackedWidget *PageControl;
    // Placement components, switched off: the dialog opens centred on its parent every time,
    // so they neither restore nor record a placement.
    TLxFormInfo *LxFormInfo1;
    TLxFormInfo *LxFormInfo2;

private:
    // The pages are made by their own units (OptionGeneralPage, OptionEditorPage,
    // OptionPreviewPage), which fill the controls above; this connects what their clicks do.
    void ConnectPages();

    // Shows or hides the rows that follow the general page's and editor page's check boxes.
    void UpdateGeneralRows();
    void UpdateEditorRows();
    void SoundCheckClick(QCheckBox *check, QLineEdit *field, QToolButton *test);
    void SelectSoundFile(QLineEdit *field);
    void SelectFont(QLineEdit *name, TLxNumEditCtrl *size, bool withFilters);
    void SelectFolder();
    void UpdateClick();

    // The work folder as the page says it.
    QString ChosenWorkFolder() const;
    bool GeneralChanged() const;
    bool EditorChanged() const;
    bool PreviewChanged() const;

    TAppIniData &FSettings;
    QString FBaseTitle;
    int FPage = -1;
    bool Loading = false;
};

#endif
