// The archive tab's parts that need no window: the folder-tree model over the contents model,
// and the opening of entries on archives made here with zip.
#include "Source/ArcFolderTreeModel.h"
#include "Source/EntryOpener.h"
#include "Source/LxPnArcDataClasses.h"
#include "archive/LxArcImpl.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// root: a{b{c}}, d; the chain below e is depth levels deep.
void BuildFolders(TLxArcData &data, int depth)
{
    data.Name = "x.zip";
    TLxArcFolderItem *a = data.Data->Folders->Add("a");
    TLxArcFolderItem *b = a->Data->Folders->Add("b");
    b->Data->Folders->Add("c");
    data.Data->Folders->Add("d");
    TLxArcFolderItem *deep = data.Data->Folders->Add("e");
    for (int i = 1; i < depth; ++i)
        deep = deep->Data->Folders->Add("e" + std::to_string(i));
}

TEST(FolderTreeModel, MirrorsTheContentsModelAndPassesQtsModelChecks)
{
    TLxArcData data;
    BuildFolders(data, 60);
    TArcFolderTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.SetArcData(&data);

    ASSERT_EQ(model.rowCount(), 1);
    const QModelIndex root = model.index(0, 0);
    EXPECT_EQ(root.data().toString(), QStringLiteral("x.zip"));
    EXPECT_EQ(model.FolderAt(root), &data);
    EXPECT_EQ(model.rowCount(root), 3);
    const QModelIndex a = model.index(0, 0, root);
    const QModelIndex b = model.index(0, 0, a);
    const QModelIndex c = model.index(0, 0, b);
    EXPECT_EQ(c.data().toString(), QStringLiteral("c"));
    EXPECT_EQ(c.parent(), b);
    EXPECT_EQ(b.parent().parent(), root);
    EXPECT_FALSE(root.parent().isValid());
    // State numbers: 1 with sub-folders, 3 without, 0 for the archive itself.
    EXPECT_EQ(root.data(TArcFolderTreeModel::StateImageRole).toInt(), 0);
    EXPECT_EQ(a.data(TArcFolderTreeModel::StateImageRole).toInt(), 1);
    EXPECT_EQ(c.data(TArcFolderTreeModel::StateImageRole).toInt(), 3);
    EXPECT_EQ(model.index(1, 0, root).data(TArcFolderTreeModel::StateImageRole).toInt(), 3);

    // Every level of a deep chain is reachable and finds its way back to the root.
    QModelIndex deep = model.index(2, 0, root);
    int levels = 0;
    while (model.rowCount(deep) > 0) {
        deep = model.index(0, 0, deep);
        ++levels;
    }
    EXPECT_EQ(levels, 59);
    EXPECT_EQ(model.IndexOf(model.FolderAt(deep)), deep);
    int up = 0;
    for (QModelIndex i = deep; i.parent().isValid(); i = i.parent())
        ++up;
    EXPECT_EQ(up, 60);

    // Out-of-range questions answer nothing instead of reading past the lists.
    EXPECT_FALSE(model.index(3, 0, root).isValid());
    EXPECT_FALSE(model.index(1, 0).isValid());
    EXPECT_FALSE(model.index(0, 1, root).isValid());

    // Without a contents model there are no rows at all.
    model.SetArcData(nullptr);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.RootIndex().isValid());
}

// Entries of a ZIP made with Info-ZIP, opened through the build's library.
class EntryOpenerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        qputenv("TOVIK_ARCHIVERS", TOVIK_ARCHIVER_BUILD_DIR);
        ASSERT_TRUE(QFileInfo::exists(QStringLiteral(TOVIK_ARCHIVER_BUILD_DIR "/unzip32.so")));
        const QString src = tmp.filePath(QStringLiteral("src"));
        QByteArray big(1200000, 'a');
        for (int i = 0; i < big.size(); i += 80)
            big[i] = '\n';
        Write(src + QStringLiteral("/big.txt"), big);
        Write(src + QStringLiteral("/prog.exe"), QByteArray("MZ\x90\x00", 4) + QByteArray(100, '\1'));
        Write(src + QStringLiteral("/empty.txt"), QByteArray());
        Write(src + QStringLiteral("/sub/note.txt"), "note\r\n");
        const QString archive = tmp.filePath(QStringLiteral("a.zip"));
        QProcess zip;
        zip.setWorkingDirectory(src);
        zip.start(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-r"), archive, QStringLiteral(".")});
        ASSERT_TRUE(zip.waitForFinished(30000));
        ASSERT_EQ(zip.exitCode(), 0);
        impl.Registry().ProbeAll();
        impl.SetFileName(QFile::encodeName(archive).toStdString());
        ASSERT_TRUE(data.LoadFromArchive(nullptr, impl));
    }

    static void Write(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    const TLxPackedItem &Entry(const std::string &path) const
    {
        auto find = [&](const TLxArcFolderData &folder, auto &self) -> const TLxPackedItem * {
            for (int i = 0; i < folder.Entries->Count(); ++i)
                if (folder.Entries->Items(i)->Path == path)
                    return folder.Entries->Items(i);
            for (int i = 0; i < folder.Folders->Count(); ++i)
                if (const TLxPackedItem *item = self(*folder.Folders->Items(i)->Data, self))
                    return item;
            return nullptr;
        };
        const TLxPackedItem *item = find(*data.Data, find);
        EXPECT_NE(item, nullptr) << path;
        return *item;
    }

    QTemporaryDir tmp;
    TLxArcImpl impl;
    TLxArcData data;
};

