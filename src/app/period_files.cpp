// SPDX-License-Identifier: GPL-3.0-or-later
// A kept period as CSV, and in a read-only window.
#include "app/period_files.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "app/program.h"
#include "format/format.h"
#include "system/clock.h"

namespace {

constexpr int EXIT_UNREADABLE = 1;

// "1.234'50" as "1234,50", quoted: the comma is the decimal one, not a field's end.
std::string CsvAmount(double amount) {
    std::string text = "\"";
    for (char c : TrimBlanks(FormatAmount(amount))) {
        if (c == '.') continue;
        text.push_back(c == '\'' ? ',' : c);
    }
    return text + "\"";
}

std::string IsoDate(Date date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::string CsvRow(std::initializer_list<std::string> fields) {
    std::string row;
    for (const std::string& field : fields) row += (&field == fields.begin() ? "" : ",") + field;
    return row + "\n";
}

// Why a file gives no period: the system's error when it could not be read, else `noPeriod`.
void TellNoPeriod(const std::string& path, std::error_code loadError, const char* noPeriod) {
    if (loadError)
        std::fprintf(stderr, "monedario: %s: no se puede leer: %s\n", path.c_str(),
                     loadError.message().c_str());
    else
        std::fprintf(stderr, "monedario: %s: %s\n", path.c_str(), noPeriod);
}

// The period the ledger at `path` holds, told on standard error when there is none.
bool ReadPeriod(const std::string& path, Period* period) {
    FileCalls files;
    Ledger ledger(path, files);
    if (!PathExists(path)) {
        std::fprintf(stderr, "monedario: %s: no existe\n", path.c_str());
        return false;
    }
    DayRecords records{};
    const std::error_code error = ledger.Load(records);
    if (!error && period->Restore(records)) return true;
    TellNoPeriod(path, error, "no contiene un periodo que se pueda leer");
    return false;
}

}  // namespace

std::string PeriodCsv(const Period& period) {
    std::string csv = CsvRow({"fecha", "asignado", "gastado", "saldo"});
    for (int row = 1; row <= GRID_ROWS; ++row) {
        for (int column = 1; column <= GRID_COLUMNS; ++column) {
            const GridPlace place{column, row};
            if (!period.Shows(place)) continue;
            const DayRecord& day = period.Day(place);
            csv += CsvRow({IsoDate(period.DateOf(place)), CsvAmount(day.allowance),
                           CsvAmount(day.spent), CsvAmount(day.balance)});
        }
    }
    return csv;
}

int PrintPeriodCsv(const std::string& path) {
    Period period;
    if (!ReadPeriod(path, &period)) return EXIT_UNREADABLE;
    const std::string csv = PeriodCsv(period);
    return std::fwrite(csv.data(), 1, csv.size(), stdout) == csv.size() && std::fflush(stdout) == 0
               ? 0
               : EXIT_UNREADABLE;
}

int ViewPeriod(Application& application, const std::string& path) {
    FileCalls files;
    Ledger ledger(path, files);
    Program program(application.PageFonts(), ledger, files, Today(), ProgramMode::Viewing);
    if (std::error_code error; !program.Open(&error)) {
        TellNoPeriod(path, error, "no contiene un periodo que se pueda mostrar");
        return EXIT_UNREADABLE;
    }
    return program.Exec();
}
