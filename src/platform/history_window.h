// SPDX-License-Identifier: GPL-3.0-or-later
// The history window behind plain declarations: a table of the periods with a chart of their
// spending above it and a button that saves them as CSV. It is given its rows, texts and chart
// ready to show, and tells what the user does, one event at a time.
#pragma once

#include <memory>
#include <string>
#include <vector>

// The texts the window shows whatever its rows.
struct HistoryTexts {
    std::string title;
    std::vector<std::string> columns;
    std::string saveButton;
    std::string saveDialogTitle;
    std::string saveName;                    // the file the dialog offers, in the working folder
    std::string saveFilter;                  // the file dialog's filter, as "CSV (*.csv)"
    std::string chartName;                   // what a screen reader calls the chart
    std::string periodsTitle;                // over the bars of every period
    std::vector<std::string> periodsLegend;  // allowance, spent, spent over the allowance
    std::vector<std::string> daysLegend;     // spent, spent on a day below zero, daily allowance
};

// One day's bar of the selected period.
struct ChartDay {
    double spent = 0;
    double allowance = 0;
    bool belowZero = false;
};

// One period's bars in the chart of every period.
struct ChartPeriod {
    double allowance = 0;
    double spent = 0;
};

struct HistoryRow {
    // The columns' texts; a file that gives no period has two: its name and why.
    std::vector<std::string> cells;
    int redCell = -1;  // the cell shown in red (what is left, below zero); -1 for none
    std::string tip;   // the file the row comes from
    // The period's own chart: its days, the scale's top with its text, its title and the
    // words that tell it; no days for a file that gives no period.
    std::vector<ChartDay> days;
    double daysTop = 0;
    std::string daysTopText;
    std::string daysTitle;
    std::string words;
    int bar = -1;  // the period's place among the chart's periods, -1 for none
};

struct HistoryView {
    std::vector<HistoryRow> rows;      // newest first
    std::string note;                  // shown instead of the rows when there are none
    std::vector<ChartPeriod> periods;  // oldest first
    double periodsTop = 0;
    std::string periodsTopText;
    std::string firstPeriod;  // the dates under the chart's ends
    std::string lastPeriod;
    std::string words;  // the chart of every period told in words
};

// What the window tells the program.
class HistoryEvents {
public:
    // Enter or a double click on a row; `row` counts the rows given from 0.
    virtual void RowChosen(int row) = 0;
    // A file named in the save dialog, to write the CSV to.
    virtual void SaveCsvTo(const std::string& path) = 0;
    // The window was closed (Escape, its close button).
    virtual void Closed() = 0;

protected:
    ~HistoryEvents() = default;
};

class HistoryWindow {
public:
    HistoryWindow(HistoryEvents& events, const HistoryTexts& texts);
    ~HistoryWindow();
    HistoryWindow(const HistoryWindow&) = delete;
    HistoryWindow& operator=(const HistoryWindow&) = delete;

    // Shows `view` and brings the window to the front with the keyboard in the table; the row
    // of the file selected before stays selected, else the first row is.
    void Show(const HistoryView& view);
    bool Shown() const;
    // A message over the window, waited for.
    void Tell(const std::string& message);
    // Runs until the window is closed.
    void RunUntilClosed();

    struct Widgets;
    Widgets& Ui() { return *widgets_; }

private:
    std::unique_ptr<Widgets> widgets_;
};
