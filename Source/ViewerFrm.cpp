#include "ViewerFrm.h"

#include "Source/LxPnGlobalState.h"
#include "Source/TextViewFrm.h"
#include "archive/LxArcImpl.h"
#include "platform/Cp932.h"
#include "platform/MessageBox.h"
#include "platform/WorkFolder.h"
#include "LxContextPopup.h"
#include "LxListViewSorter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

using tovik::platform::MessageKind;
using tovik::platform::ShowMessage;

namespace {

// The tab that last had focus, as its two interfaces.
std::shared_ptr<IPnViewerTools> g_CurrentTools;
std::shared_ptr<IPnViewer> g_CurrentViewer;
std::function<void()> g_StateHook;

QString FromCp932(std::string_view text) { return QString::fromStdU16String(tovik::platform::Cp932ToUtf16(text)); }

// A library's message: up to its first NUL, without leading and trailing blanks and control
// characters.
QString LibraryMessageText(const std::string &buffer)
{
    const size_t end = std::min(buffer.find('\0'), buffer.size());
    size_t first = 0, last = end;
    while (first < last && static_cast<unsigned char>(buffer[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(buffer[last - 1]) <= ' ')
        --last;
    return FromCp932(std::string_view(buffer).substr(first, last - first));
}

// The largest part of an entry that is extracted into memory.
constexpr int64_t kMemoryExtractLimit = 1000000;

// Per-type icons come from the desktop's icon theme. Themes that carry only symbolic action
// pictures are asked for the "-symbolic" name too.
QIcon ThemeIcon(const QString &name, const QString &fallback = QString())
{
    QIcon icon = QIcon::fromTheme(name);
    if (icon.isNull())
        icon = QIcon::fromTheme(name + QStringLiteral("-symbolic"));
    if (icon.isNull() && !fallback.isEmpty())
        icon = QIcon::fromTheme(fallback);
    return icon;
}

TLxArcFolderData *NodeData(QTreeWidgetItem *node)
{
    if (!node)
        return nullptr;
    return static_cast<TLxArcFolderData *>(node->data(0, Qt::UserRole).value<void *>());
}

} // namespace

std::shared_ptr<IPnViewerTools> CurrentViewerTools() { return g_CurrentTools; }
std::shared_ptr<IPnViewer> CurrentViewer() { return g_CurrentViewer; }
void SetViewerStateHook(std::function<void()> hook) { g_StateHook = std::move(hook); }
void NotifyViewerStateChanged()
{
    if (g_StateHook)
        g_StateHook();
}

IPnViewerFactory *ViewerFactory()
{
    static TPnViewerFactory factory;
    return &factory;
}

// ---------------------------------------------------------------------------------------------
// TLxTabAPPTabSheet

void TLxTabAPPTabSheet::RequestRemove()
{
    QTimer::singleShot(0, this, [this] {
        // Leaving the tab widget first lets it pick the next page at once.
        for (QWidget *w = parentWidget(); w; w = w->parentWidget()) {
            if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
                const int index = tabs->indexOf(this);
                if (index >= 0)
                    tabs->removeTab(index);
                break;
            }
        }
        delete this;
    });
}

// ---------------------------------------------------------------------------------------------
// TLxIConLib

int TLxIConLib::ImageIndexFor(const std::string &fileName)
{
    if (!FImages)
        return FileImage;
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos)
        return FileImage;
    std::string ext = fileName.substr(dot);
    for (char &c : ext)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (auto it = FIndexes.find(ext); it != FIndexes.end())
        return it->second;

    // Asked once per extension: a type the theme has no picture for keeps the file picture.
    ++FLookups;
    static const QMimeDatabase mimeDb;
    const QMimeType mime = mimeDb.mimeTypeForFile(FromCp932(fileName), QMimeDatabase::MatchExtension);
    int index = FileImage;
    if (mime.isValid() && !mime.isDefault()) {
        QIcon icon = QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName()));
        if (!icon.isNull()) {
            FImages->append(icon);
            index = FImages->size() - 1;
        }
    }
    FIndexes.emplace(std::move(ext), index);
    return index;
}

// ---------------------------------------------------------------------------------------------
// TArcFileListModel

