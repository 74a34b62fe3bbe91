// tovik-arc on scripted archives, run as users run it.
#include "TestSupport.h"

#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>

using namespace testsupport;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
};

// Runs tovik-arc with TOVIK_ARCHIVERS set to folders; standard error joins the output.
ToolRun TovikArc(const std::string &folders, const std::string &args)
{
    std::string command = "TOVIK_ARCHIVERS='" + folders + "' '" TOVIK_TEST_BIN_DIR "/tovik-arc' " + args + " 2>&1";
    ToolRun run;
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
        run.out.append(buf, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace

TEST(TovikArc, ListsAScriptedArchive)
{
    TempDir dir;
    ScriptEntry a;
    a.name = tovik::platform::Utf8ToCp932("資料/報告 書.txt");
    a.original = 3000000000ull;
    a.compressed = 1500000000ull;
    a.ratio = 500;
    a.date = DosDate(2022, 12, 31);
    a.time = DosTime(23, 59, 0);
    a.attr = 0x20;
    a.crc = 0x1234ABCD;
    ScriptEntry d;
    d.name = "資料/";
    d.name = tovik::platform::Utf8ToCp932(d.name);
    d.attr = 0x10;
    std::string path = dir.WriteScript("my archive.zip", {a, d});
    ToolRun run = TovikArc(LibDir("complete"), "list '" + path + "'");
    ASSERT_EQ(run.status, 0) << run.out;
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[0], "# UNZIP32.DLL\t1.57\t" + LibDir("complete"));
    EXPECT_EQ(lines[1], "資料/報告 書.txt\t3000000000\t1500000000\t50.0%\t2022/12/31\t23:59\tA--W\t1234ABCD");
    EXPECT_EQ(lines[2], "資料/\t0\t0\t0.0%\t1899/12/30\t00:00\t----\t00");
}

TEST(TovikArc, FailuresExitNonZeroWithAMessage)
{
    TempDir dir;
    std::string text = dir.WriteFile("notes.txt", "hello");
    ToolRun run = TovikArc(LibDir("complete"), "list '" + text + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("この形式には対応していません"), std::string::npos) << run.out;

    std::string broken = dir.WriteFile("broken.zip", "not a scripted archive");
    run = TovikArc(LibDir("complete"), "list '" + broken + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("書庫を開けません"), std::string::npos) << run.out;

    run = TovikArc(LibDir("complete"), "list '" + dir.path() + "/missing.zip'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("ファイルが見つかりません"), std::string::npos) << run.out;

    run = TovikArc(LibDir("complete"), "list");
    EXPECT_EQ(run.status, 2);
    run = TovikArc(LibDir("complete"), "frobnicate");
    EXPECT_EQ(run.status, 2);
}

TEST(TovikArc, LibsListsNineteenRows)
{
    ToolRun run = TovikArc(LibDir("complete"), "libs");
    ASSERT_EQ(run.status, 0) << run.out;
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[0], "DLL名称\t対応形式\tインストールフォルダ\tバージョン");
    EXPECT_EQ(lines[1], "UNACEV2J.DLL\tACE 形式書庫\t未インストール\t");
    EXPECT_EQ(lines[3], "UNZIP32.DLL\tZIP 形式書庫\t" + LibDir("complete") + "\t1.57");
    EXPECT_EQ(lines[10], "UNARJ32J.DLL\tARJ  形式書庫\t" + LibDir("complete") + "\t1.57");
    EXPECT_EQ(lines[19].substr(0, 11), "ZIP32J.DLL\t");
}

TEST(TovikArc, TreeShowsWhatTheViewerShows)
{
    TempDir dir;
    std::vector<ScriptEntry> entries(4);
    entries[0].name = "a/b/c.txt";
    entries[0].original = 1234567;
    entries[0].ratio = 453;
    entries[0].attr = 0x22;
    entries[1].name = "dir/";
    entries[2].name = "/abs/dropped.txt";
    entries[3].name = "top.txt";
    std::string path = dir.WriteScript("t.zip", entries);
    ToolRun run = TovikArc(LibDir("complete"), "tree '" + path + "'");
    ASSERT_EQ(run.status, 0) << run.out;
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 7u) << run.out;
    EXPECT_EQ(lines[1], "# 4 entries");
    EXPECT_EQ(lines[2], "F\ttop.txt\t         0\t         0\t  0.0%\t1899/12/30\t00:00\t----\t00\t");
    EXPECT_EQ(lines[3], "D\ta");
    EXPECT_EQ(lines[4], "D\ta/b");
    EXPECT_EQ(lines[5], "F\ta/b/c.txt\t 1,234,567\t         0\t 45.3%\t1899/12/30\t00:00\t---W\t00\t");
    EXPECT_EQ(lines[6], "D\tdir");   // a directory record shows its (empty) folder
}
