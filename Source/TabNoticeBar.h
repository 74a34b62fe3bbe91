// The strip above an archive tab's tree and list: why the archive could not be opened, or how
// far long work has come, with a button to cancel it. Not modal: the tab stays usable beneath
// it. Hidden while there is nothing to say.
#ifndef TOVIK_SOURCE_TABNOTICEBAR_H
#define TOVIK_SOURCE_TABNOTICEBAR_H

#include <QFrame>

#include <cstdint>

class QLabel;
class QPushButton;

class TTabNoticeBar : public QFrame
{
public:
    explicit TTabNoticeBar(QWidget *parent);

    // Says that the archive could not be opened, and why.
    void ShowNotice(const QString &reason);
    // A notice with a text of its own.
    void ShowNoticeText(const QString &text);
    // Long work under way: its caption without the warning sign, and the cancel button.
    void ShowWork(const QString &caption);
    // The caption followed by the entries read so far.
    void ShowWorkCount(const QString &caption, int32_t entries);
    // The work has ended: the strip and its button go.
    void EndWork();

    QLabel *NoticeText = nullptr;
    QPushButton *CancelButton = nullptr;   // shown while long work may be cancelled

private:
    QLabel *FIcon = nullptr;
};

#endif
