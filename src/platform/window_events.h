// SPDX-License-Identifier: GPL-3.0-or-later
// What the program's window tells the program and what the program asks of it: the menu's
// commands, the keys, the events one at a time, the menus' layout and a question. Plain C++ only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/geometry.h"

// The commands of the menu bar, of a day's menu and of the window's shortcuts.
enum class Command {
    NewMonth,
    Save,
    Picture,
    Author,
    Quit,
    Statistics,
    Undo,
    Redo,
    CorrectDay,
    History
};

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
    // The menu of a day is asked for: by the right button at a point of the picture, or by the
    // keyboard (the Menu key, Shift+F10) for the day it is on.
    virtual void DayMenuRequested(std::optional<Point> at) = 0;
    virtual void Run(Command command) = 0;
    // The surface no longer has the keyboard: the keys still down are pressed elsewhere.
    virtual void FocusLost() = 0;
    // The window system asks the window to close.
    virtual void CloseRequested() = 0;
    // The window became the active one, the user's again.
    virtual void Activated() = 0;
    // A while went by (a minute at most): today may be another day.
    virtual void TimePassed() = 0;

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
// A command the window runs at a key combination, as Qt writes it ("Ctrl+Z").
struct Shortcut {
    Command command;
    std::string keys;
};
// An item of a menu that pops up: its text (what follows a tab is shown as its keys) and
// whether it can be chosen.
struct PopupItem {
    Command command;
    std::string text;
    bool enabled = true;
};

// A question in a standard dialog over the window: its answers are buttons, the first one the
// default, the last one what Escape or closing the dialog gives.
struct Question {
    std::string text;
    std::vector<std::string> answers;
};

struct WindowShape {
    std::string title;
    int clientWidth;
    int clientHeight;
    Rect surface;  // in the client area below the menu bar, with its one-pixel border
    std::vector<Shortcut> shortcuts;
};
