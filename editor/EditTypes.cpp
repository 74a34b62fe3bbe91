#include "EditTypes.h"

#include "platform/Cp932.h"

#include <cstdio>
#include <ctime>
#include <cwctype>
#include <istream>
#include <iterator>
#include <ostream>
#include <utility>

namespace {

constexpr int32_t kNewLineWidth = TEditStringList::kUnmeasuredWidth;
constexpr int32_t kNewLineState = TEditStringList::kUnparsedState;

// CP932 bytes as wide characters for the C library's collation, folded to lower case when asked.
std::wstring ToCollationKey(std::string_view cp932, bool fold)
{
    std::u16string units = tovik::platform::Cp932ToUtf16(cp932);
    std::wstring wide;
    wide.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        wchar_t w = static_cast<wchar_t>(c);
        wide.push_back(fold ? static_cast<wchar_t>(std::towlower(static_cast<wint_t>(w))) : w);
    }
    return wide;
}

} // namespace

std::vector<std::string_view> SplitTextLines(std::string_view text, bool everyBreak)
{
    std::vector<std::string_view> pieces;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        pieces.push_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (everyBreak || start < text.size())
        pieces.push_back(text.substr(start));
    return pieces;
}

TEditStringList::TEditStringList() = default;

TEditStringList::~TEditStringList()
{
    OnChange = nullptr;
    OnChanging = nullptr;
}

void TEditStringList::IndexError(int index)
{
    char text[128];
    std::snprintf(text, sizeof text, "リストのインデックスが範囲を超えています (%d)", index);
    throw EStringListError(text);
}

void TEditStringList::SortedListError()
{
    throw EStringListError("ソートされたリストには実行できない操作です");
}

void TEditStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= GetCount())
        IndexError(index);
}

const std::string &TEditStringList::Get(int index) const
{
    CheckIndex(index);
    return FList[index].FString;
}

void *TEditStringList::GetObject(int index) const
{
    CheckIndex(index);
    return FList[index].FObject;
}

void TEditStringList::PutObject(int index, void *object)
{
    CheckIndex(index);
    Changing();
    FList[index].FObject = object;
    Changed();
}

int TEditStringList::GetCount() const { return static_cast<int>(FList.size()); }

int TEditStringList::GetCapacity() const { return FCapacity; }

void TEditStringList::SetCapacity(int capacity)
{
    if (capacity < GetCount() || capacity == FCapacity)
        return;
    if (capacity > FCapacity) {
        FList.reserve(static_cast<size_t>(capacity));
    } else {
        std::vector<TEditStringItem> smaller;
        smaller.reserve(static_cast<size_t>(capacity));
        std::move(FList.begin(), FList.end(), std::back_inserter(smaller));
        FList.swap(smaller);
    }
    FCapacity = capacity;
}

void TEditStringList::Grow()
{
    int delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
    SetCapacity(FCapacity + delta);
}

void TEditStringList::Clear()
{
    if (FList.empty() && FCapacity == 0)
        return;
    Changing();
    FList.clear();
    FList.shrink_to_fit();
    FCapacity = 0;
    Changed();
}

void TEditStringList::Delete(int index)
{
    CheckIndex(index);
    Changing();
    FList.erase(FList.begin() + index);
    Changed();
}

void TEditStringList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(FList[index1], FList[index2]);
    Changed();
}

void TEditStringList::Insert(int index, std::string_view text) { InsertObject(index, text, nullptr); }

void TEditStringList::InsertObject(int index, std::string_view text, void *object)
{
    if (FSorted)
        SortedListError();
    if (index < 0 || index > GetCount())
        IndexError(index);
    InsertItem(index, text, kNewLineWidth, kNewLineState, object);
}

void TEditStringList::InsertRaw(int index, std::string_view text, void *object)
{
    if (GetCount() == FCapacity)
        Grow();
    TEditStringItem item;
    item.FString.assign(text);
    item.FObject = object;
    FList.insert(FList.begin() + index, std::move(item));
}

void TEditStringList::InsertItem(int index, std::string_view text, int32_t lineWidth, int32_t lineState, void *object)
{
    Changing();
    InsertRaw(index, text, object);
    FList[index].FLineWidth = lineWidth;
    FList[index].FLineState = lineState;
    Changed();
}

