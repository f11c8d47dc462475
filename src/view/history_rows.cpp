// SPDX-License-Identifier: GPL-3.0-or-later
// The history's rows, chart and words, made from the periods read from the ledger's folder.
#include "view/history_rows.h"

#include <algorithm>

#include "model/calendar.h"
#include "system/files.h"
#include "view/calendar.h"
#include "view/description.h"

namespace {

constexpr const char* SPAN_DASH = " – ";
constexpr const char* CANNOT_READ = "no se puede leer: ";
constexpr const char* NO_PERIOD = "no contiene un periodo";
constexpr const char* NO_PERIOD_YET = "Todavía no hay ningún periodo.";
constexpr const char* FOLDER_UNREADABLE = "No se puede leer la carpeta ";
constexpr const char* DAYS_TITLE = "Gasto por día: ";
constexpr const char* NOTHING_TO_CHART = "No hay ningún periodo que mostrar.";

std::string Counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::vector<std::string> PeriodCells(const PeriodSummary& period) {
    std::vector<std::string> cells(HISTORY_COLUMNS);
    cells[COLUMN_PERIOD] = PeriodSpan(period);
    cells[COLUMN_DAYS] = std::to_string(period.days);
    cells[COLUMN_ALLOWANCE] = AmountWithEuro(period.allowance);
    cells[COLUMN_SPENT] = AmountWithEuro(period.spent);
    cells[COLUMN_LEFT] = AmountWithEuro(period.left);
    cells[COLUMN_DAYS_BELOW_ZERO] = std::to_string(period.daysBelowZero);
    cells[COLUMN_LARGEST_DAY] = AmountWithEuro(period.largestDay);
    return cells;
}

// "del 10 dic 2026 al 9 ene 2027".
std::string FromTo(Date first, Date last) {
    return "del " + ShortDate(first) + " al " + ShortDate(last);
}

// The period told as the row and its days' chart show it.
std::string PeriodWords(const PeriodSummary& period) {
    std::string words = "Periodo " + FromTo(period.start, period.end) + ": " +
                        Counted(period.days, "día", "días") + ", gastado " +
                        SpokenAmount(period.spent) + " de " + SpokenAmount(period.allowance) + ", ";
    words += period.left < 0 ? "te has pasado " + SpokenAmount(-period.left)
                             : "quedan " + SpokenAmount(period.left);
    words += ", " + Counted(period.daysBelowZero, "día", "días") + " en rojo; ";
    if (period.largestDay <= 0) return words + "sin gastos.";
    return words + "el día de más gasto fue el " + ShortDate(period.largestDayDate) + ", con " +
           SpokenAmount(period.largestDay) + ".";
}

// Every period's bars told at once, oldest first.
std::string ChartWords(const std::vector<const PeriodSummary*>& periods) {
    if (periods.empty()) return NOTHING_TO_CHART;
    double spent = 0;
    double allowance = 0;
    int over = 0;
    for (const PeriodSummary* period : periods) {
        spent += period->spent;
        allowance += period->allowance;
        if (period->spent > period->allowance) ++over;
    }
    return "Gastado frente a asignado en " +
           Counted(static_cast<int>(periods.size()), "periodo", "periodos") + ", " +
           FromTo(periods.front()->start, periods.back()->end) + ": gastado " +
           SpokenAmount(spent) + " de " + SpokenAmount(allowance) + "; " +
           Counted(over, "periodo gastó", "periodos gastaron") + " más de lo asignado.";
}

double DaysTop(const PeriodSummary& period) {
    double top = 0;
    for (const DayFigures& day : period.dayByDay) top = std::max({top, day.spent, day.allowance});
    return top;
}

HistoryRow PeriodRow(const PeriodFile& entry, int bar) {
    const PeriodSummary& period = *entry.period;
    HistoryRow row;
    row.cells = PeriodCells(period);
    row.redCell = period.left < 0 ? COLUMN_LEFT : -1;
    row.tip = entry.name;
    for (const DayFigures& day : period.dayByDay)
        row.days.push_back(ChartDay{day.spent, day.allowance, day.balance < 0});
    row.daysTop = DaysTop(period);
    row.daysTopText = AmountWithEuro(row.daysTop);
    row.daysTitle = DAYS_TITLE + PeriodSpan(period);
    row.words = PeriodWords(period);
    row.bar = bar;
    return row;
}

HistoryRow TroubleRow(const PeriodFile& entry) {
    HistoryRow row;
    row.cells = {entry.name, FileTrouble(entry)};
    row.tip = entry.name;
    row.daysTitle = entry.name;
    row.words = entry.name + ": " + FileTrouble(entry) + ".";
    return row;
}

// The bars of every period that could be read, oldest first, with their scale and ends.
void ChartEveryPeriod(HistoryView& view, const std::vector<const PeriodSummary*>& periods) {
    for (const PeriodSummary* period : periods) {
        view.periods.push_back(ChartPeriod{period->allowance, period->spent});
        view.periodsTop = std::max({view.periodsTop, period->allowance, period->spent});
    }
    view.words = ChartWords(periods);
    if (periods.empty()) return;
    view.periodsTopText = AmountWithEuro(view.periodsTop);
    view.firstPeriod = ShortDate(periods.front()->start);
    view.lastPeriod = ShortDate(periods.back()->end);
}

}  // namespace

std::string ShortDate(Date date) {
    return std::to_string(date.day) + " " + std::string(ShortMonthName(date.month)) + " " +
           std::to_string(date.year);
}

std::string PeriodSpan(const PeriodSummary& period) {
    return ShortDate(period.start) + SPAN_DASH + ShortDate(period.end);
}

std::string FileTrouble(const PeriodFile& entry) {
    return entry.error ? CANNOT_READ + SystemErrorText(entry.error) : NO_PERIOD;
}

HistoryView MakeHistoryView(const PeriodFolder& history) {
    HistoryView view;
    std::vector<const PeriodSummary*> oldestFirst;
    for (auto entry = history.entries.rbegin(); entry != history.entries.rend(); ++entry)
        if (entry->period) oldestFirst.push_back(&*entry->period);
    int bar = static_cast<int>(oldestFirst.size());
    for (const PeriodFile& entry : history.entries)
        view.rows.push_back(entry.period ? PeriodRow(entry, --bar) : TroubleRow(entry));
    ChartEveryPeriod(view, oldestFirst);
    view.note = history.folderError ? FOLDER_UNREADABLE + history.folder + ": " +
                                          SystemErrorText(history.folderError)
                                    : NO_PERIOD_YET;
    return view;
}
