#include "LxTabAPPTabSheet.h"

#include <QTabWidget>
#include <QTimer>

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
