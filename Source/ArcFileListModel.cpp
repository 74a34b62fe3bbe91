#include "Source/ArcFileListModel.h"

#include "Source/LxPnGlobalProcs.h"
#include "platform/Cp932.h"
#include "platform/DosDateTime.h"
#include "LxListViewSorter.h"

#include <algorithm>


namespace {

QString ColumnCaption(int column)
{
    static const QString captions[TArcFileListModel::ColumnCount] = {
        QStringLiteral("ファイル名"), QStringLiteral("オリジナルサイズ"), QStringLiteral("圧縮サイズ"),
        QStringLiteral("レート"),     QStringLiteral("日付"),             QStringLiteral("時間"),
        QStringLiteral("属性"),       QStringLiteral("CRC"),              QStringLiteral("モード")};
    return captions[column];
}

std::string PadLeft(std::string text, size_t width)
{
    if (text.size() < width)
        text.insert(0, width - text.size(), ' ');
    return text;
}

// One sub-text of an entry's row (column 1 to 8), built alone so that sorting a column does
// not format the other seven.
std::string EntrySubText(const TLxPackedItem &item, int column)
{
    switch (column) {
    case 1: return SizeText(item.OriginalSize);
    case 2: return SizeText(item.CompressedSize);
    case 3: return PadLeft(item.RatioText, 6);
    case 4: return tovik::platform::DateText(item.DateTime);
    case 5: return tovik::platform::TimeText(item.DateTime);
    case 6: return item.AttrText;
    case 7: return item.CRCText;
    case 8: return item.ModeText;
    default: return std::string();
    }
}

// The stored folder path of a folder of the tree: its names from the root down, "/" after
// each ("" for the root).
std::string FolderStoredPath(const TLxArcFolderItem *folder)
{
    std::vector<const std::string *> names;
    for (const TLxArcFolderItem *f = folder; f && !dynamic_cast<const TLxArcData *>(f);) {
        names.push_back(&f->Name);
        const TLxArcFolderData *data = f->Owner ? f->Owner->Owner : nullptr;
        f = data ? data->Owner : nullptr;
    }
    std::string path;
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        path.append(**it).push_back('/');
    return path;
}

void CollectEntries(const TLxArcFolderData *data, std::vector<std::string> &out)
{
    if (!data)
        return;
    for (int i = 0; i < data->Entries->Count(); ++i)
        out.push_back(data->Entries->Items(i)->Path);
    for (int i = 0; i < data->Folders->Count(); ++i)
        CollectEntries(data->Folders->Items(i)->Data.get(), out);
}

} // namespace

void TArcFileListModel::SetFolder(TLxArcFolderData *folder, TLxIConLib *iconLib, const QList<QIcon> *images)
{
    beginResetModel();
    FFolder = folder;
    FIconLib = iconLib;
    FImages = images;
    FFolderCount = folder ? folder->Folders->Count() : 0;
    const int total = folder ? FFolderCount + folder->Entries->Count() : 0;
    FAllOrder.resize(total);
    for (int i = 0; i < total; ++i)
        FAllOrder[i] = i;
    Refilter();
    endResetModel();
}

const std::string &TArcFileListModel::NameAt(int position) const
{
    return position < FFolderCount ? FFolder->Folders->Items(position)->Name
                                   : FFolder->Entries->Items(position - FFolderCount)->Name;
}

namespace {

// One character of CP932 text at s[i]: its length, and the ASCII letter folded to lower case.
inline std::size_t CharLength(std::string_view s, std::size_t i)
{
    return tovik::platform::IsCp932LeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

inline char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

} // namespace

bool TArcFileListModel::NameMatches(std::string_view Name, std::string_view Needle)
{
    if (Needle.empty())
        return true;
    // Compared character by character from each character start, so that the second byte of
    // a two-byte character never begins a match and is never folded.
    for (std::size_t start = 0; start + Needle.size() <= Name.size(); start += CharLength(Name, start)) {
        std::size_t i = start, j = 0;
        while (j < Needle.size()) {
            std::size_t len = CharLength(Name, i);
            if (len == 1) {
                if (FoldAscii(Name[i]) != FoldAscii(Needle[j]))
                    break;
            } else if (j + 1 >= Needle.size() || Name[i] != Needle[j] || Name[i + 1] != Needle[j + 1]) {
                break;
            }
            i += len;
            j += len;
        }
        if (j == Needle.size())
            return true;
    }
    return false;
}

void TArcFileListModel::Refilter()
{
    if (FFilter.empty()) {
        FOrder = FAllOrder;
        return;
    }
    FOrder.clear();
    for (int position : FAllOrder)
        if (NameMatches(NameAt(position), FFilter))
            FOrder.push_back(position);
}

void TArcFileListModel::SetFilter(const std::string &Needle)
{
    if (Needle == FFilter)
        return;
    beginResetModel();
    FFilter = Needle;
    if (FFolder)
        Refilter();
    endResetModel();
}

void TArcFileListModel::SetFilterText(const QString &Text)
{
    bool lossy = false;
    const QByteArray utf8 = Text.toUtf8();
    const std::string needle = tovik::platform::Utf8ToCp932(std::string_view(utf8.constData(), utf8.size()), &lossy);
    SetFilter(lossy ? std::string(1, '\0') : needle);
}

int TArcFileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(FOrder.size());
}

int TArcFileListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

TLxArcFolderItem *TArcFileListModel::FolderAt(int row) const
{
    if (!FFolder || row < 0 || row >= int(FOrder.size()) || FOrder[row] >= FFolderCount)
        return nullptr;
    return FFolder->Folders->Items(FOrder[row]);
}

TLxPackedItem *TArcFileListModel::EntryAt(int row) const
{
    if (!FFolder || row < 0 || row >= int(FOrder.size()) || FOrder[row] < FFolderCount)
        return nullptr;
    return FFolder->Entries->Items(FOrder[row] - FFolderCount);
}

std::vector<std::string> TArcFileListModel::EntryPaths(const QModelIndexList &rows) const
{
    std::vector<std::string> paths;
    for (const QModelIndex &row : rows) {
        if (TLxPackedItem *entry = EntryAt(row.row()))
            paths.push_back(entry->Path);
        else if (TLxArcFolderItem *folder = FolderAt(row.row())) {
            paths.push_back(FolderStoredPath(folder));
            CollectEntries(folder->Data.get(), paths);
        }
    }
    return paths;
}

std::string TArcFileListModel::FolderPath() const { return FFolder ? FolderStoredPath(FFolder->Owner) : std::string(); }

int TArcFileListModel::ImageIndex(int row) const
{
    if (FolderAt(row))
        return TLxIConLib::FolderImage;
    if (TLxPackedItem *item = EntryAt(row))
        return FIconLib ? FIconLib->ImageIndexFor(item->Name) : TLxIConLib::FileImage;
    return -1;
}

std::string TArcFileListModel::CellText(int row, int column) const
{
    if (TLxArcFolderItem *folder = FolderAt(row))
        return column == 0 ? folder->Name : std::string();
    if (TLxPackedItem *item = EntryAt(row))
        return column == 0 ? item->Name : EntrySubText(*item, column);
    return std::string();
}

QVariant TArcFileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (role == Qt::ToolTipRole && column != 0)
            return QVariant();
        return column == 0 ? NameToQString(CellText(row, column)) : Cp932ToQString(CellText(row, column));
    case Qt::DecorationRole:
        if (column == 0 && FImages) {
            const int image = ImageIndex(row);
            if (image >= 0 && image < FImages->size())
                return FImages->at(image);
        }
        return QVariant();
    case Qt::TextAlignmentRole:
        if (column >= 1 && column <= 3)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant TArcFileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QVariant();
    if (role == Qt::DisplayRole)
        return ColumnCaption(section);
    return QVariant();
}

void TArcFileListModel::Sort(int column, int direction)
{
    if (!FFolder || direction == 0)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> beforeRows;
    beforeRows.reserve(before.size());
    for (const QModelIndex &i : before)
        beforeRows.push_back(FOrder[i.row()]);

    // The keys are made once: a comparison must not format texts.
    const int total = static_cast<int>(FAllOrder.size());
    std::vector<std::string> ownKeys;
    std::vector<std::string_view> keys(total);
    if (column == 0) {
        for (int i = 0; i < total; ++i)
            keys[i] = i < FFolderCount ? std::string_view(FFolder->Folders->Items(i)->Name)
                                       : std::string_view(FFolder->Entries->Items(i - FFolderCount)->Name);
    } else {
        ownKeys.resize(total);
        for (int i = FFolderCount; i < total; ++i)
            ownKeys[i] = EntrySubText(*FFolder->Entries->Items(i - FFolderCount), column);
        for (int i = 0; i < total; ++i)
            keys[i] = ownKeys[i];
    }
    std::stable_sort(FAllOrder.begin(), FAllOrder.end(), [&](int a, int b) {
        return direction * CompareTextAZ(keys[a], keys[b]) < 0;
    });
    Refilter();

    std::vector<int> rowOf(total, 0);
    for (int r = 0; r < static_cast<int>(FOrder.size()); ++r)
        rowOf[FOrder[r]] = r;
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype k = 0; k < before.size(); ++k)
        after.append(index(rowOf[beforeRows[k]], before[k].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
