// SPDX-License-Identifier: GPL-3.0-or-later
// The menu bar's layout and the picture file "Bitmap" writes.
#pragma once

#include <string>
#include <vector>

#include "platform/image.h"
#include "platform/window_events.h"

constexpr const char* BITMAP_FILE_NAME = "Mi Copia.bmp";

std::vector<MenuTitle> ProgramMenus();
// Ctrl+Z takes an amount back; Ctrl+Shift+Z and Ctrl+Y do it again.
std::vector<Shortcut> ProgramShortcuts();
// The picture as a 24-bit bottom-up BMP file's bytes.
std::string EncodeBmp(const Image& picture);
