// SPDX-License-Identifier: GPL-3.0-or-later
// The main window and its surface: fixed geometry, the menu bar taking its height from the client
// area, the surface showing its own picture, the events it sends (keys with their repeats and one
// release, clicks in picture pixels, commands, close requests) and how its loop ends.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "pixel_probe.h"
#include "platform/platform_qt.h"

namespace {

// Every event the window sends, one line each.
struct RecordedEvents : WindowEvents {
    std::vector<std::string> log;
    std::vector<Key> keys;  // presses and releases

    // A key by its name, or by what it types; a release by what its press typed.
    std::string Describe(const Key& key) const {
        static const char* const NAMES[] = {"Other",  "Enter", "Backspace", "Tab",
                                            "Escape", "Space", "Home",      "End",
                                            "Left",   "Right", "Up",        "Down"};
        std::string text = key.text;
        for (const Key& earlier : keys)
            if (earlier.id == key.id && !earlier.text.empty()) text = earlier.text;
        return key.name == KeyName::Other && !text.empty() ? text
                                                           : NAMES[static_cast<int>(key.name)];
    }
    void KeyDown(const Key& key) override {
        keys.push_back(key);
        log.push_back("down " + Describe(key));
    }
    void KeyUp(const Key& key) override {
        log.push_back("up " + Describe(key));
        keys.push_back(key);
    }
    void Click(Point at) override {
        log.push_back("click " + std::to_string(at.x) + "," + std::to_string(at.y));
    }
    void DayMenuRequested(std::optional<Point> at) override {
        log.push_back(at ? "menu at " + std::to_string(at->x) + "," + std::to_string(at->y)
                         : "menu from the keyboard");
    }
    void Run(Command command) override {
        log.push_back("run " + std::to_string(static_cast<int>(command)));
    }
    void FocusLost() override { log.push_back("focus lost"); }
    void CloseRequested() override { log.push_back("close"); }
    void Activated() override {}
    void TimePassed() override { log.push_back("time passed"); }
};

using Log = std::vector<std::string>;

class WindowTest : public testing::Test {
protected:
    RecordedEvents events;
    MainWindow window{
        events,
        WindowShape{"Monedario Pro", 846, 577, Rect{1, 1, 845, 555}, {}},
        {{"Operaciones", {{Command::NewMonth, "Mes nuevo"}, {Command::Quit, "Salir", true}}}}};

    QWidget* Main() { return window.Ui().main; }
    QWidget* Surface() { return window.Ui().surface; }
    QAction* ActionOf(Command command) { return window.Ui().actions.at(command); }

    // A key event as the window system sends it: the physical key's code and the event's time.
    void SendKey(QEvent::Type type, Qt::Key key, const char* text, unsigned long time,
                 bool autoRepeat = false, quint32 scanCode = 40) {
        QKeyEvent event(type, key, Qt::NoModifier, scanCode, 0, 0, QString::fromUtf8(text),
                        autoRepeat);
        event.setTimestamp(time);
        QApplication::sendEvent(Surface(), &event);
    }
};

TEST_F(WindowTest, MenuBarTakesItsHeightFromTheClientAreaAndTheSurfaceKeepsItsSize) {
    const int menuHeight = window.Ui().menuBar->height();
    EXPECT_GT(menuHeight, 0);
    EXPECT_EQ(Main()->size(), QSize(846, 577));
    EXPECT_EQ(window.Ui().menuBar->geometry(), QRect(0, 0, 846, menuHeight));
    EXPECT_EQ(Surface()->geometry(), QRect(1, menuHeight + 1, 844, 554));
    EXPECT_EQ(window.Picture().Width(), 842);
    EXPECT_EQ(window.Picture().Height(), 552);

    const QList<QAction*> titles = window.Ui().menuBar->actions();
    ASSERT_EQ(titles.size(), 1);
    EXPECT_EQ(titles[0]->text(), "Operaciones");
    QStringList items;
    for (QAction* item : titles[0]->menu()->actions())
        items << (item->isSeparator() ? "-" : item->text());
    EXPECT_EQ(items, (QStringList{"Mes nuevo", "-", "Salir"}));
}

TEST_F(WindowTest, WindowIsFixedSizeWithoutCaptionButtonsAndCentred) {
    window.Open();
    EXPECT_EQ(Main()->minimumSize(), Main()->maximumSize());
    EXPECT_EQ(Main()->windowTitle(), "Monedario Pro");
    const Qt::WindowFlags flags = Main()->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect frame = Main()->frameGeometry();
    EXPECT_EQ(frame.x(), std::max(0, 2 * area.x() + area.width() - frame.width()) / 2);
    EXPECT_EQ(frame.y(), std::max(0, 2 * area.y() + area.height() - frame.height()) / 2);
    EXPECT_EQ(Main()->focusWidget(), Surface()) << "the surface has the keyboard";
}

TEST_F(WindowTest, SurfacePaintsItsPictureInsideTheBorder) {
    window.Open();
    Image picture(842, 552);
    picture.Box(Rect{0, 0, 1, 1}, COLOUR_RED, COLOUR_RED);
    picture.Box(Rect{841, 551, 842, 552}, COLOUR_BLUE, COLOUR_BLUE);
    window.ShowPicture(picture);
    const QImage shown = Surface()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::black));  // the border
    EXPECT_EQ(shown.pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(842, 552), QColor(Qt::blue));
    EXPECT_EQ(shown.pixelColor(843, 553), QColor(Qt::black));
}

