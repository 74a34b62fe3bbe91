// tovik-arc detect and decode, run as a user would.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

struct ToolRun {
    int status;
    std::string out;
};

ToolRun Tool(const std::string &arguments)
{
    std::string command = std::string("'") + TOVIK_TEST_BIN_DIR + "/tovik-arc' " + arguments + " 2>/dev/null";
    ToolRun run {-1, {}};
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, got);
    run.status = pclose(pipe);
    return run;
}

// A file in the temporary folder for the length of a test.
class TempFile {
public:
    TempFile(const std::string &name, const std::string &bytes)
        : path_(std::filesystem::temp_directory_path() / ("tovik-textconv-" + std::to_string(getpid()) + "-" + name))
    {
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~TempFile() { std::filesystem::remove(path_); }
    std::string Quoted() const { return "'" + path_.string() + "'"; }

private:
    std::filesystem::path path_;
};

} // namespace

TEST(TextTool, DetectNamesSetLineEndAndCertainty)
{
    TempFile euc("euc.txt", "\xA4\xA2\xA4\xA4\r\n\xA4\xA6\r\n");
    EXPECT_EQ(Tool("detect " + euc.Quoted()).out, "-932\t日本語(EUC)\tCRLF\t8\n");
    TempFile tiny("short.txt", "ab");
    EXPECT_EQ(Tool("detect " + tiny.Quoted()).out, "932\t日本語(ShiftJIS)\t-\t0\n");
    EXPECT_NE(Tool("detect /nonexistent/file").status, 0);
}

TEST(TextTool, DecodeWritesTheViewersLines)
{
    TempFile file("jis.txt", "\x1B$B$\"\x1B(B\nx\n");
    const std::string jis = file.Quoted();
    EXPECT_EQ(Tool("decode " + jis).out, "あ\nx\n");
    EXPECT_EQ(Tool("decode --cp932 " + jis + " -933").out, "\x82\xA0\r\nx\r\n");
    // Read as UTF-8 the same bytes keep their 7-bit characters only.
    EXPECT_EQ(Tool("decode " + jis + " 65001").out, "\x1B$B$\"\x1B(B\nx\n");

    ToolRun unsupported = Tool("decode " + jis + " -7");
    EXPECT_NE(unsupported.status, 0);
    EXPECT_EQ(unsupported.out, "");
    EXPECT_NE(Tool("decode " + jis + " 12345").status, 0);
    EXPECT_NE(Tool("decode " + jis + " x").status, 0);
}
