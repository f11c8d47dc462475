// SPDX-License-Identifier: GPL-3.0-or-later
// The program: one pay period in one window. It owns the period and its history, the page, the
// entry field, the keys waiting to be typed, the keyboard's day and the window, and routes the
// window's events to them; the ledger is the file the period is saved in.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/stage.h"
#include "input/entry_field.h"
#include "input/key_queue.h"
#include "input/keyboard_day.h"
#include "model/history.h"
#include "model/period.h"
#include "platform/window.h"
#include "storage/ledger.h"
#include "system/clock.h"
#include "system/files.h"
#include "view/page.h"

constexpr int MAIN_CLIENT_WIDTH = 846;
constexpr int MAIN_CLIENT_HEIGHT = 577;
// With its one-pixel border; the picture inside is 842 x 552.
constexpr Rect SURFACE_AREA{1, 1, 845, 555};
constexpr const char* MAIN_TITLE = "Monedario Pro";
constexpr const char* ENTRY_FONT_FACE = "Lucida Console";
constexpr int ENTRY_FONT_POINTS = 11;

// The program runs the current period, or shows a kept one read-only.
enum class ProgramMode { Editing, Viewing };

class Program final : public WindowEvents {
public:
    // The `clock`'s today sets the month of a new period and is marked on the calendar;
    // "Bitmap" writes through `files`. A program that views a kept period never writes its
    // ledger.
    Program(Fonts& fonts, Ledger& ledger, FileCalls& files, const Clock& clock,
            ProgramMode mode = ProgramMode::Editing);

    // Shows the stored period, or the welcome screen when there is none, and the window. Viewing
    // a file that holds no period shows nothing and gives false; `loadError` gets the system's
    // error when the file could not be read.
    bool Open(std::error_code* loadError = nullptr);
    // Runs until "Salir" or the window is closed; returns the end value.
    int Exec() { return window_.Exec(); }

    void KeyDown(const Key& key) override;
    void KeyUp(const Key& key) override;
    void Click(Point at) override;
    void DayMenuRequested(std::optional<Point> at) override;
    void Run(Command command) override;
    void FocusLost() override { keys_.Forget(); }
    void CloseRequested() override { Leave(); }
    void Activated() override { AskIfFinished(); }
    void TimePassed() override;

    // What "Historial…" does; without it the item is greyed.
    void WhenHistoryAsked(std::function<void()> show) { showHistory_ = std::move(show); }
    // Asked by a later start: the window comes to the front and offers a new period, keeping the
    // current one beside the ledger under its start date.
    void NewPeriodRequested();
    // The session ends the program: amounts not saved yet are saved as "Grabar" does, and the
    // program ends.
    void SessionEnds();

    // The window, for whoever drives it as a person would.
    MainWindow& Window() { return window_; }

private:
    // "Salir" or the window's close button: with amounts not saved yet, the user is asked first.
    void Leave();
    // The name the period will be kept under when a new one begins; empty when there is none.
    std::string KeptName() const;
    // Amounts not saved yet are saved, the period is kept beside the ledger with its backup, and
    // the welcome screen shows.
    void KeepPeriodAndBeginAnew();
    // Once a run, a period in place whose last day is past is offered to be kept for a new one.
    void AskIfFinished();
    void ShowWelcome();
    void StartNewMonth();
    void SaveLedger();
    void SavePicture();
    void ToggleStatistics();
    void SetStage(Stage stage);

    // A click, or Enter and Space on the keyboard's day: picks the start day, or opens the day's
    // field (the day, then, is given back); a banner that waits for a click goes instead.
    std::optional<GridPlace> ActOnDay(std::optional<GridPlace> day);
    void PickStartDay(GridPlace day);
    void OpenField(FieldPurpose purpose, GridPlace day, Point at, std::string_view text = {});
    // With no field open: the keyboard among the days, Enter and Space on its day, Escape for a
    // banner. False for a key that means nothing there.
    bool CalendarKey(const Key& key);
    void DoKeyUpAction(const PendingKey& key);
    void PressEnter();
    // Escape in the field: nothing typed is kept; the monthly total goes back to the start day.
    void CancelField();
    void ApplyAmount(const std::string& text);
    void DismissBanner();

    // The day's menu: correcting its spent amount, undo and redo.
    bool OffersDayMenu(GridPlace day) const;
    void CorrectDay();
    void UndoOrRedo(bool undo);

    // The calendar drawn anew; an open field is drawn again where it was, so that the user always
    // sees where typing goes.
    void RedrawCalendar();
    void ShowBanner(std::string_view text, bool dismissOnClick);
    // The page on the surface, with the keyboard's mark, and told to a screen reader with
    // `notice` for what the page does not say.
    void Present(std::string notice = {});
    // Only the field changed: only its rectangle is shown again.
    void ShowField();

    Fonts& fonts_;
    Ledger& ledger_;
    FileCalls& files_;
    const Clock& clock_;
    ProgramMode mode_;
    Period period_;
    History history_;
    Page page_;
    EntryField field_;
    KeyQueue keys_;
    KeyboardDay keyboard_;
    Stage stage_ = Stage::Welcome;
    bool statisticsShown_ = false;
    std::optional<GridPlace> menuDay_;  // the day whose menu was popped up last
    Date shownToday_;                   // the day marked as today when the page was last shown
    bool finishedAsked_ = false;
    std::function<void()> showHistory_;
    MainWindow window_;
};

// The start-day banner's text for a day: "Bien has elegido el día 05 del mes. ...".
std::string StartDayBannerText(int day);
