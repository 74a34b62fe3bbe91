// Random lines through every parser and random edits through the document and the command
// list, checked against a plain byte string. Built with the sanitizers.
#include "editor/EditDocument.h"
#include "editor/EditFuncs.h"
#include "editor/EditTokenizer.h"
#include "editor/EditUndo.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

// Bytes that exercise the scan rules more often than uniform noise would.
const std::string kAlphabet = std::string("aZ_09 .'\"#$/*{}()\t\r\n@:w") + "\x81\x82\x83\x88\xE0\xFC\xA1\xB6\xFE\x40\x7F" +
                              std::string(1, '\0');

std::string RandomBytes(std::mt19937 &rng, size_t maxLen, bool anyByte)
{
    std::uniform_int_distribution<size_t> len(0, maxLen);
    std::string s(len(rng), ' ');
    for (char &c : s)
        c = anyByte && rng() % 3 == 0 ? static_cast<char>(rng() & 0xFF) : kAlphabet[rng() % kAlphabet.size()];
    return s;
}

TEST(EditorFuzzTest, ParsersCoverEveryLineWithWellFormedTokens)
{
    const std::set<int> kinds = {1, 3, 4, 6, 7, 8, 9, 11, 12, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 50, 51};
    std::mt19937 rng(1234);
    for (int lang = -1; lang <= 3; ++lang) {
        auto parser = lang < 0 ? TEditTokenizerFactory::CreateParser(nullptr) : TEditTokenizer::ClassOf(lang)();
        parser->SkipBlanks = false;
        for (int i = 0; i < 4000; ++i) {
            std::string line = RandomBytes(rng, 80, true);
            // Lines in the store never hold line breaks; zero bytes may occur.
            for (char &c : line)
                if (c == '\r' || c == '\n')
                    c = 'x';
            TEditTokenList tokens;
            TLxEditDocs::TokenizeLine(*parser, line, tokens);
            int at = 0;
            for (const TEditTokenItm &t : tokens) {
                ASSERT_EQ(t.Col, at) << "lang " << lang << " line " << i;
                ASSERT_GT(t.Length, 0);
                ASSERT_TRUE(kinds.count(t.Kind)) << int(t.Kind);
                ASSERT_EQ(t.Text, line.substr(static_cast<size_t>(t.Col), static_cast<size_t>(t.Length)));
                at += t.Length;
            }
            ASSERT_EQ(at, static_cast<int>(line.size())) << "lang " << lang;
            ASSERT_GE(parser->OpenComment, -1);
        }
    }
}

// The document's text as one string, rows joined with CR LF.
std::string Text(const TLxEditDocs &d)
{
    std::string s;
    for (int i = 0; i < d.Count(); ++i) {
        if (i)
            s += "\r\n";
        s += d[i];
    }
    return s;
}

// Byte offset in Text(d) of an expanded position.
size_t Offset(const TLxEditDocs &d, const TEditRowCol &p, int tab)
{
    size_t off = 0;
    for (int r = 0; r < p.Row; ++r)
        off += d[r].size() + 2;
    const std::string e = d.GetExpandedLine(p.Row, tab);
    return off + StripFillers(e.substr(0, std::min(e.size(), static_cast<size_t>(p.Col)))).size();
}

TEditRowCol RandomPos(std::mt19937 &rng, const TLxEditDocs &d, int tab)
{
    const int row = static_cast<int>(rng() % static_cast<unsigned>(d.Count()));
    const int len = d.GetExpandedLength(row, tab);
    const int col = static_cast<int>(rng() % static_cast<unsigned>(len + 1));
    return TEditRowCol(row, d.SnapColumn(row, col, tab));
}

// Insertable text: CR LF as the only line break, no zero bytes.
std::string RandomInsert(std::mt19937 &rng)
{
    std::string s;
    const int n = static_cast<int>(rng() % 6);
    static const char *const pieces[] = {"a", " ", "\t", "\r\n", "\x8A\xBF", "/*", "*/", "{", "}", "#", "'", "\""};
    for (int i = 0; i < n; ++i)
        s += pieces[rng() % std::size(pieces)];
    return s;
}

