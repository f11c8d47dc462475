// The welcome and calendar screens, the message banner and the program's messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

// ---------------------------------------------------------------------------------------------
// Screens and the message banner

struct BannerState {
    Image* bannerImage = nullptr;
    int32_t bannerDismissOnClick = 0;
    std::string lastText;  // the latest message, as shown
};
extern BannerState banner;
// Drops the banner's image and flags.
void ResetBannerState();

constexpr int BANNER_WIDTH = 520;
constexpr int BANNER_HEIGHT = 200;
constexpr int BANNER_SHADOW_OFFSET = 4;
constexpr int BANNER_FRAME_PEN = 3;
constexpr int BANNER_FRAME_LEFT = 3;
constexpr int BANNER_FRAME_TOP = 3;
constexpr int BANNER_FRAME_RIGHT = 516;
constexpr int BANNER_FRAME_BOTTOM = 196;
constexpr int BANNER_TEXT_LEFT = 5;
constexpr int BANNER_TEXT_TOP = 50;
constexpr int BANNER_TEXT_WIDTH = 510;
constexpr int BANNER_POINTS = 12;

struct BannerPlace {
    int left;
    int top;
};
// Centred on the surface's 841 x 525 area: (160, 162).
BannerPlace BannerPosition();

// The program's messages, in Windows-1252.
constexpr const char* TEXT_WELCOME =
    "BIENVENIDO a Monedario Pro!!!. Tienes que elegir el d\xED"
    "a del mes "
    "donde comienza tu mensualidad y acto seguido meter el bruto mensual. "
    "Para ello tienes que elegir del menu la opci\xF3n Mes nuevo. Espero que el programa te sea "
    "de utilidad ...";
constexpr const char* TEXT_GREETING = "BIENVENIDO a Monedario !!!";
constexpr const char* TEXT_SAVED = "Grabaci\xF3n realizada ...";
constexpr const char* TEXT_BITMAP = "Bitmap Captado ...";
constexpr const char* TEXT_AUTHOR_PREFIX = "Programa realizado por ";
constexpr const char* TEXT_START_DAY_PREFIX =
    "Bien has elegido el d\xED"
    "a ";
constexpr const char* TEXT_START_DAY_SUFFIX =
    " del mes. Escribe el total mensual, donde esta el cursor, en la esquina superior izquierda "
    "y pulsa ENTER despu\xE9s ...";
constexpr const char* TEXT_TOO_LONG = "La cifra no puede ser mayor de 6 digitos ...";
constexpr const char* TEXT_INVALID = "El dato Introducido NO es v\xE1lido ...";

void ShowWelcomeScreen(Window* window, int width);
void ShowCalendarScreen(Window* window, int width);
void ShowBanner(std::string_view text, int dismissOnClick);
