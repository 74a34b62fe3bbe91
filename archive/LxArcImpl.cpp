#include "archive/LxArcImpl.h"

#include "platform/Cp932.h"

#include <locale.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

using tovik::platform::DosDateTimeToDateTime;
using tovik::platform::FolderOf;
using tovik::platform::Utf8ToCp932;

namespace {

const char kUnknownName[] = "????";

// libarchive, under the libraries, converts names through the C library's multibyte
// functions: in the plain C locale UTF-8 names come back empty. Every library call therefore
// runs under a UTF-8 C locale, set for this thread only and put back after the call.
locale_t Utf8Locale()
{
    static locale_t locale = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return l ? l : newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(nullptr));
    }();
    return locale;
}

// A path as one word of a library's command line. The library splits the line again, so a
// quote inside the path is written twice: unescaped, an archive at 'dl/x" "/tmp/" "y.zip'
// would name another archive and another destination.
std::string Quoted(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (char c : text) {
        out += c;
        if (c == '"')
            out += '"';
    }
    out += '"';
    return out;
}

// The version times 100 in its shortest decimal form: 200 -> "2", 150 -> "1.5", 157 -> "1.57".
std::string VersionText(uint16_t value)
{
    std::string text = std::to_string(value / 100);
    unsigned fraction = value % 100;
    if (fraction != 0) {
        text += '.';
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0)
            text += static_cast<char>('0' + fraction % 10);
    }
    return text;
}

std::string AbsoluteFolder(const std::string &file)
{
    std::string folder = FolderOf(file);
    if (!folder.empty() && folder[0] == '/')
        return folder;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd))
        return folder;
    return folder.empty() ? std::string(cwd) : std::string(cwd) + "/" + folder;
}

#define TOVIK_CP932_CONSTANT(name, text)                                                                           \
    const std::string &name()                                                                                      \
    {                                                                                                              \
        static const std::string value = Utf8ToCp932(text);                                                       \
        return value;                                                                                              \
    }

} // namespace

TOVIK_CP932_CONSTANT(CAB32NoMemoryExtractMessage, "CAB32.DLLではメモリー展開がサポートされていません")
TOVIK_CP932_CONSTANT(SevenZipNoMemoryExtractMessage, "7-ZIP32.DLLではメモリー展開がサポートされていません")
TOVIK_CP932_CONSTANT(YZ1NoMemoryExtractMessage, "YZ1.DLLではメモリー展開がサポートされていません")
TOVIK_CP932_CONSTANT(UnsupportedFormatMessage, "この形式には対応していません")
TOVIK_CP932_CONSTANT(NotInstalledText, "未インストール")

// ---------------------------------------------------------------------------------------------
// TLxArchiveBase

struct TLxArchiveBase::EntryProcs {
    LxArcGetFileNameProc getFileName = nullptr;
    LxArcGetSizeProc getOriginalSize = nullptr;
    LxArcGetSizeProc getCompressedSize = nullptr;
    LxArcGetSizeExProc getOriginalSizeEx = nullptr;
    LxArcGetSizeExProc getCompressedSizeEx = nullptr;
    LxArcGetRatioProc getRatio = nullptr;
    LxArcGetDateTimeProc getDate = nullptr;
    LxArcGetDateTimeProc getTime = nullptr;
    LxArcGetAttributeProc getAttribute = nullptr;
    LxArcGetCRCProc getCRC = nullptr;
    LxArcFindNextProc findNext = nullptr;
};

template <class F>
bool TLxArchiveBase::Guarded(F &&f)
{
    locale_t utf8 = Utf8Locale();
    locale_t previous = utf8 ? uselocale(utf8) : static_cast<locale_t>(nullptr);
    bool ok = Guard.Run(f);
    if (utf8)
        uselocale(previous);
    return ok;
}

template <class R, class Proc, class... Args>
R TLxArchiveBase::Call(Proc proc, R fallback, Args... args)
{
    R result = fallback;
    if (proc == nullptr || !Guarded([&] { result = static_cast<R>(proc(args...)); }))
        return fallback;
    return result;
}

