#include "BasicControls/Source/LxFormInfo.h"
#include "BasicControls/Source/LxMRUManager.h"
#include "platform/ProfileFile.h"

#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMainWindow>
#include <QMenu>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

class HistoryTest : public IniFileTest {
protected:
    QStringList Captions(QMenu &menu)
    {
        QStringList captions;
        for (QAction *action : menu.actions())
            captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return captions;
    }
    QAction *ActionNamed(QMenu &menu, const QString &caption)
    {
        for (QAction *action : menu.actions())
            if (action->text() == caption)
                return action;
        return nullptr;
    }
};

class PlacementTest : public IniFileTest {
protected:
    // A main window as the program makes it: named, with its default size, placement on.
    std::unique_ptr<QMainWindow> MakeWindow(bool active = true)
    {
        auto window = std::make_unique<QMainWindow>();
        window->setObjectName("FormMain");
        window->resize(692, 468);
        auto *info = new TLxFormInfo(window.get());
        info->setObjectName("LxFormInfo1");
        info->SetActive(active);
        return window;
    }
    TLxFormInfo *Info(QMainWindow &window) { return window.findChild<TLxFormInfo *>("LxFormInfo1"); }
    std::string Read(const char *key)
    {
        return tovik::platform::ProfileFile(IniPath().toStdString()).ReadString("FormMain", key, "-");
    }
};

} // namespace

TEST_F(HistoryTest, KeepsOneEntryPerNameNewestFirst)
{
    TLxMRUManager mru;
    mru.AddFileName("/data/a.lzh");
    mru.AddFileName("/data/B.zip");
    mru.AddFileName("/DATA/A.LZH");   // the same name in other letters: moved, spelling kept
    mru.AddFileName("   ");
    mru.AddFileName(" /data/c.7z ");  // kept as given
    EXPECT_EQ(mru.History(), QStringList({" /data/c.7z ", "/data/a.lzh", "/data/B.zip"}));

    for (int i = 0; i < 10; ++i)
        mru.AddFileName(QString("/n/%1.lzh").arg(i));
    ASSERT_EQ(mru.History().size(), 10);
    EXPECT_EQ(mru.History().front(), "/n/9.lzh");
    EXPECT_EQ(mru.History().back(), "/n/0.lzh");

    mru.SetMaxSize(5);
    EXPECT_EQ(mru.History(), QStringList({"/n/9.lzh", "/n/8.lzh", "/n/7.lzh", "/n/6.lzh", "/n/5.lzh"}));
    mru.SetMaxSize(-3);
    EXPECT_TRUE(mru.History().isEmpty());

    // Switched off, it records nothing and forgets what it had.
    mru.SetMaxSize(10);
    mru.AddFileName("/x.lzh");
    mru.SetActive(false);
    EXPECT_TRUE(mru.History().isEmpty());
    mru.AddFileName("/y.lzh");
    EXPECT_TRUE(mru.History().isEmpty());
}

TEST_F(HistoryTest, MenuMirrorsTheHistoryAndActsOnClicks)
{
    QMenu reopen("開き直す");
    TLxMRUManager mru;
    QStringList selected;
    mru.OnSelected = [&](TLxMRUManager *sender, const QString &name) {
        EXPECT_EQ(sender, &mru);
        selected << name;
    };
    mru.SetParentMenuItem(&reopen);
    EXPECT_FALSE(reopen.menuAction()->isEnabled());
    EXPECT_TRUE(reopen.actions().isEmpty());

    mru.AddFileName("/a/R&D.lzh");
    mru.AddFileName("/a/two.zip");
    EXPECT_TRUE(reopen.menuAction()->isEnabled());
    EXPECT_EQ(Captions(reopen), QStringList({"/a/two.zip", "/a/R&&D.lzh", "-", "履歴のクリア"}));

    // Picking the second entry opens it by its real name and moves it to the front.
    ActionNamed(reopen, "/a/R&&D.lzh")->trigger();
    EXPECT_EQ(selected, QStringList{"/a/R&D.lzh"});
    EXPECT_EQ(Captions(reopen), QStringList({"/a/R&&D.lzh", "/a/two.zip", "-", "履歴のクリア"}));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    ActionNamed(reopen, "履歴のクリア")->trigger();
    EXPECT_TRUE(mru.History().isEmpty());
    EXPECT_TRUE(reopen.actions().isEmpty());
    EXPECT_FALSE(reopen.menuAction()->isEnabled());
    EXPECT_EQ(selected.size(), 1);
}

