#include "MessageBox.h"
#include "WindowTitle.h"

#include <QAbstractButton>
#include <QApplication>

namespace tovik::platform {
namespace {

std::function<void()> &Hook()
{
    static std::function<void()> hook;
    return hook;
}

MessageInterceptor &Interceptor()
{
    static MessageInterceptor interceptor;
    return interceptor;
}

} // namespace

void SetMessageHook(std::function<void()> hook) { Hook() = std::move(hook); }

void SetMessageInterceptor(MessageInterceptor interceptor) { Interceptor() = std::move(interceptor); }

QMessageBox::StandardButton ShowMessage(QWidget *parent, const QString &text, MessageKind kind,
                                        QMessageBox::StandardButtons buttons, const QString &title,
                                        const QList<QPair<QMessageBox::StandardButton, QString>> &captions)
{
    if (buttons == QMessageBox::NoButton)
        buttons = kind == MessageKind::Question ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok;
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (Hook())
        Hook()();
    if (Interceptor())
        return Interceptor()(shown, kind, buttons);

    QMessageBox::Icon icon = QMessageBox::Information;
    switch (kind) {
    case MessageKind::Information: icon = QMessageBox::Information; break;
    case MessageKind::Warning: icon = QMessageBox::Warning; break;
    case MessageKind::Error: icon = QMessageBox::Critical; break;
    case MessageKind::Question: icon = QMessageBox::Question; break;
    }
    QString caption = title.isEmpty() ? ProgramTitle() : title;
    QMessageBox box(icon, caption, shown, buttons, parent);
    for (const auto &[button, buttonCaption] : captions)
        if (QAbstractButton *b = box.button(button))
            b->setText(buttonCaption);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace tovik::platform
