// The bundled sample archive, read the way the viewer reads it: through the registry, the
// LZH library and the contents model, and through tovik-arc. It must keep its Japanese
// names (one of them, "ソース", has 0x5C as a trail byte) and its Shift_JIS text.
#include "Source/LxPnArcDataClasses.h"
#include "Source/TextViewFrm.h"
#include "archive/LxArcImpl.h"
#include "platform/Cp932.h"
#include "platform/MessageBox.h"

#include <QLabel>
#include "editor/EditDocument.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using tovik::platform::Cp932ToUtf8;
using tovik::platform::Utf8ToCp932;

const std::string kSample = std::string(TOVIK_SAMPLES_DIR) + "/sample.lzh";

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Source(const char *name) { return ReadFile(std::string(TOVIK_SAMPLE_SOURCES) + "/" + name); }

class SampleArchiveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(kSample)) << kSample << " was not built";
        impl.Registry().ProbeAll();
        impl.SetFileName(kSample);
        if (impl.Registry().CurrentIndex < 0) {
            if (!fs::exists(std::string(TOVIK_ARCHIVER_BUILD_DIR) + "/unlha32.so"))
                GTEST_SKIP() << "unlha32.so is not built";
            FAIL() << "unlha32.so is built but not chosen for " << kSample;
        }
    }
    TLxArcImpl impl;
};

TEST_F(SampleArchiveTest, ListsJapaneseNamesInTheirFolders)
{
    TLxArcData data;
    ASSERT_TRUE(data.LoadFromArchive(nullptr, impl));
    EXPECT_EQ(data.EntryCount, 6);

    const TLxPackedList &root = *data.Data->Entries;
    ASSERT_EQ(root.Count(), 2);
    EXPECT_EQ(Cp932ToUtf8(root.Items(0)->Name), "お読みください.txt");
    EXPECT_EQ(root.Items(0)->OriginalSize, int64_t(Utf8ToCp932(Source("readme-ja.txt")).size()));
    EXPECT_EQ(root.Items(1)->Name, "README.txt");

    const TLxArcFolderList &folders = *data.Data->Folders;
    ASSERT_EQ(folders.Count(), 2);
    const TLxArcFolderItem *docs = folders.Items(0);
    EXPECT_EQ(Cp932ToUtf8(docs->Name), "文書");
    ASSERT_EQ(docs->Data->Entries->Count(), 3);
    EXPECT_EQ(Cp932ToUtf8(docs->Data->Entries->Items(0)->Path), "文書/枕草子.txt");
    EXPECT_EQ(Cp932ToUtf8(docs->Data->Entries->Items(1)->Name), "メモ(EUC-JP).txt");
    EXPECT_EQ(Cp932ToUtf8(docs->Data->Entries->Items(2)->Name), "ノート(UTF-8).txt");

    // "ソ" is 0x83 0x5C: the folder must not split at its trail byte.
    const TLxArcFolderItem *sources = folders.Items(1);
    EXPECT_EQ(Cp932ToUtf8(sources->Name), "ソース");
    ASSERT_EQ(sources->Data->Entries->Count(), 1);
    EXPECT_EQ(sources->Data->Entries->Items(0)->Name, "hello.c");
    EXPECT_EQ(sources->Data->Folders->Count(), 0);
}

TEST_F(SampleArchiveTest, ShiftJisAndEucTextComeBackAsStored)
{
    std::unique_ptr<TLxArchiveBase> wrapper = impl.Registry().CreateWrapper(impl.Registry().CurrentItem());
    ASSERT_TRUE(wrapper);
    const std::string expected = Utf8ToCp932(Source("poem-sjis.txt"));
    std::string buffer(1000000, '\0');
    uint32_t written = 0;
    ASSERT_EQ(wrapper->ExtractMem(nullptr, kSample, Utf8ToCp932("文書/枕草子.txt"), buffer, written), 0);
    EXPECT_EQ(buffer.substr(0, written), expected);

    // The EUC-JP text is not Shift_JIS: its bytes differ from the CP932 form of the source.
    buffer.assign(1000000, '\0');
    ASSERT_EQ(wrapper->ExtractMem(nullptr, kSample, Utf8ToCp932("文書/メモ(EUC-JP).txt"), buffer, written), 0);
    EXPECT_EQ(written, Utf8ToCp932(Source("memo-eucjp.txt")).size());
    EXPECT_NE(buffer.substr(0, written), Utf8ToCp932(Source("memo-eucjp.txt")));
}

