// The menu bar, its item states and the commands it sends; "Bitmap" writes the surface's picture
// as a 24-bit BMP file.
#include "app/commands.h"

#include "app/banner.h"
#include "app/shell.h"
#include "input/input.h"
#include "model/model.h"
#include "storage/storage.h"
#include "view/view.h"

CommandState commands;

void ResetCommandState() {
    commands = CommandState{};
}

namespace {

constexpr int BMP_HEADER_SIZE = 54;
constexpr int BMP_INFO_SIZE = 40;
constexpr int BMP_BITS = 24;

void PutLittleEndian(std::string& out, size_t offset, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void StartNewMonth() {
    // Whatever was begun is dropped: the user picks the start day and types the total anew.
    CloseEntryField();
    shell.startDayChosen = 0;
    period.startDay = 1;
    shell.welcomeShown = 0;
    CreateDayGrid();
    ShowCalendarScreen(shell.mainWindow, shell.surfaceWidth);
}

void SaveLedgerCommand() {
    const int error = SaveLedger();
    ShowBanner(error ? FileErrorBanner(error) : std::string(TEXT_SAVED), 1);
}

void SavePictureCommand() {
    Image* picture = SurfacePicture(SurfaceOf(shell.mainWindow));
    if (!picture) return;
    SelectTarget(picture);
    const std::string bytes = EncodeBmp(picture);
    const ReplaceResult result = ReplaceFileContents(BITMAP_FILE_NAME, bytes.data(), bytes.size());
    if (result.error)
        ShowBanner(FileErrorBanner(FileErrorNumber(result)), 1);
    else
        ShowBanner(TEXT_BITMAP, 1);
}

void ToggleStatistics() {
    if (statistics.statisticsShown == 1) {
        SetMenuItemState(shell.mainMenu, IDM_ESTADISTICAS, MENU_ENABLED);
        statistics.statisticsShown = 0;
    } else {
        SetMenuItemState(shell.mainMenu, IDM_ESTADISTICAS, MENU_CHECKED);
        statistics.statisticsShown = 1;
    }
    RedrawCalendarKeepingField();
    PresentView();
}

}  // namespace

Menu* BuildMenuBar(Window* window) {
    Menu* bar = CreateMenuBar();
    Menu* operations = CreatePopupMenu();
    AppendSubmenu(bar, operations, "Operaciones");
    AppendMenuItem(operations, IDM_MES_NUEVO, "Mes nuevo");
    AppendMenuItem(operations, 0, "-");
    AppendMenuItem(operations, IDM_GRABAR, "Grabar");
    AppendMenuItem(operations, 0, "-");
    AppendMenuItem(operations, IDM_BITMAP, "Bitmap");
    AppendMenuItem(operations, 0, "-");
    AppendMenuItem(operations, IDM_AUTOR, "Autor");
    AppendMenuItem(operations, IDM_SALIR, "Salir");
    Menu* view = CreatePopupMenu();
    AppendSubmenu(bar, view, "Ver");
    AppendMenuItem(view, IDM_ESTADISTICAS, "Estad\xEDsticas");
    AttachMenuBar(window, bar);
    return bar;
}

void SetPeriodMenuStates(bool periodInPlace) {
    const int periodCommands = periodInPlace ? MENU_ENABLED : MENU_GREYED;
    SetMenuItemState(shell.mainMenu, IDM_MES_NUEVO, periodInPlace ? MENU_GREYED : MENU_ENABLED);
    SetMenuItemState(shell.mainMenu, IDM_GRABAR, periodCommands);
    SetMenuItemState(shell.mainMenu, IDM_ESTADISTICAS, periodCommands);
    SetMenuItemState(shell.mainMenu, IDM_BITMAP, periodCommands);
}

void RunCommand(int id) {
    switch (id) {
        case IDM_MES_NUEVO:
            StartNewMonth();
            break;
        case IDM_GRABAR:
            SaveLedgerCommand();
            break;
        case IDM_BITMAP:
            SavePictureCommand();
            break;
        case IDM_AUTOR:
            ShowBanner(std::string(TEXT_AUTHOR_PREFIX) + AUTHOR_ADDRESS, 1);
            break;
        case IDM_SALIR:
            EndModal(shell.mainWindow, 0);
            break;
        case IDM_ESTADISTICAS:
            ToggleStatistics();
            break;
        default:
            break;
    }
}

std::string EncodeBmp(const Image* picture) {
    const int width = ImageWidth(picture);
    const int height = ImageHeight(picture);
    const int rowSize = (width * 3 + 3) / 4 * 4;
    std::string out(BMP_HEADER_SIZE + static_cast<size_t>(rowSize) * height, '\0');
    out[0] = 'B';
    out[1] = 'M';
    PutLittleEndian(out, 2, static_cast<uint32_t>(out.size()), 4);
    PutLittleEndian(out, 10, BMP_HEADER_SIZE, 4);
    PutLittleEndian(out, 14, BMP_INFO_SIZE, 4);
    PutLittleEndian(out, 18, static_cast<uint32_t>(width), 4);
    PutLittleEndian(out, 22, static_cast<uint32_t>(height), 4);
    PutLittleEndian(out, 26, 1, 2);
    PutLittleEndian(out, 28, BMP_BITS, 2);
    // Compression, image size, resolutions and colour counts stay 0.
    for (int y = 0; y < height; ++y) {
        size_t at = BMP_HEADER_SIZE + static_cast<size_t>(height - 1 - y) * rowSize;
        for (int x = 0; x < width; ++x) {
            const Colour c = GetPixel(picture, x, y);
            out[at++] = static_cast<char>(BlueOf(c));
            out[at++] = static_cast<char>(GreenOf(c));
            out[at++] = static_cast<char>(RedOf(c));
        }
    }
    return out;
}
