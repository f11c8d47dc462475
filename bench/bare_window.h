// SPDX-License-Identifier: GPL-3.0-or-later
// The reference the program is measured against: a bare Qt window of the program's size with a
// menu bar over one 842 x 552 picture widget that paints a QImage, and nothing of the program.
#pragma once

#include <QImage>
#include <QWidget>

class QMenuBar;

// The picture widget: it paints its picture and changes it on keys.
//  - refresh: the whole picture is drawn anew from a prepared QImage and a repaint is requested,
//    which is where the program's full refresh ends too (its picture handed to the surface and
//    a repaint requested, the paint itself following in the event loop);
//  - a character key draws the character into a 110 x 25 field at the top-left corner and
//    requests a repaint of that field, as the program's entry field does for one key;
//  - Return refreshes the whole picture, as Enter brings the program's calendar back.
class BarePicture : public QWidget {
public:
    static constexpr int WIDTH = 842;
    static constexpr int HEIGHT = 552;

    explicit BarePicture(QWidget* parent);
    void Refresh();
    void DrawKey(const QString& text);
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QImage prepared_;  // white, with a blue 520 x 200 box where the program puts its banner
    QImage picture_;
};

class BareWindow : public QWidget {
public:
    static constexpr int WIDTH = 846;
    static constexpr int HEIGHT = 577;

    BareWindow();
    BarePicture* Picture() const { return picture_; }
    // Centred on the primary screen, as the program places its window.
    void ShowCentred();

private:
    QMenuBar* menuBar_;
    BarePicture* picture_;
};
