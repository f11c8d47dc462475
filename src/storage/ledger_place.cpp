// Where the ledger lives (beside the program when it can be, else in the user's data folder), and
// putting a finished period's ledger aside under its start date.
#include <cerrno>
#include <cstdio>
#include <string>

#include "storage/storage.h"

namespace {

constexpr int MAX_ARCHIVE_SUFFIX = 999;
constexpr int MAX_PERIOD_YEAR = 9999;

// The start date in the record of column 3, row 3, a day of every period (the last such record
// wins, as when loading). False when the file has none or it holds no real date.
bool PeriodStartInLedger(const std::string& path, LocalDate* date) {
    int error = 0;
    const int handle = OpenRecordFile(path, false, false, &error);
    if (handle < 0) return false;
    const long long size = RecordFileSize(handle, &error);
    const long long count = size > 0 ? size / static_cast<long long>(DAY_RECORD_SIZE) : 0;
    bool found = false;
    DayRecord record;
    for (long long k = 0; k < count; ++k) {
        if (!ReadAt(handle, k * static_cast<long long>(DAY_RECORD_SIZE), &record, DAY_RECORD_SIZE,
                    &error))
            break;
        if (record.column != 3 || record.row != 3) continue;
        found = record.periodStartDay >= 1 && record.periodStartDay <= 31 &&
                record.periodMonth >= 1 && record.periodMonth <= 12 && record.periodYear >= 1 &&
                record.periodYear <= MAX_PERIOD_YEAR;
        *date = LocalDate{record.periodYear, record.periodMonth, record.periodStartDay};
    }
    CloseRecordFile(handle);
    return found;
}

std::string ArchiveName(const std::string& ledger, LocalDate start, int attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "ahorros-%04d-%02d-%02d", start.year, start.month, start.day);
    std::string path = FolderOf(ledger) + name;
    if (attempt > 1) path += "-" + std::to_string(attempt);
    return path + ".log";
}

// A ledger already beside the program stays there (a folder of that name counts too), and so
// does a new one when the program's folder takes files: a portable folder or a build keeps its
// data with it. A program installed for the whole system keeps each user's data at home. This
// is where the ledger belongs as the folders are now.
std::string PlaceLedger() {
    const std::string folder = ExecutableFolder();
    const std::string beside = folder + LEDGER_FILE_NAME;
    if (PathHasAttributes(beside) || FolderTakesNewFiles(folder)) return beside;
    const std::string dataHome = UserDataHome();
    if (dataHome.empty()) return beside;
    return dataHome + LEDGER_FOLDER_NAME + "/" + LEDGER_FILE_NAME;
}

}  // namespace

std::string LedgerPath() {
    return ledger.path.empty() ? PlaceLedger() : ledger.path;
}

void FixLedgerPlace() {
    if (ledger.path.empty()) ledger.path = PlaceLedger();
}

int MakeLedgerFolder() {
    int error = 0;
    return MakeFolders(FolderOf(LedgerPath()), &error) ? 0 : error;
}

int ArchiveLedger(std::string* archived) {
    const std::string ledger = LedgerPath();
    if (!PathHasAttributes(ledger)) return 0;
    LocalDate start{};
    if (!PeriodStartInLedger(ledger, &start) && !FileModifiedDate(ledger, &start)) return EIO;
    int error = EEXIST;
    for (int attempt = 1; attempt <= MAX_ARCHIVE_SUFFIX && error == EEXIST; ++attempt) {
        const std::string target = ArchiveName(ledger, start, attempt);
        if (RenameWithoutReplacing(ledger, target, &error)) {
            if (archived != nullptr) *archived = target;
            return 0;
        }
    }
    return error;
}
