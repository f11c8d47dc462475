// The program's identity on the desktop: its name, version, desktop entry and window icon.
#include <QApplication>
#include <QIcon>

#include "platform/platform_qt.h"

void SetProgramIdentity() {
    QApplication::setApplicationName(QStringLiteral("monedario"));
    QApplication::setApplicationVersion(QStringLiteral(MONEDARIO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(MONEDARIO_APP_ID));
    // The installed icon drawn as a picture and built into the program, so that the window shows
    // it wherever the program runs from, without a plugin for the drawing's format.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/" MONEDARIO_APP_ID ".png")));
}
