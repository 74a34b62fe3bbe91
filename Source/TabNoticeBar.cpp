#include "Source/TabNoticeBar.h"

#include "Source/LxPnArcDataClasses.h"
#include "Source/LxPnGlobalDef.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

TTabNoticeBar::TTabNoticeBar(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("NoticeBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::ToolTipBase));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ToolTipText));
    setPalette(colours);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 8, 4);
    FIcon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    FIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize, iconSize));
    NoticeText = new QLabel(this);
    NoticeText->setObjectName(QStringLiteral("NoticeText"));
    NoticeText->setTextFormat(Qt::PlainText);
    NoticeText->setWordWrap(true);
    CancelButton = new QPushButton(QStringLiteral("中止"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    row->addWidget(FIcon);
    row->addWidget(NoticeText, 1);
    row->addWidget(CancelButton);
    hide();
}

void TTabNoticeBar::ShowNotice(const QString &reason)
{
    ShowNoticeText(usertext::ArchiveNotOpened() + QStringLiteral("（") + reason + QStringLiteral("）"));
}

void TTabNoticeBar::ShowNoticeText(const QString &text)
{
    CancelButton->hide();
    NoticeText->setText(text);
    FIcon->show();
    show();
}

void TTabNoticeBar::ShowWork(const QString &caption)
{
    FIcon->hide();
    NoticeText->setText(caption);
    CancelButton->show();
    show();
}

void TTabNoticeBar::ShowWorkCount(const QString &caption, int32_t entries)
{
    NoticeText->setText(caption + QStringLiteral("  ") + QString::fromStdString(GroupedNumberText(entries)) +
                        QStringLiteral(" 件"));
}

void TTabNoticeBar::EndWork()
{
    CancelButton->hide();
    hide();
}