int TEditStringList::IndexOf(std::string_view text) const
{
    if (FSorted) {
        int index = 0;
        return Find(text, index) ? index : -1;
    }
    for (int i = 0; i < GetCount(); ++i)
        if (CompareStrings(FList[i].FString, text) == 0)
            return i;
    return -1;
}

int TEditStringList::Add(std::string_view text)
{
    if (text.empty())
        return AddObject(text, nullptr);
    int last = -1;
    for (std::string_view piece : SplitTextLines(text))
        last = AddObject(piece, nullptr);
    return last;
}

int TEditStringList::AddObject(std::string_view text, void *object)
{
    int index = GetCount();
    if (FSorted && Find(text, index)) {
        switch (FDuplicates) {
        case TDuplicates::dupIgnore: return index;
        case TDuplicates::dupError: throw EStringListError("重複する文字列はリストに追加できません");
        case TDuplicates::dupAccept: break;
        }
    }
    InsertItem(index, text, kNewLineWidth, kNewLineState, object);
    return index;
}

void TEditStringList::Put(int index, std::string_view text)
{
    if (FSorted)
        SortedListError();
    CheckIndex(index);
    Changing();
    // The first piece replaces the line's text and keeps its cache; the others become new lines
    // after it, in the order they come in the text.
    std::vector<std::string_view> pieces = SplitTextLines(text, true);
    FList[index].FString.assign(pieces[0]);
    for (size_t k = 1; k < pieces.size(); ++k)
        InsertRaw(index + static_cast<int>(k), pieces[k], nullptr);
    Changed();
}

int TEditStringList::CompareStrings(std::string_view a, std::string_view b) const
{
    if (a == b)
        return 0;
    std::wstring ka = ToCollationKey(a, !FCaseSensitive);
    std::wstring kb = ToCollationKey(b, !FCaseSensitive);
    int r = std::wcscoll(ka.c_str(), kb.c_str());
    if (r == 0 && FCaseSensitive)
        r = a < b ? -1 : a > b ? 1 : 0;
    return r;
}

void TEditStringList::QuickSort(int left, int right, const TStringListSortCompare &compare)
{
    int i;
    do {
        i = left;
        int j = right;
        int pivot = (left + right) / 2;
        do {
            while (compare(this, i, pivot) < 0)
                ++i;
            while (compare(this, j, pivot) > 0)
                --j;
            if (i <= j) {
                if (i != j)
                    std::swap(FList[i], FList[j]);
                // The pivot line travels with the exchange.
                if (pivot == i)
                    pivot = j;
                else if (pivot == j)
                    pivot = i;
                ++i;
                --j;
            }
        } while (i <= j);
        if (left < j)
            QuickSort(left, j, compare);
        left = i;
    } while (i < right);
}

void TEditStringList::CustomSort(const TStringListSortCompare &compare)
{
    if (FSorted || GetCount() < 2)
        return;
    Changing();
    QuickSort(0, GetCount() - 1, compare);
    Changed();
}

void TEditStringList::Sort()
{
    CustomSort([](TEditStringList *list, int a, int b) {
        return list->CompareStrings(list->FList[a].FString, list->FList[b].FString);
    });
}

bool TEditStringList::Find(std::string_view text, int &index) const
{
    bool found = false;
    int low = 0;
    int high = GetCount() - 1;
    while (low <= high) {
        int mid = (low + high) / 2;
        int c = CompareStrings(FList[mid].FString, text);
        if (c < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
            if (c == 0) {
                found = true;
                if (FDuplicates != TDuplicates::dupAccept)
                    low = mid;
            }
        }
    }
    index = low;
    return found;
}

int32_t TEditStringList::GetLineState(int index) const
{
    CheckIndex(index);
    return FList[index].FLineState;
}

void TEditStringList::SetLineState(int index, int32_t value)
{
    CheckIndex(index);
    Changing();
    FList[index].FLineState = value;
    Changed();
}

int32_t TEditStringList::GetLineWidth(int index) const
{
    CheckIndex(index);
    return FList[index].FLineWidth;
}

void TEditStringList::SetLineWidth(int index, int32_t value)
{
    CheckIndex(index);
    FList[index].FLineWidth = value;
}

void TEditStringList::BeginUpdate()
{
    if (FUpdateCount == 0)
        SetUpdateState(true);
    ++FUpdateCount;
}

