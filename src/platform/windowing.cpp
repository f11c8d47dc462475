// SPDX-License-Identifier: GPL-3.0-or-later
// The main window, its drawing surface and menu bar, built on Qt widgets. The surface turns Qt's
// key and mouse events into the program's events: a held key's repeats become further presses,
// its release comes once.
#include <QAbstractNativeEventFilter>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFrame>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "platform/platform_qt.h"

namespace {

// How long a release waits for the press that would make it half of a repeat pair, and how long
// a key must have been down before the window system can have repeated it at all.
constexpr int REPEAT_PAIR_WAIT_MS = 20;
constexpr uint64_t REPEAT_MIN_DOWN_MS = 100;
// The keyboard's focus mark lies this far inside the day's box.
constexpr int FOCUS_MARK_INSET = 3;
// Today's frame: solid, a white line inside the day's outline, clear of the texts, in a colour of
// its own (neither the texts' black and red nor the banner's blue); the keyboard's dotted mark
// goes over its inner line.
constexpr int TODAY_MARK_INSET = 2;
constexpr int TODAY_MARK_PEN = 2;
const QColor TODAY_MARK_COLOUR(0, 150, 150);
// How often the program is told that time passes, so that today's mark moves at midnight.
constexpr int TICK_MS = 30 * 1000;

KeyName NameOf(int key) {
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return KeyName::Enter;
        case Qt::Key_Backspace:
            return KeyName::Backspace;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return KeyName::Tab;
        case Qt::Key_Escape:
            return KeyName::Escape;
        case Qt::Key_Space:
            return KeyName::Space;
        case Qt::Key_Home:
            return KeyName::Home;
        case Qt::Key_End:
            return KeyName::End;
        case Qt::Key_Left:
            return KeyName::Left;
        case Qt::Key_Right:
            return KeyName::Right;
        case Qt::Key_Up:
            return KeyName::Up;
        case Qt::Key_Down:
            return KeyName::Down;
        default:
            return KeyName::Other;
    }
}

// The keys of the navigation and function blocks, which type no character.
bool IsNavigation(int key) {
    switch (key) {
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Insert:
        case Qt::Key_Delete:
            return true;
        default:
            return key >= Qt::Key_F1 && key <= Qt::Key_F12;
    }
}

// The window system's key code names the physical key; events made without one use Qt's key.
uint32_t KeyIdOf(const QKeyEvent* e) {
    return e->nativeScanCode() != 0 ? e->nativeScanCode()
                                    : (0x80000000u | static_cast<uint32_t>(e->key()));
}

Key KeyOf(const QKeyEvent* e, bool press) {
    Key key;
    key.id = KeyIdOf(e);
    key.name = NameOf(e->key());
    key.navigation = IsNavigation(e->key());
    // With Ctrl a key is a command, never a character (some events carry the letter).
    if (press && !key.navigation && !(e->modifiers() & Qt::ControlModifier))
        key.text = e->text().toStdString();
    return key;
}

}  // namespace

// A release held back for a moment: the window system repeats a held key as a release and a
// press of the same key with the same time, and only the press that follows tells them apart.
struct HeldRelease {
    bool held = false;
    Key key;
    uint64_t time = 0;
};

// A key that is down: when it went down, for telling its repeats from new presses.
struct KeyHeld {
    uint32_t id;
    uint64_t time;
};

class SurfaceWidget : public QFrame {
public:
    SurfaceWidget(WindowEvents& events, const MainWindow::Widgets& shown, QWidget* parent)
        : QFrame(parent), events_(events), shown_(shown) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
        QPalette p = palette();
        p.setColor(QPalette::WindowText, Qt::black);
        setPalette(p);
        setFocusPolicy(Qt::ClickFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
        releaseTimer_.setSingleShot(true);
        releaseTimer_.setInterval(REPEAT_PAIR_WAIT_MS);
        QObject::connect(&releaseTimer_, &QTimer::timeout, this, [this] { FlushHeldRelease(); });
    }

    void PictureChanged(const Rect& part) { update(OnSurface(part)); }

