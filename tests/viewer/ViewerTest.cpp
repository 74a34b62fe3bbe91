// The main window and its archive tabs, through the real widgets and the archiver libraries
// of the build, on archives made here with zip and gcab.
#include "Source/LxPnGlobalState.h"
#include "Source/MainFrm.h"
#include "Source/TextViewFrm.h"
#include "Source/ArcFileListModel.h"
#include "Source/ArcFolderTreeModel.h"
#include "Source/LxPnGlobalProcs.h"
#include "Source/ListMouseFilter.h"
#include "Source/LxPnViewer.h"
#include "Source/ViewerFrm.h"
#include "LxContextPopup.h"
#include "LxMRUManager.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QFrame>
#include <QLabel>
#include <QScrollBar>
#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>

// Receives what the desktop would be asked to open.
class OpenRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

namespace {

using tovik::platform::MessageKind;

QString Library(const char *name) { return QStringLiteral(TOVIK_ARCHIVER_BUILD_DIR "/") + QLatin1String(name); }

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class ViewerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        qputenv("TOVIK_ARCHIVERS", TOVIK_ARCHIVER_BUILD_DIR);
        work = tmp.filePath(QStringLiteral("work"));
        ASSERT_TRUE(QDir().mkpath(work));
        const QString ini = tmp.filePath(QStringLiteral("tovik.ini"));
        WriteFile(ini, QStringLiteral("[General]\nWorkFolder=%1\nUseSound=True\nMsgSound=msg.wav\nClkSound=clk.wav\n"
                                      "FormPosLoad=False\n")
                           .arg(work)
                           .toUtf8());
        qputenv("TOVIK_INI", QFile::encodeName(ini));
        state = std::make_unique<TAppGlobalState>();
        state->SetSoundSink([this](const QString &file) { sounds << file; });
        tovik::platform::SetMessageInterceptor(
            [this](const QString &text, MessageKind, QMessageBox::StandardButtons) {
                messages << text;
                return answer;
            });
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
    }

    void TearDown() override
    {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        tovik::platform::SetMessageInterceptor(nullptr);
        state.reset();
    }

    // Makes a ZIP of the given files (name -> contents) with Info-ZIP.
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
        EXPECT_EQ(zip.exitCode(), 0) << zip.readAllStandardError().toStdString();
        return archive;
    }

    QString MakeSampleZip(const QString &name = QStringLiteral("sample.zip"))
    {
        QByteArray exe("MZ\x90\x00\x03\x00\x00\x00", 8);
        exe.append(200, '\x01');
        return MakeZip(name, {{QStringLiteral("readme.txt"), "hello\r\n"},
                              {QStringLiteral("prog.exe"), exe},
                              {QStringLiteral("empty.txt"), QByteArray()},
                              {QStringLiteral("docs/guide.txt"), "guide\r\n"},
                              {QStringLiteral("docs/sub/note.txt"), "note text\r\n"}});
    }

    void OpenWindow(const QStringList &args)
    {
        window = std::make_unique<TFormMain>(args);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    TFormViewer *Form(int tab) const
    {
        QWidget *page = window->PageControl1->widget(tab);
        return page ? page->findChild<TFormViewer *>() : nullptr;
    }

    static int RowOf(TFormViewer *form, const char *name)
    {
        for (int r = 0; r < form->ListModel->rowCount(); ++r)
            if (form->ListModel->CellText(r, 0) == name)
                return r;
        return -1;
    }

    static void SelectRow(TFormViewer *form, int row)
    {
        ASSERT_GE(row, 0);
        const QModelIndex index = form->ListModel->index(row, 0);
        form->ListFileView->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    static void SelectFolder(TFormViewer *form, const QString &path)
    {
        const QAbstractItemModel *tree = form->TreeModel;
        QModelIndex node = tree->index(0, 0);
        for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            QModelIndex next;
            for (int i = 0; node.isValid() && i < tree->rowCount(node); ++i)
                if (tree->index(i, 0, node).data().toString() == part)
                    next = tree->index(i, 0, node);
            node = next;
        }
        ASSERT_TRUE(node.isValid()) << path.toStdString();
        form->TreeArcFile->setCurrentIndex(node);
    }

    // Closes the next modal window that opens (within a few seconds) and reports its title.
    QString CloseNextModal(const std::function<void()> &action)
    {
        QString title;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                title = modal->windowTitle();
                if (auto *view = qobject_cast<QDialog *>(modal))
                    view->reject();
                else
                    modal->close();
            }
        });
        poll.start();
        action();
        return title;
    }

    int Count(const QString &sound) const { return static_cast<int>(sounds.count(sound)); }

    QTemporaryDir tmp;
    QString work;
    std::unique_ptr<TAppGlobalState> state;
    std::unique_ptr<TFormMain> window;
    QStringList messages;
    QStringList sounds;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    OpenRecorder opened;
};

// The libraries are built with the program: one missing is a failure, not a reason to skip.
#define REQUIRE_LIBRARY(name) ASSERT_TRUE(QFileInfo::exists(Library(name))) << name " is not built"

