// SPDX-License-Identifier: GPL-3.0-or-later
// A kept period as CSV, and in a read-only window; the history of every period as CSV.
#include "app/period_files.h"

#include <cstdio>
#include <initializer_list>

#include "format/format.h"
#include "system/clock.h"
#include "view/history_rows.h"

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
                     SystemErrorText(loadError).c_str());
    else
        std::fprintf(stderr, "monedario: %s: %s\n", path.c_str(), noPeriod);
}

// The period the ledger at `path` holds, told on standard error when there is none.
bool ReadPeriod(const std::string& path, Period* period) {
    FileCalls files;
    Ledger ledger(path, files, LedgerAccess::ReadOnly);
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

int PrintCsv(const std::string& csv) {
    return std::fwrite(csv.data(), 1, csv.size(), stdout) == csv.size() && std::fflush(stdout) == 0
               ? 0
               : EXIT_UNREADABLE;
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

std::string HistoryCsv(const PeriodFolder& history) {
    std::string csv = CsvRow(
        {"inicio", "fin", "dias", "asignado", "gastado", "saldo", "dias_en_rojo", "mayor_gasto"});
    for (auto entry = history.entries.rbegin(); entry != history.entries.rend(); ++entry) {
        if (!entry->period) continue;
        const PeriodSummary& p = *entry->period;
        csv += CsvRow({IsoDate(p.start), IsoDate(p.end), std::to_string(p.days),
                       CsvAmount(p.allowance), CsvAmount(p.spent), CsvAmount(p.left),
                       std::to_string(p.daysBelowZero), CsvAmount(p.largestDay)});
    }
    return csv;
}

int PrintPeriodCsv(const std::string& path) {
    Period period;
    if (!ReadPeriod(path, &period)) return EXIT_UNREADABLE;
    return PrintCsv(PeriodCsv(period));
}

int PrintHistoryCsv(const std::string& ledgerPath) {
    const PeriodFolder history = ReadPeriodFolder(ledgerPath);
    if (history.folderError) {
        std::fprintf(stderr, "monedario: %s: no se puede leer: %s\n", history.folder.c_str(),
                     SystemErrorText(history.folderError).c_str());
        return EXIT_UNREADABLE;
    }
    for (const PeriodFile& entry : history.entries)
        if (!entry.period)
            std::fprintf(stderr, "monedario: %s: %s\n", entry.path.c_str(),
                         FileTrouble(entry).c_str());
    return PrintCsv(HistoryCsv(history));
}

ReadOnlyPeriod::ReadOnlyPeriod(Fonts& fonts, const std::string& path, const Clock& clock)
    : ledger(path, files, LedgerAccess::ReadOnly),
      program(fonts, ledger, files, clock, ProgramMode::Viewing) {}

int ViewPeriod(Application& application, const std::string& path) {
    const LocalClock clock;
    ReadOnlyPeriod viewed(application.PageFonts(), path, clock);
    if (std::error_code error; !viewed.program.Open(&error)) {
        TellNoPeriod(path, error, "no contiene un periodo que se pueda mostrar");
        return EXIT_UNREADABLE;
    }
    return viewed.program.Exec();
}
