// Uses the program as a person does, through the menu, clicks on the real surface and keys,
// and reads back what the person or a file sees: the banner's text, the menu's item states,
// the ledger's bytes and the surface's pixels. New tests drive the program through this.
#pragma once

#include <string>

#include "cell_geometry.h"
#include "shell_fixture.h"
#include "storage/storage.h"

class ProgramTest : public ShellTest {
protected:
    // ---- verbs
    void NewMonth() { RunCommand(IDM_MES_NUEVO); }
    // Clicks the middle of the cell that shows `day` of the month in the calendar on screen.
    void PickDay(int day) {
        for (int row = 1; row <= GRID_ROWS; ++row)
            for (int column = 1; column <= GRID_COLUMNS; ++column)
                if (DayAt(column, row).inPeriod && DayAt(column, row).dayOfMonth == day)
                    return Click(CellMiddleX(column), CellMiddleY(row));
        ADD_FAILURE() << "day " << day << " is not on the calendar";
    }
    void Type(const char* text) { TypeText(text); }
    void Enter() { Press(Qt::Key_Return); }
    void Save() { RunCommand(IDM_GRABAR); }
    void ToggleStatistics() { RunCommand(IDM_ESTADISTICAS); }
    // Mes nuevo, the start day, and the month's total entered.
    void BeginPeriod(int startDay, const char* total) {
        NewMonth();
        PickDay(startDay);
        Type(total);
        Enter();
    }

    // ---- what the person or a file sees
    const std::string& BannerText() { return banner.lastText; }
    int MenuState(int id) { return MenuItemState(shell.mainMenu, id); }
    std::string LedgerBytes() { return ReadFile(LedgerPath()); }
    Colour Pixel(int x, int y) { return SurfacePixel(x, y); }
};
