// The options dialog's general page: the work folder, the history, the sounds and the window
// position.
#ifndef TOVIK_SOURCE_OPTIONGENERALPAGE_H
#define TOVIK_SOURCE_OPTIONGENERALPAGE_H

class QWidget;
class TFormOption;

// Makes the page's controls into form's named members and lays them out. Every control whose
// value is compared runs form's change check; what the other clicks do, the dialog connects.
QWidget *CreateGeneralPage(TFormOption &form);

#endif
