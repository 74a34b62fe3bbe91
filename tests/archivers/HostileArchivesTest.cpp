// Archives made to hurt: names that forge output, sizes that lie, bombs, links and streams
// that cost more than they hold. Every case is made here at test time, the big ones sparse.
#include "ArchiverLibrary.h"

#include "platform/Cp932.h"

#include <cstring>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
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

struct Libs {
    ArchiverLibrary zip{"unzip32.so", "UnZip"}, tar{"tar32.so", "Tar"};
};

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

    // Lines of tovik-arc list, without the header line.
    std::vector<std::string> ListRows(const std::string &archive)
    {
        std::string out;
        EXPECT_EQ(Tool("list " + ShellQuote(path(archive)), &out, false), 0) << archive;
        std::vector<std::string> rows;
        std::size_t start = out.find('\n');
        while (start != std::string::npos && start + 1 < out.size()) {
            std::size_t end = out.find('\n', start + 1);
            rows.push_back(out.substr(start + 1, end - start - 1));
            start = end;
        }
        return rows;
    }

    static std::vector<std::string> Fields(const std::string &row)
    {
        std::vector<std::string> f;
        std::size_t start = 0;
        for (std::size_t tab; (tab = row.find('\t', start)) != std::string::npos; start = tab + 1)
            f.push_back(row.substr(start, tab - start));
        f.push_back(row.substr(start));
        return f;
    }

    fs::path root_;
    Libs libs_;
};

// A ZIP of one entry made by Python, then patched: sizes and CRC in both headers.
const char *const kPatchZip = R"(
import struct, sys, zipfile, zlib
def patch(name, data, method, crc=None, size=None):
    with zipfile.ZipFile(name, 'w', method) as z:
        z.writestr('a.txt', data)
    b = bytearray(open(name, 'rb').read())
    local = b.find(b'PK\x03\x04'); central = b.find(b'PK\x01\x02')
    if crc is not None:
        struct.pack_into('<I', b, local + 14, crc); struct.pack_into('<I', b, central + 16, crc)
    if size is not None:
        struct.pack_into('<I', b, local + 22, size); struct.pack_into('<I', b, central + 24, size)
    open(name, 'wb').write(b)
)";

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

TEST_F(HostileArchivesTest, QuotesInThePathReachTheRightArchive)
{
    // The archive lies in folders whose names hold quotes and blanks; beside the first one
    // lies another archive that a path split at the quotes would name.
    const std::string odd = path("dl/x\" \"") + "/" + "evil/\" \"y";
    Python("import os, zipfile\n"
           "os.makedirs('dl/x\" \"/evil/\" \"y')\n"
           "zipfile.ZipFile('dl/x','w').writestr('a.txt','WRONG')\n"
           "zipfile.ZipFile('dl/x\" \"/evil/\" \"y/arc.zip','w').writestr('a.txt','RIGHT')\n");
    const std::string archive = odd + "/arc.zip";
    std::string out;
    ASSERT_EQ(Tool("cat " + ShellQuote(archive) + " a.txt", &out), 0) << out;
    EXPECT_EQ(out, "RIGHT");
    const std::string dest = path("out \"q\" dir");
    ASSERT_EQ(Tool("extract " + ShellQuote(archive) + " a.txt " + ShellQuote(dest), &out), 0) << out;
    EXPECT_EQ(ReadFile(fs::path(dest) / "a.txt"), "RIGHT");
    EXPECT_FALSE(fs::exists(root_ / "evil"));
}

