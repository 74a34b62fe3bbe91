#include "ArcViewDelegates.h"

#include "Source/ArcFolderTreeModel.h"

#include <QFontMetrics>
#include <QListView>
#include <QTreeView>

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

void TIconCellDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->features |= QStyleOptionViewItem::WrapText;
    option->textElideMode = Qt::ElideMiddle;
}
