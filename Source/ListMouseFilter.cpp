#include "Source/ListMouseFilter.h"

#include "Source/ArcFileListModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>

TListMouseFilter::TListMouseFilter(const TArcFileListModel *list, std::function<void()> startDrag, QObject *parent)
    : QObject(parent), FList(list), FStartDrag(std::move(startDrag))
{
}

void TListMouseFilter::Watch(QAbstractItemView *view)
{
    FViews.append(view);
    view->viewport()->installEventFilter(this);
}

bool TListMouseFilter::eventFilter(QObject *watched, QEvent *event)
{
    QAbstractItemView *view = nullptr;
    for (QAbstractItemView *v : FViews) {
        if (watched == v->viewport())
            view = v;
    }
    if (!view)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        FPressedFolder = FList->Folder();
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QModelIndex at = view->indexAt(mouse->position().toPoint());
        FDragArmed = mouse->button() == Qt::LeftButton && at.isValid() &&
                     view->selectionModel()->isRowSelected(at.row(), QModelIndex()) &&
                     !(mouse->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier));
        FPressPos = mouse->position().toPoint();
        FPressSwallowed = FDragArmed && view->selectionModel()->selectedRows().size() > 1;
        return FPressSwallowed;
    }
    case QEvent::MouseMove:
        if (!FDragArmed)
            return false;
        if ((static_cast<QMouseEvent *>(event)->position().toPoint() - FPressPos).manhattanLength() >=
            QApplication::startDragDistance()) {
            FDragArmed = false;
            FStartDrag();
        }
        return true;
    case QEvent::MouseButtonDblClick:
        return FList->Folder() != FPressedFolder;
    case QEvent::MouseButtonRelease: {
        FDragArmed = false;
        if (!FPressSwallowed)
            return false;
        FPressSwallowed = false;
        const QModelIndex at = view->indexAt(static_cast<QMouseEvent *>(event)->position().toPoint());
        if (at.isValid())
            view->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return true;
    }
    default:
        return false;
    }
}
