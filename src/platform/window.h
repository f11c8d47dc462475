// SPDX-License-Identifier: GPL-3.0-or-later
// The program's window on the desktop, built on Qt behind these plain declarations: the
// application, the session's end, and the fixed-size window with its menu bar and drawing surface.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/image.h"
#include "platform/surface_description.h"
#include "platform/window_events.h"

// The program's process on the desktop: the window system's connection, its style and the fonts
// the page is drawn in. One per process, made before any window.
class Application {
public:
    explicit Application(const char* programPath);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    Fonts& PageFonts() { return *fonts_; }

private:
    struct Session;
    std::unique_ptr<Session> session_;
    std::unique_ptr<Fonts> fonts_;
};

// While it lives, the session's end of the program (SIGTERM or SIGHUP, as at logout or
// shutdown) does not kill the process: once WhenItEnds has said what to do, that runs in the event
// loop. Made before anything starts threads (the application object), so that no thread takes
// those signals the old way.
class SessionEnd {
public:
    SessionEnd();
    ~SessionEnd();
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    void WhenItEnds(std::function<void()> ending);

private:
    int descriptor_ = -1;
    struct Signals;
    std::unique_ptr<Signals> signals_;
    struct Notifier;
    std::unique_ptr<Notifier> notifier_;
};

class MainWindow {
public:
    MainWindow(WindowEvents& events, const WindowShape& shape, const std::vector<MenuTitle>& menus);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The surface shows `page`'s top-left corner: all of it, or only the part that changed.
    void ShowPicture(const Image& page);
    void ShowPicturePart(const Image& page, const Rect& part);
    // What the surface shows.
    const Image& Picture() const;

    void SetMenuState(Command command, MenuState state);
    MenuState GetMenuState(Command command) const;

    // Tells a screen reader what the surface shows now: what changed is announced, a new banner
    // as an alert, and the focus follows the field or the keyboard's day.
    void Describe(SurfaceDescription description);
    const SurfaceDescription& Description() const;
    // The keyboard's place among the days, drawn over the picture (never into it), or none; the
    // tip of that day, when the description gives it one, shows beside it.
    void ShowFocusMark(std::optional<Rect> box);
    // Today's day, framed over the picture (never into it), or none.
    void ShowTodayMark(std::optional<Rect> box);

    // Pops up a menu at a point of the picture; the item chosen reaches the program as its
    // command, and nothing does when the menu is closed without a choice.
    void ShowPopupMenu(const std::vector<PopupItem>& items, Point at);
    // Asks in a dialog and waits for the answer: the index of the button chosen.
    int Ask(const Question& question);
    // Closes a dialog that is waiting for an answer, as Escape would.
    void DismissQuestion();

    // Centres the window on the desktop, shows it and gives the surface the keyboard.
    void Open();
    // Runs until End, and returns its value.
    int Exec();
    // Ends the loop, which hides the window.
    void End(int value);
    // The window is shown beside another window's loop and never runs one of its own (a
    // read-only window opened from the history): End hides it at once.
    void ShownBesideAnotherLoop();
    bool Ended() const;
    int EndValue() const;

    struct Widgets;
    Widgets& Ui() { return *widgets_; }

private:
    std::unique_ptr<Widgets> widgets_;
};
