// The options dialog's preview page: the preview's colours and font, the page margins, the
// header and footer, and the other printing choices.
#ifndef TOVIK_SOURCE_OPTIONPREVIEWPAGE_H
#define TOVIK_SOURCE_OPTIONPREVIEWPAGE_H

class QWidget;
class TFormOption;

// Makes the page's controls into form's named members and lays them out. Every control whose
// value is compared runs form's change check; what the font button does, the dialog connects.
QWidget *CreatePreviewPage(TFormOption &form);

#endif
