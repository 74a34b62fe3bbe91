// The text viewer window: shows an archive entry that was extracted into memory, decoded to
// the display code page, in the read-only syntax-coloured editor. Created per entry, given
// the entry and its bytes, shown modally (exec) and freed.
//
//     TFrmTextView view(parent);
//     view.SetEntry(item);   // caption, file type, size field
//     view.SetText(bytes);   // decoding (automatic when "AutoDecode" is on)
//     view.exec();
//
// Nothing done here changes the archive: save-as writes the shown (Shift_JIS) text to a file
// the user names.
#ifndef TOVIK_SOURCE_TEXTVIEWFRM_H
#define TOVIK_SOURCE_TEXTVIEWFRM_H

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <string>

class QAction;
class QActionGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QRadioButton;
class QToolBar;
class TLxEditDocs;
class TLxFormInfo;
class TLxPackedItem;
class TLxTextEditor;
class TLxTextFileConverter;

class TFrmTextView : public QDialog
{
public:
    explicit TFrmTextView(QWidget *parent = nullptr);
    ~TFrmTextView() override;

    // The entry being shown (not owned; it must outlive the window): the caption gets its
    // stored path, the file type comes from its name, the size field shows its size.
    void SetEntry(const TLxPackedItem *entry);
    void SetEntry(const TLxPackedItem &entry) { SetEntry(&entry); }

    // The entry's bytes as extracted. With "AutoDecode" on, the character set is detected
    // and anything but Shift_JIS is decoded, with a note to the user; otherwise the bytes are
    // shown as they are (as Shift_JIS, up to the first zero byte).
    void SetText(const QByteArray &bytes);

    // Decodes RawText from the character set code into the editor's lines, then tells the
    // user which character set was decoded and shows its name in the status bar. False when
    // the converter has no decoder for it (it has said so) or the code is unknown; the shown
    // text stays then.
    bool Decode(int code);
    // The detected character set code of RawText, or -1 when it is Shift_JIS already (which
    // also disables "自動変換").
    int AutoDetect();

    // The shown text as display (Shift_JIS) lines: the editor's document.
    const TLxEditDocs &Lines() const;
    // The file extension (without dot) of the entry's name, as given.
    QString FileExt() const { return FileExt_; }

    // Writes the shown lines to fileName as Shift_JIS with CR LF; false (after the message)
    // when the file cannot be written.
    bool SaveLinesTo(const QString &fileName);
    // The find dialog's request: the editor's search; true on a hit.
    bool FindNext(const QString &text, bool down, bool wholeWord, bool matchCase);

    const TLxPackedItem *Entry = nullptr;
    QByteArray RawText;

    TLxTextEditor *LxTextEditor1 = nullptr;
    QLabel *LxPanelSize = nullptr;    // the entry's size, "1,234,567"
    QLabel *LxPanelCharSet = nullptr; // the character set's name
    QMenuBar *MainMenu1 = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QAction *Action1 = nullptr;       // "閉じる"
    QAction *ActSave = nullptr;       // "名前をつけて保存"
    QAction *ActPreview = nullptr;    // "印刷": the print preview of the shown lines (Ctrl+P)
    QAction *ActPrint = nullptr;      // the same action as ActPreview
    QLabel *LxPanelNote = nullptr;    // says when the entry is shown cut
    QAction *Action4 = nullptr;       // "自動変換"; disabled when the text is Shift_JIS already
    QAction *ActFind = nullptr;       // "検索(&F)"
    QAction *ActFileTypeC = nullptr;
    QAction *ActFileTypePas = nullptr;
    QAction *ActFileTypeJava = nullptr;
    QAction *ActFileTypeOther = nullptr;
    QActionGroup *FileTypeGroup = nullptr;
    QDialog *FindDialog1 = nullptr;   // modeless
    QLineEdit *FindText = nullptr;
    QRadioButton *FindDown = nullptr;
    QCheckBox *FindWholeWord = nullptr;
    QCheckBox *FindMatchCase = nullptr;
    TLxTextFileConverter *LxTextFileConverter1 = nullptr; // owned by the window
    TLxFormInfo *LxFormInfo1 = nullptr;

    // Opens the print preview of the shown lines, modally, and frees it when it closes.
    void ActPreviewExecute();
    // Ticks the file type that matches the editor's language.
    void ActFileTypeUpdate();
    // A character-code menu item's tag (1-11) to its character set code; 0 for another tag.
    static int CharSetCodeOfTag(int tag);

private:
    void FormCreate();
    void CreateActions();
    void CreateMenus();
    void CreateFindDialog();
    void DeCodeClick(QAction *item);
    void ActSaveExecute();
    void ActFindExecute();
    void FindDialog1Find();
    void SetFileType(const char *ext);
    void ShowBytesUnchanged();

    QString FileExt_ = QStringLiteral("txt");
};

#endif
