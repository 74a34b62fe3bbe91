// unlha32.so and unarj32j.so through their exported calls, loaded as the viewer loads them:
// recognition by content (ARJ with mode 0), listing, extraction by the command lines each
// family's wrapper builds, and memory extraction of a damaged entry.
#include "ToolArchive.h"
#include "archive/LxArcDefine.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <dlfcn.h>

using tovik::tests::ScratchDir;

namespace {

class Library {
public:
    Library(const std::string &file, std::string prefix) : prefix_(std::move(prefix))
    {
        handle_ = dlopen((std::string(TOVIK_ARCHIVER_BUILD_DIR) + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    ~Library()
    {
        if (handle_)
            dlclose(handle_);
    }
    bool loaded() const { return handle_ != nullptr; }
    template <typename T>
    T get(const char *suffix) const
    {
        return reinterpret_cast<T>(dlsym(handle_, (prefix_ + suffix).c_str()));
    }
    // Every stored name, through FindFirst/FindNext and GetFileName.
    std::vector<std::string> names(const std::string &archive) const
    {
        std::vector<std::string> out;
        LX_HARC arc = get<LxArcOpenArchiveProc>(LX_ARC_OPENARCHIVE)(nullptr, archive.c_str(), 0);
        if (!arc)
            return out;
        char buf[LX_ARC_NAME_SIZE];
        for (int r = get<LxArcFindFirstProc>(LX_ARC_FINDFIRST)(arc, "*.*", nullptr); r == 0;
             r = get<LxArcFindNextProc>(LX_ARC_FINDNEXT)(arc, nullptr)) {
            if (get<LxArcGetFileNameProc>(LX_ARC_GETFILENAME)(arc, buf, sizeof buf) == 0)
                out.emplace_back(buf);
        }
        get<LxArcCloseArchiveProc>(LX_ARC_CLOSEARCHIVE)(arc);
        return out;
    }
    // Lists archive with the listing progress switched on (stopping it when stop is set):
    // the counts reported, the entries walked and how the walk ended; -100 when the open failed.
    int walk(const std::string &archive, std::vector<int32_t> &reported, int &entries, bool stop = false) const
    {
        struct Hook {
            std::vector<int32_t> *reported;
            bool stop;
        } hook {&reported, stop};
        auto setProgress = get<LxArcSetListProgressProc>(LX_ARC_SETLISTPROGRESS);
        setProgress(
            [](void *user, int32_t listed) -> int32_t {
                auto *h = static_cast<Hook *>(user);
                h->reported->push_back(listed);
                return h->stop ? 1 : 0;
            },
            &hook);
        LX_HARC arc = get<LxArcOpenArchiveProc>(LX_ARC_OPENARCHIVE)(nullptr, archive.c_str(), 0);
        setProgress(nullptr, nullptr);
        entries = 0;
        if (!arc)
            return -100;
        int r = get<LxArcFindFirstProc>(LX_ARC_FINDFIRST)(arc, "*.*", nullptr);
        for (; r == 0; r = get<LxArcFindNextProc>(LX_ARC_FINDNEXT)(arc, nullptr))
            ++entries;
        get<LxArcCloseArchiveProc>(LX_ARC_CLOSEARCHIVE)(arc);
        return r;
    }
    int command(const std::string &line, std::string &message) const
    {
        char out[LX_ARC_OUTPUT_SIZE] = {};
        int r = reinterpret_cast<LxArcCommandProc>(dlsym(handle_, prefix_.c_str()))(nullptr, line.c_str(), out,
                                                                                   sizeof out);
        message = out;
        return r;
    }

private:
    void *handle_ = nullptr;
    std::string prefix_;
};

TEST(LibraryCalls, LzhListsAndExtractsThroughTheContract)
{
    Library lib("unlha32.so", "Unlha");
    ASSERT_TRUE(lib.loaded()) << "unlha32.so is not built";
    if (!std::filesystem::exists("/usr/share/java/jlhafrontend.jar"))
        GTEST_SKIP() << "jlha is not installed";
    ScratchDir dir;
    dir.write("フォルダ/ソース.txt", tovik::tests::SampleText(50000, 5));
    ASSERT_EQ(dir.run("java -Dlha.encoding=MS932 -jar /usr/share/java/jlhafrontend.jar a2o7 a.lzh フォルダ/ソース.txt"), 0);
    const std::string archive = (dir.path() / "a.lzh").string();
    const std::string stored = tovik::platform::Utf8ToCp932("フォルダ/ソース.txt");

    EXPECT_NE(lib.get<LxArcCheckArchiveProc>(LX_ARC_CHECKARCHIVE)(archive.c_str(), 24), 0);
    dir.write("not.lzh", "plain text, no archive");
    EXPECT_EQ(lib.get<LxArcCheckArchiveProc>(LX_ARC_CHECKARCHIVE)((dir.path() / "not.lzh").c_str(), 24), 0);
    EXPECT_EQ(lib.names(archive), std::vector<std::string>{stored});

    // The LZH wrapper's line: " e " "A" "D\" E" (the entry has only its closing quote).
    std::string message;
    const std::string out = (dir.path() / "out").string();
    EXPECT_EQ(lib.command(" e \"" + archive + "\" \"" + out + "/\" " + stored + "\"", message), 0) << message;
    EXPECT_EQ(dir.read("out/" + std::string("ソース.txt")), dir.read("フォルダ/ソース.txt"));

    // Memory extraction of an entry whose data was damaged: a failure with the message.
    std::string bytes = dir.read("a.lzh");
    bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x40);
    dir.write("bad.lzh", bytes);
    std::vector<uint8_t> buffer(60000);
    LX_DWORD written = 0;
    const std::string line = " \"" + (dir.path() / "bad.lzh").string() + "\" \"" + stored + "\" ";
    EXPECT_LT(lib.get<LxArcExtractMemProc>(LX_ARC_EXTRACTMEM)(nullptr, line.c_str(), buffer.data(), 50000, nullptr,
                                                              nullptr, &written),
              0);
    EXPECT_EQ(tovik::platform::Cp932ToUtf8(reinterpret_cast<const char *>(buffer.data())), "書庫が壊れています");
}

TEST(LibraryCalls, ArjListsAndExtractsThroughTheContract)
{
    Library lib("unarj32j.so", "Unarj");
    ASSERT_TRUE(lib.loaded()) << "unarj32j.so is not built";
    if (!tovik::tests::HaveTool("arj"))
        GTEST_SKIP() << "arj is not installed";
    ScratchDir dir;
    dir.write("docs/read me.txt", tovik::tests::SampleText(40000, 6));
    ASSERT_EQ(dir.run("arj a -y -r a.arj docs"), 0);
    ASSERT_EQ(dir.run("arj a -y -gpw g.arj docs/'read me.txt'"), 0);
    const std::string archive = (dir.path() / "a.arj").string();

    // The viewer asks with mode 0.
    EXPECT_NE(lib.get<LxArcCheckArchiveProc>(LX_ARC_CHECKARCHIVE)(archive.c_str(), 0), 0);
    dir.write("x.zip", "PK\x03\x04 not an ARJ file");
    EXPECT_EQ(lib.get<LxArcCheckArchiveProc>(LX_ARC_CHECKARCHIVE)((dir.path() / "x.zip").c_str(), 0), 0);
    EXPECT_EQ(lib.names(archive), std::vector<std::string>{"docs/read me.txt"});

    // The base wrapper's line: " -x -j " "A" "D" "E".
    std::string message;
    const std::string out = (dir.path() / "out").string();
    EXPECT_EQ(lib.command(" -x -j \"" + archive + "\" \"" + out + "/\" \"docs/read me.txt\"", message), 0) << message;
    EXPECT_EQ(dir.read("out/read me.txt"), dir.read("docs/read me.txt"));

    // A garbled entry lists and refuses to extract, with the shared message.
    const std::string garbled = (dir.path() / "g.arj").string();
    EXPECT_EQ(lib.names(garbled).size(), 1u);
    EXPECT_NE(lib.command(" -x -j \"" + garbled + "\" \"" + out + "/g/\" \"docs/read me.txt\"", message), 0);
    EXPECT_EQ(tovik::platform::Cp932ToUtf8(message), "パスワード付きのファイルは展開できません");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "out/g/read me.txt"));
}

} // namespace

