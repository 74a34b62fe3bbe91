#include "MainFrm.h"

#include "Source/ArcInfoFrm.h"
#include "Source/ArchiveTask.h"
#include "Source/LxPnGlobalState.h"
#include "Source/LxPnTOptions.h"
#include "Source/VersionInfoFrm.h"
#include "Source/LxPnViewer.h"
#include "Source/ViewerFrm.h"
#include "LxFormInfo.h"
#include "LxMRUManager.h"
#include "LxPageControl.h"
#include "platform/WindowTitle.h"
#include "platform/WorkFolder.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace {

// The theme's symbolic pictures are grey already, so the toolkit's own greying of a disabled
// button hardly shows: the disabled pictures are drawn faint instead.
QIcon WithFaintDisabled(const QIcon &icon)
{
    QIcon out;
    for (int size : {16, 22, 24, 32, 48}) {
        const QPixmap normal = icon.pixmap(QSize(size, size));
        if (normal.isNull())
            continue;
        out.addPixmap(normal, QIcon::Normal);
        QImage faint(normal.size(), QImage::Format_ARGB32_Premultiplied);
        faint.fill(Qt::transparent);
        QPainter painter(&faint);
        painter.setOpacity(0.3);
        painter.drawImage(0, 0, normal.toImage());
        painter.end();
        faint.setDevicePixelRatio(normal.devicePixelRatio());
        out.addPixmap(QPixmap::fromImage(faint), QIcon::Disabled);
    }
    return out.isNull() ? icon : out;
}

// Icons come from the desktop's theme; themes that carry only symbolic action pictures are
// asked for those, and Qt's own pictures stand in when the theme has neither.
QIcon ActionIcon(const char *name, QStyle::StandardPixmap fallback)
{
    const QString themeName = QString::fromLatin1(name);
    QIcon icon = QIcon::fromTheme(themeName);
    if (icon.isNull())
        icon = QIcon::fromTheme(themeName + QStringLiteral("-symbolic"));
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(fallback);
    return WithFaintDisabled(icon);
}

QAction *NewAction(QObject *owner, const char *objectName, const char *category, const QString &caption,
                   const QString &hint)
{
    auto *action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(objectName));
    action->setProperty("category", QString::fromLatin1(category));
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
        action->setStatusTip(hint);
    }
    return action;
}

// A path as the file system knows it, so that two spellings of one file compare equal: made
// absolute, with links and "." and ".." resolved while the file exists.
QString ComparablePath(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QString OpenFilter()
{
    return QStringLiteral("書庫ファイル|*.7z; *.z; *.gz; *.tgz; *.taz; *.a; *.lib; *.tar; *.deb; *.rpm; "
                          "*.cpio; *.bz2; *.gza; *.bza; *.gca; *.yz1; *.bel; *.rar; *.arj; *.jar; *.ear; "
                          "*.war; *.zip; *.cab; *yz1;*.lzh; *.exe");
}

} // namespace

QString ExtractFolderPath()
{
    TAppIniData *ini = AppIniData();
    const QString workFolder = ini ? ini->ReadString(SettingKeys::General::WorkFolder) : QString();
    if (workFolder.isEmpty())
        return QString();
    return QDir(workFolder).filePath(QString::fromUtf8(tovik::platform::kExtractFolderName));
}

void RemoveExtractFolder()
{
    const QString folder = ExtractFolderPath();
    if (!folder.isEmpty())
        tovik::platform::RemovePrivateFolder(QFile::encodeName(folder).toStdString());
}

TFormMain::TFormMain(const QStringList &args, QWidget *parent)
    : QMainWindow(parent), FViewerFactory(std::make_unique<TPnViewerFactory>())
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(tovik::platform::ProgramTitle());
    resize(692, 468);

    PageControl1 = new TLxPageControl(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(true);
    PageControl1->setUsesScrollButtons(true);
    PageControl1->setElideMode(Qt::ElideMiddle);
    setCentralWidget(PageControl1);

    OpenDialog1 = new TLxMRUManager(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->SetFilter(OpenFilter());
    OpenDialog1->SetFileMode(QFileDialog::ExistingFiles);
    OpenDialog1->SetOptions(QFileDialog::ReadOnly);

    CreateActions();
    CreateMenus();
    CreateToolBar();

    // FormCreate: placement and history follow the settings.
    LxFormInfo1 = new TLxFormInfo(this);
    if (TAppIniData *ini = AppIniData()) {
        LxFormInfo1->SetActive(ini->ReadBool(SettingKeys::General::FormPosLoad));
        OpenDialog1->SetActive(ini->ReadBool(SettingKeys::General::UseMRU));
        OpenDialog1->SetMaxSize(ini->ReadInteger(SettingKeys::General::MRUMax));
    }
    OpenDialog1->SetParentMenuItem(MenuReopen);
    OpenDialog1->OnSelected = [this](TLxMRUManager *, const QString &fileName) { DoOpenFile(fileName); };

    setAcceptDrops(true);

    FViewerFactory->SetStateHook([this] { UpdateActions(); });
    QObject::connect(qApp, &QApplication::focusChanged, this, [this] { UpdateActions(); });
    QObject::connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
        UpdateActions();
        UpdateCaption();
    });
    UpdateActions();

    if (!args.isEmpty())
        OpenFiles(args);
}

