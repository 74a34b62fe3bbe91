// Extraction into a folder through the libraries of the build: every family byte for byte
// against bsdtar's (or the format tool's) own extraction, selections, the overwrite answers,
// cancelling, and hostile names and links that must never reach outside the folder.
#include "Source/ArcExtractJob.h"
#include "archive/LxArcImpl.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string &s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

int Shell(const std::string &line, std::string *output = nullptr)
{
    FILE *p = popen((line + " 2>&1").c_str(), "r");
    if (!p)
        return -1;
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    int rc = pclose(p);
    if (output)
        *output = out;
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

bool Have(const char *tool) { return Shell(std::string("command -v ") + tool + " >/dev/null") == 0; }

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

// Everything below root, without following links: relative path -> contents, "/" ending
// a folder, "@" + target for a link.
std::map<std::string, std::string> Tree(const fs::path &root)
{
    std::map<std::string, std::string> out;
    if (!fs::exists(fs::symlink_status(root)))
        return out;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        std::string rel = fs::relative(it->path(), root).string();
        if (it->is_symlink())
            out[rel] = "@" + fs::read_symlink(it->path()).string();
        else if (it->is_directory())
            out[rel + "/"] = "";
        else
            out[rel] = ReadFile(it->path());
    }
    return out;
}

// Only the files of a tree (archivers differ in which folders they store).
std::map<std::string, std::string> Files(const std::map<std::string, std::string> &tree)
{
    std::map<std::string, std::string> out;
    for (const auto &[k, v] : tree)
        if (k.back() != '/')
            out[k] = v;
    return out;
}

class ExtractJobTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TOVIK_ARCHIVERS", TOVIK_ARCHIVER_BUILD_DIR, 1);
        root_ = fs::temp_directory_path() / ("tovik-extract-" + std::to_string(getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
        std::string big(700'000, '\0');
        uint32_t x = 7;
        for (char &c : big) {
            x = x * 1103515245 + 12345;
            c = static_cast<char>(x >> 24);
        }
        src_ = root_ / "src";
        WriteFile(src_ / "readme.txt", "hello\r\n");
        WriteFile(src_ / "docs/guide.txt", "guide\n");
        WriteFile(src_ / "docs/sub/deep.txt", "deep\n");
        WriteFile(src_ / "docs/empty.txt", "");
        WriteFile(src_ / "表ソ/名前.txt", "sjis\n");
        WriteFile(src_ / "big.bin", big);
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string Tool() const { return std::string(TOVIK_TEST_BIN_DIR) + "/tovik-arc"; }

    // tovik-arc extract ARGS; answers the exit status.
    int Extract(const std::string &args, std::string *out = nullptr)
    {
        return Shell(Quote(Tool()) + " extract " + args, out);
    }

    TExtractResult Job(const fs::path &archive, const fs::path &dest, std::vector<std::string> entries,
                       TOverwritePolicy policy = TOverwritePolicy::Ask, TExtractListener *listener = nullptr,
                       TExtractProgress *progress = nullptr)
    {
        TLxArcImpl impl;
        impl.Registry().ProbeForFile(archive.string());
        impl.SetFileName(archive.string());
        EXPECT_NE(impl.Registry().CurrentItem(), nullptr) << archive;
        TExtractRequest request;
        request.DestFolder = dest.string();
        request.Entries = std::move(entries);
        return RunExtractJob(impl, request, policy, listener, progress);
    }

    // Runs a Python script in root_ (archives whose fields lie are made by hand).
    void Python(const std::string &script)
    {
        WriteFile(root_ / "make.py", script);
        std::string out;
        ASSERT_EQ(Shell("cd " + Quote(root_.string()) + " && python3 make.py", &out), 0) << out;
    }

    fs::path root_, src_;
};

class ScriptedListener : public TExtractListener {
public:
    explicit ScriptedListener(std::vector<TOverwriteAnswer> answers) : answers_(std::move(answers)) {}
    TOverwriteAnswer AskOverwrite(const std::string &name) override
    {
        asked.push_back(name);
        if (next_ < answers_.size())
            return answers_[next_++];
        return TOverwriteAnswer::Abort;
    }
    std::vector<std::string> asked;

private:
    std::vector<TOverwriteAnswer> answers_;
    std::size_t next_ = 0;
};

TEST_F(ExtractJobTest, EveryFamilyExtractsWholeAndSelectedLikeItsOwnTool)
{
    struct Family {
        const char *file;
        const char *tool;
        std::string make;      // run in src_
        std::string reference; // extracts $A into $D
    };
    const std::string bsdtarX = "bsdtar -xf \"$A\" -C \"$D\"";
    std::vector<Family> families = {
        {"a.zip", "zip", "zip -q -r -X \"$A\" .", bsdtarX},
        {"b.zip", "bsdtar", "bsdtar --format zip -cf \"$A\" .", bsdtarX},
        {"c.7z", "7zz", "7zz a -bd \"$A\" . >/dev/null", bsdtarX},
        {"d.tar.gz", "bsdtar", "bsdtar -czf \"$A\" .", bsdtarX},
        {"e.tar.bz2", "bsdtar", "bsdtar -cjf \"$A\" .", bsdtarX},
        {"f.lzh", "lha", "lha aq \"$A\" readme.txt docs 表ソ big.bin", bsdtarX},
        {"g.cab", "gcab", "gcab -c -z \"$A\" readme.txt docs/guide.txt docs/sub/deep.txt docs/empty.txt big.bin", bsdtarX},
        {"i.tar", "bsdtar", "bsdtar -cf \"$A\" .", bsdtarX},
        {"j.cpio", "bsdtar", "find . -print | bsdtar --format newc -cf \"$A\" -T -", bsdtarX},
        {"h.arj", "arj", "arj a -y -r \"$A\" readme.txt docs big.bin >/dev/null", "cd \"$D\" && arj x -y \"$A\" >/dev/null"},
    };
    for (const Family &f : families) {
        SCOPED_TRACE(f.file);
        if (!Have(f.tool)) {
            ADD_FAILURE() << f.tool << " is not installed (scripts/install-deps.sh installs it)";
            continue;
        }
        const fs::path archive = root_ / f.file;
        const std::string env = "A=" + Quote(archive.string()) + " ";
        ASSERT_EQ(Shell("cd " + Quote(src_.string()) + " && " + env + "sh -c " + Quote(f.make)), 0);
        const fs::path ref = root_ / (std::string("ref-") + f.file), all = root_ / (std::string("all-") + f.file);
        fs::create_directories(ref);
        ASSERT_EQ(Shell(env + "D=" + Quote(ref.string()) + " sh -c " + Quote(f.reference)), 0);
        std::string out;
        ASSERT_EQ(Extract("-a " + Quote(archive.string()) + " " + Quote(all.string()), &out), 0) << out;
        const auto expected = Files(Tree(ref));
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(Files(Tree(all)), expected);

        // A folder and a file picked out: those alone, below their archive folders. The
        // folder is named with and without its "/".
        const fs::path some = root_ / (std::string("some-") + f.file);
        ASSERT_EQ(Extract(Quote(archive.string()) + " docs/ big.bin " + Quote(some.string()), &out), 0) << out;
        const fs::path plain = root_ / (std::string("plain-") + f.file);
        ASSERT_EQ(Extract(Quote(archive.string()) + " docs " + Quote(plain.string()), &out), 0) << out;
        std::map<std::string, std::string> want;
        for (const auto &[k, v] : expected)
            if (k.rfind("docs/", 0) == 0 || k == "big.bin")
                want[k] = v;
        EXPECT_EQ(Files(Tree(some)), want);
        want.erase("big.bin");
        EXPECT_EQ(Files(Tree(plain)), want);
    }
}

TEST_F(ExtractJobTest, ToolReportsMissingEntriesExistingFilesAndHonoursItsSwitches)
{
    const fs::path archive = root_ / "a.zip";
    ASSERT_EQ(Shell("cd " + Quote(src_.string()) + " && zip -q -r -X " + Quote(archive.string()) + " ."), 0);
    const fs::path dest = root_ / "out";
    const std::string a = Quote(archive.string()), d = Quote(dest.string());
    std::string out;
    // A name that is not there fails the run, but what is there is written.
    EXPECT_EQ(Extract(a + " readme.txt nothing.txt " + d, &out), 1);
    EXPECT_NE(out.find("nothing.txt: "), std::string::npos) << out;
    EXPECT_EQ(ReadFile(dest / "readme.txt"), "hello\r\n");
    // Japanese names in UTF-8 on the command line.
    EXPECT_EQ(Extract(a + " 表ソ/名前.txt " + d, &out), 0) << out;
    EXPECT_EQ(ReadFile(dest / "表ソ/名前.txt"), "sjis\n");

    WriteFile(dest / "readme.txt", "mine");
    EXPECT_EQ(Extract(a + " readme.txt " + d, &out), 1);
    EXPECT_NE(out.find("--overwrite"), std::string::npos) << out;
    EXPECT_EQ(ReadFile(dest / "readme.txt"), "mine");
    EXPECT_EQ(Extract("--skip " + a + " readme.txt " + d, &out), 0) << out;
    EXPECT_EQ(ReadFile(dest / "readme.txt"), "mine");
    EXPECT_EQ(Extract("--overwrite " + a + " readme.txt " + d, &out), 0) << out;
    EXPECT_EQ(ReadFile(dest / "readme.txt"), "hello\r\n");

    EXPECT_EQ(Extract("--skip --overwrite " + a + " readme.txt " + d), 2);
    EXPECT_EQ(Extract("-a " + a + " readme.txt " + d), 2);
    EXPECT_EQ(Extract(a + " " + d), 2);
    EXPECT_EQ(Extract("-a " + Quote((root_ / "missing.zip").string()) + " " + d), 1);
}

TEST_F(ExtractJobTest, EveryOverwriteAnswerDoesWhatItSays)
{
    const fs::path archive = root_ / "a.zip";
    ASSERT_EQ(Shell("cd " + Quote(src_.string()) + " && zip -q -r -X " + Quote(archive.string()) + " docs readme.txt"), 0);
    auto prepare = [&](const fs::path &dest) {
        fs::remove_all(dest);
        WriteFile(dest / "docs/guide.txt", "old guide");
        WriteFile(dest / "docs/sub/deep.txt", "old deep");
        WriteFile(dest / "readme.txt", "old readme");
    };
    const fs::path dest = root_ / "out";
    using A = TOverwriteAnswer;
    {
        // One each: overwrite, skip, then overwrite again.
        prepare(dest);
        ScriptedListener l({A::Overwrite, A::Skip, A::Overwrite});
        TExtractResult r = Job(archive, dest, {}, TOverwritePolicy::Ask, &l);
        EXPECT_TRUE(r.Succeeded());
        ASSERT_EQ(l.asked.size(), 3u);
        EXPECT_EQ(ReadFile(dest / l.asked[0]), ReadFile(src_ / l.asked[0]));
        EXPECT_NE(ReadFile(dest / l.asked[1]).rfind("old", 0), std::string::npos);
        EXPECT_EQ(ReadFile(dest / l.asked[2]), ReadFile(src_ / l.asked[2]));
        EXPECT_EQ(r.Skipped, 1);
        EXPECT_EQ(ReadFile(dest / "docs/empty.txt"), "");   // not there before: never asked
    }
    {
        prepare(dest);
        ScriptedListener l({A::OverwriteAll});
        TExtractResult r = Job(archive, dest, {}, TOverwritePolicy::Ask, &l);
        EXPECT_TRUE(r.Succeeded());
        EXPECT_EQ(l.asked.size(), 1u);
        EXPECT_EQ(ReadFile(dest / "readme.txt"), "hello\r\n");
        EXPECT_EQ(ReadFile(dest / "docs/sub/deep.txt"), "deep\n");
    }
    {
        prepare(dest);
        ScriptedListener l({A::SkipAll});
        TExtractResult r = Job(archive, dest, {}, TOverwritePolicy::Ask, &l);
        EXPECT_TRUE(r.Succeeded());
        EXPECT_EQ(l.asked.size(), 1u);
        EXPECT_EQ(r.Skipped, 3);
        EXPECT_EQ(ReadFile(dest / "readme.txt"), "old readme");
        EXPECT_EQ(ReadFile(dest / "docs/sub/deep.txt"), "old deep");
    }
    {
        // Abort: the run stops at the question; nothing after it is written, no temporary
        // file remains.
        prepare(dest);
        ScriptedListener l({A::Abort});
        TExtractResult r = Job(archive, dest, {}, TOverwritePolicy::Ask, &l);
        EXPECT_TRUE(r.Aborted);
        EXPECT_FALSE(r.Succeeded());
        EXPECT_EQ(l.asked.size(), 1u);
        for (const auto &[k, v] : Tree(dest)) {
            EXPECT_EQ(k.find(".part"), std::string::npos) << k;
            if (k.back() != '/' && k != "docs/empty.txt") {
                EXPECT_EQ(v.rfind("old", 0), 0u) << k;
            }
        }
    }
}

TEST_F(ExtractJobTest, CancelInTheMiddleLeavesOnlyWholeFiles)
{
    // Many entries of some size, so that the cancel lands inside the run.
    const fs::path many = root_ / "many";
    std::string chunk(300'000, 'x');
    for (int i = 0; i < 40; ++i) {
        chunk[i] = 'a' + (i % 26);
        WriteFile(many / ("f" + std::to_string(i) + ".bin"), chunk);
    }
    const fs::path archive = root_ / "many.zip";
    ASSERT_EQ(Shell("cd " + Quote(many.string()) + " && zip -q -r -X -0 " + Quote(archive.string()) + " ."), 0);
    const fs::path dest = root_ / "out";
    TExtractProgress progress;
    std::atomic<bool> stop{false};
    std::thread watcher([&] {
        while (!stop && progress.EntriesDone.load() < 5)
            std::this_thread::yield();
        progress.CancelRequested = true;
    });
    TExtractResult r = Job(archive, dest, {}, TOverwritePolicy::Ask, nullptr, &progress);
    stop = true;
    watcher.join();
    EXPECT_TRUE(r.Cancelled);
    EXPECT_FALSE(r.Succeeded());
    const auto files = Files(Tree(dest));
    EXPECT_GE(files.size(), 5u);
    EXPECT_LT(files.size(), 40u);
    for (const auto &[k, v] : files)
        EXPECT_EQ(v, ReadFile(many / k)) << k;   // no partial file, no temporary one
    EXPECT_EQ(static_cast<int64_t>(files.size()), r.Written);

    // A cancel while the archive is still being read (a copy not listed before) writes
    // nothing at all.
    const fs::path copy = root_ / "copy.zip";
    fs::copy_file(archive, copy);
    TExtractProgress early;
    early.CancelRequested = true;
    const fs::path none = root_ / "none";
    TExtractResult e = Job(copy, none, {}, TOverwritePolicy::Ask, nullptr, &early);
    EXPECT_TRUE(e.Cancelled);
    EXPECT_EQ(e.Written, 0);
    EXPECT_TRUE(Files(Tree(none)).empty());
}

TEST_F(ExtractJobTest, HostileNamesAndLinksWriteNothingOutsideTheFolder)
{
    const fs::path work = root_ / "hostile";
    WriteFile(work / "escape.txt", "escaped");
    WriteFile(work / "abs.txt", "absolute");
    WriteFile(work / "inner.txt", "through link");
    fs::create_directories(work / "in");
    const fs::path victim = root_ / "victim";
    fs::create_directories(victim);
    fs::create_symlink(victim, work / "in" / "link");
    const std::string cd = "cd " + Quote(work.string()) + " && ";
    // "../escape.txt", "/abs.txt", a link to outside, then a file stored below that link.
    const fs::path tarPath = root_ / "hostile.tar", zipPath = root_ / "hostile.zip";
    for (const auto &[path, format] : {std::pair{tarPath, std::string("")}, std::pair{zipPath, std::string("--format zip")}}) {
        ASSERT_EQ(Shell(cd + "bsdtar -cf " + Quote(path.string()) + " " + format +
                      " -P -s ',^escape,../escape,' -s ',^abs,/abs,' -s ',^inner,in/link/inner,' escape.txt abs.txt in/link inner.txt"),
                  0);
    }
    for (const fs::path &archive : {tarPath, zipPath}) {
        SCOPED_TRACE(archive.filename().string());
        const fs::path dest = root_ / ("out-" + archive.filename().string());
        fs::remove_all(dest);
        fs::create_directories(dest);
        // A link planted in the destination where a file will go is replaced, not written
        // through.
        fs::create_symlink(victim / "planted", dest / "abs.txt");
        TExtractResult r = Job(archive, dest, {}, TOverwritePolicy::Overwrite);
        EXPECT_FALSE(r.Succeeded());   // the escaping name and the link are reported
        EXPECT_FALSE(r.Failures.empty());
        EXPECT_TRUE(fs::is_empty(victim));
        EXPECT_FALSE(fs::exists(root_ / "escape.txt"));
        EXPECT_FALSE(fs::exists("/abs.txt") && ReadFile("/abs.txt") == "absolute");
        EXPECT_FALSE(fs::is_symlink(dest / "abs.txt"));
        EXPECT_EQ(ReadFile(dest / "abs.txt"), "absolute");   // the leading "/" is dropped
        EXPECT_FALSE(fs::is_symlink(dest / "in" / "link"));  // links are never made
        if (fs::exists(dest / "in" / "link" / "inner.txt")) {
            EXPECT_TRUE(fs::is_directory(fs::symlink_status(dest / "in" / "link")));
        }
    }
    // A link in the destination where the archive has a folder: the folder's files are not
    // written through it.
    const fs::path dest = root_ / "out-folderlink";
    fs::create_directories(dest);
    fs::create_symlink(victim, dest / "docs");
    const fs::path archive = root_ / "docs.zip";
    ASSERT_EQ(Shell("cd " + Quote(src_.string()) + " && zip -q -r -X " + Quote(archive.string()) + " docs readme.txt"), 0);
    TExtractResult r = Job(archive, dest, {}, TOverwritePolicy::Overwrite);
    EXPECT_FALSE(r.Succeeded());
    EXPECT_TRUE(fs::is_empty(victim));
    EXPECT_EQ(ReadFile(dest / "readme.txt"), "hello\r\n");
    // The tool answers the same with a non-zero status.
    std::string out;
    EXPECT_EQ(Extract("-a --overwrite " + Quote(tarPath.string()) + " " + Quote((root_ / "out-tool").string()), &out), 1);
    EXPECT_TRUE(fs::is_empty(victim));
    EXPECT_FALSE(fs::exists(root_ / "escape.txt"));
}

TEST_F(ExtractJobTest, SparseEntriesKeepTheirHolesAndLyingSizesLeaveNothing)
{
    // A terabyte file with three short runs of data, archived by GNU tar as sparse: the file
    // comes out with its holes, in the time of its data.
    Python("f = open('src.bin', 'wb')\n"
           "for at, data in [(0, b'head'), (300 << 30, b'middle'), ((1 << 40) - 4, b'tail')]:\n"
           "    f.seek(at); f.write(data)\n"
           "f.close()\n");
    std::string out;
    ASSERT_EQ(Shell("cd " + Quote(root_.string()) + " && tar --sparse -cf sparse.tar src.bin", &out), 0) << out;
    fs::remove(root_ / "src.bin");
    const auto start = std::chrono::steady_clock::now();
    TExtractResult r = Job(root_ / "sparse.tar", root_ / "dest", {});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_TRUE(r.Succeeded()) << (r.Failures.empty() ? "" : r.Failures[0].Reason);
    const fs::path file = root_ / "dest" / "src.bin";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), 1ull << 40);
    struct stat st{};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_LT(st.st_blocks, 1000) << "holes were written as zeros";
    std::ifstream in(file, std::ios::binary);
    char buf[6];
    in.read(buf, 4);
    EXPECT_EQ(std::string(buf, 4), "head");
    in.seekg(300ll << 30);
    in.read(buf, 6);
    EXPECT_EQ(std::string(buf, 6), "middle");
    in.seekg((1ll << 40) - 4);
    in.read(buf, 4);
    EXPECT_EQ(std::string(buf, 4), "tail");
    in.close();
    fs::remove(file);

    // Archives whose headers lie: 64 TiB of sparse file (more than the file system takes),
    // 2^50 bytes declared of which one block is there, and 200 MB of data behind a header
    // that says 10 bytes. Each fails with its reason and leaves nothing behind, and the next
    // entry still comes out.
    Python("import io, struct, tarfile, zipfile\n"
           "t = tarfile.open('huge-sparse.tar', 'w', format=tarfile.PAX_FORMAT)\n"
           "size = 64 << 40\n"
           "i = tarfile.TarInfo('GNUSparseFile.0/huge.bin')\n"
           "i.pax_headers = {'GNU.sparse.major': '1', 'GNU.sparse.minor': '0', 'GNU.sparse.name': 'huge.bin',\n"
           "                 'GNU.sparse.realsize': str(size)}\n"
           "block = ('1\\n%d\\n4\\n' % (size - 4)).encode().ljust(512, b'\\0') + b'tail'\n"
           "i.size = len(block); t.addfile(i, io.BytesIO(block))\n"
           "i = tarfile.TarInfo('after.txt'); i.size = 5; t.addfile(i, io.BytesIO(b'after')); t.close()\n"
           "t = tarfile.open('huge.tar', 'w', format=tarfile.PAX_FORMAT)\n"
           "i = tarfile.TarInfo('huge.bin'); i.size = 0; i.pax_headers = {'size': str(2**50)}\n"
           "t.addfile(i); t.fileobj.write(bytes(512)); t.close()\n"
           "with zipfile.ZipFile('ten.zip', 'w', zipfile.ZIP_DEFLATED) as z:\n"
           "    z.writestr('a.txt', bytes(200 * 1000 * 1000)); z.writestr('after.txt', b'after')\n"
           "b = bytearray(open('ten.zip', 'rb').read())\n"
           "local = b.find(b'PK\\x03\\x04'); central = b.find(b'PK\\x01\\x02')\n"
           "struct.pack_into('<I', b, local + 22, 10); struct.pack_into('<I', b, central + 24, 10)\n"
           "open('ten.zip', 'wb').write(b)\n");
    struct Case {
        const char *archive;
        const char *entry;
        const char *reason;
        bool after;
    };
    for (const Case &c : {Case{"huge-sparse.tar", "huge.bin", nullptr, true},
                          Case{"huge.tar", "huge.bin", "展開先の空き容量が足りません", false},
                          Case{"ten.zip", "a.txt", "書庫が壊れています", true}}) {
        SCOPED_TRACE(c.archive);
        const fs::path dest = root_ / (std::string("out-") + c.archive);
        const auto began = std::chrono::steady_clock::now();
        TExtractResult lied = Job(root_ / c.archive, dest, {});
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(20));
        EXPECT_FALSE(lied.Succeeded());
        ASSERT_EQ(lied.Failures.size(), 1u);
        EXPECT_EQ(lied.Failures[0].Name, c.entry);
        if (c.reason) {
            EXPECT_EQ(lied.Failures[0].Reason, c.reason);
        }
        std::map<std::string, std::string> left = Files(Tree(dest));
        if (c.after) {
            EXPECT_EQ(left["after.txt"], "after");
            left.erase("after.txt");
        }
        EXPECT_TRUE(left.empty()) << left.begin()->first;
    }
}

