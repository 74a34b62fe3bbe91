// A tab page that removes itself, with what it holds, when asked.
#ifndef TOVIK_LXTABAPPTABSHEET_H
#define TOVIK_LXTABAPPTABSHEET_H

#include <QWidget>

class TLxTabAPPTabSheet : public QWidget
{
public:
    using QWidget::QWidget;
    // The request to remove the page; carried out once control is back in the event loop,
    // so that the caller (the form inside) may still finish its work.
    void RequestRemove();
};

#endif
