// The archiver information dialog: every archiver library the registry knows, with its
// formats, the folder it was loaded from and its version. Created per request, shown modally
// (exec) and freed.
#ifndef TOVIK_SOURCE_ARCINFOFRM_H
#define TOVIK_SOURCE_ARCINFOFRM_H

#include <QDialog>

#include <memory>

class QCheckBox;
class QPushButton;
class QTableWidget;
class TLxArcImpl;

class TFormArcInfo : public QDialog
{
public:
    // Probes every known library (loading each one once) and fills the table.
    explicit TFormArcInfo(QWidget *parent = nullptr);
    ~TFormArcInfo() override;

    // Refills the table from the registry; with the check box ticked, libraries that are not
    // installed are left out. With nothing to show, one empty row remains.
    void FillGrid();

    QCheckBox *CheckBox1 = nullptr;       // "インストール済みDllのみ表示", ticked at first
    QTableWidget *LxTableGrid1 = nullptr; // read-only rows, one per library
    QPushButton *ButtonClose = nullptr;   // "閉じる"
    std::unique_ptr<TLxArcImpl> LxArcImpl1;
};

#endif