TEST_F(HostileArchivesTest, DeclaredSizesDriveNoAllocation)
{
    // Entries that claim 2 GiB and nearly 4 GiB and hold five bytes, in an LZH (level 0) and
    // a ZIP, read by cat in a process allowed 1 GB of address space.
    Python("import struct\n"
           "def lzh(name, original):\n"
           "    data = b'hello'\n"
           "    h = b'-lh0-' + struct.pack('<III', 5, original, 0x5A8F6000) + bytes([0x20, 0, 5]) + b'a.txt'\n"
           "    crc = 0\n"
           "    for c in data:\n"
           "        crc ^= c\n"
           "        for _ in range(8): crc = (crc >> 1) ^ (0xA001 if crc & 1 else 0)\n"
           "    h += struct.pack('<H', crc)\n"
           "    open(name, 'wb').write(bytes([len(h), sum(h) & 0xFF]) + h + data + b'\\0')\n"
           "lzh('claim2g.lzh', 0x80000000)\n"
           "lzh('claim4g.lzh', 0xFFFFFFF0)\n" +
           std::string(kPatchZip) + "patch('claim2g.zip', b'hello', zipfile.ZIP_STORED, size=0x80000000)\n");
    for (const char *archive : {"claim2g.lzh", "claim4g.lzh", "claim2g.zip"}) {
        std::string out;
        const int rc = RunTool("ulimit -v 1000000; TOVIK_ARCHIVERS=" + ShellQuote(TOVIK_ARCHIVER_BUILD_DIR) + " " +
                                   ShellQuote(std::string(TOVIK_TEST_BIN_DIR) + "/tovik-arc") + " cat " +
                                   ShellQuote(path(archive)) + " a.txt 2>&1",
                               &out);
        // A failure with a message, or the bytes there are; never a crash.
        EXPECT_TRUE(rc == 0 || rc == 1) << archive << ": " << rc << " " << out;
        EXPECT_LE(out.size(), 4096u) << archive;
        EXPECT_EQ(out.find("bad_alloc"), std::string::npos) << out;
    }
}

TEST_F(HostileArchivesTest, DataBeyondTheDeclaredSizeIsDamage)
{
    // 200 MB of zeros behind a header that says 10 bytes, and one that says 0.
    Python(std::string(kPatchZip) + "big = bytes(200 * 1000 * 1000)\n"
                                    "patch('ten.zip', big, zipfile.ZIP_DEFLATED, size=10)\n"
                                    "patch('zero.zip', big, zipfile.ZIP_DEFLATED, size=0)\n");
    for (const char *archive : {"ten.zip", "zero.zip"}) {
        SCOPED_TRACE(archive);
        std::string out;
        EXPECT_EQ(Tool("cat " + ShellQuote(path(archive)) + " a.txt", &out, false), 1);
        EXPECT_TRUE(out.empty()) << out.size() << " bytes";
        std::string bytes;
        EXPECT_LT(libs_.zip.extractMem(path(archive), "a.txt", 100, bytes), 0);
        std::string message;
        EXPECT_NE(libs_.zip.extract(path(archive), path("dest"), "a.txt", message), 0);
        EXPECT_EQ(message, "書庫が壊れています");
        EXPECT_FALSE(fs::exists(root_ / "dest" / "a.txt"));
        if (fs::exists(root_ / "dest"))
            EXPECT_TRUE(fs::is_empty(root_ / "dest"));
    }
}

TEST_F(HostileArchivesTest, StoredEntryWithAWrongCrcFailsEvenIntoAnExactBuffer)
{
    Python(std::string(kPatchZip) + "patch('crc.zip', b'hello world', zipfile.ZIP_STORED, crc=0x12345678)\n");
    std::string bytes;
    EXPECT_LT(libs_.zip.extractMem(path("crc.zip"), "a.txt", 11, bytes), 0);
    EXPECT_LT(libs_.zip.extractMem(path("crc.zip"), "a.txt", 100, bytes), 0);
    EXPECT_EQ(bytes, "書庫が壊れています");
    std::string out;
    EXPECT_EQ(Tool("cat " + ShellQuote(path("crc.zip")) + " a.txt", &out), 1);
    EXPECT_NE(out.find("書庫が壊れています"), std::string::npos) << out;
}

TEST_F(HostileArchivesTest, ExtractionBeyondTheFreeSpaceIsRefused)
{
    // A tar entry of 2^50 bytes, declared in a pax header; only its first block is there.
    // The size as a pax record: 2^50 does not fit the ustar field.
    Python("import io, tarfile\n"
           "t = tarfile.open('huge.tar', 'w', format=tarfile.PAX_FORMAT)\n"
           "i = tarfile.TarInfo('huge.bin'); i.size = 0; i.pax_headers = {'size': str(2**50)}\n"
           "t.addfile(i); t.fileobj.write(bytes(512)); t.close()\n");
    std::string message;
    EXPECT_NE(libs_.tar.extract(path("huge.tar"), path("dest"), "huge.bin", message), 0);
    EXPECT_EQ(message, "展開先の空き容量が足りません");
    EXPECT_TRUE(!fs::exists(root_ / "dest") || fs::is_empty(root_ / "dest"));
}