// The surface shows the page's top-left corner; the page is a pixel narrower than the surface,
// whose last column stays white.
TEST_F(WindowTest, SurfaceShowsThePagesTopLeftCornerAndOnlyTheChangedPart) {
    Image page(841, 1122);
    page.Clear(COLOUR_BLUE);
    page.Box(Rect{0, 551, 841, 552}, COLOUR_GREEN, COLOUR_GREEN);  // the last row shown
    page.Box(Rect{0, 552, 841, 1122}, COLOUR_RED, COLOUR_RED);     // below what is shown
    window.ShowPicture(page);
    for (int y = 0; y < 552; ++y) {
        for (int x = 0; x < 841; ++x)
            ASSERT_EQ(window.Picture().Pixel(x, y), page.Pixel(x, y)) << x << "," << y;
        ASSERT_EQ(window.Picture().Pixel(841, y), COLOUR_WHITE) << "last column, row " << y;
    }

    page.Clear(COLOUR_YELLOW);
    window.ShowPicturePart(page, Rect{10, 20, 30, 25});
    ExpectPixels(window.Picture(), {
                                       {"the part's first pixel", 10, 20, COLOUR_YELLOW},
                                       {"the part's last pixel", 29, 24, COLOUR_YELLOW},
                                       {"left of the part", 9, 20, COLOUR_BLUE},
                                       {"right of the part", 30, 24, COLOUR_BLUE},
                                       {"below the part", 10, 25, COLOUR_BLUE},
                                       {"above the part", 10, 19, COLOUR_BLUE},
                                   });
}

