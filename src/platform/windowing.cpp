// The main window, its drawing surface and menu bar, built on Qt widgets. Qt's events are turned
// into the program's messages: the program's handler sees each one first, then the surface's own
// handling (pending key, focus on click) runs.
#include <QAbstractNativeEventFilter>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/platform_qt.h"

namespace {

// The property that leads from a widget back to the program's window handle.
constexpr const char* WINDOW_PROPERTY = "monedarioWindow";

// A key as the program sees it: a virtual key and its PC set-1 scan code.
struct KeyCodes {
    int virtualKey;
    int scanCode;
    bool extended;  // a navigation or function key: the surface stores zero + scan code
};

KeyCodes TranslateKey(int key) {
    switch (key) {
        case Qt::Key_Home:
            return {0x24, 0x47, true};
        case Qt::Key_Up:
            return {0x26, 0x48, true};
        case Qt::Key_PageUp:
            return {0x21, 0x49, true};
        case Qt::Key_Left:
            return {0x25, 0x4B, true};
        case Qt::Key_Right:
            return {0x27, 0x4D, true};
        case Qt::Key_End:
            return {0x23, 0x4F, true};
        case Qt::Key_Down:
            return {0x28, 0x50, true};
        case Qt::Key_PageDown:
            return {0x22, 0x51, true};
        case Qt::Key_Insert:
            return {0x2D, 0x52, true};
        case Qt::Key_Delete:
            return {0x2E, 0x53, true};
        case Qt::Key_F11:
            return {0x7A, 0x57, true};
        case Qt::Key_F12:
            return {0x7B, 0x58, true};
        case Qt::Key_Backspace:
            return {0x08, 0x0E, false};
        case Qt::Key_Tab:
            return {0x09, 0x0F, false};
        case Qt::Key_Return:
            return {0x0D, 0x1C, false};
        case Qt::Key_Enter:
            return {0x0D, 0x1C, false};
        case Qt::Key_Escape:
            return {0x1B, 0x01, false};
        case Qt::Key_Shift:
            return {0x10, 0x2A, false};
        case Qt::Key_Control:
            return {0x11, 0x1D, false};
        case Qt::Key_Alt:
            return {0x12, 0x38, false};
        case Qt::Key_Space:
            return {0x20, 0x39, false};
        default:
            break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F10) {
        const int n = key - Qt::Key_F1;
        return {0x70 + n, 0x3B + n, true};
    }
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return {key, 0, false};
    return {0, 0, false};
}

// How long a release waits for the press that would make it half of a repeat pair, and how long
// a key must have been down before the window system can have repeated it at all.
constexpr int REPEAT_PAIR_WAIT_MS = 20;
constexpr uint64_t REPEAT_MIN_DOWN_MS = 100;

// The window system's key code names the physical key; events made without one use Qt's key.
uint32_t KeyIdOf(const QKeyEvent* e) {
    return e->nativeScanCode() != 0 ? e->nativeScanCode()
                                    : (0x80000000u | static_cast<uint32_t>(e->key()));
}

void StoreKey(Window* surface, std::string text) {
    surface->keys.pending.push_back({surface->keys.currentKeyId, std::move(text)});
}

// A press makes due what an earlier press of the same key left waiting (it is being repeated);
// a release makes due its own key and every key pressed before it, in press order.
void MarkDue(SurfaceKeys& keys, unsigned message) {
    auto& pending = keys.pending;
    const auto own = [&keys](const PendingKey& k) { return k.keyId == keys.currentKeyId; };
    if (message == MSG_KEYDOWN) {
        for (const PendingKey& k : pending)
            if (own(k)) keys.due.push_back(k.text);
        std::erase_if(pending, own);
    } else if (message == MSG_KEYUP) {
        const auto last = std::find_if(pending.rbegin(), pending.rend(), own);
        if (last == pending.rend()) return;
        const auto end = last.base();
        for (auto k = pending.begin(); k != end; ++k) keys.due.push_back(k->text);
        pending.erase(pending.begin(), end);
    }
}

intptr_t Dispatch(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    if (!window || !window->proc) return 0;
    return window->proc(window, message, wParam, lParam);
}

// The surface's own handling, which the program's handler passes every message on to.
intptr_t DefaultSurfaceProc(Window* surface, unsigned message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case MSG_KEYDOWN: {
            const int scan = HighWord(lParam) & 0xFF;
            const bool extended = (lParam >> 24) & 1;
            if (extended) StoreKey(surface, std::string(1, '\0') + static_cast<char>(scan));
            break;
        }
        case MSG_CHAR:
            if (wParam != '\t') StoreKey(surface, std::string(1, static_cast<char>(wParam)));
            break;
        case MSG_LBUTTONDOWN:
            surface->widget->setFocus(Qt::MouseFocusReason);
            break;
        default:
            break;
    }
    return 0;
}

