// The archiver wrappers and the registry of known libraries.
//
// A wrapper (TLxArchiveBase and one subclass per library family) stands for one loaded
// archiver library. It loads the library when created and unloads it when destroyed, and it
// is the only code that holds a library or an archive handle. Every call into the library
// runs under a fault guard and a UTF-8 C locale; a missing function, a failure status, a
// fault or an exception inside the library becomes the operation's failure value. No
// operation throws or shows a message.
//
// Strings: LibraryName and Prefix are ASCII. Archive paths, destination folders and
// InstallFolder are file-system byte strings (UTF-8). Stored entry paths and every message
// a library or a wrapper gives back are CP932 bytes.
//
// The registry (TArcInfoList) knows the nineteen libraries, finds out which are installed,
// chooses one for a file and creates wrappers for it. TLxArcImpl carries one registry and
// the path of the archive it serves.
#ifndef TOVIK_ARCHIVE_LXARCIMPL_H
#define TOVIK_ARCHIVE_LXARCIMPL_H

#include "archive/LxArcImplTypes.h"
#include "platform/DynamicLibrary.h"
#include "platform/FaultGuard.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TLxArchiveBase {
public:
    // Stores both names and loads the library (LoadArcLibrary).
    TLxArchiveBase(const std::string &LibraryName, const std::string &Prefix);
    virtual ~TLxArchiveBase();
    TLxArchiveBase(const TLxArchiveBase &) = delete;
    TLxArchiveBase &operator=(const TLxArchiveBase &) = delete;

    // Loads LibraryName along the archiver search path; the handle stays unloaded on failure.
    virtual void LoadArcLibrary();
    virtual void FreeArcLibrary();
    bool IsLoaded() const { return LibraryHandle.IsLoaded(); }
    // Whether OpenArchive left an archive handle.
    bool HasArchive() const { return ArchiveHandle != nullptr; }

    // The stored path of the current entry; "????" when the call is missing, fails or faults.
    virtual void GetFileName(std::string &Name);
    // Sizes of the current entry: the 64-bit getters when exported, else the 32-bit ones
    // (see TIndivisualInfoEX); -1 when the library does not know it (a negative 64-bit
    // value, 0xFFFFFFFF); 0 when missing or on a fault.
    virtual int64_t GetOriginalSize();
    virtual int64_t GetCompressedSize();
    // Tenths of a percent; 0 when missing or on a fault.
    virtual uint16_t GetRatio();
    // The entry's MS-DOS date and time (each 0 when missing) as a date-time value; 0 for
    // fields that name no date, and on a fault. The fields are local time and stay so.
    virtual TDateTime GetDateTime();
    // Whether the library handles the file at Path ("CheckArchive" with mode 24).
    virtual bool CheckArchive(const std::string &Path);
    // "GetArchiveType": the library's format code of the file; 0 when not loaded, missing or
    // on a fault.
    int32_t GetArchiveType(const std::string &Path);
    // Fills InstallFolder when empty, then Text = version / 100 in its shortest form ("2",
    // "1.57", "0"). A missing "GetVersion" leaves Text as it was; a fault empties it. Does
    // nothing when the library is not loaded.
    virtual void GetVersion(std::string &Text);
    // "OpenArchive" with mode 0; stores the handle and answers whether it is non-null.
    virtual bool OpenArchive(LX_HWND WindowHandle, const std::string &Path);
    // Told the number of entries listed so far while OpenArchive lists, by a library that
    // reports it ("SetListProgress"); answering false stops the listing, and the open fails.
    void SetListProgress(std::function<bool(int32_t listed)> progress) { ListProgress = std::move(progress); }
    // 0 = an entry is current; -1 when not loaded, missing or on a fault; LX_ARC_END_DAMAGED
    // at the end of a listing that stopped at damage.
    virtual int FindFirst();
    virtual int FindNext();
    // -1 when no archive is open, the call is missing or faults. The handle is kept.
    virtual int CloseArchive();
    // Whether the library extracts into memory: it exports the call. The families whose
    // libraries once had none keep their refusal message for a library without it.
    bool SupportsMemoryExtraction() const;
    // Extracts EntryPath into Buffer, at most Buffer.size() bytes (the caller sizes it
    // first); WrittenSize receives the count. Answers the library's result, -1 when not
    // loaded, busy, missing or on a fault. On a failure the library's message may lie in
    // Buffer up to its first NUL; a family's refusal replaces Buffer with its message.
    virtual int ExtractMem(LX_HWND WindowHandle, const std::string &ArchivePath, const std::string &EntryPath,
                           std::string &Buffer, uint32_t &WrittenSize);
    // The same extraction into Size bytes at Data, which need not be initialised (a large
    // buffer is then only paid for where written). The message of a failure, a family's
    // refusal included, lies in Data up to its first NUL.
    int ExtractMemTo(LX_HWND WindowHandle, const std::string &ArchivePath, const std::string &EntryPath, char *Data,
                     uint32_t Size, uint32_t &WrittenSize);
    // Extracts EntryPath into DestFolder through the command entry; Message receives the
    // library's output text. False when not loaded, busy, missing, failed or on a fault.
    virtual bool ExtractFile(LX_HWND WindowHandle, const std::string &ArchivePath, const std::string &EntryPath,
                             const std::string &DestFolder, std::string &Message);

    // Decodes the entries of the open archive at Positions (ascending listing positions)
    // through "ExtractEach", handing each to Proc (see LxArcDefine.h). Answers the library's
    // result: 0 all handed on, 1 stopped by Proc; -1 when not loaded, not open, missing or on
    // a fault. HasExtractEach tells whether the library offers it at all.
    int ExtractEach(const std::vector<uint32_t> &Positions, LxArcEachProc Proc, void *User);
    bool HasExtractEach() const { return Function(LX_ARC_EXTRACTEACH) != nullptr; }

    // Non-zero from "GetRunning"; false when not loaded, missing or on a fault.
    bool IsRunning();
    // "GetAttribute"; 0 when missing or on a fault.
    int32_t GetAttribute();
    // "GetCRC", asked of the library named exactly "UNZIP32.DLL" only; 0 otherwise.
    uint32_t GetCRC();
    // Fills Info from the current entry when both handles are set; leaves it alone otherwise.
    void ReadEntryInfo(TIndivisualInfoEX &Info);

    // The extraction command line of this class.
    virtual std::string ExtractCommandLine(const std::string &ArchivePath, const std::string &DestFolder,
                                           const std::string &EntryPath) const;

    std::string LibraryName;
    std::string Prefix;
    std::string InstallFolder;