TEST_F(ViewerTest, CommandLineOpensEachArchiveInItsTabAndFindsOpenOnesAgain)
{
    REQUIRE_LIBRARY("unzip32.so");
    const QString a = MakeSampleZip(QStringLiteral("a.zip"));
    const QString b = MakeSampleZip(QStringLiteral("b.zip"));
    OpenWindow({a, b});

    ASSERT_EQ(window->PageControl1->count(), 2);
    EXPECT_EQ(window->PageControl1->currentIndex(), 1);
    EXPECT_EQ(window->PageControl1->tabText(0), a);
    EXPECT_EQ(window->ViewerFactory()->Count(), 2);
    // Sounds are held back while the batch runs; one message sound follows it.
    EXPECT_EQ(Count(QStringLiteral("msg.wav")), 1);
    EXPECT_EQ(Count(QStringLiteral("clk.wav")), 0);
    EXPECT_TRUE(messages.isEmpty());

    // The tree holds the archive's folders; the list its root folder.
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->TreeModel->index(0, 0).data().toString(), QStringLiteral("a.zip"));
    EXPECT_EQ(form->TreeModel->rowCount(form->TreeModel->index(0, 0)), 1);
    EXPECT_EQ(form->ListModel->rowCount(), 4);   // docs, then three files
    EXPECT_EQ(form->ListModel->ImageIndex(0), 0);

    // Bringing a tab to the front by its tab makes it the one the commands act on.
    EXPECT_EQ(window->ViewerFactory()->CurrentViewer().get(), static_cast<IPnViewer *>(Form(1)->Viewer.get()));
    QTabBar *bar = window->PageControl1->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    EXPECT_EQ(window->PageControl1->currentIndex(), 0);
    EXPECT_EQ(window->ViewerFactory()->CurrentViewer().get(), static_cast<IPnViewer *>(Form(0)->Viewer.get()));
    window->PageControl1->setCurrentIndex(1);

    // The same file by another spelling (relative, through "..", through a link) comes to
    // the front instead of opening again.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(tmp.path());
    window->DoOpenFile(QStringLiteral("src-a.zip/../a.zip"));
    QDir::setCurrent(cwd);
    EXPECT_EQ(window->PageControl1->count(), 2);
    EXPECT_EQ(window->PageControl1->currentIndex(), 0);
    ASSERT_TRUE(QFile::link(b, tmp.filePath(QStringLiteral("link.zip"))));
    window->OpenFiles({tmp.filePath(QStringLiteral("link.zip"))});
    EXPECT_EQ(window->PageControl1->count(), 2);
    EXPECT_EQ(window->PageControl1->currentIndex(), 1);
    // A name differing in letter case is another file on Linux.
    QFile::copy(a, tmp.filePath(QStringLiteral("A.zip")));
    window->OpenFiles({tmp.filePath(QStringLiteral("A.zip"))});
    EXPECT_EQ(window->PageControl1->count(), 3);
}

TEST_F(ViewerTest, DroppedFilesAndHistoryOpenTabsToo)
{
    REQUIRE_LIBRARY("unzip32.so");
    const QString a = MakeSampleZip(QStringLiteral("a.zip"));
    const QString b = MakeSampleZip(QStringLiteral("b.zip"));
    OpenWindow({});
    ASSERT_TRUE(window->acceptDrops());

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(window->PageControl1->count(), 2);
    EXPECT_EQ(window->PageControl1->currentIndex(), 1);
    EXPECT_EQ(Count(QStringLiteral("msg.wav")), 1);
    // Dropped files join the history, the last one first.
    EXPECT_EQ(window->OpenDialog1->History(), (QStringList{b, a}));

    // Choosing a history entry of an open archive brings its tab forward ...
    QAction *entryA = nullptr;
    for (QAction *action : window->MenuReopen->actions())
        if (action->text().contains(QStringLiteral("a.zip")))
            entryA = action;
    ASSERT_NE(entryA, nullptr);
    entryA->trigger();
    EXPECT_EQ(window->PageControl1->count(), 2);
    EXPECT_EQ(window->PageControl1->currentIndex(), 0);
    // ... and of a closed one opens it again, with the message sound.
    Form(0)->Viewer->Close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->PageControl1->count() == 1; }));
    for (QAction *action : window->MenuReopen->actions())
        if (action->text().contains(QStringLiteral("a.zip")))
            action->trigger();
    EXPECT_EQ(window->PageControl1->count(), 2);
    EXPECT_EQ(window->PageControl1->tabText(window->PageControl1->currentIndex()), a);
    EXPECT_EQ(Count(QStringLiteral("msg.wav")), 2);
}

TEST_F(ViewerTest, ToolsFollowTheFocusedTab)
{
    REQUIRE_LIBRARY("unzip32.so");
    OpenWindow({});
    auto disabled = [this] {
        return !window->ActUpper->isEnabled() && !window->ActDitailShow->isEnabled() &&
               !window->ActIconShow->isEnabled() && !window->ActUnZipMemory->isEnabled() &&
               !window->ActUnZipDisk->isEnabled() && !window->LxGBCloseFile->isEnabled();
    };
    EXPECT_TRUE(disabled());
    EXPECT_TRUE(window->ActOpenArcFile->isEnabled());
    EXPECT_TRUE(window->ActArcInfoDisp->isEnabled());
    EXPECT_TRUE(window->ActVersionInfo->isEnabled());
    EXPECT_EQ(window->ActUnZipMemory->toolTip(), QStringLiteral("ファイルをメモリーに展開して組込ビューアで開きます"));

    window->OpenFiles({MakeSampleZip()});
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->LxGBCloseFile->isEnabled(); }));
    EXPECT_FALSE(window->ActDitailShow->isEnabled());   // details already
    EXPECT_TRUE(window->ActIconShow->isEnabled());
    EXPECT_FALSE(window->ActUpper->isEnabled());        // at the root
    EXPECT_FALSE(window->ActUnZipMemory->isEnabled());  // nothing selected

    SelectRow(form, RowOf(form, "readme.txt"));
    EXPECT_TRUE(window->ActUnZipMemory->isEnabled());
    EXPECT_TRUE(window->ActUnZipDisk->isEnabled());
    window->ActIconShow->trigger();
    EXPECT_TRUE(window->ActDitailShow->isEnabled());
    EXPECT_FALSE(window->ActIconShow->isEnabled());
    window->ActDitailShow->trigger();
    SelectFolder(form, QStringLiteral("docs/sub"));
    EXPECT_TRUE(window->ActUpper->isEnabled());
    window->ActUpper->trigger();
    EXPECT_EQ(form->CurrentFolderCaption(), QStringLiteral("docs"));

    // Focus leaving the tab leaves no tab to act on.
    QApplication::focusWidget()->clearFocus();
    EXPECT_TRUE(disabled());

    // The close button closes the focused tab.
    form->TreeArcFile->setFocus();
    ASSERT_TRUE(window->LxGBCloseFile->isEnabled());
    QTest::mouseClick(window->LxGBCloseFile, Qt::LeftButton);
    EXPECT_EQ(window->ViewerFactory()->Count(), 0);
    EXPECT_TRUE(disabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->PageControl1->count() == 0; }));
    // Opened again right away, it gets a tab of its own.
    window->OpenFiles({tmp.filePath(QStringLiteral("sample.zip"))});
    window->LxGBCloseFile->click();
    window->OpenFiles({tmp.filePath(QStringLiteral("sample.zip"))});
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->PageControl1->count() == 1; }));
    EXPECT_EQ(window->ViewerFactory()->Count(), 1);
}

