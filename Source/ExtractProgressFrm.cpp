#include "Source/ExtractProgressFrm.h"

#include "Source/ArchiveTask.h"
#include "Source/LxPnGlobalState.h"
#include "archive/LxArcImpl.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

// The progress window waits this long, so that a quick extraction shows none.
constexpr int kShowAfterMs = 300;
constexpr int kRefreshMs = 100;
// Failures listed by name in the closing report; the rest are counted.
constexpr int kListedFailures = 20;

QString Grouped(int64_t n) { return QLocale(QLocale::Japanese).toString(static_cast<qlonglong>(n)); }

// Carries the worker's questions to the window's thread and waits for the answer. The wait
// gives up with "中止" when the job is told to stop: at closing, the window's thread no longer
// answers.
class ThreadedListener : public TExtractListener {
public:
    ThreadedListener(QPointer<QWidget> parent, const TExtractProgress &progress)
        : FParent(std::move(parent)), FProgress(progress)
    {
    }
    TOverwriteAnswer AskOverwrite(const std::string &relativePath) override
    {
        struct Question {
            std::mutex Lock;
            std::condition_variable Answered;
            bool Done = false;
            bool Abandoned = false;
            TOverwriteAnswer Answer = TOverwriteAnswer::Abort;
        };
        auto question = std::make_shared<Question>();
        QMetaObject::invokeMethod(
            qApp,
            [question, parent = FParent, relativePath] {
                {
                    std::lock_guard<std::mutex> lock(question->Lock);
                    if (question->Abandoned)
                        return;
                }
                const TOverwriteAnswer answer = AskOverwriteQuestion(OverwriteQuestionParent(parent), relativePath);
                std::lock_guard<std::mutex> lock(question->Lock);
                question->Answer = answer;
                question->Done = true;
                question->Answered.notify_all();
            },
            Qt::QueuedConnection);
        std::unique_lock<std::mutex> lock(question->Lock);
        while (!question->Done) {
            if (FProgress.Stopping()) {
                question->Abandoned = true;
                return TOverwriteAnswer::Abort;
            }
            question->Answered.wait_for(lock, std::chrono::milliseconds(100));
        }
        return question->Answer;
    }

private:
    QPointer<QWidget> FParent;
    const TExtractProgress &FProgress;
};

} // namespace

TFormExtractProgress::TFormExtractProgress(QWidget *parent, TExtractProgress &progress)
    : QDialog(parent), FProgress(progress)
{
    setObjectName(QStringLiteral("FormExtractProgress"));
    setWindowTitle(QStringLiteral("展開中"));
    setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(this);
    LabelEntries = new QLabel(this);
    LabelBytes = new QLabel(this);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 1000);
    ProgressBar1->setMinimumWidth(360);
    ButtonCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonCancel);
    layout->addWidget(LabelEntries);
    layout->addWidget(LabelBytes);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);
    QObject::connect(ButtonCancel, &QPushButton::clicked, this, [this] { reject(); });
    Refresh();
}

void TFormExtractProgress::Refresh()
{
    if (!FProgress.Listed.load()) {
        // Some archives must be read through before the first file can be named.
        LabelEntries->setText(QStringLiteral("書庫を読んでいます..."));
        LabelBytes->setText(QString());
        ProgressBar1->setRange(0, 0);
        if (FProgress.CancelRequested.load()) {
            ButtonCancel->setEnabled(false);
            LabelEntries->setText(LabelEntries->text() + QStringLiteral("  (中止しています...)"));
        }
        return;
    }
    ProgressBar1->setRange(0, 1000);
    const int64_t entries = FProgress.EntriesDone.load(), entriesTotal = FProgress.EntriesTotal.load();
    const int64_t bytes = FProgress.BytesDone.load(), bytesTotal = FProgress.BytesTotal.load();
    LabelEntries->setText(QStringLiteral("ファイル: %1 / %2").arg(Grouped(entries), Grouped(entriesTotal)));
    LabelBytes->setText(QStringLiteral("バイト: %1 / %2").arg(Grouped(bytes), Grouped(bytesTotal)));
    double part = bytesTotal > 0 ? double(bytes) / double(bytesTotal)
                                 : (entriesTotal > 0 ? double(entries) / double(entriesTotal) : 0.0);
    ProgressBar1->setValue(static_cast<int>(std::min(1.0, std::max(0.0, part)) * 1000));
    if (FProgress.CancelRequested.load()) {
        ButtonCancel->setEnabled(false);
        LabelEntries->setText(LabelEntries->text() + QStringLiteral("  (中止しています...)"));
    }
}

void TFormExtractProgress::reject()
{
    // The window stays until the job has stopped; the entry in hand is dropped whole.
    FProgress.CancelRequested = true;
    Refresh();
}

QString AskExtractFolder(QWidget *parent, const std::string &ArchivePath)
{
    QString start = AppIniData() ? AppIniData()->ReadString(SettingKeys::General::ExtractFolder) : QString();
    if (start.isEmpty() || !QDir(start).exists())
        start = QFileInfo(QString::fromUtf8(ArchivePath)).absolutePath();
    const QString folder = QFileDialog::getExistingDirectory(parent, QStringLiteral("展開先フォルダの選択"), start);
    if (!folder.isEmpty() && AppIniData()) {
        AppIniData()->Write(SettingKeys::General::ExtractFolder, folder);
        AppIniData()->SectionOf(SettingKeys::General::ExtractFolder)->Save();
    }
    return folder;
}

