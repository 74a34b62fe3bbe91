// tovik-arc: lists archives and the archiver libraries from the command line, through the
// same wrappers, registry and contents model as the viewer.
#include "Commands.h"
#include "platform/MessageLanguage.h"

#include <cstring>
#include <exception>
#include <iterator>
#include <new>

namespace tovik::arc {
namespace {

const Command kCommands[] = {
    {"list", "ARCHIVE", "lists the entries of an archive, one tab-separated row each", ListCommand},
    {"tree", "ARCHIVE", "shows the folder tree and list rows as the viewer builds them", TreeCommand},
    {"cat", "ARCHIVE ENTRY",
     "writes an entry's bytes to standard output (memory extraction). The library checks the\n"
     "      entry's length and checksum, except where the format keeps none (tar, cpio, ar, .Z)\n"
     "      or libarchive 3.6.2 checks none (RAR stored data); a .gz stream is checked against\n"
     "      its trailer",
     CatCommand},
    {"extract", "[-a] [--overwrite | --skip] ARCHIVE [ENTRY...] FOLDER",
     "extracts entries (folders with all below them; -a: everything) into FOLDER, keeping their folders",
     ExtractCommand},
    {"libs", "", "lists the known archiver libraries and where they are installed", LibsCommand},
    {"detect", "FILE", "names the character set of a text: code, name, line-end kind, certainty", DetectCommand},
    {"decode", "[--cp932] FILE [CODE]", "shows a text as the viewer's lines (CODE 0 or absent: detected)", DecodeCommand},
};

// The summaries under a Japanese locale, in the order of kCommands.
const char *const kJapaneseSummaries[] = {
    "書庫の内容を 1 行に 1 エントリずつタブ区切りで表示する",
    "ビューアと同じフォルダツリーと一覧の行を表示する",
    "エントリの内容を標準出力に書き出す (メモリ展開)",
    "エントリ (フォルダは中身ごと、-a は全部) をフォルダ構成を保って FOLDER に展開する",
    "既知のアーカイバライブラリとインストール先を表示する",
    "テキストの文字コードを判定する: コード, 名前, 改行の種類, 確かさ",
    "テキストをビューアの行として表示する (CODE が 0 か省略なら自動判定)",
};
static_assert(std::size(kJapaneseSummaries) == std::size(kCommands));

void PrintHelp(FILE *to)
{
    const bool japanese = tovik::platform::JapaneseMessages();
    std::fputs(japanese ? "使い方: tovik-arc コマンド [引数]\n\nコマンド:\n"
                        : "usage: tovik-arc COMMAND [ARGUMENTS]\n\ncommands:\n",
               to);
    for (size_t i = 0; i < std::size(kCommands); ++i)
        std::fprintf(to, "  %s %s\n      %s\n", kCommands[i].name, kCommands[i].usage,
                     japanese ? kJapaneseSummaries[i] : kCommands[i].summary);
    if (japanese)
        std::fputs("\nオプション:\n"
                   "  -h, --help     この説明を表示して終了する\n"
                   "  -V, --version  バージョンを表示して終了する\n"
                   "\nアーカイバライブラリは $TOVIK_ARCHIVERS (コロン区切りのフォルダ)、プログラムの隣の\n"
                   "archivers/、プログラムから見た ../lib/tovik/archivers、インストール先の順に探します。\n",
                   to);
    else
        std::fputs("\noptions:\n"
                   "  -h, --help     show this help and exit\n"
                   "  -V, --version  show the version and exit\n"
                   "\nArchiver libraries are searched in $TOVIK_ARCHIVERS (colon-separated folders),\n"
                   "then beside the program in archivers/, then in ../lib/tovik/archivers as seen from\n"
                   "the program, then in the install folder.\n",
                   to);
}

} // namespace

int UsageError(const char *commandName)
{
    for (const Command &c : kCommands)
        if (std::strcmp(c.name, commandName) == 0) {
            std::fprintf(stderr, "usage: tovik-arc %s %s\n", c.name, c.usage);
            return kExitUsage;
        }
    return kExitUsage;
}

} // namespace tovik::arc

int main(int argc, char **argv)
{
    using namespace tovik::arc;
    if (argc < 2) {
        PrintHelp(stderr);
        return kExitUsage;
    }
    const char *name = argv[1];
    if (std::strcmp(name, "-h") == 0 || std::strcmp(name, "--help") == 0 || std::strcmp(name, "help") == 0) {
        PrintHelp(stdout);
        return kExitOk;
    }
    if (std::strcmp(name, "-V") == 0 || std::strcmp(name, "--version") == 0) {
        std::printf("tovik-arc %s\n", tovik::platform::ProgramVersion());
        return kExitOk;
    }
    for (const Command &c : kCommands) {
        if (std::strcmp(c.name, name) == 0) {
            // No failure of a command ends the program unreported: memory running out is said
            // like any other failure.
            try {
                Arguments args(argv + 2, argv + argc);
                return c.run(args);
            } catch (const std::bad_alloc &) {
                return Fail("メモリが不足しています (out of memory)");
            } catch (const std::exception &e) {
                return Fail(e.what());
            }
        }
    }
    std::fprintf(stderr, "tovik-arc: unknown command \"%s\"\n\n", name);
    PrintHelp(stderr);
    return kExitUsage;
}