TFormMain::~TFormMain()
{
    // The factory goes before the window's widgets: nothing may ask it for the current tab
    // while they go (focus changes as the window closes).
    QObject::disconnect(qApp, nullptr, this, nullptr);
    FViewerFactory->SetStateHook(nullptr);
    // The tabs go first: their forms talk to the factory and the actions while they close.
    while (PageControl1->count() > 0)
        delete PageControl1->widget(0);
}

IPnViewerFactory *TFormMain::ViewerFactory() const { return FViewerFactory.get(); }

void TFormMain::RunTool(void (IPnViewerTools::*command)())
{
    if (std::shared_ptr<IPnViewerTools> tools = FViewerFactory->CurrentViewerTools())
        ((*tools).*command)();
}

void TFormMain::ConnectTool(QAction *action, void (IPnViewerTools::*command)())
{
    QObject::connect(action, &QAction::triggered, this, [this, command] { RunTool(command); });
}

void TFormMain::CreateActions()
{
    ActOpenArcFile = NewAction(this, "ActOpenArcFile", "File", QStringLiteral("書庫ファイルを開く"), QString());
    ActOpenArcFile->setIcon(ActionIcon("document-open", QStyle::SP_DialogOpenButton));
    ActOpenArcFile->setShortcut(QKeySequence::Open);
    QObject::connect(ActOpenArcFile, &QAction::triggered, this, [this] { ActOpenArcFileExecute(); });

    ActQuit = NewAction(this, "ActQuit", "File", QStringLiteral("終了"), QString());
    ActQuit->setShortcut(QKeySequence::Quit);
    QObject::connect(ActQuit, &QAction::triggered, this, [this] { close(); });

    // The up action shows its picture only; its hint names it.
    ActUpper = NewAction(this, "ActUpper", "Tools", QString(), QStringLiteral("上へ"));
    ActUpper->setIconText(QStringLiteral("上へ"));
    ActUpper->setIcon(ActionIcon("go-up", QStyle::SP_FileDialogToParent));
    ConnectTool(ActUpper, &IPnViewerTools::GoUp);

    ActDitailShow = NewAction(this, "ActDitailShow", "Tools", QStringLiteral("詳細表示"), QStringLiteral("詳細表示"));
    ActDitailShow->setIcon(ActionIcon("view-list-details", QStyle::SP_FileDialogDetailedView));
    ConnectTool(ActDitailShow, &IPnViewerTools::ShowDetails);

    ActIconShow = NewAction(this, "ActIconShow", "Tools", QStringLiteral("アイコン表示"), QStringLiteral("アイコン表示"));
    ActIconShow->setIcon(ActionIcon("view-list-icons", QStyle::SP_FileDialogListView));
    ConnectTool(ActIconShow, &IPnViewerTools::ShowIcons);

    ActUnZipMemory = NewAction(this, "ActUnZipMemory", "Tools", QStringLiteral("メモリ展開表示"),
                               QStringLiteral("ファイルをメモリーに展開して組込ビューアで開きます"));
    ActUnZipMemory->setIcon(ActionIcon("document-preview", QStyle::SP_FileDialogContentsView));
    ConnectTool(ActUnZipMemory, &IPnViewerTools::OpenInMemory);

    ActUnZipDisk = NewAction(this, "ActUnZipDisk", "Tools", QStringLiteral("ディスク展開表示"),
                             QStringLiteral("ディスクに解凍後に関連付けられたアプリケーションで開きます"));
    ActUnZipDisk->setIcon(ActionIcon("system-run", QStyle::SP_MediaPlay));
    ConnectTool(ActUnZipDisk, &IPnViewerTools::OpenOnDisk);

    ActExtractTo = NewAction(this, "ActExtractTo", "File", QStringLiteral("展開先を指定して展開..."),
                             QStringLiteral("選択したファイル (選択がなければ書庫全体) を指定したフォルダに展開します"));
    ActExtractTo->setIcon(ActionIcon("document-save-as", QStyle::SP_DialogSaveButton));
    ActExtractTo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    ConnectTool(ActExtractTo, &IPnViewerTools::ExtractTo);

    // The list's filter field; Esc there clears it.
    ActFilter = NewAction(this, "ActFilter", "Tools", QStringLiteral("絞り込み"), QString());
    ActFilter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    ActFilter->setShortcutContext(Qt::WindowShortcut);
    addAction(ActFilter);
    ConnectTool(ActFilter, &IPnViewerTools::FocusFilter);

    ActArcInfoDisp = NewAction(this, "ActArcInfoDisp", "Option", QStringLiteral("アーカイバ情報"), QString());
    ActArcInfoDisp->setIcon(ActionIcon("dialog-information", QStyle::SP_MessageBoxInformation));
    QObject::connect(ActArcInfoDisp, &QAction::triggered, this, [this] {
        TFormArcInfo dialog(this);
        dialog.exec();
    });

    // The options dialog, each command on its own page.
    ActOptionApp = NewAction(this, "ActOptionApp", "Option", QStringLiteral("環境設定"), QString());
    ActOptionEdit = NewAction(this, "ActOptionEdit", "Option", QStringLiteral("エディタオプション"), QString());
    ActPrevOpt = NewAction(this, "ActPrevOpt", "Option", QStringLiteral("プレビューオプション"), QString());
    ActOptionApp->setIcon(ActionIcon("preferences-system", QStyle::SP_FileDialogInfoView));
    QObject::connect(ActOptionApp, &QAction::triggered, this, [this] { ShowOptions(0); });
    QObject::connect(ActOptionEdit, &QAction::triggered, this, [this] { ShowOptions(1); });
    QObject::connect(ActPrevOpt, &QAction::triggered, this, [this] { ShowOptions(2); });

    ActVersionInfo = NewAction(this, "ActVersionInfo", "Tools", QStringLiteral("バージョン情報"), QString());
    ActVersionInfo->setIcon(ActionIcon("help-about", QStyle::SP_MessageBoxQuestion));
    QObject::connect(ActVersionInfo, &QAction::triggered, this, [this] {
        TFormVersionInfo dialog(this);
        dialog.exec();
    });
}

