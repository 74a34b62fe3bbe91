// Archives made to hurt: names that forge output, sizes that lie, bombs, links and streams
// that cost more than they hold. Every case is made here at test time, the big ones sparse.
#include "ArchiverLibrary.h"

#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path &p, const std::string &data)
{
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << data;
}

class HostileArchivesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/tovik-hostile-XXXXXX";
        root_ = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string path(const std::string &name) const { return (root_ / name).string(); }

    // Runs a python3 program with the temporary folder as its working folder.
    void Python(const std::string &program)
    {
        std::string out;
        int rc = RunTool("cd " + ShellQuote(root_.string()) + " && python3 -c " + ShellQuote(program) + " 2>&1", &out);
        ASSERT_EQ(rc, 0) << out;
    }

    // tovik-arc with the libraries of the build; standard error joins the output when asked.
    int Tool(const std::string &args, std::string *out, bool withErrors = true)
    {
        std::string tool = std::string(TOVIK_TEST_BIN_DIR) + "/tovik-arc";
        return RunTool("TOVIK_ARCHIVERS=" + ShellQuote(TOVIK_ARCHIVER_BUILD_DIR) + " " + ShellQuote(tool) + " " + args +
                           (withErrors ? " 2>&1" : " 2>/dev/null"),
                       out);
    }

    fs::path root_;
};

TEST_F(HostileArchivesTest, NamesCannotForgeRowsOrReachTheTerminal)
{
    Python("import io,tarfile\n"
           "t=tarfile.open('names.tar','w',format=tarfile.GNU_FORMAT)\n"
           "for n in ['a\\nforged\\t1\\t1.txt','esc\\x1b]0;title\\x07.txt','plain.txt']:\n"
           "  i=tarfile.TarInfo(n); i.size=2; t.addfile(i,io.BytesIO(b'hi'))\n"
           "t.close()\n");
    for (const char *command : {"list", "tree"}) {
        std::string out;
        ASSERT_EQ(Tool(std::string(command) + " " + ShellQuote(path("names.tar")), &out), 0) << out;
        EXPECT_EQ(out.find('\x1b'), std::string::npos) << command;
        EXPECT_EQ(out.find('\x07'), std::string::npos) << command;
        // One row per entry: the header lines and three rows.
        std::size_t rows = 0;
        for (std::size_t at = 0; (at = out.find('\n', at)) != std::string::npos; ++at)
            ++rows;
        EXPECT_EQ(rows, std::string(command) == "list" ? 4u : 5u) << out;
        EXPECT_NE(out.find("a\u240Aforged\u24091\u24091.txt\t"), std::string::npos) << out;
    }
    // A failure names the entry as asked, made visible too.
    std::string out;
    EXPECT_NE(Tool("cat " + ShellQuote(path("names.tar")) + " " + ShellQuote("no\x1b[2J"), &out), 0);
    EXPECT_EQ(out.find('\x1b'), std::string::npos) << out;
}

} // namespace
