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

// The pieces of text between line breaks, a break after the last piece giving one more (empty)
// piece: "x\r" is "x" and "". What Put stores.
std::vector<std::string_view> SplitAtEveryBreak(std::string_view text)
{
    std::vector<std::string_view> pieces;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        pieces.push_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

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

std::vector<std::string_view> SplitTextLines(std::string_view text)
{
    std::vector<std::string_view> pieces;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        size_t start = i;
        while (i < n && text[i] != '\r' && text[i] != '\n')
            ++i;
        pieces.push_back(text.substr(start, i - start));
        if (i < n && text[i] == '\r')
            ++i;
        if (i < n && text[i] == '\n')
            ++i;
    }
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
    std::vector<std::string_view> pieces = SplitAtEveryBreak(text);
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