void TFormMain::CreateMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->addAction(ActOpenArcFile);
    MenuReopen = file->addMenu(QStringLiteral("開き直す"));
    MenuReopen->setObjectName(QStringLiteral("MenuReopen"));
    file->addSeparator();
    file->addAction(ActExtractTo);
    file->addSeparator();
    file->addAction(ActQuit);

    QMenu *view = menuBar()->addMenu(QStringLiteral("表示"));
    view->addAction(ActDitailShow);
    view->addAction(ActIconShow);
    view->addSeparator();
    view->addAction(ActUnZipMemory);
    view->addAction(ActUnZipDisk);
    view->addSeparator();
    view->addAction(ActArcInfoDisp);

    QMenu *options = menuBar()->addMenu(QStringLiteral("オプション(&O)"));
    options->addAction(ActOptionApp);
    options->addAction(ActOptionEdit);
    options->addAction(ActPrevOpt);

    QMenu *version = menuBar()->addMenu(QStringLiteral("バージョン"));
    version->addAction(ActVersionInfo);
}

void TFormMain::CreateToolBar()
{
    LxPanelEX1 = addToolBar(QStringLiteral("ツールバー"));
    LxPanelEX1->setObjectName(QStringLiteral("LxPanelEX1"));
    LxPanelEX1->setMovable(false);
    LxPanelEX1->setFloatable(false);
    LxPanelEX1->setIconSize(QSize(24, 24));
    LxPanelEX1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    LxPanelEX1->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    for (QAction *action : {ActOpenArcFile, ActUpper, ActDitailShow, ActIconShow, ActUnZipMemory, ActUnZipDisk, ActExtractTo})
        LxPanelEX1->addAction(action);

    LxGBCloseFile = new QToolButton(LxPanelEX1);
    LxGBCloseFile->setObjectName(QStringLiteral("LxGBCloseFile"));
    LxGBCloseFile->setIcon(ActionIcon("window-close", QStyle::SP_DialogCloseButton));
    LxGBCloseFile->setToolTip(QStringLiteral("閉じる"));
    LxGBCloseFile->setAutoRaise(true);
    LxGBCloseFile->setFocusPolicy(Qt::NoFocus);
    LxPanelEX1->addWidget(LxGBCloseFile);
    QObject::connect(LxGBCloseFile, &QToolButton::clicked, this, [this] { LxGBCloseFileClick(); });
    // Toolbar buttons never take the focus from the tab they act on.
    for (QToolButton *button : LxPanelEX1->findChildren<QToolButton *>())
        button->setFocusPolicy(Qt::NoFocus);
}

