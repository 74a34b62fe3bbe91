// The context menu offered for a file of the desktop.
//
// Linux desktops have no shared context-menu service for files, so the menu holds the
// desktop-style items of its own: open the file with its default application, open the folder
// that holds it, and copy its path. The archive browser shows it for the archive file.
#ifndef TOVIK_LXCONTEXTPOPUP_H
#define TOVIK_LXCONTEXTPOPUP_H

#include <QString>
#include <QStringList>

class QMenu;
class QPoint;
class QWidget;

class TLxContextPopup
{
public:
    explicit TLxContextPopup(QWidget *owner);
    ~TLxContextPopup();
    TLxContextPopup(const TLxContextPopup &) = delete;
    TLxContextPopup &operator=(const TLxContextPopup &) = delete;

    // A file's full path (when Files is empty), or the folder that holds Files.
    QString Directory;
    // Names inside Directory; the menu then acts on the first of them.
    QStringList Files;

    // The file the menu acts on; empty when there is none.
    QString TargetPath() const;

    // Shows the menu at a screen position without waiting for it. Nothing is shown when
    // there is no target. Answers the menu shown, or null.
    QMenu *Popup(const QPoint &globalPos);

    // The menu of the last Popup (null before): for tests.
    QMenu *Menu() const { return FMenu; }

private:
    QWidget *FOwner;
    QMenu *FMenu = nullptr;
};

#endif
