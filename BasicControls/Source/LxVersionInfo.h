// The program's own version text.
//
// The version is compiled in from the build's project version; there is no resource to read
// on this platform.
#ifndef TOVIK_BASICCONTROLS_LXVERSIONINFO_H
#define TOVIK_BASICCONTROLS_LXVERSIONINFO_H

#include <QString>

class TLxVersionInfo
{
public:
    // The file version ("0.1.0"), or "Version情報はありません" when the build carries none.
    QString FileVersion() const;
};

#endif
