#include "ViewerFrm.h"

#include "Source/ArcFileListModel.h"
#include "Source/ArcViewDelegates.h"
#include "Source/ArcFolderTreeModel.h"
#include "Source/DragOut.h"
#include "Source/ExtractProgressFrm.h"
#include "Source/ListMouseFilter.h"
#include "Source/LxPnGlobalDef.h"
#include "Source/LxPnGlobalProcs.h"
#include "Source/LxPnGlobalState.h"
#include "Source/LxPnViewer.h"
#include "archive/LxArcImpl.h"
#include "platform/MessageBox.h"
#include "LxContextPopup.h"
#include "LxListViewSorter.h"
#include "LxTabAPPTabSheet.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

using tovik::platform::ShowMessage;

TFormViewer::TFormViewer(QWidget *parent)
    : QWidget(parent), FSorter(std::make_unique<TLxListViewSorter>()),
      FContextPopup(std::make_unique<TLxContextPopup>(this))
{
    setObjectName(QStringLiteral("FormViewer"));
    QStyle *style = QApplication::style();
    const QIcon folder = ThemeIcon(QStringLiteral("folder"));
    ImageList2.append(folder.isNull() ? style->standardIcon(QStyle::SP_DirIcon) : folder);
    const QIcon fileIcon = ThemeIcon(QStringLiteral("text-x-generic"), QStringLiteral("application-x-generic"));
    ImageList2.append(fileIcon.isNull() ? style->standardIcon(QStyle::SP_FileIcon) : fileIcon);
    FIconLib.SetImageList(&ImageList2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    NoticeBar = new TTabNoticeBar(this);
    QObject::connect(NoticeBar->CancelButton, &QPushButton::clicked, this, [this] { CancelTask(); });
    FCancelKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    FCancelKey->setContext(Qt::WindowShortcut);
    FCancelKey->setEnabled(false);
    QObject::connect(FCancelKey, &QShortcut::activated, this, [this] { CancelTask(); });
    layout->addWidget(NoticeBar);
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    layout->addWidget(Splitter1, 1);
    CreateTree();
    CreateList();
    Splitter1->addWidget(TreeArcFile);
    Splitter1->addWidget(FListPane);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({252, 1000});
    Splitter1->setChildrenCollapsible(false);

    PopupMenu1 = new QMenu(this);
}

TArchiveTaskEnd TFormViewer::RunTask(std::function<void(TArchiveTaskControl &)> work, const QString &caption,
                                      bool counted)
{
    const QPointer<TFormViewer> self(this);
    TArchiveTaskView view;
    view.Slow = [this, self, caption] {
        if (!self)
            return;
        NoticeBar->ShowWork(caption);
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        FSlowCursor = true;
    };
    view.Progress = [this, self, caption, counted](int32_t entries) {
        if (self && counted)
            NoticeBar->ShowWorkCount(caption, entries);
    };
    FCancelKey->setEnabled(true);
    const TArchiveTaskEnd end = RunArchiveTask(std::move(work), view, [this](TArchiveTaskHandle task) { FTask = task; });
    if (!self)
        return TArchiveTaskEnd::Cancelled;
    FTask = TArchiveTaskHandle();
    FCancelKey->setEnabled(false);
    if (FSlowCursor) {
        QGuiApplication::restoreOverrideCursor();
        FSlowCursor = false;
    }
    NoticeBar->EndWork();
    return end;
}

void TFormViewer::CreateTree()
{
    TreeArcFile = new QTreeView(Splitter1);
    TreeArcFile->setObjectName(QStringLiteral("TreeArcFile"));
    TreeModel = new TArcFolderTreeModel(this);
    TreeArcFile->setModel(TreeModel);
    TreeArcFile->setHeaderHidden(true);
    TreeArcFile->setRootIsDecorated(false);
    TreeArcFile->setIndentation(20);
    TreeArcFile->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeArcFile->setUniformRowHeights(true);
    // The one column is as wide as its deepest shown folder, so that deep trees scroll
    // sideways instead of drawing past the edge.
    TreeArcFile->header()->setStretchLastSection(false);
    TreeArcFile->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    TreeArcFile->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    TreeArcFile->viewport()->installEventFilter(this);
    TreeArcFile->installEventFilter(this);

    QStyle *style = QApplication::style();
    const QIcon open = ThemeIcon(QStringLiteral("folder-open"));
    const QIcon archive = QIcon::fromTheme(QStringLiteral("package-x-generic"));
    TreeArcFile->setItemDelegate(new TFolderStateDelegate(TreeArcFile, archive.isNull() ? ImageList2[0] : archive,
                                                          ImageList2[0],
                                                          open.isNull() ? style->standardIcon(QStyle::SP_DirOpenIcon) : open,
                                                          ImageList2[0]));
    QObject::connect(TreeArcFile->selectionModel(), &QItemSelectionModel::currentChanged, this,
                     [this](const QModelIndex &current) { TreeArcFileChange(current); });
    // The column takes its new width only after the branch has opened and been laid out.
    QObject::connect(TreeArcFile->header(), &QHeaderView::sectionResized, this,
                     [this] { ScrollSidewaysTo(TreeArcFile, TreeArcFile->currentIndex()); });
}

void TFormViewer::CreateList()
{
    FListPane = new QWidget(Splitter1);
    auto *paneLayout = new QVBoxLayout(FListPane);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    paneLayout->setSpacing(2);
    EditFilter = new QLineEdit(FListPane);
    EditFilter->setObjectName(QStringLiteral("EditFilter"));
    EditFilter->setPlaceholderText(QStringLiteral("絞り込み (Ctrl+F)"));
    EditFilter->setClearButtonEnabled(true);
    EditFilter->installEventFilter(this);
    QObject::connect(EditFilter, &QLineEdit::textChanged, this, [this](const QString &text) { ApplyFilter(text); });
    paneLayout->addWidget(EditFilter);
    FListStack = new QStackedWidget(FListPane);
    paneLayout->addWidget(FListStack, 1);
    ListModel = new TArcFileListModel(this);
    ListFileView = new QTreeView(FListStack);
    ListFileView->setObjectName(QStringLiteral("ListFileView"));
    ListFileView->setModel(ListModel);
    ListFileView->setRootIsDecorated(false);
    ListFileView->setItemsExpandable(false);
    ListFileView->setUniformRowHeights(true);
    ListFileView->setAllColumnsShowFocus(true);
    ListFileView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListFileView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListFileView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListFileView->setFrameShape(QFrame::NoFrame);
    ListFileView->setContextMenuPolicy(Qt::CustomContextMenu);
    ListFileView->installEventFilter(this);
    const int widths[] = {150, 80, 80, 50, 100, 80, 60, 100};
    QHeaderView *header = ListFileView->header();
    header->setStretchLastSection(true);
    header->setSectionsMovable(false);
    // A caption wider than its column at this font (the Japanese ones are) widens it, and
    // the rate column fits its widest text.
    for (int c = 0; c < 8; ++c)
        header->resizeSection(c, std::max(widths[c], header->sectionSizeHint(c)));
    const int rateText = ListFileView->fontMetrics().horizontalAdvance(QStringLiteral("100.0%")) +
                         2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListFileView) + 1) + 8;
    header->resizeSection(3, std::max(header->sectionSize(3), rateText));
    FListStack->addWidget(ListFileView);

    IconFileView = new QListView(FListStack);
    IconFileView->setObjectName(QStringLiteral("IconFileView"));
    IconFileView->setModel(ListModel);
    IconFileView->setSelectionModel(ListFileView->selectionModel());
    TIconCellDelegate::ShowAsCells(IconFileView);
    IconFileView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    IconFileView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    IconFileView->setFrameShape(QFrame::NoFrame);
    IconFileView->setContextMenuPolicy(Qt::CustomContextMenu);
    IconFileView->installEventFilter(this);
    FListStack->addWidget(IconFileView);

    auto *mouse = new TListMouseFilter(ListModel, [this] { StartDragOut(); }, this);
    mouse->Watch(ListFileView);
    mouse->Watch(IconFileView);

    FSorter->SetActive(true);
    FSorter->SetListView(header, TArcFileListModel::ColumnCount, [this](int column, int direction) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        ListModel->Sort(column, direction);
        ListFileView->header()->setSortIndicatorShown(true);
        ListFileView->header()->setSortIndicator(column, direction > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
        QGuiApplication::restoreOverrideCursor();
    });

    QObject::connect(ListFileView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                     [this] { ListSelectionChanged(); });
    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(ListFileView),
                                    static_cast<QAbstractItemView *>(IconFileView)}) {
        QObject::connect(view, &QAbstractItemView::doubleClicked, this, [this] { ListFileViewDblClick(); });
        QObject::connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint &pos) {
            if (!PopupMenu1->isEmpty())
                PopupMenu1->popup(view->viewport()->mapToGlobal(pos));
        });
    }
}