void TEditStringList::EndUpdate()
{
    if (FUpdateCount <= 0)
        return;
    --FUpdateCount;
    if (FUpdateCount == 0)
        SetUpdateState(false);
}

void TEditStringList::SetUpdateState(bool updating)
{
    if (updating)
        Changing();
    else
        Changed();
}

void TEditStringList::Changed()
{
    if (FUpdateCount == 0 && OnChange)
        OnChange(this);
}

void TEditStringList::Changing()
{
    if (FUpdateCount == 0 && OnChanging)
        OnChanging(this);
}

void TEditStringList::SetSorted(bool value)
{
    if (FSorted == value)
        return;
    if (value)
        Sort();
    FSorted = value;
}

void TEditStringList::SetCaseSensitive(bool value)
{
    if (FCaseSensitive == value)
        return;
    FCaseSensitive = value;
    if (FSorted) {
        // The order depends on the comparison: sort again under the new rule.
        FSorted = false;
        Sort();
        FSorted = true;
    }
}

std::string TEditStringList::GetText() const
{
    size_t size = 0;
    for (const TEditStringItem &item : FList)
        size += item.FString.size() + 2;
    std::string text;
    text.reserve(size);
    for (const TEditStringItem &item : FList) {
        text += item.FString;
        text += "\r\n";
    }
    return text;
}

void TEditStringList::SetText(std::string_view text)
{
    BeginUpdate();
    try {
        Clear();
        std::vector<std::string_view> pieces = SplitTextLines(text);
        if (!FSorted)
            SetCapacity(static_cast<int>(pieces.size()));
        for (std::string_view piece : pieces)
            AddObject(piece, nullptr);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TEditStringList::LoadFromStream(std::istream &stream)
{
    std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    SetText(text);
}

void TEditStringList::SaveToStream(std::ostream &stream) const
{
    std::string text = GetText();
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
}

double NowAsDateTime()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local {};
    localtime_r(&now.tv_sec, &local);
    double seconds = static_cast<double>(now.tv_sec) + local.tm_gmtoff + now.tv_nsec / 1e9;
    return seconds / 86400.0 + 25569.0;
}

TEditModiInfo::TEditModiInfo() { Reset(); }

void TEditModiInfo::Reset()
{
    FileName = "無題";
    ValidStateLine = -1;
    ResetTime = NowAsDateTime();
}

// ---- the view layout model ------------------------------------------------------------

namespace {

// ASCII letters upper-cased, double-byte characters left whole (a trail byte may be a letter).
std::string UpperAscii(std::string_view s)
{
    std::string out(s);
    for (size_t i = 0; i < out.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(out[i]);
        if (tovik::platform::IsCp932LeadByte(b) && i + 1 < out.size()) {
            ++i;
            continue;
        }
        if (b >= 'a' && b <= 'z')
            out[i] = static_cast<char>(b - 'a' + 'A');
    }
    return out;
}

// The leftmost or rightmost occurrence of sub in text starting after limit (forward) or
// before limit - size(sub) (backward), on character boundaries; -1 when none. The same rule
// as FindSub of the editor's functions, kept here so the model needs no Qt.
int FindInToken(std::string_view text, std::string_view sub, int limit, bool forward)
{
    const int n = static_cast<int>(text.size());
    const int m = static_cast<int>(sub.size());
    if (m == 0 || m > n)
        return -1;
    int found = -1;
    for (int i = 0; i + m <= n;) {
        if (forward ? i > limit : i < limit - m) {
            if (text.compare(static_cast<size_t>(i), static_cast<size_t>(m), sub) == 0) {
                if (forward)
                    return i;
                found = i;
            }
        } else if (!forward) {
            break;
        }
        i += (tovik::platform::IsCp932LeadByte(static_cast<unsigned char>(text[static_cast<size_t>(i)])) && i + 1 < n) ? 2 : 1;
    }
    return found;
}

bool IsBlank(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) > 0x20)
            return false;
    return true;
}

} // namespace

void TEditRangedPos::Clear()
{
    StartPos.Clear();
    EndPos.Clear();
    if (OnClear)
        OnClear(this);
}

void TEditRangedPos::SetRange(const TEditRowCol &a, const TEditRowCol &b)
{
    if (a.Equals(b))
        return;
    if (a.Key() < b.Key()) {
        StartPos = a;
        EndPos = b;
    } else {
        StartPos = b;
        EndPos = a;
    }
}

