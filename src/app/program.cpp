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

WindowShape ShapeFor(ProgramMode mode, const Ledger& ledger) {
    return WindowShape{TitleFor(mode, ledger), MAIN_CLIENT_WIDTH, MAIN_CLIENT_HEIGHT, SURFACE_AREA,
                       mode == ProgramMode::Editing ? ProgramShortcuts() : std::vector<Shortcut>{}};
}

}  // namespace

Program::Program(Fonts& fonts, Ledger& ledger, FileCalls& files, const Clock& clock,
                 ProgramMode mode)
    : fonts_(fonts),
      ledger_(ledger),
      files_(files),
      clock_(clock),
      mode_(mode),
      page_(fonts),
      window_(*this, ShapeFor(mode, ledger), ProgramMenus()) {}

bool Program::Open(std::error_code* loadError) {
    const Date today = clock_.Today();
    period_ = Period(Date{today.year, today.month, 1});
    bool restored = false;
    if (PathExists(ledger_.Path())) {
        DayRecords stored{};
        const std::error_code error = ledger_.Load(stored);
        if (loadError != nullptr) *loadError = error;
        restored = !error && period_.Restore(stored);
        // Nothing can be shown from this file: the program starts as without one and leaves it
        // on disk (a save keeps it aside).
        if (!restored) ledger_.Disown();
    }
    if (!restored && mode_ == ProgramMode::Viewing) return false;
    window_.SetMenuState(Command::History, showHistory_ ? MenuState::Enabled : MenuState::Greyed);
    if (restored) {
        history_.Clear(true);
        SetStage(mode_ == ProgramMode::Viewing ? Stage::Viewing : Stage::PeriodInPlace);
        RedrawCalendar();
        ShowBanner(TEXT_GREETING, true);
    } else {
        ShowWelcome();
    }
    window_.Open();
    return true;
}

void Program::ShowWelcome() {
    history_.Clear(true);
    SetStage(Stage::Welcome);
    page_.PaintBlank();
    ShowBanner(TEXT_WELCOME, false);
}

void Program::SetStage(Stage stage) {
    stage_ = stage;
    for (const auto& [command, state] : MenuStatesOf(stage_, statisticsShown_))
        window_.SetMenuState(command, state);
}

void Program::Leave() {
    if (!history_.Unsaved()) return window_.End(0);
    const int answer =
        window_.Ask({TEXT_UNSAVED_QUESTION, {ANSWER_SAVE, ANSWER_LEAVE_UNSAVED, ANSWER_CANCEL}});
    if (answer == 0) SaveLedger();  // a failed save says why, and the program stays
    if ((answer == 0 && !history_.Unsaved()) || answer == 1) window_.End(0);
}

void Program::SessionEnds() {
    window_.DismissQuestion();
    if (history_.Unsaved() && ledger_.Save(period_) == FileError::None) history_.Saved();
    window_.End(0);
}

// The period is kept under the name its saved file will have.
std::string Program::KeptName() const {
    const std::string kept =
        history_.Unsaved() ? ledger_.ArchiveTargetFor(period_.Start()) : ledger_.ArchiveTarget();
    return kept.empty() ? kept : NameOf(kept);
}

void Program::NewPeriodRequested() {
    if (stage_ == Stage::Viewing) return;
    const std::string kept = KeptName();
    std::string question = TEXT_NEW_PERIOD_QUESTION;
    if (!kept.empty()) question += TEXT_NEW_PERIOD_KEEPS + kept + ".";
    if (window_.Ask({question, {ANSWER_NEW_PERIOD, ANSWER_CANCEL}}) == 0) KeepPeriodAndBeginAnew();
}

