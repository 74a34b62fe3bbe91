// tovik-arc libs
//
// The registry table after probing every library: one tab-separated row per known library
// in table order, under the column titles of the archiver information dialog.
#include "Commands.h"

#include "archive/LxArcImpl.h"

namespace tovik::arc {

int LibsCommand(const Arguments &args)
{
    if (!args.empty())
        return UsageError("libs");
    TArcInfoList registry;
    registry.ProbeAll();
    Output out;
    out << "DLL名称\t対応形式\tインストールフォルダ\tバージョン\n";
    for (int i = 0; i < registry.Count(); ++i) {
        const TArcInfoItem *row = registry.Items(i);
        out << row->LibraryName << '\t' << ToUtf8(row->Description) << '\t'
            << (row->InstallFolder.empty() ? ToUtf8(NotInstalledText()) : row->InstallFolder) << '\t' << row->Version
            << '\n';
    }
    if (!out.Flush())
        return Fail("標準出力に書き込めません (cannot write to standard output)");
    return kExitOk;
}

} // namespace tovik::arc