TEST_F(WindowTest, KeysArriveWithTheirNameAndWhatTheyType) {
    const struct {
        const char* name;
        Qt::Key key;
        const char* qtText;
        KeyName expected;
        bool navigation;
        const char* text;
    } cases[] = {
        {"digit", Qt::Key_7, "7", KeyName::Other, false, "7"},
        {"comma", Qt::Key_Comma, ",", KeyName::Other, false, ","},
        {"accented letter", Qt::Key_Eacute, "é", KeyName::Other, false, "é"},
        {"euro", Qt::Key_unknown, "€", KeyName::Other, false, "€"},
        {"space", Qt::Key_Space, " ", KeyName::Space, false, " "},
        {"backspace", Qt::Key_Backspace, "\b", KeyName::Backspace, false, "\b"},
        {"return", Qt::Key_Return, "\r", KeyName::Enter, false, "\r"},
        {"keypad enter", Qt::Key_Enter, "\r", KeyName::Enter, false, "\r"},
        {"tab stays with the surface", Qt::Key_Tab, "\t", KeyName::Tab, false, "\t"},
        {"escape", Qt::Key_Escape, "\x1B", KeyName::Escape, false, "\x1B"},
        {"home", Qt::Key_Home, "", KeyName::Home, true, ""},
        {"end", Qt::Key_End, "", KeyName::End, true, ""},
        {"left", Qt::Key_Left, "", KeyName::Left, true, ""},
        {"right", Qt::Key_Right, "", KeyName::Right, true, ""},
        {"up", Qt::Key_Up, "", KeyName::Up, true, ""},
        {"down", Qt::Key_Down, "", KeyName::Down, true, ""},
        {"delete types nothing", Qt::Key_Delete, "\x7F", KeyName::Other, true, ""},
        {"page down", Qt::Key_PageDown, "", KeyName::Other, true, ""},
        {"F1", Qt::Key_F1, "", KeyName::Other, true, ""},
        {"F12", Qt::Key_F12, "", KeyName::Other, true, ""},
    };
    quint32 scanCode = 10;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        events.keys.clear();
        SendKey(QEvent::KeyPress, c.key, c.qtText, 0, false, ++scanCode);
        SendKey(QEvent::KeyRelease, c.key, c.qtText, 0, false, scanCode);
        ASSERT_EQ(events.keys.size(), 2u);
        const Key& press = events.keys[0];
        EXPECT_EQ(press.name, c.expected);
        EXPECT_EQ(press.navigation, c.navigation);
        EXPECT_EQ(press.text, c.text);
        const Key& release = events.keys[1];
        EXPECT_EQ(release.id, press.id) << "the release names the key of the press";
        EXPECT_EQ(release.name, c.expected);
        EXPECT_EQ(release.text, "");
    }
    EXPECT_EQ(events.log.size(), 2 * std::size(cases)) << "a release is sent once";
}

TEST_F(WindowTest, AKeyClickIsAPressThenARelease) {
    QTest::keyClick(Surface(), Qt::Key_5);
    EXPECT_EQ(events.log, (Log{"down 5", "up 5"}));
}

// A held key repeats as releases and presses of the same key; the window system marks some pairs
// as repeats, others only by giving the release and the press the same time. Every press comes,
// and one release, when the key is let go: at once after a short press, else once nothing else
// has followed it for a moment.
TEST_F(WindowTest, AHeldKeyRepeatsAsPressesWithOneRelease) {
    const auto press = [this](unsigned long t, bool repeat = false) {
        SendKey(QEvent::KeyPress, Qt::Key_Left, "", t, repeat);
    };
    const auto release = [this](unsigned long t, bool repeat = false) {
        SendKey(QEvent::KeyRelease, Qt::Key_Left, "", t, repeat);
    };
    const Log heldThrice = {"down Left", "down Left", "down Left", "up Left"};

    // Pairs marked as repeats, and a release without a time.
    press(0);
    release(0, true), press(0, true);
    release(0, true), press(0, true);
    release(0);
    EXPECT_EQ(events.log, heldThrice);

    // Unmarked pairs that share their time; the last release, held back, comes on its own.
    events.log.clear();
    press(1000);
    release(1500), press(1500);
    release(1533), press(1533);
    release(1600);
    EXPECT_EQ(events.log, (Log{"down Left", "down Left", "down Left"}));
    QTest::qWait(60);
    EXPECT_EQ(events.log, heldThrice);

    // A short press is released at once.
    events.log.clear();
    press(3000);
    release(3050);
    EXPECT_EQ(events.log, (Log{"down Left", "up Left"}));

    // A release held back comes before anything that follows it.
    events.log.clear();
    press(4000);
    release(4500);
    SendKey(QEvent::KeyPress, Qt::Key_7, "7", 4501, false, 16);
    EXPECT_EQ(events.log, (Log{"down Left", "up Left", "down 7"}));
}