    // The tip of the day in `box`, beside it, as hovering it would show.
    void ShowTipOf(const Rect& box) {
        const std::string tip = TipAt(Point{box.left, box.top});
        if (!tip.empty())
            QToolTip::showText(mapToGlobal(OnSurface(box).bottomLeft()),
                               QString::fromStdString(tip), this, OnSurface(box));
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        // On a scaled desktop each picture pixel becomes a block of screen pixels, never a blend.
        const Image& picture = shown_.picture;
        const QImage shown(reinterpret_cast<const uchar*>(picture.ScreenRow(0)), picture.Width(),
                           picture.Height(), QImage::Format_RGB32);
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(contentsRect().topLeft(), shown);
        if (shown_.todayMark) {
            // Today: a solid frame just inside the day's outline. A pen of two pixels drawn on a
            // rectangle's outline covers one pixel on either side of it.
            painter.setPen(QPen(TODAY_MARK_COLOUR, TODAY_MARK_PEN, Qt::SolidLine, Qt::SquareCap,
                                Qt::MiterJoin));
            const int inset = TODAY_MARK_INSET + TODAY_MARK_PEN / 2;
            painter.drawRect(OnSurface(*shown_.todayMark).adjusted(inset, inset, -inset, -inset));
        }
        if (!shown_.focusMark) return;
        // The keyboard's day: a dotted frame just inside the day's box, over the picture.
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(OnSurface(*shown_.focusMark)
                             .adjusted(FOCUS_MARK_INSET, FOCUS_MARK_INSET, -FOCUS_MARK_INSET - 1,
                                       -FOCUS_MARK_INSET - 1));
    }

    bool event(QEvent* e) override {
        if (e->type() == QEvent::ToolTip) {
            auto* help = static_cast<QHelpEvent*>(e);
            const QPoint at = help->pos() - contentsRect().topLeft();
            const std::string tip = TipAt(Point{at.x(), at.y()});
            if (tip.empty()) {
                QToolTip::hideText();
                e->ignore();
            } else {
                QToolTip::showText(help->globalPos(), QString::fromStdString(tip), this);
            }
            return true;
        }
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
    // repeat or not; only the press counts. F10 opens the menu bar's first menu.
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_F10 && e->modifiers() == Qt::NoModifier) return OpenFirstMenu();
        if (e->key() == Qt::Key_Menu ||
            (e->key() == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier)) {
            FlushHeldRelease();
            return events_.DayMenuRequested(std::nullopt);
        }
        const uint32_t id = KeyIdOf(e);
        if (held_.held && held_.key.id == id && held_.time == e->timestamp()) {
            held_ = HeldRelease{};
            releaseTimer_.stop();
        } else {
            FlushHeldRelease();
        }
        if (FindDown(id) == down_.end()) down_.push_back({id, e->timestamp()});
        events_.KeyDown(KeyOf(e, true));
    }

    void keyReleaseEvent(QKeyEvent* e) override {
        if (e->isAutoRepeat()) return;
        FlushHeldRelease();
        const auto known = FindDown(KeyIdOf(e));
        // Only a release of a key held long enough to repeat, with a time to compare, waits.
        if (e->timestamp() != 0 && known != down_.end() &&
            e->timestamp() - known->time >= REPEAT_MIN_DOWN_MS) {
            held_ = HeldRelease{true, KeyOf(e, false), e->timestamp()};
            releaseTimer_.start();
            return;
        }
        Release(KeyOf(e, false));
    }

    // Keys still down were pressed for this window; once the keyboard is elsewhere their
    // releases never come here.
    void focusOutEvent(QFocusEvent* e) override {
        FlushHeldRelease();
        down_.clear();
        events_.FocusLost();
        QFrame::focusOutEvent(e);
    }

    void mousePressEvent(QMouseEvent* e) override { Press(e); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { Press(e); }
    void mouseReleaseEvent(QMouseEvent* e) override {
        FlushHeldRelease();
        if (e->button() == Qt::LeftButton) setCursor(Qt::ArrowCursor);
    }

private:
    // A box of the picture where the surface shows it, inside its border.
    QRect OnSurface(const Rect& box) const {
        return QRect(contentsRect().topLeft() + QPoint(box.left, box.top),
                     QSize(box.Width(), box.Height()));
    }
    // The tip of the cell the description has at `at`, if it gives one.
    std::string TipAt(Point at) const {
        for (const DescribedCell& cell : shown_.description.cells)
            if (cell.box.Contains(at)) return cell.tip;
        return {};
    }

    // As a keyboard opens a menu: its first item that can be chosen is highlighted.
    void OpenFirstMenu() {
        auto* bar = window()->findChild<QMenuBar*>();
        if (!bar || bar->actions().isEmpty()) return;
        QAction* first = bar->actions().first();
        bar->setActiveAction(first);
        if (!first->menu()) return;
        for (QAction* item : first->menu()->actions()) {
            if (item->isSeparator() || !item->isEnabled()) continue;
            first->menu()->setActiveAction(item);
            return;
        }
    }

    std::vector<KeyHeld>::iterator FindDown(uint32_t id) {
        return std::find_if(down_.begin(), down_.end(),
                            [id](const KeyHeld& k) { return k.id == id; });
    }

    void Release(const Key& key) {
        std::erase_if(down_, [&key](const KeyHeld& k) { return k.id == key.id; });
        events_.KeyUp(key);
    }

    // A release still waiting is a real one once anything else happens.
    void FlushHeldRelease() {
        releaseTimer_.stop();
        if (!held_.held) return;
        const Key key = held_.key;
        held_ = HeldRelease{};
        Release(key);
    }

    // Positions in the surface's picture, inside the border; the border itself is not in it.
    // On a scaled desktop a screen pixel is a fraction of a picture pixel: it belongs to the
    // picture pixel it lies in, never to the next one.
    void Press(QMouseEvent* e) {
        FlushHeldRelease();
        if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton) return;
        const QPointF at = e->position();
        const QPoint p =
            QPoint(static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y()))) -
            contentsRect().topLeft();
        if (!contentsRect().translated(-contentsRect().topLeft()).contains(p)) return;
        if (e->button() == Qt::RightButton) return events_.DayMenuRequested(Point{p.x(), p.y()});
        QPointer<SurfaceWidget> alive(this);
        events_.Click(Point{p.x(), p.y()});
        if (alive) setFocus(Qt::MouseFocusReason);
    }

    WindowEvents& events_;
    const MainWindow::Widgets& shown_;
    QTimer releaseTimer_;
    HeldRelease held_;
    std::vector<KeyHeld> down_;
};

