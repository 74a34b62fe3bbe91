// The main window's tab strip for archive tabs, captioned with full paths.
//
// A path too long for its tab is elided in the middle, and a tab never shrinks so far that
// the file name at its end is cut: the strip scrolls instead.
#ifndef TOVIK_LXPAGECONTROL_H
#define TOVIK_LXPAGECONTROL_H

#include <QTabBar>
#include <QTabWidget>

class TLxPathTabBar : public QTabBar
{
public:
    using QTabBar::QTabBar;

protected:
    QSize minimumTabSizeHint(int index) const override;
};

class TLxPageControl : public QTabWidget
{
public:
    explicit TLxPageControl(QWidget *parent = nullptr);
};

#endif