// Every text of the sample, extracted into memory and handed to the text viewer, reads as
// its source did, whatever its encoding in the archive.
TEST_F(SampleArchiveTest, EveryTextReadsCorrectlyInTheViewer)
{
    TLxArcData data;
    ASSERT_TRUE(data.LoadFromArchive(nullptr, impl));
    std::unique_ptr<TLxArchiveBase> wrapper = impl.Registry().CreateWrapper(impl.Registry().CurrentItem());
    ASSERT_TRUE(wrapper);
    QStringList notes;
    tovik::platform::SetMessageInterceptor([&notes](const QString &text, auto, auto) {
        notes << text;
        return QMessageBox::Ok;
    });
    struct Case {
        const TLxPackedItem *entry;
        const char *source, *charSet;
        bool noted;
    } cases[] = {
        {data.Data->Entries->Items(0), "readme-ja.txt", "日本語(ShiftJIS)", false},
        {data.Data->Entries->Items(1), "README.txt", "日本語(ShiftJIS)", false},
        {data.Data->Folders->Items(0)->Data->Entries->Items(0), "poem-sjis.txt", "日本語(ShiftJIS)", false},
        {data.Data->Folders->Items(0)->Data->Entries->Items(1), "memo-eucjp.txt", "日本語(EUC)", true},
        {data.Data->Folders->Items(0)->Data->Entries->Items(2), "note-utf8.txt", "UTF-8N", true},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(c.entry) << c.source;
        notes.clear();
        std::string buffer(1000000, '\0');
        uint32_t written = 0;
        ASSERT_EQ(wrapper->ExtractMem(nullptr, kSample, c.entry->Path, buffer, written), 0) << c.source;
        TFrmTextView view;
        view.SetEntry(c.entry);
        view.SetText(QByteArray(buffer.data(), qsizetype(written)));
        EXPECT_EQ(QString::fromStdString(Cp932ToUtf8(view.Lines().GetText())).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                  QString::fromStdString(Source(c.source)))
            << c.source;
        EXPECT_EQ(view.LxPanelCharSet->text(), QString::fromUtf8(c.charSet)) << c.source;
        EXPECT_EQ(notes.size(), c.noted ? 1 : 0) << c.source;
        EXPECT_EQ(view.windowTitle(), QStringLiteral("テキストビューア [") +
                                          QString::fromStdString(Cp932ToUtf8(c.entry->Path)) + QLatin1Char(']'));
    }
    tovik::platform::SetMessageInterceptor(nullptr);
}

TEST_F(SampleArchiveTest, TovikArcListsTheJapaneseNames)
{
    const std::string command = std::string("'") + TOVIK_TEST_BIN_DIR + "/tovik-arc' list '" + kSample + "'";
    FILE *pipe = popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string output;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        output.append(chunk, n);
    ASSERT_EQ(pclose(pipe), 0) << output;
    EXPECT_EQ(output.rfind("# UNLHA32.DLL\t", 0), 0u) << output;
    for (const char *name : {"お読みください.txt\t", "文書/枕草子.txt\t", "文書/メモ(EUC-JP).txt\t",
                             "文書/ノート(UTF-8).txt\t", "ソース/hello.c\t", "README.txt\t"})
        EXPECT_NE(output.find(std::string("\n") + name), std::string::npos) << name << "\n" << output;
}

} // namespace
