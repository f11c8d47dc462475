// SPDX-License-Identifier: GPL-3.0-or-later
// The program on a desktop scaled by two: the window keeps its own 846 x 577 coordinates, every
// picture pixel becomes a sharp 2 x 2 block on the screen and clicks land on the day under the
// pointer.
#include <QMouseEvent>

#include "program_driver.h"

namespace {

constexpr int SCALE = 2;

TEST_F(ProgramTest, ScaledWindowKeepsItsSizeAndEveryPixelSharp) {
    Open();
    ActionOf(Command::NewMonth)->trigger();
    QWidget* window = MainWidget();
    ASSERT_EQ(window->devicePixelRatioF(), SCALE) << "run with QT_SCALE_FACTOR=2";
    EXPECT_EQ(window->size(), QSize(846, 577));

    const QImage screen = SurfaceWidget()->grab().toImage();
    ASSERT_EQ(screen.size(), QSize(844 * SCALE, 554 * SCALE));
    const TestBox today = TestCellBox(7, 3);  // Sunday the 17th: framed over the picture
    int unlike = 0, blurred = 0;
    for (int y = 0; y < 552; ++y) {
        for (int x = 0; x < 842; ++x) {
            const Colour c = Pixel(x, y);
            const QRgb expected = qRgb(RedOf(c), GreenOf(c), BlueOf(c));
            const bool inToday =
                x >= today.left && x < today.right && y >= today.top && y < today.bottom;
            const QRgb first = screen.pixel((x + 1) * SCALE, (y + 1) * SCALE);
            for (int d = 0; d < SCALE * SCALE; ++d) {
                const QRgb shown =
                    screen.pixel((x + 1) * SCALE + d % SCALE, (y + 1) * SCALE + d / SCALE);
                if (!inToday && (shown & 0xFFFFFF) != (expected & 0xFFFFFF)) ++unlike;
                if ((shown & 0xFFFFFF) != (first & 0xFFFFFF)) ++blurred;
            }
        }
    }
    EXPECT_EQ(unlike, 0) << "screen pixels unlike their picture pixel";
    EXPECT_EQ(blurred, 0) << "a picture pixel drawn as more than one colour";
}

struct ScaledClick {
    const char* name;
    double x;  // picture coordinates; a screen pixel is half a picture pixel
    double y;
    const char* day;
};

void PrintTo(const ScaledClick& c, std::ostream* out) {
    *out << c.name;
}

class ScaledClicks : public ProgramTest, public testing::WithParamInterface<ScaledClick> {};

// March 2024, today the 17th: the cells of row 2 hold Monday 4 to Sunday 10; Tuesday's box ends
// at x 240, Wednesday's begins at 242, and row 2 ends at y 229.
TEST_P(ScaledClicks, PickTheDayUnderThePointer) {
    Open();
    ActionOf(Command::NewMonth)->trigger();
    const QPointF at(GetParam().x + 1, GetParam().y + 1);  // inside the one-pixel border
    QMouseEvent press(QEvent::MouseButtonPress, at, SurfaceWidget()->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(SurfaceWidget(), &press);
    const std::string picked = std::string(TEXT_START_DAY_PREFIX) + GetParam().day + " ";
    EXPECT_EQ(BannerText().substr(0, picked.size()), picked);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, ScaledClicks,
    testing::Values(ScaledClick{"RightHalfOfTuesdaysLastPixel", 240.5, 200, "05"},
                    ScaledClick{"WednesdaysFirstPixel", 242.0, 200, "06"},
                    ScaledClick{"LowerHalfOfTheRowsLastPixel", 300, 229.5, "06"}),
    [](const testing::TestParamInfo<ScaledClick>& info) { return std::string(info.param.name); });

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QT_SCALE_FACTOR", "2", 1);
    setenv("XDG_DATA_HOME", TEST_DATA_HOME, 1);
    testing::InitGoogleTest(&argc, argv);
    Application application(argv[0]);
    return RUN_ALL_TESTS();
}