TFormViewer::~TFormViewer()
{
    // FormDestroy: the viewer outlives the form only as a shell without it.
    TPnViewerFactory *factory = Viewer ? Viewer->Factory : nullptr;
    if (Viewer) {
        Viewer->Form = nullptr;
        factory->LeaveCurrent(Viewer.get());
        factory->Remove(Viewer.get());
    }
    // Rows and nodes point into the contents model: drop them first.
    ListModel->SetFolder(nullptr, nullptr, nullptr);
    TreeModel->SetArcData(nullptr);
    if (factory)
        factory->NotifyStateChanged();
}

void TFormViewer::NotifyStateChanged()
{
    if (Viewer && Viewer->Factory)
        Viewer->Factory->NotifyStateChanged();
}

void TFormViewer::BindPopup(QAction *memoryAction, QAction *diskAction, QAction *extractAction)
{
    PopupMenu1->clear();
    if (memoryAction)
        PopupMenu1->addAction(memoryAction);
    if (diskAction)
        PopupMenu1->addAction(diskAction);
    if (extractAction) {
        PopupMenu1->addSeparator();
        PopupMenu1->addAction(extractAction);
    }
}

void TFormViewer::InitTab()
{
    // The libraries are probed by the listing, off the window's thread.
    FArcImpl = std::make_shared<TLxArcImpl>();
    FArcData = std::make_shared<TLxArcData>();
}

