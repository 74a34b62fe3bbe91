// The small controls the options dialog's pages are made of, each made with its object name,
// and the numbers of its number fields as the dialog compares and saves them.
#ifndef TOVIK_SOURCE_OPTIONCONTROLS_H
#define TOVIK_SOURCE_OPTIONCONTROLS_H

#include <QString>

#include <cstdint>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;
class TColorBox;
class TLxNumEditCtrl;

// ---- controls ----

// A group titled title; hint becomes its tooltip when it is not empty.
QGroupBox *NewGroup(QWidget *parent, const QString &title, const QString &hint = QString());
QToolButton *NewButton(QWidget *parent, const char *name, const QString &caption, const QString &hint = QString());
QLineEdit *NewField(QWidget *parent, const char *name, bool readOnly);
QLabel *NewLabel(QWidget *parent, const QString &caption);
// A number field of intLen integer and decimalLen decimal digits, without thousands grouping,
// wide enough for its digits. onChange runs on every change of its number.
TLxNumEditCtrl *NewNumber(QWidget *parent, const char *name, int intLen, int decimalLen,
                          const std::function<void()> &onChange);
// A colour box; onChange runs when the user chooses another colour.
TColorBox *NewColorBox(QWidget *parent, const char *name, const std::function<void()> &onChange);
// A check box; onChange runs on every click.
QCheckBox *NewCheck(QWidget *parent, const char *name, const QString &caption, const std::function<void()> &onChange);

// The label in front of a control that is shown and hidden with its row; the page sets it and
// the dialog shows or hides it with the control. RowLabel answers nullptr when none was set.
void SetRowLabel(QWidget *control, QLabel *label);
QWidget *RowLabel(const QWidget *control);

// ---- numbers ----

// What a number field would hold after loading number: its digit limits drop what does not
// fit, so a stored value is compared and saved as the field can show it.
double AsField(const TLxNumEditCtrl *field, double number);
// A field's number as typed. The change check reads this, so that a number is not clamped
// under the user's fingers; leaving the field clamps it and checks again.
double TypedValue(const TLxNumEditCtrl *field);
int32_t TypedInt(const TLxNumEditCtrl *field);
// A field's number for saving: within its bounds (reading it clamps the field's text too).
int32_t FieldInt(TLxNumEditCtrl *field);
// The same as a currency value, in ten-thousandths.
int64_t FieldCurrency(TLxNumEditCtrl *field);

#endif
