// SPDX-License-Identifier: GPL-3.0-or-later
// The history window on Qt widgets: a chart painted with QPainter above the table of the
// periods, and the button that saves them as CSV. The chart needs no library beyond the widgets
// the main window already loads, and nothing of it is made before the window is first shown.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "platform/history_qt.h"

namespace {

constexpr int WINDOW_WIDTH = 900;
constexpr int WINDOW_HEIGHT = 640;
constexpr int CHART_MIN_HEIGHT = 230;
constexpr int CHART_STRETCH = 2;
constexpr int TABLE_STRETCH = 3;
constexpr int CHART_MARGIN = 8;
constexpr int PANEL_GAP = 28;
constexpr double PERIODS_SHARE =
    0.55;  // of the chart's width; the selected period's days get the rest
constexpr int TITLE_HEIGHT = 22;
constexpr int SCALE_HEIGHT = 16;  // the scale's top amount, above the bars
constexpr int LABEL_HEIGHT = 18;  // the dates under the axis
constexpr int LEGEND_HEIGHT = 18;
constexpr int SWATCH = 10;
constexpr int SWATCH_GAP = 4;
constexpr int LEGEND_GAP = 14;
constexpr int SCALE_TEXT_INDENT = 2;
constexpr double ALLOWANCE_BAR_SHARE = 0.8;  // of a period's slot
constexpr double SPENT_BAR_SHARE = 0.45;
constexpr double DAY_BAR_SHARE = 0.7;  // of a day's slot
constexpr double MIN_BAR_WIDTH = 1;
constexpr int ALLOWANCE_LINE_WIDTH = 2;
constexpr const char* CHART_PROPERTY = "monedarioHistoryChart";
constexpr const char* CSV_SUFFIX = "csv";

constexpr QRgb ALLOWANCE_COLOUR = qRgb(184, 199, 224);
constexpr QRgb SPENT_COLOUR = qRgb(42, 92, 170);
constexpr QRgb OVER_COLOUR = qRgb(255, 0, 0);  // the calendar's red for a day below zero
constexpr QRgb SELECTED_COLOUR = qRgb(255, 238, 170);
constexpr QRgb LINE_COLOUR = qRgb(230, 130, 0);
constexpr QRgb AXIS_COLOUR = qRgb(128, 128, 128);

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// A panel of the chart: its title on top with the scale's top amount under it, the legend at the
// bottom, the dates under the axis above the legend and the bars between.
struct Panel {
    QRect title;
    QRect scale;
    QRect plot;
    QRect labels;
    QRect legend;
};

Panel LayOutPanel(const QRect& area) {
    Panel p;
    p.title = QRect(area.left(), area.top(), area.width(), TITLE_HEIGHT);
    p.scale = QRect(area.left(), p.title.bottom() + 1, area.width(), SCALE_HEIGHT);
    p.legend = QRect(area.left(), area.bottom() + 1 - LEGEND_HEIGHT, area.width(), LEGEND_HEIGHT);
    p.labels = QRect(area.left(), p.legend.top() - LABEL_HEIGHT, area.width(), LABEL_HEIGHT);
    p.plot =
        QRect(QPoint(area.left(), p.scale.bottom() + 1), QPoint(area.right(), p.labels.top() - 1));
    return p;
}

// A bar of `value` on a scale up to `top`, centred in its slot.
QRectF Bar(const QRect& plot, double slotLeft, double slot, double share, double value,
           double top) {
    const double height = top > 0 ? std::clamp(value / top, 0.0, 1.0) * plot.height() : 0;
    const double width = std::max(MIN_BAR_WIDTH, slot * share);
    return QRectF(slotLeft + (slot - width) / 2, plot.bottom() + 1 - height, width, height);
}

double LevelY(const QRect& plot, double value, double top) {
    return plot.bottom() + 1 - (top > 0 ? std::clamp(value / top, 0.0, 1.0) * plot.height() : 0);
}

// The title, the axis, and the scale's top as a dotted line with its amount.
void PaintFrame(QPainter& painter, const Panel& panel, const std::string& title,
                const std::string& topText) {
    QFont bold = painter.font();
    bold.setBold(true);
    painter.save();
    painter.setFont(bold);
    painter.drawText(panel.title, Qt::AlignLeft | Qt::AlignVCenter, Text(title));
    painter.restore();
    painter.setPen(QColor(AXIS_COLOUR));
    painter.drawLine(panel.plot.bottomLeft(), panel.plot.bottomRight());
    if (topText.empty()) return;
    painter.setPen(QPen(QColor(AXIS_COLOUR), 1, Qt::DotLine));
    painter.drawLine(panel.plot.topLeft(), panel.plot.topRight());
    painter.drawText(panel.scale.adjusted(SCALE_TEXT_INDENT, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignBottom, Text(topText));
}

void PaintLegend(QPainter& painter, const QRect& legend, const std::vector<std::string>& texts,
                 const std::vector<QRgb>& colours) {
    int x = legend.left();
    const QFontMetrics metrics = painter.fontMetrics();
    for (size_t i = 0; i < texts.size() && i < colours.size(); ++i) {
        painter.fillRect(QRect(x, legend.center().y() - SWATCH / 2, SWATCH, SWATCH),
                         QColor(colours[i]));
        x += SWATCH + SWATCH_GAP;
        const QString text = Text(texts[i]);
        painter.setPen(QApplication::palette().color(QPalette::WindowText));
        painter.drawText(QRect(x, legend.top(), metrics.horizontalAdvance(text), legend.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
        x += metrics.horizontalAdvance(text) + LEGEND_GAP;
    }
}

void PaintEnds(QPainter& painter, const QRect& labels, const std::string& first,
               const std::string& last) {
    painter.setPen(QApplication::palette().color(QPalette::WindowText));
    painter.drawText(labels, Qt::AlignLeft | Qt::AlignVCenter, Text(first));
    painter.drawText(labels, Qt::AlignRight | Qt::AlignVCenter, Text(last));
}

// The chart: every period's allowance and spending in date order, the selected one marked, and
// the selected period's spending day by day with its daily allowance as a line.
class HistoryChart : public QWidget {
public:
    HistoryChart(const HistoryWindow::Widgets& widgets, QWidget* parent)
        : QWidget(parent), w_(widgets) {
        setMinimumHeight(CHART_MIN_HEIGHT);
        setFocusPolicy(Qt::TabFocus);
        setProperty(CHART_PROPERTY, true);
    }

    void Select(int row) {
        row_ = row;
        const HistoryRow* selected = Row();
        setAccessibleDescription(
            Text(w_.view.words +
                 (selected && !selected->words.empty() ? " " + selected->words : std::string())));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area =
            rect().adjusted(CHART_MARGIN, CHART_MARGIN, -CHART_MARGIN, -CHART_MARGIN);
        const int periodsWidth = static_cast<int>((area.width() - PANEL_GAP) * PERIODS_SHARE);
        PaintPeriods(painter,
                     LayOutPanel(QRect(area.left(), area.top(), periodsWidth, area.height())));
        const int daysLeft = area.left() + periodsWidth + PANEL_GAP;
        PaintDays(painter, LayOutPanel(QRect(daysLeft, area.top(), area.right() + 1 - daysLeft,
                                             area.height())));
        if (hasFocus()) {
            painter.setPen(
                QPen(QApplication::palette().color(QPalette::WindowText), 1, Qt::DotLine));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }

private:
    const HistoryRow* Row() const {
        return row_ >= 0 && row_ < static_cast<int>(w_.view.rows.size()) ? &w_.view.rows[row_]
                                                                         : nullptr;
    }

    void PaintPeriods(QPainter& painter, const Panel& panel) const {
        const HistoryView& view = w_.view;
        PaintFrame(painter, panel, w_.texts.periodsTitle, view.periodsTopText);
        const double slot =
            view.periods.empty() ? 0 : double(panel.plot.width()) / view.periods.size();
        const int selected = Row() ? Row()->bar : -1;
        for (size_t i = 0; i < view.periods.size(); ++i) {
            const ChartPeriod& period = view.periods[i];
            const double left = panel.plot.left() + i * slot;
            if (static_cast<int>(i) == selected)
                painter.fillRect(QRectF(left, panel.plot.top(), slot, panel.plot.height()),
                                 QColor(SELECTED_COLOUR));
            painter.fillRect(
                Bar(panel.plot, left, slot, ALLOWANCE_BAR_SHARE, period.allowance, view.periodsTop),
                QColor(ALLOWANCE_COLOUR));
            painter.fillRect(
                Bar(panel.plot, left, slot, SPENT_BAR_SHARE, period.spent, view.periodsTop),
                QColor(period.spent > period.allowance ? OVER_COLOUR : SPENT_COLOUR));
        }
        PaintEnds(painter, panel.labels, view.firstPeriod, view.lastPeriod);
        PaintLegend(painter, panel.legend, w_.texts.periodsLegend,
                    {ALLOWANCE_COLOUR, SPENT_COLOUR, OVER_COLOUR});
    }

    void PaintDays(QPainter& painter, const Panel& panel) const {
        const HistoryRow* row = Row();
        PaintFrame(painter, panel, row ? row->daysTitle : std::string(),
                   row ? row->daysTopText : std::string());
        PaintLegend(painter, panel.legend, w_.texts.daysLegend,
                    {SPENT_COLOUR, OVER_COLOUR, LINE_COLOUR});
        if (!row || row->days.empty()) return;
        const double slot = double(panel.plot.width()) / row->days.size();
        painter.setPen(QPen(QColor(LINE_COLOUR), ALLOWANCE_LINE_WIDTH));
        for (size_t i = 0; i < row->days.size(); ++i) {
            const ChartDay& day = row->days[i];
            const double left = panel.plot.left() + i * slot;
            painter.fillRect(Bar(panel.plot, left, slot, DAY_BAR_SHARE, day.spent, row->daysTop),
                             QColor(day.belowZero ? OVER_COLOUR : SPENT_COLOUR));
            const double y = LevelY(panel.plot, day.allowance, row->daysTop);
            painter.drawLine(QPointF(left, y), QPointF(left + slot, y));
        }
    }

    const HistoryWindow::Widgets& w_;
    int row_ = -1;
};

// The chart is a chart to a screen reader, named and described in words.
QAccessibleInterface* ChartAccessible(const QString& key, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (key != QLatin1String("QWidget") || !widget || !widget->property(CHART_PROPERTY).isValid())
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Chart);
}

// The top-level window: Escape closes it, and closing it is told.
class HistoryTop : public QWidget {
public:
    HistoryTop(HistoryEvents& events, HistoryWindow::Widgets& widgets)
        : QWidget(nullptr, Qt::Window), events_(events), w_(widgets) {}

protected:
    void closeEvent(QCloseEvent* e) override {
        QWidget::closeEvent(e);
        events_.Closed();
        if (w_.loop) w_.loop->exit(0);
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
            close();
            return;
        }
        QWidget::keyPressEvent(e);
    }

private:
    HistoryEvents& events_;
    HistoryWindow::Widgets& w_;
};

QTableWidgetItem* MakeItem(const std::string& text, const std::string& tip, bool number) {
    auto* item = new QTableWidgetItem(Text(text));
    item->setToolTip(Text(tip));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    return item;
}

// A period's row has a cell per column, the first one its dates and the others figures; a file
// that gives no period has its name and, across the other columns, why.
void PutRow(QTableWidget* table, int r, const HistoryRow& row) {
    const int cells = static_cast<int>(row.cells.size());
    const bool figures = cells == table->columnCount();
    for (int c = 0; c < cells; ++c)
        table->setItem(r, c, MakeItem(row.cells[c], row.tip, figures && c > 0));
    if (!figures && cells > 0) table->setSpan(r, cells - 1, 1, table->columnCount() - cells + 1);
    if (row.redCell >= 0 && row.redCell < cells)
        table->item(r, row.redCell)->setForeground(QColor(OVER_COLOUR));
}

void FillTable(HistoryWindow::Widgets& w) {
    QTableWidget* table = w.table;
    table->clearSpans();
    table->clearContents();
    table->setRowCount(w.view.rows.empty() ? 1 : static_cast<int>(w.view.rows.size()));
    for (size_t r = 0; r < w.view.rows.size(); ++r)
        PutRow(table, static_cast<int>(r), w.view.rows[r]);
    if (!w.view.rows.empty()) return;
    auto* note = MakeItem(w.view.note, std::string(), false);
    note->setFlags(Qt::ItemIsEnabled);
    table->setItem(0, 0, note);
    table->setSpan(0, 0, 1, table->columnCount());
}

int RowOfTip(const HistoryView& view, const std::string& tip) {
    for (size_t r = 0; r < view.rows.size(); ++r)
        if (view.rows[r].tip == tip) return static_cast<int>(r);
    return 0;
}

std::string SelectedTip(const HistoryWindow::Widgets& w) {
    const int row = w.table->currentRow();
    return row >= 0 && row < static_cast<int>(w.view.rows.size()) ? w.view.rows[row].tip
                                                                  : std::string();
}

QTableWidget* MakeTable(HistoryWindow::Widgets& w, HistoryEvents& events) {
    auto* table = new QTableWidget(0, static_cast<int>(w.texts.columns.size()), w.main);
    QStringList headers;
    for (const std::string& column : w.texts.columns) headers << Text(column);
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setTabKeyNavigation(false);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    QObject::connect(table, &QTableWidget::activated, table, [&w, &events](const QModelIndex& at) {
        if (at.row() < static_cast<int>(w.view.rows.size())) events.RowChosen(at.row());
    });
    QObject::connect(table, &QTableWidget::currentCellChanged, table,
                     [&w](int row) { static_cast<HistoryChart*>(w.chart)->Select(row); });
    return table;
}

// The standard dialog for the file, offering the name given in the working folder; empty when
// it is cancelled.
std::string AskSavePath(const HistoryWindow::Widgets& w) {
    QFileDialog dialog(w.main, Text(w.texts.saveDialogTitle),
                       QDir::current().filePath(Text(w.texts.saveName)), Text(w.texts.saveFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromLatin1(CSV_SUFFIX));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

}  // namespace

HistoryWindow::HistoryWindow(HistoryEvents& events, const HistoryTexts& texts)
    : widgets_(std::make_unique<Widgets>()) {
    Widgets& w = *widgets_;
    w.texts = texts;
    w.main = new HistoryTop(events, w);
    w.main->setWindowTitle(Text(texts.title));
    w.main->resize(WINDOW_WIDTH, WINDOW_HEIGHT);
    QAccessible::installFactory(ChartAccessible);
    w.chart = new HistoryChart(w, w.main);
    w.chart->setAccessibleName(Text(texts.chartName));
    w.table = MakeTable(w, events);
    w.save = new QPushButton(Text(texts.saveButton), w.main);
    QObject::connect(w.save, &QPushButton::clicked, w.save, [&w, &events] {
        const std::string path = AskSavePath(w);
        if (!path.empty()) events.SaveCsvTo(path);
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(w.save);
    auto* layout = new QVBoxLayout(w.main);
    layout->addWidget(w.chart, CHART_STRETCH);
    layout->addWidget(w.table, TABLE_STRETCH);
    layout->addLayout(buttons);
}

HistoryWindow::~HistoryWindow() {
    delete widgets_->main;
}

void HistoryWindow::Show(const HistoryView& view) {
    Widgets& w = *widgets_;
    const std::string selected = SelectedTip(w);
    w.view = view;
    FillTable(w);
    const int row = RowOfTip(w.view, selected);
    w.table->setCurrentCell(row, 0);
    static_cast<HistoryChart*>(w.chart)->Select(row);
    w.main->show();
    w.main->raise();
    w.main->activateWindow();
    w.table->setFocus(Qt::OtherFocusReason);
}

bool HistoryWindow::Shown() const {
    return widgets_->main->isVisible();
}

void HistoryWindow::Tell(const std::string& message) {
    Widgets& w = *widgets_;
    QMessageBox box(QMessageBox::Warning, Text(w.texts.title), Text(message), QMessageBox::Ok,
                    w.main);
    box.exec();
}

void HistoryWindow::RunUntilClosed() {
    Widgets& w = *widgets_;
    if (!w.main->isVisible()) return;
    QEventLoop loop;
    w.loop = &loop;
    loop.exec();
    w.loop = nullptr;
}
