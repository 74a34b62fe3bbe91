#include "LxFormInfo.h"

#include "platform/ProfileFile.h"

#include <QEvent>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>

using tovik::platform::ProfileFile;

namespace {

bool ReadBool(const ProfileFile &ini, const std::string &section, const char *key, bool def)
{
    bool value = def;
    return tovik::platform::ParseProfileBool(ini.ReadString(section, key, ""), value) ? value : def;
}

int32_t ReadInt(const ProfileFile &ini, const std::string &section, const char *key, int32_t def)
{
    int32_t value = def;
    return tovik::platform::ParseProfileInt32(ini.ReadString(section, key, ""), value) ? value : def;
}

// The strip at the top of a window frame that a window manager puts its title bar in.
constexpr int kTitleBarHeight = 24;
// How much of the title bar must lie on a screen for the user to grab it.
constexpr int kTitleBarGrip = 48;

// True when a window whose frame is rect has its title bar on a screen, so that it can be
// reached and moved.
bool TitleBarOnScreen(const QRect &rect)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return true;
    const QRect bar(rect.left(), rect.top(), rect.width(), kTitleBarHeight);
    for (const QScreen *screen : screens) {
        const QRect common = screen->availableGeometry().intersected(bar);
        if (common.height() == kTitleBarHeight && common.width() >= std::min(kTitleBarGrip, rect.width()))
            return true;
    }
    return false;
}

// Where a window of size stands centred on the primary screen.
QPoint CentredOnScreen(const QSize &size)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QPoint(0, 0);
    const QRect area = screen->availableGeometry();
    return QPoint(area.left() + std::max(0, (area.width() - size.width()) / 2),
                  area.top() + std::max(0, (area.height() - size.height()) / 2));
}

} // namespace

TLxFormInfo::TLxFormInfo(QWidget *owner)
    : QObject(owner), FForm(owner ? owner->window() : nullptr)
{
    if (FForm) {
        FClassName = QString::fromLatin1(FForm->metaObject()->className());
        FForm->installEventFilter(this);
    }
}

TLxFormInfo::~TLxFormInfo()
{
    // Called while the form is being destroyed, as its child. A form that was closed was
    // recorded then, while it still knew its placement; one destroyed without closing is
    // recorded now.
    if (!FActive)
        return;
    if (!FRecordedOnClose)
        RecordForm();
    WriteInfo();
}

QString TLxFormInfo::SectionName() const
{
    // The class name is taken while the form is whole: during its destruction it would
    // answer a base class.
    const QString name = FForm ? FForm->objectName() : FObjectName;
    return name.isEmpty() ? FClassName : name;
}

std::string TLxFormInfo::IniFileName()
{
    if (FIniFileName.empty())
        FIniFileName = tovik::platform::ApplicationIniPath();
    return FIniFileName;
}

// Switching on (or off) first loads the section, whose "Working" may override the value.
// "Working" false, a missing file, or a normal state without a width leave the form as its own
// settings put it; the component then stays on if it was switched on, so that the placement of
// this run is saved.
void TLxFormInfo::SetActive(bool value)
{
    if (value == FActive)
        return;
    if (FForm) {
        FClassName = QString::fromLatin1(FForm->metaObject()->className());
        FObjectName = FForm->objectName();
    }
    FActive = value;
    LoadInfo();
    if (!value && !FActive)
        return;
    if (FState == 0 && FWidth == 0) {
        FActive = value || FActive;
        return;
    }
    ApplyToForm();
}

void TLxFormInfo::LoadInfo()
{
    const ProfileFile ini(IniFileName());
    if (!ini.Exists() || !FForm)
        return;
    const std::string section = SectionName().toStdString();
    FActive = ReadBool(ini, section, "Working", true);
    if (!FActive)
        return;
    FState = ReadInt(ini, section, "State", 0);
    if (FState == 0) {
        FTop = ReadInt(ini, section, "Top", 100);
        FLeft = ReadInt(ini, section, "Left", 100);
        FHeight = ReadInt(ini, section, "Height", 0);
        FWidth = ReadInt(ini, section, "Width", 0);
    }
}

void TLxFormInfo::ApplyToForm()
{
    if (!FForm)
        return;
    switch (FState) {
    case 1: FForm->setWindowState(Qt::WindowMinimized); return;
    case 2: FForm->setWindowState(Qt::WindowMaximized); return;
    default: break;
    }
    // Any other state is taken as normal.
    FForm->setWindowState(Qt::WindowNoState);
    // A hand-edited or stale section may hold sizes no window can have, or a position on a
    // screen that is gone: those parts are left as the form has them.
    const int width = FWidth > 0 ? FWidth : FForm->width();
    const int height = FHeight > 0 ? FHeight : FForm->height();
    FForm->resize(width, height);
    // A window whose title bar would lie off every screen (a stale section, a screen that is
    // gone) could not be reached: it is centred instead.
    if (TitleBarOnScreen(QRect(FLeft, FTop, width, height)))
        FForm->move(FLeft, FTop);
    else
        FForm->move(CentredOnScreen(QSize(width, height)));
}

void TLxFormInfo::RecordForm()
{
    if (!FForm)
        return;
    FObjectName = FForm->objectName();
    const Qt::WindowStates state = FForm->windowState();
    if (state & Qt::WindowMinimized)
        FState = 1;
    else if (state & Qt::WindowMaximized)
        FState = 2;
    else
        FState = 0;
    if (FState == 0) {
        // A full-screen window is remembered by the place it returns to.
        const QRect normal = (state & Qt::WindowFullScreen) ? FForm->normalGeometry() : FForm->geometry();
        const QPoint frame = (state & Qt::WindowFullScreen) ? normal.topLeft() : FForm->pos();
        FTop = frame.y();
        FLeft = frame.x();
        FWidth = normal.width();
        FHeight = normal.height();
    }
}

bool TLxFormInfo::SaveInfo()
{
    if (!FActive)
        return true;
    RecordForm();
    return WriteInfo();
}

bool TLxFormInfo::WriteInfo()
{
    if (SectionName().isEmpty())
        return true;
    ProfileFile ini(IniFileName());
    const std::string section = SectionName().toStdString();
    ini.EraseSection(section);
    ini.WriteString(section, "Working", FActive ? "True" : "False");
    ini.WriteString(section, "State", std::to_string(FState));
    if (FState == 0) {
        ini.WriteString(section, "Top", std::to_string(FTop));
        ini.WriteString(section, "Left", std::to_string(FLeft));
        ini.WriteString(section, "Height", std::to_string(FHeight));
        ini.WriteString(section, "Width", std::to_string(FWidth));
    }
    return ini.Flush();
}

bool TLxFormInfo::eventFilter(QObject *watched, QEvent *event)
{
    // Closing may hide the window for good before it is destroyed; remember it as it was.
    if (watched == FForm && event->type() == QEvent::Close && FActive) {
        RecordForm();
        FRecordedOnClose = true;
    } else if (watched == FForm && event->type() == QEvent::Show) {
        // Shown again, the form may move before it next closes.
        FRecordedOnClose = false;
    }
    return QObject::eventFilter(watched, event);
}