void TEditRangedPos::GetRange(int &startRow, int &startCol, int &endRow, int &endCol) const
{
    startRow = StartPos.Row;
    startCol = StartPos.Col;
    endRow = EndPos.Row;
    endCol = EndPos.Col;
}

bool TEditRangedPos::Intersects(int row, int column, int length) const
{
    return HasSelection() && !(StartPos.Key() > TEditRowCol::KeyOf(row, column + length)) &&
           EndPos.Key() >= TEditRowCol::KeyOf(row, column);
}

void TEditRangedPos::SplitText(int row, int column, std::string_view text, std::string &before,
                               std::string &inside, std::string &after) const
{
    before.clear();
    inside.clear();
    after.clear();
    const double start = StartPos.Key();
    const double end = EndPos.Key();
    for (size_t i = 0; i < text.size(); ++i) {
        const double key = TEditRowCol::KeyOf(row, column + static_cast<int>(i));
        if (key < start)
            before.push_back(text[i]);
        else if (key < end)
            inside.push_back(text[i]);
        else
            after.push_back(text[i]);
    }
}

TEditTokenItm *TEditTokenList::Add()
{
    FItems.emplace_back();
    return &FItems.back();
}

TEditTokenItm *TEditTokenList::Items(int index)
{
    return index >= 0 && index < Count() ? &FItems[static_cast<size_t>(index)] : nullptr;
}

const TEditTokenItm *TEditTokenList::Items(int index) const
{
    return index >= 0 && index < Count() ? &FItems[static_cast<size_t>(index)] : nullptr;
}

TEditTokenItm *TEditTokenList::TokenAtPixel(double x)
{
    for (TEditTokenItm &t : FItems)
        if (t.PixelX <= x && x < t.PixelX + t.PixelWidth)
            return &t;
    return FItems.empty() ? nullptr : &FItems.back();
}

TEditTokenItm *TEditTokenList::TokenAtCol(int column, bool byDisplay)
{
    for (TEditTokenItm &t : FItems) {
        const int start = byDisplay ? t.DisplayCol : t.Col;
        const int length = byDisplay ? t.DisplayLength : t.Length;
        if (start < column && column <= start + length)
            return &t;
    }
    return nullptr;
}

// Whole word: a token equal to the text (ignoring ASCII case unless matchCase) that ends
// after column (forward) or before it (backward); column < 0 accepts every token.
// Otherwise the text is looked for inside each token: forward starting after column, backward
// starting before it (column < 0: anywhere in the row). Tokens are visited in the direction
// of the search and the first hit wins, so a text spanning two tokens is never found.
int TEditTokenList::Search(std::string_view text, bool forward, int column, bool wholeWord, bool matchCase) const
{
    if (text.empty())
        return -1;
    const std::string key = matchCase ? std::string(text) : UpperAscii(text);
    const int n = Count();
    for (int k = 0; k < n; ++k) {
        const TEditTokenItm &t = FItems[static_cast<size_t>(forward ? k : n - 1 - k)];
        const std::string tokenText = matchCase ? t.Text : UpperAscii(t.Text);
        if (wholeWord) {
            if (tokenText != key)
                continue;
            if (column >= 0 && !(forward ? column < t.Col + t.Length : t.Col + t.Length < column))
                continue;
            return t.Col;
        }
        int limit;
        if (forward)
            limit = column - t.Col;
        else
            limit = column < 0 ? 0x3FFFFFFF : column - t.Col + static_cast<int>(key.size());
        const int at = FindInToken(tokenText, key, limit, forward);
        if (at >= 0)
            return t.Col + at;
    }
    return -1;
}

void TEditLineData::Reset()
{
    Tokens.Clear();
    LineState = -1;
    InState = -1;
    Width = -1;
    State = stNew;
    MeasuredTokens = 0;
    NextDisplayCol = 0;
    NextPixelX = 0;
}

TEditLineData *TEditViewLines::Add()
{
    FItems.push_back(std::make_unique<TEditLineData>());
    return FItems.back().get();
}

TEditLineData *TEditViewLines::Insert(int index)
{
    if (index < 0 || index > Count())
        return nullptr;
    auto it = FItems.insert(FItems.begin() + index, std::make_unique<TEditLineData>());
    return it->get();
}

