// Hands a file, folder or address to the desktop.
#ifndef TOVIK_BASICCONTROLS_LXSHELLEXECUTE_H
#define TOVIK_BASICCONTROLS_LXSHELLEXECUTE_H

#include <QString>

enum class TLxSHVerb { svEdit, svExplore, svOpen, svPrint, svProperties };

class TLxShellExec
{
public:
    QString FileName;
    TLxSHVerb Verb = TLxSHVerb::svOpen;

    // Asks the desktop to act on FileName: an address with a scheme ("https://...",
    // "mailto:...") goes as it is, a bare mail address becomes "mailto:", anything else is a
    // local path. Answers 42 on success, 2 when the desktop refused or FileName is empty,
    // 31 for verbs the desktop has no counterpart for (print, properties), -1 when the call
    // threw. As before: values above 32 mean success.
    int Execute();
};

// The verb's name as the shell spells it ("edit", "explore", "open", "print", "properties").
const char *LxSHVerbName(TLxSHVerb verb);

#endif