void Program::AskIfFinished() {
    if (finishedAsked_ || stage_ != Stage::PeriodInPlace || field_.IsOpen() ||
        !(period_.LastDay() < clock_.Today()))
        return;
    finishedAsked_ = true;
    const std::string kept = KeptName();
    std::string question = TEXT_FINISHED_PREFIX + DateInWords(period_.Start()) + TEXT_FINISHED_TO +
                           DateInWords(period_.LastDay()) + TEXT_FINISHED_SUFFIX;
    if (!kept.empty()) question += TEXT_FINISHED_KEEPS + kept + ".";
    if (window_.Ask({question, {ANSWER_NEW_PERIOD, ANSWER_NOT_NOW}}) == 0) KeepPeriodAndBeginAnew();
}

void Program::KeepPeriodAndBeginAnew() {
    if (history_.Unsaved()) SaveLedger();
    if (history_.Unsaved()) return;  // the banner says why it could not be saved
    std::string archived;
    if (const std::error_code error = ledger_.Archive(&archived))
        return ShowBanner(FileErrorBanner(FileErrorOf(error)), true);
    ledger_.Disown();
    field_.Close();
    statisticsShown_ = false;
    const Date today = clock_.Today();
    period_ = Period(Date{today.year, today.month, 1});
    ShowWelcome();
}

void Program::TimePassed() {
    if (clock_.Today() != shownToday_) Present();
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
        case Command::Undo:
        case Command::Redo:
            return UndoOrRedo(command == Command::Undo);
        case Command::CorrectDay:
            return CorrectDay();
        case Command::History:
            if (showHistory_) showHistory_();
            return;
    }
}

// Whatever was begun is dropped: the user picks the start day and types the total anew.
void Program::StartNewMonth() {
    field_.Close();
    history_.Clear(true);
    SetStage(Stage::PickingStartDay);
    const Date start = period_.Start();
    period_.Begin(Date{start.year, start.month, 1});
    keyboard_.Forget();
    RedrawCalendar();
    Present();
}

void Program::SaveLedger() {
    const FileError error = ledger_.Save(period_);
    if (error == FileError::None) history_.Saved();
    ShowBanner(error != FileError::None ? FileErrorBanner(error) : std::string(TEXT_SAVED), true);
}

// The picture is what the surface shows at that moment; the banner comes after it.
void Program::SavePicture() {
    const std::string bytes = EncodeBmp(window_.Picture());
    const ReplaceResult result = ReplaceFileContents(BITMAP_FILE_NAME, bytes, false, files_);
    ShowBanner(result.error ? FileErrorBanner(FileErrorOf(result)) : std::string(TEXT_BITMAP),
               true);
}

void Program::ToggleStatistics() {
    statisticsShown_ = !statisticsShown_;
    SetStage(stage_);
    RedrawCalendar();
    Present();
}

// ---------------------------------------------------------------------------------------------
// Drawing

void Program::RedrawCalendar() {
    page_.PaintCalendar(MakeCalendarTexts(period_, statisticsShown_));
    if (field_.IsOpen()) page_.Put(field_.Picture(), field_.Place());
}

void Program::ShowBanner(std::string_view text, bool dismissOnClick) {
    page_.ShowBanner(text, dismissOnClick);
    Present();
}

void Program::Present(std::string notice) {
    window_.ShowPicture(page_.Picture());
    const bool calendar = stage_ != Stage::Welcome;
    const std::optional<GridPlace> day = calendar ? keyboard_.On(period_) : std::nullopt;
    shownToday_ = clock_.Today();
    const std::optional<GridPlace> today =
        calendar ? period_.PlaceOfDate(shownToday_) : std::nullopt;
    window_.Describe(DescribeSurface(
        {calendar ? std::string_view() : TEXT_WELCOME, calendar ? &period_ : nullptr,
         statisticsShown_, day, shownToday_, calendar && stage_ != Stage::PickingStartDay,
         page_.BannerShown(), DescribeField(field_, period_), std::move(notice)}));
    const bool marked = day && keyboard_.MarkShown() && !field_.IsOpen();
    window_.ShowTodayMark(today ? std::optional<Rect>(CellGeometry(today->column, today->row))
                                : std::nullopt);
    window_.ShowFocusMark(marked ? std::optional<Rect>(CellGeometry(day->column, day->row))
                                 : std::nullopt);
}

