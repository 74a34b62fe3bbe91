#include "editor/EditTypes.h"
#include "platform/MessageBox.h"
#include "textconv/LxTCTypes.h"
#include "textconv/LxTextDecorder.h"
#include "textconv/LxTextFileConverter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

bool OnlyGreekAndJapanese(int32_t codePage) { return codePage == 932 || codePage == 28597; }
bool NoCodePages(int32_t) { return false; }

// Records every message the converter shows.
class MessageLog {
public:
    MessageLog()
    {
        tovik::platform::SetMessageInterceptor([this](const QString &text, tovik::platform::MessageKind,
                                                      QMessageBox::StandardButtons) {
            texts.push_back(text.toStdString());
            return QMessageBox::Ok;
        });
    }
    ~MessageLog() { tovik::platform::SetMessageInterceptor(nullptr); }
    std::vector<std::string> texts;
};

} // namespace

TEST(CharSetTable, RowsInOrderWithTheirDecoders)
{
    TCharSetList sets; // every guarding code page is known to glibc iconv
    const int32_t codes[] = {0,      932,   -932, -933,  -2,    65000, -65001, 65001, -3,  -4,   -5,   -6,
                             -7,     -8,    -9,   -10,   -1,    28592, 949,    -950,  1361, 936, -936, -937,
                             950,    28595, 20866, 21866, 874,  1254,  1257,   1258,  28597, 437};
    ASSERT_EQ(sets.Count(), 34);
    for (int i = 0; i < 34; ++i)
        EXPECT_EQ(sets.Items(i)->Code, codes[i]) << "row " << i;
    EXPECT_EQ(sets.Items(34), nullptr);
    EXPECT_EQ(sets.Items(-1), nullptr);

    EXPECT_EQ(sets.FindByCode(65001)->Name, "UTF-8N");
    EXPECT_EQ(sets.FindByCode(-65001)->Name, "UTF-8(BOM)");
    for (int32_t code : {65001, -65001}) {
        auto decoder = sets.FindByCode(code)->CreateDecoder("");
        EXPECT_NE(dynamic_cast<TLxUTF8Decorder *>(decoder.get()), nullptr) << code;
    }
    EXPECT_EQ(sets.FindByCode(-7)->Name, "UTF-32BE(BOM)");
    EXPECT_EQ(sets.FindByCode(-7)->CreateDecoder(""), nullptr);
    EXPECT_EQ(sets.FindByCode(12345), nullptr);

    // The flags reach the decoder: BE with signature, LE without.
    auto be = sets.FindByCode(-3)->CreateDecoder("");
    EXPECT_TRUE(be->BigEndian && be->HasBOM);
    auto le = sets.FindByCode(-6)->CreateDecoder("");
    EXPECT_TRUE(!le->BigEndian && !le->HasBOM);
    EXPECT_EQ(typeid(*sets.FindByCode(932)->CreateDecoder("")), typeid(TLxDecorderBase));
    EXPECT_NE(dynamic_cast<TLxEUCJPDecorder *>(sets.FindByCode(-932)->CreateDecoder("").get()), nullptr);
    EXPECT_NE(dynamic_cast<TLxJISDecorder *>(sets.FindByCode(-933)->CreateDecoder("").get()), nullptr);
    EXPECT_NE(dynamic_cast<TLxUTF5Decorder *>(sets.FindByCode(-2)->CreateDecoder("").get()), nullptr);
}

TEST(CharSetTable, RowsFollowTheirGuardingCodePages)
{
    TCharSetList none(NoCodePages);
    EXPECT_EQ(none.Count(), 1);
    EXPECT_EQ(none.Items(0)->Name, "自動判定");
    EXPECT_EQ(none.FindByCode(932), nullptr);

    // 437 rides on the Greek code page, not on its own.
    TCharSetList some(OnlyGreekAndJapanese);
    EXPECT_EQ(some.Count(), 19);
    EXPECT_NE(some.FindByCode(437), nullptr);
    EXPECT_EQ(some.FindByCode(28595), nullptr);
}

TEST(Converter, DecodesSelectsAndRefuses)
{
    MessageLog messages;
    TLxTextFileConverter converter;
    ASSERT_NE(converter.CurrentCharSet(), nullptr);
    EXPECT_EQ(converter.CurrentCharSet()->Code, 932);

    TEditStringList lines;
    lines.Add("kept");
    EXPECT_FALSE(converter.Convert(-7, std::string_view("\0\0\xFE\xFF", 4), &lines));
    EXPECT_EQ(messages.texts, std::vector<std::string> {"このファイルタイプは対応していません"});
    EXPECT_EQ(converter.CurrentCharSet()->Code, -7);
    EXPECT_EQ(lines.Count(), 1);

    EXPECT_FALSE(converter.Convert(12345, std::string_view("abc"), &lines));
    EXPECT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(converter.CurrentCharSet(), nullptr);
    EXPECT_EQ(lines[0], "kept");

    EXPECT_TRUE(converter.Convert(932, std::string_view("\x82\xA0\r\n\x95\x5C"), &lines));
    EXPECT_EQ(converter.CurrentCharSet()->Name, "日本語(ShiftJIS)");
    ASSERT_EQ(lines.Count(), 2);
    EXPECT_EQ(lines[0], "\x82\xA0");
    EXPECT_EQ(lines[1], "\x95\x5C");

    // Shift_JIS starts where the stream stands; the decoders start at the beginning.
    std::istringstream stream("skip:\xA4\xA2");
    stream.seekg(5);
    EXPECT_TRUE(converter.Convert(932, stream, &lines));
    EXPECT_EQ(lines[0], "\xA4\xA2");
    stream.seekg(5);
    EXPECT_TRUE(converter.Convert(-932, stream, &lines));
    EXPECT_EQ(lines[0], "skip:\x82\xA0");
    EXPECT_EQ(converter.CurrentCharSet()->Name, "日本語(EUC)");
}

TEST(Converter, FreedWithItsOwner)
{
    auto *owner = new QObject;
    auto *converter = new TLxTextFileConverter(owner);
    bool destroyed = false;
    QObject::connect(converter, &QObject::destroyed, [&] { destroyed = true; });
    delete owner;
    EXPECT_TRUE(destroyed);
}