TLxArchiveBase::TLxArchiveBase(const std::string &ALibraryName, const std::string &APrefix)
    : LibraryName(ALibraryName), Prefix(APrefix), Procs(std::make_unique<EntryProcs>())
{
    TLxArchiveBase::LoadArcLibrary();
}

TLxArchiveBase::~TLxArchiveBase()
{
    TLxArchiveBase::FreeArcLibrary();
}

void *TLxArchiveBase::Function(const char *suffix) const
{
    if (!LibraryHandle.IsLoaded())
        return nullptr;
    return LibraryHandle.Symbol(Prefix + suffix);
}

void TLxArchiveBase::LoadArcLibrary()
{
    *Procs = EntryProcs{};
    // Loading runs the library's initialisers: guard them like any other call.
    bool loaded = false;
    Guarded([&] { loaded = LibraryHandle.LoadArchiver(LibraryName); });
    if (!loaded)
        return;
    EntryProcs &p = *Procs;
    p.getFileName = Lookup<LxArcGetFileNameProc>(LX_ARC_GETFILENAME);
    p.getOriginalSize = Lookup<LxArcGetSizeProc>(LX_ARC_GETORIGINALSIZE);
    p.getCompressedSize = Lookup<LxArcGetSizeProc>(LX_ARC_GETCOMPRESSEDSIZE);
    p.getOriginalSizeEx = Lookup<LxArcGetSizeExProc>(LX_ARC_GETORIGINALSIZEEX);
    p.getCompressedSizeEx = Lookup<LxArcGetSizeExProc>(LX_ARC_GETCOMPRESSEDSIZEEX);
    p.getRatio = Lookup<LxArcGetRatioProc>(LX_ARC_GETRATIO);
    p.getDate = Lookup<LxArcGetDateTimeProc>(LX_ARC_GETDATE);
    p.getTime = Lookup<LxArcGetDateTimeProc>(LX_ARC_GETTIME);
    p.getAttribute = Lookup<LxArcGetAttributeProc>(LX_ARC_GETATTRIBUTE);
    p.getCRC = Lookup<LxArcGetCRCProc>(LX_ARC_GETCRC);
    p.findNext = Lookup<LxArcFindNextProc>(LX_ARC_FINDNEXT);
}

void TLxArchiveBase::FreeArcLibrary()
{
    *Procs = EntryProcs{};
    if (LibraryHandle.IsLoaded())
        Guarded([&] { LibraryHandle.Unload(); });
}

void TLxArchiveBase::GetFileName(std::string &Name)
{
    char buffer[LX_ARC_NAME_SIZE];
    std::memset(buffer, 0, sizeof buffer);
    if (Call(Procs->getFileName, -1, ArchiveHandle, buffer, LX_ARC_NAME_SIZE) != 0) {
        Name = kUnknownName;
        return;
    }
    buffer[LX_ARC_NAME_SIZE - 1] = '\0';
    Name.assign(buffer);
}

namespace {

// A 32-bit count taken as unsigned; the all-ones value stands for "unknown".
int64_t SizeFrom32(uint32_t value)
{
    return value == 0xFFFFFFFFu ? -1 : static_cast<int64_t>(value);
}

} // namespace

// The 64-bit getter when the library has it and answers, else the 32-bit one.
int64_t TLxArchiveBase::GetOriginalSize()
{
    int64_t size = 0;
    if (Call(Procs->getOriginalSizeEx, 0, ArchiveHandle, &size) != 0)
        return size < 0 ? -1 : size;
    if (!Procs->getOriginalSize)
        return 0;
    return SizeFrom32(Call(Procs->getOriginalSize, 0u, ArchiveHandle));
}

int64_t TLxArchiveBase::GetCompressedSize()
{
    int64_t size = 0;
    if (Call(Procs->getCompressedSizeEx, 0, ArchiveHandle, &size) != 0)
        return size < 0 ? -1 : size;
    if (!Procs->getCompressedSize)
        return 0;
    return SizeFrom32(Call(Procs->getCompressedSize, 0u, ArchiveHandle));
}

