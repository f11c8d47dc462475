// Fuzz target for the ledger loader: whatever the file holds, loading it into a zeroed grid may
// only fill the cells its complete records name, and must leave the file itself alone.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "model/model.h"
#include "platform/platform.h"
#include "platform/testing.h"
#include "storage/storage.h"

struct FuzzState {
    std::string folder;
    std::string ledgerPath;
    DayRecord expected[GRID_CELLS];
};
FuzzState fuzz;

static void RemoveFuzzFolder() {
    unlink(fuzz.ledgerPath.c_str());
    rmdir(fuzz.folder.c_str());
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/monedario-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) abort();
    fuzz.folder = pattern;
    SetExecutableFolderForTesting(fuzz.folder);
    fuzz.ledgerPath = LedgerPath();
    atexit(RemoveFuzzFolder);
    return 0;
}

// The grid that loading `data` must give, worked out from the file layout alone: each complete
// record naming a cell inside the grid lands there, its text cut at the first zero (10 at most).
static void ComputeExpectedGrid(const uint8_t* data, size_t size) {
    std::memset(fuzz.expected, 0, sizeof fuzz.expected);
    for (size_t at = 0; at + 77 <= size; at += 77) {
        int32_t column;
        int32_t row;
        std::memcpy(&column, data + at + 53, 4);
        std::memcpy(&row, data + at + 57, 4);
        if (column < 1 || column > 7 || row < 1 || row > 6) continue;
        uint8_t* cell = reinterpret_cast<uint8_t*>(&fuzz.expected[(row - 1) * 7 + (column - 1)]);
        std::memcpy(cell, data + at, 77);
        size_t length = 0;
        while (length < 10 && cell[16 + length] != 0) ++length;
        std::memset(cell + 16 + length, 0, 11 - length);
    }
}

static bool WriteLedger(const uint8_t* data, size_t size) {
    int fd = open(fuzz.ledgerPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool whole = size == 0 || write(fd, data, size) == static_cast<ssize_t>(size);
    close(fd);
    return whole;
}

static bool LedgerStillHolds(const uint8_t* data, size_t size) {
    std::string bytes;
    int fd = open(fuzz.ledgerPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char block[4096];
    ssize_t got;
    while ((got = read(fd, block, sizeof block)) > 0) bytes.append(block, static_cast<size_t>(got));
    close(fd);
    return bytes.size() == size && (size == 0 || std::memcmp(bytes.data(), data, size) == 0);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!WriteLedger(data, size)) abort();
    ComputeExpectedGrid(data, size);

    // The start date follows the grid in memory: a record placed past the grid's end hits it.
    CreateDayGrid();
    period.startDay = 0x5A5A;
    period.startMonth = 0x5A5A;
    period.startYear = 0x5A5A;
    LoadLedger();

    if (std::memcmp(period.dayGrid, fuzz.expected, sizeof fuzz.expected) != 0) abort();
    if (period.startDay != 0x5A5A || period.startMonth != 0x5A5A || period.startYear != 0x5A5A) {
        abort();
    }
    if (!LedgerStillHolds(data, size)) abort();
    return 0;
}