class SurfaceWidget : public QFrame {
public:
    SurfaceWidget(Window* owner, QWidget* parent) : QFrame(parent), owner_(owner) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
        QPalette p = palette();
        p.setColor(QPalette::WindowText, Qt::black);
        setPalette(p);
        setFocusPolicy(Qt::ClickFocus);
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
        releaseTimer_.setSingleShot(true);
        releaseTimer_.setInterval(REPEAT_PAIR_WAIT_MS);
        QObject::connect(&releaseTimer_, &QTimer::timeout, this, [this] { FlushHeldRelease(); });
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        // On a scaled desktop each picture pixel becomes a block of screen pixels, never a blend.
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(contentsRect().topLeft(), owner_->picture.pixels);
    }

    bool event(QEvent* e) override {
        // Tab stays with the surface instead of moving the focus.
        if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
            auto* key = static_cast<QKeyEvent*>(e);
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
                if (e->type() == QEvent::KeyPress)
                    keyPressEvent(key);
                else
                    keyReleaseEvent(key);
                return true;
            }
        }
        return QFrame::event(e);
    }

    // A held key repeats as a release and a press of the same key at the same time, marked as a
    // repeat or not; only the press counts, as a repeated key-down followed by its character.
    void keyPressEvent(QKeyEvent* e) override {
        SurfaceKeys& keys = owner_->keys;
        const uint32_t id = KeyIdOf(e);
        const HeldRelease& held = keys.heldRelease;
        if (held.held && held.keyId == id && held.time == e->timestamp()) {
            keys.heldRelease = HeldRelease{};
            releaseTimer_.stop();
        } else {
            FlushHeldRelease();
        }
        const auto known = std::find_if(keys.down.begin(), keys.down.end(),
                                        [id](const KeyDown& k) { return k.keyId == id; });
        if (known == keys.down.end()) keys.down.push_back({id, e->timestamp()});

        const KeyCodes k = TranslateKey(e->key());
        SendKey(MSG_KEYDOWN, k, k.virtualKey, id);
        if (k.extended) return;
        const std::string chars = Utf8ToCp1252(e->text().toStdString());
        for (unsigned char c : chars) SendKey(MSG_CHAR, k, c, id);
    }

    void keyReleaseEvent(QKeyEvent* e) override {
        if (e->isAutoRepeat()) return;
        FlushHeldRelease();
        SurfaceKeys& keys = owner_->keys;
        const uint32_t id = KeyIdOf(e);
        const auto known = std::find_if(keys.down.begin(), keys.down.end(),
                                        [id](const KeyDown& k) { return k.keyId == id; });
        // Only a release of a key held long enough to repeat, with a time to compare, waits.
        if (e->timestamp() != 0 && known != keys.down.end() &&
            e->timestamp() - known->time >= REPEAT_MIN_DOWN_MS) {
            keys.heldRelease = HeldRelease{true, id, e->timestamp(), e->key()};
            releaseTimer_.start();
            return;
        }
        Release(id, e->key());
    }

    // Keys still down or waiting were pressed for this window; once the keyboard is elsewhere
    // their releases never come here, and a later key must not deliver them.
    void focusOutEvent(QFocusEvent* e) override {
        FlushHeldRelease();
        owner_->keys.pending.clear();
        owner_->keys.down.clear();
        QFrame::focusOutEvent(e);
    }
    void mousePressEvent(QMouseEvent* e) override { Mouse(e, true); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { Mouse(e, true); }
    void mouseReleaseEvent(QMouseEvent* e) override { Mouse(e, false); }
    void mouseMoveEvent(QMouseEvent* e) override {
        intptr_t lParam = 0;
        if (ClientPosition(e, &lParam)) Send(MSG_MOUSEMOVE, 0, lParam);
    }

private:
    // Positions in the surface's client area, inside the border; the border itself is not it.
    // On a scaled desktop a screen pixel is a fraction of a picture pixel: it belongs to the
    // picture pixel it lies in, never to the next one.
    bool ClientPosition(QMouseEvent* e, intptr_t* lParam) {
        const QPointF at = e->position();
        const QPoint p =
            QPoint(static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y()))) -
            contentsRect().topLeft();
        if (p.x() < 0 || p.y() < 0 || p.x() >= contentsRect().width() ||
            p.y() >= contentsRect().height())
            return false;
        *lParam = (static_cast<intptr_t>(p.y()) << 16) | p.x();
        return true;
    }

    void Release(uint32_t id, int key) {
        std::erase_if(owner_->keys.down, [id](const KeyDown& k) { return k.keyId == id; });
        const KeyCodes k = TranslateKey(key);
        SendKey(MSG_KEYUP, k, k.virtualKey, id);
    }

    // A release still waiting is a real one once anything else happens.
    void FlushHeldRelease() {
        HeldRelease& held = owner_->keys.heldRelease;
        releaseTimer_.stop();
        if (!held.held) return;
        const HeldRelease release = held;
        held = HeldRelease{};
        Release(release.keyId, release.key);
    }

    void SendKey(unsigned message, const KeyCodes& k, int wParam, uint32_t id) {
        SurfaceKeys& keys = owner_->keys;
        const intptr_t lParam = (static_cast<intptr_t>(k.scanCode) << 16) |
                                (static_cast<intptr_t>(k.extended) << 24) | 1;
        keys.currentKeyId = id;
        MarkDue(keys, message);
        keys.inKeyMessage = true;
        Send(message, static_cast<uintptr_t>(wParam), lParam);
        keys.inKeyMessage = false;
        keys.due.clear();  // what the program did not take is gone
    }

    void Mouse(QMouseEvent* e, bool press) {
        FlushHeldRelease();
        intptr_t lParam = 0;
        if (!ClientPosition(e, &lParam)) return;
        if (e->button() == Qt::LeftButton)
            Send(press ? MSG_LBUTTONDOWN : MSG_LBUTTONUP, 1, lParam);
        else if (e->button() == Qt::RightButton && press)
            Send(MSG_RBUTTONDOWN, 2, lParam);
    }

    void Send(unsigned message, uintptr_t wParam, intptr_t lParam) {
        if (owner_->proc)
            owner_->proc(owner_, message, wParam, lParam);
        else
            DefaultSurfaceProc(owner_, message, wParam, lParam);
    }

    Window* owner_;
    QTimer releaseTimer_;
};