uint16_t TLxArchiveBase::GetRatio()
{
    return Call(Procs->getRatio, uint16_t{0}, ArchiveHandle);
}

TDateTime TLxArchiveBase::GetDateTime()
{
    const EntryProcs &p = *Procs;
    uint16_t date = 0, time = 0;
    bool ok = Guarded([&] {
        if (p.getDate)
            date = p.getDate(ArchiveHandle);
        if (p.getTime)
            time = p.getTime(ArchiveHandle);
    });
    if (!ok)
        return 0;
    return DosDateTimeToDateTime(date, time);
}

bool TLxArchiveBase::CheckArchive(const std::string &Path)
{
    return Call(Lookup<LxArcCheckArchiveProc>(LX_ARC_CHECKARCHIVE), 0, Path.c_str(), 24) != 0;
}

int32_t TLxArchiveBase::GetArchiveType(const std::string &Path)
{
    return Call(Lookup<LxArcGetArchiveTypeProc>(LX_ARC_GETARCHIVETYPE), 0, Path.c_str());
}

void TLxArchiveBase::GetVersion(std::string &Text)
{
    if (!LibraryHandle.IsLoaded())
        return;
    if (InstallFolder.empty())
        InstallFolder = AbsoluteFolder(LibraryHandle.FileName());
    auto fn = Lookup<LxArcGetVersionProc>(LX_ARC_GETVERSION);
    if (!fn)
        return;
    uint16_t value = 0;
    if (!Guarded([&] { value = fn(); })) {
        Text.clear();
        return;
    }
    Text = VersionText(value);
}

bool TLxArchiveBase::OpenArchive(LX_HWND WindowHandle, const std::string &Path)
{
    auto fn = Lookup<LxArcOpenArchiveProc>(LX_ARC_OPENARCHIVE);
    if (!fn)
        return false;
    auto setProgress = ListProgress ? Lookup<LxArcSetListProgressProc>(LX_ARC_SETLISTPROGRESS) : nullptr;
    LxArcListProgressProc report = [](void *user, int32_t listed) -> int32_t {
        return (*static_cast<std::function<bool(int32_t)> *>(user))(listed) ? 0 : 1;
    };
    LX_HARC handle = nullptr;
    const bool opened = Guarded([&] {
        if (setProgress)
            setProgress(report, &ListProgress);
        handle = fn(WindowHandle, Path.c_str(), 0);
    });
    if (setProgress)
        Guarded([&] { setProgress(nullptr, nullptr); });
    if (!opened)
        return false;
    ArchiveHandle = handle;
    return ArchiveHandle != nullptr;
}

int TLxArchiveBase::FindFirst()
{
    return Call(Lookup<LxArcFindFirstProc>(LX_ARC_FINDFIRST), -1, ArchiveHandle, "*.*", nullptr);
}

int TLxArchiveBase::FindNext()
{
    return Call(Procs->findNext, -1, ArchiveHandle, nullptr);
}

int TLxArchiveBase::CloseArchive()
{
    if (!ArchiveHandle)
        return -1;
    return Call(Lookup<LxArcCloseArchiveProc>(LX_ARC_CLOSEARCHIVE), -1, ArchiveHandle);
}

bool TLxArchiveBase::SupportsMemoryExtraction() const
{
    return Function(LX_ARC_EXTRACTMEM) != nullptr;
}

const std::string &TLxArchiveBase::NoMemoryExtractMessage() const
{
    static const std::string none;
    return none;
}

int TLxArchiveBase::ExtractMem(LX_HWND WindowHandle, const std::string &ArchivePath, const std::string &EntryPath,
                               std::string &Buffer, uint32_t &WrittenSize)
{
    if (!NoMemoryExtractMessage().empty() && LibraryHandle.IsLoaded() && !SupportsMemoryExtraction()) {
        Buffer = NoMemoryExtractMessage();
        return -1;
    }
    const uint32_t size = Buffer.size() > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(Buffer.size());
    return ExtractMemTo(WindowHandle, ArchivePath, EntryPath, Buffer.data(), size, WrittenSize);
}

