#include "Source/ArcExtractJob.h"

#include "Source/LxPnArcDataClasses.h"
#include "archive/LxArcImpl.h"
#include "platform/Cp932.h"
#include "platform/DosDateTime.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr const char *kNameTooLong = "名前が長すぎます";
constexpr const char *kNameNotCp932 = "この名前はファイル名にできません";
constexpr const char *kNameClimbs = "書庫の外を指す名前です (..)";
constexpr const char *kNoFolder = "フォルダを作れません (リンクかファイルが途中にあります)";
constexpr const char *kFolderInPlace = "同じ名前のフォルダがあります";
constexpr const char *kWriteFailed = "ファイルに書き込めません";
constexpr const char *kNoBatch = "この書庫ライブラリは展開先への展開に対応していません";
constexpr const char *kNoSpace = "展開先の空き容量が足りません";
// Files from this size on are held against the free space before they are written.
constexpr int64_t kSpaceCheckFrom = 1 << 20;

// The path with every separator that stands alone as "/" (a "\" may be the second byte of a
// two-byte character).
std::string Normalized(std::string_view cp932)
{
    std::string out(cp932);
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto b = static_cast<unsigned char>(out[i]);
        if (tovik::platform::IsCp932LeadByte(b) && i + 1 < out.size()) {
            ++i;
            continue;
        }
        if (b == '\\')
            out[i] = '/';
    }
    return out;
}

// The key a name is matched by: normalised, without leading "/" and "./" ("./docs/a" is
// asked for as "docs/a").
std::string MatchKey(std::string_view cp932)
{
    std::string n = Normalized(cp932);
    std::size_t skip = 0;
    for (;;) {
        if (n.compare(skip, 1, "/") == 0)
            skip += 1;
        else if (n.compare(skip, 2, "./") == 0)
            skip += 2;
        else
            break;
    }
    return n.substr(skip);
}

std::string ReasonFor(int err)
{
    std::string text = kWriteFailed;
    if (err == ENOSPC)
        text += " (ディスクがいっぱいです)";
    else if (err == EACCES || err == EPERM || err == EROFS)
        text += " (書き込みが許可されていません)";
    else if (err == ENAMETOOLONG)
        text = kNameTooLong;
    else if (err == EILSEQ)
        text = kNameNotCp932;
    return text;
}