void TFormViewer::LoadArchive(const QString &Path)
{
    if (!FArcImpl || !FArcData)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const QPointer<TFormViewer> self(this);
    // The listing works on its own copies: the tab may close, or the user cancel, before it
    // ends, and then what it made is dropped.
    struct Outcome {
        bool Chosen = false;
        bool Opened = false;
    };
    auto outcome = std::make_shared<Outcome>();
    auto data = std::make_shared<TLxArcData>();
    const std::string path = QFile::encodeName(Path).toStdString();
    const TArchiveTaskEnd end = RunTask(
        [impl = FArcImpl, data, outcome, path](TArchiveTaskControl &task) {
            impl->Registry().ProbeAll();
            impl->SetFileName(path);
            outcome->Chosen = impl->Registry().CurrentClass() != nullptr;
            if (outcome->Chosen && !task.Cancelled())
                outcome->Opened = data->LoadFromArchive(nullptr, *impl, &task);
        },
        usertext::Listing(), true);
    if (!self) {
        QGuiApplication::restoreOverrideCursor();
        return;
    }
    if (end == TArchiveTaskEnd::Cancelled) {
        // As after a failed open: the archive's name alone, and why.
        FArcData = std::make_shared<TLxArcData>();
        const size_t slash = path.rfind('/');
        FArcData->Name = slash == std::string::npos ? path : path.substr(slash + 1);
        FArcData->Path = path;
        BuildTree();
        QGuiApplication::restoreOverrideCursor();
        NoticeBar->ShowNotice(usertext::ReasonCancelled());
    } else if (outcome->Chosen) {
        FArcData = data;
        BuildTree();
        QGuiApplication::restoreOverrideCursor();
        // The tab shows the archive's name and nothing in it: say why, inside the tab.
        if (!outcome->Opened)
            NoticeBar->ShowNotice(QFileInfo(Path).isReadable() ? usertext::ReasonNoLibrary()
                                                               : usertext::ReasonNotReadable());
        else if (FArcData->ListingCut)
            NoticeBar->ShowNoticeText(usertext::ListingCut());
    } else {
        ShowMessage(this, Cp932ToQString(UnsupportedFormatMessage()));
        if (Viewer)
            Viewer->Close();
        QGuiApplication::restoreOverrideCursor();
    }
}

void TFormViewer::SetTabCaption()
{
    Q_ASSERT_X(Viewer, "Source/ViewerFrm", "a tab without its viewer");
    if (!Viewer)
        return;
    for (QWidget *w = parentWidget(); w; w = w->parentWidget()) {
        if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
            const int index = tabs->indexOf(parentWidget());
            if (index >= 0) {
                // The full path; a long one is elided in the middle, and its tip shows it whole.
                tabs->setTabText(index, QString(Viewer->FileName).replace(QLatin1Char('&'), QLatin1String("&&")));
                tabs->setTabToolTip(index, Viewer->FileName);
            }
            break;
        }
    }
}

void TFormViewer::FormClose()
{
    FClosing = true;
    CancelTask();
    ListModel->SetFolder(nullptr, nullptr, nullptr);
    TreeModel->SetArcData(nullptr);
    FArcData.reset();
    if (auto *page = dynamic_cast<TLxTabAPPTabSheet *>(parentWidget()))
        page->RequestRemove();
}

