// Extracting chosen entries of an archive, or all of them, into a folder the user names.
//
// The job lists the archive through the chosen library, picks the entries asked for and has
// the library decode them in one pass ("ExtractEach"); the job itself writes every file, so
// that nothing is written outside the destination folder:
// - stored paths are split at their separators ("/" and a "\" that stands alone), converted
//   from CP932, and refused when a part is ".." or cannot be a file name here;
// - folders below the destination are created one by one and opened without following a
//   link, so a link planted in the destination (or one the archive made) is never entered;
// - a new name is created exclusively (never through a link) and removed again when its
//   entry fails or is cancelled; over an existing name the data goes to a temporary file
//   beside it and is renamed over it only when complete and verified: a failed or cancelled
//   entry leaves nothing behind, and an existing link at the final name is replaced, never
//   written through.
// Questions (an existing file) and progress go to a listener, which may run on another
// thread. The job itself is Qt-free and used by the window and by tovik-arc alike.
#ifndef TOVIK_SOURCE_ARCEXTRACTJOB_H
#define TOVIK_SOURCE_ARCEXTRACTJOB_H

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TLxArcImpl;
class TLoadMonitor;

// What to extract. Entries are stored paths (CP932) as the library lists them: a file's
// path, or a folder's path ending in "/" (or "\") for everything below it. No entries: the
// whole archive. StripPrefix (CP932, ending in "/", or empty) is removed from the front of
// every path before it is written, so that a folder's contents land directly in DestFolder.
struct TExtractRequest {
    std::string DestFolder;                 // UTF-8; created when missing
    std::vector<std::string> Entries;
    std::string StripPrefix;
};

enum class TOverwriteAnswer { Overwrite, Skip, OverwriteAll, SkipAll, Abort };

// Overwrite policy fixed in advance (tovik-arc's --overwrite / --skip); Ask puts the question.
enum class TOverwritePolicy { Ask, Overwrite, Skip };

class TExtractListener {
public:
    virtual ~TExtractListener() = default;
    // A file of that name (UTF-8, relative to the destination) exists already.
    virtual TOverwriteAnswer AskOverwrite(const std::string &relativePath) = 0;
};

// Counts the job updates as it goes; another thread may read them at any time.
struct TExtractProgress {
    std::atomic<int64_t> EntriesDone{0};
    std::atomic<int64_t> EntriesTotal{0};
    std::atomic<int64_t> BytesDone{0};
    std::atomic<int64_t> BytesTotal{0};
    std::atomic<bool> CancelRequested{false};
    // The archive has been listed and the totals are known.
    std::atomic<bool> Listed{false};
    // The task the job runs in, when it can be cancelled from outside as well (the program
    // closing); set before the job starts.
    const TLoadMonitor *Task = nullptr;

    bool Stopping() const;
};

struct TExtractFailure {
    std::string Name;     // stored path as UTF-8 (lossy where it is not CP932)
    std::string Reason;   // UTF-8
};

struct TExtractResult {
    bool Opened = false;        // the archive could be listed at all
    std::string OpenError;      // UTF-8, when not
    int64_t Written = 0;        // files written (folders not counted)
    int64_t Skipped = 0;        // existing files left alone
    int64_t Matched = 0;        // entries the request chose
    std::vector<TExtractFailure> Failures;
    std::vector<std::string> Unmatched;   // requested names no entry answered (as given)
    bool Cancelled = false;     // by the progress flag
    bool Aborted = false;       // by the answer "中止"

    bool Succeeded() const { return Opened && Failures.empty() && Unmatched.empty() && !Cancelled && !Aborted; }
};

// Runs the job on the archive whose library Impl has chosen (TLxArcImpl::SetFileName).
// listener may be null when policy is not Ask (an Ask without listener skips).
TExtractResult RunExtractJob(TLxArcImpl &Impl, const TExtractRequest &Request, TOverwritePolicy Policy,
                             TExtractListener *Listener, TExtractProgress *Progress);

// The parts of a stored CP932 path as file names (UTF-8), without empty and "." parts.
// False, with Reason set (UTF-8), when the path cannot be written safely: a ".." part, a
// part longer than the file system allows, or bytes that are not CP932.
bool ExtractPathParts(std::string_view Cp932Path, std::vector<std::string> &Parts, std::string &Reason);

#endif
