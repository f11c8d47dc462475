// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh program for each test, its window open headless, with "today" fixed and the ledger in a
// fresh temporary folder, and the history of its folder as the program has it. The test uses it
// as a person does, through the menu, clicks on the real surface and keys, and reads back what
// the person, a screen reader or a file sees: the banner, the menu's item states, what the days
// say, the keyboard's mark, the ledger's bytes, the surface's pixels and the history's table.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <typeindex>
#include <vector>

#include "app/history_of_periods.h"
#include "app/program.h"
#include "app/texts.h"
#include "cell_geometry.h"
#include "platform/history_qt.h"
#include "platform/platform_qt.h"
#include "test_files.h"
#include "view/calendar.h"

// The test is the program's clock: `today` is the date it reads, moved as a test needs.
class ProgramTest : public testing::Test, public Clock {
public:
    static constexpr int QUESTION_WAIT_TICKS = 200;  // of 10 ms
    static constexpr Point OFF_THE_GRID{841, 20};    // right of the header, on no cell

    // The folder the ledger lives in, with a trailing "/".
    std::string folder;
    Date today{2024, 3, 17};
    Date Today() const override { return today; }
    Fonts fonts;
    FileCalls files;
    std::unique_ptr<Ledger> ledger;
    std::unique_ptr<Program> program;
    std::unique_ptr<HistoryOfPeriods> periods;

    void SetUp() override {
        folder = MakeTemporaryFolder();
        ASSERT_FALSE(folder.empty());
        folder += "/";
    }
    void TearDown() override {
        Close();
        RemoveFolder(folder);
    }

