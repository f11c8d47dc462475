// SPDX-License-Identifier: GPL-3.0-or-later
// The program's screens, commands, clicks and keys.
#include "app/program.h"

#include "app/menu.h"
#include "app/texts.h"
#include "format/format.h"
#include "input/amount_entry.h"
#include "view/calendar.h"
#include "view/description.h"

namespace {

std::string TitleFor(ProgramMode mode, const Ledger& ledger) {
    if (mode == ProgramMode::Editing) return MAIN_TITLE;
    return NameOf(ledger.Path()) + TEXT_VIEWING_SUFFIX;
}

}  // namespace

Program::Program(Fonts& fonts, Ledger& ledger, FileCalls& files, Date today, ProgramMode mode)
    : fonts_(fonts),
      ledger_(ledger),
      files_(files),
      today_(today),
      mode_(mode),
      page_(fonts),
      window_(
          *this,
          WindowShape{TitleFor(mode, ledger), MAIN_CLIENT_WIDTH, MAIN_CLIENT_HEIGHT, SURFACE_AREA},
          ProgramMenus()) {}

bool Program::Open(int* loadError) {
    period_ = Period(Date{today_.year, today_.month, 1});
    bool restored = false;
    if (PathExists(ledger_.Path())) {
        DayRecords stored{};
        const int error = ledger_.Load(stored);
        if (loadError != nullptr) *loadError = error;
        restored = error == 0 && period_.Restore(stored);
        // Nothing can be shown from this file: the program starts as without one and leaves it
        // on disk (a save keeps it aside).
        if (!restored) ledger_.Disown();
    }
    if (!restored && mode_ == ProgramMode::Viewing) return false;
    if (restored) {
        stage_ = mode_ == ProgramMode::Viewing ? Stage::Viewing : Stage::StartDayChosen;
        RedrawCalendar();
        ShowBanner(TEXT_GREETING, true);
        SetPeriodMenu(true);
        if (stage_ == Stage::Viewing) window_.SetMenuState(Command::Save, MenuState::Greyed);
    } else {
        ShowWelcome();
    }
    window_.Open();
    return true;
}

void Program::ShowWelcome() {
    stage_ = Stage::Welcome;
    page_.PaintBlank();
    ShowBanner(TEXT_WELCOME, false);
    SetPeriodMenu(false);
}

void Program::Leave() {
    if (!unsaved_) return window_.End(0);
    const int answer =
        window_.Ask({TEXT_UNSAVED_QUESTION, {ANSWER_SAVE, ANSWER_LEAVE_UNSAVED, ANSWER_CANCEL}});
    if (answer == 0) SaveLedger();  // a failed save says why, and the program stays
    if ((answer == 0 && !unsaved_) || answer == 1) window_.End(0);
}

void Program::SessionEnds() {
    window_.DismissQuestion();
    if (unsaved_ && ledger_.Save(period_) == 0) unsaved_ = false;
    window_.End(0);
}

void Program::NewPeriodRequested() {
    if (stage_ == Stage::Viewing) return;
    // The period is kept under the name its saved file will have.
    const std::string kept =
        unsaved_ ? ledger_.ArchiveTargetFor(period_.Start()) : ledger_.ArchiveTarget();
    std::string question = TEXT_NEW_PERIOD_QUESTION;
    if (!kept.empty()) question += TEXT_NEW_PERIOD_KEEPS + NameOf(kept) + ".";
    if (window_.Ask({question, {ANSWER_NEW_PERIOD, ANSWER_CANCEL}}) != 0) return;
    if (unsaved_) SaveLedger();
    if (unsaved_) return;  // the banner says why it could not be saved
    std::string archived;
    if (const int error = ledger_.Archive(&archived); error != 0)
        return ShowBanner(FileErrorBanner(FileErrorNumber(ReplaceResult{error, false, false})),
                          true);
    ledger_.Disown();
    field_.Close();
    statisticsShown_ = false;
    period_ = Period(Date{today_.year, today_.month, 1});
    ShowWelcome();
}