TEST(LibraryCalls, ListingReportsProgressAndStopsAtDamage)
{
    struct Family {
        const char *library, *prefix, *archive, *make;
        bool available;
    };
    const Family families[] = {
        {"unlha32.so", "Unlha", "a.lzh", "java -jar /usr/share/java/jlhafrontend.jar a a.lzh f/*",
         std::filesystem::exists("/usr/share/java/jlhafrontend.jar")},
        {"unarj32j.so", "Unarj", "a.arj", "arj a -y a.arj f", tovik::tests::HaveTool("arj")},
    };
    for (const Family &f : families) {
        SCOPED_TRACE(f.archive);
        Library lib(f.library, f.prefix);
        ASSERT_TRUE(lib.loaded()) << f.library << " is not built";
        if (!f.available) {
            std::printf("skipped %s: its archiving tool is not installed\n", f.archive);
            continue;
        }
        ScratchDir dir;
        for (int i = 0; i < 300; ++i)
            dir.write("f/" + std::to_string(1000 + i) + ".txt", tovik::tests::SampleText(200 + i, i));
        ASSERT_EQ(dir.run(f.make), 0);
        const std::string archive = (dir.path() / f.archive).string();

        std::vector<int32_t> reported;
        int entries = 0;
        EXPECT_EQ(lib.walk(archive, reported, entries), -1);
        EXPECT_EQ(entries, 300);
        EXPECT_EQ(reported, std::vector<int32_t> {256});
        // Asked to stop, the library stops at the first report and the open fails. (A copy:
        // the archive just listed is remembered, and not listed again.)
        const std::string bytes = dir.read(f.archive);
        dir.write("copy", bytes);
        reported.clear();
        EXPECT_EQ(lib.walk((dir.path() / "copy").string(), reported, entries, true), -100);
        EXPECT_EQ(reported, std::vector<int32_t> {256});

        // Cut in the middle, the entries before the cut list and the end says why.
        dir.write("cut", bytes.substr(0, bytes.size() / 2));
        reported.clear();
        EXPECT_EQ(lib.walk((dir.path() / "cut").string(), reported, entries), LX_ARC_END_DAMAGED);
        EXPECT_GT(entries, 100);
        EXPECT_LT(entries, 300);
        // Whatever follows a whole archive is no damage.
        dir.write("tail", bytes + std::string(5000, 'x'));
        EXPECT_EQ(lib.walk((dir.path() / "tail").string(), reported, entries), -1);
        EXPECT_EQ(entries, 300);
    }
}