TEST_F(HostileArchivesTest, SparseEntriesAreHolesInTimeOfTheirData)
{
    // A terabyte file with three short runs of data, archived by GNU tar as sparse.
    Python("f = open('src.bin', 'wb')\n"
           "for at, data in [(0, b'head'), (300 << 30, b'middle'), ((1 << 40) - 4, b'tail')]:\n"
           "    f.seek(at); f.write(data)\n"
           "f.close()\n");
    std::string out;
    ASSERT_EQ(RunTool("cd " + ShellQuote(root_.string()) + " && tar --sparse -cf sparse.tar src.bin 2>&1", &out), 0)
        << out;
    fs::remove(root_ / "src.bin");
    const auto start = std::chrono::steady_clock::now();
    std::string message;
    ASSERT_EQ(libs_.tar.extract(path("sparse.tar"), path("dest"), "src.bin", message), 0) << message;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    const fs::path file = root_ / "dest" / "src.bin";
    EXPECT_EQ(fs::file_size(file), 1ull << 40);
    struct stat st{};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_LT(st.st_blocks, 1000) << "holes were written as zeros";
    std::ifstream in(file, std::ios::binary);
    char buf[6];
    in.seekg(300ll << 30);
    in.read(buf, 6);
    EXPECT_EQ(std::string(buf, 6), "middle");
    in.seekg((1ll << 40) - 4);
    in.read(buf, 4);
    EXPECT_EQ(std::string(buf, 4), "tail");

    // 64 TiB is more than the file system takes: the extraction fails and leaves nothing.
    Python("import io, tarfile\n"
           "t = tarfile.open('huge-sparse.tar', 'w', format=tarfile.PAX_FORMAT)\n"
           "size = 64 << 40\n"
           "i = tarfile.TarInfo('GNUSparseFile.0/huge.bin')\n"
           "i.pax_headers = {'GNU.sparse.major': '1', 'GNU.sparse.minor': '0', 'GNU.sparse.name': 'huge.bin',\n"
           "                 'GNU.sparse.realsize': str(size)}\n"
           "block = ('1\\n%d\\n4\\n' % (size - 4)).encode().ljust(512, b'\\0') + b'tail'\n"
           "i.size = len(block); t.addfile(i, io.BytesIO(block)); t.close()\n");
    const auto again = std::chrono::steady_clock::now();
    EXPECT_NE(libs_.tar.extract(path("huge-sparse.tar"), path("dest2"), "huge.bin", message), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - again, std::chrono::seconds(20));
    EXPECT_TRUE(!fs::exists(root_ / "dest2") || fs::is_empty(root_ / "dest2"));
}

TEST_F(HostileArchivesTest, CompressedStreamsListWithoutDecoding)
{
    // Ten thousand bzip2 streams of a megabyte each: 10 GB behind a small file. A
    // gzip stream whose header names a time.
    Python("import bz2, gzip, os\n"
           "one = bz2.compress(b'ab' * (1 << 19))\n"
           "open('zeros.bin.bz2', 'wb').write(one * 10000)\n"
           "open('t.txt.gz', 'wb').write(gzip.compress(b'hello world\\n', mtime=1600000000))\n"
           "os.utime('zeros.bin.bz2', (1500000000, 1500000000))\n");
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> bz = ListRows("zeros.bin.bz2");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    ASSERT_EQ(bz.size(), 1u);
    std::vector<std::string> f = Fields(bz[0]);
    ASSERT_EQ(f.size(), 8u) << bz[0];
    EXPECT_EQ(f[0], "zeros.bin");
    EXPECT_EQ(f[1], "");   // not known without decoding
    EXPECT_EQ(f[3], "");   // and so no rate
    EXPECT_EQ(f[4], "2017/07/14");   // the file's own time (Asia/Tokyo)
    std::vector<std::string> gz = ListRows("t.txt.gz");
    ASSERT_EQ(gz.size(), 1u);
    f = Fields(gz[0]);
    EXPECT_EQ(f[1], "12");
    EXPECT_EQ(f[4], "2020/09/13");   // the stream's own time
}