int TLxArchiveBase::ExtractMemTo(LX_HWND WindowHandle, const std::string &ArchivePath, const std::string &EntryPath,
                                 char *Data, uint32_t Size, uint32_t &WrittenSize)
{
    if (!LibraryHandle.IsLoaded() || IsRunning())
        return -1;
    auto fn = Lookup<LxArcExtractMemProc>(LX_ARC_EXTRACTMEM);
    if (!fn) {
        const std::string &refusal = NoMemoryExtractMessage();
        if (!refusal.empty() && Size > 0) {
            const std::size_t n = std::min<std::size_t>(refusal.size(), Size - 1);
            std::memcpy(Data, refusal.data(), n);
            Data[n] = '\0';
        }
        return -1;
    }
    const std::string commandLine = MemoryCommandLine(ArchivePath, EntryPath);
    auto *storage = reinterpret_cast<uint8_t *>(Data);
    return Call(fn, -1, WindowHandle, commandLine.c_str(), storage, Size, static_cast<void *>(nullptr),
                static_cast<LX_WORD *>(nullptr), &WrittenSize);
}

std::string MemoryCommandLine(const std::string &ArchivePath, const std::string &EntryPath)
{
    return " " + Quoted(ArchivePath) + " " + Quoted(EntryPath) + " ";
}

int TLxArchiveBase::ExtractEach(const std::vector<uint32_t> &Positions, LxArcEachProc Proc, void *User)
{
    if (!LibraryHandle.IsLoaded() || !ArchiveHandle)
        return -1;
    auto fn = reinterpret_cast<LxArcExtractEachProc>(Function(LX_ARC_EXTRACTEACH));
    if (!fn)
        return -1;
    const uint32_t *data = Positions.data();
    auto count = static_cast<uint32_t>(Positions.size());
    int32_t rc = -1;
    if (!Guarded([&] { rc = fn(ArchiveHandle, data, count, Proc, User); }))
        return -1;
    return rc;
}

std::string TLxArchiveBase::ExtractCommandLine(const std::string &ArchivePath, const std::string &DestFolder,
                                               const std::string &EntryPath) const
{
    return " -x -j " + Quoted(ArchivePath) + " " + Quoted(DestFolder) + " " + Quoted(EntryPath);
}

bool TLxArchiveBase::ExtractFile(LX_HWND WindowHandle, const std::string &ArchivePath, const std::string &EntryPath,
                                 const std::string &DestFolder, std::string &Message)
{
    if (!LibraryHandle.IsLoaded() || IsRunning())
        return false;
    auto fn = Lookup<LxArcCommandProc>("");
    if (!fn)
        return false;
    const std::string commandLine = ExtractCommandLine(ArchivePath, DestFolder, EntryPath);
    char output[LX_ARC_OUTPUT_SIZE];
    std::memset(output, 0, sizeof output);
    int32_t rc = -1;
    if (!Guarded([&] { rc = fn(WindowHandle, commandLine.c_str(), output, LX_ARC_OUTPUT_SIZE); }))
        return false;
    output[LX_ARC_OUTPUT_SIZE - 1] = '\0';
    Message.assign(output);
    return rc == 0;
}

bool TLxArchiveBase::IsRunning()
{
    return Call(Lookup<LxArcGetRunningProc>(LX_ARC_GETRUNNING), 0) != 0;
}

int32_t TLxArchiveBase::GetAttribute()
{
    return Call(Procs->getAttribute, 0, ArchiveHandle);
}

uint32_t TLxArchiveBase::GetCRC()
{
    if (LibraryName != "UNZIP32.DLL")
        return 0;
    return Call(Procs->getCRC, 0u, ArchiveHandle);
}

