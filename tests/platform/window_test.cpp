// The main window and its surface: fixed geometry, the menu bar taking its height from the client
// area, the surface repainting from its own picture, the pending key, and how the loop ends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include "platform/platform.h"
#include "platform/platform_qt.h"

namespace {

struct Recorded {
    unsigned message;
    uintptr_t wParam;
    intptr_t lParam;
};
std::vector<Recorded> recorded;
WindowProc previousProc = nullptr;

intptr_t RecordingProc(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    recorded.push_back({message, wParam, lParam});
    return previousProc(window, message, wParam, lParam);
}

intptr_t QuietProc(Window*, unsigned, uintptr_t, intptr_t) {
    return 0;
}

class WindowTest : public testing::Test {
protected:
    Window* main = nullptr;
    Window* surface = nullptr;
    Menu* bar = nullptr;

    void SetUp() override {
        main = CreateMainWindow(846, 577, "Monedario Pro");
        surface = AddSurface(main, 1001, 1, 1, 844, 554);
        bar = CreateMenuBar();
        Menu* popup = CreatePopupMenu();
        AppendSubmenu(bar, popup, "Operaciones");
        AppendMenuItem(popup, 1004, "Mes nuevo");
        AppendMenuItem(popup, 0, "-");
        AppendMenuItem(popup, 1006, "Salir");
        recorded.clear();
    }
    void TearDown() override { DestroyMainWindow(main); }
    QWidget* SurfaceWidget() { return WidgetOf(surface); }
};

TEST_F(WindowTest, MenuBarTakesItsHeightFromTheClientAreaAndTheSurfaceKeepsItsSize) {
    EXPECT_EQ(WidgetOf(main)->size(), QSize(846, 577));
    EXPECT_EQ(SurfaceWidget()->geometry(), QRect(1, 1, 844, 554));
    AttachMenuBar(main, bar);
    const int menuHeight = MenuBarWidgetOf(bar)->height();
    EXPECT_GT(menuHeight, 0);
    EXPECT_EQ(WidgetOf(main)->size(), QSize(846, 577));
    EXPECT_EQ(SurfaceWidget()->geometry(), QRect(1, menuHeight + 1, 844, 554));
    EXPECT_EQ(ImageWidth(SurfacePicture(surface)), 842);
    EXPECT_EQ(ImageHeight(SurfacePicture(surface)), 552);
}

TEST_F(WindowTest, WindowIsFixedSizeWithoutCaptionButtonsAndCentred) {
    OpenModeless(main, QuietProc);
    QWidget* w = WidgetOf(main);
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_EQ(w->windowTitle(), "Monedario Pro");
    const Qt::WindowFlags flags = w->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect frame = w->frameGeometry();
    EXPECT_EQ(frame.x(), std::max(0, 2 * area.x() + area.width() - frame.width()) / 2);
    EXPECT_EQ(frame.y(), std::max(0, 2 * area.y() + area.height() - frame.height()) / 2);
}

TEST_F(WindowTest, SurfaceRepaintsFromItsOwnPictureInsideTheBorder) {
    OpenModeless(main, QuietProc);
    SelectTarget(SurfacePicture(surface));
    ClearTarget(COLOUR_WHITE);
    DrawBox(0, 0, 1, 1, COLOUR_RED, COLOUR_RED);
    DrawBox(841, 551, 842, 552, COLOUR_BLUE, COLOUR_BLUE);
    const QImage shown = SurfaceWidget()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::black));  // the border
    EXPECT_EQ(shown.pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(842, 552), QColor(Qt::blue));
    EXPECT_EQ(shown.pixelColor(843, 553), QColor(Qt::black));
}

struct PendingKeyCase {
    const char* name;
    Qt::Key key;
    const char* text;
    std::string stored;
};

void PrintTo(const PendingKeyCase& c, std::ostream* os) {
    *os << c.name;
}

class PendingKeyTest : public WindowTest, public testing::WithParamInterface<PendingKeyCase> {};

TEST_P(PendingKeyTest, SurfaceStoresTheKeyOfAPress) {
    const PendingKeyCase& c = GetParam();
    QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier, QString::fromUtf8(c.text));
    QApplication::sendEvent(SurfaceWidget(), &press);
    EXPECT_EQ(TakePendingKey(surface), c.stored);
    EXPECT_EQ(TakePendingKey(surface), "");
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PendingKeyTest,
    testing::Values(PendingKeyCase{"Digit", Qt::Key_7, "7", "7"},
                    PendingKeyCase{"Comma", Qt::Key_Comma, ",", ","},
                    PendingKeyCase{"AccentedLetter", Qt::Key_Eacute, "\u00E9", "\xE9"},
                    PendingKeyCase{"Euro", Qt::Key_unknown, "\u20AC", "\x80"},
                    PendingKeyCase{"Backspace", Qt::Key_Backspace, "\b", "\b"},
                    PendingKeyCase{"Enter", Qt::Key_Return, "\r", "\r"},
                    PendingKeyCase{"Tab", Qt::Key_Tab, "\t", ""},
                    PendingKeyCase{"Home", Qt::Key_Home, "", std::string("\0\x47", 2)},
                    PendingKeyCase{"Left", Qt::Key_Left, "", std::string("\0\x4B", 2)},
                    PendingKeyCase{"Right", Qt::Key_Right, "", std::string("\0\x4D", 2)},
                    PendingKeyCase{"End", Qt::Key_End, "", std::string("\0\x4F", 2)},
                    PendingKeyCase{"Delete", Qt::Key_Delete, "\x7F", std::string("\0\x53", 2)},
                    PendingKeyCase{"F1", Qt::Key_F1, "", std::string("\0\x3B", 2)},
                    PendingKeyCase{"F12", Qt::Key_F12, "", std::string("\0\x58", 2)}),
    [](const testing::TestParamInfo<PendingKeyCase>& info) { return info.param.name; });