// ---------------------------------------------------------------------------------------------
// Commands

void Program::Run(Command command) {
    switch (command) {
        case Command::NewMonth:
            return StartNewMonth();
        case Command::Save:
            return SaveLedger();
        case Command::Picture:
            return SavePicture();
        case Command::Author:
            return ShowBanner(TEXT_AUTHOR, true);
        case Command::Quit:
            return Leave();
        case Command::Statistics:
            return ToggleStatistics();
    }
}

// Whatever was begun is dropped: the user picks the start day and types the total anew.
void Program::StartNewMonth() {
    field_.Close();
    stage_ = Stage::PickingStartDay;
    const Date start = period_.Start();
    period_.Begin(Date{start.year, start.month, 1});
    keyboardCell_ = -1;
    RedrawCalendar();
    Present();
}

void Program::SaveLedger() {
    const int error = ledger_.Save(period_);
    if (error == 0) unsaved_ = false;
    ShowBanner(error ? FileErrorBanner(error) : std::string(TEXT_SAVED), true);
}

// The picture is what the surface shows at that moment; the banner comes after it.
void Program::SavePicture() {
    const std::string bytes = EncodeBmp(window_.Picture());
    const ReplaceResult result = ReplaceFileContents(BITMAP_FILE_NAME, bytes, false, files_);
    ShowBanner(result.error ? FileErrorBanner(FileErrorNumber(result)) : std::string(TEXT_BITMAP),
               true);
}

void Program::ToggleStatistics() {
    statisticsShown_ = !statisticsShown_;
    window_.SetMenuState(Command::Statistics,
                         statisticsShown_ ? MenuState::Checked : MenuState::Enabled);
    RedrawCalendar();
    Present();
}

void Program::SetPeriodMenu(bool periodInPlace) {
    const MenuState periodCommands = periodInPlace ? MenuState::Enabled : MenuState::Greyed;
    window_.SetMenuState(Command::NewMonth, periodInPlace ? MenuState::Greyed : MenuState::Enabled);
    window_.SetMenuState(Command::Save, periodCommands);
    window_.SetMenuState(Command::Statistics, periodCommands);
    window_.SetMenuState(Command::Picture, periodCommands);
}

// ---------------------------------------------------------------------------------------------
// Drawing

void Program::RedrawCalendar() {
    page_.PaintCalendar(MakeCalendarTexts(period_, statisticsShown_));
    bannerOnPage_ = false;
    if (field_.IsOpen()) page_.Put(field_.Picture(), field_.Place());
}

void Program::ShowBanner(std::string_view text, bool dismissOnClick) {
    banner_.Show(page_, text, dismissOnClick);
    bannerOnPage_ = true;
    Present();
}

void Program::Present() {
    window_.ShowPicture(page_.Picture());
    KeepKeyboardOnADay();
    const bool marked = KeyboardMarkShown() && keyboardCell_ >= 0 && stage_ != Stage::Welcome;
    window_.ShowFocusMark(
        marked ? std::optional<Rect>(CellGeometry(KeyboardDay().column, KeyboardDay().row))
               : std::nullopt);
    Describe();
}

void Program::ShowField() {
    page_.Put(field_.Picture(), field_.Place());
    window_.ShowPicturePart(page_.Picture(), field_.Area());
    SurfaceDescription description = window_.Description();
    description.field = DescribeField();
    window_.Describe(std::move(description));
}

void Program::Describe() {
    SurfaceDescription d;
    if (stage_ == Stage::Welcome) {
        d.welcome = TEXT_WELCOME;
    } else {
        d = DescribeCalendar(period_, statisticsShown_);
        d.focusedCell = keyboardCell_;
    }
    if (bannerOnPage_ && banner_.Text() != TEXT_WELCOME) d.banner = banner_.Text();
    d.field = DescribeField();
    window_.Describe(std::move(d));
}

