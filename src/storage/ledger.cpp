// The ledger file "ahorros.log": the period's days saved as 77-byte records in one crash-safe
// step, and loaded back into the grid cells the records name.
#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "storage/storage.h"

// Records go to disk exactly as they lie in memory, which is the file's byte order only here.
static_assert(std::endian::native == std::endian::little);

LedgerState ledger;

namespace {

// Copies the sixteen fields one by one. The text keeps at most 10 characters, and every byte
// after its terminator is zero, so equal days always give equal bytes.
void CopyDayFields(const DayRecord& from, DayRecord& to) {
    char text[sizeof to.spentText] = {};
    for (size_t i = 0; i + 1 < sizeof text && from.spentText[i] != '\0'; ++i) {
        text[i] = from.spentText[i];
    }
    to.spent = from.spent;
    to.balance = from.balance;
    std::memcpy(to.spentText, text, sizeof text);
    to.allowance = from.allowance;
    to.weekday = from.weekday;
    to.dayOfMonth = from.dayOfMonth;
    to.cellLeft = from.cellLeft;
    to.cellTop = from.cellTop;
    to.cellRight = from.cellRight;
    to.cellBottom = from.cellBottom;
    to.column = from.column;
    to.row = from.row;
    to.inPeriod = from.inPeriod;
    to.periodStartDay = from.periodStartDay;
    to.periodMonth = from.periodMonth;
    to.periodYear = from.periodYear;
}

// Another program may have written amounts that are no numbers (NaN, infinities); they are read
// as 0. False when one was.
bool KeepFiniteAmounts(DayRecord& day) {
    const bool finite =
        std::isfinite(day.spent) && std::isfinite(day.balance) && std::isfinite(day.allowance);
    if (!std::isfinite(day.spent)) day.spent = 0;
    if (!std::isfinite(day.balance)) day.balance = 0;
    if (!std::isfinite(day.allowance)) day.allowance = 0;
    return finite;
}

}  // namespace

void AppendLedgerRecord(const DayRecord& day, std::string& content) {
    CopyDayFields(day, ledger.ledgerRecord);
    content.append(reinterpret_cast<const char*>(&ledger.ledgerRecord), DAY_RECORD_SIZE);
}

void RemoveSaveLeftovers(const std::string& otherFileName) {
    const std::string path = LedgerPath();
    const std::string target = FollowLinks(path);
    RemoveReplacementLeftovers(FolderOf(path), LEDGER_FILE_NAME);
    RemoveReplacementLeftovers(FolderOf(path), otherFileName);
    if (target != path) RemoveReplacementLeftovers(FolderOf(target), NameOf(target));
}

int SaveLedger() {
    if (ledger.lockedOut) return FILE_ERROR_PERMISSION;
    std::string content;
    content.reserve(GRID_CELLS * DAY_RECORD_SIZE);
    for (int row = 1; row <= GRID_ROWS; ++row) {
        for (int column = 1; column <= GRID_COLUMNS; ++column) {
            if (DayAt(column, row).inPeriod != 0) AppendLedgerRecord(DayAt(column, row), content);
        }
    }
    const std::string path = LedgerPath();
    // The folder may have gone since start-up: it is made again, never swapped for another.
    if (const int error = MakeLedgerFolder(); error != 0)
        return FileErrorNumber(ReplaceResult{error, true, false});
    const FileIdentity found = IdentifyFile(path);
    const bool ours = found.exists && found.regular && SameFile(found, ledger.owned);
    if (found.exists && found.regular && !ours) {
        const int error = SetFileAside(FollowLinks(path), SET_ASIDE_LABEL, nullptr);
        if (error != 0) return FileErrorNumber(ReplaceResult{error, false, false});
    }
    const ReplaceResult result = ReplaceFileContents(path, content.data(), content.size(), ours);
    if (result.replaced) ledger.owned = IdentifyFile(path);
    return FileErrorNumber(result);
}

