#include "Source/LxPnArcDataClasses.h"

#include "archive/LxArcImpl.h"
#include "platform/Cp932.h"
#include "platform/NumberText.h"

#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Display texts

std::string RatioTextOf(uint16_t Ratio)
{
    // Ratio / 10 with one decimal is exactly the integer part and the last digit.
    char buf[16];
    int n = std::snprintf(buf, sizeof buf, "%u.%u%%", Ratio / 10u, Ratio % 10u);
    return std::string(buf, static_cast<size_t>(n));
}

std::string AttrTextOf(uint32_t Attribute)
{
    std::string text = "----";
    if (Attribute == LX_FA_ARCH) {
        text[0] = 'A';
        text[3] = 'W';
    } else if (Attribute & LX_FA_HIDDEN) {
        text[3] = 'W';
    }
    return text;
}

std::string CRCTextOf(uint32_t CRC)
{
    char buf[16];
    int n = std::snprintf(buf, sizeof buf, "%02X", CRC);
    return std::string(buf, static_cast<size_t>(n));
}

namespace {

// "##,###,##0", right-aligned in 10 characters; longer numbers are not cut. An unknown size
// (negative) is blank.
int FormatSize(int64_t size, char *out /* at least 32 bytes */)
{
    if (size < 0)
        return 0;
    char text[tovik::platform::kGroupedNumberSize];
    const int len = static_cast<int>(tovik::platform::FormatGroupedNumber(size, text));
    const int pad = len < 10 ? 10 - len : 0;
    std::memset(out, ' ', static_cast<size_t>(pad));
    std::memcpy(out + pad, text, static_cast<size_t>(len));
    return pad + len;
}

} // namespace

std::string GroupedNumberText(int64_t Value)
{
    char buf[tovik::platform::kGroupedNumberSize];
    return std::string(buf, tovik::platform::FormatGroupedNumber(Value, buf));
}

std::string SizeText(int64_t Size)
{
    char buf[32];
    return std::string(buf, static_cast<size_t>(FormatSize(Size, buf)));
}

void EntryRowTexts(const TLxPackedItem &Item, TEntryRowTexts &Texts)
{
    char buf[32];
    Texts[0].assign(buf, static_cast<size_t>(FormatSize(Item.OriginalSize, buf)));
    Texts[1].assign(buf, static_cast<size_t>(FormatSize(Item.CompressedSize, buf)));
    size_t len = Item.RatioText.size();
    Texts[2].assign(len < 6 ? 6 - len : 0, ' ');
    Texts[2] += Item.RatioText;
    Texts[3].assign(buf, static_cast<size_t>(tovik::platform::FormatDate(Item.DateTime, buf)));
    Texts[4].assign(buf, static_cast<size_t>(tovik::platform::FormatTime(Item.DateTime, buf)));
    Texts[5] = Item.AttrText;
    Texts[6] = Item.CRCText;
    Texts[7] = Item.ModeText;
}

TEntryRowTexts EntryRowTexts(const TLxPackedItem &Item)
{
    TEntryRowTexts texts;
    EntryRowTexts(Item, texts);
    return texts;
}

// ---------------------------------------------------------------------------------------------
// Lists

TLxPackedItem *TLxPackedList::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        return nullptr;
    return FItems[static_cast<size_t>(Index)].get();
}

TLxPackedItem *TLxPackedList::Add()
{
    FItems.push_back(std::make_unique<TLxPackedItem>());
    TLxPackedItem *item = FItems.back().get();
    item->Owner = this;
    return item;
}

void TLxPackedList::Clear()
{
    FItems.clear();
}

TLxArcFolderItem::TLxArcFolderItem(TLxArcFolderList *AOwner)
    : Owner(AOwner), Data(std::make_unique<TLxArcFolderData>(this))
{
}

TLxArcFolderItem::~TLxArcFolderItem() = default;

TLxArcFolderData::TLxArcFolderData(TLxArcFolderItem *AOwner)
    : Owner(AOwner), Folders(std::make_unique<TLxArcFolderList>(this)), Entries(std::make_unique<TLxPackedList>(this))
{
}

TLxArcFolderData::~TLxArcFolderData() = default;

TLxArcFolderItem *TLxArcFolderList::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        return nullptr;
    return FItems[static_cast<size_t>(Index)].get();
}

TLxArcFolderItem *TLxArcFolderList::FindByName(std::string_view Name) const
{
    auto it = FIndex.find(Name);
    return it == FIndex.end() ? nullptr : it->second;
}

TLxArcFolderItem *TLxArcFolderList::Add(std::string_view Name)
{
    FItems.push_back(std::make_unique<TLxArcFolderItem>(this));
    TLxArcFolderItem *item = FItems.back().get();
    item->Name.assign(Name);
    item->Index = Count() - 1;
    // The index keys view the item's own Name, which stays put with the item; the first
    // folder of a name keeps the key.
    FIndex.emplace(std::string_view(item->Name), item);
    return item;
}

void TLxArcFolderList::Clear()
{
    FIndex.clear();
    FItems.clear();
}