protected:
    // The refusal of a family whose libraries had no memory extraction (CP932); empty for
    // the others, which simply fail without one.
    virtual const std::string &NoMemoryExtractMessage() const;
    // Calls proc(args...) under the fault guard and a UTF-8 C locale; fallback when proc is
    // null, or the call faults or throws.
    template <class R, class Proc, class... Args>
    R Call(Proc proc, R fallback, Args... args);
    // The exported function Prefix + suffix as a Proc; null when not loaded or not exported.
    template <class Proc>
    Proc Lookup(const char *suffix) const
    {
        return reinterpret_cast<Proc>(Function(suffix));
    }

private:
    // Runs f under the fault guard and a UTF-8 C locale; false on a fault or an exception.
    template <class F>
    bool Guarded(F &&f);
    void *Function(const char *suffix) const;

    tovik::platform::DynamicLibrary LibraryHandle;
    LX_HARC ArchiveHandle = nullptr;
    std::function<bool(int32_t listed)> ListProgress;
    tovik::platform::FaultGuard Guard;
    // Looked up once per load; the per-entry getters are called 100,000 times for a big
    // archive.
    struct EntryProcs;
    std::unique_ptr<EntryProcs> Procs;
};

// The one virtual constructor of the wrapper classes: TLxArchiveClass values are its
// instances, one per class.
template <class Impl>
std::unique_ptr<TLxArchiveBase> CreateArchiver(const std::string &LibraryName, const std::string &Prefix)
{
    return std::make_unique<Impl>(LibraryName, Prefix);
}

class TUNLHA32Impl : public TLxArchiveBase {
public:
    using TLxArchiveBase::TLxArchiveBase;
    std::string ExtractCommandLine(const std::string &ArchivePath, const std::string &DestFolder,
                                   const std::string &EntryPath) const override;
};

class TUNZIP32Impl : public TLxArchiveBase {
public:
    using TLxArchiveBase::TLxArchiveBase;
};

class TZIP32JImpl : public TLxArchiveBase {
public:
    using TLxArchiveBase::TLxArchiveBase;
};

// Refuses memory extraction with its own message when the library has none.
class TCAB32Impl : public TLxArchiveBase {
public:
    using TLxArchiveBase::TLxArchiveBase;

protected:
    const std::string &NoMemoryExtractMessage() const override;
};

// "CheckArchive" with mode 0.
class TUNARJ32Impl : public TLxArchiveBase {
public:
    using TLxArchiveBase::TLxArchiveBase;
    bool CheckArchive(const std::string &Path) override;
};

// The registry asks this family "GetArchiveType" (1 = tar, 2-5 = gzip/compress family, 6-7 =
// bzip2 family) rather than "CheckArchive".
class TTAR32Impl : public TLxArchiveBase {
public:
    using TLxArchiveBase::TLxArchiveBase;
    std::string ExtractCommandLine(const std::string &ArchivePath, const std::string &DestFolder,
                                   const std::string &EntryPath) const override;
};

class TUNRAR32Impl : public TLxArchiveBase {
public:
    using TLxArchiveBase::TLxArchiveBase;
};

class TBGA32Impl : public TLxArchiveBase {
public:
    using TLxArchiveBase::TLxArchiveBase;
};

