// How the archive tab draws its views: the tree's folder pictures and its sideways scrolling,
// the icon view's cells, and the desktop theme's pictures they use.
#ifndef TOVIK_SOURCE_ARCVIEWDELEGATES_H
#define TOVIK_SOURCE_ARCVIEWDELEGATES_H

#include <QIcon>
#include <QSize>
#include <QStyledItemDelegate>

class QListView;
class QTreeView;

// A picture of the desktop's icon theme by name (or its "-symbolic" form, or fallback's);
// null when the theme has none.
QIcon ThemeIcon(const QString &name, const QString &fallback = QString());

// Scrolls tree sideways, once it has laid itself out, so that node's caption is in sight. The
// view scrolls rows into sight but not their indentation, and a deep folder's is wide.
void ScrollSidewaysTo(QTreeView *tree, const QModelIndex &node);

// Draws each folder of the tree with its state picture: the model's state number (1 with
// sub-folders, 3 without) as a folder, state 1 of an expanded folder as an open folder (2),
// and the root as the archive.
class TFolderStateDelegate : public QStyledItemDelegate
{
public:
    TFolderStateDelegate(QTreeView *view, const QIcon &root, const QIcon &closed, const QIcon &open, const QIcon &leaf);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    QTreeView *FView;
    QIcon FRoot;
    QIcon FImages[4];
};

// Icon-view cells: the picture above its name. A file name has no blanks to break at, so
// the name wraps anywhere, onto up to three lines before it is cut.
class TIconCellDelegate : public QStyledItemDelegate
{
public:
    static constexpr int IconSize = 32;
    static constexpr int Lines = 3;

    explicit TIconCellDelegate(QListView *view);
    QSize CellSize() const { return FCell; }
    // Lays view out in a fixed grid of such cells, in the order of its rows.
    static void ShowAsCells(QListView *view);

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override { return FCell; }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    QSize FCell;
};

#endif