void TFormMain::ShowOptions(int Page)
{
    TAppIniData *ini = AppIniData();
    if (!ini)
        return;
    PlayUISound(2);
    TFormOption dialog(*ini, this);
    dialog.SelectPage(Page);
    // The history is this window's own: a saved change applies at once. The placement setting
    // is read when the window opens next; the viewers read theirs when they open.
    if (dialog.exec() == QDialog::Accepted && Page == 0) {
        OpenDialog1->SetActive(ini->ReadBool(SettingKeys::General::UseMRU));
        OpenDialog1->SetMaxSize(ini->ReadInteger(SettingKeys::General::MRUMax));
    }
}

void TFormMain::UpdateActions()
{
    // ActToolsUpdate, ActDitailShowUpdate and ActIconShowUpdate.
    std::shared_ptr<IPnViewerTools> tools = FViewerFactory->CurrentViewerTools();
    ActUpper->setEnabled(tools && tools->CanGoUp());
    ActUnZipMemory->setEnabled(tools && tools->CanOpenInMemory());
    ActUnZipDisk->setEnabled(tools && tools->CanOpenOnDisk());
    ActDitailShow->setEnabled(tools && tools->CanShowDetails());
    ActIconShow->setEnabled(tools && tools->CanShowIcons());
    ActExtractTo->setEnabled(tools && tools->CanExtractTo());
    ActFilter->setEnabled(tools != nullptr);
    LxGBCloseFile->setEnabled(tools != nullptr);
}

void TFormMain::UpdateCaption()
{
    QString path;
    if (QWidget *page = PageControl1->currentWidget())
        if (auto *form = page->findChild<TFormViewer *>(); form && form->Viewer && !form->Closing())
            path = form->Viewer->FileName;
    const QString caption = tovik::platform::DocumentCaption(path);
    if (windowTitle() != caption)
        setWindowTitle(caption);
}

void TFormMain::OpenForwardedFiles(const QStringList &names)
{
    OpenFiles(names);
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TFormMain::ActOpenArcFileExecute()
{
    if (OpenDialog1->Execute())
        OpenFiles(OpenDialog1->Files());
}

void TFormMain::LxGBCloseFileClick()
{
    PlayUISound(2);
    RunTool(&IPnViewerTools::Close);
}

void TFormMain::OpenFiles(const QStringList &names)
{
    if (names.isEmpty())
        return;
    {
        TBatchModeScope batch;
        for (const QString &name : names)
            DoOpenFile(name);
    }
    PlayUISound(0);
}

void TFormMain::DoOpenFile(const QString &Name)
{
    const QString path = Name.isEmpty() ? QString() : QFileInfo(Name).absoluteFilePath();
    IPnViewerFactory *factory = FViewerFactory.get();
    if (!path.isEmpty()) {
        const QString wanted = ComparablePath(path);
        for (int i = factory->Count() - 1; i >= 0; --i) {
            std::shared_ptr<IPnViewer> viewer = factory->GetViewer(i);
            if (viewer && ComparablePath(viewer->GetFileName()) == wanted) {
                viewer->Activate();
                return;
            }
        }
    }
    std::shared_ptr<IPnViewer> viewer = factory->CreateViewer(PageControl1, ActUnZipMemory, ActUnZipDisk, ActExtractTo);
    if (!viewer)
        return;
    PlayUISound(0);
    {
        TBatchModeScope batch;
        viewer->OpenFile(path);
    }
    // The new tab is the one the commands act on.
    viewer->Activate();
    UpdateCaption();
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    // A tab waiting for a listing or an extraction is inside its own wait: those waits end
    // first (cancelled), and the window closes right after.
    if (WaitingArchiveTasks() > 0) {
        CancelWaitingArchiveTasks();
        event->ignore();
        QTimer::singleShot(0, this, [this] { close(); });
        return;
    }
    QMainWindow::closeEvent(event);
}

void TFormMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TFormMain::dropEvent(QDropEvent *event)
{
    QStringList names;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            names.append(url.toLocalFile());
    if (names.isEmpty())
        return;
    event->acceptProposedAction();
    {
        TBatchModeScope batch;
        for (const QString &name : names) {
            DoOpenFile(name);
            OpenDialog1->AddFileName(QFileInfo(name).absoluteFilePath());
        }
    }
    PlayUISound(0);
}
