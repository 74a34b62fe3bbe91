// One archive tab: a folder tree beside the list of the selected folder's contents, and the
// viewer object through which the main window opens the archive and runs the tab's commands.
//
// The file list is a model over the archive's contents model, never one widget item per row,
// so that a folder of 100,000 entries shows and sorts at once. Tree nodes and list rows only
// point into the contents model, which the form owns for the tab's lifetime.
#ifndef TOVIK_VIEWERFRM_H
#define TOVIK_VIEWERFRM_H

#include "Source/LxPnArcDataClasses.h"
#include "Source/ViewerInterfaces.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QWidget>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QAction;
class QListView;
class QMenu;
class QSplitter;
class QStackedWidget;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class TFormViewer;
class TLxArcImpl;
class TLxContextPopup;
class TLxListViewSorter;

// A tab page that removes itself, with the form it holds, when asked.
class TLxTabAPPTabSheet : public QWidget
{
public:
    using QWidget::QWidget;
    // The request to remove the page; carried out once control is back in the event loop,
    // so that the caller (the form inside) may still finish its work.
    void RequestRemove();
};

// The cache of per-file-type icons of one tab. The desktop is asked once per extension
// (letter case ignored); every row of that type shares the picture.
class TLxIConLib : public TLxIconLibBase
{
public:
    // Index of the folder picture and of the picture for a type without an icon.
    static constexpr int FolderImage = 0;
    static constexpr int FileImage = 1;

    // The pictures the indexes refer to; icons for new types are appended. Not owned.
    void SetImageList(QList<QIcon> *images) { FImages = images; }
    // The image index to show for a file named fileName (CP932 bytes).
    int ImageIndexFor(const std::string &fileName);
    // How often the desktop was asked: for tests.
    int Lookups() const { return FLookups; }

private:
    QList<QIcon> *FImages = nullptr;
    std::unordered_map<std::string, int> FIndexes;   // lower-cased extension -> image index
    int FLookups = 0;
};

// The rows of one folder: its sub-folders, then its entries, in the order the archive gave
// them until a column heading is clicked.
class TArcFileListModel : public QAbstractTableModel
{
public:
    static constexpr int ColumnCount = 9;

    explicit TArcFileListModel(QObject *parent = nullptr) : QAbstractTableModel(parent) {}

    // Shows the contents of folder (null: nothing) with icons from iconLib.
    void SetFolder(TLxArcFolderData *folder, TLxIConLib *iconLib, const QList<QIcon> *images);
    TLxArcFolderData *Folder() const { return FFolder; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The folder of a folder row, the entry of a file row; null otherwise.
    TLxArcFolderItem *FolderAt(int row) const;
    TLxPackedItem *EntryAt(int row) const;
    // 0 for a folder row, the type's picture (1 and above) for a file row, -1 out of range.
    int ImageIndex(int row) const;
    // The text of a cell as the list shows it (CP932 bytes). Folder rows have texts only in
    // the caption column and the four columns after it (empty ones).
    std::string CellText(int row, int column) const;

    // Re-orders the rows by column's texts; direction 1 ascending, -1 descending. Rows of
    // equal text keep their order.
    void Sort(int column, int direction);

private:
    TLxArcFolderData *FFolder = nullptr;
    TLxIConLib *FIconLib = nullptr;
    const QList<QIcon> *FImages = nullptr;
    int FFolderCount = 0;
    // Row -> position in the folder: sub-folders first (0 .. FFolderCount-1), then entries.
    std::vector<int> FOrder;
};

// The viewer object of one tab.
class TPnViewer : public IPnViewerTools, public IPnViewer
{
public:
    explicit TPnViewer(TFormViewer *form) : Form(form) {}

    QString FileName;
    TFormViewer *Form;   // null once the form is gone

    bool CanGoUp() override;
    bool CanOpenInMemory() override;
    bool CanOpenOnDisk() override;
    bool CanShowDetails() override;
    bool CanShowIcons() override;
    // Extracts the selected entry (at most its first 1,000,000 bytes) into memory and shows
    // it in the text viewer window; every failure ends in a message.
    void OpenInMemory() override;
    // After the user confirms, extracts the selected entry into the private extraction
    // folder below the work folder and opens it with the desktop's application.
    void OpenOnDisk() override;
    void GoUp() override;
    void Close() override;
    void ShowDetails() override;
    void ShowIcons() override;