TEST_F(HistoryTest, SurvivesARestartAndAClearedHistoryLeavesNoEntries)
{
    SetIni("[General]\nUseMRU=True\n[MRU]\nMRU_0=/old/first.lzh\nMRU_2=/old/third.lzh\nMRU_1=\n"
           "mru_3=/OLD/FIRST.LZH\nMRU_04=/bad/key.lzh\n[FormMain]\nWorking=True\n");
    {
        TLxMRUManager mru;
        // Gaps are skipped; a second spelling of a name and keys that are not positions are dropped.
        EXPECT_EQ(mru.History(), QStringList({"/old/first.lzh", "/old/third.lzh"}));
        mru.SetMaxSize(20);
        for (int i = 0; i < 20; ++i)
            mru.AddFileName(QString("/n/%1.lzh").arg(i));
    }
    {
        // A history longer than the maximum in force at creation is not cut short by the restart.
        TLxMRUManager mru;
        mru.SetMaxSize(20);
        ASSERT_EQ(mru.History().size(), 20);
        EXPECT_EQ(mru.History().front(), "/n/19.lzh");
        EXPECT_EQ(mru.History().back(), "/n/0.lzh");
        mru.Clear();
    }
    tovik::platform::ProfileFile ini(IniPath().toStdString());
    EXPECT_TRUE(ini.ReadSection("MRU").empty());
    EXPECT_EQ(ini.ReadString("General", "UseMRU", ""), "True");
    EXPECT_EQ(ini.ReadString("FormMain", "Working", ""), "True");
}

TEST_F(HistoryTest, OpenDialogAddsTheChosenFile)
{
    const QString chosen = FDir.filePath("Chosen.lzh");
    WriteBytes(chosen, "x");
    QWidget owner;
    TLxMRUManager mru(&owner);
    mru.SetFilter("書庫ファイル|*.lzh; *.zip");
    mru.SetInitialDir(FDir.path());
    mru.SetOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    mru.SetFileMode(QFileDialog::ExistingFiles);

    QString filter;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        filter = dialog->nameFilters().join("|");
        dialog->selectFile(chosen);
        static_cast<QDialog *>(dialog)->accept();
    });
    ASSERT_TRUE(mru.Execute());
    EXPECT_EQ(filter, "書庫ファイル (*.lzh *.zip)");
    EXPECT_EQ(mru.FileName(), chosen);
    EXPECT_EQ(mru.History(), QStringList{chosen});

    QTimer::singleShot(0, [&] { QApplication::activeModalWidget()->close(); });
    EXPECT_FALSE(mru.Execute());
    EXPECT_EQ(mru.History(), QStringList{chosen});
}

TEST_F(PlacementTest, NormalWindowComesBackWhereItWas)
{
    {
        auto window = MakeWindow();   // no file yet: the form keeps its own size
        EXPECT_EQ(window->size(), QSize(692, 468));
        window->show();
        window->move(130, 70);
        window->resize(500, 320);
        QApplication::processEvents();
    }
    EXPECT_EQ(Read("Working"), "True");
    EXPECT_EQ(Read("State"), "0");
    EXPECT_EQ(Read("Width"), "500");
    EXPECT_EQ(Read("Height"), "320");

    auto window = MakeWindow();
    window->show();
    QApplication::processEvents();
    EXPECT_EQ(window->pos(), QPoint(130, 70));
    EXPECT_EQ(window->size(), QSize(500, 320));
    EXPECT_FALSE(window->isMaximized());
}

TEST_F(PlacementTest, MaximisedWindowComesBackMaximised)
{
    {
        auto window = MakeWindow();
        window->showMaximized();
        QApplication::processEvents();
        // Closing first, as the program ends, must not lose the state either.
        window->close();
    }
    EXPECT_EQ(Read("State"), "2");
    EXPECT_EQ(Read("Top"), "-");
    EXPECT_EQ(Read("Width"), "-");

    auto window = MakeWindow();
    window->show();
    QApplication::processEvents();
    EXPECT_TRUE(window->isMaximized());
}

