#include "Source/LxIConLib.h"

#include "Source/LxPnGlobalProcs.h"

#include <QMimeDatabase>

int TLxIConLib::ImageIndexFor(const std::string &fileName)
{
    if (!FImages)
        return FileImage;
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos)
        return FileImage;
    std::string ext = fileName.substr(dot);
    for (char &c : ext)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (auto it = FIndexes.find(ext); it != FIndexes.end())
        return it->second;

    // Asked once per extension: a type the theme has no picture for keeps the file picture.
    ++FLookups;
    static const QMimeDatabase mimeDb;
    const QMimeType mime = mimeDb.mimeTypeForFile(Cp932ToQString(fileName), QMimeDatabase::MatchExtension);
    int index = FileImage;
    if (mime.isValid() && !mime.isDefault()) {
        QIcon icon = QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName()));
        if (!icon.isNull()) {
            FImages->append(icon);
            index = FImages->size() - 1;
        }
    }
    FIndexes.emplace(std::move(ext), index);
    return index;
}
