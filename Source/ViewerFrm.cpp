#include "ViewerFrm.h"

#include "Source/ArcFileListModel.h"
#include "Source/ArcViewDelegates.h"
#include "Source/ArcFolderTreeModel.h"
#include "Source/LxPnGlobalDef.h"
#include "Source/LxPnGlobalProcs.h"
#include "Source/ExtractProgressFrm.h"
#include "Source/LxPnSystem.h"
#include "Source/LxPnGlobalState.h"
#include "Source/LxPnViewer.h"
#include "archive/LxArcImpl.h"
#include "platform/Cp932.h"
#include "platform/MessageBox.h"
#include "platform/WorkFolder.h"
#include "LxContextPopup.h"
#include "LxListViewSorter.h"
#include "LxTabAPPTabSheet.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDrag>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalBlocker>
#include <QUrl>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
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
    CreateNoticeBar();
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

void TFormViewer::CreateNoticeBar()
{
    // A strip above tree and list: what went wrong with the archive, or how far a long
    // listing has come. Not modal: the tab stays usable beneath it.
    NoticeBar = new QFrame(this);
    NoticeBar->setObjectName(QStringLiteral("NoticeBar"));
    NoticeBar->setFrameShape(QFrame::StyledPanel);
    NoticeBar->setAutoFillBackground(true);
    QPalette palette = NoticeBar->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::ToolTipBase));
    palette.setColor(QPalette::WindowText, palette.color(QPalette::ToolTipText));
    NoticeBar->setPalette(palette);
    auto *row = new QHBoxLayout(NoticeBar);
    row->setContentsMargins(8, 4, 8, 4);
    FNoticeIcon = new QLabel(NoticeBar);
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    FNoticeIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize, iconSize));
    NoticeText = new QLabel(NoticeBar);
    NoticeText->setObjectName(QStringLiteral("NoticeText"));
    NoticeText->setTextFormat(Qt::PlainText);
    NoticeText->setWordWrap(true);
    CancelButton = new QPushButton(QStringLiteral("中止"), NoticeBar);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    QObject::connect(CancelButton, &QPushButton::clicked, this, [this] { CancelTask(); });
    FCancelKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    FCancelKey->setContext(Qt::WindowShortcut);
    FCancelKey->setEnabled(false);
    QObject::connect(FCancelKey, &QShortcut::activated, this, [this] { CancelTask(); });
    row->addWidget(FNoticeIcon);
    row->addWidget(NoticeText, 1);
    row->addWidget(CancelButton);
    NoticeBar->hide();
}