QWidget *OverwriteQuestionParent(QWidget *owner)
{
    if (!owner)
        return owner;
    const QList<TFormExtractProgress *> windows = owner->findChildren<TFormExtractProgress *>();
    if (windows.isEmpty())
        return owner;
    // Shown now if it was still to come: coming later, it would cover the question.
    TFormExtractProgress *progress = windows.front();
    if (!progress->isVisible())
        progress->show();
    return progress;
}

TOverwriteAnswer AskOverwriteQuestion(QWidget *parent, const std::string &relativePath)
{
    using B = QMessageBox;
    const QString text = QStringLiteral("次のファイルは既に存在します。上書きしますか?\r\n\r\n%1")
                             .arg(QString::fromUtf8(relativePath.data(), qsizetype(relativePath.size())));
    const B::StandardButton answer = tovik::platform::ShowMessage(
        parent, text, tovik::platform::MessageKind::Question, B::Yes | B::No | B::YesToAll | B::NoToAll | B::Abort,
        QStringLiteral("上書きの確認"),
        {{B::Yes, QStringLiteral("上書き")},
         {B::No, QStringLiteral("スキップ")},
         {B::YesToAll, QStringLiteral("すべて上書き")},
         {B::NoToAll, QStringLiteral("すべてスキップ")},
         {B::Abort, QStringLiteral("中止")}});
    switch (answer) {
    case B::Yes: return TOverwriteAnswer::Overwrite;
    case B::No: return TOverwriteAnswer::Skip;
    case B::YesToAll: return TOverwriteAnswer::OverwriteAll;
    case B::NoToAll: return TOverwriteAnswer::SkipAll;
    default: return TOverwriteAnswer::Abort;   // "中止", and a box closed without an answer
    }
}

QString ExtractSummaryText(const TExtractResult &result)
{
    if (!result.Opened)
        return result.Cancelled ? QStringLiteral("展開を中止しました。") : QString::fromStdString(result.OpenError);
    QStringList lines;
    if (result.Cancelled || result.Aborted)
        lines << QStringLiteral("展開を中止しました。%1 個のファイルを展開しました。").arg(Grouped(result.Written));
    if (!result.Failures.empty() || !result.Unmatched.empty()) {
        lines << QStringLiteral("展開できなかったファイルがあります (%1 個):")
                     .arg(Grouped(int64_t(result.Failures.size() + result.Unmatched.size())));
        int listed = 0;
        for (const std::string &name : result.Unmatched)
            if (listed++ < kListedFailures)
                lines << QStringLiteral("  %1: ファイルが見つかりません").arg(QString::fromStdString(name));
        for (const TExtractFailure &f : result.Failures)
            if (listed++ < kListedFailures)
                lines << QStringLiteral("  %1: %2").arg(QString::fromStdString(f.Name), QString::fromStdString(f.Reason));
        if (listed > kListedFailures)
            lines << QStringLiteral("  ほか %1 個").arg(listed - kListedFailures);
    }
    return lines.join(QStringLiteral("\r\n"));
}

TExtractResult RunExtractWithProgress(QWidget *parent, const std::string &ArchivePath, const TExtractRequest &Request,
                                      bool ShowSummary)
{
    // What the job uses lives as long as the job: a wait cancelled at closing returns at once
    // while the job ends in its own time.
    struct Shared {
        TExtractProgress Progress;
        TExtractResult Result;
    };
    auto shared = std::make_shared<Shared>();
    const QPointer<QWidget> owner(parent);
    // A short job ends before anything is shown; after that the progress window follows the
    // counters until the job has stopped.
    // Made hidden at once, so that a question coming sooner is asked over it (see
    // OverwriteQuestionParent). Its owner may go first, and takes it along.
    QPointer<TFormExtractProgress> dialog = new TFormExtractProgress(owner.data(), shared->Progress);
    TArchiveTaskView view;
    view.Slow = [&] {
        if (dialog)
            dialog->show();
    };
    view.Progress = [&](int32_t) {
        if (dialog)
            dialog->Refresh();
    };
    const TArchiveTaskEnd end = RunArchiveTask(
        [shared, owner, ArchivePath, Request](TArchiveTaskControl &task) {
            shared->Progress.Task = &task;
            // The window is only touched on its own thread.
            ThreadedListener listener(owner, shared->Progress);
            // The library is loaded, called and freed on this thread, whose fault guard has
            // its own signal stack.
            TLxArcImpl impl;
            impl.Registry().ProbeForFile(ArchivePath);
            impl.SetFileName(ArchivePath);
            if (!impl.Registry().CurrentItem())
                shared->Result.OpenError = "この形式には対応していません";
            else
                shared->Result = RunExtractJob(impl, Request, TOverwritePolicy::Ask, &listener, &shared->Progress);
        },
        view);
    delete dialog.data();
    TExtractResult result = shared->Result;
    if (end == TArchiveTaskEnd::Cancelled) {
        // Only the program's closing cancels the wait itself; the job drops the entry in hand.
        result.Cancelled = true;
        return result;
    }
    if (!owner)
        return result;

    if (ShowSummary) {
        const QString text = ExtractSummaryText(result);
        if (!text.isEmpty())
            tovik::platform::ShowMessage(parent, text,
                                         result.Opened && !result.Cancelled && !result.Aborted
                                             ? tovik::platform::MessageKind::Warning
                                             : tovik::platform::MessageKind::Information);
    }
    return result;
}
