// Program entry: --help and --version are answered here, before any window system is
// touched, so that both work without a display; everything else is the application's run.
#include "Source/AppMain.h"
#include "platform/MessageLanguage.h"

#include <cstdio>
#include <cstring>

namespace {

void PrintHelp()
{
    if (tovik::platform::JapaneseMessages())
        std::fputs("使い方: tovik [オプション] [書庫ファイル...]\n"
                   "\n"
                   "書庫ファイル (LZH, ZIP, 7z, CAB, TAR とその圧縮形式, ARJ, 自己解凍 .exe など) を\n"
                   "ファイルごとにタブで開いて表示します。書庫を変更することはありません。\n"
                   "Tovik がすでに起動していれば、ファイルはそのウィンドウの新しいタブで開きます。\n"
                   "\n"
                   "オプション:\n"
                   "  -h, --help     この説明を表示して終了する\n"
                   "  -V, --version  バージョンを表示して終了する\n"
                   "  --             以降の引数をすべてファイル名として扱う\n"
                   "\n"
                   "環境変数:\n"
                   "  TOVIK_ARCHIVERS  アーカイバライブラリを探すフォルダ (コロン区切り)\n"
                   "  TOVIK_INI        設定ファイルのパス\n",
                   stdout);
    else
        std::fputs("Usage: tovik [OPTION] [ARCHIVE...]\n"
                   "\n"
                   "Shows archives (LZH, ZIP, 7z, CAB, TAR and its compressed forms, ARJ, self-extracting\n"
                   ".exe and more), each in a tab of its own. Archives are never changed.\n"
                   "While Tovik runs, the files open in new tabs of its window.\n"
                   "\n"
                   "Options:\n"
                   "  -h, --help     show this help and exit\n"
                   "  -V, --version  show the version and exit\n"
                   "  --             take every later argument as a file name\n"
                   "\n"
                   "Environment:\n"
                   "  TOVIK_ARCHIVERS  folders to search for archiver libraries (colon-separated)\n"
                   "  TOVIK_INI        the settings file\n",
                   stdout);
}

// -1: neither --help nor --version was asked for (before a "--").
int InformationOption(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            PrintHelp();
            return 0;
        }
        if (std::strcmp(argv[i], "-V") == 0 || std::strcmp(argv[i], "--version") == 0) {
            std::printf("tovik %s\n", tovik::platform::ProgramVersion());
            return 0;
        }
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (const int status = InformationOption(argc, argv); status >= 0)
        return status;
    return RunApplication(argc, argv);
}
