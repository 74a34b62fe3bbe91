#include "EditDocument.h"

#include "editor/EditFuncs.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <fstream>

namespace {

bool IsTrail(std::string_view text, int index) { return IsTrailByteAt(text, index); }

} // namespace

TLxEditDocs::TLxEditDocs()
{
    SetFileExt("txt");
}

TLxEditDocs::~TLxEditDocs()
{
    OnChange = nullptr;
    OnLinesChanged = nullptr;
}

// ---- whole content ----------------------------------------------------------------------

bool TLxEditDocs::LoadFromFile(const std::string &fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return false;
    SetFileExtFromName(fileName);
    TEditStringList::LoadFromStream(in);
    DoChange();
    ModiInfo.FileName = fileName;
    const QDateTime modified = QFileInfo(QString::fromStdString(fileName)).lastModified();
    ModiInfo.FileDate = modified.isValid() ? modified.toSecsSinceEpoch() / 86400.0 + 25569.0 +
                                                 modified.offsetFromUtc() / 86400.0
                                           : 0;
    return true;
}

void TLxEditDocs::LoadFromStream(std::istream &stream)
{
    TEditStringList::LoadFromStream(stream);
    DoChange();
}

void TLxEditDocs::Assign(const TEditStringList &source)
{
    BeginUpdate();
    Clear();
    for (int i = 0; i < source.Count(); ++i)
        AddObject(source.Get(i), nullptr);
    EndUpdate();
    DoChange();
}

void TLxEditDocs::SetTextStr(std::string_view text)
{
    SetText(text);
    DoChange();
}

void TLxEditDocs::SetLines(std::vector<std::string> &&lines)
{
    BeginUpdate();
    Clear();
    SetCapacity(static_cast<int>(lines.size()));
    for (std::string &line : lines)
        AddObject(line, nullptr);
    EndUpdate();
    DoChange();
}