TEST_F(HostileArchivesTest, GzipTrailerIsChecked)
{
    Python("import gzip\n"
           "good = bytearray(gzip.compress(b'hello world\\n' * 100))\n"
           "open('good.gz', 'wb').write(good)\n"
           "bad = bytearray(good); bad[-8] ^= 1\n"
           "open('badcrc.gz', 'wb').write(bad)\n"
           "bad = bytearray(good); bad[-4] ^= 1\n"
           "open('badsize.gz', 'wb').write(bad)\n"
           "open('twice.gz', 'wb').write(good + gzip.compress(b'second\\n') + bytes(1024))\n");
    std::string out;
    EXPECT_EQ(Tool("cat " + ShellQuote(path("good.gz")) + " good", &out, false), 0);
    EXPECT_EQ(out.size(), 1200u);
    for (const char *archive : {"badcrc.gz", "badsize.gz"}) {
        out.clear();
        EXPECT_EQ(Tool("cat " + ShellQuote(path(archive)) + " " + std::string(archive, std::strlen(archive) - 3), &out),
                  1)
            << archive;
        EXPECT_NE(out.find("書庫が壊れています"), std::string::npos) << out;
    }
    // Members follow one another; the zeros after the last are padding.
    out.clear();
    EXPECT_EQ(Tool("cat " + ShellQuote(path("twice.gz")) + " twice", &out, false), 0);
    EXPECT_EQ(out.size(), 1207u);
}

TEST_F(HostileArchivesTest, CpioHardLinksKeepTheirData)
{
    Python("import os\n"
           "os.makedirs('src')\n"
           "open('src/first.txt', 'w').write('twenty bytes of text')\n"
           "os.link('src/first.txt', 'src/second.txt')\n");
    std::string out;
    ASSERT_EQ(RunTool("cd " + ShellQuote((root_ / "src").string()) +
                          " && bsdtar -cf ../links.cpio --format newc first.txt second.txt 2>&1",
                      &out),
              0)
        << out;
    auto entries = libs_.tar.list(path("links.cpio"));
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 2u);
    for (const ListedEntry &e : *entries) {
        EXPECT_EQ(e.originalSize, 20) << e.name;
        std::string message;
        ASSERT_EQ(libs_.tar.extract(path("links.cpio"), path("dest"), e.name, message), 0) << message;
        EXPECT_EQ(ReadFile(root_ / "dest" / e.name), "twenty bytes of text") << e.name;
        out.clear();
        EXPECT_EQ(Tool("cat " + ShellQuote(path("links.cpio")) + " " + e.name, &out, false), 0);
        EXPECT_EQ(out, "twenty bytes of text") << e.name;
    }
}

TEST_F(HostileArchivesTest, LinksAndDevicesAreNoFiles)
{
    Python("import tarfile\n"
           "t = tarfile.open('special.tar', 'w')\n"
           "for name, kind in [('link', tarfile.SYMTYPE), ('fifo', tarfile.FIFOTYPE), ('dev', tarfile.CHRTYPE)]:\n"
           "    i = tarfile.TarInfo(name); i.type = kind; i.linkname = 'target' if kind == tarfile.SYMTYPE else ''\n"
           "    t.addfile(i)\n"
           "t.close()\n");
    for (const char *entry : {"link", "fifo", "dev"}) {
        std::string out;
        EXPECT_EQ(Tool("cat " + ShellQuote(path("special.tar")) + " " + entry, &out), 1) << entry;
        EXPECT_NE(out.find("通常のファイルではありません"), std::string::npos) << out;
    }
}

