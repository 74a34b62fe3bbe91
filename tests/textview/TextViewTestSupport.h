// What the text viewer shows, read from its editor's lines.
#ifndef TOVIK_TESTS_TEXTVIEWTESTSUPPORT_H
#define TOVIK_TESTS_TEXTVIEWTESTSUPPORT_H

#include "Source/TextViewFrm.h"
#include "editor/EditDocument.h"
#include "platform/Cp932.h"

#include <QString>

#include <string>
#include <vector>

inline std::vector<std::string> LinesOf(const TFrmTextView &view)
{
    std::vector<std::string> lines;
    for (int i = 0; i < view.Lines().Count(); ++i)
        lines.push_back(view.Lines()[i]);
    return lines;
}

// The shown lines as Unicode, joined with "\n".
inline QString Shown(const TFrmTextView &view)
{
    std::string joined;
    for (int i = 0; i < view.Lines().Count(); ++i) {
        if (i)
            joined += '\n';
        joined += view.Lines()[i];
    }
    return QString::fromStdString(tovik::platform::Cp932ToUtf8(joined));
}

#endif