void TEditViewLines::Delete(int index)
{
    if (index >= 0 && index < Count())
        FItems.erase(FItems.begin() + index);
}

TEditLineData *TEditViewLines::Items(int index)
{
    return index >= 0 && index < Count() ? FItems[static_cast<size_t>(index)].get() : nullptr;
}

const TEditLineData *TEditViewLines::Items(int index) const
{
    return index >= 0 && index < Count() ? FItems[static_cast<size_t>(index)].get() : nullptr;
}

int TEditViewLines::FirstDocRow() const { return FItems.empty() ? 0 : FItems.front()->DocRow; }

int TEditViewLines::LastDocRow() const { return FItems.empty() ? -1 : FItems.back()->DocRow; }

TEditLineData *TEditViewLines::FindByDocRow(int row)
{
    const int i = IndexOfDocRow(row);
    return i < 0 ? nullptr : FItems[static_cast<size_t>(i)].get();
}

int TEditViewLines::IndexOfDocRow(int row) const
{
    // The rows on screen are consecutive from the first one; check that guess first.
    if (!FItems.empty()) {
        const long guess = static_cast<long>(row) - FItems.front()->DocRow;
        if (guess >= 0 && guess < Count() && FItems[static_cast<size_t>(guess)]->DocRow == row)
            return static_cast<int>(guess);
    }
    for (int i = 0; i < Count(); ++i)
        if (FItems[static_cast<size_t>(i)]->DocRow == row)
            return i;
    return -1;
}

TEditTokenItm *TEditViewLines::TokenAt(int row, int column)
{
    TEditLineData *line = FindByDocRow(row);
    return line ? line->Tokens.TokenAtCol(column, true) : nullptr;
}

TEditViewInfo::TEditViewInfo(TEditViewNotify *owner) : Owner(owner) { ResetView(); }

void TEditViewInfo::EndChange()
{
    --ChangeCount;
    if (ChangeCount == 0 && Owner)
        Owner->ViewCaretChanged();
    if (ChangeCount < 0)
        ChangeCount = 0;
}

void TEditViewInfo::CalcVisibleLines(int height)
{
    if (LineHeight != 0)
        VisibleLines = height / LineHeight;
}

int TEditViewInfo::TokenKindAt(int row, int column)
{
    TEditTokenItm *t = ViewLines.TokenAt(row, column);
    return t ? t->Kind : 0;
}

std::string TEditViewInfo::CaretTokenText()
{
    TEditTokenItm *t = ViewLines.TokenAt(Caret.Row, Caret.Col);
    if (!t || t->Kind == 9)
        return std::string();
    return t->Text;
}

int TEditViewInfo::CaretTokenKind()
{
    TEditTokenItm *t = ViewLines.TokenAt(Caret.Row, Caret.Col);
    return t ? t->Kind : 0;
}

std::string TEditViewInfo::GetAutoIndent()
{
    TEditLineData *line = ViewLines.FindByDocRow(Caret.Row);
    if (!line || line->Tokens.Count() == 0)
        return std::string();
    const TEditTokenItm *first = line->Tokens.Items(0);
    if (first->Kind != 9) {
        if (IsBlank(first->Text))
            return first->Text;
        return std::string();
    }
    std::string result;
    for (const TEditTokenItm &t : line->Tokens) {
        if (t.Kind != 9)
            break;
        if (TABMode == TLxEditorTabMode::tmTabChar) {
            result.push_back('\t');
        } else {
            const int tab = TabIndents < 1 ? 1 : TabIndents;
            result.append(static_cast<size_t>(tab - static_cast<int>(result.size()) % tab), ' ');
        }
    }
    return result;
}

void TEditViewInfo::ResetView()
{
    TopLine = 0;
    HorzOffset = 0;
    Caret.Clear();
    PrevCaret.Clear();
    MaxLineWidth = 0;
    WidestLine = 0;
    Selection.Clear();
    ViewLines.Clear();
}

void TEditViewInfo::SetCaretAxis(int axis, int value)
{
    if (GetCaret(axis) == value)
        return;
    BeginChange();
    if (axis == 0)
        Caret.Row = value;
    else
        Caret.Col = value;
    EndChange();
    if (axis == 0 && Owner)
        Owner->ViewCaretRowChanged();
}