namespace {

// The window system may destroy the main window outright (some tools close windows that way
// when no window manager runs); the loop then ends as a close request would end it.
class DestroyWatcher : public QAbstractNativeEventFilter {
public:
    explicit DestroyWatcher(MainWindow& window) : window_(window) {}
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        constexpr uint8_t DESTROY_NOTIFY = 17;
        if (eventType != "xcb_generic_event_t" || !message) return false;
        const auto* bytes = static_cast<const uint8_t*>(message);
        if ((bytes[0] & 0x7F) != DESTROY_NOTIFY) return false;
        uint32_t destroyed = 0;
        std::memcpy(&destroyed, bytes + 8, sizeof destroyed);
        if (destroyed == window_.Ui().main->internalWinId()) window_.End(0);
        return false;
    }

private:
    MainWindow& window_;
};

}  // namespace

class MainWidget : public QWidget {
public:
    explicit MainWidget(WindowEvents& events)
        : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
          events_(events) {}

    void CentreOnDesktop();

protected:
    void closeEvent(QCloseEvent* e) override {
        events_.CloseRequested();
        e->ignore();  // the program decides; ending the loop hides the window
    }

    void changeEvent(QEvent* e) override {
        if (e->type() == QEvent::ActivationChange) {
            CentreFrameOnceKnown();
            // Told once the activation is over, so that what the program does then (a question)
            // does not run inside it.
            if (isActiveWindow())
                QTimer::singleShot(0, this, [this] {
                    if (isActiveWindow()) events_.Activated();
                });
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
        if (windowHandle() && windowHandle()->frameMargins() != centredWithMargins_)
            CentreOnDesktop();
    }

    WindowEvents& events_;
    QMargins centredWithMargins_;
};

void MainWidget::CentreOnDesktop() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    QMargins frame;
    if (windowHandle()) frame = windowHandle()->frameMargins();
    centredWithMargins_ = frame;
    const int outerWidth = width() + frame.left() + frame.right();
    const int outerHeight = height() + frame.top() + frame.bottom();
    const int areaRight = area.x() + area.width();
    const int areaBottom = area.y() + area.height();
    const int left = std::max(0, area.x() + areaRight - outerWidth) / 2;
    const int top = std::max(0, area.y() + areaBottom - outerHeight) / 2;
    // The client area is placed inside the centred frame: placing the frame itself goes through
    // the window manager's idea of the frame, which may lag behind the margins read here.
    setGeometry(left + frame.left(), top + frame.top(), width(), height());
}

