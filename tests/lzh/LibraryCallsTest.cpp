// unlha32.so and unarj32j.so through their exported calls, loaded as the viewer loads them:
// recognition by content (ARJ with mode 0), listing, extraction by the command lines each
// family's wrapper builds, and memory extraction of a damaged entry.
#include "ToolArchive.h"
#include "archive/LxArcDefine.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

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
