// SPDX-License-Identifier: GPL-3.0-or-later
// The ledger's folder listed for its periods, each file read without a lock.
#include "storage/period_folder.h"

#include <algorithm>
#include <tuple>

#include "storage/ledger.h"

namespace {

// The name Ledger::Archive gives a kept period: "ahorros-" AAAA "-" MM "-" DD ["-" N] ".log".
constexpr std::string_view KEPT_PREFIX = "ahorros-";
constexpr std::string_view KEPT_SUFFIX = ".log";
constexpr size_t YEAR_DIGITS = 4;
constexpr size_t MONTH_AT = YEAR_DIGITS + 1;
constexpr size_t DAY_AT = MONTH_AT + 3;
constexpr size_t DATE_LENGTH = DAY_AT + 2;
constexpr size_t MAX_ATTEMPT_DIGITS = 6;
// Sorts a ledger that gives no date after every dated period.
constexpr Date NEWEST{9999, 12, 31};

// The number the digits of `text` write, or -1 when it holds anything else.
int Digits(std::string_view text) {
    if (text.empty()) return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool DateSeparatorsAt(std::string_view date) {
    return date[MONTH_AT - 1] == '-' && date[DAY_AT - 1] == '-';
}

PeriodFile ReadEntry(const std::string& folder, const std::string& name) {
    PeriodFile entry;
    entry.path = folder + name;
    entry.name = name;
    FileCalls calls;
    Ledger file(entry.path, calls, LedgerAccess::ReadOnly);
    DayRecords records{};
    entry.error = file.Load(records);
    Period period;
    if (!entry.error && period.Restore(records)) entry.period = SummarisePeriod(period);
    return entry;
}

auto SortKey(const PeriodFile& entry) {
    const Date date = entry.period    ? entry.period->start
                      : entry.current ? NEWEST
                                      : entry.kept.start;
    return std::make_tuple(date.year, date.month, date.day, entry.current, entry.kept.attempt);
}

}  // namespace

std::optional<KeptName> ReadKeptName(std::string_view name) {
    if (!name.starts_with(KEPT_PREFIX) || !name.ends_with(KEPT_SUFFIX)) return std::nullopt;
    name.remove_prefix(KEPT_PREFIX.size());
    name.remove_suffix(KEPT_SUFFIX.size());
    if (name.size() < DATE_LENGTH || !DateSeparatorsAt(name)) return std::nullopt;
    KeptName kept;
    kept.start = Date{Digits(name.substr(0, YEAR_DIGITS)), Digits(name.substr(MONTH_AT, 2)),
                      Digits(name.substr(DAY_AT, 2))};
    if (kept.start.year < 0 || kept.start.month < 0 || kept.start.day < 0) return std::nullopt;
    const std::string_view tail = name.substr(DATE_LENGTH);
    if (tail.empty()) return kept;
    // "-2", "-3"...: a number of its own, never "-0", "-1" or one with a leading zero.
    const std::string_view number = tail.substr(1);
    kept.attempt = number.size() <= MAX_ATTEMPT_DIGITS && tail[0] == '-' && !number.starts_with('0')
                       ? Digits(number)
                       : -1;
    if (kept.attempt < 2) return std::nullopt;
    return kept;
}

PeriodFolder ReadPeriodFolder(const std::string& ledgerPath) {
    PeriodFolder history;
    history.folder = FolderOf(ledgerPath);
    std::vector<std::string> names;
    history.folderError = ListFolder(history.folder, &names);
    if (history.folderError == std::errc::no_such_file_or_directory) history.folderError.clear();
    if (history.folderError) return history;
    for (const std::string& name : names) {
        const bool current = name == NameOf(ledgerPath);
        const std::optional<KeptName> kept = ReadKeptName(name);
        if (!current && !kept) continue;
        PeriodFile entry = ReadEntry(history.folder, name);
        entry.current = current;
        if (kept) entry.kept = *kept;
        history.entries.push_back(std::move(entry));
    }
    std::sort(history.entries.begin(), history.entries.end(),
              [](const PeriodFile& a, const PeriodFile& b) { return SortKey(a) > SortKey(b); });
    return history;
}
