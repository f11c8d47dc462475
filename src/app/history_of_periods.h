// SPDX-License-Identifier: GPL-3.0-or-later
// The history of every period in the ledger's folder, in a window of its own: a table and a
// chart, any period opened from it in a read-only window, all of them saved as CSV. Nothing is
// read or made before it is first shown, and nothing in the folder is written, renamed or locked.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/period_files.h"
#include "platform/history_window.h"
#include "storage/period_folder.h"

class HistoryOfPeriods final : public HistoryEvents {
public:
    // The history of the folder of the ledger at `ledgerPath`; read-only windows are drawn in
    // `fonts` and read today's date from `clock`.
    HistoryOfPeriods(Fonts& fonts, std::string ledgerPath, const Clock& clock);
    ~HistoryOfPeriods();
    HistoryOfPeriods(const HistoryOfPeriods&) = delete;
    HistoryOfPeriods& operator=(const HistoryOfPeriods&) = delete;

    // Reads the folder anew, so that the current period shows as last saved, and shows the
    // window or brings it to the front.
    void Show();
    // Runs until the window is closed, for the history on its own.
    void Exec();

    // Enter or a double click opens the row's period read-only, one window per file.
    void RowChosen(int row) override;
    void SaveCsvTo(const std::string& path) override;
    // The read-only windows opened from the history close with it.
    void Closed() override;

    // What it shows: the window once made, the history it read and the read-only windows open.
    HistoryWindow* Window() { return window_.get(); }
    const PeriodFolder& Read() const { return periods_; }
    std::vector<Program*> ReadOnlyWindows();

private:
    // Drops the read-only windows that were closed, and the one of `path`.
    void DropViewers(const std::string& path);
    bool InLedgerFolder(const std::string& path) const;

    Fonts& fonts_;
    std::string ledgerPath_;
    const Clock& clock_;
    PeriodFolder periods_;
    std::unique_ptr<HistoryWindow> window_;
    std::vector<std::unique_ptr<ReadOnlyPeriod>> viewers_;
};
