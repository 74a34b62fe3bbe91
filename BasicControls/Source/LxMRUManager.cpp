#include "LxMRUManager.h"

#include "platform/ProfileFile.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include <algorithm>
#include <charconv>
#include <utility>
#include <vector>

using tovik::platform::ProfileFile;

namespace {

const char *const kSection = "MRU";
// The data of the clear item; history items carry their file name.
constexpr int kClearTag = -1;

// The position n of a key "MRU_n" (n in decimal without leading zeros), or -1.
int HistoryIndex(const std::string &key)
{
    if (key.size() < 5 || !tovik::platform::EqualNoCase(std::string_view(key).substr(0, 4), "MRU_"))
        return -1;
    std::string_view digits = std::string_view(key).substr(4);
    if (digits.size() > 1 && digits.front() == '0')
        return -1;
    int n = -1;
    auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    return ec == std::errc() && p == digits.data() + digits.size() && n >= 0 ? n : -1;
}

} // namespace

QString LxQtFileFilter(const QString &filter)
{
    if (!filter.contains(QLatin1Char('|')))
        return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            if (const QString p = pattern.trimmed(); !p.isEmpty())
                patterns << p;
        filters << parts[i].trimmed() + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QLatin1String(";;"));
}

TLxMRUManager::TLxMRUManager(QWidget *owner) : QObject(owner), FOwner(owner)
{
    LoadHistory();
}

TLxMRUManager::~TLxMRUManager()
{
    SaveHistory();
    if (FParentMenuItem)
        for (QAction *action : FParentMenuItem->actions())
            if (action->parent() == this)
                FParentMenuItem->removeAction(action);
}

bool TLxMRUManager::SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int TLxMRUManager::IndexOf(const QString &fileName) const
{
    for (int i = 0; i < FHistory.size(); ++i)
        if (SameName(FHistory[i], fileName))
            return i;
    return -1;
}

// Every "MRU_n" key is read in the order of n, whatever the maximum is at this moment: the
// maximum is set from the settings only after creation, and a longer history saved under a larger
// maximum must survive the restart. Later spellings of a name already read are dropped.
void TLxMRUManager::LoadHistory()
{
    FHistory.clear();
    const ProfileFile ini(tovik::platform::ApplicationIniPath());
    std::vector<std::pair<int, std::string>> keys;
    for (const std::string &key : ini.ReadSection(kSection))
        if (int n = HistoryIndex(key); n >= 0)
            keys.emplace_back(n, key);
    std::sort(keys.begin(), keys.end());
    for (const auto &entry : keys) {
        const QString name = QString::fromStdString(ini.ReadString(kSection, entry.second, ""));
        if (!name.trimmed().isEmpty() && IndexOf(name) < 0)
            FHistory << name;
    }
    RebuildMenu();
}

bool TLxMRUManager::SaveHistory()
{
    ProfileFile ini(tovik::platform::ApplicationIniPath());
    ini.EraseSection(kSection);
    for (int i = 0; i < FHistory.size(); ++i)
        ini.WriteString(kSection, "MRU_" + std::to_string(i), FHistory[i].toStdString());
    return ini.Flush();
}

bool TLxMRUManager::Execute()
{
    QFileDialog dialog(FOwner, FTitle, FInitialDir, LxQtFileFilter(FFilter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(FFileMode);
    dialog.setOptions(FOptions);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    FFiles = dialog.selectedFiles();
    FInitialDir = dialog.directory().absolutePath();
    if (FActive && !FileName().isEmpty())
        AddFileName(FileName());
    return true;
}

void TLxMRUManager::SetMaxSize(int32_t value)
{
    FMaxSize = value;
    TrimToMax();
}

void TLxMRUManager::TrimToMax()
{
    const int keep = std::max(FMaxSize, int32_t(0));
    if (FHistory.size() <= keep)
        return;
    FHistory.erase(FHistory.begin() + keep, FHistory.end());
    RebuildMenu();
}

void TLxMRUManager::SetActive(bool value)
{
    if (value == FActive)
        return;
    FActive = value;
    if (!FActive)
        FHistory.clear();
    RebuildMenu();
}

void TLxMRUManager::SetParentMenuItem(QMenu *item)
{
    if (item == FParentMenuItem)
        return;
    if (FParentMenuItem)
        for (QAction *action : FParentMenuItem->actions())
            if (action->parent() == this) {
                FParentMenuItem->removeAction(action);
                action->deleteLater();
            }
    FParentMenuItem = item;
    RebuildMenu();
}

void TLxMRUManager::AddFileName(const QString &fileName)
{
    if (!FActive || fileName.trimmed().isEmpty())
        return;
    if (int at = IndexOf(fileName); at >= 0)
        FHistory.move(at, 0);
    else
        FHistory.prepend(fileName);
    TrimToMax();
    RebuildMenu();
}

void TLxMRUManager::Clear()
{
    FHistory.clear();
    RebuildMenu();
}

// The old actions are released later: this runs from inside the click of one of them.
void TLxMRUManager::RebuildMenu()
{
    QMenu *menu = FParentMenuItem;
    if (!menu)
        return;
    for (QAction *action : menu->actions()) {
        menu->removeAction(action);
        if (action->parent() == this || action->parent() == menu)
            action->deleteLater();
    }
    menu->menuAction()->setEnabled(FActive && !FHistory.isEmpty());
    if (FActive) {
        for (const QString &name : FHistory) {
            // "&" would mark a mnemonic in a caption; the name itself travels in the data.
            QAction *action = new QAction(QString(name).replace(QLatin1Char('&'), QLatin1String("&&")), this);
            action->setData(name);
            connect(action, &QAction::triggered, this, [this, action] { ItemClicked(action); });
            menu->addAction(action);
        }
    }
    if (!FHistory.isEmpty()) {
        QAction *separator = new QAction(this);
        separator->setSeparator(true);
        menu->addAction(separator);
        QAction *clear = new QAction(QStringLiteral("履歴のクリア"), this);
        clear->setData(kClearTag);
        connect(clear, &QAction::triggered, this, [this, clear] { ItemClicked(clear); });
        menu->addAction(clear);
    }
}

void TLxMRUManager::ItemClicked(QAction *action)
{
    const QVariant data = action->data();
    if (data.typeId() == QMetaType::Int && data.toInt() == kClearTag) {
        Clear();
        return;
    }
    const QString name = data.toString();
    QPointer<TLxMRUManager> alive(this);
    if (OnSelected)
        OnSelected(this, name);
    if (!alive)
        return;
    // Compared exactly: the item carries the entry's own spelling.
    const int at = FHistory.indexOf(name);
    if (at >= 1) {
        FHistory.move(at, 0);
        RebuildMenu();
    }
}
