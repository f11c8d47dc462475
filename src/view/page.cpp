// The page and view images and the chain that brings a finished picture to the surface.
#include <cstring>

#include "view/view.h"

PageState page;

void PrepareImages(int width) {
    if (page.viewImage) {
        SelectTarget(page.viewImage);
        DestroyImage(page.viewImage);
    }
    page.viewImage = CreateImage(width, PAGE_HEIGHT);
    SelectTarget(page.viewImage);
    ClearTarget(COLOUR_WHITE);
    page.backgroundColour = COLOUR_WHITE;

    std::memset(page.viewRecords, 0, sizeof page.viewRecords);
    Viewport().horizontalPosition = 0;
    Viewport().verticalPosition = 0;
    Viewport().pageWidth = width;
    Viewport().pageHeight = PAGE_HEIGHT;

    if (page.pageImage) {
        SelectTarget(page.pageImage);
        DestroyImage(page.pageImage);
    }
    page.pageImage = CreateImage(width, PAGE_HEIGHT);
    ClearImage(page.viewImage);
    ClearImage(page.pageImage);
}

void ClearImage(Image* image) {
    if (!image) return;
    SelectTarget(image);
    ClearTarget(page.backgroundColour);
}

void ComposeView(int x, int y) {
    if (!page.viewImage || !page.pageImage) return;
    SelectTarget(page.viewImage);
    CopyImage(page.pageImage, x, y);
}

void CopyViewToSurface(Window* window) {
    Image* surface = SurfacePicture(SurfaceOf(window));
    if (!surface || !page.viewImage) return;
    SelectTarget(surface);
    CopyImage(page.viewImage, 0, 0);
}

void PresentView() {
    ComposeView(0, Viewport().verticalPosition);
    CopyViewToSurface(page.presentWindow);
}

void PresentViewPart(int left, int top, int width, int height) {
    // The part takes the way a whole presentation takes, page to view to surface; the view is
    // not made a mirror of the page again, which would make the page's next change copy it all.
    if (Viewport().verticalPosition != 0) return PresentView();
    Image* surface = SurfacePicture(SurfaceOf(page.presentWindow));
    if (!surface || !page.viewImage || !page.pageImage) return;
    SelectTarget(page.viewImage);
    CopyImagePart(page.pageImage, left, top, width, height);
    SelectTarget(surface);
    CopyImagePart(page.viewImage, left, top, width, height);
}

void ResetViewState() {
    DestroyImage(page.pageImage);
    DestroyImage(page.viewImage);
    page = PageState{};
    statistics = StatisticsState{};
}
