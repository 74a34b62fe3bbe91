// The print preview window: the text of the viewer's entry as printed pages, with header and
// footer composed from the "Preview" settings; paging, zoom, line numbers, printer set-up and
// printing. Created per request, given the file name and the lines, shown modally and freed.
//
//     TFormPreview preview(parent);
//     preview.LoadText(fileName, lines);
//     preview.exec();   // showing builds the pages
#ifndef TOVIK_SOURCE_PRINTPREVIEWFRM_H
#define TOVIK_SOURCE_PRINTPREVIEWFRM_H

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenuBar;
class QPrinter;
class QToolBar;
class TLxFormInfo;
class TLxTextPrev;
class TLxPvPlaneTextSection;

class TFormPreview : public QDialog
{
public:
    explicit TFormPreview(QWidget *parent = nullptr);
    ~TFormPreview() override;

    // Prepares the pages of lines (display lines, Shift_JIS) under the header and footer the
    // settings describe; fileName's last component is the header's title.
    void LoadText(const QString &fileName, const std::vector<std::string> &lines);
    void LoadText(const QString &fileName, const QStringList &lines);

    TLxTextPrev *LxTextPrev1 = nullptr;
    TLxPvPlaneTextSection *TextSection = nullptr;
    QLabel *pnlPageInfo = nullptr;
    QLabel *pnlZoomInfo = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QMenuBar *MainMenu1 = nullptr;
    TLxFormInfo *LxFormInfo1 = nullptr; // the window's remembered placement

    QAction *ActFirst = nullptr;
    QAction *ActPrev = nullptr;
    QAction *ActNext = nullptr;
    QAction *ActLast = nullptr;
    QAction *ActZoonDown = nullptr;
    QAction *ActZoonUp = nullptr;
    QAction *ActWholeSize = nullptr;
    QAction *ActPageWidth = nullptr;
    QAction *ActOrigin = nullptr;
    QAction *ActLinNo = nullptr;
    QAction *ActPrinterSetup = nullptr;
    QAction *ActPrint = nullptr;
    QAction *ActClose = nullptr;

    // The dialogs the window runs; tests replace them. Each answers whether the user confirmed.
    std::function<bool(QPrinter *printer, QWidget *parent)> RunPrinterSetupDialog;
    std::function<bool(QPrinter *printer, QWidget *parent)> RunPrintDialog;

    void ActPrintExecute();
    void ActPrinterSetupExecute();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void UpdatePageInfo();

    bool FBuilt = false;
};

#endif
