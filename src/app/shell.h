// The application shell: start-up with its command line, and the main window with its surface.
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
void ResetShellState();

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
// How long a later start waits for the running program to listen and to answer.
constexpr int RUNNING_PROGRAM_CONNECT_MS = 1000;
constexpr int RUNNING_PROGRAM_REPLY_MS = 5000;
// Creates the window, runs its modal loop and returns the loop's end value.
int RunMainWindow(Window* parent);
intptr_t MainWindowProc(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam);
bool FileExists(const std::string& path);

// The window with its surface, menu bar and input handler, before it is shown.
void CreateShellWindow();

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