class TYZ1Impl : public TLxArchiveBase {
public:
    using TLxArchiveBase::TLxArchiveBase;
    std::string ExtractCommandLine(const std::string &ArchivePath, const std::string &DestFolder,
                                   const std::string &EntryPath) const override;

protected:
    const std::string &NoMemoryExtractMessage() const override;
};

class TYZ2Impl : public TLxArchiveBase {
public:
    using TLxArchiveBase::TLxArchiveBase;
};

class TGCA32Impl : public TLxArchiveBase {
public:
    using TLxArchiveBase::TLxArchiveBase;
};

// Recognises its files by "GetArchiveType" > 0.
class T7ZIPImpl : public TLxArchiveBase {
public:
    using TLxArchiveBase::TLxArchiveBase;
    bool CheckArchive(const std::string &Path) override;
    std::string ExtractCommandLine(const std::string &ArchivePath, const std::string &DestFolder,
                                   const std::string &EntryPath) const override;

protected:
    const std::string &NoMemoryExtractMessage() const override;
};

class TJAC32Impl : public TLxArchiveBase {
public:
    using TLxArchiveBase::TLxArchiveBase;
};

class TISH32Impl : public TLxArchiveBase {
public:
    using TLxArchiveBase::TLxArchiveBase;
};

class TIMP32Impl : public TLxArchiveBase {
public:
    using TLxArchiveBase::TLxArchiveBase;
};

// The memory-extraction command line for EntryPath of ArchivePath.
std::string MemoryCommandLine(const std::string &ArchivePath, const std::string &EntryPath);

// The messages of the wrappers without memory extraction (CP932).
const std::string &CAB32NoMemoryExtractMessage();
const std::string &SevenZipNoMemoryExtractMessage();
const std::string &YZ1NoMemoryExtractMessage();

class TArcInfoList;

// One row of the registry.
class TArcInfoItem {
public:
    TArcInfoList *Owner = nullptr;
    int32_t Index = 0;
    uint8_t TypeCode = 0;
    std::string Title;
    std::string LibraryName;       // upper case, "UNZIP32.DLL"
    std::string Prefix;
    std::string InstallFolder;     // empty when not installed
    bool Installed = false;
    TLxArchiveClass ImplClass = nullptr;   // null for rows without a wrapper
    std::string Description;       // formats, CP932
    std::string Version;           // empty when not installed
};

// The wrapper class of a library family code (low 7 bits count); null for none.
TLxArchiveClass ImplClassOfTypeCode(uint8_t TypeCode);

// "この形式には対応していません" in CP932: what the caller reports when no row is chosen.
const std::string &UnsupportedFormatMessage();
// "未インストール" in CP932: the install folder text of a row that is not installed.
const std::string &NotInstalledText();

class TArcInfoList {
public:
    // Fills the nineteen rows; nothing is probed yet.
    TArcInfoList();
    ~TArcInfoList();
    TArcInfoList(const TArcInfoList &) = delete;
    TArcInfoList &operator=(const TArcInfoList &) = delete;

    int Count() const { return static_cast<int>(Rows.size()); }
    // Null when Index is out of range.
    TArcInfoItem *Items(int Index) const;

    // Loads every row that has a wrapper class and records its version and folder.
    void ProbeAll();
    // Probes only the rows that SelectForFile may choose for Path by its extension (every
    // row for ".EXE"); for callers that open one file and need no complete table.
    void ProbeForFile(const std::string &Path);
    // The Index of the first row named exactly LibraryName, if installed; -1 otherwise.
    int IndexOfLibrary(const std::string &LibraryName) const;
    // Chooses the row for Path (by its upper-cased extension, or by content when
    // ByExtension is false or the extension is ".EXE"), stores it in CurrentIndex and
    // answers it; -1 when none.
    int SelectForFile(const std::string &Path, bool ByExtension);
    // The first installed row, in table order, whose library recognises the file; -1.
    int DetectByContent(const std::string &Path) const;

    TArcInfoItem *CurrentItem() const { return Items(CurrentIndex); }
    TLxArchiveClass CurrentClass() const;
    // A new wrapper for Item, owned by the caller; null when the row is not installed.
    std::unique_ptr<TLxArchiveBase> CreateWrapper(const TArcInfoItem *Item) const;

    int32_t CurrentIndex = -1;

private:
    void ProbeRow(TArcInfoItem &row);

    std::vector<std::unique_ptr<TArcInfoItem>> Rows;
};

// The upper-cased extension of Path (from its last "." on, within the file name); "." when
// there is none.
std::string UpperExtension(const std::string &Path);

// One registry and the archive it serves.
class TLxArcImpl {
public:
    TLxArcImpl();
    ~TLxArcImpl();

    TArcInfoList &Registry() { return *FRegistry; }
    const TArcInfoList &Registry() const { return *FRegistry; }

    const std::string &FileName() const { return FFileName; }
    // Stores the path and chooses its row by extension.
    void SetFileName(const std::string &Value);

private:
    std::unique_ptr<TArcInfoList> FRegistry;
    std::string FFileName;
};

#endif
