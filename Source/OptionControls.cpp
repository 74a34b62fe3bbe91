#include "OptionControls.h"

#include "Source/ColorBox.h"
#include "LxNumEdit.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVariant>

#include <algorithm>
#include <cmath>

namespace {

const char kRowLabel[] = "rowLabel";

} // namespace

QGroupBox *NewGroup(QWidget *parent, const QString &title, const QString &hint)
{
    auto *group = new QGroupBox(title, parent);
    if (!hint.isEmpty())
        group->setToolTip(hint);
    return group;
}

QToolButton *NewButton(QWidget *parent, const char *name, const QString &caption, const QString &hint)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    if (!hint.isEmpty())
        button->setToolTip(hint);
    return button;
}

QLineEdit *NewField(QWidget *parent, const char *name, bool readOnly)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setReadOnly(readOnly);
    return field;
}

QLabel *NewLabel(QWidget *parent, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    return label;
}

TLxNumEditCtrl *NewNumber(QWidget *parent, const char *name, int intLen, int decimalLen,
                          const std::function<void()> &onChange)
{
    auto *field = new TLxNumEditCtrl(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->SetIntLen(intLen);
    field->SetDecimalLen(decimalLen);
    field->SetComma(false);
    field->setFixedWidth(std::max(60, field->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (intLen + 3) + 12));
    // Leaving the field is what counts; a keystroke is reported too, so that "更新" follows
    // the typing.
    field->OnChange = [onChange](TLxCustomNum *) { onChange(); };
    return field;
}

TColorBox *NewColorBox(QWidget *parent, const char *name, const std::function<void()> &onChange)
{
    auto *box = new TColorBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->OnChange = onChange;
    return box;
}

QCheckBox *NewCheck(QWidget *parent, const char *name, const QString &caption, const std::function<void()> &onChange)
{
    auto *check = new QCheckBox(caption, parent);
    check->setObjectName(QString::fromLatin1(name));
    QObject::connect(check, &QCheckBox::clicked, check, onChange);
    return check;
}

void SetRowLabel(QWidget *control, QLabel *label)
{
    control->setProperty(kRowLabel, QVariant::fromValue<QObject *>(label));
}

QWidget *RowLabel(const QWidget *control)
{
    return qobject_cast<QWidget *>(control->property(kRowLabel).value<QObject *>());
}

double AsField(const TLxNumEditCtrl *field, double number)
{
    TEditNum model;
    model.IntLen = field->IntLen();
    model.DecimalLen = field->DecimalLen();
    model.SetText(QString::number(number, 'f', 4));
    return model.ValueText().toDouble();
}

double TypedValue(const TLxNumEditCtrl *field) { return field->Model().ValueText().toDouble(); }

int32_t TypedInt(const TLxNumEditCtrl *field) { return int32_t(std::lround(TypedValue(field))); }

int32_t FieldInt(TLxNumEditCtrl *field) { return int32_t(std::lround(field->Value())); }

int64_t FieldCurrency(TLxNumEditCtrl *field) { return std::llround(field->Value() * 10000.0); }