TEST_F(ViewerTest, UnsupportedFormatIsReportedAndItsTabCloses)
{
    const QString odd = tmp.filePath(QStringLiteral("notes.xyz"));
    WriteFile(odd, "not an archive");
    OpenWindow({odd});
    EXPECT_EQ(messages, QStringList{QStringLiteral("この形式には対応していません")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->PageControl1->count() == 0; }));
    EXPECT_EQ(window->ViewerFactory()->Count(), 0);
}

TEST_F(ViewerTest, DoubleClickOnFolderRowEntersItAndOpensNothing)
{
    REQUIRE_LIBRARY("unzip32.so");
    OpenWindow({MakeSampleZip()});
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    const int docs = RowOf(form, "docs");
    ASSERT_EQ(docs, 0);
    const QRect rect = form->ListFileView->visualRect(form->ListModel->index(docs, 0));
    const QString modal = CloseNextModal([&] {
        // The folder is entered between the two clicks, as it is at a person's pace.
        QTest::mouseClick(form->ListFileView->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::qWait(50);
        QTest::mouseDClick(form->ListFileView->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::qWait(50);
    });
    EXPECT_TRUE(modal.isEmpty()) << modal.toStdString();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(form->CurrentFolderCaption(), QStringLiteral("docs"));
    EXPECT_EQ(RowOf(form, "guide.txt"), 1);
}

TEST(ListMouseFilter, PressOnASelectionKeepsItForTheDragAndAClickChoosesOneRow)
{
    TLxArcData data;
    for (const char *name : {"a.txt", "b.txt", "c.txt"}) {
        TLxPackedItem *item = data.Data->Entries->Add();
        item->Name = item->Path = name;
    }
    TArcFileListModel model;
    model.SetFolder(data.Data.get(), nullptr, nullptr);
    QTreeView view;
    view.setModel(&model);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto selected = [&] {
        QList<int> rows;
        for (const QModelIndex &row : view.selectionModel()->selectedRows())
            rows << row.row();
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    int drags = 0;
    QList<int> dragged;
    TListMouseFilter filter(&model, [&] {
        ++drags;
        dragged = selected();
    }, nullptr);
    filter.Watch(&view);
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    auto select = [&](int first, int last) {
        view.selectionModel()->select(QItemSelection(model.index(first, 0), model.index(last, 0)),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    };
    const QPoint b = view.visualRect(model.index(1, 0)).center();
    const QPoint far = b + QPoint(QApplication::startDragDistance() + 1, 0);

    // Pressed on one of two selected rows, both stay chosen; let go without a drag, the row
    // alone is.
    select(0, 1);
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, b);
    EXPECT_EQ(selected(), (QList<int>{0, 1}));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, b);
    EXPECT_EQ(selected(), QList<int>{1});
    EXPECT_EQ(drags, 0);

    // Moved far enough from the press, the drag starts once, with both rows chosen.
    select(0, 1);
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, b);
    QTest::mouseMove(view.viewport(), b + QPoint(1, 0));
    EXPECT_EQ(drags, 0);
    QTest::mouseMove(view.viewport(), far);
    QTest::mouseMove(view.viewport(), far + QPoint(10, 0));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, far);
    EXPECT_EQ(drags, 1);
    EXPECT_EQ(dragged, (QList<int>{0, 1}));

    // A press with Ctrl, or on a row not chosen, arms nothing.
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::ControlModifier, b);
    QTest::mouseMove(view.viewport(), far);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::ControlModifier, far);
    select(0, 0);
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, b);
    QTest::mouseMove(view.viewport(), far);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, far);
    EXPECT_EQ(drags, 1);
}

