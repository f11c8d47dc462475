// What the Qt side of the platform layer keeps behind its plain handles. Included by the platform's
// own files and by tests that look at the real widgets; never by the rest of the program.
#pragma once

#include <QFont>
#include <QImage>
#include <QMargins>
#include <QRawFont>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/platform.h"

class DestroyWatcher;
class QAction;
class QApplication;
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

// An image keeps track of what it holds so that clearing and copying touch only what they must:
// in each row, the pixels from dirtyRight[y] to the right edge are `uniform` whatever the buffer
// holds there (a surface's buffer, which is painted as it is, always holds them); a clear may
// wait until the pixels are next used; and a whole-image copy onto an image of the same size
// makes the target a mirror that reads the source's pixels until either of them is drawn on.
struct Image {
    QImage pixels;
    QRgb* base = nullptr;  // the buffer's first pixel: images never share their buffers
    DrawState state;
    Window* surface = nullptr;  // set for a surface's own picture, which repaints on change
    std::vector<int> dirtyRight;
    Colour uniform = COLOUR_WHITE;
    bool clearPending = false;
    Colour pendingColour = COLOUR_WHITE;
    Image* mirrorOf = nullptr;
    Image* mirroredBy = nullptr;
    // Every change counts up; a copy repeated onto an unchanged target from an unchanged source
    // has nothing to do.
    uint64_t version = 0;
    const Image* copiedFrom = nullptr;
    uint64_t copiedVersion = 0;
    uint64_t versionAfterCopy = 0;
    int copiedX = 0;
    int copiedY = 0;
};

// The pixels one glyph sets, relative to the pen position and the top of the text cell.
struct GlyphSpan {
    int16_t dy;
    int16_t x0;
    int16_t x1;  // exclusive
};
struct GlyphMask {
    bool built = false;
    std::vector<GlyphSpan> spans;
};

struct Font {
    QFont qfont;
    QRawFont raw;
    int advance[256];  // per Windows-1252 code; texts are laid out without kerning or ligatures
    quint32 glyph[256];
    GlyphMask mask[256];
    bool fromOutline;    // glyphs rasterised from their outlines rather than by the font engine
    double emboldening;  // pixels added to every stroke of an outline, 0 for none
    int ascent;
    FontMetrics metrics;
};

// A key the surface keeps until its release: the text it typed and the physical key that did.
struct PendingKey {
    uint32_t keyId;
    std::string text;
};

// A release held back for a moment: the window system repeats a held key as a release and a
// press of the same key with the same time, and only the press that follows tells them apart.
struct HeldRelease {
    bool held = false;
    uint32_t keyId = 0;
    uint64_t time = 0;
    int key = 0;
};

// A key that is down: when it went down, for telling its repeats from new presses.
struct KeyDown {
    uint32_t keyId;
    uint64_t time;
};

// The surface's keys. Each press leaves its text waiting in press order; the key message being
// handled makes some of them due (its own at a press, at a release also every key pressed before
// it), and the program takes those one by one.
struct SurfaceKeys {
    std::vector<PendingKey> pending;
    std::vector<std::string> due;
    bool inKeyMessage = false;
    uint32_t currentKeyId = 0;
    HeldRelease heldRelease;
    std::vector<KeyDown> down;
};

struct Window {
    QWidget* widget = nullptr;
    bool isSurface = false;
    int id = 0;
    WindowProc proc = nullptr;
    Window* surface = nullptr;  // the main window's one control
    Window* parent = nullptr;
    Menu* menuBar = nullptr;
    Image picture;  // the surface's own picture
    SurfaceKeys keys;
    QEventLoop* loop = nullptr;
    bool opened = false;
    bool ended = false;
    int endValue = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    QMargins centredWithMargins;  // the window frame's margins when the window was centred
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

// The drawing side's process-wide state.
struct DrawingState {
    QApplication* application = nullptr;
    Image* target = nullptr;
    std::map<std::tuple<std::string, int, bool>, Font*> fonts;
    bool tahomaInstalled = false;
    uint64_t versionCounter = 0;  // versions are unique across images, past and present
};
extern DrawingState drawing;

// The windowing side's process-wide state.
struct WindowingState {
    DestroyWatcher* destroyWatcher = nullptr;
};
extern WindowingState windowing;

// The application's name, version, desktop entry and window icon.
void SetProgramIdentity();

// Repaints a surface after its picture changed, all of it or the part given in picture pixels.
void NotifySurfaceChanged(Window* surface);
void NotifySurfacePartChanged(Window* surface, int x, int y, int width, int height);

// Test access to the real widgets and menu actions.
QWidget* WidgetOf(Window* window);
QAction* MenuActionOf(Menu* bar, int id);
QMenuBar* MenuBarWidgetOf(Menu* bar);
QString Cp1252ToQString(std::string_view text);
