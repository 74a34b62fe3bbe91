// The archiver information dialog against real library folders: an empty one, one with a
// broken library, and the libraries the build makes.
#include "Source/ArcInfoFrm.h"
#include "platform/DynamicLibrary.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const char *const kLibraries[19] = {
    "UNACEV2J.DLL", "UNLHA32.DLL", "UNZIP32.DLL", "7-ZIP32.DLL", "CAB32.DLL",   "LMZIP32.DLL", "BGA32.DLL",
    "JACK32.DLL",   "TAR32.DLL",   "UNARJ32J.DLL", "UNRAR32.DLL", "ISH32.DLL", "UNGCA32.DLL", "UNRAR.DLL",
    "UNACE.DLL",    "YZ1.DLL",     "YZ2.DLL",     "UNIMP32.DLL", "ZIP32J.DLL"};

// Rows without a wrapper class are never installed, whatever lies in the folder.
const QSet<QString> kNeverInstalled = {QStringLiteral("UNACEV2J.DLL"), QStringLiteral("UNRAR.DLL"),
                                       QStringLiteral("UNACE.DLL")};

QString Cell(const QTableWidget *grid, int row, int column)
{
    const QTableWidgetItem *item = grid->item(row, column);
    return item ? item->text() : QString();
}

class ArcInfoTest : public ::testing::Test
{
protected:
    void UseFolder(const QString &folder)
    {
        tovik::platform::OverrideArchiverSearchPath(std::vector<std::string>{folder.toStdString()});
    }
    void TearDown() override { tovik::platform::OverrideArchiverSearchPath(std::nullopt); }
};

TEST_F(ArcInfoTest, ColumnsAndCaptions)
{
    QTemporaryDir empty;
    UseFolder(empty.path());
    TFormArcInfo form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("アーカイバDLL情報"));
    EXPECT_EQ(form.CheckBox1->text(), QStringLiteral("インストール済みDllのみ表示"));
    EXPECT_TRUE(form.CheckBox1->isChecked());
    EXPECT_EQ(form.ButtonClose->text(), QStringLiteral("閉じる"));
    const QTableWidget *grid = form.LxTableGrid1;
    ASSERT_EQ(grid->columnCount(), 4);
    const char *titles[4] = {"DLL名称", "対応形式", "インストールフォルダ", "バージョン"};
    const int widths[4] = {100, 150, 150, 100};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(grid->horizontalHeaderItem(c)->text(), QString::fromUtf8(titles[c]));
        EXPECT_EQ(grid->columnWidth(c), widths[c]) << c;
    }
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectRows);
}

// Nothing installed (an empty folder, or a file that is not a library under a library's
// name): one empty row; unticked, all nineteen rows in table order, none installed.
TEST_F(ArcInfoTest, NothingInstalledGivesOneEmptyRowThenAllRowsUninstalled)
{
    QTemporaryDir folder;
    QFile junk(folder.filePath(QStringLiteral("unlha32.so")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is not a shared object\n");
    junk.close();
    UseFolder(folder.path());

    TFormArcInfo form;
    const QTableWidget *grid = form.LxTableGrid1;
    ASSERT_EQ(grid->rowCount(), 1);
    for (int c = 0; c < 4; ++c)
        EXPECT_TRUE(Cell(grid, 0, c).isEmpty()) << c;

    form.show();
    QTest::mouseClick(form.CheckBox1, Qt::LeftButton);
    ASSERT_FALSE(form.CheckBox1->isChecked());
    ASSERT_EQ(grid->rowCount(), 19);
    for (int r = 0; r < 19; ++r) {
        EXPECT_EQ(Cell(grid, r, 0), QString::fromLatin1(kLibraries[r])) << r;
        EXPECT_EQ(Cell(grid, r, 2), QStringLiteral("未インストール")) << r;
        EXPECT_TRUE(Cell(grid, r, 3).isEmpty()) << r;
    }
    EXPECT_EQ(Cell(grid, 1, 1), QStringLiteral("lzh 形式書庫"));
    EXPECT_EQ(Cell(grid, 9, 1), QStringLiteral("ARJ  形式書庫"));
    EXPECT_EQ(Cell(grid, 16, 1), QStringLiteral("YZ2 形式書庫"));

    QTest::mouseClick(form.CheckBox1, Qt::LeftButton);
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_TRUE(Cell(grid, 0, 0).isEmpty());
}

// The libraries the build makes: each shows up with its folder and version in its own row;
// the check box hides exactly the rows that are not installed.
TEST_F(ArcInfoTest, BuiltLibrariesAreListedWithFolderAndVersion)
{
    const QString folder = QStringLiteral(TOVIK_ARCHIVER_BUILD_DIR);
    QSet<QString> present;
    for (const QString &file : QDir(folder).entryList({QStringLiteral("*.so")}, QDir::Files)) {
        const QString name = file.chopped(3).toUpper() + QStringLiteral(".DLL");
        if (!kNeverInstalled.contains(name))
            present << name;
    }
    if (present.isEmpty())
        GTEST_SKIP() << "no archiver library built in " << folder.toStdString();
    UseFolder(folder);

    TFormArcInfo form;
    const QTableWidget *grid = form.LxTableGrid1;
    QStringList expected;
    for (const char *name : kLibraries)
        if (present.contains(QString::fromLatin1(name)))
            expected << QString::fromLatin1(name);
    ASSERT_EQ(grid->rowCount(), expected.size());
    const QString canonical = QDir(folder).canonicalPath();
    for (int r = 0; r < grid->rowCount(); ++r) {
        EXPECT_EQ(Cell(grid, r, 0), expected[r]) << r;
        EXPECT_EQ(QDir(Cell(grid, r, 2)).canonicalPath(), canonical) << r;
        EXPECT_FALSE(Cell(grid, r, 3).isEmpty()) << r;
        // The folder column grows to show the path whole (up to 520 pixels).
        EXPECT_GE(grid->columnWidth(2), std::min(512, grid->fontMetrics().horizontalAdvance(Cell(grid, r, 2)))) << r;
    }

    form.CheckBox1->click();
    ASSERT_EQ(grid->rowCount(), 19);
    for (int r = 0; r < 19; ++r) {
        const bool installed = present.contains(QString::fromLatin1(kLibraries[r]));
        EXPECT_EQ(Cell(grid, r, 2) == QStringLiteral("未インストール"), !installed) << kLibraries[r];
        EXPECT_EQ(Cell(grid, r, 3).isEmpty(), !installed) << kLibraries[r];
    }
}

} // namespace