void CentreOnDesktop(Window* window);

class MainWidget : public QWidget {
public:
    explicit MainWidget(Window* owner)
        : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
          owner_(owner) {}

protected:
    void closeEvent(QCloseEvent* e) override {
        // The window system's close request ends the loop as "Salir" does.
        EndModal(owner_, 0);
        e->accept();
    }

    void changeEvent(QEvent* e) override {
        if (e->type() == QEvent::ActivationChange) {
            CentreFrameOnceKnown();
            Dispatch(owner_, MSG_NCACTIVATE, isActiveWindow() ? 1 : 0, 0);
        }
        QWidget::changeEvent(e);
    }

    void moveEvent(QMoveEvent* e) override {
        QWidget::moveEvent(e);
        CentreFrameOnceKnown();
    }

private:
    // A window manager frames the window only once it is mapped; the frame, not the client area,
    // is what is centred, so the window is centred again when the frame's margins are known.
    void CentreFrameOnceKnown() {
        if (windowHandle() && windowHandle()->frameMargins() != owner_->centredWithMargins)
            CentreOnDesktop(owner_);
    }

    Window* owner_;
};

void LayOutChildren(Window* window) {
    int menuHeight = 0;
    if (window->menuBar && window->menuBar->bar) {
        menuHeight = window->menuBar->bar->sizeHint().height();
        window->menuBar->bar->setGeometry(0, 0, window->clientWidth, menuHeight);
    }
    // The menu bar takes its height out of the client area; the surface keeps its place below it.
    if (window->surface)
        window->surface->widget->move(window->surface->placeX,
                                      window->surface->placeY + menuHeight);
}

void CentreOnDesktop(Window* window) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    QMargins frame;
    if (window->widget->windowHandle()) frame = window->widget->windowHandle()->frameMargins();
    window->centredWithMargins = frame;
    const int outerWidth = window->clientWidth + frame.left() + frame.right();
    const int outerHeight = window->clientHeight + frame.top() + frame.bottom();
    const int areaRight = area.x() + area.width();
    const int areaBottom = area.y() + area.height();
    const int left = std::max(0, area.x() + areaRight - outerWidth) / 2;
    const int top = std::max(0, area.y() + areaBottom - outerHeight) / 2;
    // The client area is placed inside the centred frame: placing the frame itself goes through
    // the window manager's idea of the frame, which may lag behind the margins read here.
    window->widget->setGeometry(left + frame.left(), top + frame.top(), window->clientWidth,
                                window->clientHeight);
}

}  // namespace