namespace {

// Once a menu closes, by Escape or by a click elsewhere, the keyboard goes back to the surface
// (left alone, the menu bar would keep it and take the next keys as its own). Another menu of the
// bar opening at once (arrow keys) keeps it.
void ReturnKeyboardToSurface(QWidget* surface) {
    if (!QApplication::activePopupWidget()) surface->setFocus(Qt::OtherFocusReason);
}

// Commands the window runs at their keys wherever its keyboard is, menus aside.
void AddShortcuts(QWidget* main, WindowEvents& events, const std::vector<Shortcut>& shortcuts) {
    for (const Shortcut& shortcut : shortcuts) {
        auto* action = new QAction(main);
        action->setShortcut(QKeySequence(QString::fromStdString(shortcut.keys)));
        action->setShortcutContext(Qt::WindowShortcut);
        main->addAction(action);
        const Command command = shortcut.command;
        QObject::connect(action, &QAction::triggered, action,
                         [&events, command] { events.Run(command); });
    }
}

QMenuBar* BuildMenuBar(MainWindow::Widgets& w, WindowEvents& events,
                       const std::vector<MenuTitle>& menus) {
    auto* bar = new QMenuBar(w.main);
    bar->setNativeMenuBar(false);
    for (const MenuTitle& title : menus) {
        QMenu* menu = bar->addMenu(QString::fromStdString(title.title));
        for (const MenuItem& item : title.items) {
            if (item.separatorBefore) menu->addSeparator();
            QAction* action = menu->addAction(QString::fromStdString(item.text));
            w.actions[item.command] = action;
            const Command command = item.command;
            QObject::connect(action, &QAction::triggered, action,
                             [&events, command] { events.Run(command); });
        }
        QPointer<QWidget> surface = w.surface;
        QObject::connect(menu, &QMenu::aboutToHide, bar, [bar, surface] {
            QTimer::singleShot(0, bar, [surface] {
                if (surface) ReturnKeyboardToSurface(surface);
            });
        });
    }
    return bar;
}

}  // namespace

MainWindow::MainWindow(WindowEvents& events, const WindowShape& shape,
                       const std::vector<MenuTitle>& menus)
    : widgets_(std::make_unique<Widgets>(
          Image(shape.surface.Width() - 2, shape.surface.Height() - 2, Image::Use::Screen))) {
    Widgets& w = *widgets_;
    auto* main = new MainWidget(events);
    w.main = main;
    main->setWindowTitle(QString::fromStdString(shape.title));
    main->setFixedSize(shape.clientWidth, shape.clientHeight);
    w.surface = new SurfaceWidget(events, w, main);
    w.ticker = new QTimer(main);
    w.ticker->setInterval(TICK_MS);
    QObject::connect(w.ticker, &QTimer::timeout, main, [&events] { events.TimePassed(); });
    w.ticker->start();
    InstallSurfaceAccessibility(w.surface, &w.description);
    w.events = &events;
    w.menuBar = BuildMenuBar(w, events, menus);
    AddShortcuts(main, events, shape.shortcuts);
    // The menu bar takes its height out of the client area; the surface keeps its place below.
    const int menuHeight = w.menuBar->sizeHint().height();
    w.menuBar->setGeometry(0, 0, shape.clientWidth, menuHeight);
    w.surface->setGeometry(shape.surface.left, shape.surface.top + menuHeight,
                           shape.surface.Width(), shape.surface.Height());
    w.destroyWatcher = std::make_unique<DestroyWatcher>(*this);
    QCoreApplication::instance()->installNativeEventFilter(w.destroyWatcher.get());
}

MainWindow::~MainWindow() {
    QCoreApplication::instance()->removeNativeEventFilter(widgets_->destroyWatcher.get());
    delete widgets_->main;  // the surface and the menu bar go with it
}

void MainWindow::ShowPicture(const Image& page) {
    Widgets& w = *widgets_;
    w.picture.Copy(page, Point{0, 0});
    w.surface->update();
}

void MainWindow::ShowPicturePart(const Image& page, const Rect& part) {
    Widgets& w = *widgets_;
    w.picture.CopyPart(page, part);
    static_cast<SurfaceWidget*>(w.surface)->PictureChanged(part);
}

const Image& MainWindow::Picture() const {
    return widgets_->picture;
}

void MainWindow::SetMenuState(Command command, MenuState state) {
    QAction* action = widgets_->actions.at(command);
    action->setEnabled(state != MenuState::Greyed);
    action->setCheckable(state == MenuState::Checked);
    action->setChecked(state == MenuState::Checked);
}

