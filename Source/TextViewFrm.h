// The text viewer window: shows an archive entry that was extracted into memory, decoded to
// the display code page. Created per entry, given the entry and its bytes, shown modally
// (exec) and freed.
//
//     TFrmTextView view(parent);
//     view.SetEntry(item);   // caption, file type, size field
//     view.SetText(bytes);   // decoding (automatic when "AutoDecode" is on)
//     view.exec();
#ifndef TOVIK_SOURCE_TEXTVIEWFRM_H
#define TOVIK_SOURCE_TEXTVIEWFRM_H

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QPlainTextEdit;
class TLxTextFileConverter;
class TLxPackedItem;

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

    // Decodes RawText from the character set code into the shown lines, then tells the user
    // which character set was decoded and shows its name in the status bar. False when the
    // converter has no decoder for it (it has said so) or the code is unknown; the shown text
    // stays then.
    bool Decode(int code);
    // The detected character set code of RawText, or -1 when it is Shift_JIS already (which
    // also disables "自動変換").
    int AutoDetect();

    // Opens the print preview of the shown lines, modally, and frees it when it closes.
    void ActPrintExecute();

    // The shown text as display (Shift_JIS) lines.
    const std::vector<std::string> &Lines() const { return Lines_; }
    // The file extension (without dot) that chooses the syntax colouring.
    QString FileExt() const { return FileExt_; }

    const TLxPackedItem *Entry = nullptr;
    QByteArray RawText;

    QPlainTextEdit *LxTextEditor1 = nullptr;
    QLabel *LxPanelSize = nullptr;    // the entry's size, "1,234,567"
    QLabel *LxPanelCharSet = nullptr; // the character set's name
    QAction *Action4 = nullptr;       // "自動変換"; disabled when the text is Shift_JIS already
    QAction *ActPrint = nullptr;      // "印刷": the print preview of the shown lines (Ctrl+P)
    TLxTextFileConverter *LxTextFileConverter1 = nullptr; // owned by the window

private:
    void ApplySettings();
    void ShowLines();

    std::vector<std::string> Lines_;
    QString FileExt_ = QStringLiteral("txt");
};

#endif