// The window system may destroy the main window outright (some tools close windows that way
// when no window manager runs); the loop then ends as a close request would end it.
class DestroyWatcher : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        constexpr uint8_t DESTROY_NOTIFY = 17;
        if (eventType != "xcb_generic_event_t" || !message || !watched_) return false;
        const auto* bytes = static_cast<const uint8_t*>(message);
        if ((bytes[0] & 0x7F) != DESTROY_NOTIFY) return false;
        uint32_t window = 0;
        std::memcpy(&window, bytes + 8, sizeof window);
        if (watched_->widget && window == watched_->widget->internalWinId()) EndModal(watched_, 0);
        return false;
    }
    void Watch(Window* window) { watched_ = window; }

private:
    Window* watched_ = nullptr;
};

WindowingState windowing;

void NotifySurfaceChanged(Window* surface) {
    if (surface && surface->widget) surface->widget->update();
}

void NotifySurfacePartChanged(Window* surface, int x, int y, int width, int height) {
    if (!surface || !surface->widget) return;
    auto* frame = static_cast<QFrame*>(surface->widget);
    surface->widget->update(
        QRect(frame->contentsRect().topLeft() + QPoint(x, y), QSize(width, height)));
}

// ---------------------------------------------------------------------------------------------

Window* CreateMainWindow(int clientWidth, int clientHeight, std::string_view title) {
    Window* window = new Window;
    window->clientWidth = clientWidth;
    window->clientHeight = clientHeight;
    auto* widget = new MainWidget(window);
    window->widget = widget;
    widget->setProperty(WINDOW_PROPERTY, QVariant::fromValue<void*>(window));
    widget->setWindowTitle(Cp1252ToQString(title));
    widget->setFixedSize(clientWidth, clientHeight);
    return window;
}

Window* AddSurface(Window* parent, int id, int x, int y, int width, int height) {
    Window* surface = new Window;
    surface->isSurface = true;
    surface->id = id;
    surface->parent = parent;
    surface->placeX = x;
    surface->placeY = y;
    surface->clientWidth = width - 2;
    surface->clientHeight = height - 2;
    surface->picture.pixels = QImage(width - 2, height - 2, QImage::Format_RGB32);
    surface->picture.pixels.fill(Qt::white);
    surface->picture.base = reinterpret_cast<QRgb*>(surface->picture.pixels.bits());
    surface->picture.dirtyRight.assign(height - 2, 0);
    surface->picture.surface = surface;
    surface->proc = DefaultSurfaceProc;
    auto* widget = new SurfaceWidget(surface, parent->widget);
    surface->widget = widget;
    widget->setProperty(WINDOW_PROPERTY, QVariant::fromValue<void*>(surface));
    widget->setGeometry(x, y, width, height);
    parent->surface = surface;
    LayOutChildren(parent);
    return surface;
}

Window* SurfaceOf(Window* mainWindow) {
    return mainWindow ? mainWindow->surface : nullptr;
}

Image* SurfacePicture(Window* surface) {
    return surface ? &surface->picture : nullptr;
}

WindowProc ReplaceSurfaceProc(Window* surface, WindowProc proc) {
    const WindowProc old = surface->proc;
    surface->proc = proc;
    return old;
}

std::string TakePendingKey(Window* surface) {
    if (!surface) return {};
    SurfaceKeys& keys = surface->keys;
    // Outside a key message every waiting key is due.
    if (!keys.inKeyMessage && !keys.pending.empty()) {
        std::string key = std::move(keys.pending.front().text);
        keys.pending.erase(keys.pending.begin());
        return key;
    }
    if (keys.due.empty()) return {};
    std::string key = std::move(keys.due.front());
    keys.due.erase(keys.due.begin());
    return key;
}

void SetArrowCursor(Window* window) {
    if (window && window->widget) window->widget->setCursor(Qt::ArrowCursor);
}

void OpenModeless(Window* window, WindowProc proc) {
    if (!windowing.destroyWatcher) {
        windowing.destroyWatcher = new DestroyWatcher;
        QCoreApplication::instance()->installNativeEventFilter(windowing.destroyWatcher);
    }
    windowing.destroyWatcher->Watch(window);
    window->proc = proc;
    window->ended = false;
    window->endValue = 0;
    // The first screen is drawn before the window appears.
    Dispatch(window, MSG_INITDIALOG, 0, 0);
    window->widget->winId();
    CentreOnDesktop(window);
    window->widget->show();
    window->widget->raise();
    window->widget->activateWindow();
    if (window->surface) window->surface->widget->setFocus(Qt::OtherFocusReason);
    window->opened = true;
}

