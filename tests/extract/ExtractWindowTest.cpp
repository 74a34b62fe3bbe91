// Extraction into a folder, drag-out and the list filter from the main window, offscreen, on
// archives made at test time and read through the archiver libraries of the build.
#include "Source/ArcFileListModel.h"
#include "Source/ExtractProgressFrm.h"
#include "Source/LxPnGlobalState.h"
#include "Source/MainFrm.h"
#include "Source/ViewerFrm.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

using tovik::platform::MessageKind;

namespace {

void WriteFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class ExtractWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        qputenv("TOVIK_ARCHIVERS", TOVIK_ARCHIVER_BUILD_DIR);
        work = tmp.filePath(QStringLiteral("work"));
        ASSERT_TRUE(QDir().mkpath(work));
        const QString ini = tmp.filePath(QStringLiteral("tovik.ini"));
        WriteFile(ini, QStringLiteral("[General]\nWorkFolder=%1\nFormPosLoad=False\n").arg(work).toUtf8());
        qputenv("TOVIK_INI", QFile::encodeName(ini));
        state = std::make_unique<TAppGlobalState>();
        tovik::platform::SetMessageInterceptor([this](const QString &text, MessageKind, QMessageBox::StandardButtons) {
            messages << text;
            return answers.isEmpty() ? QMessageBox::Abort : answers.takeFirst();
        });
    }

    void TearDown() override
    {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        tovik::platform::SetMessageInterceptor(nullptr);
        state.reset();
    }

    QString MakeZip(const QString &name, const QMap<QString, QByteArray> &files)
    {
        const QString src = tmp.filePath(QStringLiteral("src-") + name);
        for (auto it = files.begin(); it != files.end(); ++it)
            WriteFile(src + QLatin1Char('/') + it.key(), it.value());
        const QString archive = tmp.filePath(name);
        QProcess zip;
        zip.setWorkingDirectory(src);
        zip.start(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("-X"), archive,
                                          QStringLiteral(".")});
        EXPECT_TRUE(zip.waitForFinished(30000));
        EXPECT_EQ(zip.exitCode(), 0);
        return archive;
    }

    QString MakeSample()
    {
        return MakeZip(QStringLiteral("sample.zip"), {{QStringLiteral("readme.txt"), "hello\r\n"},
                                                      {QStringLiteral("Guide.TXT"), "top guide\n"},
                                                      {QStringLiteral("表ソ.txt"), "sjis\n"},
                                                      {QStringLiteral("docs/guide.txt"), "guide\r\n"},
                                                      {QStringLiteral("docs/sub/note.txt"), "note\r\n"}});
    }

    TFormViewer *Open(const QString &archive)
    {
        window = std::make_unique<TFormMain>(QStringList{archive});
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        auto *tabs = window->findChild<QTabWidget *>();
        return tabs && tabs->count() > 0 ? tabs->widget(0)->findChild<TFormViewer *>() : nullptr;
    }

    // Selects the rows of the current folder whose names are given (Ctrl-click semantics).
    void SelectRows(TFormViewer *form, const QStringList &names)
    {
        // One selection change, as a Ctrl-click would leave it: a folder row alone would
        // enter the folder.
        QItemSelection selection;
        for (int row = 0; row < form->ListModel->rowCount(); ++row) {
            const QModelIndex index = form->ListModel->index(row, 0);
            if (names.contains(index.data().toString()))
                selection.select(index, index);
        }
        form->ListFileView->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect |
                                                                     QItemSelectionModel::Rows);
    }

    QStringList Rows(TFormViewer *form) const
    {
        QStringList out;
        for (int row = 0; row < form->ListModel->rowCount(); ++row)
            out << form->ListModel->index(row, 0).data().toString();
        return out;
    }

    QTemporaryDir tmp;
    QString work;
    std::unique_ptr<TAppGlobalState> state;
    std::unique_ptr<TFormMain> window;
    QStringList messages;
    QList<QMessageBox::StandardButton> answers;
};

