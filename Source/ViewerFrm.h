// One archive tab: a folder tree beside the list of the selected folder's contents.
//
// The form owns the archive's contents model for the tab's lifetime; the tree and the list
// are Qt models over it, so that a folder of 100,000 entries shows and sorts at once. The
// main window reaches the form only through its viewer object (LxPnViewer).
#ifndef TOVIK_VIEWERFRM_H
#define TOVIK_VIEWERFRM_H

#include "Source/ArchiveTask.h"
#include "Source/ArcExtractJob.h"
#include "Source/LxIConLib.h"
#include "Source/LxPnArcDataClasses.h"
#include "Source/TabNoticeBar.h"

#include <QIcon>
#include <QList>
#include <QPoint>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QShortcut;
class QKeyEvent;
class QLineEdit;
class QListView;
class QMenu;
class QModelIndex;
class QSplitter;
class QStackedWidget;
class QTreeView;
class TArcFileListModel;
class TArcFolderTreeModel;
class TLxArcImpl;
class TLxContextPopup;
class TLxListViewSorter;
class TPnViewer;

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
    // Binds the pop-up menu to the main window's extraction actions.
    void BindPopup(QAction *memoryAction, QAction *diskAction, QAction *extractAction = nullptr);

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
    // The caption of the selected folder in the tree (empty with none).
    QString CurrentFolderCaption() const;
    // Selects folder in the tree, which lists it.
    void SelectFolder(TLxArcFolderItem *folder);
    // Runs work off the window's thread; after a moment the tab shows caption (with the
    // entries read so far when counted) and a way to cancel: a button, and Esc.
    TArchiveTaskEnd RunTask(std::function<void(TArchiveTaskControl &)> work, const QString &caption, bool counted);
    // Cancels the work the tab is waiting for, if any.
    void CancelTask() { FTask.Cancel(); }
    bool Busy() const { return FTask.Running(); }

    // Extraction into a folder: the selected rows (folders with everything below them), or
    // the whole archive when none is selected.
    bool CanExtractTo() const;
    // Asks for the folder (the last one offered first), then extracts.
    void ExtractTo();
    // Extracts into Folder without asking for it; answers the job's result.
    TExtractResult ExtractInto(const QString &Folder, bool WholeArchive);
    // The stored paths of the selected rows' entries, folders expanded to every entry below.
    std::vector<std::string> SelectedEntryPaths() const;
    // Drag-out: extracts the selected rows into a fresh private folder below the work
    // folder and answers the paths of what was made there (empty on failure or cancel).
    QStringList ExtractForDrag();
    // Puts the focus into the filter field.
    void FocusFilter();

    std::shared_ptr<TPnViewer> Viewer;
    TLxArcImpl *LxArcImpl1() const { return FArcImpl.get(); }
    // The registry shared with work running off the window's thread.
    std::shared_ptr<TLxArcImpl> SharedArcImpl() const { return FArcImpl; }
    TLxArcData *ArcData() const { return FArcData.get(); }
    // Above tree and list: why the archive could not be opened, or how far long work has come.
    TTabNoticeBar *NoticeBar = nullptr;
    QTreeView *TreeArcFile = nullptr;
    TArcFolderTreeModel *TreeModel = nullptr;
    QTreeView *ListFileView = nullptr;
    QListView *IconFileView = nullptr;
    TArcFileListModel *ListModel = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QLineEdit *EditFilter = nullptr;
    TLxListViewSorter *LxListViewSorter1() const { return FSorter.get(); }
    TLxContextPopup *LxContextPopup1() const { return FContextPopup.get(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void CreateTree();
    void CreateList();
    void BuildTree();
    void FillList(TLxArcFolderData *folder);
    void TreeArcFileChange(const QModelIndex &node);
    void TreeArcFileMouseUp(Qt::MouseButton button, const QPoint &pos);
    void ListFileViewChange(int row);
    void ListFileViewDblClick();
    // Enter and Backspace in the tree and the list; true when the key was used.
    bool ListKeyPress(QObject *watched, QKeyEvent *event);
    void ListSelectionChanged();
    void FormActivate();
    void FormDeactivate();
    void FormControlsEnter();
    void FormControlsExit();
    void NotifyStateChanged();
    int SelectedRow() const;
    void ApplyFilter(const QString &text);
    void StartDragOut();

    // Shared with the work of a listing or an extraction, which may outlive the tab.
    std::shared_ptr<TLxArcImpl> FArcImpl;
    std::shared_ptr<TLxArcData> FArcData;
    TArchiveTaskHandle FTask;
    QShortcut *FCancelKey = nullptr;
    TLxIConLib FIconLib;
    std::unique_ptr<TLxListViewSorter> FSorter;
    std::unique_ptr<TLxContextPopup> FContextPopup;
    QList<QIcon> ImageList2;   // folder (0), file without type icon (1), then per type
    QSplitter *Splitter1 = nullptr;
    QStackedWidget *FListStack = nullptr;
    bool FFocused = false;
    bool FClosing = false;
    bool FSlowCursor = false;   // the busy cursor of a long task is on
    QWidget *FListPane = nullptr;   // the filter field above the list stack
};

#endif
