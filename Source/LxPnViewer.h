// The viewer objects of the archive tabs and the factory that makes the tabs.
//
// Each tab has one TPnViewer, through which the main window opens the archive and runs the
// tab's commands. The factory keeps the list of open tabs and which of them the commands act
// on (the one that last had focus); the main window owns the factory.
#ifndef TOVIK_SOURCE_LXPNVIEWER_H
#define TOVIK_SOURCE_LXPNVIEWER_H

#include "Source/ViewerInterfaces.h"

#include <memory>
#include <vector>

class TFormViewer;
class TPnViewerFactory;

// The viewer object of one tab.
class TPnViewer : public IPnViewerTools, public IPnViewer
{
public:
    TPnViewer(TFormViewer *form, TPnViewerFactory *factory) : Form(form), Factory(factory) {}

    QString FileName;
    TFormViewer *Form;            // null once the form is gone
    TPnViewerFactory *Factory;    // the factory that lists this viewer

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
    bool CanExtractTo() override;
    void ExtractTo() override;
    void FocusFilter() override;

    void Activate() override;
    QString GetFileName() override { return FileName; }
    void OpenFile(const QString &Name) override;
};

class TPnViewerFactory : public IPnViewerFactory
{
public:
    TPnViewerFactory() = default;
    TPnViewerFactory(const TPnViewerFactory &) = delete;
    TPnViewerFactory &operator=(const TPnViewerFactory &) = delete;

    void CloseAll() override;
    std::shared_ptr<IPnViewer> CreateViewer(QTabWidget *pageControl, QAction *memoryAction,
                                            QAction *diskAction, QAction *extractAction = nullptr) override;
    int Count() override { return static_cast<int>(FViewers.size()); }
    std::shared_ptr<IPnViewer> GetViewer(int index) override;
    void Remove(const IPnViewer *viewer) override;

    std::shared_ptr<IPnViewerTools> CurrentViewerTools() override { return FCurrentTools; }
    std::shared_ptr<IPnViewer> CurrentViewer() override { return FCurrentViewer; }
    void SetStateHook(std::function<void()> hook) override { FStateHook = std::move(hook); }

    // viewer's tab becomes the one the commands act on.
    void SetCurrent(const std::shared_ptr<TPnViewer> &viewer);
    // When viewer's tab is the current one, there is none any more.
    void LeaveCurrent(const TPnViewer *viewer);
    // Runs the state hook.
    void NotifyStateChanged();

private:
    std::vector<std::shared_ptr<TPnViewer>> FViewers;
    std::shared_ptr<IPnViewerTools> FCurrentTools;
    std::shared_ptr<IPnViewer> FCurrentViewer;
    std::function<void()> FStateHook;
};

#endif