void TLxArchiveBase::ReadEntryInfo(TIndivisualInfoEX &Info)
{
    if (!LibraryHandle.IsLoaded() || !ArchiveHandle)
        return;
    GetFileName(Info.FileName);
    Info.OriginalSize = GetOriginalSize();
    Info.CompressedSize = GetCompressedSize();
    Info.Ratio = GetRatio();
    Info.DateTime = GetDateTime();
    Info.Attribute = static_cast<uint32_t>(GetAttribute());
    Info.CRC = GetCRC();
}

// ---------------------------------------------------------------------------------------------
// The library families

namespace {

// " e "-style lines: archive and destination quoted, then the entry. The entry is quoted on
// both sides so that a name with a blank stays one argument.
std::string ExtractLineE(const char *command, const std::string &A, const std::string &D, const std::string &E)
{
    return std::string(command) + Quoted(A) + " " + Quoted(D) + " " + Quoted(E);
}

} // namespace

std::string TUNLHA32Impl::ExtractCommandLine(const std::string &ArchivePath, const std::string &DestFolder,
                                             const std::string &EntryPath) const
{
    return ExtractLineE(" e ", ArchivePath, DestFolder, EntryPath);
}

const std::string &TCAB32Impl::NoMemoryExtractMessage() const
{
    return CAB32NoMemoryExtractMessage();
}

bool TUNARJ32Impl::CheckArchive(const std::string &Path)
{
    return Call(Lookup<LxArcCheckArchiveProc>(LX_ARC_CHECKARCHIVE), 0, Path.c_str(), 0) != 0;
}

std::string TTAR32Impl::ExtractCommandLine(const std::string &ArchivePath, const std::string &DestFolder,
                                           const std::string &EntryPath) const
{
    return " -x --use-directory=0 " + Quoted(ArchivePath) + " " + Quoted(DestFolder) + " " + Quoted(EntryPath);
}

std::string TYZ1Impl::ExtractCommandLine(const std::string &ArchivePath, const std::string &DestFolder,
                                         const std::string &EntryPath) const
{
    return ExtractLineE(" x -x0 ", ArchivePath, DestFolder, EntryPath);
}

const std::string &TYZ1Impl::NoMemoryExtractMessage() const
{
    return YZ1NoMemoryExtractMessage();
}

bool T7ZIPImpl::CheckArchive(const std::string &Path)
{
    return GetArchiveType(Path) > 0;
}

std::string T7ZIPImpl::ExtractCommandLine(const std::string &ArchivePath, const std::string &DestFolder,
                                          const std::string &EntryPath) const
{
    return ExtractLineE(" e ", ArchivePath, DestFolder, EntryPath);
}

const std::string &T7ZIPImpl::NoMemoryExtractMessage() const
{
    return SevenZipNoMemoryExtractMessage();
}

// ---------------------------------------------------------------------------------------------
// The registry

