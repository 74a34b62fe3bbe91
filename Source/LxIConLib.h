// The cache of per-file-type icons of one archive tab.
//
// The desktop is asked once per extension (letter case ignored); every row of that type shares
// the picture. A type the desktop has no picture for shows the generic file picture.
#ifndef TOVIK_SOURCE_LXICONLIB_H
#define TOVIK_SOURCE_LXICONLIB_H

#include <QIcon>
#include <QList>

#include <string>
#include <unordered_map>

class TLxIConLib
{
public:
    // Index of the folder picture and of the picture for a type without an icon.
    static constexpr int FolderImage = 0;
    static constexpr int FileImage = 1;

    // The pictures the indexes refer to; icons for new types are appended. Not owned.
    void SetImageList(QList<QIcon> *images) { FImages = images; }
    // The image index to show for a file named fileName (CP932 bytes).
    int ImageIndexFor(const std::string &fileName);
    // How often the desktop was asked: for tests.
    int Lookups() const { return FLookups; }

private:
    QList<QIcon> *FImages = nullptr;
    std::unordered_map<std::string, int> FIndexes;   // lower-cased extension -> image index
    int FLookups = 0;
};

#endif
