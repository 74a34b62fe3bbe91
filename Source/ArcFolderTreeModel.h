// The folder tree of an archive tab, as a Qt model over the contents model.
//
// One root row, captioned with the archive's file name, holds the archive's folders as the
// contents model has them, in their order. The model knows nothing of the view: the view
// decides how a folder's state shows. Each index points to its TLxArcFolderItem, which must
// outlive it; SetArcData(nullptr) before the contents model changes or goes.
#ifndef TOVIK_SOURCE_ARCFOLDERTREEMODEL_H
#define TOVIK_SOURCE_ARCFOLDERTREEMODEL_H

#include "Source/LxPnArcDataClasses.h"

#include <QAbstractItemModel>

class TArcFolderTreeModel : public QAbstractItemModel
{
public:
    // The folder's state number: 1 a folder with sub-folders, 3 one without; the root row
    // answers 0. A view shows 1 as 2 while the folder is expanded.
    static constexpr int StateImageRole = Qt::UserRole + 1;

    explicit TArcFolderTreeModel(QObject *parent = nullptr) : QAbstractItemModel(parent) {}

    // Shows the folders of data (null: no rows at all).
    void SetArcData(TLxArcData *data);
    TLxArcData *ArcData() const { return FData; }

    // The folder of an index (the root row gives the TLxArcData itself), or null.
    TLxArcFolderItem *FolderAt(const QModelIndex &index) const;
    // The index of a folder of the shown archive; invalid for null.
    QModelIndex IndexOf(TLxArcFolderItem *folder) const;
    QModelIndex RootIndex() const { return IndexOf(FData); }

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    // The folder that holds folder, null for the root.
    TLxArcFolderItem *ParentOf(const TLxArcFolderItem *folder) const;

    TLxArcData *FData = nullptr;
};

#endif