namespace {

struct RowSpec {
    const char *title;
    const char *libraryName;   // as the maker spells it; stored upper-cased
    const char *prefix;
    const char *description;   // UTF-8 here, CP932 in the row
    uint8_t typeCode;
};

const RowSpec kRows[] = {
    {"UnAce32", "UNACEV2J.DLL", "UnAce", "ACE 形式書庫", 19},
    {"UnLha32", "UNLHA32.DLL", "Unlha", "lzh 形式書庫", 1},
    {"UnZip32", "UNZIP32.DLL", "UnZip", "ZIP 形式書庫", 2},
    {"SevenZip32", "7-Zip32.dll", "SevenZip", "7z/Zip 形式書庫", 18},
    {"Cab32", "CAB32.DLL", "Cab", "CAB 形式書庫", 5},
    {"LmZip32", "LMZIP32.DLL", "Unzip", "WinLM32 形式書庫", 3},
    {"Bga32", "BGA32.DLL", "Bga", "GZA/BZA 形式書庫", 12},
    {"Jack32", "JACK32.DLL", "Jack", "分割ファイル 形式書庫", 20},
    {"Tar32", "TAR32.DLL", "Tar", "tar/tgz/taz/bz2 形式書庫", 7},
    {"UnArj32", "UNARJ32J.DLL", "Unarj", "ARJ  形式書庫", 6},
    {"UnRar32", "UNRAR32.DLL", "Rar", "RAR 形式書庫", 10},
    {"Ish32", "ISH32.DLL", "Ish", "ISH 形式書庫", 21},
    {"UnGca32", "UNGCA32.DLL", "UnGCA", "GCA 形式書庫", 16},
    {"UnRar", "UNRAR.DLL", "Rar", "RAR 形式書庫", 11},
    {"UnAce", "UNACE.DLL", "Ace", "ACE 形式書庫", 19},
    {"Yz1", "YZ1.DLL", "Yz1", "YZ1 形式書庫", 13},
    {"Yyz32", "YZ2.DLL", "Yz2", "YZ2 形式書庫", 14},
    {"UnImp32", "UNIMP32.DLL", "Unimp", "IMP 形式書庫", 22},
    {"Zip32J", "ZIP32J.DLL", "Zip", "ZIP 形式書庫", 3},
};

std::string UpperAscii(std::string s)
{
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

} // namespace

TLxArchiveClass ImplClassOfTypeCode(uint8_t TypeCode)
{
    switch (TypeCode & 0x7F) {
    case 1: return &CreateArchiver<TUNLHA32Impl>;
    case 2: return &CreateArchiver<TUNZIP32Impl>;
    case 3: return &CreateArchiver<TZIP32JImpl>;
    case 5: return &CreateArchiver<TCAB32Impl>;
    case 6: return &CreateArchiver<TUNARJ32Impl>;
    case 7: return &CreateArchiver<TTAR32Impl>;
    case 10: return &CreateArchiver<TUNRAR32Impl>;
    case 12: return &CreateArchiver<TBGA32Impl>;
    case 13: return &CreateArchiver<TYZ1Impl>;
    case 14: return &CreateArchiver<TYZ2Impl>;
    case 16: return &CreateArchiver<TGCA32Impl>;
    case 18: return &CreateArchiver<T7ZIPImpl>;
    case 20: return &CreateArchiver<TJAC32Impl>;
    case 21: return &CreateArchiver<TISH32Impl>;
    case 22: return &CreateArchiver<TIMP32Impl>;
    default: return nullptr;
    }
}

TArcInfoList::TArcInfoList()
{
    Rows.reserve(std::size(kRows));
    for (const RowSpec &spec : kRows) {
        auto row = std::make_unique<TArcInfoItem>();
        row->Owner = this;
        row->Index = static_cast<int32_t>(Rows.size());
        row->TypeCode = spec.typeCode;
        row->Title = spec.title;
        row->LibraryName = UpperAscii(spec.libraryName);
        row->Prefix = spec.prefix;
        row->ImplClass = ImplClassOfTypeCode(spec.typeCode);
        row->Description = Utf8ToCp932(spec.description);
        Rows.push_back(std::move(row));
    }
}

TArcInfoList::~TArcInfoList() = default;

TArcInfoItem *TArcInfoList::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        return nullptr;
    return Rows[static_cast<size_t>(Index)].get();
}

void TArcInfoList::ProbeAll()
{
    for (auto &row : Rows)
        if (row->ImplClass)
            ProbeRow(*row);
}

void TArcInfoList::ProbeRow(TArcInfoItem &row)
{
    // A library removed since the last probe must not keep its old version.
    row.Version.clear();
    std::unique_ptr<TLxArchiveBase> wrapper = row.ImplClass(row.LibraryName, row.Prefix);
    wrapper->GetVersion(row.Version);
    row.InstallFolder = wrapper->InstallFolder;
    row.Installed = !row.Version.empty();
}

int TArcInfoList::IndexOfLibrary(const std::string &LibraryName) const
{
    for (const auto &row : Rows)
        if (row->LibraryName == LibraryName)
            return row->Installed ? row->Index : -1;
    return -1;
}

