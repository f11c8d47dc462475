// The program's window on the desktop: a fixed-size window with a menu bar and one drawing
// surface that shows a picture, and the events it sends the program. Plain C++ types only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/image.h"

// The menu's commands.
enum class Command { NewMonth, Save, Picture, Author, Quit, Statistics };

enum class MenuState { Enabled, Greyed, Checked };

// The keys the program tells apart; any other key is Other.
enum class KeyName {
    Other,
    Enter,
    Backspace,
    Tab,
    Escape,
    Space,
    Home,
    End,
    Left,
    Right,
    Up,
    Down
};

// One press or release of a key on the surface.
struct Key {
    uint32_t id = 0;  // the physical key: a press, its repeats and its release share it
    KeyName name = KeyName::Other;
    bool navigation = false;  // a key of the navigation block, which types nothing
    std::string text;         // what a press types, UTF-8
};

// What the window tells the program, one event at a time, in the order they happened. A held key
// repeats as further presses; its release comes once, when it is let go.
class WindowEvents {
public:
    virtual void KeyDown(const Key& key) = 0;
    virtual void KeyUp(const Key& key) = 0;
    // A press of the left button on the surface, in the pixels of its picture.
    virtual void Click(Point at) = 0;
    virtual void Run(Command command) = 0;
    // The surface no longer has the keyboard: the keys still down are pressed elsewhere.
    virtual void FocusLost() = 0;
    // The window system asks the window to close.
    virtual void CloseRequested() = 0;

protected:
    ~WindowEvents() = default;
};

struct MenuItem {
    Command command;
    std::string text;
    bool separatorBefore = false;  // a line above the item
};
struct MenuTitle {
    std::string title;
    std::vector<MenuItem> items;
};

// A question in a standard dialog over the window: its answers are buttons, the first one the
// default, the last one what Escape or closing the dialog gives.
struct Question {
    std::string text;
    std::vector<std::string> answers;
};

// What the surface shows, as a screen reader is told it; boxes are in the picture's pixels.
struct DescribedCell {
    std::string name;  // empty for a cell that holds no day
    Rect box;
};
struct DescribedGauge {
    std::string name;
    int percentage;
    std::string amount;
    Rect box;
};
struct DescribedField {
    bool open = false;
    std::string name;  // what the typed amount is for
    std::string text;
    int caret = 0;  // the characters before the caret
    Rect box;
};
struct SurfaceDescription {
    std::string heading;  // the months and the year; empty when no calendar shows
    Rect headingBox;
    std::vector<std::string> columnHeaders;  // the weekdays, when the calendar shows
    std::vector<DescribedCell> cells;        // row by row, when the calendar shows
    int focusedCell = -1;                    // the keyboard's day, an index into `cells`
    std::vector<DescribedGauge> gauges;
    std::string welcome;  // the welcome screen's text
    std::string banner;   // the message on the page, empty when none
    DescribedField field;
};

// What changed between two descriptions, in the words a screen reader is told it: its
// tree, a name, a gauge's value, a banner that appeared, where the focus went, the field's text
// and caret.
enum class Telling {
    Reordered,
    HeadingRenamed,
    CellRenamed,
    GaugeChanged,
    BannerShown,
    FieldFocused,
    FieldTextChanged,
    CaretMoved,
    DayFocused
};
struct Tell {
    Telling what;
    int index = 0;  // the cell, the gauge or the day
    bool operator==(const Tell&) const = default;
};
std::vector<Tell> WhatToTell(const SurfaceDescription& before, const SurfaceDescription& after);

struct WindowShape {
    std::string title;
    int clientWidth;
    int clientHeight;
    Rect surface;  // in the client area below the menu bar, with its one-pixel border
};

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
    // The keyboard's place among the days, drawn over the picture (never into it), or none.
    void ShowFocusMark(std::optional<Rect> box);

    // Asks in a dialog and waits for the answer: the index of the button chosen.
    int Ask(const Question& question);
    // Closes a dialog that is waiting for an answer, as Escape would.
    void DismissQuestion();

    // Centres the window on the desktop, shows it and gives the surface the keyboard.
    void Open();
    // Runs until End, and returns its value.
    int Exec();
    void End(int value);
    bool Ended() const;
    int EndValue() const;

    struct Widgets;
    Widgets& Ui() { return *widgets_; }

private:
    std::unique_ptr<Widgets> widgets_;
};