namespace {

const char *const kColumnCaptions[TArcFileListModel::ColumnCount] = {
    "ファイル名", "オリジナルサイズ", "圧縮サイズ", "レート", "日付", "時間", "属性", "CRC", "モード"};

std::string PadLeft(std::string text, size_t width)
{
    if (text.size() < width)
        text.insert(0, width - text.size(), ' ');
    return text;
}

// One sub-text of an entry's row (column 1 to 8), built alone so that sorting a column does
// not format the other seven.
std::string EntrySubText(const TLxPackedItem &item, int column)
{
    switch (column) {
    case 1: return SizeText(item.OriginalSize);
    case 2: return SizeText(item.CompressedSize);
    case 3: return PadLeft(item.RatioText, 6);
    case 4: return tovik::platform::DateText(item.DateTime);
    case 5: return tovik::platform::TimeText(item.DateTime);
    case 6: return item.AttrText;
    case 7: return item.CRCText;
    case 8: return item.ModeText;
    default: return std::string();
    }
}

} // namespace

void TArcFileListModel::SetFolder(TLxArcFolderData *folder, TLxIConLib *iconLib, const QList<QIcon> *images)
{
    beginResetModel();
    FFolder = folder;
    FIconLib = iconLib;
    FImages = images;
    FFolderCount = folder ? folder->Folders->Count() : 0;
    const int total = folder ? FFolderCount + folder->Entries->Count() : 0;
    FOrder.resize(total);
    for (int i = 0; i < total; ++i)
        FOrder[i] = i;
    endResetModel();
}

int TArcFileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(FOrder.size());
}

int TArcFileListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

TLxArcFolderItem *TArcFileListModel::FolderAt(int row) const
{
    if (!FFolder || row < 0 || row >= int(FOrder.size()) || FOrder[row] >= FFolderCount)
        return nullptr;
    return FFolder->Folders->Items(FOrder[row]);
}

TLxPackedItem *TArcFileListModel::EntryAt(int row) const
{
    if (!FFolder || row < 0 || row >= int(FOrder.size()) || FOrder[row] < FFolderCount)
        return nullptr;
    return FFolder->Entries->Items(FOrder[row] - FFolderCount);
}

int TArcFileListModel::ImageIndex(int row) const
{
    if (FolderAt(row))
        return TLxIConLib::FolderImage;
    if (TLxPackedItem *item = EntryAt(row))
        return FIconLib ? FIconLib->ImageIndexFor(item->Name) : TLxIConLib::FileImage;
    return -1;
}

std::string TArcFileListModel::CellText(int row, int column) const
{
    if (TLxArcFolderItem *folder = FolderAt(row))
        return column == 0 ? folder->Name : std::string();
    if (TLxPackedItem *item = EntryAt(row))
        return column == 0 ? item->Name : EntrySubText(*item, column);
    return std::string();
}

QVariant TArcFileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (role == Qt::ToolTipRole && column != 0)
            return QVariant();
        return FromCp932(CellText(row, column));
    case Qt::DecorationRole:
        if (column == 0 && FImages) {
            const int image = ImageIndex(row);
            if (image >= 0 && image < FImages->size())
                return FImages->at(image);
        }
        return QVariant();
    case Qt::TextAlignmentRole:
        if (column >= 1 && column <= 3)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant TArcFileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QVariant();
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(kColumnCaptions[section]);
    return QVariant();
}