time_t UnixTimeOf(TDateTime value)
{
    if (value == 0)
        return -1;
    tovik::platform::DateTimeParts p = tovik::platform::DecodeDateTime(value);
    std::tm t{};
    t.tm_year = p.year - 1900;
    t.tm_mon = p.month - 1;
    t.tm_mday = p.day;
    t.tm_hour = p.hour;
    t.tm_min = p.minute;
    t.tm_sec = p.second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

struct Listed {
    uint32_t Position = 0;
    std::string Name;          // normalised stored path, CP932
    int64_t Size = 0;
    TDateTime DateTime = 0;
    bool Folder = false;
};

// Folders below the destination, opened one part at a time without following links. The
// folder used last stays open: entries come grouped by folder.
class FolderWalker {
public:
    explicit FolderWalker(int root) : root_(root) {}
    ~FolderWalker() { Forget(); }
    FolderWalker(const FolderWalker &) = delete;
    FolderWalker &operator=(const FolderWalker &) = delete;

    // The folder of parts[0 .. count), created where missing; -1 (errno set) on failure.
    int Open(const std::vector<std::string> &parts, std::size_t count)
    {
        std::string key;
        for (std::size_t i = 0; i < count; ++i)
            key.append(parts[i]).push_back('/');
        if (count == 0)
            return root_;
        if (fd_ >= 0 && key == key_)
            return fd_;
        Forget();
        int dir = root_;
        for (std::size_t i = 0; i < count; ++i) {
            int next = openat(dir, parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (next < 0 && errno == ENOENT) {
                if (mkdirat(dir, parts[i].c_str(), 0777) != 0 && errno != EEXIST) {
                    int err = errno;
                    if (dir != root_)
                        close(dir);
                    errno = err;
                    return -1;
                }
                next = openat(dir, parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            }
            int err = errno;
            if (dir != root_)
                close(dir);
            if (next < 0) {
                errno = err;
                return -1;
            }
            dir = next;
        }
        fd_ = dir;
        key_ = std::move(key);
        return fd_;
    }

private:
    void Forget()
    {
        if (fd_ >= 0 && fd_ != root_)
            close(fd_);
        fd_ = -1;
        key_.clear();
    }

    int root_;
    int fd_ = -1;
    std::string key_;
};

struct Chosen {
    const Listed *Entry = nullptr;
    std::vector<std::string> Parts;   // UTF-8 file names below the destination
    std::string Display;              // relative path shown to the user
};

class JobRunner {
public:
    JobRunner(int root, TOverwritePolicy policy, TExtractListener *listener, TExtractProgress *progress,
              TExtractResult &result)
        : walker_(root), policy_(policy), listener_(listener), progress_(progress), result_(result)
    {
    }
    ~JobRunner() { Discard(); }

    std::unordered_map<uint32_t, Chosen> chosen;

    static int32_t Proc(void *user, uint32_t position, int32_t event, const uint8_t *data, LX_DWORD size)
    {
        auto *self = static_cast<JobRunner *>(user);
        switch (event) {
        case LX_EACH_BEGIN: return self->Begin(position, (size & LX_EACH_SPARSE) != 0);
        case LX_EACH_DATA: return data ? self->Data(data, size) : self->Hole(size);
        case LX_EACH_HOLE: return self->Hole(size);
        case LX_EACH_DONE: self->Done(position); return LX_EACH_TAKE;
        case LX_EACH_FAILED: self->Failed(position, std::string_view(reinterpret_cast<const char *>(data), data ? size : 0)); return LX_EACH_TAKE;
        default: return LX_EACH_STOP;
        }
    }

    void Fail(const Chosen &c, std::string reason)
    {
        result_.Failures.push_back({c.Display, std::move(reason)});
        Count();
    }

    void MakeFolder(const Chosen &c)
    {
        if (walker_.Open(c.Parts, c.Parts.size()) < 0)
            result_.Failures.push_back({c.Display, kNoFolder});
    }

private:
    int32_t Begin(uint32_t position, bool sparse)
    {
        // The library may offer an entry again after a failed first attempt: the answer stands.
        if (position == begun_ && begunAnswer_ != LX_EACH_STOP) {
            if (begunAnswer_ == LX_EACH_TAKE && fd_ >= 0) {
                if (ftruncate(fd_, 0) != 0 || lseek(fd_, 0, SEEK_SET) != 0)
                    writeError_ = errno;
                progress_->BytesDone -= written_;
                written_ = 0;
            }
            return begunAnswer_;
        }
        Discard();
        begun_ = position;
        begunAnswer_ = Decide(position, sparse);
        return begunAnswer_;
    }

    int32_t Decide(uint32_t position, bool sparse)
    {
        auto it = chosen.find(position);
        if (it == chosen.end())
            return LX_EACH_SKIP;
        const Chosen &c = it->second;
        if (progress_->Stopping()) {
            result_.Cancelled = true;
            return LX_EACH_STOP;
        }
        dir_ = walker_.Open(c.Parts, c.Parts.size() - 1);
        if (dir_ < 0) {
            Fail(c, kNoFolder);
            return LX_EACH_SKIP;
        }
        const std::string &leaf = c.Parts.back();
        // A size the disk cannot hold is refused before a byte is written (an old file it
        // replaces still takes its room until then). The holes of a sparse entry take none;
        // small files are left to the write itself.
        struct statvfs fs;
        if (!sparse && c.Entry->Size >= kSpaceCheckFrom && fstatvfs(dir_, &fs) == 0 &&
            static_cast<unsigned long long>(c.Entry->Size) >
                static_cast<unsigned long long>(fs.f_bavail) * static_cast<unsigned long long>(fs.f_frsize)) {
            Fail(c, kNoSpace);
            return LX_EACH_SKIP;
        }
        // A new name is written in place: created here and now (never through a link), it is
        // ours to remove when the entry fails. A name that exists already gets the question,
        // and is replaced through a temporary file only when the new one is complete.
        replace_ = false;
        fd_ = openat(dir_, leaf.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            direct_ = true;
            temp_ = leaf;
        } else if (errno != EEXIST) {
            Fail(c, ReasonFor(errno));
            return LX_EACH_SKIP;
        } else {
            direct_ = false;
            struct stat st;
            if (fstatat(dir_, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
                Fail(c, kFolderInPlace);
                return LX_EACH_SKIP;
            }
            TOverwritePolicy policy = policy_;
            if (policy == TOverwritePolicy::Ask) {
                TOverwriteAnswer answer = listener_ ? listener_->AskOverwrite(c.Display) : TOverwriteAnswer::Skip;
                switch (answer) {
                case TOverwriteAnswer::Overwrite: policy = TOverwritePolicy::Overwrite; break;
                case TOverwriteAnswer::Skip: policy = TOverwritePolicy::Skip; break;
                case TOverwriteAnswer::OverwriteAll: policy = policy_ = TOverwritePolicy::Overwrite; break;
                case TOverwriteAnswer::SkipAll: policy = policy_ = TOverwritePolicy::Skip; break;
                case TOverwriteAnswer::Abort: result_.Aborted = true; return LX_EACH_STOP;
                }
                if (progress_->Stopping()) {
                    result_.Cancelled = true;
                    return LX_EACH_STOP;
                }
            }
            if (policy == TOverwritePolicy::Skip) {
                ++result_.Skipped;
                progress_->BytesDone += std::max<int64_t>(c.Entry->Size, 0);
                Count();
                return LX_EACH_SKIP;
            }
            replace_ = true;
            static std::atomic<unsigned> serial{0};
            for (int attempt = 0; attempt < 100; ++attempt) {
                temp_ = ".tovik-" + std::to_string(getpid()) + "-" + std::to_string(serial.fetch_add(1)) + ".part";
                fd_ = openat(dir_, temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
                if (fd_ >= 0 || errno != EEXIST)
                    break;
            }
            if (fd_ < 0) {
                temp_.clear();
                Fail(c, ReasonFor(errno));
                return LX_EACH_SKIP;
            }
        }
        current_ = &c;
        written_ = 0;
        holed_ = false;
        writeError_ = 0;
        return LX_EACH_TAKE;
    }

    // Counts a block of size bytes of the current entry and answers true when it is to be
    // written. False with answer LX_EACH_STOP once the user cancelled, or with LX_EACH_TAKE when
    // the entry has no file (its block is dropped).
    bool TakeBlock(LX_DWORD size, int32_t &answer)
    {
        if (progress_->Stopping()) {
            result_.Cancelled = true;
            answer = LX_EACH_STOP;
            return false;
        }
        answer = LX_EACH_TAKE;
        if (fd_ < 0)
            return false;
        progress_->BytesDone += size;
        written_ += size;
        return true;
    }

    int32_t Data(const uint8_t *data, LX_DWORD size)
    {
        int32_t answer;
        if (!TakeBlock(size, answer))
            return answer;
        // After a write error the rest of the entry is read and dropped: the other entries
        // still get their turn.
        while (size > 0 && writeError_ == 0) {
            ssize_t n = write(fd_, data, size);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                writeError_ = errno;
                break;
            }
            data += n;
            size -= static_cast<LX_DWORD>(n);
        }
        return LX_EACH_TAKE;
    }

    // Zero bytes of a sparse entry: the file is left with a hole there.
    int32_t Hole(LX_DWORD size)
    {
        int32_t answer;
        if (!TakeBlock(size, answer))
            return answer;
        holed_ = true;
        if (writeError_ == 0 && lseek(fd_, static_cast<off_t>(size), SEEK_CUR) < 0)
            writeError_ = errno;
        return LX_EACH_TAKE;
    }

    void Done(uint32_t position)
    {
        if (fd_ < 0 || current_ == nullptr || position != begun_)
            return;
        const Chosen &c = *current_;
        // A hole at the end gives the file its length.
        if (holed_ && writeError_ == 0 && ftruncate(fd_, static_cast<off_t>(written_)) != 0)
            writeError_ = errno;
        time_t mtime = UnixTimeOf(c.Entry->DateTime);
        if (writeError_ == 0 && mtime != -1) {
            struct timespec times[2] = {{0, UTIME_OMIT}, {mtime, 0}};
            futimens(fd_, times);
        }
        if (writeError_ == 0 && close(fd_) != 0)
            writeError_ = errno;
        else if (writeError_ != 0)
            close(fd_);
        fd_ = -1;
        if (writeError_ == 0 && direct_) {
            temp_.clear();
            ++result_.Written;
            current_ = nullptr;
            Count();
            return;
        }
        if (writeError_ == 0) {
            const std::string &leaf = c.Parts.back();
            int rc = renameat2(dir_, temp_.c_str(), dir_, leaf.c_str(), replace_ ? 0 : RENAME_NOREPLACE);
            if (rc != 0 && errno == EINVAL && !replace_)
                rc = renameat(dir_, temp_.c_str(), dir_, leaf.c_str());
            if (rc == 0) {
                temp_.clear();
                ++result_.Written;
                current_ = nullptr;
                Count();
                return;
            }
            writeError_ = errno == EEXIST ? EEXIST : errno;
        }
        int err = writeError_;
        Discard();
        Fail(c, err == EEXIST ? std::string("同じ名前のファイルが展開中に現れました") : ReasonFor(err));
    }

    void Failed(uint32_t position, std::string_view cp932Message)
    {
        auto it = chosen.find(position);
        if (position == begun_)
            Discard();
        if (it == chosen.end())
            return;
        std::string reason = tovik::platform::Cp932ToUtf8(cp932Message);
        if (reason.empty())
            reason = "展開できません";
        Fail(it->second, reason);
    }

    void Count() { ++progress_->EntriesDone; }

    // Removes the temporary file of the entry in hand, if any.
    void Discard()
    {
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
        if (!temp_.empty() && dir_ >= 0)
            unlinkat(dir_, temp_.c_str(), 0);
        temp_.clear();
        current_ = nullptr;
        begun_ = UINT32_MAX;
        begunAnswer_ = LX_EACH_STOP;
    }

    FolderWalker walker_;
    TOverwritePolicy policy_;
    TExtractListener *listener_;
    TExtractProgress *progress_;
    TExtractResult &result_;
    const Chosen *current_ = nullptr;
    uint32_t begun_ = UINT32_MAX;
    int32_t begunAnswer_ = LX_EACH_STOP;
    int dir_ = -1;
    int fd_ = -1;
    std::string temp_;
    bool replace_ = false;
    bool direct_ = false;   // written under its final name, which did not exist before
    int64_t written_ = 0;
    bool holed_ = false;   // a hole was left: the length is set at the end
    int writeError_ = 0;
};

} // namespace

bool TExtractProgress::Stopping() const
{
    return CancelRequested.load() || (Task && Task->Cancelled());
}

bool ExtractPathParts(std::string_view Cp932Path, std::vector<std::string> &Parts, std::string &Reason)
{
    Parts.clear();
    const std::string path = Normalized(Cp932Path);
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        std::string_view part(path.data() + start, end - start);
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            Reason = kNameClimbs;
            return false;
        }
        std::string name = tovik::platform::Cp932ToUtf8(part);
        bool lossy = false;
        if (tovik::platform::Utf8ToCp932(name, &lossy) != part || lossy) {
            Reason = kNameNotCp932;
            return false;
        }
        for (char &c : name) {
            auto b = static_cast<unsigned char>(c);
            if (b < 0x20 || b == 0x7F)
                c = '_';
        }
        if (name.size() > NAME_MAX) {
            Reason = kNameTooLong;
            return false;
        }
        Parts.push_back(std::move(name));
    }
    return true;
}

TExtractResult RunExtractJob(TLxArcImpl &Impl, const TExtractRequest &Request, TOverwritePolicy Policy,
                             TExtractListener *Listener, TExtractProgress *Progress)
{
    TExtractResult result;
    TExtractProgress ownProgress;
    if (!Progress)
        Progress = &ownProgress;
    TArcInfoList &registry = Impl.Registry();
    std::unique_ptr<TLxArchiveBase> wrapper = registry.CreateWrapper(registry.CurrentItem());
    // A cancel stops the listing too, where the library lets it.
    if (wrapper)
        wrapper->SetListProgress([Progress](int32_t) { return !Progress->Stopping(); });
    if (!wrapper || !wrapper->OpenArchive(nullptr, Impl.FileName())) {
        if (Progress->Stopping())
            result.Cancelled = true;
        else
            result.OpenError = "書庫を開けません";
        return result;
    }
    struct Closer {
        TLxArchiveBase &w;
        ~Closer() { w.CloseArchive(); }
    } closer{*wrapper};
    if (!wrapper->HasExtractEach()) {
        result.OpenError = kNoBatch;
        return result;
    }

    // The listing, in the library's order: positions count every entry.
    std::vector<Listed> listed;
    if (wrapper->FindFirst() == 0) {
        uint32_t position = 0;
        std::string name;
        do {
            Listed e;
            e.Position = position++;
            wrapper->GetFileName(name);
            e.Name = Normalized(name);
            e.Folder = !e.Name.empty() && e.Name.back() == '/';
            if (!e.Folder) {
                e.Size = wrapper->GetOriginalSize();
                e.DateTime = wrapper->GetDateTime();
            }
            listed.push_back(std::move(e));
        } while (wrapper->FindNext() == 0);
    }
    result.Opened = true;

    // Which entries the request names; of several entries of one name the last one counts,
    // as when the archive is unpacked in order.
    std::vector<std::string> files, folders;
    std::size_t askedFolders = 0;   // folders[askedFolders ...] were asked without their "/"
    for (const std::string &asked : Request.Entries) {
        std::string n = MatchKey(asked);
        if (!n.empty() && n.back() == '/')
            folders.push_back(n);
        else
            files.push_back(n);
    }
    // A name asked without its trailing "/" that no file has is taken as a folder when one
    // has it ("docs" for "docs/").
    askedFolders = folders.size();
    if (!files.empty()) {
        std::unordered_set<std::string> fileKeys;
        for (const Listed &e : listed)
            if (!e.Folder)
                fileKeys.insert(MatchKey(e.Name));
        for (auto it = files.begin(); it != files.end();) {
            if (!it->empty() && fileKeys.count(*it) == 0) {
                folders.push_back(*it + '/');
                it = files.erase(it);
            } else {
                ++it;
            }
        }
    }
    std::unordered_map<std::string, std::size_t> fileIndex;
    for (std::size_t i = 0; i < files.size(); ++i)
        fileIndex.emplace(files[i], i);
    std::vector<bool> fileFound(files.size()), folderFound(folders.size());
    const bool all = Request.Entries.empty();
    std::unordered_map<std::string, std::size_t> lastOfName;
    std::vector<const Listed *> picked;
    for (const Listed &e : listed) {
        bool take = all;
        const std::string key = all ? std::string() : MatchKey(e.Name);
        if (!take && !e.Folder) {
            auto it = fileIndex.find(key);
            if (it != fileIndex.end())
                take = fileFound[it->second] = true;
        }
        for (std::size_t f = 0; !take && f < folders.size(); ++f) {
            if (key.size() >= folders[f].size() && key.compare(0, folders[f].size(), folders[f]) == 0)
                take = folderFound[f] = true;
        }
        if (!take)
            continue;
        auto [it, fresh] = lastOfName.emplace(e.Name, picked.size());
        if (fresh)
            picked.push_back(&e);
        else
            picked[it->second] = &e;
    }
    for (std::size_t i = 0; i < files.size(); ++i)
        if (!fileFound[i])
            result.Unmatched.push_back(tovik::platform::Cp932ToUtf8(files[i]));
    for (std::size_t i = 0; i < folders.size(); ++i)
        if (!folderFound[i])
            result.Unmatched.push_back(tovik::platform::Cp932ToUtf8(
                i < askedFolders ? folders[i] : folders[i].substr(0, folders[i].size() - 1)));

    // The destination, created when missing. It is the user's choice: a link there is
    // followed; nothing below it is.
    std::error_code ec;
    std::filesystem::create_directories(Request.DestFolder, ec);
    int root = open(Request.DestFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) {
        result.Opened = false;
        result.OpenError = "展開先フォルダを作れません: " + Request.DestFolder;
        return result;
    }
    struct RootCloser {
        int fd;
        ~RootCloser() { close(fd); }
    } rootCloser{root};

    JobRunner runner(root, Policy, Listener, Progress, result);
    const std::string strip = MatchKey(Request.StripPrefix);
    std::vector<uint32_t> positions;
    std::vector<Chosen> folderEntries;
    int64_t totalBytes = 0;
    for (const Listed *e : picked) {
        Chosen c;
        c.Entry = e;
        const std::string keyed = MatchKey(e->Name);
        std::string_view name = keyed;
        if (!strip.empty() && name.size() > strip.size() && name.compare(0, strip.size(), strip) == 0)
            name.remove_prefix(strip.size());
        std::string reason;
        bool ok = ExtractPathParts(name, c.Parts, reason);
        c.Display.clear();
        for (const std::string &p : c.Parts)
            c.Display.append(c.Display.empty() ? "" : "/").append(p);
        if (!ok || (c.Parts.empty() && !e->Folder)) {
            if (reason.empty())
                reason = kNameNotCp932;
            result.Failures.push_back({tovik::platform::Cp932ToUtf8(e->Name), reason});
            continue;
        }
        ++result.Matched;
        if (e->Folder) {
            if (!c.Parts.empty())
                folderEntries.push_back(std::move(c));
            continue;
        }
        totalBytes += e->Size > 0 ? e->Size : 0;
        positions.push_back(e->Position);
        runner.chosen.emplace(e->Position, std::move(c));
    }
    Progress->EntriesTotal = static_cast<int64_t>(positions.size());
    Progress->BytesTotal = totalBytes;
    Progress->Listed = true;
    for (const Chosen &c : folderEntries)
        runner.MakeFolder(c);

    std::sort(positions.begin(), positions.end());
    // A cancel while the archive was being listed ends the job before the first file.
    if (Progress->Stopping()) {
        result.Cancelled = true;
        return result;
    }
    int rc = positions.empty() ? 0 : wrapper->ExtractEach(positions, &JobRunner::Proc, &runner);
    if (rc < 0 && !result.Cancelled && !result.Aborted)
        result.Failures.push_back({Impl.FileName(), "書庫ライブラリが展開を続けられませんでした"});
    if (rc == 1 && !result.Cancelled && !result.Aborted && Progress->Stopping())
        result.Cancelled = true;
    return result;
}
