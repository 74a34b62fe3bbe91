// tovik-arc list ARCHIVE
//
// A header line naming the library chosen, then one row per entry in archive order, every
// entry the library enumerates (directory records included):
//   stored path (UTF-8) TAB original size TAB compressed size TAB rate TAB date TAB time TAB
//   attributes TAB CRC
// The texts are the viewer's own (rate "45.3%", date "YYYY/MM/DD", time "HH:NN",
// attributes "A--W", CRC in hexadecimal); sizes are plain numbers for scripts.
#include "Commands.h"

#include "Source/LxPnArcDataClasses.h"
#include "archive/LxArcImpl.h"

namespace tovik::arc {

int ListCommand(const Arguments &args)
{
    if (args.size() != 1)
        return UsageError("list");
    const std::string &path = args[0];
    TLxArcImpl impl;
    if (!ChooseLibrary(impl, path))
        return kExitFailure;
    std::unique_ptr<TLxArchiveBase> wrapper = OpenChosen(impl);
    if (!wrapper)
        return kExitFailure;

    const TArcInfoItem *row = impl.Registry().CurrentItem();
    Output out;
    out << "# " << row->LibraryName << '\t' << row->Version << '\t' << row->InstallFolder << '\n';

    TIndivisualInfoEX info;
    char date[16], time[16];
    if (wrapper->FindFirst() == 0) {
        do {
            wrapper->ReadEntryInfo(info);
            tovik::platform::FormatDate(info.DateTime, date);
            tovik::platform::FormatTime(info.DateTime, time);
            out << ToUtf8(info.FileName) << '\t' << std::to_string(info.OriginalSize) << '\t'
                << std::to_string(info.CompressedSize) << '\t' << RatioTextOf(info.Ratio) << '\t' << date << '\t'
                << time << '\t' << AttrTextOf(info.Attribute) << '\t' << CRCTextOf(info.CRC) << '\n';
        } while (wrapper->FindNext() == 0);
    }
    wrapper->CloseArchive();
    if (!out.Flush())
        return Fail("標準出力に書き込めません (cannot write to standard output)");
    return kExitOk;
}

} // namespace tovik::arc
