#include "LxNumEdit.h"

#include "platform/NumberText.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include <cmath>

// ---- the entry model ----

TEditNum::TEditNum(TLxCustomNum *owner) : Owner(owner) {}

void TEditNum::Clear()
{
    IntPart = QStringLiteral("0");
    DecPart.clear();
    Negative = false;
    DecState = 0;
    DecCount = -1;
}

bool TEditNum::InputChar(QChar c)
{
    PrevText = ValueText();
    return TypeChar(c);
}

bool TEditNum::TypeChar(QChar c)
{
    if (c == QLatin1Char('.')) {
        if (DecimalLen <= 0 || DecState != 0)
            return false;
        DecState = 1;
        DecCount = 0;
        return false;
    }
    if (c == QLatin1Char('-')) {
        // A sign on zero means nothing: the field stays positive.
        if (!IsZero()) {
            Negative = !Negative;
            return true;
        }
        Negative = false;
        return false;
    }
    if (c < QLatin1Char('0') || c > QLatin1Char('9'))
        return false;
    if (DecCount >= DecimalLen)
        return false;
    if (DecState == 0 && IntPart.size() >= IntLen && IntPart != QLatin1String("0"))
        return false;
    switch (DecState) {
    case 0:
        if (IntPart == QLatin1String("0"))
            IntPart.clear();
        IntPart += c;
        break;
    case 1:
        DecState = 2;
        DecCount = 1;
        if (c != QLatin1Char('0'))
            DecPart = c;
        break;
    default:
        // Zeros typed after the point are only counted; they are stored once a non-zero
        // digit follows them.
        if (c != QLatin1Char('0') && DecPart.size() < DecCount)
            DecPart = DecPart.leftJustified(DecCount, QLatin1Char('0'));
        ++DecCount;
        if (c != QLatin1Char('0'))
            DecPart += c;
        break;
    }
    return true;
}

bool TEditNum::BackSpace()
{
    PrevText = ValueText();
    switch (DecState) {
    case 2:
        if (--DecCount == 0)
            DecState = 1;
        if (DecCount < DecPart.size()) {
            DecPart.chop(1);
            while (DecPart.endsWith(QLatin1Char('0')))
                DecPart.chop(1);
            return true;
        }
        // Only a pending zero went.
        return false;
    case 1:
        DecState = 0;
        DecCount = -1;
        return false;
    default:
        if (IntPart.size() >= 2) {
            IntPart.chop(1);
            return true;
        }
        if (IntPart != QLatin1String("0")) {
            IntPart = QStringLiteral("0");
            Negative = false;
            return true;
        }
        return false;
    }
}

void TEditNum::SetText(const QString &text)
{
    Clear();
    const QString s = text.trimmed();
    if (s.isEmpty())
        return;
    const bool negative = s.startsWith(QLatin1Char('-'));
    for (qsizetype i = negative ? 1 : 0; i < s.size(); ++i)
        TypeChar(s[i]);
    // The sign goes last, so that it sticks to a non-zero number only.
    if (negative && !IsZero())
        Negative = !Negative;
    if (!Editing) {
        DecState = 0;
        DecCount = -1;
    } else if (!DecPart.isEmpty() || DecState == 2) {
        DecState = 2;
        DecCount = std::max<int>(DecCount, int(DecPart.size()));
    }
}

void TEditNum::StartEdit()
{
    Editing = true;
    if (!DecPart.isEmpty()) {
        DecState = 2;
        DecCount = int(DecPart.size());
    } else {
        DecState = 0;
        DecCount = -1;
    }
}

void TEditNum::EndEdit()
{
    Editing = false;
    DecState = 0;
    DecCount = -1;
}

QString TEditNum::Format(bool grouping, bool leadingZeros, int decimals) const
{
    QString text;
    if (Negative && !IsZero())
        text += QLatin1Char('-');
    if (grouping) {
        const std::string grouped = tovik::platform::GroupThousands(IntPart.toLatin1().toStdString());
        text += QString::fromLatin1(grouped.data(), static_cast<qsizetype>(grouped.size()));
    } else {
        text += IntPart;
    }
    if (decimals > 0)
        text += QLatin1Char('.') + (DecPart.isEmpty() ? QString(decimals, QLatin1Char('0')) : DecPart);
    else if (!DecPart.isEmpty())
        text += QLatin1Char('.') + DecPart;
    if (leadingZeros && !Editing && IntPart.size() < IntLen)
        text.prepend(QString(IntLen - IntPart.size(), QLatin1Char('0')));
    return text;
}

QString TEditNum::ValueText() const { return Format(false, false, DecimalLen); }

QString TEditNum::GetDisplayText()
{
    const bool deciZero = Owner && Owner->DeciDispZero();
    if (Editing || !deciZero) {
        DisplayText = Format(Comma, ZeroFixed, DecCount);
        if (DecState == 1)
            DisplayText += QLatin1Char('.');
    } else {
        DisplayText = Format(Comma, ZeroFixed, DecimalLen);
    }
    return DisplayText;
}