TArchiveTaskEnd TFormViewer::RunTask(std::function<void(TArchiveTaskControl &)> work, const QString &caption,
                                      bool counted)
{
    const QPointer<TFormViewer> self(this);
    TArchiveTaskView view;
    view.Slow = [this, self, caption] {
        if (!self)
            return;
        FNoticeIcon->hide();
        NoticeText->setText(caption);
        CancelButton->show();
        NoticeBar->show();
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        FSlowCursor = true;
    };
    view.Progress = [this, self, caption, counted](int32_t entries) {
        if (self && counted)
            NoticeText->setText(caption + QStringLiteral("  ") + QString::fromStdString(GroupedNumberText(entries)) +
                                QStringLiteral(" 件"));
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
    CancelButton->hide();
    NoticeBar->hide();
    return end;
}

void TFormViewer::ShowNotice(const QString &reason)
{
    ShowNoticeText(usertext::ArchiveNotOpened() + QStringLiteral("（") + reason + QStringLiteral("）"));
}

void TFormViewer::ShowNoticeText(const QString &text)
{
    CancelButton->hide();
    NoticeText->setText(text);
    FNoticeIcon->show();
    NoticeBar->show();
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
                     [this] { ScrollTreeTo(TreeArcFile->currentIndex()); });
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
    ListFileView->viewport()->installEventFilter(this);
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
    IconFileView->setViewMode(QListView::IconMode);
    auto *cells = new TIconCellDelegate(IconFileView);
    IconFileView->setItemDelegate(cells);
    IconFileView->setIconSize(QSize(TIconCellDelegate::IconSize, TIconCellDelegate::IconSize));
    IconFileView->setGridSize(cells->CellSize() + QSize(8, 6));
    IconFileView->setResizeMode(QListView::Adjust);
    IconFileView->setMovement(QListView::Static);
    IconFileView->setUniformItemSizes(true);
    IconFileView->setWordWrap(true);
    IconFileView->setTextElideMode(Qt::ElideMiddle);
    IconFileView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    IconFileView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    IconFileView->setFrameShape(QFrame::NoFrame);
    IconFileView->setContextMenuPolicy(Qt::CustomContextMenu);
    IconFileView->installEventFilter(this);
    IconFileView->viewport()->installEventFilter(this);
    FListStack->addWidget(IconFileView);

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
        ShowNotice(usertext::ReasonCancelled());
    } else if (outcome->Chosen) {
        FArcData = data;
        BuildTree();
        QGuiApplication::restoreOverrideCursor();
        // The tab shows the archive's name and nothing in it: say why, inside the tab.
        if (!outcome->Opened)
            ShowNotice(QFileInfo(Path).isReadable() ? usertext::ReasonNoLibrary() : usertext::ReasonNotReadable());
        else if (FArcData->ListingCut)
            ShowNoticeText(usertext::ListingCut());
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

void TFormViewer::ScrollTreeTo(const QModelIndex &node)
{
    // The view scrolls rows into sight but not their indentation: a deep folder is brought
    // into sight sideways here, once the column has taken its new width.
    const QPersistentModelIndex target(node);
    QTimer::singleShot(0, this, [this, target] {
        if (!target.isValid())
            return;
        QScrollBar *bar = TreeArcFile->horizontalScrollBar();
        const QRect rect = TreeArcFile->visualRect(target);
        const int width = TreeArcFile->viewport()->width();
        const int margin = TreeArcFile->indentation();
        if (rect.left() < 0)
            bar->setValue(bar->value() + rect.left() - margin);
        else if (rect.left() + std::min(rect.width(), width / 2) > width)
            bar->setValue(bar->value() + rect.left() - margin);
    });
}

void TFormViewer::TreeArcFileChange(const QModelIndex &node)
{
    if (TLxArcFolderItem *folder = TreeModel->FolderAt(node)) {
        // The tree opens the branch it selects.
        if (TreeModel->hasChildren(node) && !TreeArcFile->isExpanded(node))
            TreeArcFile->expand(node);
        ScrollTreeTo(node);
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
    case QEvent::MouseButtonPress:
        if (watched == ListFileView->viewport() || watched == IconFileView->viewport()) {
            FPressedFolder = ListModel->Folder();
            auto *mouse = static_cast<QMouseEvent *>(event);
            auto *view = watched == ListFileView->viewport() ? static_cast<QAbstractItemView *>(ListFileView)
                                                             : static_cast<QAbstractItemView *>(IconFileView);
            const QModelIndex at = view->indexAt(mouse->position().toPoint());
            FDragArmed = mouse->button() == Qt::LeftButton && at.isValid() &&
                         view->selectionModel()->isRowSelected(at.row(), QModelIndex()) &&
                         !(mouse->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier));
            FPressPos = mouse->position().toPoint();
            // A press on a selection of several rows keeps it, so that all can be dragged.
            FPressSwallowed = FDragArmed && view->selectionModel()->selectedRows().size() > 1;
            if (FPressSwallowed)
                return true;
        }
        break;
    case QEvent::MouseMove:
        if (FDragArmed && (watched == ListFileView->viewport() || watched == IconFileView->viewport())) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if ((mouse->position().toPoint() - FPressPos).manhattanLength() >= QApplication::startDragDistance()) {
                FDragArmed = false;
                StartDragOut();
            }
            return true;
        }
        break;
    case QEvent::MouseButtonDblClick:
        // The first click on a folder row already entered that folder: the second click of
        // the double-click belongs to the row that was clicked, not to whatever row of the
        // new folder now lies under the mouse.
        if ((watched == ListFileView->viewport() || watched == IconFileView->viewport()) &&
            ListModel->Folder() != FPressedFolder)
            return true;
        break;
    case QEvent::MouseButtonRelease:
        FDragArmed = false;
        if (FPressSwallowed && (watched == ListFileView->viewport() || watched == IconFileView->viewport())) {
            // A click on a selected row without a drag: the row alone becomes the selection.
            FPressSwallowed = false;
            auto *view = watched == ListFileView->viewport() ? static_cast<QAbstractItemView *>(ListFileView)
                                                             : static_cast<QAbstractItemView *>(IconFileView);
            const QModelIndex at = view->indexAt(static_cast<QMouseEvent *>(event)->position().toPoint());
            if (at.isValid())
                view->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect |
                                                                QItemSelectionModel::Rows);
            return true;
        }
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
    bool lossy = false;
    const QByteArray utf8 = text.toUtf8();
    std::string needle = tovik::platform::Utf8ToCp932(std::string_view(utf8.constData(), utf8.size()), &lossy);
    // A character CP932 cannot hold is in no name: nothing matches.
    if (lossy)
        needle = std::string(1, '\0');
    ListModel->SetFilter(needle);
    NotifyStateChanged();
}

void TFormViewer::FocusFilter()
{
    EditFilter->setFocus(Qt::ShortcutFocusReason);
    EditFilter->selectAll();
}