TEST_F(ViewerTest, MemoryExtractionShowsTextOrSaysWhyNot)
{
    REQUIRE_LIBRARY("unzip32.so");
    OpenWindow({MakeSampleZip()});
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    auto open = [&](const char *name) {
        SelectRow(form, RowOf(form, name));
        return CloseNextModal([&] { form->Viewer->OpenInMemory(); });
    };

    EXPECT_TRUE(open("prog.exe").isEmpty());
    EXPECT_TRUE(open("empty.txt").isEmpty());
    EXPECT_EQ(messages, (QStringList{QStringLiteral("実行形式ファイルが選択されました\n内容の閲覧はできません"),
                                     QStringLiteral("メモリ展開したデータがありませんでした\n内容の閲覧はできません")}));
    // Each box came with the message sound.
    EXPECT_EQ(Count(QStringLiteral("msg.wav")), 1 + 2);

    messages.clear();
    EXPECT_EQ(open("readme.txt"), QStringLiteral("テキストビューア [readme.txt]"));
    EXPECT_TRUE(messages.isEmpty());
    // Double-clicking a file row opens it the same way, with the click sound.
    SelectFolder(form, QStringLiteral("docs/sub"));
    QApplication::processEvents();
    const QRect rect = form->ListFileView->visualRect(form->ListModel->index(0, 0));
    ASSERT_TRUE(rect.isValid());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    form->ListFileView->setFocus();
    ASSERT_TRUE(window->ViewerFactory()->CurrentViewerTools());
    const int clicks = Count(QStringLiteral("clk.wav"));
    const QString title = CloseNextModal([&] {
        QTest::mouseClick(form->ListFileView->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(form->ListFileView->viewport(), Qt::LeftButton, {}, rect.center());
    });
    EXPECT_EQ(title, QStringLiteral("テキストビューア [docs/sub/note.txt]"));
    EXPECT_GT(Count(QStringLiteral("clk.wav")), clicks);
}

// The CAB and 7z libraries of the build extract into memory, so their texts read in the
// viewer like any other (a library without it keeps its refusal: see the wrapper tests).
TEST_F(ViewerTest, MemoryExtractionReadsCabAndSevenZipEntries)
{
    REQUIRE_LIBRARY("cab32.so");
    REQUIRE_LIBRARY("7-zip32.so");
    const QString src = tmp.filePath(QStringLiteral("cabsrc"));
    WriteFile(src + QStringLiteral("/hello.txt"), "hello\r\n");
    const QString cab = tmp.filePath(QStringLiteral("x.cab"));
    QProcess gcab;
    gcab.setWorkingDirectory(src);
    gcab.start(QStringLiteral("gcab"), {QStringLiteral("-c"), cab, QStringLiteral("hello.txt")});
    ASSERT_TRUE(gcab.waitForFinished(30000));
    ASSERT_EQ(gcab.exitCode(), 0);
    const QString sevenZip = tmp.filePath(QStringLiteral("x.7z"));
    QProcess zz;
    zz.setWorkingDirectory(src);
    zz.start(QStringLiteral("7zz"), {QStringLiteral("a"), QStringLiteral("-bd"), sevenZip, QStringLiteral("hello.txt")});
    ASSERT_TRUE(zz.waitForFinished(30000));
    ASSERT_EQ(zz.exitCode(), 0);
    OpenWindow({cab, sevenZip});
    for (int tab : {0, 1}) {
        TFormViewer *form = Form(tab);
        ASSERT_NE(form, nullptr);
        SelectRow(form, RowOf(form, "hello.txt"));
        EXPECT_EQ(CloseNextModal([&] { form->Viewer->OpenInMemory(); }), QStringLiteral("テキストビューア [hello.txt]"));
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
}

TEST_F(ViewerTest, DiskExtractionAsksThenExtractsFlatIntoThePrivateFolder)
{
    REQUIRE_LIBRARY("unzip32.so");
    OpenWindow({MakeSampleZip()});
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    SelectFolder(form, QStringLiteral("docs/sub"));
    SelectRow(form, RowOf(form, "note.txt"));
    const QString dest = work + QStringLiteral("/KelmoraTemp");

    answer = QMessageBox::No;
    form->Viewer->OpenOnDisk();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("このファイルを\n%1\nに解凍して関連付けられたアプリケーションで開きます。\n\n"
                                          "セキュリティは保証されません。\n\n実行しますか？")
                               .arg(work));
    EXPECT_FALSE(QFileInfo::exists(dest));
    EXPECT_TRUE(opened.urls.isEmpty());

    answer = QMessageBox::Yes;
    messages.clear();
    form->Viewer->OpenOnDisk();
    EXPECT_EQ(messages.size(), 1);   // the question only
    QFile note(dest + QStringLiteral("/note.txt"));
    ASSERT_TRUE(note.open(QIODevice::ReadOnly));
    EXPECT_EQ(note.readAll(), QByteArray("note text\r\n"));
    EXPECT_FALSE(QFileInfo::exists(dest + QStringLiteral("/docs")));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(dest).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls[0], QUrl::fromLocalFile(dest + QStringLiteral("/note.txt")));

    // At the end of the program the folder goes with everything in it.
    RemoveExtractFolder();
    EXPECT_FALSE(QFileInfo::exists(dest));
}

TEST_F(ViewerTest, HostileExtractionFolderIsRefusedAndKept)
{
    REQUIRE_LIBRARY("unzip32.so");
    OpenWindow({MakeSampleZip()});
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    SelectRow(form, RowOf(form, "readme.txt"));
    const QString target = tmp.filePath(QStringLiteral("victim"));
    ASSERT_TRUE(QDir().mkpath(target));
    WriteFile(target + QStringLiteral("/keep.txt"), "keep");
    ASSERT_TRUE(QFile::link(target, work + QStringLiteral("/KelmoraTemp")));

    form->Viewer->OpenOnDisk();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1], QStringLiteral("作業用フォルダが作成できませんでした"));
    EXPECT_FALSE(QFileInfo::exists(target + QStringLiteral("/readme.txt")));
    EXPECT_TRUE(opened.urls.isEmpty());

    RemoveExtractFolder();
    EXPECT_TRUE(QFileInfo(work + QStringLiteral("/KelmoraTemp")).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral("/keep.txt")));
}

