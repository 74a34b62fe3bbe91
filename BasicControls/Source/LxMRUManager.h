// The archive open dialog with the list of recently opened files.
//
// The history is an ordered list of file names, newest first, in which names that differ only in
// letter case count as one (the first spelling is kept). It is read from the section "MRU" of the
// program's ini file when the manager is created and written back when it is destroyed, and it is
// mirrored as actions under a menu: one per name, then a separator and "履歴のクリア".
#ifndef TOVIK_BASICCONTROLS_LXMRUMANAGER_H
#define TOVIK_BASICCONTROLS_LXMRUMANAGER_H

#include <QFileDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QAction;
class QMenu;
class QWidget;

class TLxMRUManager : public QObject {
public:
    // owner is the dialog's parent window; the manager is its child and saves with it.
    explicit TLxMRUManager(QWidget *owner = nullptr);
    ~TLxMRUManager() override;

    // The dialog. The filter takes either Qt's form ("Archives (*.lzh *.zip)") or the Windows
    // form of description and pattern pairs ("Archives|*.lzh; *.zip").
    QString Filter() const { return FFilter; }
    void SetFilter(const QString &filter) { FFilter = filter; }
    QString Title() const { return FTitle; }
    void SetTitle(const QString &title) { FTitle = title; }
    QString InitialDir() const { return FInitialDir; }
    void SetInitialDir(const QString &folder) { FInitialDir = folder; }
    QFileDialog::FileMode FileMode() const { return FFileMode; }
    void SetFileMode(QFileDialog::FileMode mode) { FFileMode = mode; }
    QFileDialog::Options Options() const { return FOptions; }
    void SetOptions(QFileDialog::Options options) { FOptions = options; }

    // Shows the dialog modally; true when the user confirmed. Then FileName is the first chosen
    // file, Files all of them, and (when Active) FileName heads the history.
    bool Execute();
    QString FileName() const { return FFiles.isEmpty() ? QString() : FFiles.first(); }
    QStringList Files() const { return FFiles; }

    int32_t MaxSize() const { return FMaxSize; }
    // Deletes the oldest entries beyond the new maximum (a negative maximum counts as 0).
    void SetMaxSize(int32_t value);
    bool Active() const { return FActive; }
    // Switching off empties the history, so that the next save leaves the section empty.
    void SetActive(bool value);
    QMenu *ParentMenuItem() const { return FParentMenuItem; }
    // The menu that lists the history; null detaches it. The menu's own actions are replaced.
    void SetParentMenuItem(QMenu *item);

    // Raised when the user picks a history entry, with the entry's file name.
    std::function<void(TLxMRUManager *Sender, const QString &AFileName)> OnSelected;

    // Puts fileName at the head of the history (when Active): an entry equal without regard to
    // letter case moves there instead; a name of blanks only is ignored.
    void AddFileName(const QString &fileName);
    // Empties the history.
    void Clear();
    const QStringList &History() const { return FHistory; }

    // Reads the history from the ini file, replacing the one held.
    void LoadHistory();
    // Writes the history to the ini file (the section is replaced whole); false when the file
    // could not be written. Destruction saves too, without an answer.
    bool SaveHistory();

    // The history's own comparison of names.
    static bool SameName(const QString &a, const QString &b);

private:
    int IndexOf(const QString &fileName) const;
    void TrimToMax();
    void RebuildMenu();
    void ItemClicked(QAction *action);

    QString FFilter;
    QString FTitle;
    QString FInitialDir;
    QFileDialog::FileMode FFileMode = QFileDialog::ExistingFile;
    QFileDialog::Options FOptions;
    QStringList FFiles;

    int32_t FMaxSize = 10;
    bool FActive = true;
    QPointer<QMenu> FParentMenuItem;
    QStringList FHistory;
    QPointer<QWidget> FOwner;
};

// Qt's filter text for a filter in either form (see SetFilter).
QString LxQtFileFilter(const QString &filter);

#endif
