// The program's one message-box function.
//
// Every message the user sees goes through ShowMessage, so that tests can record the texts
// and answer the boxes without a window (SetMessageInterceptor). "\r\n" in a text becomes a
// line break.
#ifndef TOVIK_PLATFORM_MESSAGEBOX_H
#define TOVIK_PLATFORM_MESSAGEBOX_H

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace tovik::platform {

enum class MessageKind { Information, Warning, Error, Question };

// Shows a modal box with text and the given buttons; answers the button pressed.
// Questions default to Yes/No, every other kind to OK. captions name buttons in the
// program's own words ("上書き" for Yes).
QMessageBox::StandardButton ShowMessage(QWidget *parent, const QString &text,
                                        MessageKind kind = MessageKind::Information,
                                        QMessageBox::StandardButtons buttons = QMessageBox::NoButton,
                                        const QString &title = QString(),
                                        const QList<QPair<QMessageBox::StandardButton, QString>> &captions = {});

// Runs before every box (the message sound); null to remove.
void SetMessageHook(std::function<void()> hook);

// While set, ShowMessage calls the interceptor instead of showing a box and answers what it
// answers. Null restores real boxes.
using MessageInterceptor =
    std::function<QMessageBox::StandardButton(const QString &text, MessageKind kind, QMessageBox::StandardButtons)>;
void SetMessageInterceptor(MessageInterceptor interceptor);

} // namespace tovik::platform

#endif
