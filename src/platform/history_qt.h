// SPDX-License-Identifier: GPL-3.0-or-later
// What the Qt side keeps behind the history window's plain interface. Included by the
// platform's own files and by tests and benchmarks that look at the real widgets.
#pragma once

#include "platform/history_window.h"

class QEventLoop;
class QPushButton;
class QTableWidget;
class QWidget;

struct HistoryWindow::Widgets {
    HistoryTexts texts;
    HistoryView view;
    QWidget* main = nullptr;  // the top-level window
    QWidget* chart = nullptr;
    QTableWidget* table = nullptr;
    QPushButton* save = nullptr;
    QEventLoop* loop = nullptr;  // while RunUntilClosed runs
};