TEST_F(PlacementTest, WorkingFalseLeavesTheFormAlone)
{
    SetIni("[FormMain]\nWorking=False\nState=2\nTop=5\nLeft=5\nHeight=200\nWidth=300\n");
    auto window = MakeWindow();
    EXPECT_EQ(window->size(), QSize(692, 468));
    EXPECT_FALSE(window->windowState() & Qt::WindowMaximized);
    // It stays on, so this run's placement is what the next one finds.
    EXPECT_TRUE(Info(*window)->Active());

    // Switched off by the settings, it neither restores nor saves.
    SetIni("[FormMain]\nWorking=True\nState=0\nTop=5\nLeft=5\nHeight=200\nWidth=300\n");
    {
        auto off = MakeWindow(false);
        EXPECT_EQ(off->size(), QSize(692, 468));
        off->resize(400, 400);
    }
    EXPECT_EQ(Read("Width"), "300");
}

TEST_F(PlacementTest, HostilePlacementDoesNotLoseTheWindow)
{
    SetIni("[FormMain]\nState=7\nTop=-90000\nLeft=90000\nHeight=-5\nWidth=abc\n");
    {
        auto window = MakeWindow();   // Width unreadable: 0, nothing applied
        EXPECT_EQ(window->size(), QSize(692, 468));
    }
    SetIni("[FormMain]\nState=0\nTop=-90000\nLeft=90000\nHeight=-5\nWidth=640\n");
    auto window = MakeWindow();
    EXPECT_EQ(window->size(), QSize(640, 468));
    EXPECT_NE(window->pos(), QPoint(90000, -90000));
}

TEST_F(PlacementTest, WindowIsPlacedOnlyWhereItsTitleBarCanBeReached)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Far above every screen: centred instead.
    SetIni("[FormMain]\nState=0\nTop=-5000\nLeft=40\nHeight=300\nWidth=400\n");
    {
        auto window = MakeWindow();
        EXPECT_EQ(window->size(), QSize(400, 300));
        EXPECT_EQ(window->pos(), QPoint(screen.left() + (screen.width() - 400) / 2,
                                        screen.top() + (screen.height() - 300) / 2));
    }
    // The title bar just above the top edge, or beyond the right edge: centred too.
    for (const char *place : {"Top=-10\nLeft=40", "Top=50\nLeft=100000"}) {
        SetIni(QByteArray("[FormMain]\nState=0\n") + place + "\nHeight=300\nWidth=400\n");
        auto window = MakeWindow();
        EXPECT_TRUE(screen.contains(QRect(window->pos(), QSize(400, 24)))) << place;
    }
    // Mostly off to the left, but with a grip of its title bar on the screen: kept there.
    SetIni(QByteArray("[FormMain]\nState=0\nTop=30\nLeft=") + QByteArray::number(screen.left() - 300) +
           "\nHeight=300\nWidth=400\n");
    auto window = MakeWindow();
    EXPECT_EQ(window->pos(), QPoint(screen.left() - 300, 30));
}

TEST_F(HistoryTest, ReadOnlyIniLoadsAndRefusesOnlyRealChanges)
{
    const QByteArray text = "[General]\nUseMRU=True\n\n[MRU]\nMRU_0=/a.lzh\nMRU_1=/b.lzh\n";
    SetIni(text);
    QFile::setPermissions(IniPath(), QFile::ReadOwner | QFile::ReadGroup);
    TLxMRUManager mru;
    EXPECT_EQ(mru.History(), QStringList({"/a.lzh", "/b.lzh"}));
    // Writing back what is there is no write at all.
    EXPECT_TRUE(mru.SaveHistory());
    mru.AddFileName("/b.lzh");
    EXPECT_FALSE(mru.SaveHistory());
    EXPECT_EQ(ReadBytes(IniPath()), text);
    QFile::setPermissions(IniPath(), QFile::ReadOwner | QFile::WriteOwner);
}
