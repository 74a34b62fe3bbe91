// The parsers' token sequences, rule by rule, and the line state they carry.
#include "editor/CPPTokenizer.h"
#include "editor/DelphiTokenizer.h"
#include "editor/EditDocument.h"
#include "editor/EditTokenizer.h"
#include "editor/JavaTokenizer.h"
#include "editor/TextTokenizer.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using tovik::platform::Utf8ToCp932;

// "kind:text" of every token of one line, space-separated.
std::string Tokens(TEditBasicParser &p, const std::string &line)
{
    p.SkipBlanks = false;
    p.SetLine(line);
    std::ostringstream out;
    bool first = true;
    while (int kind = p.NextToken()) {
        if (!first)
            out << ' ';
        first = false;
        out << kind << ':' << p.TokenText();
    }
    return out.str();
}

std::unique_ptr<TEditBasicParser> Parser(int language) { return TEditTokenizer::ClassOf(language)(); }

struct Row {
    const char *name;
    int language;
    std::string line;
    std::string tokens;
    int stateAfter; // OpenComment at the end of the line
};

class TokenRuleTest : public ::testing::TestWithParam<Row> {};

TEST_P(TokenRuleTest, Line)
{
    const Row &r = GetParam();
    auto p = Parser(r.language);
    EXPECT_EQ(Tokens(*p, r.line), r.tokens);
    EXPECT_EQ(p->OpenComment, r.stateAfter);
}

const std::string kKanji2 = Utf8ToCp932("漢字");
const std::string kHira = Utf8ToCp932("あ");

INSTANTIATE_TEST_SUITE_P(
    Rules, TokenRuleTest,
    ::testing::Values(
        Row{"pascal_line_comment_swallows_brace", 1, "x := 10; // {note",
            "11:x 26:  1:: 1:= 26:  3:10 1:; 26:  7:// 26:  7:{ 7:note", -1},
        Row{"pascal_keyword_in_capitals", 1, "BEGIN end", "8:BEGIN 26:  8:end", -1},
        Row{"pascal_range_starts_with_real", 1, "1..10", "4:1 1:. 1:. 3:10", -1},
        Row{"pascal_brace_comment_then_tab", 1, "{x}\ty", "6:{x} 9:\t 11:y", -1},
        Row{"pascal_open_paren_star_comment", 1, "a (* b", "11:a 26:  6:(* b", 1},
        Row{"pascal_string_and_char_codes", 1, "'it''s' #13#$0A $FF", "24:'it' 24:'s' 26:  50:#13 51:#$0A 26:  23:$FF", -1},
        Row{"cpp_include_directive", 3, "#include <a.h>", "8:#include 26:  1:< 11:a 1:. 11:h 1:>", -1},
        Row{"cpp_hash_space_is_not_directive", 3, "# include", "1:#  11:include", -1},
        Row{"cpp_block_comment_opens", 3, "/* a", "6:/* a", 0},
        Row{"cpp_string_and_numbers", 3, "f(\"x\", 1.5e3, 2E+1)", "11:f 1:( 25:\"x\" 1:, 26:  4:1.5e3 1:, 26:  4:2E+1 1:)", -1},
        Row{"cpp_line_comment_never_opens_block", 3, "a // /* b", "11:a 26:  7:// 26:  7:/ 7:* 26:  7:b", -1},
        Row{"cpp_lone_hash_at_end", 3, "#", "1:#", -1},
        Row{"java_line_comment_with_tab", 2, "// a\tb", "7:// a 9:\t 7:b", -1},
        Row{"java_keywords_and_string", 2, "public String s = \"x\";", "8:public 26:  11:String 26:  11:s 26:  1:= 26:  25:\"x\" 1:;", -1},
        Row{"text_url", 0, "see http://a.b/c?d=1 now", "11:see 26:  21:http://a.b/c?d=1 26:  11:now", -1},
        Row{"text_url_prefix_case_sensitive", 0, "Http://x", "11:Http 1:: 1:/ 1:/ 11:x", -1},
        Row{"text_mail", 0, "to a.b@c.jp!", "11:to 26:  22:a.b@c.jp!", -1},
        Row{"text_at_without_dot_is_no_mail", 0, "a@b", "11:a 1:@ 11:b", -1},
        Row{"text_www", 0, "www.x.org", "21:www.x.org", -1},
        Row{"kanji_then_hiragana", 0, kKanji2 + kHira, "18:" + kKanji2 + " 16:" + kHira, -1},
        Row{"full_width_digits_and_latin", 0, Utf8ToCp932("１２．３ＡＢ"),
            "14:" + Utf8ToCp932("１２．３") + " 15:" + Utf8ToCp932("ＡＢ"), -1},
        Row{"katakana_with_long_mark", 0, Utf8ToCp932("カー"), "17:" + Utf8ToCp932("カー"), -1},
        Row{"half_width_kana", 0, "\xB6\xC5\xA1", "20:\xB6\xC5 19:\xA1", -1},
        Row{"double_byte_symbol", 0, Utf8ToCp932("【"), "12:" + Utf8ToCp932("【"), -1},
        Row{"lead_byte_at_line_end", 0, "a\x82", "11:a 11:\x82", -1}),
    [](const ::testing::TestParamInfo<Row> &info) { return std::string(info.param.name); });

