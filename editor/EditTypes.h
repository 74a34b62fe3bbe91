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
#include <memory>
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
// empty piece, and an empty text gives no piece. With everyBreak, every break starts a piece,
// so "x\r" is "x" and "", and an empty text is one empty piece: what a line replaced by text
// with breaks in it becomes.
std::vector<std::string_view> SplitTextLines(std::string_view text, bool everyBreak = false);

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

// ---- the view layout model ------------------------------------------------------------
//
// Positions are (row, column): a 0-based document row and a 0-based byte column in the row's
// expanded text (tabs followed by filler bytes up to the tab stop). They are ordered by the
// key row + column / 100000, so columns stay below 100000.

class TEditRowCol {
public:
    TEditRowCol() = default;
    TEditRowCol(int32_t row, int32_t col) : Row(row), Col(col) {}

    void Clear() { Row = Col = 0; }
    void Assign(const TEditRowCol &other) { Row = other.Row; Col = other.Col; }
    TEditRowCol GetPoint() const { return *this; }
    void SetPoint(int32_t row, int32_t col) { Row = row; Col = col; }
    bool Equals(const TEditRowCol &other) const { return Row == other.Row && Col == other.Col; }
    double Key() const { return KeyOf(Row, Col); }
    static double KeyOf(int32_t row, int32_t col) { return row + col / 100000.0; }

    bool operator==(const TEditRowCol &other) const { return Equals(other); }
    bool operator<(const TEditRowCol &other) const { return Key() < other.Key(); }

    int32_t Row = 0;
    int32_t Col = 0;
};

// The selection: StartPos before EndPos.
class TEditRangedPos {
public:
    bool HasSelection() const { return EndPos.Key() > StartPos.Key(); }
    // Both positions (0, 0), then OnClear.
    void Clear();
    // Equal positions change nothing; otherwise the smaller becomes the start.
    void SetRange(const TEditRowCol &a, const TEditRowCol &b);
    void GetRange(int &startRow, int &startCol, int &endRow, int &endCol) const;
    // Whether the selection meets the columns column .. column + length of row.
    bool Intersects(int row, int column, int length) const;
    // The bytes of text (starting at column of row) before StartPos, up to EndPos, and after.
    void SplitText(int row, int column, std::string_view text, std::string &before, std::string &inside,
                   std::string &after) const;

    TEditRowCol StartPos;
    TEditRowCol EndPos;
    std::function<void(TEditRangedPos *)> OnClear;
};

enum TEditFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// How one token is drawn. The colours start as the "editor's own colour" marker.
struct TEditDrawProps {
    static constexpr int32_t kDefault = 0x20000000;
    bool Styled = false;
    int32_t BackColor = kDefault;
    int32_t ForeColor = kDefault;
    uint8_t FontStyle = 0; // TEditFontStyle bits
};

// One token of one line. The display and pixel fields are the view's: the painter fills them
// the first time it draws the token (Measured).
struct TEditTokenItm {
    uint8_t Kind = 0;
    int32_t Col = 0;         // start byte in the raw line (or the expanded line, when tokenized so)
    std::string Text;        // the token's bytes
    int32_t Length = 0;      // bytes
    int32_t DisplayCol = 0;  // start column in the expanded line
    int32_t DisplayLength = 0;
    TEditDrawProps DrawProps;
    bool Measured = false;
    double PixelWidth = 0;
    double PixelX = 0;
};

class TEditTokenList {
public:
    TEditTokenItm *Add();
    void Clear() { FItems.clear(); }
    void Reserve(size_t count) { FItems.reserve(count); }
    int Count() const { return static_cast<int>(FItems.size()); }
    // Null when index is out of range.
    TEditTokenItm *Items(int index);
    const TEditTokenItm *Items(int index) const;
    // The first token with PixelX <= x < PixelX + PixelWidth, else the last (null when empty).
    TEditTokenItm *TokenAtPixel(double x);
    // The first token with start < column <= start + length, by display columns or raw ones.
    TEditTokenItm *TokenAtCol(int column, bool byDisplay);
    // The start column of a hit or -1; see the search rules in the .cpp.
    int Search(std::string_view text, bool forward, int column, bool wholeWord, bool matchCase) const;

    std::vector<TEditTokenItm>::iterator begin() { return FItems.begin(); }
    std::vector<TEditTokenItm>::iterator end() { return FItems.end(); }
    std::vector<TEditTokenItm>::const_iterator begin() const { return FItems.begin(); }
    std::vector<TEditTokenItm>::const_iterator end() const { return FItems.end(); }

private:
    std::vector<TEditTokenItm> FItems;
};