TEST_F(ExtractJobTest, HardLinksAndTheirSourcesComeOutWhole)
{
    // cpio carries a hard link's data with the last link; tar with the first.
    Python("import os\n"
           "os.makedirs('links')\n"
           "open('links/first.txt', 'w').write('twenty bytes of text')\n"
           "os.link('links/first.txt', 'links/second.txt')\n"
           "open('links/other.txt', 'w').write('other')\n");
    for (const auto &[format, file] : {std::pair{"newc", "links.cpio"}, std::pair{"pax", "links.tar"}}) {
        SCOPED_TRACE(format);
        const fs::path archive = root_ / file;
        ASSERT_EQ(Shell("cd " + Quote((root_ / "links").string()) + " && bsdtar --format " + format + " -cf " +
                        Quote(archive.string()) + " first.txt second.txt other.txt"),
                  0);
        const fs::path dest = root_ / (std::string("out-") + format);
        TExtractResult r = Job(archive, dest, {});
        EXPECT_TRUE(r.Succeeded());
        EXPECT_EQ(ReadFile(dest / "first.txt"), "twenty bytes of text");
        EXPECT_EQ(ReadFile(dest / "second.txt"), "twenty bytes of text");
        EXPECT_EQ(ReadFile(dest / "other.txt"), "other");
        const fs::path one = root_ / (std::string("one-") + format);
        EXPECT_TRUE(Job(archive, one, {"second.txt"}).Succeeded());
        EXPECT_EQ(Files(Tree(one)), (std::map<std::string, std::string>{{"second.txt", "twenty bytes of text"}}));
    }
}

TEST(ExtractPathParts, SplitsAtSeparatorsThatStandAloneAndRefusesClimbing)
{
    std::vector<std::string> parts;
    std::string reason;
    // 0x835C is "ソ": its second byte is "\" and separates nothing.
    ASSERT_TRUE(ExtractPathParts("a\\\x83\x5C/./b.txt", parts, reason));
    EXPECT_EQ(parts, (std::vector<std::string>{"a", "ソ", "b.txt"}));
    ASSERT_TRUE(ExtractPathParts("//abs/c", parts, reason));
    EXPECT_EQ(parts, (std::vector<std::string>{"abs", "c"}));
    EXPECT_FALSE(ExtractPathParts("a/../../b", parts, reason));
    EXPECT_FALSE(ExtractPathParts("..\\b", parts, reason));
    EXPECT_FALSE(ExtractPathParts(std::string(300, 'n'), parts, reason));
    EXPECT_FALSE(reason.empty());
    // Control characters cannot make a second line of a name.
    ASSERT_TRUE(ExtractPathParts("a\nb", parts, reason));
    EXPECT_EQ(parts, (std::vector<std::string>{"a_b"}));
}

} // namespace
