// The in-memory contents of one opened archive.
//
// LoadFromArchive reads the flat list of stored paths once through a wrapper and builds a
// tree of folders, each holding its sub-folders and its file entries with ready-made display
// texts. After loading, the model never talks to a library again. It knows nothing of
// widgets: the browser's item models read it, and build their rows with EntryRowTexts.
//
// Strings: the root's Name and Path are the archive's file-system path (UTF-8); every name
// and path below the root is the stored path as the library gave it (CP932 bytes).
#ifndef TOVIK_SOURCE_LXPNARCDATACLASSES_H
#define TOVIK_SOURCE_LXPNARCDATACLASSES_H

#include "archive/LxArcImplTypes.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TLxArcImpl;
class TLxPackedList;
class TLxArcFolderData;
class TLxArcFolderList;

// One file entry.
class TLxPackedItem {
public:
    TLxPackedList *Owner = nullptr;
    std::string Name;            // last path component
    std::string Path;            // the full stored path exactly as the library gave it
    int64_t OriginalSize = 0;    // whole 64-bit sizes: entries of 2 GiB and more exist
    int64_t CompressedSize = 0;
    std::string RatioText;       // "45.3%"
    TDateTime DateTime = 0;
    std::string AttrText;        // four characters, "A--W"
    std::string CRCText;         // upper-case hexadecimal, at least two digits
    std::string ModeText;        // always empty
};

class TLxPackedList {
public:
    explicit TLxPackedList(TLxArcFolderData *AOwner) : Owner(AOwner) {}
    TLxPackedList(const TLxPackedList &) = delete;
    TLxPackedList &operator=(const TLxPackedList &) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    // Null when Index is out of range.
    TLxPackedItem *Items(int Index) const;
    // A new item owned by this list, appended.
    TLxPackedItem *Add();
    void Clear();

    TLxArcFolderData *Owner;

private:
    std::vector<std::unique_ptr<TLxPackedItem>> FItems;
};

class TLxArcFolderItem {
public:
    explicit TLxArcFolderItem(TLxArcFolderList *AOwner);
    virtual ~TLxArcFolderItem();
    TLxArcFolderItem(const TLxArcFolderItem &) = delete;
    TLxArcFolderItem &operator=(const TLxArcFolderItem &) = delete;

    TLxArcFolderList *Owner;
    std::string Name;            // one path component
    std::string Path;            // the folder part of the first entry placed directly in it
    std::unique_ptr<TLxArcFolderData> Data;
    int Index = 0;               // position in Owner's list (0 for the root)
};

class TLxArcFolderData {
public:
    explicit TLxArcFolderData(TLxArcFolderItem *AOwner);
    ~TLxArcFolderData();
    TLxArcFolderData(const TLxArcFolderData &) = delete;
    TLxArcFolderData &operator=(const TLxArcFolderData &) = delete;

    TLxArcFolderItem *Owner;
    std::unique_ptr<TLxArcFolderList> Folders;
    std::unique_ptr<TLxPackedList> Entries;
};

class TLxArcFolderList {
public:
    explicit TLxArcFolderList(TLxArcFolderData *AOwner) : Owner(AOwner) {}
    TLxArcFolderList(const TLxArcFolderList &) = delete;
    TLxArcFolderList &operator=(const TLxArcFolderList &) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    TLxArcFolderItem *Items(int Index) const;
    // The first folder named exactly Name (case-sensitive), or null. Constant time: an
    // archive may hold thousands of folders side by side.
    TLxArcFolderItem *FindByName(std::string_view Name) const;
    // A new folder named Name, appended. The name is fixed from here on: FindByName's index
    // refers to it.
    TLxArcFolderItem *Add(std::string_view Name = {});
    void Clear();

    TLxArcFolderData *Owner;

private:
    std::vector<std::unique_ptr<TLxArcFolderItem>> FItems;
    std::unordered_map<std::string_view, TLxArcFolderItem *> FIndex;   // first of each name
};

// Lets a listing that runs on another thread report how far it has come and be stopped.
class TLoadMonitor {
public:
    virtual ~TLoadMonitor() = default;
    virtual bool Cancelled() const = 0;
    virtual void SetProgress(int32_t Entries) = 0;
};

// The root of one opened archive.
class TLxArcData : public TLxArcFolderItem {
public:
    TLxArcData();
    ~TLxArcData() override;

    // Reads the archive that Impl's registry has chosen a row for. Leaves the model empty
    // (after Clear) when no row is chosen, the library cannot be loaded or the archive
    // cannot be opened; no message.
    // Answers whether the archive was opened (an empty archive opens); callers that have
    // nothing to say about a failure may ignore it.
    // Monitor, when given, hears the entries read so far; when it is cancelled the listing
    // stops and the model is left empty, as after a failed open.
    bool LoadFromArchive(LX_HWND WindowHandle, TLxArcImpl &Impl, TLoadMonitor *Monitor = nullptr);
    // Frees every folder and entry of the root; EntryCount becomes 0.
    void Clear();

    // Entries the library enumerated, including those not placed in the tree.
    int32_t EntryCount = 0;
    // The library stopped listing at damage: what came before it is shown.
    bool ListingCut = false;
};

// Display texts, each usable without a model.
// "45.3%": Ratio / 10 with one decimal.
std::string RatioTextOf(uint16_t Ratio);
// "A--W" for 0x20 exactly, "---W" for the hidden bit, "----" otherwise.
std::string AttrTextOf(uint32_t Attribute);
// Upper-case hexadecimal, at least two digits.
std::string CRCTextOf(uint32_t CRC);
// "##,###,##0": digits grouped by thousands with ",", at least one digit.
std::string GroupedNumberText(int64_t Value);
// The same, padded on the left with blanks to 10 characters.
std::string SizeText(int64_t Size);

// The eight sub-texts of an entry's row in the file list, in column order: original size,
// compressed size, rate (padded to 6), date "YYYY/MM/DD", time "HH:NN", attributes, CRC,
// mode. Cheap enough to call per row on every repaint.
using TEntryRowTexts = std::array<std::string, 8>;
void EntryRowTexts(const TLxPackedItem &Item, TEntryRowTexts &Texts);
TEntryRowTexts EntryRowTexts(const TLxPackedItem &Item);

#endif