void Program::ShowField() {
    page_.Put(field_.Picture(), field_.Place());
    window_.ShowPicturePart(page_.Picture(), field_.Area());
    SurfaceDescription description = window_.Description();
    description.field = DescribeField(field_, period_);
    description.notice.clear();
    window_.Describe(std::move(description));
}

std::string StartDayBannerText(int day) {
    return TEXT_START_DAY_PREFIX + std::string(day < 10 ? "0" : "") + std::to_string(day) +
           TEXT_START_DAY_SUFFIX;
}

// ---------------------------------------------------------------------------------------------
// Clicks and the days

// A click hides the keyboard's mark; the keyboard goes on from the day whose field it opens.
void Program::Click(Point at) {
    const CellHit hit = HitTestCell(at.x, at.y);
    keyboard_.Clicked();
    const std::optional<GridPlace> opened = ActOnDay(
        hit.onGrid ? std::optional<GridPlace>(GridPlace{hit.column, hit.row}) : std::nullopt);
    if (opened) keyboard_.GoTo(*opened);
}

// Each step sees what the one before it left: picking the start day also leaves its banner, and
// a click for a banner that waits for one only removes it.
std::optional<GridPlace> Program::ActOnDay(std::optional<GridPlace> day) {
    if (stage_ == Stage::Welcome) return std::nullopt;
    const auto dayOfPeriod = [&] { return day && period_.TakesExpenses(*day); };
    if (stage_ == Stage::PickingStartDay && dayOfPeriod()) PickStartDay(*day);
    std::optional<GridPlace> opened;
    if (dayOfPeriod() && !page_.BannerWaitsForClick() && !field_.IsOpen() &&
        TakesExpenses(stage_)) {
        const DayRecord& record = period_.Day(*day);
        OpenField(FieldPurpose::Expense, *day,
                  Point{record.cellLeft + SPENT_DX, record.cellTop + SPENT_DY});
        opened = day;
    }
    if (page_.BannerWaitsForClick()) DismissBanner();
    return opened;
}

void Program::PickStartDay(GridPlace day) {
    const Date start = period_.Start();
    period_.Begin(Date{start.year, start.month, period_.Day(day).dayOfMonth});
    keyboard_.Forget();
    SetStage(Stage::StartDayChosen);
    RedrawCalendar();
    page_.ShowBanner(StartDayBannerText(period_.Start().day), false);
    OpenField(FieldPurpose::MonthlyTotal, day, MONTH_TOTAL_FIELD_PLACE);
}

void Program::OpenField(FieldPurpose purpose, GridPlace day, Point at, std::string_view text) {
    field_.Open(purpose, day, at, fonts_.Get(ENTRY_FONT_FACE, ENTRY_FONT_POINTS, true), text);
    page_.Put(field_.Picture(), field_.Place());
    Present();
}

void Program::DismissBanner() {
    RedrawCalendar();
    Present();
    page_.BannerDismissed();
}

// ---------------------------------------------------------------------------------------------
// Keys: Backspace and the arrows act when pressed (and at each repeat) and when released; a
// character, Home, End, Enter and Escape when released.

void Program::KeyDown(const Key& key) {
    if (!field_.IsOpen() && CalendarKey(key)) return;
    for (const PendingKey& due : keys_.Press(key)) {
        if (due.action == KeyAction::Backspace || due.action == KeyAction::Left ||
            due.action == KeyAction::Right)
            if (field_.IsOpen() && field_.Edit(due.action, due.character)) ShowField();
    }
}

void Program::KeyUp(const Key& key) {
    for (const PendingKey& due : keys_.Release(key)) DoKeyUpAction(due);
}