void TEditViewInfo::SetCaret(int row, int column)
{
    if (TEditRowCol::KeyOf(row, column) == Caret.Key())
        return;
    PrevCaret = Caret;
    BeginChange();
    SetCaretAxis(0, row);
    SetCaretAxis(1, column);
    EndChange();
}

void TEditViewInfo::SetMaxLineWidth(double width)
{
    if (width == MaxLineWidth)
        return;
    MaxLineWidth = width;
    if (Owner)
        Owner->ViewHorzRangeChanged();
}

void TEditViewInfo::RecalcMaxWidth()
{
    double widest = 0;
    int row = 0;
    for (int i = 0; i < ViewLines.Count(); ++i) {
        const TEditLineData *line = ViewLines.Items(i);
        if (line->Width > widest) {
            widest = line->Width;
            row = line->DocRow;
        }
    }
    MaxLineWidth = widest;
    WidestLine = row;
}

void TEditViewInfo::InvalidateViewLines(int row, bool following)
{
    const int i = ViewLines.IndexOfDocRow(row);
    if (i < 0)
        return;
    const int last = following ? ViewLines.Count() - 1 : i;
    for (int k = i; k <= last; ++k)
        ViewLines.Items(k)->Reset();
}

void TEditViewInfo::ExtendSelection(TEditRowCol &dirtyStart, TEditRowCol &dirtyEnd)
{
    const TEditRowCol c = Caret;
    auto ordered = [&](const TEditRowCol &a, const TEditRowCol &b) {
        if (a.Key() <= b.Key()) {
            dirtyStart = a;
            dirtyEnd = b;
        } else {
            dirtyStart = b;
            dirtyEnd = a;
        }
    };
    if (!Selection.HasSelection()) {
        Selection.SetRange(PrevCaret, c);
        ordered(PrevCaret, c);
        return;
    }
    const TEditRowCol s = Selection.StartPos;
    const TEditRowCol e = Selection.EndPos;
    if (PrevCaret.Equals(e)) {
        // The anchor is the start.
        if (c.Equals(s)) {
            ordered(s, e);
            Selection.Clear();
        } else if (c.Key() > s.Key()) {
            Selection.EndPos = c;
            ordered(e, c);
        } else {
            Selection.StartPos = c;
            Selection.EndPos = s;
            ordered(c, e);
        }
    } else {
        // The anchor is the end.
        if (c.Equals(e)) {
            ordered(s, e);
            Selection.Clear();
        } else if (c.Key() > e.Key()) {
            Selection.StartPos = e;
            Selection.EndPos = c;
            ordered(s, c);
        } else {
            Selection.StartPos = c;
            ordered(s, c);
        }
    }
}

void TEditViewInfo::SetTopLine(int line)
{
    if (line == TopLine)
        return;
    if (ViewLines.Count() > 0) {
        const int d = line > TopLine ? line - TopLine : TopLine - line;
        if (d >= VisibleLines) {
            ViewLines.Clear();
            ViewLines.Add()->DocRow = line;
        } else if (line > TopLine) {
            for (int k = 0; k < d && ViewLines.Count() > 0; ++k)
                ViewLines.Delete(0);
            if (ViewLines.Count() == 0)
                ViewLines.Add()->DocRow = line;
        } else {
            for (int k = 0; k < d; ++k) {
                if (ViewLines.Count() >= VisibleLines)
                    ViewLines.Delete(ViewLines.Count() - 1);
                ViewLines.Insert(0);
            }
            // Number the new entries so the rows on screen stay consecutive.
            for (int k = 0; k < d && k < ViewLines.Count(); ++k)
                ViewLines.Items(k)->DocRow = line + k;
        }
    }
    TopLine = line;
}

void TEditViewInfo::SetDrawMarks(bool value)
{
    if (DrawMarks == value)
        return;
    DrawMarks = value;
    if (Owner)
        Owner->ViewRepaint();
}

void TEditViewInfo::SetMarksColor(int32_t value)
{
    if (MarksColor == value)
        return;
    MarksColor = value;
    if (Owner)
        Owner->ViewRepaint();
}

bool TEditViewInfo::SetTabIndents(int value)
{
    if (value == TabIndents)
        return true;
    if (value < 2 || value > 12) {
        if (Owner)
            Owner->ViewMessage("タブの範囲は2-12です");
        return false;
    }
    TabIndents = value;
    ViewLines.Clear();
    if (Owner)
        Owner->ViewRepaint();
    return true;
}