namespace {

// The stored folder path of a folder of the tree: its names from the root down, "/" after
// each ("" for the root).
std::string FolderStoredPath(const TLxArcFolderItem *folder)
{
    std::vector<const std::string *> names;
    for (const TLxArcFolderItem *f = folder; f && !dynamic_cast<const TLxArcData *>(f);) {
        names.push_back(&f->Name);
        const TLxArcFolderData *data = f->Owner ? f->Owner->Owner : nullptr;
        f = data ? data->Owner : nullptr;
    }
    std::string path;
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        path.append(**it).push_back('/');
    return path;
}

void CollectEntries(const TLxArcFolderData *data, std::vector<std::string> &out)
{
    if (!data)
        return;
    for (int i = 0; i < data->Entries->Count(); ++i)
        out.push_back(data->Entries->Items(i)->Path);
    for (int i = 0; i < data->Folders->Count(); ++i)
        CollectEntries(data->Folders->Items(i)->Data.get(), out);
}

} // namespace

std::string TFormViewer::CurrentFolderPath() const
{
    const TLxArcFolderData *folder = ListModel->Folder();
    return folder ? FolderStoredPath(folder->Owner) : std::string();
}

std::vector<std::string> TFormViewer::SelectedEntryPaths() const
{
    std::vector<std::string> paths;
    const QModelIndexList rows = ListFileView->selectionModel()->selectedRows();
    for (const QModelIndex &row : rows) {
        if (TLxPackedItem *entry = ListModel->EntryAt(row.row()))
            paths.push_back(entry->Path);
        else if (TLxArcFolderItem *folder = ListModel->FolderAt(row.row())) {
            // The folder's own entry (an empty folder has nothing else) and all below it.
            paths.push_back(FolderStoredPath(folder));
            CollectEntries(folder->Data.get(), paths);
        }
    }
    return paths;
}

bool TFormViewer::CanExtractTo() const { return FArcData && FArcImpl && FArcImpl->Registry().CurrentItem(); }

void TFormViewer::ExtractTo()
{
    if (!CanExtractTo())
        return;
    QString start = AppIniData() ? AppIniData()->ReadString(SettingKeys::General::ExtractFolder) : QString();
    if (start.isEmpty() || !QDir(start).exists())
        start = QFileInfo(QString::fromUtf8(FArcData->Path)).absolutePath();
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("展開先フォルダの選択"), start);
    if (folder.isEmpty())
        return;
    if (AppIniData()) {
        AppIniData()->Write(SettingKeys::General::ExtractFolder, folder);
        AppIniData()->SectionOf(SettingKeys::General::ExtractFolder)->Save();
    }
    const bool whole = ListFileView->selectionModel()->selectedRows().isEmpty();
    ExtractInto(folder, whole);
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
    QStringList made;
    std::vector<std::string> entries = SelectedEntryPaths();
    if (entries.empty() || !CanExtractTo())
        return made;
    // A fresh folder of our own below the private extraction folder: nothing else is in it,
    // so everything in it afterwards is what the drag carries.
    QString work = AppIniData() ? AppIniData()->ReadString(SettingKeys::General::WorkFolder) : QString();
    if (work.isEmpty())
        work = QDir::tempPath();
    const QString privateFolder = QDir(work).filePath(QString::fromLatin1(tovik::platform::kExtractFolderName));
    if (!tovik::platform::EnsurePrivateFolder(QFile::encodeName(privateFolder).toStdString())) {
        ShowMessage(this, QStringLiteral("作業フォルダを使えません: %1").arg(privateFolder), tovik::platform::MessageKind::Error);
        return made;
    }
    QString dragFolder;
    for (int n = 0; n < 1000 && dragFolder.isEmpty(); ++n) {
        const QString candidate = QDir(privateFolder).filePath(
            QStringLiteral("drag-%1-%2").arg(QDateTime::currentMSecsSinceEpoch()).arg(n));
        if (QDir().mkdir(candidate))
            dragFolder = candidate;
    }
    if (dragFolder.isEmpty())
        return made;
    TExtractRequest request;
    request.DestFolder = QFile::encodeName(dragFolder).toStdString();
    request.Entries = std::move(entries);
    request.StripPrefix = CurrentFolderPath();
    TExtractResult result = RunExtractWithProgress(this, FArcData->Path, request);
    if (result.Cancelled || result.Aborted || !result.Opened)
        return made;
    const QDir dir(dragFolder);
    for (const QString &name : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        made << dir.filePath(name);
    return made;
}

void TFormViewer::StartDragOut()
{
    // The tab may be closed while the extraction runs.
    const QPointer<TFormViewer> self(this);
    const QStringList files = ExtractForDrag();
    if (files.isEmpty() || !self)
        return;
    auto *mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString &f : files)
        urls << QUrl::fromLocalFile(f);
    mime->setUrls(urls);
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    // Moving takes the files out of the private folder into place; a copy leaves them there
    // until the work folder is cleared at the end.
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}
