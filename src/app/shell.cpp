// Start-up: the main window with its surface, and the choice between the stored period and the
// welcome screen.
#include "app/shell.h"

#include "app/banner.h"
#include "app/commands.h"
#include "app/testing.h"
#include "input/input.h"
#include "model/model.h"
#include "storage/storage.h"
#include "view/view.h"

ShellState shell;

namespace {

constexpr int MAX_STORED_YEAR = 9999;

// A stored period can be shown only with a real start date; anything else is a damaged ledger.
bool RestorablePeriod(const DayRecord& rec) {
    return rec.periodMonth >= 1 && rec.periodMonth <= 12 && rec.periodStartDay >= 1 &&
           rec.periodStartDay <= 31 && rec.periodYear >= 1 && rec.periodYear <= MAX_STORED_YEAR;
}

void StartFromToday() {
    const LocalDate today = Today();
    period.startDay = 1;
    period.startMonth = static_cast<int16_t>(today.month);
    period.startYear = static_cast<int16_t>(today.year);
}

void InitialiseMainWindow(Window* window) {
    InitCalendarNames();
    banner.bannerDismissOnClick = 0;
    StartFromToday();
    shell.entryFontName = ENTRY_FONT_NAME;
    shell.entryFontSize = ENTRY_FONT_POINTS;
    CreateDayGrid();
    FixLedgerPlace();

    bool restored = false;
    if (FileExists(LedgerPath())) {
        LoadLedger();
        const DayRecord& anchor = DayAt(3, 3);  // a day of every period
        if (RestorablePeriod(anchor)) {
            period.startDay = static_cast<int16_t>(anchor.periodStartDay);
            period.startMonth = static_cast<int16_t>(anchor.periodMonth);
            period.startYear = static_cast<int16_t>(anchor.periodYear);
            restored = true;
        } else {
            // Nothing can be shown from this file: start as without one and leave it on disk
            // (a save keeps it aside).
            ForgetLoadedLedger();
            CreateDayGrid();
            StartFromToday();
        }
    }

    if (restored) {
        ShowCalendarScreen(window, shell.surfaceWidth);
        ShowBanner(TEXT_GREETING, 1);
        shell.startDayChosen = 1;
        shell.welcomeShown = 0;
        SetPeriodMenuStates(true);
    } else {
        ShowWelcomeScreen(window, shell.surfaceWidth);
        shell.startDayChosen = 0;
        shell.welcomeShown = 1;
        SetPeriodMenuStates(false);
    }
}

}  // namespace

bool FileExists(const std::string& path) {
    return PathHasAttributes(path);
}

int ProgramMain(int argc, char** argv) {
    const int exitCode = HandleCommandLine(argc, argv);
    if (exitCode >= 0) return exitCode;
    PlatformInit(commandLine.qtArgc, commandLine.qtArgv);
    const bool ownsLedger = StartRun();
    // A new period begins only in the run that owns the ledger.
    if (commandLine.newPeriod) {
        const int newPeriodExit = BeginNewPeriod(ownsLedger && !ledger.lockedOut);
        if (newPeriodExit >= 0) return newPeriodExit;
    }
    if (!ownsLedger) return 0;
    entry.entryTextColour = COLOUR_BLACK;
    RunMainWindow(nullptr);
    return 0;
}

void CreateShellWindow() {
    shell.mainWindow = CreateMainWindow(MAIN_CLIENT_WIDTH, MAIN_CLIENT_HEIGHT, MAIN_TITLE);
    shell.surfaceWidth = 841;
    shell.surfaceHeight = 525;
    Window* surface = AddSurface(shell.mainWindow, IDC_GRAFICO, SURFACE_LEFT, SURFACE_TOP,
                                 SURFACE_WIDTH, SURFACE_HEIGHT);
    SelectTarget(SurfacePicture(surface));
    SetTextColour(COLOUR_BLACK);
    SetBackColour(COLOUR_WHITE);
    ClearTarget(COLOUR_WHITE);
    shell.mainMenu = BuildMenuBar(shell.mainWindow);
    shell.surfaceOldProc = ReplaceSurfaceProc(surface, SurfaceInputProc);
    page.presentWindow = shell.mainWindow;
    page.pageWidth = shell.surfaceWidth;
    // An accepted monthly total puts a period in place: the menu offers its commands.
    amountEntry.monthlyTotalAccepted = [] { SetPeriodMenuStates(true); };
}

int RunMainWindow(Window* /*parent*/) {
    CreateShellWindow();
    return RunModal(shell.mainWindow, MainWindowProc);
}

intptr_t MainWindowProc(Window* window, unsigned message, uintptr_t wParam, intptr_t /*lParam*/) {
    switch (message) {
        case MSG_INITDIALOG:
            InitialiseMainWindow(window);
            break;
        case MSG_NCACTIVATE:
            if (wParam == 0) {
                commands.savedFocus = FocusedWindow();
            } else if (commands.savedFocus) {
                SetFocusTo(commands.savedFocus);
                commands.savedFocus = nullptr;
            }
            break;
        case MSG_COMMAND:
            RunCommand(LowWord(static_cast<intptr_t>(wParam)));
            break;
        default:
            break;
    }
    return 0;
}

void OpenShellForTesting() {
    CreateShellWindow();
    OpenModeless(shell.mainWindow, MainWindowProc);
}

void ResetShellState() {
    shell = ShellState{};
}

void CloseShellForTesting() {
    DestroyMainWindow(shell.mainWindow);
    ResetShellState();
    ResetCommandState();
    ResetBannerState();
    ResetViewState();
    ResetInputState();
    ResetPeriod();
    ResetLedgerState();
}
