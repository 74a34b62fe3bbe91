#include "ArcViewDelegates.h"

#include "Source/ArcFolderTreeModel.h"

#include <QFontMetrics>
#include <QListView>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

// Themes that carry only symbolic action pictures are asked for the "-symbolic" name too.
QIcon ThemeIcon(const QString &name, const QString &fallback)
{
    QIcon icon = QIcon::fromTheme(name);
    if (icon.isNull())
        icon = QIcon::fromTheme(name + QStringLiteral("-symbolic"));
    if (icon.isNull() && !fallback.isEmpty())
        icon = QIcon::fromTheme(fallback);
    return icon;
}

void ScrollSidewaysTo(QTreeView *tree, const QModelIndex &node)
{
    const QPersistentModelIndex target(node);
    QTimer::singleShot(0, tree, [tree, target] {
        if (!target.isValid())
            return;
        QScrollBar *bar = tree->horizontalScrollBar();
        const QRect rect = tree->visualRect(target);
        const int width = tree->viewport()->width();
        const int margin = tree->indentation();
        if (rect.left() < 0)
            bar->setValue(bar->value() + rect.left() - margin);
        else if (rect.left() + std::min(rect.width(), width / 2) > width)
            bar->setValue(bar->value() + rect.left() - margin);
    });
}

TFolderStateDelegate::TFolderStateDelegate(QTreeView *view, const QIcon &root, const QIcon &closed, const QIcon &open,
                                           const QIcon &leaf)
    : QStyledItemDelegate(view), FView(view), FRoot(root), FImages {QIcon(), closed, open, leaf}
{
}

void TFolderStateDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    int state = index.data(TArcFolderTreeModel::StateImageRole).toInt();
    if (state == 1 && FView->isExpanded(index))
        state = 2;
    option->icon = state == 0 ? FRoot : FImages[state];
    option->features |= QStyleOptionViewItem::HasDecoration;
}

TIconCellDelegate::TIconCellDelegate(QListView *view) : QStyledItemDelegate(view)
{
    const QFontMetrics metrics(view->font());
    FCell = QSize(104, IconSize + Lines * metrics.lineSpacing() + 10);
}

void TIconCellDelegate::ShowAsCells(QListView *view)
{
    view->setViewMode(QListView::IconMode);
    auto *cells = new TIconCellDelegate(view);
    view->setItemDelegate(cells);
    view->setIconSize(QSize(IconSize, IconSize));
    view->setGridSize(cells->CellSize() + QSize(8, 6));
    view->setResizeMode(QListView::Adjust);
    view->setMovement(QListView::Static);
    view->setUniformItemSizes(true);
    view->setWordWrap(true);
    view->setTextElideMode(Qt::ElideMiddle);
}

void TIconCellDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->features |= QStyleOptionViewItem::WrapText;
    option->textElideMode = Qt::ElideMiddle;
}