TEST(TokenizerTest, MailRunsOverTheWholeAddress)
{
    auto p = Parser(0);
    EXPECT_EQ(Tokens(*p, "x@y.z w"), "22:x@y.z 26:  11:w");
}

TEST(TokenizerTest, BlockCommentAcrossLinesCarriesState)
{
    auto p = Parser(3);
    EXPECT_EQ(Tokens(*p, "/* a"), "6:/* a");
    EXPECT_EQ(p->OpenComment, 0);
    EXPECT_EQ(Tokens(*p, "b */ c"), "6:b */ 26:  11:c");
    EXPECT_EQ(p->OpenComment, -1);
    // A comment interrupted by tabs resumes its colour after each tab, across lines too.
    auto d = Parser(1);
    EXPECT_EQ(Tokens(*d, "{ a\tb"), "6:{ a 9:\t 6:b");
    EXPECT_EQ(d->OpenComment, 0);
    EXPECT_EQ(Tokens(*d, "\tc } d"), "9:\t 6:c } 26:  11:d");
    EXPECT_EQ(d->OpenComment, -1);
}

TEST(TokenizerTest, LineCommentEndingInTabDoesNotColourTheNextLine)
{
    auto p = Parser(2);
    EXPECT_EQ(Tokens(*p, "// a\t"), "7:// a 9:\t");
    EXPECT_EQ(Tokens(*p, "int x"), "8:int 26:  11:x");
}

TEST(TokenizerTest, SelectByExtAndStyles)
{
    TEditTokenizer t;
    EXPECT_EQ(t.SelectByExt("pas"), TEditTokenizer::ClassOf(1));
    EXPECT_EQ(t.LanguageId, 1);
    t.SelectByExt("dpr");
    EXPECT_EQ(t.LanguageId, 1);
    t.SelectByExt("java");
    EXPECT_EQ(t.LanguageId, 2);
    for (const char *e : {"c", "cpp", "h"}) {
        t.SelectByExt(e);
        EXPECT_EQ(t.LanguageId, 3) << e;
    }
    for (const char *e : {"PAS", "Java", "txt", "", "hpp"}) {
        t.SelectByExt(e);
        EXPECT_EQ(t.LanguageId, 0) << e;
    }
    auto pas = Parser(1);
    TEditDrawProps kw;
    ASSERT_TRUE(pas->GetTokenStyle(tkKeyword, kw));
    EXPECT_EQ(kw.ForeColor, 0x800000); // navy (0, 0, 128) as 0x00BBGGRR
    EXPECT_EQ(kw.FontStyle, fsBold);
    TEditDrawProps tab;
    EXPECT_FALSE(pas->GetTokenStyle(tkTab, tab));
    EXPECT_FALSE(tab.Styled);
    auto txt = Parser(0);
    TEditDrawProps url;
    ASSERT_TRUE(txt->GetTokenStyle(tkURL, url));
    EXPECT_EQ(url.FontStyle, fsUnderline);
    EXPECT_EQ(url.ForeColor, 0xFF0000); // blue
    EXPECT_FALSE(txt->UsesLineState());
    EXPECT_TRUE(pas->UsesLineState());
    EXPECT_EQ(pas->LangEx()->KeywordCount(), 84);
    EXPECT_EQ(Parser(2)->LangEx()->KeywordCount(), 50);
    EXPECT_EQ(Parser(3)->LangEx()->KeywordCount(), 71);
}

TEST(TokenizerTest, SkipBlanksDropsWhitespace)
{
    TEditBasicParser p;
    p.SetLine("  a \tb");
    std::vector<std::string> texts;
    while (p.NextToken())
        texts.emplace_back(p.TokenText());
    EXPECT_EQ(texts, (std::vector<std::string>{"a", "b"}));
}

} // namespace
