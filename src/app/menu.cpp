// SPDX-License-Identifier: GPL-3.0-or-later
// The menu bar's layout and states, the window's shortcuts, and the BMP file of the surface's
// picture.
#include "app/menu.h"

#include <cstdint>

#include "app/stage.h"

namespace {

constexpr int BMP_HEADER_SIZE = 54;
constexpr int BMP_INFO_SIZE = 40;
constexpr int BMP_BITS = 24;

void PutLittleEndian(std::string& out, size_t offset, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::vector<MenuTitle> ProgramMenus() {
    return {
        {"&Operaciones",
         {{Command::NewMonth, "Mes nuevo"},
          {Command::Save, "Grabar", true},
          {Command::Picture, "Bitmap", true},
          {Command::Author, "Autor", true},
          {Command::Quit, "Salir"}}},
        {"&Ver", {{Command::Statistics, "Estadísticas"}, {Command::History, "Historial…", true}}}};
}

std::vector<Shortcut> ProgramShortcuts() {
    return {{Command::Undo, "Ctrl+Z"}, {Command::Redo, "Ctrl+Shift+Z"}, {Command::Redo, "Ctrl+Y"}};
}

std::vector<std::pair<Command, MenuState>> MenuStatesOf(Stage stage, bool statisticsShown) {
    const bool inPlace = PeriodInPlace(stage);
    const MenuState periodCommands = inPlace ? MenuState::Enabled : MenuState::Greyed;
    const bool checked = inPlace && statisticsShown;
    return {{Command::NewMonth, inPlace ? MenuState::Greyed : MenuState::Enabled},
            {Command::Save, stage == Stage::PeriodInPlace ? MenuState::Enabled : MenuState::Greyed},
            {Command::Statistics, checked ? MenuState::Checked : periodCommands},
            {Command::Picture, periodCommands}};
}

std::string EncodeBmp(const Image& picture) {
    const int width = picture.Width();
    const int height = picture.Height();
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
            const Colour c = picture.Pixel(x, y);
            out[at++] = static_cast<char>(BlueOf(c));
            out[at++] = static_cast<char>(GreenOf(c));
            out[at++] = static_cast<char>(RedOf(c));
        }
    }
    return out;
}
