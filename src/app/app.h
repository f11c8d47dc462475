// The application shell: start-up and the main window, the menu bar and its commands, the
// welcome and calendar screens and the message banner.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

// ---------------------------------------------------------------------------------------------
// Start-up and main window

struct ShellState {
    Window* mainWindow = nullptr;
    Menu* mainMenu = nullptr;
    WindowProc surfaceOldProc = nullptr;
    int32_t surfaceWidth = 841;   // page width, and the width the banner is centred on
    int32_t surfaceHeight = 525;  // the height the banner is centred on
    int32_t startDayChosen = 0;
    int32_t welcomeShown = 0;
    std::string entryFontName;
    int16_t entryFontSize = 0;
};
extern ShellState shell;

constexpr int IDC_GRAFICO = 1001;
constexpr int MAIN_CLIENT_WIDTH = 846;
constexpr int MAIN_CLIENT_HEIGHT = 577;
constexpr int SURFACE_LEFT = 1;
constexpr int SURFACE_TOP = 1;
constexpr int SURFACE_WIDTH = 844;  // with its one-pixel border; the picture is 842 x 552
constexpr int SURFACE_HEIGHT = 554;
constexpr const char* MAIN_TITLE = "Monedario Pro";
constexpr const char* ENTRY_FONT_NAME = "Lucida Console";
constexpr int ENTRY_FONT_POINTS = 11;

int ProgramMain(int argc, char** argv);
// Before the window: a file size limit becomes a failed write, and the ledger is claimed for the
// whole run: its folder's lock is taken, later starts are listened for and the leftovers of killed
// saves removed. When another running program owns the ledger it is asked to show its window
// (false: this start ends); if it cannot be reached, this run may not save.
bool StartRun();
// Tests: gives the ledger up again.
void EndRunForTesting();
// How long a later start waits for the running program to listen and to answer.
constexpr int RUNNING_PROGRAM_CONNECT_MS = 1000;
constexpr int RUNNING_PROGRAM_REPLY_MS = 5000;
// Creates the window, runs its modal loop and returns the loop's end value.
int RunMainWindow(Window* parent);
intptr_t MainWindowProc(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam);
bool FileExists(const std::string& path);

// The window with its surface, menu bar and input handler, before it is shown.
void CreateShellWindow();
// Tests: create and initialise the window without running the loop, and tear it down again.
void OpenShellForTesting();
void CloseShellForTesting();

// ---------------------------------------------------------------------------------------------
// Command line

struct CommandLineState {
    // What the window system is given: the program's name and nothing else.
    int qtArgc = 1;
    char* qtArgv[2] = {nullptr, nullptr};
    char programName[10] = "monedario";
    bool newPeriod = false;  // "--nuevo-periodo" was given
};
extern CommandLineState commandLine;

// Reads the options. Returns the exit code when the program ends without a window (help,
// version, a wrong option), else -1.
int HandleCommandLine(int argc, char** argv);
// "--nuevo-periodo": puts the current ledger aside, in the run that owns it (another window may
// have it open). Returns the exit code of a failure, else -1.
int BeginNewPeriod(bool ownsLedger);

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

constexpr const char* BITMAP_FILE_NAME = "Mi Copia.bmp";
constexpr const char* AUTHOR_ADDRESS = "www.monedario.example";

Menu* BuildMenuBar(Window* window);
// "Mes nuevo" greyed and the period's commands enabled, or the other way round.
void SetPeriodMenuStates(bool periodInPlace);
void RunCommand(int id);
// The picture as a 24-bit bottom-up BMP file's bytes.
std::string EncodeBmp(const Image* picture);

// ---------------------------------------------------------------------------------------------
// Screens and the message banner

struct BannerState {
    Image* bannerImage = nullptr;
    int32_t bannerDismissOnClick = 0;
    std::string lastText;  // the latest message, as shown
};
extern BannerState banner;

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