int TArcInfoList::DetectByContent(const std::string &Path) const
{
    for (const auto &row : Rows) {
        if (!row->Installed || !row->ImplClass)
            continue;
        std::unique_ptr<TLxArchiveBase> wrapper = CreateWrapper(row.get());
        if (!wrapper)
            continue;
        bool recognised;
        if (row->LibraryName == "TAR32.DLL") {
            int32_t type = wrapper->GetArchiveType(Path);
            recognised = type >= 1 && type <= 7;
        } else {
            recognised = wrapper->CheckArchive(Path);
        }
        if (recognised)
            return row->Index;
    }
    return -1;
}

std::string UpperExtension(const std::string &Path)
{
    size_t slash = Path.rfind('/');
    size_t dot = Path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return ".";
    std::string ext = UpperAscii(Path.substr(dot));
    return ext;
}

namespace {

// The libraries the extension table names for ext, in the order they are tried; empty for
// an extension without a row. ".EXE" is chosen by content instead (byContent).
std::vector<const char *> LibrariesForExtension(const std::string &ext, bool &byContent)
{
    byContent = false;
    if (ext == ".LZH")
        return {"UNLHA32.DLL"};
    if (ext == ".ZIP" || ext == ".JAR" || ext == ".EAR" || ext == ".WAR")
        return {"UNZIP32.DLL", "7-ZIP32.DLL"};
    if (ext == ".7Z")
        return {"7-ZIP32.DLL"};
    if (ext == ".CAB")
        return {"CAB32.DLL"};
    if (ext == ".YZ1")
        return {"YZ1.DLL"};
    if (ext == ".YZ2")
        return {"YZ2.DLL"};
    if (ext == ".ARJ")
        return {"UNARJ32J.DLL"};
    if (ext == ".TAR" || ext == ".A" || ext == ".LIB" || ext == ".DEB" || ext == ".RPM" || ext == ".CPIO" ||
        ext == ".Z" || ext == ".GZ" || ext == ".TGZ" || ext == ".TAZ" || ext == ".BZ2")
        return {"TAR32.DLL"};
    if (ext == ".EXE")
        byContent = true;
    return {};
}

} // namespace

int TArcInfoList::SelectForFile(const std::string &Path, bool ByExtension)
{
    int answer = -1;
    bool byContent = !ByExtension;
    if (ByExtension) {
        // Only the ZIP family names a second library; every other row stands alone.
        for (const char *library : LibrariesForExtension(UpperExtension(Path), byContent)) {
            answer = IndexOfLibrary(library);
            if (answer != -1)
                break;
        }
    }
    if (byContent)
        answer = DetectByContent(Path);
    CurrentIndex = answer;
    return answer;
}

void TArcInfoList::ProbeForFile(const std::string &Path)
{
    bool byContent = false;
    std::vector<const char *> libraries = LibrariesForExtension(UpperExtension(Path), byContent);
    if (byContent) {
        ProbeAll();
        return;
    }
    for (auto &row : Rows) {
        if (!row->ImplClass)
            continue;
        bool named = false;
        for (const char *library : libraries)
            named = named || row->LibraryName == library;
        if (named)
            ProbeRow(*row);
    }
}

TLxArchiveClass TArcInfoList::CurrentClass() const
{
    TArcInfoItem *item = CurrentItem();
    return item ? item->ImplClass : nullptr;
}

std::unique_ptr<TLxArchiveBase> TArcInfoList::CreateWrapper(const TArcInfoItem *Item) const
{
    if (!Item || !Item->Installed || !Item->ImplClass)
        return nullptr;
    return Item->ImplClass(Item->LibraryName, Item->Prefix);
}

// ---------------------------------------------------------------------------------------------
// TLxArcImpl

TLxArcImpl::TLxArcImpl() : FRegistry(std::make_unique<TArcInfoList>()) {}

TLxArcImpl::~TLxArcImpl() = default;

void TLxArcImpl::SetFileName(const std::string &Value)
{
    FFileName = Value;
    FRegistry->SelectForFile(FFileName, true);
}
