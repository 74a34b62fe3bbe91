// The editor's line store and the record of a document's origin.
//
// Lines are byte strings in the display code page (CP932), without line-end characters. Each
// line carries two integers of cache for the view: the syntax parser's state at the end of the
// line and the line's width in pixels as last drawn. Storing a text that holds line breaks into
// the list splits it into several lines.
#ifndef TOVIK_EDITOR_EDITTYPES_H
#define TOVIK_EDITOR_EDITTYPES_H

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A list operation refused: an index out of range, a change the sorted order forbids, or a
// duplicate refused by the duplicates mode. what() is the user-facing text (UTF-8).
class EStringListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TDuplicates { dupIgnore, dupAccept, dupError };

// One line of the store.
struct TEditStringItem {
    std::string FString;
    void *FObject = nullptr;
    int32_t FLineState = -99;
    int32_t FLineWidth = -1;
};

class TEditStringList {
public:
    // A line that has never been parsed / never been measured.
    static constexpr int32_t kUnparsedState = -99;
    static constexpr int32_t kUnmeasuredWidth = -1;

    using TNotifyEvent = std::function<void(TEditStringList *sender)>;
    // Answers <0, 0 or >0 for the order of the lines index1 and index2.
    using TStringListSortCompare = std::function<int(TEditStringList *list, int index1, int index2)>;

    TEditStringList();
    virtual ~TEditStringList();
    TEditStringList(const TEditStringList &) = delete;
    TEditStringList &operator=(const TEditStringList &) = delete;

    // Lines and their objects. An index outside 0 .. count - 1 raises EStringListError.
    virtual const std::string &Get(int index) const;
    virtual void Put(int index, std::string_view text);
    virtual void *GetObject(int index) const;
    virtual void PutObject(int index, void *object);
    virtual int GetCount() const;
    int Count() const { return GetCount(); }
    const std::string &operator[](int index) const { return Get(index); }

    virtual int GetCapacity() const;
    // A capacity below the count is ignored: lines are never dropped this way.
    virtual void SetCapacity(int capacity);

    virtual void Clear();
    virtual void Delete(int index);
    virtual void Exchange(int index1, int index2);
    // Insert accepts 0 .. count; refused on a sorted list.
    virtual void Insert(int index, std::string_view text);
    virtual void InsertObject(int index, std::string_view text, void *object);
    // The index of the first line equal to text by CompareStrings, or -1.
    virtual int IndexOf(std::string_view text) const;
    // An empty text adds one empty line; otherwise one line per piece between line breaks
    // (CR, LF or CR LF; a final break adds no empty line). Answers the index of the last line added.
    virtual int Add(std::string_view text);
    // Adds one line as it stands (at its sorted place in a sorted list).
    virtual int AddObject(std::string_view text, void *object);

    // Locale-aware comparison of two lines, case-sensitive when CaseSensitive is set.
    virtual int CompareStrings(std::string_view a, std::string_view b) const;
    virtual void CustomSort(const TStringListSortCompare &compare);
    virtual void Sort();
    // Bisection search of a sorted list. Answers whether text was found; index is where it is
    // (the first of equal lines when duplicates are accepted) or where it would be inserted.
    virtual bool Find(std::string_view text, int &index) const;

    // The per-line cache. SetLineState notifies; SetLineWidth does not (it is written while painting).
    int32_t GetLineState(int index) const;
    void SetLineState(int index, int32_t value);
    int32_t GetLineWidth(int index) const;
    void SetLineWidth(int index, int32_t value);

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    bool Sorted() const { return FSorted; }
    void SetSorted(bool value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates value) { FDuplicates = value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool value);

    // Every line followed by CR LF.
    std::string GetText() const;
    // Replaces the lines by the pieces of text between line breaks (CR, LF or CR LF); a final
    // break adds no empty line. Zero bytes are kept as part of their line.
    void SetText(std::string_view text);
    void LoadFromStream(std::istream &stream);
    void SaveToStream(std::ostream &stream) const;

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changed();
    virtual void Changing();
    virtual void InsertItem(int index, std::string_view text, int32_t lineWidth, int32_t lineState, void *object);
    virtual void SetUpdateState(bool updating);

    // Raises the list index error for index.
    [[noreturn]] static void IndexError(int index);
    [[noreturn]] static void SortedListError();

private:
    void Grow();
    void InsertRaw(int index, std::string_view text, void *object);
    void CheckIndex(int index) const;
    void QuickSort(int left, int right, const TStringListSortCompare &compare);

    std::vector<TEditStringItem> FList;
    int FCapacity = 0;
    bool FSorted = false;
    TDuplicates FDuplicates = TDuplicates::dupIgnore;
    bool FCaseSensitive = false;
    int FUpdateCount = 0;
};

// Splits text at CR, LF and CR LF the way the line store loads text: a final break adds no
// empty piece, and an empty text gives no piece.
std::vector<std::string_view> SplitTextLines(std::string_view text);

// Where the document came from and how far its line states are valid.
class TEditModiInfo {
public:
    TEditModiInfo();
    virtual ~TEditModiInfo() = default;

    // FileName "無題", ValidStateLine -1, ResetTime now.
    void Reset();

    std::string FileName;        // UTF-8
    double FileDate = 0;         // days since 1899-12-30, local time
    int32_t ValidStateLine = -1; // the last line whose LineState is valid; -1 when none
    double ResetTime = 0;        // days since 1899-12-30, local time
};

// The current local date and time as days since 1899-12-30.
double NowAsDateTime();

#endif
