// The program's identity on the desktop: its name, version, desktop entry and window icon.
#include <QApplication>
#include <QIcon>

#include "platform/platform_qt.h"

namespace {

constexpr int ICON_TEST_SIZE = 64;

// The theme's icon when the desktop can draw it (an svg-only theme entry needs a plugin that
// may be missing), otherwise the picture built into the program.
QIcon ProgramIcon() {
    const QString name = QStringLiteral(MONEDARIO_APP_ID);
    const QIcon themed = QIcon::fromTheme(name);
    if (!themed.pixmap(ICON_TEST_SIZE).isNull()) return themed;
    return QIcon(QStringLiteral(":/icons/") + name + QStringLiteral(".png"));
}

}  // namespace

void SetProgramIdentity() {
    QApplication::setApplicationName(QStringLiteral("monedario"));
    QApplication::setApplicationVersion(QStringLiteral(MONEDARIO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(MONEDARIO_APP_ID));
    QApplication::setWindowIcon(ProgramIcon());
}
