// tovik-arc extract ARCHIVE ENTRY FOLDER
//
// Extracts one entry, without its folders, into FOLDER (created when missing) through the
// wrapper's command line, as the viewer does before opening an entry with another program.
// Prints the library's message on failure.
#include "Commands.h"
#include "EntryLookup.h"

#include "archive/LxArcImpl.h"

namespace tovik::arc {

int ExtractCommand(const Arguments &args)
{
    if (args.size() != 3)
        return UsageError("extract");
    const std::string &path = args[0];
    TLxArcImpl impl;
    FoundEntry entry;
    if (!FindArchiveEntry(impl, path, args[1], entry))
        return kExitFailure;
    std::unique_ptr<TLxArchiveBase> wrapper = impl.Registry().CreateWrapper(impl.Registry().CurrentItem());
    if (!wrapper)
        return Fail(path + ": 書庫を開けません (the library cannot be loaded)");
    std::string folder = args[2];
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    std::string message;
    if (!wrapper->ExtractFile(nullptr, path, entry.storedName, folder, message))
        return Fail(path + ": " + (message.empty() ? std::string("展開できません") : ToUtf8(message)));
    return kExitOk;
}

} // namespace tovik::arc