QChar NarrowNumberChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0xFF10 && u <= 0xFF19)                   // full-width digits
        return QChar(char16_t(u'0' + (u - 0xFF10)));
    if (u == 0x2212 || u == 0xFF0D)                   // the full-width minus (both spellings)
        return QLatin1Char('-');
    if (u == 0xFF0E)                                  // the full-width full stop
        return QLatin1Char('.');
    return c;
}

// ---- the control ----

namespace {

constexpr int kBorder = 2;
constexpr int kTextMargin = 2;

bool IsNumberChar(QChar c)
{
    return c == QLatin1Char('-') || c == QLatin1Char('.') || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

} // namespace

TLxCustomNum::TLxCustomNum(QWidget *parent) : QWidget(parent), FModel(this)
{
    resize(121, 20);
    setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(false);
}

TLxCustomNum::~TLxCustomNum() = default;

double TLxCustomNum::Value()
{
    const double number = FModel.ValueText().toDouble();
    if (FMinValue != 0 && number < FMinValue) {
        FModel.SetText(QString::number(FMinValue));
        update();
        return FMinValue;
    }
    if (FMaxValue != 0 && number > FMaxValue) {
        FModel.SetText(QString::number(FMaxValue));
        update();
        return FMaxValue;
    }
    return number;
}

void TLxCustomNum::SetValue(double x)
{
    if (!std::isfinite(x) || x == FModel.ValueText().toDouble())
        return;
    FModel.SetText(QString::number(x, 'f', QLocale::FloatingPointShortest));
    Change();
    update();
}

int TLxCustomNum::IntValue() const
{
    bool ok = false;
    const int value = FModel.IntPart.toInt(&ok);
    return ok ? value : 0;
}

QString TLxCustomNum::Text() const { return const_cast<TEditNum &>(FModel).GetDisplayText(); }

void TLxCustomNum::SetText(const QString &text)
{
    FModel.SetText(text);
    update();
}

void TLxCustomNum::SetMaxValue(int32_t value)
{
    if (value == 0 || FMinValue == 0 || value > FMinValue)
        FMaxValue = value;
}

void TLxCustomNum::SetMinValue(int32_t value)
{
    if (value == 0 || FMaxValue == 0 || value < FMaxValue)
        FMinValue = value;
}

template <class T>
void TLxCustomNum::Assign(T &field, T value)
{
    if (field != value) {
        field = value;
        update();
    }
}

void TLxCustomNum::SetComma(bool value) { Assign(FModel.Comma, value); }

void TLxCustomNum::SetDecimalLen(int value) { Assign(FModel.DecimalLen, value); }

void TLxCustomNum::SetIntLen(int value) { Assign(FModel.IntLen, value); }

void TLxCustomNum::SetZeroFixed(bool value) { Assign(FModel.ZeroFixed, value); }

void TLxCustomNum::SetDeciDispZero(bool value) { Assign(FDeciDispZero, value); }

void TLxCustomNum::SetVertAlign(int value) { Assign(FVertAlign, value); }

void TLxCustomNum::SetAutoSelect(bool value) { FAutoSelect = value; }

void TLxCustomNum::SetHideSelection(bool value) { Assign(FHideSelection, value); }

void TLxCustomNum::SetBorderStyle(TBorderStyle value) { Assign(FBorderStyle, value); }

void TLxCustomNum::SelectAll()
{
    FSelected = true;
    update();
}

void TLxCustomNum::ClearSelection()
{
    FSelected = false;
    update();
}

void TLxCustomNum::Change()
{
    if (OnChange)
        OnChange(this);
}

QSize TLxCustomNum::sizeHint() const
{
    return QSize(121, std::max(20, fontMetrics().height() + 2 * (kBorder + 1)));
}

QRect TLxCustomNum::ClientRect() const
{
    const int border = FBorderStyle == bsSingle ? kBorder : 0;
    return rect().adjusted(border, border, -border, -border);
}

QRect TLxCustomNum::CaretRect() const
{
    const QRect client = ClientRect();
    const int height = fontMetrics().height();
    int top = client.top();
    if (FVertAlign == 1)
        top = client.top() + (client.height() - height) / 2;
    else if (FVertAlign == 2)
        top = client.bottom() + 1 - height;
    const int width = font().bold() ? 2 : 1;
    return QRect(client.right() - kTextMargin + 1 - width, top, width, height);
}

void TLxCustomNum::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &pal = palette();
    if (FBorderStyle == bsSingle) {
        QStyleOptionFrame frame;
        frame.initFrom(this);
        frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, this);
        frame.midLineWidth = 0;
        frame.state |= QStyle::State_Sunken;
        if (FReadOnly)
            frame.state |= QStyle::State_ReadOnly;
        style()->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, &painter, this);
    } else {
        painter.fillRect(rect(), pal.brush(QPalette::Base));
    }

    const QRect client = ClientRect();
    const QString text = Text();
    const QRect caret = CaretRect();
    const int textWidth = fontMetrics().horizontalAdvance(text);
    QRect textRect(caret.left() - textWidth, caret.top(), textWidth, caret.height());
    painter.setClipRect(client);
    const bool showSelection = FSelected && (hasFocus() || !FHideSelection);
    if (!isEnabled()) {
        painter.setPen(pal.color(QPalette::Disabled, QPalette::Text));
    } else if (showSelection) {
        painter.fillRect(textRect, pal.brush(QPalette::Highlight));
        painter.setPen(pal.color(QPalette::HighlightedText));
    } else {
        painter.setPen(pal.color(QPalette::Text));
    }
    painter.drawText(textRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, text);
    if (hasFocus() && !FReadOnly)
        painter.fillRect(caret, pal.color(QPalette::Text));
}