    // ---- verbs
    // Starts the program with the ledger "ahorros.log" in the test folder; its window comes up
    // with the keyboard.
    void Open(ProgramMode mode = ProgramMode::Editing, const std::string& name = LEDGER_FILE_NAME) {
        ledger = std::make_unique<Ledger>(folder + name, files);
        program = std::make_unique<Program>(fonts, *ledger, files, *this, mode);
        periods = std::make_unique<HistoryOfPeriods>(fonts, ledger->Path(), *this);
        if (mode == ProgramMode::Editing) program->WhenHistoryAsked([this] { periods->Show(); });
        program->Open();
        ASSERT_TRUE(QTest::qWaitForWindowActive(MainWidget()));
        QApplication::processEvents();  // what the program does once its window is active
    }
    // The program ends and its windows go.
    void Close() {
        periods.reset();
        program.reset();
        ledger.reset();
    }
    void Restart() {
        Close();
        Open();
    }
    void Choose(Command command) { ActionOf(command)->trigger(); }
    void NewMonth() { Choose(Command::NewMonth); }
    void Save() { Choose(Command::Save); }
    void ToggleStatistics() { Choose(Command::Statistics); }
    // A surface click in picture coordinates (inside the one-pixel border).
    void Click(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(SurfaceWidget(), button, Qt::NoModifier, QPoint(x + 1, y + 1));
    }
    // Clicks the middle of the cell in `place`, whatever it shows.
    void ClickCell(GridPlace place, Qt::MouseButton button = Qt::LeftButton) {
        Click(CellMiddleX(place.column), CellMiddleY(place.row), button);
    }
    // Clicks the middle of the cell that shows `day` of the month in the calendar on screen.
    void PickDay(int day, Qt::MouseButton button = Qt::LeftButton) {
        const auto place = PlaceOfDay(day);
        if (!place) {
            ADD_FAILURE() << "day " << day << " is not on the calendar";
            return;
        }
        Click(CellMiddleX(place->column), CellMiddleY(place->row), button);
    }
    // Keys go where the keyboard focus is, as a person's do; a letter of another layout is sent
    // with its text.
    void Type(const char* utf8) {
        for (const QChar c : QString::fromUtf8(utf8)) {
            if (c.unicode() < 0x80) {
                QTest::keyClick(FocusedWidget(), static_cast<char>(c.unicode()));
                continue;
            }
            const QByteArray text = QString(c).toUtf8();
            KeyDown(Qt::Key_unknown, text.constData());
            KeyUp(Qt::Key_unknown, text.constData());
        }
    }
    void Enter() { QTest::keyClick(FocusedWidget(), Qt::Key_Return); }
    // A key pressed and released where the keyboard is, with modifiers (Ctrl+Z).
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(FocusedWidget(), key, modifiers);
    }
    // A key pressed and not yet released, and its release.
    void KeyDown(Qt::Key key, const char* text = "") { SendKey(QEvent::KeyPress, key, text); }
    void KeyUp(Qt::Key key, const char* text = "") { SendKey(QEvent::KeyRelease, key, text); }
    // Mes nuevo, the start day, and the month's total entered.
    void BeginPeriod(int startDay, const char* total) {
        NewMonth();
        PickDay(startDay);
        Type(total);
        Enter();
    }
    // The clock moves to `date` and the window's ticker runs, as it does every while.
    void TimePassesTo(Date date) {
        today = date;
        QTimer* ticker = Ui().ticker;
        const int interval = ticker->interval();
        ticker->start(1);
        QTest::qWait(20);
        ticker->start(interval);
    }
    // Another program's window takes the keyboard, and gives it back.
    void FocusAway() {
        other_ = std::make_unique<QWidget>();
        other_->show();
        other_->activateWindow();
        QApplication::processEvents();
    }
    void FocusBack() {
        MainWidget()->activateWindow();
        QApplication::processEvents();
    }
    // Clicks a title of the menu bar; the menu opens.
    void OpenMenu(const char* title) {
        QMenuBar* bar = Ui().menuBar;
        for (QAction* menu : bar->actions())
            if (menu->text() == QString::fromUtf8(title))
                QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier,
                                  bar->actionGeometry(menu).center());
        QApplication::processEvents();
    }
    // Escape in the open menu closes it.
    void EscapeMenu() {
        if (QWidget* menu = QApplication::activePopupWidget())
            QTest::keyClick(menu, Qt::Key_Escape);
        QApplication::processEvents();
    }
    void Undo() { Press(Qt::Key_Z, Qt::ControlModifier); }
    void Redo() { Press(Qt::Key_Y, Qt::ControlModifier); }
    // Opens a day's menu with the right button.
    void OpenDayMenu(int day) { PickDay(day, Qt::RightButton); }
    // Chooses the item of the menu popped up over the surface whose text is `item`.
    void ChoosePopupItem(const char* item) {
        QMenu* menu = PopupMenu();
        if (!menu) return ADD_FAILURE() << "no menu is open";
        for (QAction* action : menu->actions())
            if (action->text() == QString::fromUtf8(item)) {
                menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
                QApplication::processEvents();
                return;
            }
        ADD_FAILURE() << "no item " << item;
    }

    // The next question the program asks is answered with the button `answer`, or with Escape
    // (ESCAPE_KEY) or the dialog's close box (CLOSE_BOX); what it asked is kept in `question`.
    static constexpr const char* ESCAPE_KEY = "<Escape>";
    static constexpr const char* CLOSE_BOX = "<close box>";
    void AnswerNextQuestion(const char* answer) {
        WhenAsked<QMessageBox>([this, answer](QMessageBox* box) {
            question = box->text().toStdString();
            if (std::string_view(answer) == ESCAPE_KEY) return QTest::keyClick(box, Qt::Key_Escape);
            if (std::string_view(answer) == CLOSE_BOX) return static_cast<void>(box->close());
            for (QAbstractButton* button : box->buttons())
                if (button->text() == QString::fromUtf8(answer)) return button->click();
            ADD_FAILURE() << "no button " << answer << " in the question " << question;
            box->reject();
        });
    }
    // The next message is read into `question` and closed, as its only button would.
    void DismissNextMessage() {
        WhenAsked<QMessageBox>([this](QMessageBox* box) {
            question = box->text().toStdString();
            box->accept();
        });
    }
    // The next file dialog is given `path`, or cancelled for an empty one.
    void AnswerNextFileDialog(const std::string& path) {
        WhenAsked<QFileDialog>([path](QFileDialog* dialog) {
            if (path.empty()) return dialog->reject();
            dialog->selectFile(QString::fromStdString(path));
            QMetaObject::invokeMethod(dialog, "accept");
        });
    }

    // ---- the history window
    void ChooseHistory() { Choose(Command::History); }
    HistoryWindow::Widgets& HistoryUi() { return periods->Window()->Ui(); }
    // The table's texts row by row, as a person reads them: a cell spanning others counts once.
    std::vector<std::vector<std::string>> HistoryTable() {
        QTableWidget* table = HistoryUi().table;
        std::vector<std::vector<std::string>> rows(table->rowCount());
        for (int r = 0; r < table->rowCount(); ++r)
            for (int c = 0; c < table->columnCount(); c += table->columnSpan(r, c))
                rows[r].push_back(table->item(r, c) ? table->item(r, c)->text().toStdString() : "");
        return rows;
    }
    bool HistoryCellInRed(int row, int column) {
        const QTableWidgetItem* item = HistoryUi().table->item(row, column);
        return item && item->foreground().color() == QColor(Qt::red);
    }
    // A key where the keyboard is in the history window.
    void HistoryKey(Qt::Key key) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus && focus->window() == HistoryUi().main ? focus : HistoryUi().table,
                        key);
        QApplication::processEvents();
    }
    void DoubleClickHistoryRow(int row) {
        QTableWidget* table = HistoryUi().table;
        const QPoint at = table->visualRect(table->model()->index(row, 0)).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }

    void WriteFile(const std::string& name, const std::string& bytes) {
        ASSERT_TRUE(WriteFileBytes(folder + name, bytes)) << name;
    }

    // ---- what the person, a screen reader or a file sees
    std::string question;  // the latest question answered
    const SurfaceDescription& Told() { return program->Window().Description(); }
    // The banner on the page; the welcome screen's text is its banner.
    std::string BannerText() { return Told().banner.empty() ? Told().welcome : Told().banner; }
    MenuState ItemState(Command command) { return program->Window().GetMenuState(command); }
    std::string LedgerBytes() { return FileBytes(ledger->Path()); }
    Colour Pixel(int x, int y) { return program->Window().Picture().Pixel(x, y); }
    // Where the calendar shows `day` of the month, read from the days a screen reader is told.
    std::optional<GridPlace> PlaceOfDay(int day) {
        const std::vector<DescribedCell>& cells = Told().cells;
        for (size_t i = 0; i < cells.size(); ++i)
            if (!cells[i].name.empty() && DayOfMonthIn(cells[i].name) == day)
                return PlaceAt(static_cast<int>(i));
        return std::nullopt;
    }
    // What a screen reader is told of a day: "viernes 15 de marzo: quedan 100,00 €".
    std::string DayTold(int day) {
        const auto place = PlaceOfDay(day);
        return place ? Told().cells[CellIndex(*place)].name
                     : "<no day " + std::to_string(day) + ">";
    }
    // The amounts a day says, as the page writes them ("-12'50"); no spent amount gives "".
    std::string BalanceShown(int day) {
        const std::string told = DayTold(day);
        for (const char* left : {"quedan ", "te has pasado "}) {
            const size_t at = told.find(left);
            if (at == std::string::npos) continue;
            return (left[0] == 't' ? "-" : "") + AmountAt(told, at + std::strlen(left));
        }
        return "<no balance in " + told + ">";
    }
    std::string SpentShown(int day) {
        const std::string told = DayTold(day);
        const size_t at = told.find("gastado ");
        return at == std::string::npos ? "" : AmountAt(told, at + std::strlen("gastado "));
    }
    // The first day the calendar shows, as a screen reader is told it.
    std::string FirstDayTold() {
        for (const DescribedCell& cell : Told().cells)
            if (!cell.name.empty()) return cell.name;
        return "<no calendar>";
    }
    // Whether the banner goes at a click (one beside the grid, on no day): it is then gone.
    bool BannerGoesAtAClick() {
        Click(OFF_THE_GRID.x, OFF_THE_GRID.y);
        return Told().banner.empty();
    }
    // The day framed as today, when one is.
    std::optional<GridPlace> TodayMarked() {
        const std::optional<Rect>& mark = Ui().todayMark;
        if (!mark) return std::nullopt;
        const CellHit hit = HitTestCell(mark->left, mark->top);
        return GridPlace{hit.column, hit.row};
    }
    // The tooltip hovering the middle of `day` shows, empty for none.
    std::string TooltipOf(int day) {
        const auto place = PlaceOfDay(day);
        if (!place) return "<no day " + std::to_string(day) + ">";
        QToolTip::hideText();
        const QPoint at(CellMiddleX(place->column) + 1, CellMiddleY(place->row) + 1);
        QHelpEvent hover(QEvent::ToolTip, at, SurfaceWidget()->mapToGlobal(at));
        QApplication::sendEvent(SurfaceWidget(), &hover);
        return QToolTip::isVisible() ? QToolTip::text().toStdString() : "";
    }
    // The day the keyboard's mark is on, when it shows.
    std::optional<GridPlace> MarkedDay() {
        const std::optional<Rect>& mark = Ui().focusMark;
        if (!mark) return std::nullopt;
        const CellHit hit = HitTestCell(mark->left, mark->top);
        return GridPlace{hit.column, hit.row};
    }
    // The day of the month the keyboard is on, whether or not its mark shows.
    int KeyboardDayOfMonth() {
        const int cell = Told().focusedCell;
        return cell < 0 ? 0 : DayOfMonthIn(Told().cells[cell].name);
    }
    // The record "Grabar" writes for `day` of the month: the ledger is saved to read it.
    DayRecord SavedDay(int day) {
        Save();
        const std::string bytes = LedgerBytes();
        for (size_t at = 0; at + DAY_RECORD_SIZE <= bytes.size(); at += DAY_RECORD_SIZE) {
            DayRecord record;
            std::memcpy(&record, bytes.data() + at, DAY_RECORD_SIZE);
            if (record.dayOfMonth == day) return record;
        }
        ADD_FAILURE() << "no record of day " << day << " in the ledger";
        return DayRecord{};
    }
    // The menu popped up over the surface, while it is open.
    QMenu* PopupMenu() { return Ui().popup; }
    // Its items, greyed ones in brackets: "[Deshacer]".
    std::vector<std::string> PopupItems() {
        std::vector<std::string> items;
        if (QMenu* menu = PopupMenu())
            for (QAction* action : menu->actions()) {
                const std::string text = action->text().toStdString();
                items.push_back(action->isEnabled() ? text : "[" + text + "]");
            }
        return items;
    }

    // ---- the window's widgets
    MainWindow::Widgets& Ui() { return program->Window().Ui(); }
    QWidget* MainWidget() { return Ui().main; }
    QWidget* SurfaceWidget() { return Ui().surface; }
    QAction* ActionOf(Command command) { return Ui().actions.at(command); }

