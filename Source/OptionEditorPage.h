// The options dialog's editor page: the font and its dialog's filters, the line-number bar,
// the text's colours, tab and margins, and how a text is decoded.
#ifndef TOVIK_SOURCE_OPTIONEDITORPAGE_H
#define TOVIK_SOURCE_OPTIONEDITORPAGE_H

class QWidget;
class TFormOption;

// Makes the page's controls into form's named members and lays them out. Every control whose
// value is compared runs form's change check; what the other clicks do, the dialog connects.
QWidget *CreateEditorPage(TFormOption &form);

#endif