DescribedField Program::DescribeField() const {
    DescribedField d;
    if (!field_.IsOpen()) return d;
    d.open = true;
    d.name = field_.Purpose() == FieldPurpose::MonthlyTotal
                 ? std::string(TEXT_MONTH_TOTAL_FIELD)
                 : TEXT_EXPENSE_FIELD + DescribeDate(period_, field_.Day());
    d.text = field_.Text();
    d.caret = field_.CaretOffset();
    d.box = field_.Area();
    return d;
}

// ---------------------------------------------------------------------------------------------
// The keyboard among the days

GridPlace Program::KeyboardDay() const {
    const int index = std::max(keyboardCell_, 0);
    return GridPlace{index % GRID_COLUMNS + 1, index / GRID_COLUMNS + 1};
}

bool Program::ShownDay(int index) const {
    return index >= 0 && index < GRID_CELLS &&
           period_.Shows(GridPlace{index % GRID_COLUMNS + 1, index / GRID_COLUMNS + 1});
}

void Program::KeepKeyboardOnADay() {
    if (ShownDay(keyboardCell_)) return;
    keyboardCell_ = -1;
    for (int index = 0; index < GRID_CELLS && keyboardCell_ < 0; ++index)
        if (ShownDay(index)) keyboardCell_ = index;
}

void Program::MoveKeyboard(KeyName key) {
    KeepKeyboardOnADay();
    if (keyboardCell_ < 0) return;
    int next = keyboardCell_;
    switch (key) {
        case KeyName::Left:
            next = keyboardCell_ - 1;
            break;
        case KeyName::Right:
            next = keyboardCell_ + 1;
            break;
        case KeyName::Up:
            next = keyboardCell_ - GRID_COLUMNS;
            break;
        case KeyName::Down:
            next = keyboardCell_ + GRID_COLUMNS;
            break;
        case KeyName::Home:
            for (next = 0; !ShownDay(next); ++next) {
            }
            break;
        case KeyName::End:
            for (next = GRID_CELLS - 1; !ShownDay(next); --next) {
            }
            break;
        default:
            break;
    }
    if (ShownDay(next)) keyboardCell_ = next;
}

bool Program::CalendarKey(const Key& key) {
    switch (key.name) {
        case KeyName::Left:
        case KeyName::Right:
        case KeyName::Up:
        case KeyName::Down:
        case KeyName::Home:
        case KeyName::End:
            if (stage_ == Stage::Welcome) return false;
            keyboardUsed_ = true;
            MoveKeyboard(key.name);
            Present();
            return true;
        case KeyName::Enter:
        case KeyName::Space: {
            if (stage_ == Stage::Welcome) return false;
            keyboardUsed_ = true;
            KeepKeyboardOnADay();
            const Rect box = CellGeometry(KeyboardDay().column, KeyboardDay().row);
            Click(Point{(box.left + box.right) / 2, (box.top + box.bottom) / 2});
            return true;
        }
        case KeyName::Escape:
            if (!banner_.DismissOnClick() || stage_ == Stage::Welcome) return false;
            DismissBanner();
            return true;
        default:
            return false;
    }
}

void Program::DismissBanner() {
    RedrawCalendar();
    Present();
    banner_.Dismissed();
}

std::string StartDayBannerText(int day) {
    return TEXT_START_DAY_PREFIX + std::string(day < 10 ? "0" : "") + std::to_string(day) +
           TEXT_START_DAY_SUFFIX;
}

// ---------------------------------------------------------------------------------------------
// Clicks

// Each step sees what the one before it left: a click that picks the start day also leaves its
// banner, and a click for a banner that waits for one only removes it.
void Program::Click(Point at) {
    if (stage_ == Stage::Welcome) return;
    const CellHit hit = HitTestCell(at.x, at.y);
    const GridPlace place{hit.column, hit.row};
    const auto dayOfPeriod = [&] { return hit.onGrid && period_.TakesExpenses(place); };

    if (stage_ == Stage::PickingStartDay && dayOfPeriod()) PickStartDay(place);
    if (dayOfPeriod() && !banner_.DismissOnClick() && !field_.IsOpen() &&
        stage_ == Stage::StartDayChosen) {
        const DayRecord& day = period_.Day(place);
        keyboardCell_ = CellIndex(place);  // the keyboard goes on from the day the pointer chose
        OpenField(FieldPurpose::Expense, place,
                  Point{day.cellLeft + SPENT_DX, day.cellTop + SPENT_DY});
    }
    if (banner_.DismissOnClick()) DismissBanner();
}

