// tovik-arc extract [--overwrite | --skip] ARCHIVE ENTRY... FOLDER
// tovik-arc extract -a [--overwrite | --skip] ARCHIVE FOLDER
//
// Extracts the named entries (files, or folders with everything below them; stored names or
// their UTF-8 form), or with -a the whole archive, into FOLDER (created when missing),
// keeping the archive's folders below it. An existing file is left alone and reported,
// unless --overwrite replaces it or --skip leaves it alone silently. Every entry that could
// not be written is reported; the exit status is then non-zero.
#include "Commands.h"

#include "Source/ArcExtractJob.h"
#include "archive/LxArcImpl.h"
#include "platform/Cp932.h"

namespace tovik::arc {
namespace {

// Refuses every overwrite and remembers the names, for the run without --overwrite/--skip.
class RefusingListener : public TExtractListener {
public:
    TOverwriteAnswer AskOverwrite(const std::string &relativePath) override
    {
        existing.push_back(relativePath);
        return TOverwriteAnswer::Skip;
    }
    std::vector<std::string> existing;
};

// A name given on the command line as the library lists it: UTF-8 is turned into CP932.
std::string StoredFormOf(const std::string &name)
{
    bool ascii = true;
    for (unsigned char c : name)
        ascii = ascii && c < 0x80;
    if (ascii || !tovik::platform::IsValidUtf8(name))
        return name;
    bool lossy = false;
    std::string cp932 = tovik::platform::Utf8ToCp932(name, &lossy);
    return lossy ? name : cp932;
}

} // namespace

int ExtractCommand(const Arguments &args)
{
    bool all = false;
    TOverwritePolicy policy = TOverwritePolicy::Ask;
    std::vector<std::string> positional;
    bool optionsDone = false;
    for (const std::string &a : args) {
        if (!optionsDone && a == "--") {
            optionsDone = true;
        } else if (!optionsDone && (a == "-a" || a == "--all")) {
            all = true;
        } else if (!optionsDone && a == "--overwrite") {
            if (policy == TOverwritePolicy::Skip)
                return UsageError("extract");
            policy = TOverwritePolicy::Overwrite;
        } else if (!optionsDone && a == "--skip") {
            if (policy == TOverwritePolicy::Overwrite)
                return UsageError("extract");
            policy = TOverwritePolicy::Skip;
        } else if (!optionsDone && a.size() > 1 && a[0] == '-') {
            return UsageError("extract");
        } else {
            positional.push_back(a);
        }
    }
    if (all ? positional.size() != 2 : positional.size() < 3)
        return UsageError("extract");
    const std::string &path = positional.front();
    TExtractRequest request;
    request.DestFolder = positional.back();
    for (std::size_t i = 1; i + 1 < positional.size(); ++i)
        request.Entries.push_back(StoredFormOf(positional[i]));

    TLxArcImpl impl;
    if (!ChooseLibrary(impl, path))
        return kExitFailure;
    RefusingListener refusing;
    TExtractResult result = RunExtractJob(impl, request, policy, &refusing, nullptr);
    if (!result.Opened)
        return Fail(path + ": " + result.OpenError);
    bool failed = !result.Succeeded();
    for (const std::string &name : result.Unmatched)
        Fail(path + ": " + name + ": ファイルが見つかりません (no such entry)");
    for (const TExtractFailure &f : result.Failures)
        Fail(f.Name + ": " + f.Reason);
    for (const std::string &name : refusing.existing) {
        Fail(name + ": 既にあります (exists; --overwrite replaces it, --skip leaves it)");
        failed = true;
    }
    if (result.Cancelled || result.Aborted)
        Fail(path + ": 中止しました");
    return failed ? kExitFailure : kExitOk;
}

} // namespace tovik::arc