    void Activate() override;
    QString GetFileName() override { return FileName; }
    void OpenFile(const QString &Name) override;
};

class TPnViewerFactory : public IPnViewerFactory
{
public:
    void CloseAll() override;
    std::shared_ptr<IPnViewer> CreateViewer(QTabWidget *pageControl, QAction *memoryAction,
                                            QAction *diskAction) override;
    int Count() override { return static_cast<int>(FViewers.size()); }
    std::shared_ptr<IPnViewer> GetViewer(int index) override;
    void Remove(const IPnViewer *viewer) override;

private:
    std::vector<std::shared_ptr<TPnViewer>> FViewers;
};

// Opens Path with the desktop's application for its type. False when the file does not
// exist or the desktop reports failure.
bool RunProgram(const QString &Path);

class TFormViewer : public QWidget
{
public:
    explicit TFormViewer(QWidget *parent);
    ~TFormViewer() override;

    // Right after creation: probe the libraries and create the contents model.
    void InitTab();
    // Chooses the library for Path, reads the archive and shows its tree and root folder.
    // An unsupported format is reported and the tab closes.
    void LoadArchive(const QString &Path);
    // Captions the tab page with the viewer's file name.
    void SetTabCaption();
    // Binds the pop-up menu to the main window's two extraction actions.
    void BindPopup(QAction *memoryAction, QAction *diskAction);

    // Closing: frees the contents model and asks the tab page to remove itself (and this).
    void FormClose();
    bool Closing() const { return FClosing; }

    // Tools operations.
    bool CanGoUp() const;
    void GoUp();
    bool IsIconStyle() const;
    void SetIconStyle(bool icons);
    // The entry of the selected row when it is a file row.
    TLxPackedItem *SelectedEntry() const;

    std::shared_ptr<TPnViewer> Viewer;
    TLxArcImpl *LxArcImpl1() const { return FArcImpl.get(); }
    TLxArcData *ArcData() const { return FArcData.get(); }
    QTreeWidget *TreeArcFile = nullptr;
    QTreeView *ListFileView = nullptr;
    QListView *IconFileView = nullptr;
    TArcFileListModel *ListModel = nullptr;
    QMenu *PopupMenu1 = nullptr;
    TLxListViewSorter *LxListViewSorter1() const { return FSorter.get(); }
    TLxContextPopup *LxContextPopup1() const { return FContextPopup.get(); }

    // Time spent in the steps of the last LoadArchive, in milliseconds.
    double LoadMs = 0, TreeMs = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void BuildTree();
    void AddFolderNodes(TLxArcFolderList *folders, QTreeWidgetItem *parent);
    void FillList(TLxArcFolderData *folder);
    void TreeArcFileChange(QTreeWidgetItem *node);
    void TreeArcFileMouseUp(Qt::MouseButton button, const QPoint &pos);
    void ListFileViewChange(int row);
    void ListFileViewDblClick();
    void ListSelectionChanged();
    void FormActivate();
    void FormDeactivate();
    void FormControlsEnter();
    void FormControlsExit();
    int SelectedRow() const;

    std::unique_ptr<TLxArcImpl> FArcImpl;
    std::unique_ptr<TLxArcData> FArcData;
    std::unique_ptr<TLxListViewSorter> FSorter;
    std::unique_ptr<TLxContextPopup> FContextPopup;
    QList<QIcon> ImageList2;   // folder (0), file without type icon (1), then per type
    QIcon FStateImages[4];     // 1 folder with sub-folders, 2 its open state, 3 leaf folder
    QSplitter *Splitter1 = nullptr;
    QStackedWidget *FListStack = nullptr;
    bool FFocused = false;
    bool FClosing = false;
    TLxArcFolderData *FPressedFolder = nullptr;   // the folder listed at the last press
};

#endif