TEST_F(EntryOpenerTest, MemoryExtractionReadsAtMostTheLimitOrSaysWhyNot)
{
    TEntryOpener opener(impl);
    const TEntryOpener::MemoryResult big = opener.ExtractToMemory(Entry("big.txt"));
    EXPECT_TRUE(big.Attempted);
    EXPECT_TRUE(big.Message.isEmpty());
    ASSERT_EQ(big.Text.size(), TEntryOpener::MemoryExtractLimit);
    EXPECT_EQ(big.Text.left(3), QByteArray("\naa"));

    EXPECT_EQ(opener.ExtractToMemory(Entry("prog.exe")).Message,
              QStringLiteral("実行形式ファイルが選択されました\r\n内容の閲覧はできません"));
    EXPECT_EQ(opener.ExtractToMemory(Entry("empty.txt")).Message,
              QStringLiteral("メモリ展開したデータがありませんでした\r\n内容の閲覧はできません"));

    // An entry the archive does not hold: the library's failure, with its own words after.
    TLxPackedItem ghost;
    ghost.Path = "ghost.txt";
    ghost.OriginalSize = 10;
    const QString failed = opener.ExtractToMemory(ghost).Message;
    EXPECT_TRUE(failed.startsWith(QStringLiteral("メモリ展開ができませんでした\r\n\r\n内容の閲覧はできません\r\n\r\n")))
        << failed.toStdString();

    // No library chosen: nothing happens at all.
    TLxArcImpl none;
    EXPECT_FALSE(TEntryOpener(none).ExtractToMemory(Entry("big.txt")).Attempted);
}

TEST_F(EntryOpenerTest, MemoryExtractionShowsOnlyTheBytesTheLibraryWrote)
{
    // The buffer is sized by the listing; an entry that holds less than it claims (or whose
    // size is unknown) shows its own bytes and nothing of the rest of the buffer.
    TEntryOpener opener(impl);
    for (int64_t declared : {int64_t{4096}, int64_t{7}, int64_t{-1}}) {
        TLxPackedItem liar = Entry("sub/note.txt");
        liar.OriginalSize = declared;
        const TEntryOpener::MemoryResult got = opener.ExtractToMemory(liar);
        EXPECT_TRUE(got.Message.isEmpty()) << declared << " " << got.Message.toStdString();
        EXPECT_EQ(got.Text, QByteArray("note\r\n")) << declared;
    }
}

TEST_F(EntryOpenerTest, DiskExtractionGoesFlatIntoAPrivateFolder)
{
    EXPECT_EQ(TEntryOpener::PlanDiskExtraction(QString()).Message, QStringLiteral("作業用フォルダが作成できませんでした"));

    const QString work = tmp.filePath(QStringLiteral("work"));
    const TEntryOpener::DiskPlan plan = TEntryOpener::PlanDiskExtraction(work);
    EXPECT_TRUE(plan.Message.isEmpty());
    EXPECT_TRUE(plan.Question.contains(work));
    EXPECT_TRUE(QFileInfo(work).isDir());   // made one level deep
    EXPECT_FALSE(QFileInfo::exists(plan.Folder));   // nothing before the answer

    const TEntryOpener::DiskResult result = TEntryOpener(impl).ExtractToDisk(Entry("sub/note.txt"), plan);
    EXPECT_TRUE(result.Message.isEmpty()) << result.Message.toStdString();
    EXPECT_EQ(result.File, plan.Folder + QStringLiteral("/note.txt"));
    EXPECT_TRUE(QFileInfo::exists(result.File));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(plan.Folder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

} // namespace
