// Sorting of a file list by a clicked column heading.
//
// A click on a heading makes that column the sort column; the first click on a column sorts
// ascending, each further click on the same column turns the direction over. Texts compare
// ordinally with only the letters A to Z folded, so a size column, whose texts are padded on
// the left with blanks to a fixed width, orders numerically.
#ifndef TOVIK_LXLISTVIEWSORTER_H
#define TOVIK_LXLISTVIEWSORTER_H

#include <QMetaObject>

#include <functional>
#include <string_view>
#include <vector>

class QHeaderView;

// Ordinal comparison of two display texts (CP932 bytes) in which only A-Z and a-z are the
// same: answers below 0, 0 or above 0.
int CompareTextAZ(std::string_view a, std::string_view b);

class TLxListViewSorter
{
public:
    // Called with the sort column and its direction (1 ascending, -1 descending) whenever
    // the list is to be re-sorted.
    using SortHandler = std::function<void(int column, int direction)>;

    TLxListViewSorter() = default;

    bool Active() const { return FActive; }
    void SetActive(bool value) { FActive = value; }

    // Serves the list whose headings are header; its clicks sort through handler. Every
    // column starts with direction -1, so that its first click sorts ascending.
    void SetListView(QHeaderView *header, int columnCount, SortHandler handler);

    // A click on the heading of column: the column becomes the sort column and its direction
    // turns over (1 when it was 0 or below, otherwise -1); then the list is re-sorted.
    void ColumnClick(int column);

    int SortColumn() const { return FSortColumn; }
    // Direction of the sort column, 0 when it lies outside the list's columns.
    int Direction() const;
    // Result of comparing two rows' texts of the sort column, with the direction applied.
    int Compare(std::string_view a, std::string_view b) const { return Direction() * CompareTextAZ(a, b); }

private:
    bool FActive = true;
    QHeaderView *FHeader = nullptr;
    SortHandler FHandler;
    QMetaObject::Connection FClickConnection;
    int FSortColumn = 0;
    std::vector<int> FDirections;
};

#endif
