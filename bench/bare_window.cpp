// SPDX-License-Identifier: GPL-3.0-or-later
// The bare window: a menu bar with two menus and a picture widget below it, laid out as the
// program lays out its own window.
#include "bare_window.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>

namespace {
constexpr QRect BLUE_BOX(160, 162, 520, 200);
constexpr QRect KEY_FIELD(2, 2, 110, 25);
}  // namespace

BarePicture::BarePicture(QWidget* parent)
    : QWidget(parent),
      prepared_(WIDTH, HEIGHT, QImage::Format_RGB32),
      picture_(WIDTH, HEIGHT, QImage::Format_RGB32) {
    prepared_.fill(Qt::white);
    {
        QPainter painter(&prepared_);
        painter.fillRect(BLUE_BOX, Qt::blue);
    }
    picture_.fill(Qt::white);
    Refresh();
    setFixedSize(WIDTH, HEIGHT);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void BarePicture::Refresh() {
    // A painter copy, not an assignment: QImage would only share the prepared buffer.
    QPainter painter(&picture_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, prepared_);
    painter.end();
    update();
}

void BarePicture::DrawKey(const QString& text) {
    QPainter painter(&picture_);
    painter.fillRect(KEY_FIELD, Qt::white);
    painter.setPen(Qt::black);
    painter.drawText(KEY_FIELD, Qt::AlignLeft | Qt::AlignVCenter, text);
    painter.end();
    update(KEY_FIELD);
}

void BarePicture::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), picture_, event->rect());
}

void BarePicture::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        Refresh();
    else if (!event->text().isEmpty())
        DrawKey(event->text());
    else
        QWidget::keyPressEvent(event);
}

BareWindow::BareWindow() : QWidget(nullptr), menuBar_(new QMenuBar(this)) {
    setWindowTitle(QStringLiteral("Bare window"));
    setFixedSize(WIDTH, HEIGHT);
    menuBar_->setNativeMenuBar(false);
    QMenu* operations = menuBar_->addMenu(QStringLiteral("Operaciones"));
    for (const char* item : {"Uno", "-", "Dos", "-", "Tres", "-", "Cuatro", "Cinco"}) {
        if (item[0] == '-')
            operations->addSeparator();
        else
            operations->addAction(QString::fromLatin1(item));
    }
    menuBar_->addMenu(QStringLiteral("Ver"))->addAction(QStringLiteral("Seis"));
    const int menuHeight = menuBar_->sizeHint().height();
    menuBar_->setGeometry(0, 0, WIDTH, menuHeight);
    picture_ = new BarePicture(this);
    picture_->move(2, menuHeight + 2);
    picture_->setFocus();
}

void BareWindow::ShowCentred() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - WIDTH) / 2, area.y() + (area.height() - HEIGHT) / 2);
    }
    show();
    raise();
    activateWindow();
}