TEST_F(ViewerTest, NoWorkFolderSettingRefusesWithoutAsking)
{
    REQUIRE_LIBRARY("unzip32.so");
    const QString archive = MakeSampleZip();
    AppIniData()->Item(SettingKeys::General::WorkFolder)->SetDefault(QString());
    OpenWindow({archive});
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    SelectRow(form, RowOf(form, "readme.txt"));
    form->Viewer->OpenOnDisk();
    EXPECT_EQ(messages, QStringList{QStringLiteral("作業用フォルダが作成できませんでした")});
}

TEST_F(ViewerTest, HeadingClicksSortAscendingThenDescending)
{
    REQUIRE_LIBRARY("unzip32.so");
    QByteArray big(1000000, 'x');
    for (int i = 0; i < big.size(); i += 7)
        big[i] = char('a' + i % 26);
    OpenWindow({MakeZip(QStringLiteral("sizes.zip"), {{QStringLiteral("a.bin"), QByteArray(1200, 'a')},
                                                       {QStringLiteral("B.bin"), "12345"},
                                                       {QStringLiteral("c.bin"), big},
                                                       {QStringLiteral("d.bin"), QByteArray(30, 'd')},
                                                       {QStringLiteral("zdir/inner.txt"), "in"}})});
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    QHeaderView *header = form->ListFileView->header();
    auto clickHeading = [&](int column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
    };
    auto names = [&] {
        QStringList out;
        for (int r = 0; r < form->ListModel->rowCount(); ++r)
            out << QString::fromStdString(form->ListModel->CellText(r, 0));
        return out;
    };

    EXPECT_EQ(header->sectionSize(0), 150);
    EXPECT_EQ(form->ListModel->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("オリジナルサイズ"));
    clickHeading(1);
    // The folder row has no size text and comes first.
    EXPECT_EQ(names(), (QStringList{"zdir", "B.bin", "d.bin", "a.bin", "c.bin"}));
    EXPECT_EQ(form->ListModel->CellText(4, 1), " 1,000,000");
    clickHeading(1);
    EXPECT_EQ(names(), (QStringList{"c.bin", "a.bin", "d.bin", "B.bin", "zdir"}));
    // Another column starts ascending; names compare without regard to A-Z case.
    clickHeading(0);
    EXPECT_EQ(names(), (QStringList{"a.bin", "B.bin", "c.bin", "d.bin", "zdir"}));
    // The selection stays on its entry through a sort.
    SelectRow(form, RowOf(form, "c.bin"));
    clickHeading(0);
    EXPECT_EQ(form->SelectedEntry()->Name, "c.bin");
}

TEST_F(ViewerTest, RootOfTreeOffersDesktopMenuForTheArchiveOnly)
{
    REQUIRE_LIBRARY("unzip32.so");
    const QString archive = MakeSampleZip();
    OpenWindow({archive});
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    QTreeView *tree = form->TreeArcFile;
    const QPoint rootPos = tree->visualRect(form->TreeModel->index(0, 0)).center();
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, rootPos);
    QMenu *menu = form->LxContextPopup1()->Menu();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(menu->isVisible());
    QStringList captions;
    for (QAction *a : menu->actions())
        captions << a->text();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("既定のアプリケーションで開く"), QStringLiteral("フォルダを開く"),
                                     QStringLiteral("パスをコピー")}));
    menu->actions().at(0)->trigger();
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls[0], QUrl::fromLocalFile(archive));
    menu->close();

    // A sub-folder gets no menu.
    SelectFolder(form, QStringLiteral("docs"));
    QMenu *before = form->LxContextPopup1()->Menu();
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualRect(tree->currentIndex()).center());
    EXPECT_EQ(form->LxContextPopup1()->Menu(), before);
    EXPECT_FALSE(before->isVisible());
}

TEST_F(ViewerTest, ToolkitDialogsSpeakJapanese)
{
    ASSERT_TRUE(InstallToolkitTranslations()) << "Qt's Japanese translations are not installed";
    QMessageBox box(QMessageBox::Warning, QStringLiteral("t"), QStringLiteral("?"), QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().contains(QStringLiteral("はい"))) << box.button(QMessageBox::Yes)->text().toStdString();
    EXPECT_TRUE(box.button(QMessageBox::No)->text().contains(QStringLiteral("いいえ")));

    // The open dialog's own labels and buttons.
    QFileDialog dialog(nullptr, QStringLiteral("t"), tmp.path());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QStringList english;
    for (QLabel *label : dialog.findChildren<QLabel *>())
        if (label->text() == QLatin1String("Look in:") || label->text() == QLatin1String("File &name:"))
            english << label->text();
    for (QAbstractButton *button : dialog.findChildren<QAbstractButton *>())
        if (button->text() == QLatin1String("&Open") || button->text() == QLatin1String("Cancel"))
            english << button->text();
    EXPECT_TRUE(english.isEmpty()) << english.join(QLatin1Char(',')).toStdString();

    // A text field's right-click menu.
    QLineEdit field;
    std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    ASSERT_FALSE(menu->actions().isEmpty());
    EXPECT_NE(menu->actions().first()->text(), QStringLiteral("&Undo"));
}

