// The mouse on an archive tab's file list, the same in the details and the icon view:
// - a left press on a selected row (without Ctrl or Shift) arms a drag; on a selection of
//   several rows the press is kept from the view, so that all of them can be dragged;
// - moving the start-drag distance with a drag armed starts the drag;
// - a kept press released without a drag makes its row alone the selection;
// - the second click of a double-click is dropped when the first one entered another
//   folder: it belongs to the row that was clicked, not to whatever row of the new folder
//   now lies under the mouse.
#ifndef TOVIK_SOURCE_LISTMOUSEFILTER_H
#define TOVIK_SOURCE_LISTMOUSEFILTER_H

#include <QList>
#include <QObject>
#include <QPoint>

#include <functional>

class QAbstractItemView;
class TArcFileListModel;
class TLxArcFolderData;

class TListMouseFilter : public QObject
{
public:
    // list is the model the views show; startDrag is called when a drag begins and may run
    // an event loop of its own, during which this filter may be destroyed.
    TListMouseFilter(const TArcFileListModel *list, std::function<void()> startDrag, QObject *parent);
    // Applies the rules to view's mouse.
    void Watch(QAbstractItemView *view);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const TArcFileListModel *FList;
    std::function<void()> FStartDrag;
    QList<QAbstractItemView *> FViews;
    TLxArcFolderData *FPressedFolder = nullptr;   // the folder listed at the last press
    QPoint FPressPos;                             // where the left button went down
    bool FDragArmed = false;                      // a press on a selected row may start a drag
    bool FPressSwallowed = false;                 // that press was kept from the view
};

#endif