// A right click asks for a day's menu at its point.
TEST_F(WindowTest, ClicksArriveInPicturePixelsAndTheBorderIsNotPartOfIt) {
    const struct {
        QPoint at;  // on the surface widget, its border included
        Qt::MouseButton button;
        const char* logged;  // or nothing
    } cases[] = {
        {{121, 81}, Qt::LeftButton, "click 120,80"},   {{1, 1}, Qt::LeftButton, "click 0,0"},
        {{842, 552}, Qt::LeftButton, "click 841,551"}, {{0, 40}, Qt::LeftButton, nullptr},
        {{843, 40}, Qt::LeftButton, nullptr},          {{40, 553}, Qt::LeftButton, nullptr},
        {{10, 10}, Qt::RightButton, "menu at 9,9"},    {{0, 10}, Qt::RightButton, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.at.x() << "," << c.at.y());
        events.log.clear();
        QTest::mouseClick(Surface(), c.button, Qt::NoModifier, c.at);
        EXPECT_EQ(events.log, c.logged ? Log{c.logged} : Log{});
    }
}

TEST_F(WindowTest, ClosingIsARequestAndTheLoopEndsWithTheValueGiven) {
    window.Open();
    QTest::keyClick(Main(), Qt::Key_Escape);
    EXPECT_EQ(events.log, Log{});
    Main()->close();
    EXPECT_EQ(events.log, Log{"close"});
    EXPECT_TRUE(Main()->isVisible()) << "the program decides whether to end";
    EXPECT_FALSE(window.Ended());

    QTimer::singleShot(0, [this] {
        window.End(3);
        window.End(5);  // the first value stands
    });
    EXPECT_EQ(window.Exec(), 3);
    EXPECT_TRUE(window.Ended());
    EXPECT_EQ(window.EndValue(), 3);
    EXPECT_FALSE(Main()->isVisible());
    EXPECT_EQ(window.Exec(), 3) << "an ended loop returns at once";
}

// A window shown beside another one's loop (a read-only window opened from the history) has no
// loop of its own to leave: ending it hides it at once. Any other window goes when its loop
// ends.
TEST_F(WindowTest, EndingAWindowBesideAnotherLoopHidesIt) {
    for (bool beside : {false, true}) {
        SCOPED_TRACE(beside ? "beside another loop" : "with a loop of its own");
        MainWindow other(events, WindowShape{"Otra", 846, 577, Rect{1, 1, 845, 555}, {}}, {});
        if (beside) other.ShownBesideAnotherLoop();
        other.Open();
        other.End(4);
        EXPECT_EQ(other.Ui().main->isVisible(), !beside);
        EXPECT_EQ(other.Exec(), 4);
    }
}

TEST_F(WindowTest, MenuStatesAreSetWhole) {
    EXPECT_EQ(window.GetMenuState(Command::NewMonth), MenuState::Enabled);
    for (MenuState state :
         {MenuState::Checked, MenuState::Greyed, MenuState::Checked, MenuState::Enabled}) {
        SCOPED_TRACE(static_cast<int>(state));
        window.SetMenuState(Command::NewMonth, state);
        EXPECT_EQ(window.GetMenuState(Command::NewMonth), state);
        EXPECT_EQ(ActionOf(Command::NewMonth)->isChecked(), state == MenuState::Checked);
        EXPECT_EQ(ActionOf(Command::NewMonth)->isEnabled(), state != MenuState::Greyed);
    }
    EXPECT_EQ(window.GetMenuState(Command::Quit), MenuState::Enabled) << "each item its own";
}

TEST_F(WindowTest, GreyedItemsSendNoCommand) {
    window.SetMenuState(Command::NewMonth, MenuState::Greyed);
    ActionOf(Command::NewMonth)->trigger();
    ActionOf(Command::Quit)->trigger();
    EXPECT_EQ(events.log, Log{"run " + std::to_string(static_cast<int>(Command::Quit))});
}

// A key still down when the keyboard goes elsewhere: its release held back comes first, then
// the loss of the keyboard.
TEST_F(WindowTest, LosingTheKeyboardIsToldAfterAReleaseHeldBack) {
    window.Open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main()));
    ASSERT_TRUE(Surface()->hasFocus());
    SendKey(QEvent::KeyPress, Qt::Key_Left, "", 1000);
    SendKey(QEvent::KeyRelease, Qt::Key_Left, "", 1500);
    QWidget other;
    other.show();
    other.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(events.log, (Log{"down Left", "up Left", "focus lost"}));
}

}  // namespace