TEST_F(HostileArchivesTest, EntriesEndingInZerosKeepTheirLength)
{
    // The last 4 KiB and more are zeros: written as a hole, the file still has every byte.
    std::string data = "start";
    data += std::string(70000, '\0');
    WriteFile(root_ / "src" / "tail.bin", data);
    WriteFile(root_ / "src" / "zeros.bin", std::string(5000, '\0'));
    std::string out;
    const std::string cd = "cd " + ShellQuote((root_ / "src").string()) + " && ";
    ASSERT_EQ(RunTool(cd + "bsdtar -cf ../z.tar tail.bin zeros.bin && zip -q ../z.zip tail.bin zeros.bin", &out), 0)
        << out;
    for (const char *archive : {"z.tar", "z.zip"}) {
        for (const char *entry : {"tail.bin", "zeros.bin"}) {
            fs::path dest = root_ / (std::string("out-") + archive);
            ASSERT_EQ(Tool("extract " + ShellQuote(path(archive)) + " " + entry + " " + ShellQuote(dest.string()), &out),
                      0)
                << out;
            EXPECT_EQ(fs::file_size(dest / entry), fs::file_size(root_ / "src" / entry)) << archive << " " << entry;
            EXPECT_TRUE(ReadFile(dest / entry) == ReadFile(root_ / "src" / entry)) << archive << " " << entry;
        }
    }
}

// Found by the fuzzer: a cpio header whose name is said to take 2 GiB. libarchive asks for
// that much room to read the name ahead; the listing must end with what came before it, in
// a process that could not have the room if it tried.
TEST_F(HostileArchivesTest, CpioNameOfTwoGigabytesTakesNoRoom)
{
    Python("def h(name, data, namesize=None):\n"
           "    f = [0x569ebe, 0x81a4, 1000, 1000, 1, 0x4b1de474, len(data), 0, 0, 0, 0,\n"
           "         len(name) + 1 if namesize is None else namesize, 0]\n"
           "    b = b'070701' + b''.join(b'%08x' % v for v in f) + name + b'\\0'\n"
           "    b += b'\\0' * (-len(b) % 4)\n"
           "    return b + data + b'\\0' * (-len(data) % 4)\n"
           "open('name.cpio', 'wb').write(h(b'foo', b'abcd') + h(b'bar', b'efgh', 0x8000003e) + bytes(64))\n");
    std::string out;
    ASSERT_EQ(RunTool("ulimit -v 1000000 && TOVIK_ARCHIVERS=" + ShellQuote(TOVIK_ARCHIVER_BUILD_DIR) + " " +
                          ShellQuote(std::string(TOVIK_TEST_BIN_DIR) + "/tovik-arc") + " list " +
                          ShellQuote(path("name.cpio")) + " 2>&1",
                      &out),
              0)
        << out;
    const std::vector<std::string> rows = ListRows("name.cpio");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(Fields(rows[0])[0], "foo");
}

TEST_F(HostileArchivesTest, UnknownSizesAreBlankAndRatesStayHonest)
{
    Python("import os\n"
           "os.makedirs('src')\n"
           "for n in range(20): open('src/f%d.txt' % n, 'w').write('x%d' % n)\n");
    std::string out;
    ASSERT_EQ(RunTool("cd " + ShellQuote((root_ / "src").string()) + " && bsdtar -cZf ../small.taz *.txt && 7zz a -bd " +
                          "../small.7z *.txt >/dev/null 2>&1",
                      &out),
              0)
        << out;
    for (const char *archive : {"small.taz", "small.7z"}) {
        const std::vector<std::string> rows = ListRows(archive);
        ASSERT_EQ(rows.size(), 20u) << archive;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            std::vector<std::string> f = Fields(rows[i]);
            ASSERT_EQ(f.size(), 8u) << rows[i];
            EXPECT_NE(f[1], "") << archive << ": " << rows[i];
            // A share of the archive made up for one entry would pass 100 %. The 7z header
            // gives its solid block's packed size, shown on the block's first entry only.
            if (std::string(archive) == "small.7z" && i == 0) {
                EXPECT_NE(f[2], "") << rows[i];
                EXPECT_NE(f[3], "") << rows[i];
                continue;
            }
            EXPECT_EQ(f[2], "") << archive << ": " << rows[i];
            EXPECT_EQ(f[3], "") << archive << ": " << rows[i];
        }
    }
}

} // namespace