// Stray temporary files that a killed save may leave beside the ledger are never opened here:
// only the ledger's own name is read. Big blocks keep a huge file from stalling the start.
void LoadLedger() {
    ledger.owned = FileIdentity{};
    int error = 0;
    int handle = OpenRecordFile(LedgerPath(), false, false, &error);
    if (handle < 0) return;
    ledger.owned = IdentifyOpenFile(handle);
    const long long size = RecordFileSize(handle, &error);
    const long long count = size > 0 ? size / static_cast<long long>(DAY_RECORD_SIZE) : 0;
    std::vector<char> block(static_cast<size_t>(std::min(count, LOAD_BLOCK_RECORDS)) *
                            DAY_RECORD_SIZE);
    const long long recordSize = static_cast<long long>(DAY_RECORD_SIZE);
    bool faithful = true;
    for (long long first = 0; first < count; first += LOAD_BLOCK_RECORDS) {
        const long long records = std::min(LOAD_BLOCK_RECORDS, count - first);
        const size_t bytes = static_cast<size_t>(records) * DAY_RECORD_SIZE;
        // A hole in the file reads as zero records, which name no cell: a block that lies wholly
        // in one is passed over without reading it.
        if (NextDataOffset(handle, first * recordSize) >= (first + records) * recordSize) continue;
        if (!ReadAt(handle, first * recordSize, block.data(), bytes, &error)) break;
        // Only records that name a cell pass through the record buffer: a huge file is mostly
        // records that do not.
        for (size_t at = 0; at < bytes; at += DAY_RECORD_SIZE) {
            int32_t column = 0;
            int32_t row = 0;
            std::memcpy(&column, block.data() + at + offsetof(DayRecord, column), sizeof column);
            std::memcpy(&row, block.data() + at + offsetof(DayRecord, row), sizeof row);
            if (!IsGridPosition(column, row)) continue;
            std::memcpy(&ledger.ledgerRecord, block.data() + at, DAY_RECORD_SIZE);
            DayRecord& day = DayAt(column, row);
            CopyDayFields(ledger.ledgerRecord, day);
            if (!KeepFiniteAmounts(day)) faithful = false;
        }
    }
    CloseRecordFile(handle);
    // What is shown is not what the file holds: the file is kept aside before a save.
    if (!faithful) ForgetLoadedLedger();
}

void ForgetLoadedLedger() {
    ledger.owned = FileIdentity{};
}

void ResetLedgerState() {
    ForgetLoadedLedger();
    ledger.ledgerRecord = DayRecord{};
    ledger.path.clear();
}

int FileErrorNumber(const ReplaceResult& result) {
    if (result.error == 0) return 0;
    if (result.openFailed) return FILE_ERROR_BAD_NAME;
    switch (result.error) {
        case ENOSPC:
        case EFBIG:
        case EDQUOT:
            return FILE_ERROR_DISK_FULL;
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
        case EAGAIN:  // a lock held by another program
#if EWOULDBLOCK != EAGAIN
        case EWOULDBLOCK:
#endif
            return FILE_ERROR_PERMISSION;
        case ENODEV:
        case ENXIO:
        case ENOMEDIUM:
            return FILE_ERROR_NOT_READY;
        case EIO:
            return FILE_ERROR_MEDIA;
        default:
            return FILE_ERROR_ACCESS;
    }
}

const char* FileErrorDescription(int number) {
    switch (number) {
        case FILE_ERROR_BAD_NAME:
            return "Bad file name or number";
        case FILE_ERROR_DISK_FULL:
            return "Disk full";
        case FILE_ERROR_PERMISSION:
            return "Permission denied";
        case FILE_ERROR_NOT_READY:
            return "Disk not ready";
        case FILE_ERROR_MEDIA:
            return "Disk media error";
        case FILE_ERROR_ACCESS:
            return "Path/file access error";
        default:
            return "";
    }
}

std::string FileErrorBanner(int number) {
    std::string text = "Err: ";
    text += ' ';
    text += std::to_string(number);
    text += ' ';
    text += FileErrorDescription(number);
    return text;
}
