#include "Source/ArcFolderTreeModel.h"

#include "Source/LxPnGlobalProcs.h"

void TArcFolderTreeModel::SetArcData(TLxArcData *data)
{
    beginResetModel();
    FData = data;
    endResetModel();
}

TLxArcFolderItem *TArcFolderTreeModel::FolderAt(const QModelIndex &index) const
{
    if (!FData || !index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<TLxArcFolderItem *>(index.internalPointer());
}

TLxArcFolderItem *TArcFolderTreeModel::ParentOf(const TLxArcFolderItem *folder) const
{
    // A folder's list belongs to the contents of the folder above it.
    if (!folder || folder == FData || !folder->Owner || !folder->Owner->Owner)
        return nullptr;
    return folder->Owner->Owner->Owner;
}

QModelIndex TArcFolderTreeModel::IndexOf(TLxArcFolderItem *folder) const
{
    if (!FData || !folder)
        return QModelIndex();
    return createIndex(folder == FData ? 0 : folder->Index, 0, folder);
}

QModelIndex TArcFolderTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!FData || column != 0 || row < 0)
        return QModelIndex();
    if (!parent.isValid())
        return row == 0 ? IndexOf(FData) : QModelIndex();
    TLxArcFolderItem *folder = FolderAt(parent);
    if (!folder)
        return QModelIndex();
    return IndexOf(folder->Data->Folders->Items(row));
}

QModelIndex TArcFolderTreeModel::parent(const QModelIndex &child) const
{
    return IndexOf(ParentOf(FolderAt(child)));
}

int TArcFolderTreeModel::rowCount(const QModelIndex &parent) const
{
    if (!FData)
        return 0;
    if (!parent.isValid())
        return 1;
    if (parent.column() != 0)
        return 0;
    TLxArcFolderItem *folder = FolderAt(parent);
    return folder ? folder->Data->Folders->Count() : 0;
}

int TArcFolderTreeModel::columnCount(const QModelIndex &) const { return 1; }

bool TArcFolderTreeModel::hasChildren(const QModelIndex &parent) const { return rowCount(parent) > 0; }

QVariant TArcFolderTreeModel::data(const QModelIndex &index, int role) const
{
    TLxArcFolderItem *folder = FolderAt(index);
    if (!folder)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        // The root's name is the archive's file name as the file system spells it.
        return folder == FData ? QString::fromUtf8(FData->Name) : NameToQString(folder->Name);
    case StateImageRole:
        if (folder == FData)
            return 0;
        return folder->Data->Folders->Count() > 0 ? 1 : 3;
    default:
        return QVariant();
    }
}