void TLxEditDocs::SetFileExt(const std::string &ext)
{
    if (ext == FFileExt && Tokenizer.ParserClass)
        return;
    FFileExt = ext;
    std::string lower = ext;
    for (char &c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    Tokenizer.SelectByExt(lower);
    ModiInfo.ValidStateLine = -1;
}

void TLxEditDocs::SetFileExtFromName(const std::string &fileName)
{
    const QFileInfo info(QString::fromStdString(fileName));
    if (!info.exists())
        return;
    SetFileExt(info.suffix().toLower().toStdString());
}

void TLxEditDocs::SetLanguage(int language)
{
    if (Tokenizer.ParserClass && language == Tokenizer.LanguageId)
        return;
    Tokenizer.SelectLanguage(language);
    ModiInfo.ValidStateLine = -1;
}

void TLxEditDocs::DoChange()
{
    if (UpdateCount() != 0 || !OnChange)
        return;
    ModiInfo.Reset();
    OnChange(this);
}

void TLxEditDocs::NotifyLines(int first, int last, int delta, bool beyond, bool statesOnly)
{
    if (!OnLinesChanged)
        return;
    TEditLinesChange change;
    change.FirstRow = first;
    change.LastRow = std::max(first, last);
    change.RowDelta = delta;
    change.StatesBeyond = beyond;
    change.StatesOnly = statesOnly;
    OnLinesChanged(this, change);
}

// ---- columns and steps ------------------------------------------------------------------

std::string TLxEditDocs::GetExpandedLine(int row, int tabWidth) const
{
    if (row < 0 || row >= Count())
        return std::string();
    return ExpandTabs(Get(row), tabWidth);
}

int TLxEditDocs::GetExpandedLength(int row, int tabWidth) const
{
    if (row < 0 || row >= Count())
        return 0;
    const std::string &line = Get(row);
    if (line.find('\t') == std::string::npos)
        return static_cast<int>(line.size());
    return static_cast<int>(ExpandTabs(line, tabWidth).size());
}

int TLxEditDocs::SnapColumn(int row, int column, int tabWidth) const
{
    if (column <= 0)
        return 0;
    const std::string e = GetExpandedLine(row, tabWidth);
    const int n = static_cast<int>(e.size());
    if (n < column)
        return n;
    if (column < n && IsTrail(e, column))
        return column + 1;
    const char before = e[static_cast<size_t>(column - 1)];
    if (before == '\t' || before == kFillerByte) {
        while (column < n && e[static_cast<size_t>(column)] == kFillerByte)
            ++column;
    }
    return column;
}

bool TLxEditDocs::NextCharPos(TEditRowCol &pos, int tabWidth) const
{
    const std::string e = GetExpandedLine(pos.Row, tabWidth);
    const int n = static_cast<int>(e.size());
    if (pos.Col < n) {
        const unsigned char b = static_cast<unsigned char>(e[static_cast<size_t>(pos.Col)]);
        if (IsLeadByte(b) && !IsTrail(e, pos.Col) && pos.Col + 1 < n) {
            pos.Col += 2;
        } else {
            ++pos.Col;
            if (b == '\t')
                while (pos.Col < n && e[static_cast<size_t>(pos.Col)] == kFillerByte)
                    ++pos.Col;
        }
        return true;
    }
    if (pos.Row + 1 < Count()) {
        pos = TEditRowCol(pos.Row + 1, 0);
        return true;
    }
    return false;
}

bool TLxEditDocs::PrevCharPos(TEditRowCol &pos, int tabWidth) const
{
    if (pos.Col > 0) {
        const std::string e = GetExpandedLine(pos.Row, tabWidth);
        int c = std::min(pos.Col, static_cast<int>(e.size()));
        if (c >= 2 && IsTrail(e, c - 1)) {
            c -= 2;
        } else if (c >= 1 && e[static_cast<size_t>(c - 1)] == kFillerByte) {
            while (c > 0 && e[static_cast<size_t>(c - 1)] == kFillerByte)
                --c;
            if (c > 0)
                --c; // onto the tab byte
        } else if (c >= 1) {
            --c;
        }
        pos.Col = c;
        return true;
    }
    if (pos.Row > 0) {
        pos = TEditRowCol(pos.Row - 1, GetExpandedLength(pos.Row - 1, tabWidth));
        return true;
    }
    return false;
}

TEditRowCol TLxEditDocs::NextWordPos(int row, int column, int tabWidth) const
{
    TEditBasicParser parser;
    TEditTokenList tokens;
    for (int r = std::max(row, 0); r < Count(); ++r) {
        TokenizeLine(parser, GetExpandedLine(r, tabWidth), tokens);
        for (const TEditTokenItm &t : tokens) {
            if (t.Kind == tkOther)
                continue;
            if (r > row || t.Col > column)
                return TEditRowCol(r, t.Col);
        }
    }
    return TEditRowCol(-1, -1);
}

TEditRowCol TLxEditDocs::PrevWordPos(int row, int column, int tabWidth) const
{
    TEditBasicParser parser;
    TEditTokenList tokens;
    for (int r = std::min(row, Count() - 1); r >= 0; --r) {
        TokenizeLine(parser, GetExpandedLine(r, tabWidth), tokens);
        int found = -1;
        for (const TEditTokenItm &t : tokens) {
            if (t.Kind == tkOther)
                continue;
            if (r < row || t.Col < column)
                found = t.Col;
        }
        if (found >= 0)
            return TEditRowCol(r, found);
    }
    return TEditRowCol(-1, -1);
}

TEditRowCol TLxEditDocs::NextDeletePos(const TEditRowCol &pos, int tabWidth, bool backward) const
{
    const std::string e = GetExpandedLine(pos.Row, tabWidth);
    const int n = static_cast<int>(e.size());
    TEditRowCol p = pos;
    if (backward) {
        if (p.Col > 0) {
            p.Col = std::min(p.Col, n);
            const std::string s = CharAtColumn(e, p.Col, false);
            if (s.size() == 1 && s[0] == kFillerByte) {
                // Back over the fillers onto the tab byte: the whole tab goes.
                while (p.Col > 0 && (e[static_cast<size_t>(p.Col - 1)] == kFillerByte))
                    --p.Col;
                if (p.Col > 0)
                    --p.Col;
            } else {
                p.Col -= static_cast<int>(s.size());
            }
        } else if (p.Row > 0) {
            p = TEditRowCol(p.Row - 1, GetExpandedLength(p.Row - 1, tabWidth));
        }
        return p;
    }
    if (p.Col >= n) {
        if (p.Row + 1 < Count())
            return TEditRowCol(p.Row + 1, 0);
        return p;
    }
    const std::string s = CharAtColumn(e, p.Col, true);
    if (s == "\t") {
        ++p.Col;
        while (p.Col < n && e[static_cast<size_t>(p.Col)] == kFillerByte)
            ++p.Col;
    } else {
        p.Col += static_cast<int>(s.size());
    }
    return p;
}

// ---- range primitives -------------------------------------------------------------------

void TLxEditDocs::SplitRange(const TEditRowCol &start, const TEditRowCol &end, int tabWidth, std::string &before,
                             std::string &between, std::string &after) const
{
    auto clampCol = [](const std::string &s, int c) { return static_cast<size_t>(std::clamp(c, 0, static_cast<int>(s.size()))); };
    const std::string first = GetExpandedLine(start.Row, tabWidth);
    const size_t sc = clampCol(first, start.Col);
    before = first.substr(0, sc);
    if (start.Row == end.Row) {
        const size_t ec = std::max(sc, clampCol(first, end.Col));
        between = first.substr(sc, ec - sc);
        after = first.substr(ec);
        return;
    }
    between = first.substr(sc);
    between += "\r\n";
    for (int r = start.Row + 1; r < end.Row; ++r) {
        between += GetExpandedLine(r, tabWidth);
        between += "\r\n";
    }
    const std::string last = GetExpandedLine(end.Row, tabWidth);
    const size_t ec = clampCol(last, end.Col);
    between += last.substr(0, ec);
    after = last.substr(ec);
}

bool TLxEditDocs::PutLineText(int row, std::string_view text)
{
    const std::string stripped = StripFillers(text);
    if (Count() == 0) {
        const int before = Count();
        Add(stripped.empty() ? std::string_view() : std::string_view(stripped));
        if (Count() == before)
            AddObject("", nullptr);
        NotifyLines(0, Count() - 1, Count(), false);
        return false;
    }
    row = std::clamp(row, 0, Count() - 1);
    const int32_t remembered = GetLineState(row);
    bool beyond = stripped.find('\r') != std::string::npos;
    auto parser = Tokenizer.CreateParser();
    if (parser->UsesLineState()) {
        parser->OpenComment = row > 0 ? std::max(GetLineState(row - 1), -1) : -1;
        if (row > 0 && GetLineState(row - 1) == kUnparsedState)
            beyond = true; // the row's start state is unknown: nothing below can be trusted
        for (std::string_view piece : SplitTextLines(stripped)) {
            parser->SetLine(piece);
            while (parser->NextToken() != tkEnd) {
            }
        }
        if (parser->OpenComment != remembered)
            beyond = true;
    }
    const int countBefore = Count();
    Put(row, stripped);
    const int added = Count() - countBefore;
    if (beyond)
        ModiInfo.ValidStateLine = std::min(ModiInfo.ValidStateLine, row - 1);
    else if (added > 0 && ModiInfo.ValidStateLine >= row)
        ModiInfo.ValidStateLine = std::min(ModiInfo.ValidStateLine, row - 1);
    NotifyLines(row, row + std::max(added, 0), added, beyond || added != 0);
    return beyond || added != 0;
}

void TLxEditDocs::DeleteRowsAfter(int row, int count)
{
    if (count <= 0)
        return;
    BeginUpdate();
    for (int k = 0; k < count && row + 1 < Count(); ++k)
        Delete(row + 1);
    EndUpdate();
}

std::string TLxEditDocs::DeleteRange(TEditRowCol a, TEditRowCol b, int tabWidth, bool &beyond)
{
    if (b.Key() < a.Key())
        std::swap(a, b);
    std::string before, between, after;
    SplitRange(a, b, tabWidth, before, between, after);
    const int rows = b.Row - a.Row;
    // Rows go first, so the notification of the joined row numbers rows as they end up.
    DeleteRowsAfter(a.Row, rows);
    beyond = PutLineText(a.Row, before + after);
    if (rows > 0) {
        beyond = true;
        ModiInfo.ValidStateLine = std::min(ModiInfo.ValidStateLine, a.Row - 1);
        NotifyLines(a.Row, a.Row, -rows, true);
    }
    return between;
}

TEditRowCol TLxEditDocs::InsertEndPos(const TEditRowCol &pos, std::string_view text, int tabWidth) const
{
    const std::string e = GetExpandedLine(pos.Row, tabWidth);
    const size_t col = static_cast<size_t>(std::clamp(pos.Col, 0, static_cast<int>(e.size())));
    const std::string combined = StripFillers(std::string_view(e).substr(0, col)) + StripFillers(text);
    // The rows the line store makes of the text (every break starts one), the last one's width.
    const std::vector<std::string_view> pieces = SplitTextLines(combined, true);
    const int rows = static_cast<int>(pieces.size()) - 1;
    const std::string last(pieces.back());
    return TEditRowCol(pos.Row + rows, static_cast<int>(ExpandTabs(last, tabWidth).size()));
}

bool TLxEditDocs::InsertTextAt(const TEditRowCol &pos, std::string_view text, int tabWidth)
{
    const std::string e = GetExpandedLine(pos.Row, tabWidth);
    return PutLineText(pos.Row, InsertAt(e, text, pos.Col));
}

std::string TLxEditDocs::ReplaceRange(TEditRowCol a, TEditRowCol b, std::string_view text, bool keepLength,
                                      int tabWidth, bool &beyond)
{
    if (b.Key() < a.Key())
        std::swap(a, b);
    std::string before, between, after;
    SplitRange(a, b, tabWidth, before, between, after);
    std::string replacement(text);
    if (!keepLength && replacement.size() < between.size())
        replacement.append(between.size() - replacement.size(), ' ');
    const int rows = b.Row - a.Row;
    DeleteRowsAfter(a.Row, rows);
    beyond = PutLineText(a.Row, before + replacement + after);
    if (rows > 0) {
        beyond = true;
        ModiInfo.ValidStateLine = std::min(ModiInfo.ValidStateLine, a.Row - 1);
        NotifyLines(a.Row, a.Row, -rows, true);
    }
    return between;
}

std::string TLxEditDocs::SelectionText(const TEditViewInfo &view) const
{
    if (!view.Selection.HasSelection())
        return std::string();
    const TEditRowCol s = view.Selection.StartPos;
    const TEditRowCol e = view.Selection.EndPos;
    const int tab = view.TabIndents;
    std::string out;
    for (int r = s.Row; r <= e.Row && r < Count(); ++r) {
        const std::string line = GetExpandedLine(r, tab);
        const int n = static_cast<int>(line.size());
        int from = 0, to = n;
        if (r == s.Row)
            from = std::clamp(s.Col, 0, n);
        if (r == e.Row)
            to = std::clamp(e.Col, from, n);
        if (r > s.Row)
            out += "\r\n";
        out += StripFillers(std::string_view(line).substr(static_cast<size_t>(from), static_cast<size_t>(to - from)));
    }
    return out;
}

void TLxEditDocs::CopySelection(const TEditViewInfo &view) const
{
    const std::string text = SelectionText(view);
    if (!text.empty())
        SetClipboardText(text);
}

bool TLxEditDocs::FindToken(std::string_view text, TEditRowCol &pos, bool wholeWord, bool matchCase, bool forward,
                            int tabWidth) const
{
    if (text.empty() || Count() == 0)
        return false;
    auto parser = Tokenizer.CreateParser();
    parser->SkipBlanks = false;
    TEditTokenList tokens;
    const int startRow = std::clamp(pos.Row, 0, Count() - 1);
    // The parser state of the first row searched; later rows carry it on.
    if (parser->UsesLineState() && startRow > 0) {
        const_cast<TLxEditDocs *>(this)->EnsureLineStates(startRow - 1);
        parser->OpenComment = std::max(GetLineState(startRow - 1), -1);
    }
    for (int r = startRow; forward ? r < Count() : r >= 0; r += forward ? 1 : -1) {
        if (!forward && r != startRow && parser->UsesLineState())
            parser->OpenComment = r > 0 ? std::max(GetLineState(r - 1), -1) : -1;
        TokenizeLine(*parser, GetExpandedLine(r, tabWidth), tokens);
        const int column = tokens.Search(text, forward, r == startRow ? pos.Col : -1, wholeWord, matchCase);
        if (column >= 0) {
            pos = TEditRowCol(r, column);
            return true;
        }
    }
    return false;
}

bool TLxEditDocs::FindText(std::string_view text, TEditRowCol &pos, bool forward, int tabWidth) const
{
    if (text.empty() || Count() == 0)
        return false;
    const int startRow = std::clamp(pos.Row, 0, Count() - 1);
    for (int r = startRow; forward ? r < Count() : r >= 0; r += forward ? 1 : -1) {
        int limit;
        if (forward)
            limit = r == startRow ? pos.Col : -1;
        else
            limit = r == startRow ? pos.Col + static_cast<int>(text.size()) : INT_MAX / 2; // starts before the column
        const int column = FindSub(GetExpandedLine(r, tabWidth), text, limit, forward);
        if (column >= 0) {
            pos = TEditRowCol(r, column);
            return true;
        }
    }
    return false;
}

// ---- tokenizing -------------------------------------------------------------------------

void TLxEditDocs::TokenizeLine(TEditBasicParser &parser, std::string_view text, TEditTokenList &list)
{
    list.Clear();
    if (text.empty())
        return;
    // About one token per four bytes in source text; a long line is not regrown many times.
    list.Reserve(text.size() / 4 + 4);
    parser.SetLine(text);
    int end = 0;
    while (int kind = parser.NextToken()) {
        TEditTokenItm *t = list.Add();
        t->Kind = static_cast<uint8_t>(kind);
        t->Col = parser.TokenStart();
        t->Length = parser.TokenLength();
        t->Text.assign(parser.TokenText());
        end = t->Col + t->Length;
    }
    // A zero byte, CR or LF inside a line ends the parser's tokens; the rest is still text
    // to show, as one plain token.
    if (end < static_cast<int>(text.size()) && !parser.SkipBlanks) {
        TEditTokenItm *t = list.Add();
        t->Kind = tkOther;
        t->Col = end;
        t->Length = static_cast<int>(text.size()) - end;
        t->Text.assign(text.substr(static_cast<size_t>(end)));
    }
}

void TLxEditDocs::TokenizeStyledRuns(TEditBasicParser &parser, std::string_view text, TEditTokenList &list)
{
    list.Clear();
    parser.SetLine(text);
    int end = 0;
    TEditTokenItm *last = nullptr;
    while (int kind = parser.NextToken()) {
        TEditDrawProps props;
        parser.GetTokenStyle(kind, props);
        // Tabs keep their own tokens (they are drawn as marks); addresses stay whole tokens.
        const bool alone = kind == tkTab || kind == tkURL || kind == tkMail;
        if (last && !alone && last->Kind != tkTab && last->Kind != tkURL && last->Kind != tkMail &&
            last->DrawProps.Styled == props.Styled && last->DrawProps.ForeColor == props.ForeColor &&
            last->DrawProps.FontStyle == props.FontStyle) {
            last->Length += parser.TokenLength();
            last->Text.append(parser.TokenText());
        } else {
            last = list.Add();
            last->Kind = static_cast<uint8_t>(kind);
            last->Col = parser.TokenStart();
            last->Length = parser.TokenLength();
            last->Text.assign(parser.TokenText());
            last->DrawProps = props;
        }
        end = parser.TokenStart() + parser.TokenLength();
    }
    if (end < static_cast<int>(text.size())) {
        TEditTokenItm *t = list.Add();
        t->Kind = tkOther;
        t->Col = end;
        t->Length = static_cast<int>(text.size()) - end;
        t->Text.assign(text.substr(static_cast<size_t>(end)));
    }
}

void TLxEditDocs::EnsureLineStates(int upTo)
{
    upTo = std::min(upTo, Count() - 1);
    if (ModiInfo.ValidStateLine >= upTo || upTo < 0)
        return;
    auto parser = Tokenizer.CreateParser();
    if (!parser->UsesLineState())
        return;
    parser->SkipBlanks = false;
    const int first = std::max(0, ModiInfo.ValidStateLine + 1);
    parser->OpenComment = first > 0 ? std::max(GetLineState(first - 1), -1) : -1;
    BeginUpdate();
    for (int r = first; r <= upTo; ++r) {
        parser->SetLine(Get(r));
        while (parser->NextToken() != tkEnd) {
        }
        SetLineState(r, parser->OpenComment);
        SetLineWidth(r, kUnmeasuredWidth);
    }
    EndUpdate();
    ModiInfo.ValidStateLine = upTo;
    NotifyLines(first, upTo, 0, false, true);
}

void TLxEditDocs::RefreshViewLines(TEditViewInfo &view)
{
    const int top = view.TopLine;
    const int visible = std::max(view.VisibleLines, 1);
    if (view.ViewLines.Count() > 0 && view.ViewLines.FirstDocRow() != top)
        return;
    auto parser = Tokenizer.CreateParser();
    const bool carries = parser->UsesLineState();
    if (carries && ModiInfo.ValidStateLine < top + visible)
        EnsureLineStates(top + 2 * visible);
    parser->SkipBlanks = false;
    parser->OpenComment = (carries && top > 0 && top - 1 < Count()) ? std::max(GetLineState(top - 1), -1) : -1;
    int j = 0;
    for (int i = top; i < Count() && i <= top + visible; ++i, ++j) {
        TEditLineData *line = view.ViewLines.Items(j);
        const int32_t inState = parser->OpenComment;
        const int32_t endState = carries ? std::max(GetLineState(i), -1) : -1;
        if (line && line->State != TEditLineData::stNew && line->DocRow == i && line->InState == inState &&
            line->LineState == endState) {
            parser->OpenComment = endState;
            continue;
        }
        if (!line)
            line = view.ViewLines.Add();
        line->Reset();
        const std::string &raw = Get(i);
        if (raw.size() > kLongRow) {
            TokenizeStyledRuns(*parser, raw, line->Tokens);
        } else {
            TokenizeLine(*parser, raw, line->Tokens);
            for (TEditTokenItm &t : line->Tokens)
                parser->GetTokenStyle(t.Kind, t.DrawProps);
        }
        line->DocRow = i;
        line->InState = inState;
        line->LineState = endState;
        line->State = TEditLineData::stTokenized;
        parser->OpenComment = endState;
    }
    while (view.ViewLines.Count() > j)
        view.ViewLines.Delete(view.ViewLines.Count() - 1);
}
