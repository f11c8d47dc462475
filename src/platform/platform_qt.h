// SPDX-License-Identifier: GPL-3.0-or-later
// What the Qt side of the platform keeps behind the window's plain interface. Included by the
// platform's own files and by tests that look at the real widgets; never by the rest of the
// program.
#pragma once

#include <QAbstractNativeEventFilter>
#include <map>
#include <memory>

#include "platform/window.h"

class QAction;
class QEventLoop;
class QMenu;
class QMenuBar;
class QMessageBox;
class QTimer;
class QWidget;

struct MainWindow::Widgets {
    explicit Widgets(Image surfacePicture) : picture(std::move(surfacePicture)) {}

    Image picture;               // what the surface shows, inside its border
    QWidget* main = nullptr;     // the top-level window
    QWidget* surface = nullptr;  // the drawing surface inside it
    QMenuBar* menuBar = nullptr;
    std::map<Command, QAction*> actions;
    std::unique_ptr<QAbstractNativeEventFilter> destroyWatcher;
    QEventLoop* loop = nullptr;
    QMessageBox* question = nullptr;  // a dialog waiting for an answer
    QMenu* popup = nullptr;           // a menu popped up over the surface, while it is open
    WindowEvents* events = nullptr;
    bool ended = false;
    bool besideAnotherLoop = false;  // End hides the window, which runs no loop of its own
    int endValue = 0;
    SurfaceDescription description;  // what a screen reader is told
    std::optional<Rect> focusMark;   // drawn over the picture
    std::optional<Rect> todayMark;   // drawn over the picture, under the focus mark
    QTimer* ticker = nullptr;        // tells the program that time passes
};

// The surface's accessible interface reads `description`; TellChanges announces the difference
// between two descriptions.
void InstallSurfaceAccessibility(QWidget* surface, const SurfaceDescription* description);
void TellChanges(QWidget* surface, const SurfaceDescription& before,
                 const SurfaceDescription& after);
