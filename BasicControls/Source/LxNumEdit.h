// The number field: a custom-drawn single-line field that holds only a number. Its text is
// right-aligned with the caret fixed at the right end; the number is built keystroke by
// keystroke in a small entry model that limits the integer and decimal digits, may group
// thousands with commas, and is clamped to optional bounds when the field loses the focus.
#ifndef TOVIK_BASICCONTROLS_LXNUMEDIT_H
#define TOVIK_BASICCONTROLS_LXNUMEDIT_H

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>

class TLxCustomNum;

// The entry model. Without an owner it has no bounds and shows no decimal zeros.
class TEditNum {
public:
    explicit TEditNum(TLxCustomNum *owner = nullptr);

    TLxCustomNum *Owner;
    // The value text saved before each keystroke.
    QString PrevText;
    // The integer digits: "0" when empty, never with a leading zero otherwise.
    QString IntPart = QStringLiteral("0");
    // The decimal digits typed, without trailing zeros.
    QString DecPart;
    QString DisplayText;
    bool Negative = false;
    // True while the control has the focus.
    bool Editing = false;
    int DecimalLen = 3;
    int IntLen = 9;
    // Group the integer digits by three with ",".
    bool Comma = true;
    // 0 no decimal point typed, 1 the point typed and no decimal digit yet, 2 decimal digits.
    int DecState = 0;
    // Decimal digits typed so far, trailing zeros not yet stored included; -1 when DecState is 0.
    int DecCount = -1;
    // Fill the integer part with leading zeros to IntLen digits when not editing.
    bool ZeroFixed = false;

    // Types one of "-", "." and the digits; anything else is ignored. Answers whether the
    // number changed (a decimal point alone does not change it).
    bool InputChar(QChar c);
    // Removes the last character typed; answers whether the number changed.
    bool BackSpace();
    // Resets to zero and types every "-", "." and digit of text (trimmed); a leading "-" makes
    // the number negative; other characters are skipped, surplus digits dropped.
    void SetText(const QString &text);
    // Resets to zero, leaving the sign positive.
    void Clear();
    void StartEdit();
    void EndEdit();

    // The number as text: sign, integer digits and DecimalLen decimals (no grouping, no
    // leading zeros), "-12.5", "12.000", "12". Converts with the C locale.
    QString ValueText() const;
    // What the field shows; also kept in DisplayText.
    QString GetDisplayText();
    bool IsZero() const { return IntPart == QLatin1String("0") && DecPart.isEmpty(); }

private:
    bool TypeChar(QChar c);
    QString Format(bool grouping, bool leadingZeros, int decimals) const;
};

class TLxCustomNum : public QWidget {
public:
    enum TBorderStyle { bsNone, bsSingle };

    explicit TLxCustomNum(QWidget *parent = nullptr);
    ~TLxCustomNum() override;

    // The value, brought within the bounds: a value outside them sets the field to the bound
    // it passed (without a change notification).
    double Value();
    // Sets the value when it differs, with a change notification.
    void SetValue(double x);
    // The integer digits as a number, without the sign; 0 when they cannot be read.
    int IntValue() const;
    // What the field shows.
    QString Text() const;
    // Sets the number from text as typing it would; no change notification.
    void SetText(const QString &text);

    // 0 is no bound. A maximum is taken only when it is 0 or above the minimum, a minimum only
    // when it is 0 or below the maximum; the other bound counts only when it is set.
    int32_t MaxValue() const { return FMaxValue; }
    void SetMaxValue(int32_t value);
    int32_t MinValue() const { return FMinValue; }
    void SetMinValue(int32_t value);

    bool Comma() const { return FModel.Comma; }
    void SetComma(bool value);
    int DecimalLen() const { return FModel.DecimalLen; }
    void SetDecimalLen(int value);
    int IntLen() const { return FModel.IntLen; }
    void SetIntLen(int value);
    bool ZeroFixed() const { return FModel.ZeroFixed; }
    void SetZeroFixed(bool value);
    // Show DecimalLen decimals (zeros when none were typed) while not editing.
    bool DeciDispZero() const { return FDeciDispZero; }
    void SetDeciDispZero(bool value);
    // 0 top, 1 centre, 2 bottom.
    int VertAlign() const { return FVertAlign; }
    void SetVertAlign(int value);
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool value);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool value);
    // Enter moves the focus on to the next control.
    bool EnterMove() const { return FEnterMove; }
    void SetEnterMove(bool value) { FEnterMove = value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { FReadOnly = value; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);

    // The whole text is selected or nothing is.
    bool Selected() const { return FSelected; }
    void SelectAll();

    // Raised when the user changes the number, when SetValue changes it and when leaving the
    // field clamps it.
    std::function<void(TLxCustomNum *)> OnChange;

    // The entry model (for tests and the owner's reading).
    const TEditNum &Model() const { return FModel; }

    QSize sizeHint() const override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // Sets a property's field; repaints when the value changed.
    template <class T>
    void Assign(T &field, T value);
    void Change();
    // Types the characters of text (after the input method's full-width forms are mapped).
    void TypeText(const QString &text);
    void ClearSelection();
    // Empties the field when its whole text is selected (Change when it was not zero); false
    // when nothing was selected.
    bool DeleteSelection();
    void ClampToBounds();
    // The rectangle inside the border, and the caret's rectangle in it.
    QRect ClientRect() const;
    QRect CaretRect() const;

    TEditNum FModel;
    int32_t FMaxValue = 0;
    int32_t FMinValue = 0;
    bool FDeciDispZero = false;
    bool FAutoSelect = true;
    bool FEnterMove = true;
    bool FHideSelection = true;
    bool FReadOnly = false;
    int FVertAlign = 1;
    TBorderStyle FBorderStyle = bsSingle;
    bool FSelected = false;
    bool FDoubleClicked = false;
};

// The number field as forms place it; all behaviour lives in TLxCustomNum.
class TLxNumEditCtrl : public TLxCustomNum {
public:
    using TLxCustomNum::TLxCustomNum;
};

// The input method's full-width digits, minus and full stop as "0"-"9", "-" and "."; other
// characters unchanged.
QChar NarrowNumberChar(QChar c);

#endif
