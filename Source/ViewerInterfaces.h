// The interfaces through which the main window and the archive tabs talk.
//
// Each archive tab has one viewer object. The main window opens archives and runs its tool
// commands through these interfaces only; it never reaches into a tab's widgets. A viewer
// lives as long as a reference to it is held: the factory's list and the factory's two
// current-viewer references.
#ifndef TOVIK_VIEWERINTERFACES_H
#define TOVIK_VIEWERINTERFACES_H

#include <QString>

#include <functional>
#include <memory>

class QAction;
class QTabWidget;

// The commands of the tab that last had focus.
class IPnViewerTools
{
public:
    virtual ~IPnViewerTools() = default;
    virtual bool CanGoUp() = 0;
    virtual bool CanOpenInMemory() = 0;
    virtual bool CanOpenOnDisk() = 0;
    virtual bool CanShowDetails() = 0;
    virtual bool CanShowIcons() = 0;
    virtual void OpenInMemory() = 0;
    virtual void OpenOnDisk() = 0;
    virtual void GoUp() = 0;
    virtual void Close() = 0;
    virtual void ShowDetails() = 0;
    virtual void ShowIcons() = 0;
    // Extraction into a folder the user picks: the selected rows, or the whole archive.
    virtual bool CanExtractTo() = 0;
    virtual void ExtractTo() = 0;
    // Puts the focus into the list's filter field.
    virtual void FocusFilter() = 0;
};

// One archive tab as the main window and the factory see it.
class IPnViewer
{
public:
    virtual ~IPnViewer() = default;
    // Brings the tab to the front.
    virtual void Activate() = 0;
    virtual void Close() = 0;
    virtual QString GetFileName() = 0;
    // Loads the archive Name into the tab (when it exists) and captions the tab with it.
    virtual void OpenFile(const QString &Name) = 0;
};

class IPnViewerFactory
{
public:
    virtual ~IPnViewerFactory() = default;
    // Closes every tab, the newest first.
    virtual void CloseAll() = 0;
    // Creates a new archive tab in pageControl, its pop-up menu bound to the two extraction
    // actions, and makes it the front page. Null when the tab could not be made.
    // extractAction (extraction into a folder) joins the pop-up menu when given.
    virtual std::shared_ptr<IPnViewer> CreateViewer(QTabWidget *pageControl, QAction *memoryAction,
                                                    QAction *diskAction, QAction *extractAction = nullptr) = 0;
    virtual int Count() = 0;
    // The viewer at index, in creation order; null when out of range.
    virtual std::shared_ptr<IPnViewer> GetViewer(int index) = 0;
    virtual void Remove(const IPnViewer *viewer) = 0;

    // The tab that last had focus, or null.
    virtual std::shared_ptr<IPnViewerTools> CurrentViewerTools() = 0;
    virtual std::shared_ptr<IPnViewer> CurrentViewer() = 0;
    // Called whenever what the tool commands may do can have changed: the current tab, its
    // selection, its view style. The main window re-evaluates its actions then.
    virtual void SetStateHook(std::function<void()> hook) = 0;
};

#endif
