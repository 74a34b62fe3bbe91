#include "EntryLookup.h"

#include "Commands.h"
#include "archive/LxArcImpl.h"

namespace tovik::arc {

bool FindArchiveEntry(TLxArcImpl &impl, const std::string &path, const std::string &name, FoundEntry &found,
                      bool libraryChosen)
{
    if (!libraryChosen && !ChooseLibrary(impl, path))
        return false;
    std::unique_ptr<TLxArchiveBase> wrapper = OpenChosen(impl);
    if (!wrapper)
        return false;
    bool ok = false;
    std::string stored;
    if (wrapper->FindFirst() == 0) {
        do {
            wrapper->GetFileName(stored);
            if (stored == name || ToUtf8(stored) == name) {
                found.storedName = stored;
                found.originalSize = wrapper->GetOriginalSize();
                ok = !stored.empty() && stored.back() != '/';
            }
        } while (!ok && wrapper->FindNext() == 0);
    }
    wrapper->CloseArchive();
    if (!ok)
        Fail(path + ": " + name + ": ファイルが見つかりません (no such entry)");
    return ok;
}

} // namespace tovik::arc
