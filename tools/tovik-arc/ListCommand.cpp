// tovik-arc list ARCHIVE
//
// A header line naming the library chosen, then one row per entry in archive order, every
// entry the library enumerates (directory records included):
//   stored path (UTF-8) TAB original size TAB compressed size TAB rate TAB date TAB time TAB
//   attributes TAB CRC
// The texts are the viewer's own (rate "45.3%", date "YYYY/MM/DD", time "HH:NN",
// attributes "A--W", CRC in hexadecimal); sizes are plain numbers for scripts. A size the
// archive does not tell is empty, and so is the rate made from it.
#include "Commands.h"

#include "Source/LxPnArcDataClasses.h"
#include "archive/LxArcImpl.h"

namespace tovik::arc {
namespace {

// A size as a plain number; an unknown one (negative) is empty.
std::string SizeField(int64_t size)
{
    return size < 0 ? std::string() : std::to_string(size);
}

} // namespace

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
            const bool known = info.OriginalSize >= 0 && info.CompressedSize >= 0;
            out << NameText(info.FileName) << '\t' << SizeField(info.OriginalSize) << '\t'
                << SizeField(info.CompressedSize) << '\t' << (known ? RatioTextOf(info.Ratio) : std::string()) << '\t'
                << date << '\t' << time << '\t' << AttrTextOf(info.Attribute) << '\t' << CRCTextOf(info.CRC) << '\n';
        } while (wrapper->FindNext() == 0);
    }
    wrapper->CloseArchive();
    if (!out.Flush())
        return Fail("標準出力に書き込めません (cannot write to standard output)");
    return kExitOk;
}

} // namespace tovik::arc