int RunModal(Window* window, WindowProc proc) {
    OpenModeless(window, proc);
    if (window->ended) return window->endValue;
    QEventLoop loop;
    window->loop = &loop;
    const int value = loop.exec();
    window->loop = nullptr;
    window->widget->hide();
    return value;
}

void EndModal(Window* window, int value) {
    if (!window || window->ended) return;
    window->ended = true;
    window->endValue = value;
    if (window->loop) window->loop->exit(value);
}

bool ModalEnded(Window* window, int* value) {
    if (window && window->ended && value) *value = window->endValue;
    return window && window->ended;
}

void DestroyMainWindow(Window* window) {
    if (!window) return;
    if (windowing.destroyWatcher) windowing.destroyWatcher->Watch(nullptr);
    delete window->widget;  // the surface and menu bar widgets go with it
    if (window->surface) delete window->surface;
    if (window->menuBar) {
        for (Menu* popup : window->menuBar->popups) delete popup;
        delete window->menuBar;
    }
    delete window;
}

Window* FocusedWindow() {
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        void* window = w->property(WINDOW_PROPERTY).value<void*>();
        if (window) return static_cast<Window*>(window);
    }
    return nullptr;
}

void SetFocusTo(Window* window) {
    if (window && window->widget) window->widget->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------------------------
// Menus

Menu* CreateMenuBar() {
    Menu* menu = new Menu;
    menu->bar = new QMenuBar;
    menu->bar->setNativeMenuBar(false);
    return menu;
}

Menu* CreatePopupMenu() {
    Menu* menu = new Menu;
    menu->popup = new QMenu;
    return menu;
}

void AppendMenuItem(Menu* menu, int id, std::string_view text) {
    if (!menu || !menu->popup) return;
    if (text == "-") {
        menu->popup->addSeparator();
        return;
    }
    QAction* action = menu->popup->addAction(Cp1252ToQString(text));
    menu->items.push_back({id, action});
    QObject::connect(action, &QAction::triggered, action, [menu, id] {
        if (menu->owner) Dispatch(menu->owner, MSG_COMMAND, static_cast<uintptr_t>(id), 0);
    });
}

// Once a menu closes, by Escape or by a click elsewhere, the keyboard goes back to the surface
// (left alone, the menu bar would keep it and take the next keys as its own). Another menu of the
// bar opening at once (arrow keys) keeps it.
void ReturnKeyboardToSurface(Menu* bar) {
    Window* owner = bar->owner;
    if (!owner || !owner->surface || QApplication::activePopupWidget()) return;
    owner->surface->widget->setFocus(Qt::OtherFocusReason);
}

void AppendSubmenu(Menu* bar, Menu* popup, std::string_view text) {
    if (!bar || !bar->bar || !popup || !popup->popup) return;
    popup->popup->setTitle(Cp1252ToQString(text));
    bar->bar->addMenu(popup->popup);
    bar->popups.push_back(popup);
    QObject::connect(popup->popup, &QMenu::aboutToHide, bar->bar, [bar] {
        QTimer::singleShot(0, bar->bar, [bar] { ReturnKeyboardToSurface(bar); });
    });
}

void AttachMenuBar(Window* window, Menu* bar) {
    if (!window || !bar || !bar->bar) return;
    window->menuBar = bar;
    bar->owner = window;
    for (Menu* popup : bar->popups) popup->owner = window;
    bar->bar->setParent(window->widget);
    bar->bar->show();
    LayOutChildren(window);
}

static QAction* FindAction(Menu* bar, int id) {
    if (!bar) return nullptr;
    for (Menu* popup : bar->popups) {
        for (const MenuItem& item : popup->items) {
            if (item.id == id) return item.action;
        }
    }
    return nullptr;
}

void SetMenuItemState(Menu* bar, int id, int state) {
    QAction* action = FindAction(bar, id);
    if (!action) return;
    action->setEnabled(state != MENU_GREYED);
    action->setCheckable(state == MENU_CHECKED);
    action->setChecked(state == MENU_CHECKED);
}

int MenuItemState(Menu* bar, int id) {
    QAction* action = FindAction(bar, id);
    if (!action) return -1;
    if (!action->isEnabled()) return MENU_GREYED;
    return action->isChecked() ? MENU_CHECKED : MENU_ENABLED;
}

QWidget* WidgetOf(Window* window) {
    return window ? window->widget : nullptr;
}
QAction* MenuActionOf(Menu* bar, int id) {
    return FindAction(bar, id);
}
QMenuBar* MenuBarWidgetOf(Menu* bar) {
    return bar ? bar->bar : nullptr;
}
