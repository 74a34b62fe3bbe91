// The viewer as the program runs it, timed on two user actions once the first tab is shown:
// extracting the whole archive into a folder (from the command to the last file written,
// progress window and all), and typing a filter text one key at a time (each keystroke until
// the list has repainted).
//
//   tovik-extract-timing ARCHIVE DEST [FILTER]
//
// Prints "tovik-timing: extract=...ms files=..." and one "tovik-timing: filter ..." line per
// key, then ends the program.
#include "Source/AppMain.h"
#include "Source/ArcFileListModel.h"
#include "Source/MainFrm.h"
#include "Source/ViewerFrm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

#include <cstdio>

namespace {

class ShownThenAct : public QObject
{
public:
    ShownThenAct(TFormMain *window, QString dest, QString filter)
        : QObject(window), FWindow(window), FDest(std::move(dest)), FFilter(std::move(filter))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (FDone || event->type() != QEvent::Paint)
            return false;
        QWidget *page = FWindow->PageControl1->currentWidget();
        TFormViewer *form = page ? page->findChild<TFormViewer *>() : nullptr;
        // The archive opens once the window shows: wait for the tab's listed rows.
        if (!form || watched != form->ListFileView->viewport() || form->ListModel->rowCount() == 0)
            return false;
        FDone = true;
        QTimer::singleShot(0, this, [this, form] { Act(form); });
        return false;
    }

private:
    void Act(TFormViewer *form)
    {
        QElapsedTimer clock;
        clock.start();
        const TExtractResult result = form->ExtractInto(FDest, true);
        std::fprintf(stderr, "tovik-timing: extract=%.1fms files=%lld failures=%zu\n", clock.nsecsElapsed() / 1e6,
                     static_cast<long long>(result.Written), result.Failures.size());
        for (int n = 1; n <= FFilter.size(); ++n) {
            QElapsedTimer key;
            key.start();
            form->EditFilter->setText(FFilter.left(n));
            form->ListFileView->viewport()->repaint();
            std::fprintf(stderr, "tovik-timing: filter \"%s\" rows=%d %.1fms\n", FFilter.left(n).toUtf8().constData(),
                         form->ListModel->rowCount(), key.nsecsElapsed() / 1e6);
        }
        std::fflush(stderr);
        FWindow->close();
    }

    TFormMain *FWindow;
    QString FDest;
    QString FFilter;
    bool FDone = false;
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: tovik-extract-timing ARCHIVE DEST [FILTER]\n");
        return 2;
    }
    const QString dest = QString::fromLocal8Bit(argv[2]);
    const QString filter = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    // The program sees the archive only.
    int programArgc = 2;
    return RunApplication(programArgc, argv, [&](TFormMain &window) { new ShownThenAct(&window, dest, filter); });
}
