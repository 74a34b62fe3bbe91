// Opening an entry of an archive: into memory for the built-in text viewer, or onto the disk
// for the desktop's application. What a window would show comes back as values (the bytes
// to show, the message to give, the file to hand on), so every rule here is testable
// without a window.
#ifndef TOVIK_SOURCE_ENTRYOPENER_H
#define TOVIK_SOURCE_ENTRYOPENER_H

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>

class TLxArcImpl;
class TLxPackedItem;

class TEntryOpener
{
public:
    // The largest part of an entry that is extracted into memory.
    static constexpr int64_t MemoryExtractLimit = 1000000;

    // impl holds the archive path and the tab's registry with its chosen row.
    explicit TEntryOpener(TLxArcImpl &impl) : FImpl(impl) {}

    struct MemoryResult {
        bool Attempted = false;   // false: no library row is chosen, nothing happened
        QByteArray Text;          // what the library wrote, when Message is empty
        QString Message;          // why there is nothing to show
    };
    // Extracts the first MemoryExtractLimit bytes of entry. The message, in this order: the
    // library failed (with its own text), it wrote nothing, the bytes start with "MZ".
    MemoryResult ExtractToMemory(const TLxPackedItem &entry) const;

    struct DiskPlan {
        QString Message;          // the folder cannot be used: say this and stop
        QString Question;         // otherwise ask this before extracting
        QString Folder;           // the private extraction folder
    };
    // Checks the work folder setting and creates the folder one level deep when missing.
    // Nothing is extracted yet.
    static DiskPlan PlanDiskExtraction(const QString &workFolder);

    struct DiskResult {
        QString Message;          // extraction failed: the message, with the library's text
        QString File;             // otherwise the extracted file
    };
    // Extracts entry, without its folders, into plan.Folder, which is made here with mode
    // 0700; someone else's folder or a link in its place is refused.
    DiskResult ExtractToDisk(const TLxPackedItem &entry, const DiskPlan &plan) const;

private:
    TLxArcImpl &FImpl;
};

// Opens Path with the desktop's application for its type. False when the file does not
// exist or the desktop reports failure.
bool RunProgram(const QString &Path);

#endif
