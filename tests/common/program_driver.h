// SPDX-License-Identifier: GPL-3.0-or-later
// Uses the program as a person does, through the menu, clicks on the real surface and keys,
// and reads back what the person or a file sees: the banner's text, the menu's item states,
// the amounts drawn in a day, the ledger's bytes and the surface's pixels.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>

#include "cell_geometry.h"
#include "shell_fixture.h"
#include "view/calendar.h"

class ProgramTest : public ShellTest {
protected:
    static constexpr int QUESTION_WAIT_TICKS = 200;  // of 10 ms

    // ---- verbs
    // Starts the program; its window comes up with the keyboard.
    void Open() {
        ShellTest::Open();
        ASSERT_TRUE(QTest::qWaitForWindowActive(MainWidget()));
    }
    void Restart() {
        Close();
        Open();
    }
    void Choose(Command command) { ActionOf(command)->trigger(); }
    void NewMonth() { Choose(Command::NewMonth); }
    void Save() { Choose(Command::Save); }
    void ToggleStatistics() { Choose(Command::Statistics); }
    // Clicks the middle of the cell that shows `day` of the month in the calendar on screen.
    void PickDay(int day) {
        const auto place = program->CurrentPeriod().PlaceOfDay(day);
        if (!place) {
            ADD_FAILURE() << "day " << day << " is not on the calendar";
            return;
        }
        Click(CellMiddleX(place->column), CellMiddleY(place->row));
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

    // The next question the program asks is answered with the button `answer`; what it asked is
    // kept in `question`.
    void AnswerNextQuestion(const char* answer) {
        auto* poll = new QTimer;
        poll->setInterval(10);
        auto ticks = std::make_shared<int>(0);
        QObject::connect(poll, &QTimer::timeout, [this, poll, answer, ticks] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box && ++*ticks < QUESTION_WAIT_TICKS) return;
            poll->deleteLater();
            if (!box) return;  // nothing was asked
            question = box->text().toStdString();
            for (QAbstractButton* button : box->buttons())
                if (button->text() == QString::fromUtf8(answer)) return button->click();
            ADD_FAILURE() << "no button " << answer << " in the question " << question;
            box->reject();
        });
        poll->start();
    }

    // ---- what the person or a file sees
    std::string question;  // the latest question answered
    const std::string& BannerText() { return program->ShownBanner().Text(); }
    MenuState ItemState(Command command) { return MenuStateOf(command); }
    std::string LedgerBytes() { return ReadFile(ledger->Path()); }
    Colour Pixel(int x, int y) { return SurfacePixel(x, y); }
    // The amounts a day shows, without the euro sign; no spent amount gives "".
    std::string BalanceShown(int day) { return WithoutEuro(CellOf(day).balance); }
    std::string SpentShown(int day) { return WithoutEuro(CellOf(day).spent); }

private:
    QWidget* FocusedWidget() {
        QWidget* focus = QApplication::focusWidget();
        return focus ? focus : SurfaceWidget();
    }
    void SendKey(QEvent::Type type, Qt::Key key, const char* text) {
        QKeyEvent event(type, key, Qt::NoModifier, QString::fromUtf8(text));
        QApplication::sendEvent(FocusedWidget(), &event);
    }
    CellTexts CellOf(int day) {
        const Period& period = program->CurrentPeriod();
        const auto place = period.PlaceOfDay(day);
        if (!place) {
            ADD_FAILURE() << "day " << day << " is not on the calendar";
            return {};
        }
        return MakeCalendarTexts(period, false).cells[CellIndex(*place)];
    }
    static std::string WithoutEuro(const std::string& text) {
        return text.substr(0, text.find(' '));
    }
    std::unique_ptr<QWidget> other_;
};