void TFormViewer::BuildTree()
{
    ListModel->SetFolder(nullptr, nullptr, nullptr);
    TreeModel->SetArcData(FArcData.get());
    const QModelIndex root = TreeModel->RootIndex();
    TreeArcFile->setCurrentIndex(root);
    // Selecting the node that already is current (a reload) fills the list all the same.
    if (ListModel->Folder() != FArcData->Data.get())
        TreeArcFileChange(root);
}

void TFormViewer::FillList(TLxArcFolderData *folder)
{
    // Another folder shows all its rows: the filter is for the folder it was typed in.
    if (EditFilter && !EditFilter->text().isEmpty() && ListModel->Folder() != folder) {
        const QSignalBlocker blocker(EditFilter);
        EditFilter->clear();
        ListModel->SetFilter(std::string());
    }
    ListModel->SetFolder(folder, &FIconLib, &ImageList2);
    ListFileView->header()->setSortIndicatorShown(false);
    NotifyStateChanged();
}

void TFormViewer::TreeArcFileChange(const QModelIndex &node)
{
    if (TLxArcFolderItem *folder = TreeModel->FolderAt(node)) {
        // The tree opens the branch it selects.
        if (TreeModel->hasChildren(node) && !TreeArcFile->isExpanded(node))
            TreeArcFile->expand(node);
        ScrollSidewaysTo(TreeArcFile, node);
        FillList(folder->Data.get());
        PlayUISound(2);
    }
    NotifyStateChanged();
}

void TFormViewer::TreeArcFileMouseUp(Qt::MouseButton button, const QPoint &pos)
{
    const QModelIndex node = TreeArcFile->currentIndex();
    if (!node.isValid() || node.parent().isValid() || button != Qt::RightButton || !FArcData)
        return;
    FContextPopup->Directory = QString::fromUtf8(FArcData->Path);
    FContextPopup->Files.clear();
    FContextPopup->Popup(TreeArcFile->viewport()->mapToGlobal(pos));
}

void TFormViewer::SelectFolder(TLxArcFolderItem *folder)
{
    const QModelIndex node = TreeModel->IndexOf(folder);
    if (node.isValid())
        TreeArcFile->setCurrentIndex(node);
}

QString TFormViewer::CurrentFolderCaption() const { return TreeArcFile->currentIndex().data().toString(); }

void TFormViewer::ListFileViewChange(int row)
{
    TLxArcFolderItem *folder = ListModel->FolderAt(row);
    if (!folder)
        return;
    // Selecting the node refills the list: not from inside the list's own selection handling.
    // A reset of the tree meanwhile (the tab closing) invalidates the node.
    const QPersistentModelIndex node(TreeModel->IndexOf(folder));
    QTimer::singleShot(0, this, [this, node] {
        if (node.isValid())
            TreeArcFile->setCurrentIndex(node);
    });
}

void TFormViewer::ListFileViewDblClick()
{
    std::shared_ptr<IPnViewerTools> tools = Viewer && Viewer->Factory ? Viewer->Factory->CurrentViewerTools() : nullptr;
    if (tools) {
        PlayUISound(2);
        tools->OpenInMemory();
    }
}

bool TFormViewer::ListKeyPress(QObject *watched, QKeyEvent *event)
{
    if (event->modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Backspace:
        GoUp();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        if (watched == TreeArcFile)
            return false;
        // Enter does what a double-click does: a folder row is entered, a file row is read
        // in the text viewer.
        const int row = SelectedRow();
        if (TLxArcFolderItem *folder = ListModel->FolderAt(row))
            SelectFolder(folder);
        else if (ListModel->EntryAt(row))
            ListFileViewDblClick();
        return row >= 0;
    }
    default:
        return false;
    }
}

void TFormViewer::ListSelectionChanged()
{
    // A folder row chosen alone enters the folder; with Ctrl or Shift it joins a selection
    // (to be extracted) instead.
    const QModelIndexList rows = ListFileView->selectionModel()->selectedRows();
    const bool extending = QGuiApplication::keyboardModifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    if (rows.size() == 1 && !extending && ListModel->FolderAt(rows.first().row()))
        ListFileViewChange(rows.first().row());
    NotifyStateChanged();
}

int TFormViewer::SelectedRow() const
{
    const QModelIndexList rows = ListFileView->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
}

TLxPackedItem *TFormViewer::SelectedEntry() const { return ListModel->EntryAt(SelectedRow()); }

