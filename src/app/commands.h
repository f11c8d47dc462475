// The menu bar, its item states and the commands it sends.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

// ---------------------------------------------------------------------------------------------
// Menu bar and commands

constexpr int IDM_MES_NUEVO = 1004;
constexpr int IDM_SALIR = 1006;
constexpr int IDM_AUTOR = 1007;
constexpr int IDM_GRABAR = 1009;
constexpr int IDM_BITMAP = 1010;
constexpr int IDM_ESTADISTICAS = 1011;

struct CommandState {
    Window* savedFocus = nullptr;  // who had the keyboard focus when the window was deactivated
};
extern CommandState commands;
void ResetCommandState();

constexpr const char* BITMAP_FILE_NAME = "Mi Copia.bmp";
constexpr const char* AUTHOR_ADDRESS = "www.monedario.example";

Menu* BuildMenuBar(Window* window);
// "Mes nuevo" greyed and the period's commands enabled, or the other way round.
void SetPeriodMenuStates(bool periodInPlace);
void RunCommand(int id);
// The picture as a 24-bit bottom-up BMP file's bytes.
std::string EncodeBmp(const Image* picture);
