#include "Source/LxPnViewer.h"

#include "Source/EntryOpener.h"
#include "Source/LxPnGlobalDef.h"
#include "Source/LxPnGlobalState.h"
#include "Source/TextViewFrm.h"
#include "Source/ViewerFrm.h"
#include "platform/MessageBox.h"
#include "LxTabAPPTabSheet.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

using tovik::platform::MessageKind;
using tovik::platform::ShowMessage;

// ---------------------------------------------------------------------------------------------
// TPnViewer

bool TPnViewer::CanGoUp() { return Form && Form->CanGoUp(); }
bool TPnViewer::CanOpenInMemory() { return Form && Form->SelectedEntry(); }
bool TPnViewer::CanOpenOnDisk() { return Form && Form->SelectedEntry(); }
bool TPnViewer::CanShowDetails() { return Form && Form->IsIconStyle(); }
bool TPnViewer::CanShowIcons() { return Form && !Form->IsIconStyle(); }

bool TPnViewer::CanExtractTo() { return Form && Form->CanExtractTo(); }

void TPnViewer::ExtractTo()
{
    if (Form)
        Form->ExtractTo();
}

void TPnViewer::FocusFilter()
{
    if (Form)
        Form->FocusFilter();
}

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
    Factory->LeaveCurrent(this);
    Form->FormClose();
    // A closing tab no longer counts as open: the same archive opened again right away gets a
    // new tab instead of the one on its way out.
    Factory->Remove(this);
    Factory->NotifyStateChanged();
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
    // Named while it lists, too: a long listing shows in a tab the user can tell.
    Form->SetTabCaption();
    if (!Name.isEmpty() && QFileInfo::exists(Name))
        Form->LoadArchive(Name);
    else
        Form->NoticeBar->ShowNotice(usertext::ReasonNoSuchFile());
    // The form may have closed itself (an unsupported format).
    if (Form)
        Form->SetTabCaption();
}

void TPnViewer::OpenInMemory()
{
    TLxPackedItem *entry = Form ? Form->SelectedEntry() : nullptr;
    if (!entry || !Form->LxArcImpl1())
        return;
    // The extraction runs on copies: the tab may close while it runs.
    auto result = std::make_shared<TEntryOpener::MemoryResult>();
    const TArchiveTaskEnd end = Form->RunTask(
        [impl = Form->SharedArcImpl(), copy = *entry, result](TArchiveTaskControl &) {
            *result = TEntryOpener(*impl).ExtractToMemory(copy);
        },
        usertext::Extracting(), false);
    if (!Form || end == TArchiveTaskEnd::Cancelled || !result->Attempted)
        return;
    if (!result->Message.isEmpty()) {
        ShowMessage(Form, result->Message);
        return;
    }
    TFrmTextView view(Form);
    view.SetEntry(*entry);
    view.SetText(result->Text);
    view.exec();
}

void TPnViewer::OpenOnDisk()
{
    TLxPackedItem *entry = Form ? Form->SelectedEntry() : nullptr;
    if (!entry || !Form->LxArcImpl1())
        return;
    const QString workFolder = AppIniData() ? AppIniData()->ReadString(SettingKeys::General::WorkFolder) : QString();
    const TEntryOpener::DiskPlan plan = TEntryOpener::PlanDiskExtraction(workFolder);
    if (!plan.Message.isEmpty()) {
        ShowMessage(Form, plan.Message);
        return;
    }
    if (ShowMessage(Form, plan.Question, MessageKind::Warning, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    // The tab may have gone while the question was open.
    if (!Form)
        return;

    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    auto result = std::make_shared<TEntryOpener::DiskResult>();
    const TArchiveTaskEnd end = Form->RunTask(
        [impl = Form->SharedArcImpl(), copy = *entry, plan, result](TArchiveTaskControl &) {
            *result = TEntryOpener(*impl).ExtractToDisk(copy, plan);
        },
        usertext::Extracting(), false);
    QString message;
    if (Form && end == TArchiveTaskEnd::Done) {
        message = result->Message;
        if (message.isEmpty() && !RunProgram(result->File))
            message = usertext::NoApplication();
    }
    QGuiApplication::restoreOverrideCursor();
    if (Form && !message.isEmpty())
        ShowMessage(Form, message);
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
                                                          QAction *diskAction, QAction *extractAction)
{
    if (!pageControl)
        return nullptr;
    auto *page = new TLxTabAPPTabSheet(pageControl);
    const int index = pageControl->addTab(page, QString());
    auto *form = new TFormViewer(page);
    auto viewer = std::make_shared<TPnViewer>(form, this);
    form->Viewer = viewer;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(form);
    form->BindPopup(memoryAction, diskAction, extractAction);
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

void TPnViewerFactory::SetCurrent(const std::shared_ptr<TPnViewer> &viewer)
{
    FCurrentTools = viewer;
    FCurrentViewer = viewer;
    NotifyStateChanged();
}

void TPnViewerFactory::LeaveCurrent(const TPnViewer *viewer)
{
    if (FCurrentTools.get() == static_cast<const IPnViewerTools *>(viewer))
        FCurrentTools.reset();
    if (FCurrentViewer.get() == static_cast<const IPnViewer *>(viewer))
        FCurrentViewer.reset();
}

void TPnViewerFactory::NotifyStateChanged()
{
    if (FStateHook)
        FStateHook();
}
