#include "LxPageControl.h"

#include <QFontMetrics>

QSize TLxPathTabBar::minimumTabSizeHint(int index) const
{
    QSize least = QTabBar::minimumTabSizeHint(index);
    const QSize full = tabSizeHint(index);
    const QString text = tabText(index);
    const QFontMetrics metrics = fontMetrics();
    const int padding = full.width() - metrics.horizontalAdvance(text);
    // Middle elision keeps as much of the end as of the start: twice the file name's width
    // keeps the name whole.
    const QString name = QLatin1Char('/') + text.section(QLatin1Char('/'), -1);
    const int keep = padding + 2 * metrics.horizontalAdvance(name) + metrics.horizontalAdvance(QChar(0x2026));
    least.setWidth(std::max(least.width(), std::min(full.width(), keep)));
    return least;
}

TLxPageControl::TLxPageControl(QWidget *parent) : QTabWidget(parent)
{
    setTabBar(new TLxPathTabBar(this));
    setElideMode(Qt::ElideMiddle);
}