MenuState MainWindow::GetMenuState(Command command) const {
    const QAction* action = widgets_->actions.at(command);
    if (!action->isEnabled()) return MenuState::Greyed;
    return action->isChecked() ? MenuState::Checked : MenuState::Enabled;
}

void MainWindow::Describe(SurfaceDescription description) {
    Widgets& w = *widgets_;
    const SurfaceDescription before = std::move(w.description);
    w.description = std::move(description);
    TellChanges(w.surface, before, w.description);
}

const SurfaceDescription& MainWindow::Description() const {
    return widgets_->description;
}

void MainWindow::ShowFocusMark(std::optional<Rect> box) {
    Widgets& w = *widgets_;
    if (w.focusMark.has_value() == box.has_value() &&
        (!box || (w.focusMark->left == box->left && w.focusMark->top == box->top)))
        return;
    w.focusMark = box;
    w.surface->update();
    if (box) static_cast<SurfaceWidget*>(w.surface)->ShowTipOf(*box);
}

void MainWindow::ShowTodayMark(std::optional<Rect> box) {
    Widgets& w = *widgets_;
    if (w.todayMark == box) return;
    w.todayMark = box;
    w.surface->update();
}

void MainWindow::ShowPopupMenu(const std::vector<PopupItem>& items, Point at) {
    Widgets& w = *widgets_;
    auto* menu = new QMenu(w.main);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const PopupItem& item : items) {
        QAction* action = menu->addAction(QString::fromStdString(item.text));
        action->setEnabled(item.enabled);
        const Command command = item.command;
        WindowEvents* events = w.events;
        QObject::connect(action, &QAction::triggered, menu,
                         [events, command] { events->Run(command); });
    }
    w.popup = menu;
    QPointer<QWidget> surface = w.surface;
    QObject::connect(menu, &QMenu::aboutToHide, w.main, [&w, surface] {
        w.popup = nullptr;
        QTimer::singleShot(0, w.main, [&w, surface] {
            if (!surface) return;
            w.main->activateWindow();
            ReturnKeyboardToSurface(surface);
        });
    });
    const QPoint inside =
        static_cast<QFrame*>(w.surface)->contentsRect().topLeft() + QPoint(at.x, at.y);
    menu->popup(w.surface->mapToGlobal(inside));
}

int MainWindow::Ask(const Question& question) {
    Widgets& w = *widgets_;
    QMessageBox box(QMessageBox::Question, w.main->windowTitle(),
                    QString::fromStdString(question.text), QMessageBox::NoButton, w.main);
    std::vector<QPushButton*> buttons;
    for (const std::string& answer : question.answers)
        buttons.push_back(box.addButton(QString::fromStdString(answer), QMessageBox::ActionRole));
    box.setDefaultButton(buttons.front());
    box.setEscapeButton(buttons.back());
    w.question = &box;
    box.exec();
    w.question = nullptr;
    // The keyboard goes back to the surface, as after a menu, wherever the window system puts it.
    if (w.main->isVisible()) {
        w.main->activateWindow();
        w.surface->setFocus(Qt::OtherFocusReason);
    }
    const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return chosen == buttons.end() ? static_cast<int>(buttons.size()) - 1
                                   : static_cast<int>(chosen - buttons.begin());
}

void MainWindow::DismissQuestion() {
    if (widgets_->question) widgets_->question->reject();
}

void MainWindow::Open() {
    Widgets& w = *widgets_;
    w.ended = false;
    w.endValue = 0;
    w.main->winId();
    static_cast<MainWidget*>(w.main)->CentreOnDesktop();
    w.main->show();
    w.main->raise();
    w.main->activateWindow();
    w.surface->setFocus(Qt::OtherFocusReason);
}

int MainWindow::Exec() {
    Widgets& w = *widgets_;
    if (w.ended) return w.endValue;
    QEventLoop loop;
    w.loop = &loop;
    const int value = loop.exec();
    w.loop = nullptr;
    w.main->hide();
    return value;
}

void MainWindow::End(int value) {
    Widgets& w = *widgets_;
    if (w.ended) return;
    w.ended = true;
    w.endValue = value;
    if (w.loop) w.loop->exit(value);
    // A window shown beside another one's loop has none of its own to leave: it goes at once.
    if (!w.loop && w.besideAnotherLoop) w.main->hide();
}

void MainWindow::ShownBesideAnotherLoop() {
    widgets_->besideAnotherLoop = true;
}

bool MainWindow::Ended() const {
    return widgets_->ended;
}
int MainWindow::EndValue() const {
    return widgets_->endValue;
}
