// The main window: one tab per opened archive, the toolbar, the menu bar and the actions that
// act on the archive tab that last had focus.
#ifndef TOVIK_MAINFRM_H
#define TOVIK_MAINFRM_H

#include <QMainWindow>
#include <QStringList>

#include <memory>

class QAction;
class QMenu;
class QTabWidget;
class QToolBar;
class QToolButton;
class TLxFormInfo;
class TLxMRUManager;
class IPnViewerFactory;
class IPnViewerTools;
class TPnViewerFactory;

class TFormMain : public QMainWindow
{
public:
    // Opens the archives named in args (the command line without the program name), in
    // order, each in a tab of its own.
    explicit TFormMain(const QStringList &args = QStringList(), QWidget *parent = nullptr);
    ~TFormMain() override;

    // Opens several files in a row: no sounds meanwhile, one message sound after them.
    void OpenFiles(const QStringList &names);
    // Opens one archive in a new tab, or brings forward the tab that already shows it.
    void DoOpenFile(const QString &Name);
    // Re-evaluates which actions are possible now.
    void UpdateActions();
    // Opens the options dialog on page 0 (general), 1 (editor) or 2 (preview), modally.
    void ShowOptions(int Page);
    // Captions the window after the archive of the front tab.
    void UpdateCaption();
    // Files that a later start of the program handed over: opened as one batch, then the
    // window comes to the front (also when there are none).
    void OpenForwardedFiles(const QStringList &names);
    // The factory of this window's archive tabs, which knows the tab the commands act on.
    IPnViewerFactory *ViewerFactory() const;

    QTabWidget *PageControl1 = nullptr;
    QToolBar *LxPanelEX1 = nullptr;
    QToolButton *LxGBCloseFile = nullptr;
    QMenu *MenuReopen = nullptr;
    TLxMRUManager *OpenDialog1 = nullptr;
    TLxFormInfo *LxFormInfo1 = nullptr;

    QAction *ActOpenArcFile = nullptr;
    QAction *ActQuit = nullptr;
    QAction *ActUpper = nullptr;
    QAction *ActDitailShow = nullptr;
    QAction *ActIconShow = nullptr;
    QAction *ActUnZipMemory = nullptr;
    QAction *ActUnZipDisk = nullptr;
    QAction *ActArcInfoDisp = nullptr;
    QAction *ActExtractTo = nullptr;
    QAction *ActFilter = nullptr;
    QAction *ActOptionApp = nullptr;
    QAction *ActOptionEdit = nullptr;
    QAction *ActPrevOpt = nullptr;
    QAction *ActVersionInfo = nullptr;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void ActOpenArcFileExecute();
    void LxGBCloseFileClick();
    // Runs command on the tab that last had focus, when there is one; ConnectTool makes it
    // what action does.
    void RunTool(void (IPnViewerTools::*command)());
    void ConnectTool(QAction *action, void (IPnViewerTools::*command)());

    std::unique_ptr<TPnViewerFactory> FViewerFactory;
};

// The folder that holds what was extracted for outside applications: "KelmoraTemp" below the
// "WorkFolder" setting; empty when there is no work folder.
QString ExtractFolderPath();
// Removes the extraction folder with everything in it, when it is the user's own real
// folder; a link or someone else's folder in its place is left alone. Run at program end.
void RemoveExtractFolder();

#endif