// ---------------------------------------------------------------------------------------------
// TLxArcData

TLxArcData::TLxArcData() : TLxArcFolderItem(nullptr) {}

TLxArcData::~TLxArcData() = default;

void TLxArcData::Clear()
{
    Data->Folders->Clear();
    Data->Entries->Clear();
    EntryCount = 0;
}

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// Stored paths are CP932: the trail byte of a double-byte character may be 0x5C ("ソ" is
// 83 5C, "表" is 95 5C). Such a byte belongs to its character and never separates folders.
size_t CharLength(std::string_view P, size_t i)
{
    return tovik::platform::IsCp932LeadByte(static_cast<unsigned char>(P[i])) && i + 1 < P.size() ? 2 : 1;
}

// The position of the last "\" that is a separator, or npos.
size_t LastBackslash(std::string_view P)
{
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < P.size(); i += CharLength(P, i))
        if (P[i] == '\\')
            found = i;
    return found;
}

// The folder for the folder part F, found or created segment by segment under Folders;
// null when a segment is empty ("/x", "a//b").
TLxArcFolderItem *FindOrCreateFolder(TLxArcFolderList *Folders, std::string_view F)
{
    for (;;) {
        size_t end = 0;
        while (end < F.size() && !IsSeparator(F[end]))
            end += CharLength(F, end);
        std::string_view segment = F.substr(0, end);
        if (segment.empty())
            return nullptr;
        TLxArcFolderItem *folder = Folders->FindByName(segment);
        if (!folder)
            folder = Folders->Add(segment);
        // Go deeper only when something follows the separator: "a/" is the folder a.
        if (end + 1 >= F.size())
            return folder;
        F.remove_prefix(end + 1);
        Folders = folder->Data->Folders.get();
    }
}

} // namespace

bool TLxArcData::LoadFromArchive(LX_HWND WindowHandle, TLxArcImpl &Impl, TLoadMonitor *Monitor)
{
    Clear();
    TArcInfoList &registry = Impl.Registry();
    TArcInfoItem *row = registry.CurrentItem();
    if (!row)
        return false;
    std::unique_ptr<TLxArchiveBase> wrapper = registry.CreateWrapper(row);
    const std::string &archivePath = Impl.FileName();
    size_t slash = archivePath.rfind('/');
    Name = slash == std::string::npos ? archivePath : archivePath.substr(slash + 1);
    Path = archivePath;
    if (!wrapper)
        return false;
    // A library that lists everything while it opens tells how far it got meanwhile.
    if (Monitor)
        wrapper->SetListProgress([Monitor](int32_t listed) {
            Monitor->SetProgress(listed);
            return !Monitor->Cancelled();
        });
    if (!wrapper->OpenArchive(WindowHandle, archivePath))
        return false;

    TLxArcFolderList *rootFolders = Data->Folders.get();
    TLxPackedList *rootEntries = Data->Entries.get();
    TIndivisualInfoEX info;
    int found = wrapper->FindFirst();
    if (found == 0) {
        do {
            if (Monitor) {
                if (Monitor->Cancelled())
                    break;
                Monitor->SetProgress(EntryCount);
            }
            ++EntryCount;
            wrapper->ReadEntryInfo(info);
            const std::string &P = info.FileName;
            size_t split = P.rfind('/');
            if (split == std::string::npos)
                split = LastBackslash(P);
            std::string_view folderPart, leaf(P);
            if (split != std::string::npos) {
                folderPart = std::string_view(P).substr(0, split);
                leaf = std::string_view(P).substr(split + 1);
            }
            // A directory record ("dir/") adds no entry, but its folder shows even when no
            // entry lies in it (an empty folder).
            if (leaf.empty()) {
                if (!folderPart.empty())
                    FindOrCreateFolder(rootFolders, folderPart);
                continue;
            }
            TLxPackedList *target = rootEntries;
            if (!folderPart.empty()) {
                TLxArcFolderItem *folder = FindOrCreateFolder(rootFolders, folderPart);
                if (!folder)
                    continue;
                if (folder->Path.empty())
                    folder->Path.assign(folderPart);
                target = folder->Data->Entries.get();
            }
            TLxPackedItem *item = target->Add();
            item->Name.assign(leaf);
            item->Path = P;
            item->OriginalSize = info.OriginalSize;
            item->CompressedSize = info.CompressedSize;
            item->DateTime = info.DateTime;
            // A rate of an unknown size would be made up: it stays blank with the size.
            if (info.OriginalSize >= 0 && info.CompressedSize >= 0)
                item->RatioText = RatioTextOf(info.Ratio);
            item->AttrText = AttrTextOf(info.Attribute);
            item->CRCText = CRCTextOf(info.CRC);
        } while ((found = wrapper->FindNext()) == 0);
    }
    ListingCut = found == LX_ARC_END_DAMAGED;
    wrapper->CloseArchive();
    if (Monitor && Monitor->Cancelled()) {
        Clear();
        return false;
    }
    return true;
}
