// Remembers a window's state, position and size in the program's ini file.
//
// The placement lives in a section named after the window's object name (its class name when
// it has none), with the keys "Working", "State" (0 normal, 1 minimised, 2 maximised), "Top",
// "Left", "Height" and "Width". Switching the component on restores the placement; destroying it
// (with its window, whose child it is) records and saves it.
#ifndef TOVIK_BASICCONTROLS_LXFORMINFO_H
#define TOVIK_BASICCONTROLS_LXFORMINFO_H

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <string>

class QWidget;

class TLxFormInfo : public QObject {
public:
    // The form served is owner itself when it is a window, else owner's window.
    explicit TLxFormInfo(QWidget *owner);
    ~TLxFormInfo() override;

    bool Active() const { return FActive; }
    // Restores the remembered placement when switched on (see the .cpp for the rules).
    void SetActive(bool value);

    // Records the form's placement and writes it (when Active); false when the ini file could
    // not be written. Destruction does the same without an answer.
    bool SaveInfo();

    QWidget *Form() const { return FForm; }
    // The section of the form in the ini file.
    QString SectionName() const;

    // The remembered values (as loaded or last recorded).
    int32_t WindowState() const { return FState; }
    int32_t Top() const { return FTop; }
    int32_t Left() const { return FLeft; }
    int32_t Height() const { return FHeight; }
    int32_t Width() const { return FWidth; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void LoadInfo();
    void ApplyToForm();
    void RecordForm();
    // Writes the recorded placement; false when the ini file could not be written.
    bool WriteInfo();
    std::string IniFileName();

    QPointer<QWidget> FForm;
    QString FClassName;
    QString FObjectName;
    std::string FIniFileName;
    bool FActive = false;
    bool FRecordedOnClose = false;   // the placement was taken when the form closed
    int32_t FState = 0;
    int32_t FTop = 0;
    int32_t FLeft = 0;
    int32_t FHeight = 0;
    int32_t FWidth = 0;
};

#endif
