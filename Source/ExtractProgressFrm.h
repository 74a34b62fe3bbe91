// Extraction into a folder from the window: the job runs on a thread of its own while the
// window stays alive; after about 0.3 s a progress window (entries and bytes, a cancel
// button) appears, an existing file asks "上書き", "スキップ", "すべて上書き",
// "すべてスキップ" or "中止", and what could not be written is listed at the end.
#ifndef TOVIK_SOURCE_EXTRACTPROGRESSFRM_H
#define TOVIK_SOURCE_EXTRACTPROGRESSFRM_H

#include "Source/ArcExtractJob.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class TFormExtractProgress : public QDialog
{
public:
    explicit TFormExtractProgress(QWidget *parent, TExtractProgress &progress);
    // Reads the counters again.
    void Refresh();

    QLabel *LabelEntries = nullptr;
    QLabel *LabelBytes = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *ButtonCancel = nullptr;

protected:
    void reject() override;

private:
    TExtractProgress &FProgress;
};

// Runs the request on ArchivePath (UTF-8) and answers when it has ended. The archive's library
// is chosen as for opening it. With ShowSummary, failures and a cancel are reported in a box.
TExtractResult RunExtractWithProgress(QWidget *parent, const std::string &ArchivePath, const TExtractRequest &Request,
                                      bool ShowSummary = true);

// Asks for the folder to extract the archive at ArchivePath (UTF-8) into, offering the folder
// chosen last (or, when there is none or it is gone, the archive's own folder), and remembers
// the choice. Empty when the user cancels.
QString AskExtractFolder(QWidget *parent, const std::string &ArchivePath);

// Where the overwrite question of owner's extraction is asked: over its progress window, shown
// first if it was still to come (coming later, it would cover the question); over owner when
// there is none.
QWidget *OverwriteQuestionParent(QWidget *owner);
// The overwrite question for relativePath (UTF-8), through the program's message box.
TOverwriteAnswer AskOverwriteQuestion(QWidget *parent, const std::string &relativePath);

// The text of the closing report of a result; empty when there is nothing to report.
QString ExtractSummaryText(const TExtractResult &result);

#endif
