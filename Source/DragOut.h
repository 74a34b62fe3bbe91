// Dragging rows out of an archive tab onto the desktop or a file manager: the chosen entries
// are extracted first into a fresh folder of their own below the private extraction folder,
// and the drag carries what was made there.
#ifndef TOVIK_SOURCE_DRAGOUT_H
#define TOVIK_SOURCE_DRAGOUT_H

#include <QStringList>

#include <string>
#include <vector>

class QWidget;

// Extracts Entries (stored paths; a folder's ending in "/" brings everything below it) of
// the archive at ArchivePath (UTF-8), with StripPrefix removed from each, into a fresh folder
// below the private extraction folder of the work folder, showing progress and questions
// over parent. Nothing else is ever in that folder, so everything in it afterwards is what
// the drag carries: answers the paths of its contents; empty when Entries is, when the
// folder cannot be made (said in a message), or when the extraction was cancelled, aborted
// or could not open the archive.
QStringList ExtractForDragOut(QWidget *parent, const std::string &ArchivePath, std::vector<std::string> Entries,
                              const std::string &StripPrefix);

// Drags Files out of source and returns when the drop is done. Moving is the default and
// takes the files out of the private folder into place; a copy leaves them there until the
// work folder is cleared at the end.
void DragFilesOut(QWidget *source, const QStringList &Files);

#endif
