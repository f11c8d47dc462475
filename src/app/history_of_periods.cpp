// SPDX-License-Identifier: GPL-3.0-or-later
// The history window's glue: the folder read into rows, a row opened read-only, the CSV saved.
#include "app/history_of_periods.h"

#include <algorithm>
#include <iterator>

#include "app/texts.h"
#include "view/history_rows.h"

namespace {

template <size_t N>
std::vector<std::string> Texts(const char* const (&texts)[N]) {
    return std::vector<std::string>(std::begin(texts), std::end(texts));
}

HistoryTexts WindowTexts() {
    HistoryTexts texts;
    texts.title = TEXT_HISTORY_TITLE;
    texts.columns = Texts(TEXT_HISTORY_COLUMNS);
    texts.saveButton = TEXT_HISTORY_SAVE;
    texts.saveDialogTitle = TEXT_HISTORY_SAVE_TITLE;
    texts.saveName = TEXT_HISTORY_SAVE_NAME;
    texts.saveFilter = TEXT_HISTORY_SAVE_FILTER;
    texts.chartName = TEXT_HISTORY_CHART;
    texts.periodsTitle = TEXT_HISTORY_PERIODS;
    texts.periodsLegend = Texts(TEXT_HISTORY_PERIODS_LEGEND);
    texts.daysLegend = Texts(TEXT_HISTORY_DAYS_LEGEND);
    return texts;
}

}  // namespace

HistoryOfPeriods::HistoryOfPeriods(Fonts& fonts, std::string ledgerPath, const Clock& clock)
    : fonts_(fonts), ledgerPath_(std::move(ledgerPath)), clock_(clock) {}

HistoryOfPeriods::~HistoryOfPeriods() = default;

void HistoryOfPeriods::Show() {
    periods_ = ReadPeriodFolder(ledgerPath_);
    if (!window_) window_ = std::make_unique<HistoryWindow>(*this, WindowTexts());
    window_->Show(MakeHistoryView(periods_));
}

void HistoryOfPeriods::Exec() {
    if (window_) window_->RunUntilClosed();
}

void HistoryOfPeriods::RowChosen(int row) {
    if (row < 0 || row >= static_cast<int>(periods_.entries.size())) return;
    const PeriodFile& entry = periods_.entries[row];
    if (!entry.period) return;
    DropViewers(entry.path);
    auto viewer = std::make_unique<ReadOnlyPeriod>(fonts_, entry.path, clock_);
    viewer->program.Window().ShownBesideAnotherLoop();
    PeriodFile now = entry;
    // The file may have changed since the folder was read: the table is read anew.
    if (!viewer->program.Open(&now.error)) {
        window_->Tell(now.name + ": " + FileTrouble(now));
        return Show();
    }
    viewers_.push_back(std::move(viewer));
}

void HistoryOfPeriods::SaveCsvTo(const std::string& path) {
    if (InLedgerFolder(path)) return window_->Tell(TEXT_HISTORY_NOT_IN_FOLDER);
    FileCalls files;
    const ReplaceResult result = ReplaceFileContents(path, HistoryCsv(periods_), false, files);
    if (result.error) window_->Tell(FileErrorBanner(FileErrorOf(result)));
}

void HistoryOfPeriods::Closed() {
    viewers_.clear();
}

std::vector<Program*> HistoryOfPeriods::ReadOnlyWindows() {
    std::vector<Program*> open;
    for (const auto& viewer : viewers_)
        if (!viewer->program.Window().Ended()) open.push_back(&viewer->program);
    return open;
}

void HistoryOfPeriods::DropViewers(const std::string& path) {
    std::erase_if(viewers_, [&path](const std::unique_ptr<ReadOnlyPeriod>& viewer) {
        return viewer->program.Window().Ended() || viewer->ledger.Path() == path;
    });
}

// Wherever a link leads, the folder the file would land in is compared with the ledger's.
bool HistoryOfPeriods::InLedgerFolder(const std::string& path) const {
    const FileIdentity target = IdentifyFile(FolderOf(FollowLinks(path)));
    const FileIdentity folder = IdentifyFile(periods_.folder);
    return target.exists && folder.exists && target.device == folder.device &&
           target.inode == folder.inode;
}
