// tovik-arc tree ARCHIVE
//
// The archive as the viewer shows it: the contents model's folders depth first, each
// folder's entries before its sub-folders, in the model's order. One line per folder,
//   D TAB folder path (the folder names joined with "/")
// and one per entry, with the eight texts of its list row,
//   F TAB folder path/name TAB original TAB compressed TAB rate TAB date TAB time TAB
//   attributes TAB CRC TAB mode
// Entries the model does not place (directory records, paths with empty folder names) do
// not appear; the header counts every entry the library enumerated.
#include "Commands.h"

#include "Source/LxPnArcDataClasses.h"
#include "archive/LxArcImpl.h"

namespace tovik::arc {
namespace {

void PrintFolder(Output &out, const TLxArcFolderData &data, const std::string &prefix, TEntryRowTexts &texts)
{
    for (int i = 0; i < data.Entries->Count(); ++i) {
        const TLxPackedItem *item = data.Entries->Items(i);
        EntryRowTexts(*item, texts);
        out << "F\t" << prefix << NameText(item->Name);
        for (const std::string &t : texts)
            out << '\t' << t;
        out << '\n';
    }
    for (int i = 0; i < data.Folders->Count(); ++i) {
        const TLxArcFolderItem *folder = data.Folders->Items(i);
        std::string path = prefix + NameText(folder->Name);
        out << "D\t" << path << '\n';
        PrintFolder(out, *folder->Data, path + "/", texts);
    }
}

} // namespace

int TreeCommand(const Arguments &args)
{
    if (args.size() != 1)
        return UsageError("tree");
    TLxArcImpl impl;
    if (!ChooseLibrary(impl, args[0]))
        return kExitFailure;
    TLxArcData data;
    if (!data.LoadFromArchive(nullptr, impl))
        return Fail(args[0] + ": 書庫を開けません (" + impl.Registry().CurrentItem()->LibraryName + " cannot open it)");

    const TArcInfoItem *row = impl.Registry().CurrentItem();
    Output out;
    out << "# " << row->LibraryName << '\t' << row->Version << '\t' << row->InstallFolder << '\n';
    out << "# " << std::to_string(data.EntryCount) << " entries\n";
    TEntryRowTexts texts;
    PrintFolder(out, *data.Data, "", texts);
    if (!out.Flush())
        return Fail("標準出力に書き込めません (cannot write to standard output)");
    return kExitOk;
}

} // namespace tovik::arc
