// tovik-arc: lists archives and the archiver libraries from the command line, through the
// same wrappers, registry and contents model as the viewer.
#include "Commands.h"

#include <cstring>
#include <exception>
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
    {"extract", "ARCHIVE ENTRY FOLDER", "extracts one entry, without its folders, into FOLDER", ExtractCommand},
    {"libs", "", "lists the known archiver libraries and where they are installed", LibsCommand},
    {"detect", "FILE", "names the character set of a text: code, name, line-end kind, certainty", DetectCommand},
    {"decode", "[--cp932] FILE [CODE]", "shows a text as the viewer's lines (CODE 0 or absent: detected)", DecodeCommand},
};

void PrintHelp(FILE *to)
{
    std::fprintf(to, "usage: tovik-arc COMMAND [ARGUMENTS]\n\ncommands:\n");
    for (const Command &c : kCommands)
        std::fprintf(to, "  %s %s\n      %s\n", c.name, c.usage, c.summary);
    std::fprintf(to, "\nArchiver libraries are searched in $TOVIK_ARCHIVERS (colon-separated folders),\n"
                     "then beside the program in archivers/, then in the install folder.\n");
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