TEST(EditorFuzzTest, DocumentEditsMatchAPlainString)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 60; ++round) {
        TLxEditDocs d;
        d.SetFileExt(round % 2 ? "cpp" : "pas");
        d.SetTextStr("int a;\r\n\tb /* c\r\n\x8A\xBF\x8E\x9A d */\r\n");
        const int tab = 2 + round % 5;
        std::string model = Text(d);
        for (int step = 0; step < 120; ++step) {
            const int op = static_cast<int>(rng() % 3);
            TEditRowCol a = RandomPos(rng, d, tab);
            if (op == 0) {
                const std::string ins = RandomInsert(rng);
                model.insert(Offset(d, a, tab), ins);
                d.InsertTextAt(a, ins, tab);
            } else {
                TEditRowCol b = RandomPos(rng, d, tab);
                if (b.Key() < a.Key())
                    std::swap(a, b);
                const size_t from = Offset(d, a, tab), to = Offset(d, b, tab);
                bool beyond = false;
                if (op == 1) {
                    const std::string removed = d.DeleteRange(a, b, tab, beyond);
                    ASSERT_EQ(StripFillers(removed), model.substr(from, to - from));
                    model.erase(from, to - from);
                } else {
                    const std::string ins = RandomInsert(rng);
                    d.ReplaceRange(a, b, ins, true, tab, beyond);
                    model.replace(from, to - from, ins);
                }
            }
            ASSERT_EQ(Text(d), model) << "round " << round << " step " << step;
            if (step % 10 == 0) {
                // Line states after a full pass agree with states kept up incrementally.
                d.EnsureLineStates(d.Count() - 1);
                TLxEditDocs fresh;
                fresh.SetFileExt(d.FileExt());
                std::vector<std::string> rows;
                for (int r = 0; r < d.Count(); ++r)
                    rows.push_back(d[r]);
                fresh.SetLines(std::move(rows));
                fresh.EnsureLineStates(fresh.Count() - 1);
                for (int r = 0; r < d.Count(); ++r)
                    ASSERT_EQ(d.GetLineState(r), fresh.GetLineState(r)) << "row " << r;
            }
        }
    }
}

class FuzzView : public TEditCommandView {
public:
    TEditViewInfo &ViewInfo() override { return View; }
    bool IsOverwrite() const override { return Overwrite; }
    TEditViewInfo View;
    bool Overwrite = false;
};

TEST(EditorFuzzTest, CommandsUndoAndRedoRestoreTheText)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 80; ++round) {
        TLxEditDocs d;
        d.SetTextStr("alpha\tbeta\r\n\x8A\xBF\x8E\x9A gamma\r\n\r\nlast");
        FuzzView v;
        v.View.TabIndents = 2 + round % 4;
        v.View.TABMode = round % 2 ? TLxEditorTabMode::tmTabChar : TLxEditorTabMode::tmSpace;
        TLxTextCommandManager m(&d, &v);
        const std::string original = Text(d);
        for (int step = 0; step < 40; ++step) {
            v.Overwrite = rng() % 4 == 0;
            v.View.Selection.Clear();
            v.View.SetCaret(RandomPos(rng, d, v.View.TabIndents));
            if (rng() % 4 == 0) {
                const TEditRowCol other = RandomPos(rng, d, v.View.TabIndents);
                v.View.Selection.SetRange(v.View.Caret, other);
            }
            const int kind = static_cast<int>(rng() % 5);
            m.Execute(kind, kind == 4 ? "\t" : RandomInsert(rng));
        }
        const std::string edited = Text(d);
        while (m.CanUndo())
            m.Undo();
        ASSERT_EQ(Text(d), original) << "round " << round;
        while (m.CanRedo())
            m.Redo();
        ASSERT_EQ(Text(d), edited) << "round " << round;
    }
}

} // namespace
