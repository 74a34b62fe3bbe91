// Window captions. The program sets no application display name, so Qt appends nothing to
// any caption: what a window sets is what the desktop shows.
#ifndef TOVIK_PLATFORM_WINDOWTITLE_H
#define TOVIK_PLATFORM_WINDOWTITLE_H

#include <QString>

namespace tovik::platform {

// "Tovik 書庫ビューア": the main window's caption, and the caption of a message box that
// brings none of its own.
QString ProgramTitle();

// The main window's caption with a document in front: the document's file name before the
// program's title ("big.zip — Tovik 書庫ビューア"); the title alone when the path is empty.
QString DocumentCaption(const QString &documentPath);

} // namespace tovik::platform

#endif
