#include "Source/VersionInfoFrm.h"

#include "Source/LxPnGlobalState.h"
#include "BasicControls/Source/LxShellExecute.h"
#include "BasicControls/Source/LxVersionInfo.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kCaptionWidth = 88;

// A panel with a vertical gradient between two colours; the dialog is stacked from these.
class GradientPanel : public QWidget
{
public:
    GradientPanel(const QColor &top, const QColor &bottom, QWidget *parent)
        : QWidget(parent), top_(top), bottom_(bottom)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, top_);
        g.setColorAt(1, bottom_);
        p.fillRect(rect(), g);
    }

private:
    QColor top_, bottom_;
};

// The address label reacts to double-clicks only, as a label should not open things on a
// stray single click.
class WebLabel : public QLabel
{
public:
    WebLabel(const QString &text, TFormVersionInfo *form) : QLabel(text, form), form_(form)
    {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            form_->LabelWebDblClick();
    }

private:
    TFormVersionInfo *form_;
};

QWidget *CaptionPanel(const QString &caption, QWidget *parent)
{
    auto *panel = new GradientPanel(QColor(0x3a, 0x5f, 0xa8), QColor(0x1d, 0x33, 0x66), parent);
    panel->setFixedWidth(kCaptionWidth);
    auto *label = new QLabel(caption, panel);
    label->setStyleSheet(QStringLiteral("color: white;"));
    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(8, 2, 4, 2);
    layout->addWidget(label);
    return panel;
}

QWidget *ContentPanel(QWidget *parent, const QList<QLabel *> &labels)
{
    auto *panel = new GradientPanel(QColor(0xfa, 0xfa, 0xfc), QColor(0xe2, 0xe6, 0xee), parent);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 3, 8, 3);
    layout->setSpacing(0);
    for (QLabel *label : labels) {
        label->setParent(panel);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        layout->addWidget(label);
    }
    return panel;
}

QWidget *Row(QWidget *parent, const QString &caption, const QList<QLabel *> &labels)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(CaptionPanel(caption, row));
    layout->addWidget(ContentPanel(row, labels), 1);
    return row;
}

} // namespace

TFormVersionInfo::TFormVersionInfo(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *titlePanel = new GradientPanel(QColor(0x24, 0x48, 0x8c), QColor(0x0e, 0x22, 0x4c), this);
    LabelTitle = new QLabel(QStringLiteral("Tovik 書庫ビューア"), titlePanel);
    QFont titleFont = LabelTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    LabelTitle->setFont(titleFont);
    LabelTitle->setStyleSheet(QStringLiteral("color: white;"));
    titlePanel->setMinimumWidth(340);
    auto *titleLayout = new QHBoxLayout(titlePanel);
    titleLayout->setContentsMargins(12, 10, 12, 10);
    titleLayout->addWidget(LabelTitle);

    LabelVersion = new QLabel(TLxVersionInfo().FileVersion(), this);
    LabelMaker1 = new QLabel(QStringLiteral("Copyright (C) 2026"), this);
    LabelMaker2 = new QLabel(QStringLiteral("Tovik 開発チーム"), this);
    LabelWeb = new WebLabel(WebAddress(), this);
    LabelWeb->setStyleSheet(QStringLiteral("color: #1a4fb0; text-decoration: underline;"));
    LabelWeb->setToolTip(QStringLiteral("ダブルクリックで開きます"));

    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonOK->setDefault(true);
    ButtonOK->setMinimumHeight(28);
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->setSpacing(1);
    layout->addWidget(titlePanel);
    layout->addWidget(Row(this, QStringLiteral("Version"), {LabelVersion}));
    layout->addWidget(Row(this, QStringLiteral("Copy Right"), {LabelMaker1, LabelMaker2}));
    layout->addWidget(Row(this, QStringLiteral("More.."), {LabelWeb}));
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(6, 5, 6, 0);
    buttons->addWidget(ButtonOK);
    layout->addLayout(buttons);

    // A fixed dialog border: the size the contents ask for, not resizable.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TFormVersionInfo::WebAddress() { return QStringLiteral("https://tovik.example.org/"); }

int TFormVersionInfo::LabelWebDblClick()
{
    PlayUISound(2);
    TLxShellExec shell;
    shell.FileName = LabelWeb->text();
    return shell.Execute();
}
