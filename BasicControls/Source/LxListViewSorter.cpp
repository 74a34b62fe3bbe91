#include "LxListViewSorter.h"

#include <QHeaderView>

#include <algorithm>

namespace {

inline unsigned char FoldAZ(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

} // namespace

int CompareTextAZ(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char ca = FoldAZ(static_cast<unsigned char>(a[i]));
        const unsigned char cb = FoldAZ(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void TLxListViewSorter::SetListView(QHeaderView *header, int columnCount, SortHandler handler)
{
    if (header == FHeader)
        return;
    QObject::disconnect(FClickConnection);
    FHeader = header;
    FHandler = std::move(handler);
    FDirections.assign(header ? std::max(columnCount, 0) : 0, -1);
    if (FHeader) {
        FHeader->setSectionsClickable(true);
        FClickConnection = QObject::connect(FHeader, &QHeaderView::sectionClicked, FHeader, [this](int column) { ColumnClick(column); });
    }
}

void TLxListViewSorter::ColumnClick(int column)
{
    if (!FHeader || !FActive)
        return;
    FSortColumn = column;
    if (column >= 0 && column < int(FDirections.size()))
        FDirections[column] = FDirections[column] <= 0 ? 1 : -1;
    if (FHandler)
        FHandler(FSortColumn, Direction());
}

int TLxListViewSorter::Direction() const
{
    if (FSortColumn < 0 || FSortColumn >= int(FDirections.size()))
        return 0;
    return FDirections[FSortColumn];
}