TEST_F(ExtractWindowTest, SelectionOrWholeArchiveLandsBelowTheFolderWithQuestions)
{
    TFormViewer *form = Open(MakeSample());
    ASSERT_NE(form, nullptr);
    auto *action = window->findChild<QAction *>(QStringLiteral("ActExtractTo"));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QStringLiteral("展開先を指定して展開..."));
    EXPECT_TRUE(form->PopupMenu1->actions().contains(action));

    // A folder row and a file row together: the folder with all below it.
    const QString dest = tmp.filePath(QStringLiteral("out"));
    SelectRows(form, {QStringLiteral("docs"), QStringLiteral("readme.txt")});
    EXPECT_EQ(form->ListModel->Folder(), form->ArcData()->Data.get());   // still in the root
    TExtractResult r = form->ExtractInto(dest, false);
    EXPECT_TRUE(r.Succeeded());
    EXPECT_EQ(ReadFile(dest + QStringLiteral("/readme.txt")), "hello\r\n");
    EXPECT_EQ(ReadFile(dest + QStringLiteral("/docs/sub/note.txt")), "note\r\n");
    EXPECT_FALSE(QFile::exists(dest + QStringLiteral("/Guide.TXT")));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();

    // Everything, over what is there: "上書き" for the first question, "すべてスキップ" next.
    WriteFile(dest + QStringLiteral("/readme.txt"), "mine");
    answers = {QMessageBox::Yes, QMessageBox::NoToAll};
    r = form->ExtractInto(dest, true);
    EXPECT_TRUE(r.Succeeded());
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("既に存在します")));
    EXPECT_EQ(ReadFile(dest + QStringLiteral("/表ソ.txt")), "sjis\n");
    EXPECT_EQ(ReadFile(dest + QStringLiteral("/Guide.TXT")), "top guide\n");
    EXPECT_EQ(r.Skipped, 2);

    // "中止": the run stops and says so.
    messages.clear();
    answers = {QMessageBox::Abort};
    r = form->ExtractInto(dest, true);
    EXPECT_TRUE(r.Aborted);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].contains(QStringLiteral("中止")));
}

TEST_F(ExtractWindowTest, FilterNarrowsRowsAsTypedAndEscClearsIt)
{
    TFormViewer *form = Open(MakeSample());
    ASSERT_NE(form, nullptr);
    ASSERT_EQ(form->ListModel->rowCount(), 4);
    // Ctrl+F in the window puts the focus into the field.
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(form->EditFilter->hasFocus());
    QTest::keyClicks(form->EditFilter, QStringLiteral("gUiD"));
    EXPECT_EQ(Rows(form), QStringList{QStringLiteral("Guide.TXT")});
    QTest::keyClick(form->EditFilter, Qt::Key_Escape);
    EXPECT_TRUE(form->EditFilter->text().isEmpty());
    EXPECT_EQ(form->ListModel->rowCount(), 4);
    // Japanese matches exactly: the full-width "ソ" yes, the half-width one no.
    form->EditFilter->setText(QStringLiteral("ソ"));
    EXPECT_EQ(Rows(form), QStringList{QStringLiteral("表ソ.txt")});
    form->EditFilter->setText(QStringLiteral("ｿ"));
    EXPECT_TRUE(Rows(form).isEmpty());
    // Sorting keeps the filter.
    form->EditFilter->setText(QStringLiteral(".t"));
    form->ListModel->Sort(0, -1);
    EXPECT_EQ(Rows(form), (QStringList{QStringLiteral("表ソ.txt"), QStringLiteral("readme.txt"), QStringLiteral("Guide.TXT")}));
}

TEST(ListFilter, TrailBytesNeitherStartNorFoldAMatch)
{
    // "ソ" is 0x83 0x5C and "ア" 0x83 0x41: their second bytes are "\" and "A".
    EXPECT_FALSE(TArcFileListModel::NameMatches("\x83\x41", "a"));
    EXPECT_FALSE(TArcFileListModel::NameMatches("\x83\x41", "A"));
    EXPECT_FALSE(TArcFileListModel::NameMatches("\x83\x5C", "\\"));
    EXPECT_TRUE(TArcFileListModel::NameMatches("x\x83\x41y", "\x83\x41Y"));
    EXPECT_FALSE(TArcFileListModel::NameMatches("\x82\x83\x41", "\x83\x41"));   // 0x8283 is one character
    EXPECT_TRUE(TArcFileListModel::NameMatches("ReadMe.TXT", "me.t"));
    EXPECT_TRUE(TArcFileListModel::NameMatches("abc", ""));
}

TEST_F(ExtractWindowTest, DragOutExtractsRelativeToTheFolderIntoAPrivateFolder)
{
    TFormViewer *form = Open(MakeSample());
    ASSERT_NE(form, nullptr);
    // Into docs: its rows are dragged as "guide.txt" and "sub", not "docs/...".
    form->SelectFolder(form->ArcData()->Data->Folders->FindByName("docs"));
    QCoreApplication::processEvents();
    SelectRows(form, {QStringLiteral("guide.txt"), QStringLiteral("sub")});
    const QStringList made = form->ExtractForDrag();
    ASSERT_EQ(made.size(), 2) << made.join(QLatin1Char(' ')).toStdString();
    QStringList names;
    for (const QString &m : made) {
        names << QFileInfo(m).fileName();
        EXPECT_TRUE(m.startsWith(work + QStringLiteral("/"))) << m.toStdString();
    }
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("guide.txt"), QStringLiteral("sub")}));
    const QString folder = QFileInfo(made[0]).absolutePath();
    EXPECT_EQ(ReadFile(folder + QStringLiteral("/sub/note.txt")), "note\r\n");
    EXPECT_EQ(ReadFile(folder + QStringLiteral("/guide.txt")), "guide\r\n");
}