void Program::PickStartDay(GridPlace place) {
    const Date start = period_.Start();
    period_.Begin(Date{start.year, start.month, period_.Day(place).dayOfMonth});
    keyboardCell_ = -1;
    stage_ = Stage::StartDayChosen;
    RedrawCalendar();
    banner_.Show(page_, StartDayBannerText(period_.Start().day), false);
    bannerOnPage_ = true;
    OpenField(FieldPurpose::MonthlyTotal, place, MONTH_TOTAL_FIELD_PLACE);
}

void Program::OpenField(FieldPurpose purpose, GridPlace day, Point at) {
    field_.Open(purpose, day, at, fonts_.Get(ENTRY_FONT_FACE, ENTRY_FONT_POINTS, true));
    page_.Put(field_.Picture(), field_.Place());
    Present();
}

// ---------------------------------------------------------------------------------------------
// Keys: Backspace and the arrows act when pressed (and at each repeat) and when released; a
// character, Home, End and Enter when released.

void Program::KeyDown(const Key& key) {
    if (!field_.IsOpen() && CalendarKey(key)) return;
    for (const PendingKey& due : keys_.Press(key)) DoKeyDownAction(due);
}

void Program::KeyUp(const Key& key) {
    for (const PendingKey& due : keys_.Release(key)) DoKeyUpAction(due);
}

// Backspace and the arrows act at each press, and repeat, besides.
void Program::DoKeyDownAction(const PendingKey& key) {
    if (key.action == KeyAction::Backspace || key.action == KeyAction::Left ||
        key.action == KeyAction::Right)
        EditField(key);
}

void Program::DoKeyUpAction(const PendingKey& key) {
    if (key.action != KeyAction::Enter) return EditField(key);
    if (field_.IsOpen()) PressEnter();
}

void Program::EditField(const PendingKey& key) {
    if (!field_.IsOpen()) return;
    switch (key.action) {
        case KeyAction::Put:
            field_.Put(key.character);
            break;
        case KeyAction::Backspace:
            field_.EraseBackward();
            break;
        case KeyAction::Left:
            field_.MoveCaretLeft();
            break;
        case KeyAction::Right:
            field_.MoveCaretRight();
            break;
        case KeyAction::Home:
            field_.MoveCaretHome();
            break;
        case KeyAction::End:
            field_.MoveCaretEnd();
            break;
        case KeyAction::Enter:
        case KeyAction::None:
            return;
    }
    ShowField();
}

// The field leaves the page; a refused text is told in the banner, an amount is applied.
void Program::PressEnter() {
    const std::string text = field_.Text();
    field_.Close();
    switch (JudgeAmountText(text)) {
        case AmountVerdict::TooLong:
            RedrawCalendar();
            return ShowBanner(TEXT_TOO_LONG, true);
        case AmountVerdict::Invalid:
            RedrawCalendar();
            return ShowBanner(TEXT_INVALID, true);
        case AmountVerdict::Valid:
            break;
    }
    const GridPlace day = field_.Day();
    if (field_.Purpose() == FieldPurpose::Expense && IsGridPosition(day.column, day.row)) {
        period_.AddExpense(day, ParseAmount(text));
        unsaved_ = true;
    } else if (field_.Purpose() == FieldPurpose::MonthlyTotal) {
        period_.SpreadTotal(ParseAmount(text));
        unsaved_ = true;
        SetPeriodMenu(true);
    }
    RedrawCalendar();
    Present();
}
