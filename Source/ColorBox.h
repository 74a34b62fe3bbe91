// The options dialog's colour boxes.
#ifndef TOVIK_SOURCE_COLORBOX_H
#define TOVIK_SOURCE_COLORBOX_H

#include <QColor>
#include <QWidget>

#include <cstdint>
#include <functional>

class QComboBox;

// A drop-down list of colours: the standard, extended and system colours and a custom colour.
// Its value is a signed 32-bit colour value as the settings store it.
class TColorBox : public QWidget {
public:
    explicit TColorBox(QWidget *parent = nullptr);

    int32_t Selected() const;
    // Selects the entry of value, adding a custom entry for a colour not in the list.
    void SetSelected(int32_t value);

    // Asks for a custom colour, starting at the given one; false when cancelled. Replaceable
    // (tests answer it).
    std::function<bool(QColor &color)> PickCustom;
    // Raised when the user chooses another colour.
    std::function<void()> OnChange;

    QComboBox *Combo() const { return FCombo; }

private:
    void Activated(int index);
    int AddEntry(int32_t value, const QString &name);

    QComboBox *FCombo;
    int FCustomIndex = -1;
    int FLastIndex = 0;
};

#endif