TEST_F(ViewerTest, DeepTreeIsReachableByKeyboardAndScrollsSideways)
{
    REQUIRE_LIBRARY("unzip32.so");
    QString deep;
    for (int level = 1; level <= 60; ++level)
        deep += QStringLiteral("level%1/").arg(level, 2, 10, QLatin1Char('0'));
    OpenWindow({MakeZip(QStringLiteral("deep.zip"), {{deep + QStringLiteral("bottom.txt"), "bottom"}})});
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    QTreeView *tree = form->TreeArcFile;
    tree->setFocus();
    ASSERT_EQ(form->CurrentFolderCaption(), QStringLiteral("deep.zip"));
    // Down walks one level deeper each time (selecting opens the branch) and never jumps back.
    for (int level = 1; level <= 60; ++level) {
        QTest::keyClick(tree, Qt::Key_Down);
        ASSERT_EQ(form->CurrentFolderCaption(), QStringLiteral("level%1").arg(level, 2, 10, QLatin1Char('0')));
    }
    EXPECT_EQ(form->ListModel->CellText(0, 0), "bottom.txt");
    // The deepest rows lie beyond the tree's width: it scrolls sideways to the selected one,
    // and a click reaches its neighbours.
    QApplication::processEvents();
    EXPECT_GT(tree->horizontalScrollBar()->maximum(), 0);
    const QModelIndex bottom = tree->currentIndex();
    EXPECT_TRUE(tree->viewport()->rect().contains(tree->visualRect(bottom).topLeft()));
    const QModelIndex above = bottom.parent();
    const QRect rect = tree->visualRect(above);
    ASSERT_TRUE(tree->viewport()->rect().intersects(rect));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(form->CurrentFolderCaption(), QStringLiteral("level59"));
    // Backspace goes up, one level at a time.
    QTest::keyClick(tree, Qt::Key_Backspace);
    EXPECT_EQ(form->CurrentFolderCaption(), QStringLiteral("level58"));
}

TEST_F(ViewerTest, EnterOpensAndBackspaceGoesUp)
{
    REQUIRE_LIBRARY("unzip32.so");
    OpenWindow({MakeSampleZip()});
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    form->ListFileView->setFocus();
    SelectRow(form, RowOf(form, "readme.txt"));
    const QString title = CloseNextModal([&] { QTest::keyClick(form->ListFileView, Qt::Key_Return); });
    EXPECT_EQ(title, QStringLiteral("テキストビューア [readme.txt]"));

    SelectFolder(form, QStringLiteral("docs/sub"));
    form->ListFileView->setFocus();
    QTest::keyClick(form->ListFileView, Qt::Key_Backspace);
    EXPECT_EQ(form->CurrentFolderCaption(), QStringLiteral("docs"));
    // Enter on a folder row enters it.
    SelectRow(form, RowOf(form, "sub"));
    QTest::keyClick(form->ListFileView, Qt::Key_Enter, Qt::KeypadModifier);
    QApplication::processEvents();
    EXPECT_EQ(form->CurrentFolderCaption(), QStringLiteral("sub"));
    // In the icon view as well.
    window->ActIconShow->trigger();
    QTest::keyClick(form->IconFileView, Qt::Key_Backspace);
    EXPECT_EQ(form->CurrentFolderCaption(), QStringLiteral("docs"));
}

