#include "Source/ArcInfoFrm.h"

#include "Source/ArchiveTask.h"
#include "Source/LxPnGlobalProcs.h"
#include "archive/LxArcImpl.h"
#include "platform/Cp932.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int kColumnWidths[4] = {100, 150, 150, 100};
constexpr int kFolderColumn = 2;
// A Linux install folder is far longer than the 150 pixels of its column; the column grows
// to show it whole, up to this width.
constexpr int kFolderColumnMax = 520;
constexpr int kRowHeight = 20;
constexpr int kVisibleRows = 19;

void SetCell(QTableWidget *grid, int row, int column, const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (!text.isEmpty())
        item->setToolTip(text);
    grid->setItem(row, column, item);
}

} // namespace

TFormArcInfo::TFormArcInfo(QWidget *parent) : QDialog(parent), LxArcImpl1(std::make_unique<TLxArcImpl>())
{
    setWindowTitle(QStringLiteral("アーカイバDLL情報"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // Top strip in the tool-tip colour with the filter check box.
    auto *top = new QWidget(this);
    top->setAutoFillBackground(true);
    QPalette topPalette = top->palette();
    topPalette.setColor(QPalette::Window, topPalette.color(QPalette::ToolTipBase));
    topPalette.setColor(QPalette::WindowText, topPalette.color(QPalette::ToolTipText));
    top->setPalette(topPalette);
    CheckBox1 = new QCheckBox(QStringLiteral("インストール済みDllのみ表示"), top);
    CheckBox1->setChecked(true);
    auto *topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(8, 5, 8, 5);
    topLayout->addWidget(CheckBox1);
    topLayout->addStretch(1);

    LxTableGrid1 = new QTableWidget(this);
    LxTableGrid1->setColumnCount(4);
    LxTableGrid1->setUpdatesEnabled(false);
    LxTableGrid1->setHorizontalHeaderLabels({QStringLiteral("DLL名称"), QStringLiteral("対応形式"),
                                             QStringLiteral("インストールフォルダ"), QStringLiteral("バージョン")});
    for (int c = 0; c < 4; ++c)
        LxTableGrid1->setColumnWidth(c, kColumnWidths[c]);
    LxTableGrid1->setUpdatesEnabled(true);
    LxTableGrid1->verticalHeader()->hide();
    LxTableGrid1->verticalHeader()->setDefaultSectionSize(kRowHeight);
    LxTableGrid1->verticalHeader()->setMinimumSectionSize(kRowHeight);
    LxTableGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    LxTableGrid1->horizontalHeader()->setHighlightSections(false);
    LxTableGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    LxTableGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    LxTableGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LxTableGrid1->setWordWrap(false);
    LxTableGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    // Bottom strip with the close button.
    ButtonClose = new QPushButton(QStringLiteral("閉じる"), this);
    ButtonClose->setDefault(true);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(8, 6, 8, 8);
    bottom->addStretch(1);
    bottom->addWidget(ButtonClose);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(LxTableGrid1, 1);
    layout->addLayout(bottom);

    connect(CheckBox1, &QCheckBox::clicked, this, [this] { FillGrid(); });

    {
        // Not while an archive tab's listing calls a library.
        std::lock_guard<std::mutex> lock(ArchiverLock());
        LxArcImpl1->Registry().ProbeAll();
    }
    FillGrid();

    // A fixed border, wide enough for every column and tall enough for all rows.
    const int frame = 2 * LxTableGrid1->frameWidth();
    int width = frame + LxTableGrid1->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < 4; ++c)
        width += LxTableGrid1->columnWidth(c);
    const int height = top->sizeHint().height() + LxTableGrid1->horizontalHeader()->sizeHint().height() +
                       kVisibleRows * kRowHeight + frame + bottom->sizeHint().height() + 2;
    setFixedSize(width, height);
}

TFormArcInfo::~TFormArcInfo() = default;

void TFormArcInfo::FillGrid()
{
    const TArcInfoList &registry = LxArcImpl1->Registry();
    if (registry.Count() == 0) {
        LxTableGrid1->hide();
        return;
    }
    LxTableGrid1->setUpdatesEnabled(false);
    LxTableGrid1->clearContents();
    LxTableGrid1->setRowCount(1);
    LxTableGrid1->setCurrentCell(0, 1);
    const bool installedOnly = CheckBox1->isChecked();
    bool first = true;
    for (int i = 0; i < registry.Count(); ++i) {
        const TArcInfoItem *item = registry.Items(i);
        if (installedOnly && !item->Installed)
            continue;
        if (!first)
            LxTableGrid1->insertRow(LxTableGrid1->rowCount());
        first = false;
        const int row = LxTableGrid1->rowCount() - 1;
        SetCell(LxTableGrid1, row, 0, QString::fromStdString(item->LibraryName));
        SetCell(LxTableGrid1, row, 1, Cp932ToQString(item->Description));
        SetCell(LxTableGrid1, row, 2,
                item->InstallFolder.empty() ? Cp932ToQString(NotInstalledText())
                                            : QString::fromStdString(item->InstallFolder));
        SetCell(LxTableGrid1, row, 3, QString::fromStdString(item->Version));
    }
    // Every row is a single line of text; keep the header row's columns and only widen the
    // folder column when a path needs it.
    LxTableGrid1->resizeColumnToContents(kFolderColumn);
    const int folderWidth = std::min(kFolderColumnMax, LxTableGrid1->columnWidth(kFolderColumn) + 8);
    LxTableGrid1->setColumnWidth(kFolderColumn, std::max(kColumnWidths[kFolderColumn], folderWidth));
    LxTableGrid1->setUpdatesEnabled(true);
}
