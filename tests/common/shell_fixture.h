// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh program for each test, its window open headless, with "today" fixed and the ledger in a
// fresh temporary folder (where a ledger can be put or left out).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QTest>
#include <QWidget>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "app/program.h"
#include "app/texts.h"
#include "platform/platform_qt.h"

class ShellTest : public testing::Test {
protected:
    // The folder the ledger lives in, with a trailing "/".
    std::string folder;
    Date today{2024, 3, 17};
    Fonts fonts;
    FileCalls files;
    std::unique_ptr<Ledger> ledger;
    std::unique_ptr<Program> program;

    void SetUp() override {
        char pattern[] = "/tmp/monedario-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = std::string(pattern) + "/";
    }

    void TearDown() override {
        Close();
        const std::string command = "rm -rf '" + folder + "'";
        if (std::system(command.c_str()) != 0) ADD_FAILURE() << "could not remove " << folder;
    }

    // Starts the program with the ledger "ahorros.log" in the test folder.
    void Open() {
        ledger = std::make_unique<Ledger>(folder + LEDGER_FILE_NAME, files);
        program = std::make_unique<Program>(fonts, *ledger, files, today);
        program->Open();
    }
    // The program ends and its window goes.
    void Close() {
        program.reset();
        ledger.reset();
    }

    MainWindow::Widgets& Ui() { return program->Window().Ui(); }
    QWidget* MainWidget() { return Ui().main; }
    QWidget* SurfaceWidget() { return Ui().surface; }
    QAction* ActionOf(Command command) { return Ui().actions.at(command); }
    MenuState MenuStateOf(Command command) { return program->Window().GetMenuState(command); }

    // A surface click in picture coordinates (inside the one-pixel border).
    void Click(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(SurfaceWidget(), button, Qt::NoModifier, QPoint(x + 1, y + 1));
    }
    void TypeText(const char* text) { QTest::keyClicks(SurfaceWidget(), text); }
    void Press(Qt::Key key) { QTest::keyClick(SurfaceWidget(), key); }

    Colour SurfacePixel(int x, int y) { return program->Window().Picture().Pixel(x, y); }

    void WriteFile(const std::string& name, const std::string& bytes) {
        std::ofstream out(folder + name, std::ios::binary);
        out << bytes;
    }
    std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};
