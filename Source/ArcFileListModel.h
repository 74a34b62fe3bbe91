// The file list of an archive tab: the rows of one folder of the contents model, as a Qt
// model, never one widget item per row, so that a folder of 100,000 entries shows and sorts
// at once. Rows only point into the contents model, which must outlive them.
#ifndef TOVIK_SOURCE_ARCFILELISTMODEL_H
#define TOVIK_SOURCE_ARCFILELISTMODEL_H

#include "Source/LxIConLib.h"
#include "Source/LxPnArcDataClasses.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>

#include <string>
#include <string_view>
#include <vector>

// The rows of one folder: its sub-folders, then its entries, in the order the archive gave
// them until a column heading is clicked.
class TArcFileListModel : public QAbstractTableModel
{
public:
    static constexpr int ColumnCount = 9;

    explicit TArcFileListModel(QObject *parent = nullptr) : QAbstractTableModel(parent) {}

    // Shows the contents of folder (null: nothing) with icons from iconLib.
    void SetFolder(TLxArcFolderData *folder, TLxIConLib *iconLib, const QList<QIcon> *images);
    TLxArcFolderData *Folder() const { return FFolder; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The folder of a folder row, the entry of a file row; null otherwise.
    TLxArcFolderItem *FolderAt(int row) const;
    TLxPackedItem *EntryAt(int row) const;
    // The stored paths (CP932) that rows stand for: a file row's entry; a folder row's own
    // path (with "/"; an empty folder has nothing else) and every entry below it.
    std::vector<std::string> EntryPaths(const QModelIndexList &rows) const;
    // The shown folder's stored path with a trailing "/" ("" for the root or no folder).
    std::string FolderPath() const;
    // 0 for a folder row, the type's picture (1 and above) for a file row, -1 out of range.
    int ImageIndex(int row) const;
    // The text of a cell as the list shows it (CP932 bytes). Folder rows have texts only in
    // the caption column and the four columns after it (empty ones).
    std::string CellText(int row, int column) const;

    // Narrows the rows to names containing Needle (CP932): ASCII letters of either case match,
    // every other character only itself. Empty shows every row again. The order of the
    // last Sort stays.
    void SetFilter(const std::string &Needle);
    // The same for a text as typed: a character CP932 cannot hold is in no name, and then no
    // row matches.
    void SetFilterText(const QString &Text);
    const std::string &Filter() const { return FFilter; }
    // Whether Name (CP932) contains Needle by SetFilter's rule.
    static bool NameMatches(std::string_view Name, std::string_view Needle);

    // Re-orders the rows by column's texts; direction 1 ascending, -1 descending. Rows of
    // equal text keep their order.
    void Sort(int column, int direction);

private:
    TLxArcFolderData *FFolder = nullptr;
    TLxIConLib *FIconLib = nullptr;
    const QList<QIcon> *FImages = nullptr;
    int FFolderCount = 0;
    // Row -> position in the folder: sub-folders first (0 .. FFolderCount-1), then entries.
    // FOrder holds the rows shown (those the filter lets through), FAllOrder every row.
    std::vector<int> FOrder;
    std::vector<int> FAllOrder;
    std::string FFilter;
    // The rows of FAllOrder that pass the filter.
    void Refilter();
    const std::string &NameAt(int position) const;
};

#endif
