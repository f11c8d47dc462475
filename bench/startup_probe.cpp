// The program's start-up without a screen: the application object, the window and the first
// screen exactly as the program makes them, up to the first frame of its surface, which is
// reported on stdout for the start-up runner (run it with QT_QPA_PLATFORM=offscreen).
#include <QApplication>
#include <chrono>

#include "app/banner.h"
#include "app/commands.h"
#include "app/shell.h"
#include "first_frame.h"
#include "input/input.h"
#include "platform/platform_qt.h"

int main(int argc, char** argv) {
    const auto mainEntry = std::chrono::steady_clock::now();
    int settle = FirstFrameArgument(argc, argv);
    if (settle < 0) settle = 200;
    // The same steps as the program's own start: application, entry colour, window, loop.
    PlatformInit(argc, argv);
    entry.entryTextColour = COLOUR_BLACK;
    CreateShellWindow();
    FirstFrameReporter reporter(WidgetOf(SurfaceOf(shell.mainWindow)), mainEntry, settle);
    OpenModeless(shell.mainWindow, MainWindowProc);
    return QApplication::exec();
}
