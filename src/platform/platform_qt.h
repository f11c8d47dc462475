// What the Qt side of the platform layer keeps behind its plain handles. Included by the platform's
// own files and by tests that look at the real widgets; never by the rest of the program.
#pragma once

#include <QFont>
#include <QImage>
#include <QRawFont>
#include <string>
#include <vector>

#include "platform/platform.h"

class QAction;
class QEventLoop;
class QMenu;
class QMenuBar;
class QWidget;

// Per-target drawing state, kept with each image as a device context keeps it.
struct DrawState {
    int penWidth = 1;
    Colour textColour = COLOUR_BLACK;
    Colour backColour = COLOUR_WHITE;
    bool opaque = true;
    Font* font = nullptr;
    int x = 0;
    int y = 0;
    int justifyExtra = 0;
    int justifyBreaks = 0;
};

struct Image {
    QImage pixels;
    DrawState state;
    Window* surface = nullptr;  // set for a surface's own picture, which repaints on change
};

struct Font {
    QFont qfont;
    QRawFont raw;
    int advance[256];  // per Windows-1252 code; texts are laid out without kerning or ligatures
    quint32 glyph[256];
    int ascent;
    FontMetrics metrics;
};

struct Window {
    QWidget* widget = nullptr;
    bool isSurface = false;
    int id = 0;
    WindowProc proc = nullptr;
    Window* surface = nullptr;  // the main window's one control
    Window* parent = nullptr;
    Menu* menuBar = nullptr;
    Image picture;           // the surface's own picture
    std::string pendingKey;  // the surface's one-slot pending key
    QEventLoop* loop = nullptr;
    bool opened = false;
    bool ended = false;
    int endValue = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    int placeX = 0;  // a control's place in its parent's client area, below the menu bar
    int placeY = 0;
};

struct MenuItem {
    int id;
    QAction* action;
};

struct Menu {
    QMenuBar* bar = nullptr;
    QMenu* popup = nullptr;
    std::vector<MenuItem> items;  // for a bar: the items of all its drop-down menus
    std::vector<Menu*> popups;
    Window* owner = nullptr;
};

// Test access to the real widgets and menu actions.
QWidget* WidgetOf(Window* window);
QAction* MenuActionOf(Menu* bar, int id);
QMenuBar* MenuBarWidgetOf(Menu* bar);
QString Cp1252ToQString(std::string_view text);