TEST_F(ViewerTest, EmptyFolderShowsInTreeAndList)
{
    REQUIRE_LIBRARY("unzip32.so");
    const QString src = tmp.filePath(QStringLiteral("src-empty"));
    ASSERT_TRUE(QDir().mkpath(src + QStringLiteral("/nothing/inner")));
    WriteFile(src + QStringLiteral("/a.txt"), "a");
    const QString archive = tmp.filePath(QStringLiteral("empty.zip"));
    QProcess zip;
    zip.setWorkingDirectory(src);
    zip.start(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-r"), archive, QStringLiteral(".")});
    ASSERT_TRUE(zip.waitForFinished(30000));
    OpenWindow({archive});
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    const int row = RowOf(form, "nothing");
    ASSERT_GE(row, 0);
    EXPECT_EQ(form->ListModel->ImageIndex(row), 0);
    for (int column = 1; column <= 3; ++column)
        EXPECT_EQ(form->ListModel->CellText(row, column), "") << column;
    SelectFolder(form, QStringLiteral("nothing/inner"));
    EXPECT_EQ(form->CurrentFolderCaption(), QStringLiteral("inner"));
    EXPECT_EQ(form->ListModel->rowCount(), 0);
}

TEST_F(ViewerTest, ColumnsCaptionsAndButtonsShowWhatTheyHold)
{
    REQUIRE_LIBRARY("unzip32.so");
    // A long path with "&" in the name: the tab shows the name whole and the "&" as it is.
    const QString folder = tmp.filePath(QStringLiteral("a-rather-long-folder-name-for-a-tab/") + QString(60, QLatin1Char('x')));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString archive = folder + QStringLiteral("/R&D-README-LONGNAME.zip");
    ASSERT_TRUE(QFile::copy(MakeZip(QStringLiteral("names.zip"),
                                    {{QStringLiteral("README-WITH-A-LONG-NAME.TXT"), QByteArray(300, 'x')}}),
                            archive));
    OpenWindow({archive});
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    QTabBar *bar = window->PageControl1->tabBar();
    EXPECT_EQ(bar->tabText(0), QString(archive).replace(QStringLiteral("&"), QStringLiteral("&&")));
    const QFontMetrics tabMetrics(bar->font());
    EXPECT_GE(bar->tabRect(0).width(), 2 * tabMetrics.horizontalAdvance(QStringLiteral("/R&D-README-LONGNAME.zip")));
    EXPECT_LE(bar->tabRect(0).width(), window->width());

    // The rate column holds its widest text, "100.0%", without cutting it.
    const int row = RowOf(form, "README-WITH-A-LONG-NAME.TXT");
    ASSERT_GE(row, 0);
    const int rateWidth = form->ListFileView->fontMetrics().horizontalAdvance(QStringLiteral("100.0%"));
    EXPECT_GE(form->ListFileView->header()->sectionSize(3), rateWidth + 8);

    // Icon view: the long name wraps under its picture onto more than one line.
    window->ActIconShow->trigger();
    QApplication::processEvents();
    const QRect cell = form->IconFileView->visualRect(form->ListModel->index(row, 0));
    const int line = form->IconFileView->fontMetrics().lineSpacing();
    EXPECT_GE(cell.height(), 32 + 2 * line);
    EXPECT_LE(cell.width(), form->IconFileView->gridSize().width());

    // A disabled toolbar button is visibly fainter than the same button enabled.
    auto *up = qobject_cast<QToolButton *>(window->LxPanelEX1->widgetForAction(window->ActUpper));
    ASSERT_NE(up, nullptr);
    auto ink = [](const QImage &picture) {
        const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
        qint64 sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                sum += qAlpha(image.pixel(x, y)) * (255 - qGray(image.pixel(x, y)));
        return sum;
    };
    const QIcon icon = window->ActUpper->icon();
    const qint64 enabled = ink(icon.pixmap(QSize(24, 24), QIcon::Normal).toImage());
    const qint64 disabled = ink(icon.pixmap(QSize(24, 24), QIcon::Disabled).toImage());
    EXPECT_FALSE(window->ActUpper->isEnabled());
    EXPECT_LT(disabled * 2, enabled);
}

// A ZIP of count small stored entries, written with Python's zipfile (fast for many entries).
QString MakeManyEntryZip(const QString &path, int count)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, zipfile\n"
                                 "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                 "    for i in range(int(sys.argv[2])):\n"
                                 "        z.writestr('dir%03d/entry-with-a-long-name-%06d.txt' % (i % 500, i), b'x')\n"),
                  path, QString::number(count)});
    EXPECT_TRUE(python.waitForFinished(120000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return path;
}

TEST_F(ViewerTest, LongListingShowsProgressAndCanBeCancelled)
{
    REQUIRE_LIBRARY("unzip32.so");
    const QString archive = MakeManyEntryZip(tmp.filePath(QStringLiteral("many.zip")), 100000);
    OpenWindow({});

    // The window goes on answering while the archive is listed; after a moment the tab
    // shows how many entries it has read, and the listing can be cancelled.
    QString shown;
    QString captionWhileListing;
    int ticks = 0;
    QTimer watch;
    watch.setInterval(50);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        ++ticks;
        TFormViewer *form = window->PageControl1->count() ? Form(0) : nullptr;
        // The count grows while the library is still opening the archive.
        if (form && shown.isEmpty() && form->NoticeBar->isVisible() &&
            form->NoticeBar->CancelButton->isVisible() && form->NoticeBar->NoticeText->text().contains(QStringLiteral("件")) &&
            !form->NoticeBar->NoticeText->text().endsWith(QStringLiteral(" 0 件"))) {
            shown = form->NoticeBar->NoticeText->text();
            captionWhileListing = window->PageControl1->tabText(0);
            QTest::keyClick(form, Qt::Key_Escape);
        }
    });
    watch.start();
    window->OpenFiles({archive});
    watch.stop();
    EXPECT_GT(ticks, 3);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("書庫を読んでいます…"))) << shown.toStdString();
    EXPECT_EQ(captionWhileListing, archive);
    // Cancelled, the tab is as after a failed open: the archive's name only, and why.
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->TreeModel->rowCount(form->TreeModel->index(0, 0)), 0);
    EXPECT_EQ(form->CurrentFolderCaption(), QStringLiteral("many.zip"));
    EXPECT_EQ(form->ListModel->rowCount(), 0);
    EXPECT_TRUE(form->NoticeBar->isVisible());
    EXPECT_EQ(form->NoticeBar->NoticeText->text(), QStringLiteral("書庫を開けませんでした（読み込みを中止しました）"));
    EXPECT_FALSE(form->NoticeBar->CancelButton->isVisible());
    EXPECT_TRUE(messages.isEmpty());

    // Not cancelled, the same archive lists in full while the window keeps answering.
    // (A cancel that came after the library's last progress call leaves the listing in the
    // library's cache; a new time makes it read the archive again.)
    ticks = 0;
    watch.start();
    form->Viewer->Close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->PageControl1->count() == 0; }));
    {
        QFile file(archive);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    }
    window->OpenFiles({archive});
    watch.stop();
    form = Form(0);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->ArcData()->EntryCount, 100000);
    EXPECT_EQ(form->TreeModel->rowCount(form->TreeModel->index(0, 0)), 500);
    EXPECT_FALSE(form->NoticeBar->isVisible());
    EXPECT_GT(ticks, 3);
}

TEST_F(ViewerTest, FailedOpensSayWhyInsideTheTab)
{
    REQUIRE_LIBRARY("unzip32.so");
    const QString missing = tmp.filePath(QStringLiteral("gone.zip"));
    const QString fake = tmp.filePath(QStringLiteral("notes.zip"));
    WriteFile(fake, "this is plain text, not a zip archive\n");
    OpenWindow({missing, fake});
    ASSERT_EQ(window->PageControl1->count(), 2);
    EXPECT_TRUE(messages.isEmpty());   // no message box: the tab says it
    // (The first tab is behind the second: its strip is shown within it.)
    EXPECT_TRUE(Form(0)->NoticeBar->isVisibleTo(Form(0)));
    EXPECT_EQ(Form(0)->NoticeBar->NoticeText->text(), QStringLiteral("書庫を開けませんでした（ファイルがありません）"));
    EXPECT_TRUE(Form(1)->NoticeBar->isVisible());
    EXPECT_EQ(Form(1)->NoticeBar->NoticeText->text(), QStringLiteral("書庫を開けませんでした（どのライブラリでも読めませんでした）"));
    EXPECT_EQ(Form(1)->CurrentFolderCaption(), QStringLiteral("notes.zip"));
    // A tab that opened has nothing to say.
    window->OpenFiles({MakeSampleZip()});
    EXPECT_FALSE(Form(2)->NoticeBar->isVisible());
}

