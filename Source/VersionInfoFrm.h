// The version dialog: the program's title, its version, the maker and the maker's web
// address. Created per request, shown modally (exec) and freed.
#ifndef TOVIK_SOURCE_VERSIONINFOFRM_H
#define TOVIK_SOURCE_VERSIONINFOFRM_H

#include <QDialog>

class QLabel;
class QPushButton;

class TFormVersionInfo : public QDialog
{
public:
    explicit TFormVersionInfo(QWidget *parent = nullptr);

    // The maker's web address that "More.." opens.
    static QString WebAddress();

    // Double-click on the address: the click sound, then the desktop opens the address.
    // Answers the shell result (above 32 on success); a failure is not reported to the user.
    int LabelWebDblClick();

    QLabel *LabelTitle = nullptr;
    QLabel *LabelVersion = nullptr;
    QLabel *LabelMaker1 = nullptr;
    QLabel *LabelMaker2 = nullptr;
    QLabel *LabelWeb = nullptr;
    QPushButton *ButtonOK = nullptr;
};

#endif