TEST_F(ExtractWindowTest, DragOutOfHostileEntriesStaysInItsFolder)
{
    // "../escape.txt" and a link to a folder outside, as rows of the list.
    const QString src = tmp.filePath(QStringLiteral("hostile"));
    WriteFile(src + QStringLiteral("/escape.txt"), "escaped");
    WriteFile(src + QStringLiteral("/inner.txt"), "through link");
    const QString victim = tmp.filePath(QStringLiteral("victim"));
    QDir().mkpath(victim);
    QFile::link(victim, src + QStringLiteral("/link"));
    const QString archive = tmp.filePath(QStringLiteral("hostile.tar"));
    QProcess tar;
    tar.setWorkingDirectory(src);
    tar.start(QStringLiteral("bsdtar"), {QStringLiteral("-cf"), archive, QStringLiteral("-P"), QStringLiteral("-s"),
                                         QStringLiteral(",^escape,../escape,"), QStringLiteral("-s"),
                                         QStringLiteral(",^inner,link/inner,"), QStringLiteral("escape.txt"),
                                         QStringLiteral("link"), QStringLiteral("inner.txt")});
    ASSERT_TRUE(tar.waitForFinished(30000));
    ASSERT_EQ(tar.exitCode(), 0);
    TFormViewer *form = Open(archive);
    ASSERT_NE(form, nullptr);
    // Every row of every folder.
    std::function<void(TLxArcFolderItem *)> walk = [&](TLxArcFolderItem *folder) {
        form->SelectFolder(folder);
        QCoreApplication::processEvents();
        form->ListFileView->selectAll();
        form->ExtractForDrag();
        for (int i = 0; i < folder->Data->Folders->Count(); ++i)
            walk(folder->Data->Folders->Items(i));
    };
    walk(form->ArcData());
    EXPECT_TRUE(QDir(victim).isEmpty());
    EXPECT_FALSE(QFile::exists(tmp.filePath(QStringLiteral("escape.txt"))));
    EXPECT_FALSE(QFile::exists(work + QStringLiteral("/escape.txt")));
    EXPECT_FALSE(QFile::exists(work + QStringLiteral("/KelmoraTemp/escape.txt")));
}

TEST_F(ExtractWindowTest, CancelFromTheProgressWindowLeavesOnlyWholeFiles)
{
    // Enough bzip2 data that the progress window comes up well before the end.
    QMap<QString, QByteArray> files;
    uint32_t x = 7;
    for (int i = 0; i < 40; ++i) {
        QByteArray chunk(500'000, '\0');
        for (char &c : chunk) {
            x = x * 1103515245 + 12345;
            c = char(x >> 24);
        }
        files.insert(QStringLiteral("f%1.bin").arg(i, 2, 10, QLatin1Char('0')), chunk);
    }
    const QString src = tmp.filePath(QStringLiteral("src-many"));
    for (auto it = files.begin(); it != files.end(); ++it)
        WriteFile(src + QLatin1Char('/') + it.key(), it.value());
    const QString archive = tmp.filePath(QStringLiteral("many.tar.bz2"));
    QProcess tar;
    tar.setWorkingDirectory(src);
    tar.start(QStringLiteral("bsdtar"), {QStringLiteral("-cjf"), archive, QStringLiteral(".")});
    ASSERT_TRUE(tar.waitForFinished(60000));
    ASSERT_EQ(tar.exitCode(), 0);
    TFormViewer *form = Open(archive);
    ASSERT_NE(form, nullptr);
    const QString dest = tmp.filePath(QStringLiteral("out"));
    // Once the window shows a file or two done, its cancel button is pressed.
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *progress = dynamic_cast<TFormExtractProgress *>(w);
            if (!progress || !progress->isVisible())
                continue;
            seen = true;
            const QString text = progress->LabelEntries->text();
            if (text.startsWith(QStringLiteral("ファイル: ")) && !text.startsWith(QStringLiteral("ファイル: 0 ")))
                QTest::mouseClick(progress->ButtonCancel, Qt::LeftButton);
        }
    });
    poll.start(20);
    TExtractResult r = form->ExtractInto(dest, true);
    poll.stop();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(r.Cancelled);
    const QStringList made = QDir(dest).entryList(QDir::Files | QDir::Hidden);
    EXPECT_GE(made.size(), 1);
    EXPECT_LT(made.size(), 60);
    EXPECT_EQ(made.size(), r.Written);
    for (const QString &name : made)
        EXPECT_TRUE(ReadFile(dest + QLatin1Char('/') + name) == files.value(name)) << name.toStdString();
    // The closing report says the run stopped.
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.last().contains(QStringLiteral("中止")));
}

TEST(OverwriteQuestion, IsAskedOverTheProgressWindowWhileItShows)
{
    // A question asked over the tab would stand behind the progress window when it comes up.
    QWidget owner;
    owner.show();
    TExtractProgress progress;
    EXPECT_EQ(OverwriteQuestionParent(nullptr), nullptr);
    EXPECT_EQ(OverwriteQuestionParent(&owner), &owner);
    TFormExtractProgress window(&owner, progress);
    EXPECT_EQ(OverwriteQuestionParent(&owner), &window);
    EXPECT_TRUE(window.isVisible());
}

} // namespace
