// What the Qt side of the platform keeps behind the window's plain interface. Included by the
// platform's own files and by tests that look at the real widgets; never by the rest of the
// program.
#pragma once

#include <QAbstractNativeEventFilter>
#include <map>
#include <memory>

#include "platform/window.h"

class MainWidget;
class QAction;
class QEventLoop;
class QMenuBar;
class SurfaceWidget;

struct MainWindow::Widgets {
    explicit Widgets(Image surfacePicture) : picture(std::move(surfacePicture)) {}

    Image picture;  // what the surface shows, inside its border
    MainWidget* main = nullptr;
    SurfaceWidget* surface = nullptr;
    QMenuBar* menuBar = nullptr;
    std::map<Command, QAction*> actions;
    std::unique_ptr<QAbstractNativeEventFilter> destroyWatcher;
    QEventLoop* loop = nullptr;
    bool ended = false;
    int endValue = 0;
};
