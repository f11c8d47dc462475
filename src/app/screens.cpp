// The welcome and calendar screens and the framed message banner centred on the page.
#include "app/banner.h"
#include "app/commands.h"
#include "app/shell.h"
#include "view/view.h"

BannerState banner;

void ResetBannerState() {
    DestroyImage(banner.bannerImage);
    banner = BannerState{};
}

namespace {
constexpr Colour SHADOW_COLOUR = COLOUR_BLACK;
constexpr Colour BANNER_COLOUR = COLOUR_BLUE;
constexpr Colour FRAME_COLOUR = COLOUR_YELLOW;
constexpr Colour BANNER_TEXT_COLOUR = COLOUR_WHITE;
}  // namespace

BannerPlace BannerPosition() {
    return BannerPlace{shell.surfaceWidth / 2 - BANNER_WIDTH / 2,
                       shell.surfaceHeight / 2 - BANNER_HEIGHT / 2};
}

void ShowWelcomeScreen(Window* window, int width) {
    PrepareImages(width);
    ShowBanner(TEXT_WELCOME, 0);
    ComposeView(0, Viewport().verticalPosition);
    CopyViewToSurface(window);
}

void ShowCalendarScreen(Window* window, int width) {
    PrepareImages(width);
    DrawCalendar(page.pageImage, width);
    ComposeView(0, Viewport().verticalPosition);
    CopyViewToSurface(window);
}

void ShowBanner(std::string_view text, int dismissOnClick) {
    Image* shadow = CreateImage(BANNER_WIDTH, BANNER_HEIGHT);
    SelectTarget(shadow);
    ClearTarget(SHADOW_COLOUR);

    if (banner.bannerImage) {
        SelectTarget(banner.bannerImage);
        DestroyImage(banner.bannerImage);
    }
    banner.bannerImage = CreateImage(BANNER_WIDTH, BANNER_HEIGHT);
    SelectTarget(banner.bannerImage);
    ClearTarget(BANNER_COLOUR);
    SetPenWidth(BANNER_FRAME_PEN);
    DrawFrame(BANNER_FRAME_LEFT, BANNER_FRAME_TOP, BANNER_FRAME_RIGHT, BANNER_FRAME_BOTTOM,
              FRAME_COLOUR);
    Font* font = RequestFont("Tahoma", BANNER_POINTS, true);
    DrawTextInBox(banner.bannerImage, text, ALIGN_CENTRE, BANNER_TEXT_LEFT, BANNER_TEXT_TOP,
                  BANNER_TEXT_WIDTH, font, BANNER_TEXT_COLOUR);

    if (page.pageImage) {
        const BannerPlace place = BannerPosition();
        SelectTarget(page.pageImage);
        CopyImage(shadow, place.left + BANNER_SHADOW_OFFSET, place.top + BANNER_SHADOW_OFFSET);
        CopyImage(banner.bannerImage, place.left, place.top);
        ComposeView(0, Viewport().verticalPosition);
        CopyViewToSurface(shell.mainWindow);
    }
    DestroyImage(shadow);
    banner.bannerDismissOnClick = dismissOnClick;
    banner.lastText = std::string(text);
}