void TArcFileListModel::Sort(int column, int direction)
{
    if (!FFolder || direction == 0)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> beforeRows;
    beforeRows.reserve(before.size());
    for (const QModelIndex &i : before)
        beforeRows.push_back(FOrder[i.row()]);

    // The keys are made once: a comparison must not format texts.
    const int total = static_cast<int>(FOrder.size());
    std::vector<std::string> ownKeys;
    std::vector<std::string_view> keys(total);
    if (column == 0) {
        for (int i = 0; i < total; ++i)
            keys[i] = i < FFolderCount ? std::string_view(FFolder->Folders->Items(i)->Name)
                                       : std::string_view(FFolder->Entries->Items(i - FFolderCount)->Name);
    } else {
        ownKeys.resize(total);
        for (int i = FFolderCount; i < total; ++i)
            ownKeys[i] = EntrySubText(*FFolder->Entries->Items(i - FFolderCount), column);
        for (int i = 0; i < total; ++i)
            keys[i] = ownKeys[i];
    }
    std::stable_sort(FOrder.begin(), FOrder.end(), [&](int a, int b) {
        return direction * CompareTextAZ(keys[a], keys[b]) < 0;
    });

    std::vector<int> rowOf(total);
    for (int r = 0; r < total; ++r)
        rowOf[FOrder[r]] = r;
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype k = 0; k < before.size(); ++k)
        after.append(index(rowOf[beforeRows[k]], before[k].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// ---------------------------------------------------------------------------------------------
// TPnViewer

bool TPnViewer::CanGoUp() { return Form && Form->CanGoUp(); }
bool TPnViewer::CanOpenInMemory() { return Form && Form->SelectedEntry(); }
bool TPnViewer::CanOpenOnDisk() { return Form && Form->SelectedEntry(); }
bool TPnViewer::CanShowDetails() { return Form && Form->IsIconStyle(); }
bool TPnViewer::CanShowIcons() { return Form && !Form->IsIconStyle(); }

void TPnViewer::GoUp()
{
    if (Form)
        Form->GoUp();
}

void TPnViewer::ShowDetails()
{
    if (Form && Form->IsIconStyle())
        Form->SetIconStyle(false);
}

void TPnViewer::ShowIcons()
{
    if (Form && !Form->IsIconStyle())
        Form->SetIconStyle(true);
}

void TPnViewer::Close()
{
    if (!Form)
        return;
    // Leaving the current-viewer references first: the tab is about to go.
    if (g_CurrentTools.get() == static_cast<IPnViewerTools *>(this))
        g_CurrentTools.reset();
    if (g_CurrentViewer.get() == static_cast<IPnViewer *>(this))
        g_CurrentViewer.reset();
    Form->FormClose();
    // A closing tab no longer counts as open: the same archive opened again right away gets a
    // new tab instead of the one on its way out.
    ViewerFactory()->Remove(this);
    NotifyViewerStateChanged();
}

void TPnViewer::Activate()
{
    if (!Form || Form->Closing())
        return;
    for (QWidget *w = Form->parentWidget(); w; w = w->parentWidget()) {
        if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
            tabs->setCurrentWidget(Form->parentWidget());
            break;
        }
    }
    Form->TreeArcFile->setFocus(Qt::OtherFocusReason);
}

void TPnViewer::OpenFile(const QString &Name)
{
    FileName = Name;
    if (!Form)
        return;
    if (!Name.isEmpty() && QFileInfo::exists(Name))
        Form->LoadArchive(Name);
    // The form may have closed itself (an unsupported format).
    if (Form)
        Form->SetTabCaption();
}

void TPnViewer::OpenInMemory()
{
    if (!Form)
        return;
    TLxPackedItem *entry = Form->SelectedEntry();
    TArcInfoList &registry = Form->LxArcImpl1()->Registry();
    TArcInfoItem *row = registry.CurrentItem();
    if (!entry || !row)
        return;

    // Sizes of 2 GiB and more, and unknown sizes (negative), still read the first part.
    const int64_t size = entry->OriginalSize < 0 ? kMemoryExtractLimit
                                                 : std::min<int64_t>(entry->OriginalSize, kMemoryExtractLimit);
    std::string buffer(static_cast<size_t>(size), '\0');
    uint32_t written = 0;
    int result = -1;
    if (std::unique_ptr<TLxArchiveBase> wrapper = registry.CreateWrapper(row))
        result = wrapper->ExtractMem(nullptr, Form->LxArcImpl1()->FileName(), entry->Path, buffer, written);

    // Only what the library wrote is the entry's contents.
    const size_t got = std::min<size_t>(written, buffer.size());
    QString message;
    if (result < 0)
        message = QStringLiteral("メモリ展開ができませんでした\r\n\r\n内容の閲覧はできません\r\n\r\n") +
                  LibraryMessageText(buffer);
    else if (got == 0)
        message = QStringLiteral("メモリ展開したデータがありませんでした\r\n内容の閲覧はできません");
    else if (got >= 2 && buffer[0] == 'M' && buffer[1] == 'Z')
        message = QStringLiteral("実行形式ファイルが選択されました\r\n内容の閲覧はできません");
    else {
        TFrmTextView view(Form);
        view.SetEntry(*entry);
        view.SetText(QByteArray(buffer.data(), static_cast<qsizetype>(got)));
        view.exec();
    }
    if (!message.isEmpty())
        ShowMessage(Form, message);
}

void TPnViewer::OpenOnDisk()
{
    if (!Form)
        return;
    TLxPackedItem *entry = Form->SelectedEntry();
    if (!entry)
        return;
    const QString noFolder = QStringLiteral("作業用フォルダが作成できませんでした");
    const QString workFolder = AppIniData() ? AppIniData()->ReadString(SettingKeys::General::WorkFolder) : QString();
    if (workFolder.isEmpty()) {
        ShowMessage(Form, noFolder);
        return;
    }
    if (!QFileInfo::exists(workFolder))
        QDir().mkdir(workFolder);

    const QString question = QStringLiteral("このファイルを\r\n") + workFolder +
                             QStringLiteral("\r\nに解凍して関連付けられたアプリケーションで開きます。\r\n\r\n"
                                            "セキュリティは保証されません。\r\n\r\n実行しますか？");
    if (ShowMessage(Form, question, MessageKind::Warning, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (!Form)
        return;

    // The extraction folder is ours alone: made here with mode 0700, and refused when someone
    // else's folder or a link stands in its place.
    const QString dest = QDir(workFolder).filePath(QString::fromUtf8(tovik::platform::kExtractFolderName));
    const std::string destBytes = QFile::encodeName(dest).toStdString();
    if (!tovik::platform::EnsurePrivateFolder(destBytes)) {
        ShowMessage(Form, noFolder);
        return;
    }

    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    TArcInfoList &registry = Form->LxArcImpl1()->Registry();
    std::string libraryMessage;
    bool extracted = false;
    if (std::unique_ptr<TLxArchiveBase> wrapper = registry.CreateWrapper(registry.CurrentItem()))
        extracted = wrapper->ExtractFile(nullptr, Form->LxArcImpl1()->FileName(), entry->Path, destBytes + "/",
                                         libraryMessage);
    QString message;
    if (extracted) {
        if (!RunProgram(QDir(dest).filePath(FromCp932(entry->Name))))
            message = QStringLiteral("このファイルに関連付けられた\r\nアプリケーションが見つかりません");
    } else {
        message = QStringLiteral("解凍に失敗しました\r\n\r\n") + LibraryMessageText(libraryMessage);
    }
    QGuiApplication::restoreOverrideCursor();
    if (!message.isEmpty())
        ShowMessage(Form, message);
}

bool RunProgram(const QString &Path)
{
    if (!QFileInfo::exists(Path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(Path));
}

// ---------------------------------------------------------------------------------------------
// TPnViewerFactory

void TPnViewerFactory::CloseAll()
{
    const std::vector<std::shared_ptr<TPnViewer>> viewers = FViewers;
    for (auto it = viewers.rbegin(); it != viewers.rend(); ++it)
        (*it)->Close();
}

std::shared_ptr<IPnViewer> TPnViewerFactory::CreateViewer(QTabWidget *pageControl, QAction *memoryAction,
                                                          QAction *diskAction)
{
    if (!pageControl)
        return nullptr;
    auto *page = new TLxTabAPPTabSheet(pageControl);
    const int index = pageControl->addTab(page, QString());
    auto *form = new TFormViewer(page);
    auto viewer = std::make_shared<TPnViewer>(form);
    form->Viewer = viewer;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(form);
    form->BindPopup(memoryAction, diskAction);
    form->show();
    form->InitTab();
    pageControl->setCurrentIndex(index);
    FViewers.push_back(viewer);
    return viewer;
}

std::shared_ptr<IPnViewer> TPnViewerFactory::GetViewer(int index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    return FViewers[index];
}

void TPnViewerFactory::Remove(const IPnViewer *viewer)
{
    for (auto it = FViewers.begin(); it != FViewers.end(); ++it) {
        if (static_cast<const IPnViewer *>(it->get()) == viewer) {
            FViewers.erase(it);
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// TFormViewer

TFormViewer::TFormViewer(QWidget *parent)
    : QWidget(parent), FSorter(std::make_unique<TLxListViewSorter>()),
      FContextPopup(std::make_unique<TLxContextPopup>(this))
{
    setObjectName(QStringLiteral("FormViewer"));
    QStyle *style = QApplication::style();
    ImageList2.append(ThemeIcon(QStringLiteral("folder")).isNull() ? style->standardIcon(QStyle::SP_DirIcon)
                                                                   : ThemeIcon(QStringLiteral("folder")));
    const QIcon fileIcon = ThemeIcon(QStringLiteral("text-x-generic"), QStringLiteral("application-x-generic"));
    ImageList2.append(fileIcon.isNull() ? style->standardIcon(QStyle::SP_FileIcon) : fileIcon);
    FStateImages[1] = ImageList2[0];
    const QIcon open = ThemeIcon(QStringLiteral("folder-open"));
    FStateImages[2] = open.isNull() ? style->standardIcon(QStyle::SP_DirOpenIcon) : open;
    FStateImages[3] = ImageList2[0];

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    layout->addWidget(Splitter1);

    TreeArcFile = new QTreeWidget(Splitter1);
    TreeArcFile->setObjectName(QStringLiteral("TreeArcFile"));
    TreeArcFile->setHeaderHidden(true);
    TreeArcFile->setRootIsDecorated(false);
    TreeArcFile->setIndentation(20);
    TreeArcFile->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeArcFile->setUniformRowHeights(true);
    TreeArcFile->viewport()->installEventFilter(this);
    TreeArcFile->installEventFilter(this);

    FListStack = new QStackedWidget(Splitter1);
    ListModel = new TArcFileListModel(this);
    ListFileView = new QTreeView(FListStack);
    ListFileView->setObjectName(QStringLiteral("ListFileView"));
    ListFileView->setModel(ListModel);
    ListFileView->setRootIsDecorated(false);
    ListFileView->setItemsExpandable(false);
    ListFileView->setUniformRowHeights(true);
    ListFileView->setAllColumnsShowFocus(true);
    ListFileView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListFileView->setSelectionMode(QAbstractItemView::SingleSelection);
    ListFileView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListFileView->setFrameShape(QFrame::NoFrame);
    ListFileView->setContextMenuPolicy(Qt::CustomContextMenu);
    ListFileView->installEventFilter(this);
    ListFileView->viewport()->installEventFilter(this);
    const int widths[] = {150, 80, 80, 50, 100, 80, 60, 100};
    QHeaderView *header = ListFileView->header();
    header->setStretchLastSection(true);
    header->setSectionsMovable(false);
    // A caption wider than its column at this font (the Japanese ones are) widens it.
    for (int c = 0; c < 8; ++c)
        header->resizeSection(c, std::max(widths[c], header->sectionSizeHint(c)));
    FListStack->addWidget(ListFileView);

    IconFileView = new QListView(FListStack);
    IconFileView->setObjectName(QStringLiteral("IconFileView"));
    IconFileView->setModel(ListModel);
    IconFileView->setSelectionModel(ListFileView->selectionModel());
    IconFileView->setViewMode(QListView::IconMode);
    IconFileView->setIconSize(QSize(32, 32));
    IconFileView->setGridSize(QSize(112, 76));
    IconFileView->setResizeMode(QListView::Adjust);
    IconFileView->setMovement(QListView::Static);
    IconFileView->setUniformItemSizes(true);
    IconFileView->setWordWrap(true);
    IconFileView->setTextElideMode(Qt::ElideMiddle);
    IconFileView->setSelectionMode(QAbstractItemView::SingleSelection);
    IconFileView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    IconFileView->setFrameShape(QFrame::NoFrame);
    IconFileView->setContextMenuPolicy(Qt::CustomContextMenu);
    IconFileView->installEventFilter(this);
    IconFileView->viewport()->installEventFilter(this);
    FListStack->addWidget(IconFileView);

    Splitter1->addWidget(TreeArcFile);
    Splitter1->addWidget(FListStack);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({252, 1000});
    Splitter1->setChildrenCollapsible(false);

    PopupMenu1 = new QMenu(this);

    FSorter->SetActive(true);
    FSorter->SetListView(header, TArcFileListModel::ColumnCount, [this](int column, int direction) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        ListModel->Sort(column, direction);
        ListFileView->header()->setSortIndicatorShown(true);
        ListFileView->header()->setSortIndicator(column, direction > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
        QGuiApplication::restoreOverrideCursor();
    });

    QObject::connect(TreeArcFile, &QTreeWidget::currentItemChanged, this,
                     [this](QTreeWidgetItem *current, QTreeWidgetItem *) { TreeArcFileChange(current); });
    QObject::connect(TreeArcFile, &QTreeWidget::itemExpanded, this,
                     [this](QTreeWidgetItem *node) {
                         if (node->parent())
                             node->setIcon(0, FStateImages[2]);
                     });
    QObject::connect(TreeArcFile, &QTreeWidget::itemCollapsed, this,
                     [this](QTreeWidgetItem *node) {
                         if (node->parent())
                             node->setIcon(0, FStateImages[1]);
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
    if (Viewer) {
        Viewer->Form = nullptr;
        if (g_CurrentTools.get() == static_cast<IPnViewerTools *>(Viewer.get()))
            g_CurrentTools.reset();
        if (g_CurrentViewer.get() == static_cast<IPnViewer *>(Viewer.get()))
            g_CurrentViewer.reset();
        ViewerFactory()->Remove(Viewer.get());
    }
    // Rows and nodes point into the contents model: drop them first.
    ListModel->SetFolder(nullptr, nullptr, nullptr);
    TreeArcFile->clear();
    NotifyViewerStateChanged();
}

void TFormViewer::BindPopup(QAction *memoryAction, QAction *diskAction)
{
    PopupMenu1->clear();
    if (memoryAction)
        PopupMenu1->addAction(memoryAction);
    if (diskAction)
        PopupMenu1->addAction(diskAction);
}

void TFormViewer::InitTab()
{
    FArcImpl = std::make_unique<TLxArcImpl>();
    FArcImpl->Registry().ProbeAll();
    FArcData = std::make_unique<TLxArcData>();
    auto iconLib = std::make_unique<TLxIConLib>();
    iconLib->SetImageList(&ImageList2);
    FArcData->IconLib = std::move(iconLib);
}

void TFormViewer::LoadArchive(const QString &Path)
{
    if (!FArcImpl || !FArcData)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QElapsedTimer clock;
    clock.start();
    FArcImpl->SetFileName(QFile::encodeName(Path).toStdString());
    if (FArcImpl->Registry().CurrentClass()) {
        FArcData->LoadFromArchive(nullptr, *FArcImpl);
        LoadMs = clock.nsecsElapsed() / 1e6;
        clock.restart();
        BuildTree();
        TreeMs = clock.nsecsElapsed() / 1e6;
        QGuiApplication::restoreOverrideCursor();
    } else {
        ShowMessage(this, QStringLiteral("この形式には対応していません"));
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
    ListModel->SetFolder(nullptr, nullptr, nullptr);
    TreeArcFile->clear();
    FArcData.reset();
    if (auto *page = dynamic_cast<TLxTabAPPTabSheet *>(parentWidget()))
        page->RequestRemove();
}

void TFormViewer::BuildTree()
{
    ListModel->SetFolder(nullptr, nullptr, nullptr);
    TreeArcFile->clear();
    auto *root = new QTreeWidgetItem(TreeArcFile);
    root->setText(0, QString::fromUtf8(FArcData->Name));
    root->setData(0, Qt::UserRole, QVariant::fromValue<void *>(FArcData->Data.get()));
    FArcData->Node = root;
    QIcon rootIcon = QIcon::fromTheme(QStringLiteral("package-x-generic"));
    root->setIcon(0, rootIcon.isNull() ? FStateImages[1] : rootIcon);
    TreeArcFile->setUpdatesEnabled(false);
    if (FArcData->Data->Folders->Count() > 0)
        AddFolderNodes(FArcData->Data->Folders.get(), root);
    TreeArcFile->setUpdatesEnabled(true);
    TreeArcFile->setCurrentItem(root);
    // Selecting the node that already is current (a reload) fills the list all the same.
    if (ListModel->Folder() != FArcData->Data.get())
        TreeArcFileChange(root);
}

void TFormViewer::AddFolderNodes(TLxArcFolderList *folders, QTreeWidgetItem *parent)
{
    QList<QTreeWidgetItem *> nodes;
    nodes.reserve(folders->Count());
    for (int i = 0; i < folders->Count(); ++i) {
        TLxArcFolderItem *folder = folders->Items(i);
        auto *node = new QTreeWidgetItem();
        node->setText(0, FromCp932(folder->Name));
        node->setData(0, Qt::UserRole, QVariant::fromValue<void *>(folder->Data.get()));
        folder->Node = node;
        const bool hasSubFolders = folder->Data->Folders->Count() > 0;
        node->setIcon(0, FStateImages[hasSubFolders ? 1 : 3]);
        if (hasSubFolders)
            AddFolderNodes(folder->Data->Folders.get(), node);
        nodes.append(node);
    }
    parent->addChildren(nodes);
}

void TFormViewer::FillList(TLxArcFolderData *folder)
{
    ListModel->SetFolder(folder, FArcData ? static_cast<TLxIConLib *>(FArcData->IconLib.get()) : nullptr,
                         &ImageList2);
    ListFileView->header()->setSortIndicatorShown(false);
    NotifyViewerStateChanged();
}

void TFormViewer::TreeArcFileChange(QTreeWidgetItem *node)
{
    if (TLxArcFolderData *data = NodeData(node)) {
        // The tree opens the branch it selects.
        if (node->childCount() > 0 && !node->isExpanded())
            node->setExpanded(true);
        FillList(data);
        PlayUISound(2);
    }
    NotifyViewerStateChanged();
}

void TFormViewer::TreeArcFileMouseUp(Qt::MouseButton button, const QPoint &pos)
{
    QTreeWidgetItem *node = TreeArcFile->currentItem();
    if (!node || node->parent() || button != Qt::RightButton || !FArcData)
        return;
    FContextPopup->Directory = QString::fromUtf8(FArcData->Path);
    FContextPopup->Files.clear();
    FContextPopup->Popup(TreeArcFile->viewport()->mapToGlobal(pos));
}

void TFormViewer::ListFileViewChange(int row)
{
    TLxArcFolderItem *folder = ListModel->FolderAt(row);
    if (!folder || !folder->Node)
        return;
    auto *node = static_cast<QTreeWidgetItem *>(folder->Node);
    // Selecting the node refills the list: not from inside the list's own selection handling.
    QTimer::singleShot(0, this, [this, node] {
        if (FArcData)
            TreeArcFile->setCurrentItem(node);
    });
}

void TFormViewer::ListFileViewDblClick()
{
    if (std::shared_ptr<IPnViewerTools> tools = CurrentViewerTools()) {
        PlayUISound(2);
        tools->OpenInMemory();
    }
}

void TFormViewer::ListSelectionChanged()
{
    const int row = SelectedRow();
    if (row >= 0 && ListModel->FolderAt(row))
        ListFileViewChange(row);
    NotifyViewerStateChanged();
}

int TFormViewer::SelectedRow() const
{
    const QModelIndexList rows = ListFileView->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

TLxPackedItem *TFormViewer::SelectedEntry() const { return ListModel->EntryAt(SelectedRow()); }

bool TFormViewer::CanGoUp() const
{
    QTreeWidgetItem *node = TreeArcFile->currentItem();
    return node && FArcData && node->text(0) != QString::fromUtf8(FArcData->Name);
}

void TFormViewer::GoUp()
{
    if (QTreeWidgetItem *node = TreeArcFile->currentItem())
        if (node->parent())
            TreeArcFile->setCurrentItem(node->parent());
}

bool TFormViewer::IsIconStyle() const { return FListStack->currentWidget() == IconFileView; }

void TFormViewer::SetIconStyle(bool icons)
{
    const bool hadFocus = FListStack->currentWidget()->hasFocus();
    FListStack->setCurrentWidget(icons ? static_cast<QWidget *>(IconFileView) : ListFileView);
    if (hadFocus)
        FListStack->currentWidget()->setFocus();
    NotifyViewerStateChanged();
}

void TFormViewer::FormActivate()
{
    if (!Viewer)
        return;
    g_CurrentTools = Viewer;
    g_CurrentViewer = Viewer;
    NotifyViewerStateChanged();
}

void TFormViewer::FormDeactivate()
{
    if (!Viewer)
        return;
    if (g_CurrentTools.get() == static_cast<IPnViewerTools *>(Viewer.get()))
        g_CurrentTools.reset();
    if (g_CurrentViewer.get() == static_cast<IPnViewer *>(Viewer.get()))
        g_CurrentViewer.reset();
    NotifyViewerStateChanged();
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
    case QEvent::MouseButtonPress:
        if (watched == ListFileView->viewport() || watched == IconFileView->viewport())
            FPressedFolder = ListModel->Folder();
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