private:
    // Polls for the next modal dialog of type D and hands it to `answer`; gives up after a while.
    // A later answer for the same kind of dialog replaces one still waiting; the polls go with
    // the test.
    template <typename D>
    void WhenAsked(std::function<void(D*)> answer) {
        std::unique_ptr<QTimer>& slot = answerers_[std::type_index(typeid(D))];
        slot = std::make_unique<QTimer>();
        QTimer* poll = slot.get();
        poll->setInterval(10);
        auto ticks = std::make_shared<int>(0);
        QObject::connect(poll, &QTimer::timeout, [poll, answer, ticks] {
            auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
            if (!dialog && ++*ticks < QUESTION_WAIT_TICKS) return;
            poll->stop();
            if (dialog) answer(dialog);
        });
        poll->start();
    }
    QWidget* FocusedWidget() {
        QWidget* focus = QApplication::focusWidget();
        return focus ? focus : SurfaceWidget();
    }
    void SendKey(QEvent::Type type, Qt::Key key, const char* text) {
        QKeyEvent event(type, key, Qt::NoModifier, QString::fromUtf8(text));
        QApplication::sendEvent(FocusedWidget(), &event);
    }
    // The day of the month a day's name tells: 17 in "[hoy, ]domingo 17 de marzo: ...".
    static int DayOfMonthIn(const std::string& name) {
        const size_t weekday = name.starts_with("hoy, ") ? std::strlen("hoy, ") : 0;
        return std::atoi(name.c_str() + name.find(' ', weekday) + 1);
    }
    // "12,50 €" at `at` as the page writes it: "12'50".
    static std::string AmountAt(const std::string& told, size_t at) {
        std::string amount = told.substr(at, told.find(' ', at) - at);
        for (char& c : amount)
            if (c == ',') c = '\'';
        return amount;
    }
    std::unique_ptr<QWidget> other_;
    std::map<std::type_index, std::unique_ptr<QTimer>> answerers_;
};