bool TFormViewer::CanGoUp() const
{
    const QModelIndex node = TreeArcFile->currentIndex();
    return node.isValid() && FArcData && node.data().toString() != QString::fromUtf8(FArcData->Name);
}

void TFormViewer::GoUp()
{
    const QModelIndex parent = TreeArcFile->currentIndex().parent();
    if (parent.isValid())
        TreeArcFile->setCurrentIndex(parent);
}

bool TFormViewer::IsIconStyle() const { return FListStack->currentWidget() == IconFileView; }

void TFormViewer::SetIconStyle(bool icons)
{
    const bool hadFocus = FListStack->currentWidget()->hasFocus();
    FListStack->setCurrentWidget(icons ? static_cast<QWidget *>(IconFileView) : ListFileView);
    if (hadFocus)
        FListStack->currentWidget()->setFocus();
    NotifyStateChanged();
}

void TFormViewer::FormActivate()
{
    if (Viewer && Viewer->Factory)
        Viewer->Factory->SetCurrent(Viewer);
}

void TFormViewer::FormDeactivate()
{
    if (!Viewer || !Viewer->Factory)
        return;
    Viewer->Factory->LeaveCurrent(Viewer.get());
    NotifyStateChanged();
}

void TFormViewer::FormControlsEnter()
{
    if (FFocused)
        return;
    FFocused = true;
    FormActivate();
}

void TFormViewer::FormControlsExit()
{
    if (!FFocused)
        return;
    FFocused = false;
    FormDeactivate();
}

bool TFormViewer::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        if (watched == TreeArcFile || watched == ListFileView || watched == IconFileView)
            FormControlsEnter();
        break;
    case QEvent::FocusOut: {
        // Focus moving between the tree and the list stays within the tab; a pop-up menu
        // (the list's own) keeps the tab current too.
        auto *focusEvent = static_cast<QFocusEvent *>(event);
        if ((watched == TreeArcFile || watched == ListFileView || watched == IconFileView) &&
            focusEvent->reason() != Qt::PopupFocusReason) {
            QWidget *next = QApplication::focusWidget();
            if (!next || !isAncestorOf(next))
                FormControlsExit();
        }
        break;
    }
    case QEvent::KeyPress:
        if ((watched == ListFileView || watched == IconFileView || watched == TreeArcFile) &&
            ListKeyPress(watched, static_cast<QKeyEvent *>(event)))
            return true;
        if (watched == EditFilter && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            EditFilter->clear();
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (watched == TreeArcFile->viewport()) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            TreeArcFileMouseUp(mouse->button(), mouse->position().toPoint());
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TFormViewer::hideEvent(QHideEvent *event)
{
    // A tab moved to the back is no longer the one the commands act on.
    FormControlsExit();
    QWidget::hideEvent(event);
}

void TFormViewer::ApplyFilter(const QString &text)
{
    ListModel->SetFilterText(text);
    NotifyStateChanged();
}

void TFormViewer::FocusFilter()
{
    EditFilter->setFocus(Qt::ShortcutFocusReason);
    EditFilter->selectAll();
}

std::vector<std::string> TFormViewer::SelectedEntryPaths() const
{
    return ListModel->EntryPaths(ListFileView->selectionModel()->selectedRows());
}

bool TFormViewer::CanExtractTo() const { return FArcData && FArcImpl && FArcImpl->Registry().CurrentItem(); }

void TFormViewer::ExtractTo()
{
    if (!CanExtractTo())
        return;
    const QString folder = AskExtractFolder(this, FArcData->Path);
    if (!folder.isEmpty())
        ExtractInto(folder, ListFileView->selectionModel()->selectedRows().isEmpty());
}

TExtractResult TFormViewer::ExtractInto(const QString &Folder, bool WholeArchive)
{
    TExtractRequest request;
    request.DestFolder = QFile::encodeName(Folder).toStdString();
    if (!WholeArchive) {
        request.Entries = SelectedEntryPaths();
        if (request.Entries.empty())
            return TExtractResult();
    }
    return RunExtractWithProgress(this, FArcData->Path, request);
}

QStringList TFormViewer::ExtractForDrag()
{
    if (!CanExtractTo())
        return QStringList();
    return ExtractForDragOut(this, FArcData->Path, SelectedEntryPaths(), ListModel->FolderPath());
}

void TFormViewer::StartDragOut()
{
    // The tab may be closed while the extraction runs.
    const QPointer<TFormViewer> self(this);
    const QStringList files = ExtractForDrag();
    if (!files.isEmpty() && self)
        DragFilesOut(this, files);
}