QVariant TLxCustomNum::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImCursorRectangle: return CaretRect();
    case Qt::ImEnabled: return isEnabled() && !FReadOnly;
    case Qt::ImHints: return int(inputMethodHints());
    default: return QWidget::inputMethodQuery(query);
    }
}

void TLxCustomNum::TypeText(const QString &text)
{
    bool changed = false;
    for (QChar c : text) {
        c = NarrowNumberChar(c);
        if (!IsNumberChar(c))
            continue;
        // Typing over a selection replaces the whole number.
        if (FSelected) {
            FSelected = false;
            if (!FModel.IsZero())
                changed = true;
            FModel.Clear();
        }
        if (FModel.InputChar(c))
            changed = true;
    }
    if (changed)
        Change();
    update();
}

bool TLxCustomNum::DeleteSelection()
{
    if (!FSelected)
        return false;
    FSelected = false;
    if (!FModel.IsZero()) {
        FModel.Clear();
        Change();
    }
    return true;
}

void TLxCustomNum::keyPressEvent(QKeyEvent *event)
{
    if (FReadOnly) {
        // Enter still leaves the field.
        QWidget::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if ((key == Qt::Key_Left && mods == Qt::ShiftModifier) || (key == Qt::Key_A && mods == Qt::ControlModifier)) {
        SelectAll();
        return;
    }
    const bool plain = mods != Qt::ShiftModifier && mods != Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Backspace:
        if (!plain)
            break;
        if (!DeleteSelection() && FModel.BackSpace())
            Change();
        update();
        return;
    case Qt::Key_Delete:
        if (!plain)
            break;
        if (DeleteSelection())
            update();
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!plain)
            break;
        ClearSelection();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (FEnterMove) {
            focusNextChild();
            return;
        }
        event->ignore();
        return;
    default:
        break;
    }
    // Characters: only what a sign, a point or a digit can be; Ctrl and Alt chords are
    // commands, not characters.
    const QString text = event->text();
    if (!text.isEmpty() && !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) &&
        text.front().isPrint()) {
        TypeText(text);
        return;
    }
    event->ignore();
}

void TLxCustomNum::inputMethodEvent(QInputMethodEvent *event)
{
    if (!FReadOnly && !event->commitString().isEmpty())
        TypeText(event->commitString());
    event->accept();
}

void TLxCustomNum::focusInEvent(QFocusEvent *event)
{
    FModel.StartEdit();
    if (FAutoSelect)
        FSelected = true;
    QWidget::focusInEvent(event);
    update();
}

void TLxCustomNum::focusOutEvent(QFocusEvent *event)
{
    FModel.EndEdit();
    FSelected = false;
    ClampToBounds();
    QWidget::focusOutEvent(event);
    update();
}

void TLxCustomNum::ClampToBounds()
{
    const double number = FModel.ValueText().toDouble();
    bool clamped = false;
    if (FMaxValue != 0 && number > FMaxValue) {
        FModel.SetText(QString::number(FMaxValue));
        clamped = true;
    }
    if (FMinValue != 0 && FModel.ValueText().toDouble() < FMinValue) {
        FModel.SetText(QString::number(FMinValue));
        clamped = true;
    }
    if (clamped)
        Change();
}

void TLxCustomNum::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && !hasFocus())
        setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}

void TLxCustomNum::mouseReleaseEvent(QMouseEvent *event)
{
    // The release that ends a double click keeps what the double click selected.
    if (event->button() == Qt::LeftButton && !FDoubleClicked && rect().contains(event->position().toPoint()))
        ClearSelection();
    FDoubleClicked = false;
    QWidget::mouseReleaseEvent(event);
}

void TLxCustomNum::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        FDoubleClicked = true;
        SelectAll();
    }
    QWidget::mouseDoubleClickEvent(event);
}