void Program::DoKeyUpAction(const PendingKey& key) {
    if (!field_.IsOpen()) return;
    if (key.action == KeyAction::Enter) return PressEnter();
    if (key.action == KeyAction::Escape) return CancelField();
    if (field_.Edit(key.action, key.character)) ShowField();
}

bool Program::CalendarKey(const Key& key) {
    if (stage_ == Stage::Welcome) return false;
    switch (key.name) {
        case KeyName::Enter:
        case KeyName::Space:
            if (!keyboard_.MarkShown()) return false;
            ActOnDay(keyboard_.On(period_));
            return true;
        case KeyName::Escape:
            if (!page_.BannerWaitsForClick()) return false;
            DismissBanner();
            return true;
        default:
            if (!keyboard_.Move(key.name, period_)) return false;
            Present();
            return true;
    }
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
    ApplyAmount(text);
    RedrawCalendar();
    Present();
}

void Program::ApplyAmount(const std::string& text) {
    const GridPlace day = field_.Day();
    switch (field_.Purpose()) {
        case FieldPurpose::MonthlyTotal:
            period_.SpreadTotal(ParseAmount(text));
            history_.Clear(false);
            return SetStage(Stage::PeriodInPlace);
        case FieldPurpose::Expense:
            history_.Make(period_, ChangeKind::Expense, day, ParseAmount(text));
            return;
        case FieldPurpose::Correction:
            history_.Make(period_, ChangeKind::Correction, day, ParseAmount(text));
            return;
    }
}

void Program::CancelField() {
    const bool total = field_.Purpose() == FieldPurpose::MonthlyTotal;
    field_.Close();
    if (total) return StartNewMonth();
    RedrawCalendar();
    Present();
}

// ---------------------------------------------------------------------------------------------
// The day's menu: correcting a day, undo and redo

bool Program::OffersDayMenu(GridPlace day) const {
    return stage_ == Stage::PeriodInPlace && !field_.IsOpen() && !page_.BannerWaitsForClick() &&
           period_.TakesExpenses(day);
}

void Program::DayMenuRequested(std::optional<Point> at) {
    std::optional<GridPlace> day;
    if (at) {
        const CellHit hit = HitTestCell(at->x, at->y);
        if (hit.onGrid) day = GridPlace{hit.column, hit.row};
    } else if (keyboard_.MarkShown() && stage_ != Stage::Welcome) {
        day = keyboard_.On(period_);
    }
    if (!day || !OffersDayMenu(*day)) return;
    menuDay_ = day;
    const bool fits = TypedAmount(period_.Day(*day).spent).size() <= MAX_AMOUNT_CHARACTERS;
    const Rect box = CellGeometry(day->column, day->row);
    window_.ShowPopupMenu({{Command::CorrectDay, ITEM_CORRECT_DAY, fits},
                           {Command::Undo, ITEM_UNDO, history_.CanUndo()},
                           {Command::Redo, ITEM_REDO, history_.CanRedo()}},
                          at ? *at : Point{box.left + SPENT_DX, box.top + SPENT_DY});
}

// The day's field holds what the day has spent in all, to be typed over.
void Program::CorrectDay() {
    if (!menuDay_ || !OffersDayMenu(*menuDay_)) return;
    const DayRecord& record = period_.Day(*menuDay_);
    const std::string spent = TypedAmount(record.spent);
    if (spent.size() > MAX_AMOUNT_CHARACTERS) return;
    OpenField(FieldPurpose::Correction, *menuDay_,
              Point{record.cellLeft + SPENT_DX, record.cellTop + SPENT_DY}, spent);
}

void Program::UndoOrRedo(bool undo) {
    if (!TakesExpenses(stage_) || field_.IsOpen()) return;
    const std::optional<DayChange> change = undo ? history_.Undo(period_) : history_.Redo(period_);
    if (!change) return;
    RedrawCalendar();
    Present(DescribeChange(*change, period_, undo));
    page_.BannerDismissed();
}