TEST_F(ViewerTest, ArchiveDamagedPartWayShowsWhatWasRead)
{
    REQUIRE_LIBRARY("tar32.so");
    QProcess python;
    const QString tar = tmp.filePath(QStringLiteral("cut.tar"));
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import io, os, sys, tarfile\n"
                                 "buf = io.BytesIO()\n"
                                 "with tarfile.open(fileobj=buf, mode='w') as t:\n"
                                 "    for name, size in (('first.txt', 10), ('big.bin', 200000), ('last.txt', 10)):\n"
                                 "        info = tarfile.TarInfo(name); info.size = size\n"
                                 "        t.addfile(info, io.BytesIO(os.urandom(size)))\n"
                                 "data = buf.getvalue()\n"
                                 "open(sys.argv[1], 'wb').write(data[:data.index(b'big.bin') + 100000])\n"),
                  tar});
    ASSERT_TRUE(python.waitForFinished(60000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    OpenWindow({tar});
    ASSERT_EQ(window->PageControl1->count(), 1);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(Form(0)->NoticeBar->isVisible());
    EXPECT_EQ(Form(0)->NoticeBar->NoticeText->text(), QStringLiteral("書庫が途中で壊れています。読めた所までを表示しています"));
    EXPECT_GE(Form(0)->ListModel->rowCount(), 1);
    EXPECT_LE(Form(0)->ListModel->rowCount(), 2);
}

TEST_F(ViewerTest, EntryShownCutSaysSoInTheTextViewer)
{
    REQUIRE_LIBRARY("unzip32.so");
    QByteArray big(1200000, 'a');
    for (int i = 0; i < big.size(); i += 60)
        big[i] = '\n';
    OpenWindow({MakeZip(QStringLiteral("big.zip"), {{QStringLiteral("big.txt"), big}, {QStringLiteral("small.txt"), "s"}})});
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    QString note;
    auto open = [&](const char *name) {
        SelectRow(form, RowOf(form, name));
        note = QStringLiteral("-");
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto *view = dynamic_cast<TFrmTextView *>(QApplication::activeModalWidget())) {
                note = view->LxPanelNote->text();
                view->reject();
            }
        });
        poll.start();
        form->Viewer->OpenInMemory();
    };
    open("big.txt");
    EXPECT_EQ(note, QStringLiteral("先頭 1,000,000 バイトのみ表示"));
    open("small.txt");
    EXPECT_EQ(note, QString());
}

TEST_F(ViewerTest, ProgramEndRemovesOnlyItsOwnExtractionFolder)
{
    const QString archive = MakeSampleZip();
    auto run = [&] {
        QProcess tovik;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        tovik.setProcessEnvironment(env);
        // The program as it runs, ended by the timing harness once its first tab shows.
        tovik.start(QStringLiteral(TOVIK_TEST_BIN_DIR "/tovik-open-timing"), {archive});
        EXPECT_TRUE(tovik.waitForFinished(60000));
        EXPECT_EQ(tovik.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tovik.exitCode(), 0);
        return QString::fromLocal8Bit(tovik.readAllStandardError());
    };
    const QString dest = work + QStringLiteral("/KelmoraTemp");
    WriteFile(dest + QStringLiteral("/deep/left.txt"), "left over");
    const QString output = run();
    EXPECT_FALSE(QFileInfo::exists(dest));
    // The measurement line: the first tab was shown with the archive's root folder.
    EXPECT_TRUE(output.contains(QStringLiteral("tovik-timing: shown=")) && output.contains(QStringLiteral("rows=4")))
        << output.toStdString();

    // A link planted in its place, and what it points to, stay.
    const QString target = tmp.filePath(QStringLiteral("victim"));
    WriteFile(target + QStringLiteral("/keep.txt"), "keep");
    ASSERT_TRUE(QFile::link(target, dest));
    run();
    EXPECT_TRUE(QFileInfo(dest).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral("/keep.txt")));
}

TEST_F(ViewerTest, ControlCharactersInNamesAreShownVisibly)
{
    REQUIRE_LIBRARY("tar32.so");
    // Names no archiving tool refuses: a newline, a tab and an ESC, in a file and a folder.
    const QString tar = tmp.filePath(QStringLiteral("controls.tar"));
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import io,sys,tarfile\n"
                                 "t=tarfile.open(sys.argv[1],'w',format=tarfile.GNU_FORMAT)\n"
                                 "for n in ['a\\nb.txt','tab\\there.txt','dir\\x1b[1m/esc.txt']:\n"
                                 "  i=tarfile.TarInfo(n); i.size=2; t.addfile(i,io.BytesIO(b'hi'))\n"
                                 "t.close()\n"),
                  tar});
    ASSERT_TRUE(python.waitForFinished(30000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    OpenWindow({tar});
    TFormViewer *form = Form(0);
    ASSERT_NE(form, nullptr);
    QStringList shown;
    for (int r = 0; r < form->ListModel->rowCount(); ++r)
        shown << form->ListModel->data(form->ListModel->index(r, 0), Qt::DisplayRole).toString();
    shown.sort();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("a\u240Ab.txt"), QStringLiteral("dir\u241B[1m"),
                                  QStringLiteral("tab\u2409here.txt")}));
    const QAbstractItemModel *tree = form->TreeModel;
    const QModelIndex root = tree->index(0, 0);
    ASSERT_EQ(tree->rowCount(root), 1);
    EXPECT_EQ(tree->index(0, 0, root).data().toString(), QStringLiteral("dir\u241B[1m"));
}

} // namespace

#include "ViewerTest.moc"