// One cached screen line.
class TEditLineData {
public:
    enum : int { stNew = 0, stTokenized = 1, stDrawn = 2, stMeasuredOnly = 3 };
    void Reset();

    TEditTokenList Tokens;
    int32_t LineState = -1;
    int32_t InState = -1; // the parser state the line was tokenized from
    double Width = -1; // pixels, in the units of the view that owns it
    int State = stNew;
    int32_t DocRow = 0;
    // How far the view measured the tokens: the count done, and where the next one starts.
    int MeasuredTokens = 0;
    int NextDisplayCol = 0;
    double NextPixelX = 0;
};

// The line data of the rows on screen, first row first.
class TEditViewLines {
public:
    TEditLineData *Add();
    TEditLineData *Insert(int index);
    void Delete(int index);
    void Clear() { FItems.clear(); }
    int Count() const { return static_cast<int>(FItems.size()); }
    TEditLineData *Items(int index);
    const TEditLineData *Items(int index) const;
    int FirstDocRow() const;
    int LastDocRow() const;
    TEditLineData *FindByDocRow(int row);
    int IndexOfDocRow(int row) const;
    TEditTokenItm *TokenAt(int row, int column);

private:
    std::vector<std::unique_ptr<TEditLineData>> FItems;
};

enum class TLxEditorTabMode { tmSpace, tmTabChar };

// What the view state tells the component it belongs to. Every call is optional.
class TEditViewNotify {
public:
    virtual ~TEditViewNotify() = default;
    // The caret's row or column changed; one call per caret move.
    virtual void ViewCaretChanged() {}
    // The caret's row changed (after ViewCaretChanged's row half).
    virtual void ViewCaretRowChanged() {}
    // MaxLineWidth changed: the horizontal scroll range must follow.
    virtual void ViewHorzRangeChanged() {}
    // A drawing option changed: repaint everything.
    virtual void ViewRepaint() {}
    // A user-facing message (UTF-8), to be shown through the program's message function.
    virtual void ViewMessage(const std::string &) {}
};

class TEditViewInfo {
public:
    explicit TEditViewInfo(TEditViewNotify *owner = nullptr);

    // Stored options.
    bool WordWrap = false;
    bool Readonly = false;
    bool DrawMarks = true;
    int32_t MarksColor = 0xC0C0C0;
    int TabIndents = 4;
    bool AutoIndents = false;
    TLxEditorTabMode TABMode = TLxEditorTabMode::tmSpace;

    TEditViewNotify *Owner = nullptr;
    TEditViewLines ViewLines;
    int TopLine = 0;
    int VisibleLines = 0;
    double HorzOffset = 0;
    int LineHeight = 0;
    TEditRowCol Caret;
    TEditRowCol PrevCaret;
    int ChangeCount = 0;
    double MaxLineWidth = 0;
    int WidestLine = 0;
    TEditRangedPos Selection;

    void BeginChange() { ++ChangeCount; }
    // Coming down to 0 tells the owner the caret changed.
    void EndChange();
    void CalcVisibleLines(int height);
    int GetCaret(int axis) const { return axis == 0 ? Caret.Row : Caret.Col; }
    double CaretKey() const { return Caret.Key(); }
    TEditRowCol GetCaretPoint() const { return Caret; }
    int TokenKindAt(int row, int column);
    std::string CaretTokenText();
    int CaretTokenKind();
    std::string GetAutoIndent();
    int CaretScreenRow() const { return Caret.Row - TopLine; }
    int CaretPixelY() const { return CaretScreenRow() * LineHeight; }
    void ResetView();
    void SetCaretAxis(int axis, int value);
    void SetCaret(int row, int column);
    void SetCaret(const TEditRowCol &pos) { SetCaret(pos.Row, pos.Col); }
    void SetMaxLineWidth(double width);
    void RecalcMaxWidth();
    void InvalidateViewLines(int row, bool following);
    // Updates the selection after a caret move with the selection key held; answers the range
    // to repaint, start before end.
    void ExtendSelection(TEditRowCol &dirtyStart, TEditRowCol &dirtyEnd);
    void SetTopLine(int line);
    void SetDrawMarks(bool value);
    void SetMarksColor(int32_t value);
    // 2 .. 12; anything else is refused with "タブの範囲は2-12です". Answers whether it was stored.
    bool SetTabIndents(int value);
    void SetWordWrap(bool value) { WordWrap = value; }
};

#endif
