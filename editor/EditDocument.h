// The editor's document: the line store with the file extension that picks the syntax
// parser, the record of where the text came from, and every text operation that works in
// display columns (expanded lines, see EditFuncs.h).
//
// Line states (the parser's open block comment at each line's end) become valid lazily,
// from the top down to the rows shown (EnsureLineStates); an edit that changes its row's end
// state, or adds or removes a line break, makes the states below it invalid again.
//
// Changes reach the views through OnLinesChanged with the rows concerned, once per
// operation (a tokenizer pass over many rows reports once). OnChange reports a wholesale
// replacement of the content (load, assign, set text): views then reset themselves.
//
// The document holds no view's units: pixel widths live in each view's own line cache.
#ifndef TOVIK_EDITOR_EDITDOCUMENT_H
#define TOVIK_EDITOR_EDITDOCUMENT_H

#include "editor/EditTokenizer.h"
#include "editor/EditTypes.h"

#include <functional>
#include <string>
#include <string_view>

// Rows FirstRow .. LastRow (numbered after the change) changed; RowDelta rows were added
// (> 0) or removed (< 0) after FirstRow; StatesBeyond: the line states from LastRow + 1 on
// are invalid and rows below must be tokenized again; StatesOnly: only line states changed.
struct TEditLinesChange {
    int FirstRow = 0;
    int LastRow = 0;
    int RowDelta = 0;
    bool StatesBeyond = false;
    bool StatesOnly = false;
};

class TLxEditDocs : public TEditStringList {
public:
    using TDocNotify = std::function<void(TLxEditDocs *sender)>;
    using TLinesNotify = std::function<void(TLxEditDocs *sender, const TEditLinesChange &change)>;

    TLxEditDocs();
    ~TLxEditDocs() override;

    // Whole-content replacement; each ends in DoChange.
    // False (and nothing changed) when the file cannot be read.
    bool LoadFromFile(const std::string &fileName);
    void LoadFromStream(std::istream &stream);
    void Assign(const TEditStringList &source);
    void SetTextStr(std::string_view text);
    // Lines as they stand (no splitting beyond the line breaks of each); ends in DoChange.
    void SetLines(std::vector<std::string> &&lines);

    void SetFileExt(const std::string &ext);
    void SetFileExtFromName(const std::string &fileName);
    // Forces a parser language regardless of the extension (0 text, 1 Pascal, 2 Java, 3 C/C++).
    void SetLanguage(int language);
    const std::string &FileExt() const { return FFileExt; }
    int Language() const { return Tokenizer.LanguageId; }

    // Unless updates are held: resets ModiInfo and calls OnChange.
    void DoChange();

    // ---- columns and steps ----
    std::string GetExpandedLine(int row, int tabWidth) const;
    int GetExpandedLength(int row, int tabWidth) const;
    int SnapColumn(int row, int column, int tabWidth) const;
    // One character right (Right key) or left; answers false (pos unchanged) at the ends.
    bool NextCharPos(TEditRowCol &pos, int tabWidth) const;
    bool PrevCharPos(TEditRowCol &pos, int tabWidth) const;
    // The next / previous word start, or (-1, -1).
    TEditRowCol NextWordPos(int row, int column, int tabWidth) const;
    TEditRowCol PrevWordPos(int row, int column, int tabWidth) const;
    // The other end of a one-character Delete (forward) or Backspace (backward).
    TEditRowCol NextDeletePos(const TEditRowCol &pos, int tabWidth, bool backward) const;

    // ---- range primitives (positions in expanded columns) ----
    void SplitRange(const TEditRowCol &start, const TEditRowCol &end, int tabWidth, std::string &before,
                    std::string &between, std::string &after) const;
    // Replaces row with text (line breaks in it make new rows). Answers whether the change
    // reaches beyond the row (its end state changed, or a line break was added).
    bool PutLineText(int row, std::string_view text);
    std::string DeleteRange(TEditRowCol a, TEditRowCol b, int tabWidth, bool &beyond);
    bool InsertTextAt(const TEditRowCol &pos, std::string_view text, int tabWidth);
    // Where text inserted at pos ends, in the expanded columns the row will have (tabs
    // reach their real tab stops; line breaks as the line store splits them).
    TEditRowCol InsertEndPos(const TEditRowCol &pos, std::string_view text, int tabWidth) const;
    std::string ReplaceRange(TEditRowCol a, TEditRowCol b, std::string_view text, bool keepLength, int tabWidth,
                             bool &beyond);

    // The selected text (tabs as tab bytes, rows joined with CR LF); empty without selection.
    std::string SelectionText(const TEditViewInfo &view) const;
    // SelectionText to the clipboard when not empty.
    void CopySelection(const TEditViewInfo &view) const;

    // Token search from pos (see TEditTokenList::Search); on a hit pos moves there.
    bool FindToken(std::string_view text, TEditRowCol &pos, bool wholeWord, bool matchCase, bool forward,
                   int tabWidth) const;
    // Plain byte search, case-sensitive; on a hit pos moves there.
    bool FindText(std::string_view text, TEditRowCol &pos, bool forward, int tabWidth) const;

    // ---- tokenizing ----
    // Fills list from one line; kinds, raw columns, lengths and texts.
    static void TokenizeLine(TEditBasicParser &parser, std::string_view text, TEditTokenList &list);
    // Brings the line states up to date down to row upTo (one change notification).
    void EnsureLineStates(int upTo);
    // Tokenizes the view's rows on screen that need it, with their draw properties.
    void RefreshViewLines(TEditViewInfo &view);

    TEditTokenizer Tokenizer;
    TEditModiInfo ModiInfo;
    // Hides the line store's own OnChange: this one reports wholesale replacement only.
    TDocNotify OnChange;
    TLinesNotify OnLinesChanged;

private:
    void NotifyLines(int first, int last, int delta, bool beyond, bool statesOnly = false);
    void DeleteRowsAfter(int row, int count);
    std::string FFileExt;
};

#endif
