// The ledger file "ahorros.log": the period's days saved as 77-byte records in one crash-safe
// step, and loaded back into the grid cells the records name.
#include <bit>
#include <cerrno>
#include <cstring>
#include <string>

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

}  // namespace

void AppendLedgerRecord(const DayRecord& day, std::string& content) {
    CopyDayFields(day, ledger.ledgerRecord);
    content.append(reinterpret_cast<const char*>(&ledger.ledgerRecord), DAY_RECORD_SIZE);
}

int SaveLedger() {
    MakeLedgerFolder();
    std::string content;
    content.reserve(GRID_CELLS * DAY_RECORD_SIZE);
    for (int row = 1; row <= GRID_ROWS; ++row) {
        for (int column = 1; column <= GRID_COLUMNS; ++column) {
            if (DayAt(column, row).inPeriod != 0) AppendLedgerRecord(DayAt(column, row), content);
        }
    }
    return FileErrorNumber(ReplaceFileContents(LedgerPath(), content.data(), content.size()));
}

// Stray temporary files that a killed save may leave beside the ledger are never opened here:
// only the ledger's own name is read.
void LoadLedger() {
    int error = 0;
    int handle = OpenRecordFile(LedgerPath(), false, false, &error);
    if (handle < 0) return;
    long long size = RecordFileSize(handle, &error);
    long long count = size > 0 ? size / static_cast<long long>(DAY_RECORD_SIZE) : 0;
    for (long long k = 0; k < count; ++k) {
        long long offset = k * static_cast<long long>(DAY_RECORD_SIZE);
        if (!ReadAt(handle, offset, &ledger.ledgerRecord, DAY_RECORD_SIZE, &error)) break;
        int column = ledger.ledgerRecord.column;
        int row = ledger.ledgerRecord.row;
        if (IsGridPosition(column, row)) CopyDayFields(ledger.ledgerRecord, DayAt(column, row));
    }
    CloseRecordFile(handle);
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