TEST_F(WindowTest, ProgramHandlerSeesEachKeyBeforeTheSurfaceStoresIt) {
    previousProc = ReplaceSurfaceProc(surface, RecordingProc);
    QTest::keyClick(SurfaceWidget(), Qt::Key_5);
    ASSERT_EQ(recorded.size(), 3u);  // key down, character, key up
    EXPECT_EQ(recorded[0].message, MSG_KEYDOWN);
    EXPECT_EQ(recorded[1].message, MSG_CHAR);
    EXPECT_EQ(recorded[1].wParam, uintptr_t{'5'});
    EXPECT_EQ(recorded[2].message, MSG_KEYUP);
    EXPECT_EQ(TakePendingKey(surface), "");  // what nobody took at its release is gone
}

TEST_F(WindowTest, RepeatedReleasesOfAHeldKeyAreNotKeyUps) {
    previousProc = ReplaceSurfaceProc(surface, RecordingProc);
    for (bool repeat : {false, true, true}) {
        if (repeat) {
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier, "", true);
            QApplication::sendEvent(SurfaceWidget(), &release);
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier, "", repeat);
        QApplication::sendEvent(SurfaceWidget(), &press);
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier, "");
    QApplication::sendEvent(SurfaceWidget(), &release);
    std::vector<unsigned> messages;
    for (const Recorded& r : recorded) messages.push_back(r.message);
    EXPECT_EQ(messages, (std::vector<unsigned>{MSG_KEYDOWN, MSG_KEYDOWN, MSG_KEYDOWN, MSG_KEYUP}));
}

TEST_F(WindowTest, ClicksArriveInPictureCoordinatesAndTheBorderIsNotPartOfIt) {
    previousProc = ReplaceSurfaceProc(surface, RecordingProc);
    QTest::mouseClick(SurfaceWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(121, 81));
    QTest::mouseClick(SurfaceWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(0, 40));
    QTest::mouseClick(SurfaceWidget(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    ASSERT_EQ(recorded.size(), 3u);
    EXPECT_EQ(recorded[0].message, MSG_LBUTTONDOWN);
    EXPECT_EQ(LowWord(recorded[0].lParam), 120);
    EXPECT_EQ(HighWord(recorded[0].lParam), 80);
    EXPECT_EQ(recorded[1].message, MSG_LBUTTONUP);
    EXPECT_EQ(recorded[2].message, MSG_RBUTTONDOWN);
}

TEST_F(WindowTest, CloseRequestEndsTheLoopWithZeroAndEscapeDoesNot) {
    OpenModeless(main, QuietProc);
    int value = -1;
    QTest::keyClick(WidgetOf(main), Qt::Key_Escape);
    QTest::keyClick(SurfaceWidget(), Qt::Key_Escape);
    EXPECT_FALSE(ModalEnded(main, &value));
    WidgetOf(main)->close();
    EXPECT_TRUE(ModalEnded(main, &value));
    EXPECT_EQ(value, 0);
}

TEST_F(WindowTest, MenuStatesAreSetWholeByCommandIdentifier) {
    AttachMenuBar(main, bar);
    EXPECT_EQ(MenuItemState(bar, 1004), MENU_ENABLED);
    SetMenuItemState(bar, 1004, MENU_CHECKED);
    EXPECT_EQ(MenuItemState(bar, 1004), MENU_CHECKED);
    SetMenuItemState(bar, 1004, MENU_GREYED);
    EXPECT_EQ(MenuItemState(bar, 1004), MENU_GREYED);
    EXPECT_FALSE(MenuActionOf(bar, 1004)->isChecked());
    SetMenuItemState(bar, 1004, MENU_ENABLED);
    EXPECT_EQ(MenuItemState(bar, 1004), MENU_ENABLED);
    EXPECT_EQ(MenuItemState(bar, 4242), -1);
}

TEST_F(WindowTest, GreyedItemsSendNoCommand) {
    AttachMenuBar(main, bar);
    previousProc = QuietProc;
    OpenModeless(main, RecordingProc);
    recorded.clear();
    SetMenuItemState(bar, 1004, MENU_GREYED);
    MenuActionOf(bar, 1004)->trigger();
    MenuActionOf(bar, 1006)->trigger();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].message, MSG_COMMAND);
    EXPECT_EQ(recorded[0].wParam, 1006u);
}

}  // namespace
