// The text viewer's decoding: automatic detection under "AutoDecode", the note that tells
// the user what was decoded, the character-set field, and the settings the window applies.
#include "Source/LxPnArcDataClasses.h"
#include "Source/LxPnGlobalState.h"
#include "Source/TextViewFrm.h"
#include "TextViewTestSupport.h"
#include "editor/LxTextEditor.h"
#include "platform/Cp932.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iconv.h>

#include <memory>

namespace {

using tovik::platform::MessageKind;
using tovik::platform::Utf8ToCp932;

const QString kJapanese = QStringLiteral("日本語のテキストです。\n漢字・ひらがな・カタカナ\n全角ＡＢＣ 半角ｱｲｳ");
// ISO-2022-JP has no half-width katakana.
const QString kJapaneseJis = QStringLiteral("日本語のテキストです。\n漢字・ひらがな・カタカナ\n全角ＡＢＣ 半角ABC");

// The text in another encoding, through iconv as any other tool would write it.
QByteArray Encode(const QString &text, const char *encoding)
{
    const QByteArray utf8 = text.toUtf8();
    iconv_t cd = iconv_open(encoding, "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << encoding;
    QByteArray out(utf8.size() * 4 + 16, '\0');
    char *in = const_cast<char *>(utf8.constData());
    size_t inLeft = utf8.size();
    char *o = out.data();
    size_t outLeft = out.size();
    EXPECT_NE(iconv(cd, &in, &inLeft, &o, &outLeft), size_t(-1)) << encoding;
    iconv_close(cd);
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

class TextViewDecodeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("TOVIK_INI", dir.filePath(QStringLiteral("tovik.ini")).toLocal8Bit());
        tovik::platform::SetMessageInterceptor([this](const QString &text, MessageKind, QMessageBox::StandardButtons) {
            messages << text;
            return QMessageBox::Ok;
        });
    }
    void TearDown() override
    {
        tovik::platform::SetMessageInterceptor(nullptr);
        state.reset();
        qunsetenv("TOVIK_INI");
    }
    // The settings store, loaded from an ini file with the given "Editor" lines.
    void Settings(const QByteArray &editorLines)
    {
        QFile ini(dir.filePath(QStringLiteral("tovik.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Editor]\n" + editorLines);
        ini.close();
        state = std::make_unique<TAppGlobalState>();
    }
    static QString Note(const QString &name)
    {
        return QStringLiteral("エンコード文字コードを\n\n    ") + name +
               QStringLiteral("\n\nとして\n\n    SHIFT-JISにデコードしました。\n\n※ 元のファイルには反映されません。※");
    }

    QTemporaryDir dir;
    std::unique_ptr<TAppGlobalState> state;
    QStringList messages;
};

TEST_F(TextViewDecodeTest, ShiftJisAndAsciiNeedNoDecoding)
{
    Settings("AutoDecode=True\n");
    for (const QString &text : {kJapanese, QStringLiteral("plain ASCII text\nsecond line\n")}) {
        messages.clear();
        TFrmTextView view;
        view.SetText(Encode(text, "CP932"));
        EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
        EXPECT_FALSE(view.Action4->isEnabled());
        EXPECT_EQ(view.LxPanelCharSet->text(), QStringLiteral("日本語(ShiftJIS)"));
        EXPECT_EQ(Shown(view), text.endsWith(QLatin1Char('\n')) ? text.chopped(1) : text);
    }
}

TEST_F(TextViewDecodeTest, OtherEncodingsAreDetectedDecodedAndNoted)
{
    Settings("AutoDecode=True\n");
    struct Case {
        const char *encoding;
        const char *name;
        const QString &text;
    } cases[] = {{"EUC-JP", "日本語(EUC)", kJapanese},
                 {"UTF-8", "UTF-8N", kJapanese},
                 {"ISO-2022-JP", "日本語(ISO-2022-JP)", kJapaneseJis}};
    for (const Case &c : cases) {
        messages.clear();
        TFrmTextView view;
        view.SetText(Encode(c.text, c.encoding));
        EXPECT_EQ(Shown(view), c.text) << c.encoding;
        ASSERT_EQ(messages.size(), 1) << c.encoding;
        EXPECT_EQ(messages[0], Note(QString::fromUtf8(c.name)));
        EXPECT_EQ(view.LxPanelCharSet->text(), QString::fromUtf8(c.name));
        EXPECT_TRUE(view.Action4->isEnabled());
        // The bytes are kept as extracted; the lines are Shift_JIS.
        EXPECT_EQ(view.RawText, Encode(c.text, c.encoding));
        EXPECT_EQ(view.Lines()[0], Utf8ToCp932("日本語のテキストです。"));
    }
}

TEST_F(TextViewDecodeTest, WithoutAutoDecodeBytesStayUntilACodeIsChosen)
{
    Settings("AutoDecode=False\n");
    TFrmTextView view;
    const QByteArray euc = Encode(kJapanese, "EUC-JP");
    view.SetText(euc);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(view.Lines()[0], euc.left(euc.indexOf('\n')).toStdString());
    EXPECT_EQ(view.LxPanelCharSet->text(), QStringLiteral("日本語(ShiftJIS)"));

    EXPECT_TRUE(view.Decode(-932));
    EXPECT_EQ(Shown(view), kJapanese);
    EXPECT_EQ(view.LxPanelCharSet->text(), QStringLiteral("日本語(EUC)"));
    ASSERT_EQ(messages.size(), 1);

    // A character set without a decoder: the converter's message, the text stays.
    messages.clear();
    EXPECT_FALSE(view.Decode(65000));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("このファイルタイプは対応していません"));
    EXPECT_EQ(Shown(view), kJapanese);
    EXPECT_EQ(view.LxPanelCharSet->text(), QStringLiteral("日本語(EUC)"));

    // Shift_JIS chosen by hand reloads the bytes unchanged and still says so.
    messages.clear();
    EXPECT_TRUE(view.Decode(932));
    EXPECT_EQ(view.Lines()[0], euc.left(euc.indexOf('\n')).toStdString());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], Note(QStringLiteral("日本語(ShiftJIS)")));
}

TEST_F(TextViewDecodeTest, WithoutSettingsStoreDetectionStillRuns)
{
    TFrmTextView view;
    view.SetText(Encode(kJapanese, "EUC-JP"));
    EXPECT_EQ(Shown(view), kJapanese);
    EXPECT_EQ(messages.size(), 1);
}

TEST_F(TextViewDecodeTest, EditorFontAndTabWidthComeFromTheSettings)
{
    Settings("FontName=ＭＳ ゴシック\nFontSize=14\nTABWidth=8\n");
    TFrmTextView view;
    const QFont font = view.LxTextEditor1->Painter()->Font();
    EXPECT_EQ(font.pointSize(), 14);
    const QString family = QFontInfo(font).family();
    EXPECT_TRUE(family.contains(QStringLiteral("IPAGothic")) || family.contains(QStringLiteral("Noto Sans Mono CJK")))
        << family.toStdString();
    EXPECT_EQ(view.LxTextEditor1->Options()->DrawOption.TabIndents, 8);
}

} // namespace
