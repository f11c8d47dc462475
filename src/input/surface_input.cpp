// Keys and clicks on the drawing surface. The program's handling of each message comes first; the
// surface's own handling (pending key, focus) always follows.
#include "app/banner.h"
#include "app/shell.h"
#include "input/input.h"
#include "model/model.h"
#include "view/view.h"

namespace {

void PressEnter() {
    // The field leaves the page. An amount that will be applied redraws the calendar anyway, so
    // drawing it here first would only be drawn over.
    if (JudgeAmountText(ReadEntryText()) != AmountVerdict::Valid) RedrawCalendar();
    AcceptEntry();
    PresentView();
    CloseEntryField();
}

// Every key of the field changes it, then shows it again.
void EditAndShow(void (*edit)()) {
    edit();
    ShowEntryField();
}

void OpenExpenseField(int column, int row) {
    const DayRecord& day = DayAt(column, row);
    amountEntry.entryColumn = column;
    amountEntry.entryRow = row;
    amountEntry.entryMode = ENTRY_EXPENSE;
    OpenEntryField(ENTRY_WIDTH, ENTRY_HEIGHT, day.cellLeft + SPENT_DX, day.cellTop + SPENT_DY);
}

}  // namespace

int KeyCodeOf(std::string_view pendingKey) {
    if (pendingKey.size() == 1) return static_cast<unsigned char>(pendingKey[0]);
    if (pendingKey.size() == 2)
        return static_cast<unsigned char>(pendingKey[0]) +
               256 * static_cast<unsigned char>(pendingKey[1]);
    return 0;
}

void HandleKeyDown(int keyCode) {
    if (entry.entryOpen == 0) return;
    switch (keyCode) {
        case KEY_BACKSPACE:
            return EditAndShow(EraseBackward);
        case KEY_RIGHT:
            return EditAndShow(MoveCaretRight);
        case KEY_LEFT:
            return EditAndShow(MoveCaretLeft);
        default:
            return;
    }
}

void HandleKeyUp(int keyCode) {
    if (entry.entryOpen == 0) return;
    if (keyCode >= 32 && keyCode <= 255) {
        PutCharacter(keyCode);
        ShowEntryField();
        return;
    }
    switch (keyCode) {
        case KEY_LEFT:
            return EditAndShow(MoveCaretLeft);
        case KEY_RIGHT:
            return EditAndShow(MoveCaretRight);
        case KEY_HOME:
            return EditAndShow(MoveCaretHome);
        case KEY_END:
            return EditAndShow(MoveCaretEnd);
        case KEY_BACKSPACE:
            return EditAndShow(EraseBackward);
        case KEY_ENTER:
            return PressEnter();
        default:
            return;
    }
}

std::string StartDayBannerText(int day) {
    std::string digits = std::to_string(day);
    if (day >= 0 && day < 10) digits.insert(digits.begin(), '0');
    return TEXT_START_DAY_PREFIX + digits + TEXT_START_DAY_SUFFIX;
}

void PickStartDay(int column, int row) {
    period.startDay = DayAt(column, row).dayOfMonth;
    CreateDayGrid();
    RedrawCalendar();  // lays the period out from the chosen day, which it may lower
    PresentView();
    shell.startDayChosen = 1;
    ShowBanner(StartDayBannerText(period.startDay), 0);
    OpenEntryField(ENTRY_WIDTH, ENTRY_HEIGHT, MONTH_TOTAL_FIELD_LEFT, MONTH_TOTAL_FIELD_TOP);
    amountEntry.entryMode = ENTRY_MONTH_TOTAL;
}

void HandleLeftButtonDown(int x, int y) {
    if (shell.welcomeShown != 0) return;
    const CellHit hit = HitTestCell(x, y);
    const auto dayOfPeriod = [&hit] {
        return hit.onGrid && DayAt(hit.column, hit.row).inPeriod != 0;
    };

    // Each step sees what the one before it left.
    if (shell.startDayChosen == 0 && dayOfPeriod()) PickStartDay(hit.column, hit.row);
    if (dayOfPeriod() && banner.bannerDismissOnClick == 0 && entry.entryOpen == 0 &&
        shell.startDayChosen == 1)
        OpenExpenseField(hit.column, hit.row);
    if (banner.bannerDismissOnClick == 1) {
        RedrawCalendarKeepingField();
        PresentView();
        banner.bannerDismissOnClick = 0;
    }
}

intptr_t SurfaceInputProc(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case MSG_KEYDOWN:
            for (std::string key; !(key = TakePendingKey(window)).empty();)
                HandleKeyDown(KeyCodeOf(key));
            break;
        case MSG_KEYUP:
            for (std::string key; !(key = TakePendingKey(window)).empty();)
                HandleKeyUp(KeyCodeOf(key));
            break;
        case MSG_LBUTTONUP:
            Viewport().dragState = 0;
            SetArrowCursor(window);
            break;
        case MSG_LBUTTONDOWN:
            HandleLeftButtonDown(LowWord(lParam), HighWord(lParam));
            break;
        default:  // moves, right clicks and characters change nothing here
            break;
    }
    return shell.surfaceOldProc ? shell.surfaceOldProc(window, message, wParam, lParam) : 0;
}
