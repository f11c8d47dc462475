// SPDX-License-Identifier: GPL-3.0-or-later
// The program: one pay period in one window. It owns the period, the page with its banner, the
// entry field, the keys waiting to be typed and the window, and turns the window's events into
// changes of them; the ledger is the file the period is saved in.
#pragma once

#include <string>

#include "input/entry_field.h"
#include "input/key_queue.h"
#include "model/period.h"
#include "platform/window.h"
#include "storage/ledger.h"
#include "system/files.h"
#include "view/banner.h"
#include "view/page.h"

constexpr int MAIN_CLIENT_WIDTH = 846;
constexpr int MAIN_CLIENT_HEIGHT = 577;
// With its one-pixel border; the picture inside is 842 x 552.
constexpr Rect SURFACE_AREA{1, 1, 845, 555};
constexpr const char* MAIN_TITLE = "Monedario Pro";
constexpr const char* ENTRY_FONT_FACE = "Lucida Console";
constexpr int ENTRY_FONT_POINTS = 11;

// Where the user is: on the welcome screen, picking the day the period starts (after "Mes
// nuevo"), with the start day chosen (the monthly total awaited, or the period in place), or
// looking at a kept period that does not change.
enum class Stage { Welcome, PickingStartDay, StartDayChosen, Viewing };

// The program runs the current period, or shows a kept one read-only.
enum class ProgramMode { Editing, Viewing };

class Program final : public WindowEvents {
public:
    // `today` sets the month of a new period; "Bitmap" writes through `files`. A program that
    // views a kept period never writes its ledger.
    Program(Fonts& fonts, Ledger& ledger, FileCalls& files, Date today,
            ProgramMode mode = ProgramMode::Editing);

    // Shows the stored period, or the welcome screen when there is none, and the window. Viewing
    // a file that holds no period shows nothing and gives false; `loadError` gets the system's
    // error when the file could not be read.
    bool Open(int* loadError = nullptr);
    // Runs until "Salir" or the window is closed; returns the end value.
    int Exec() { return window_.Exec(); }

    void KeyDown(const Key& key) override;
    void KeyUp(const Key& key) override;
    void Click(Point at) override;
    void Run(Command command) override;
    void FocusLost() override { keys_.Forget(); }
    void CloseRequested() override { Leave(); }

    // Asked by a later start: the window comes to the front and offers a new period, keeping the
    // current one beside the ledger under its start date.
    void NewPeriodRequested();
    // The session ends the program: amounts not saved yet are saved as "Grabar" does, and the
    // program ends.
    void SessionEnds();

    // What the program shows now.
    MainWindow& Window() { return window_; }
    const Period& CurrentPeriod() const { return period_; }
    const Banner& ShownBanner() const { return banner_; }
    const EntryField& Field() const { return field_; }
    Stage CurrentStage() const { return stage_; }
    // The day the keyboard is on, and whether its mark shows (once the keyboard moved it).
    GridPlace KeyboardDay() const;
    bool KeyboardMarkShown() const { return keyboardUsed_ && !field_.IsOpen(); }

private:
    // "Salir" or the window's close button: with amounts not saved yet, the user is asked first.
    void Leave();
    void StartNewMonth();
    void ShowWelcome();
    void PickStartDay(GridPlace place);
    void OpenField(FieldPurpose purpose, GridPlace day, Point at);
    void PressEnter();
    void SaveLedger();
    void SavePicture();
    void ToggleStatistics();
    void DoKeyDownAction(const PendingKey& key);
    void DoKeyUpAction(const PendingKey& key);
    // An edit of the open field, shown at once.
    void EditField(const PendingKey& key);
    // With no field open: arrows, Home and End move the keyboard among the days, Enter and Space
    // act on its day as a click does, Escape removes a banner that waits for a click. False for
    // a key that means nothing there.
    bool CalendarKey(const Key& key);
    void MoveKeyboard(KeyName key);
    // The keyboard stays on a day of the period shown.
    void KeepKeyboardOnADay();
    // Whether the cell of that index shows a day of the period.
    bool ShownDay(int index) const;
    void DismissBanner();

    // "Mes nuevo" greyed and the period's commands enabled, or the other way round.
    void SetPeriodMenu(bool periodInPlace);
    // The calendar drawn anew; an open field is drawn again where it was, so that the user always
    // sees where typing goes.
    void RedrawCalendar();
    void ShowBanner(std::string_view text, bool dismissOnClick);
    // The page on the surface, with the keyboard's mark, and told to a screen reader.
    void Present();
    // Only the field changed: only its rectangle is shown again.
    void ShowField();
    // What the surface shows, told to a screen reader.
    void Describe();
    DescribedField DescribeField() const;

    Fonts& fonts_;
    Ledger& ledger_;
    FileCalls& files_;
    Date today_;
    ProgramMode mode_;
    Period period_;
    Page page_;
    Banner banner_;
    EntryField field_;
    KeyQueue keys_;
    Stage stage_ = Stage::Welcome;
    bool statisticsShown_ = false;
    bool unsaved_ = false;       // amounts accepted since the ledger was last saved
    bool bannerOnPage_ = false;  // the page shows a banner until it is drawn again
    int keyboardCell_ = -1;      // the keyboard's day: an index into the period's cells
    bool keyboardUsed_ = false;
    MainWindow window_;
};

// The start-day banner's text for a day: "Bien has elegido el día 05 del mes. ...".
std::string StartDayBannerText(int day);
