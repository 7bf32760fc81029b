#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>

// Pictures the program draws itself, so no binary art has to ship with it.

enum class ToolbarArt
{
    AddPoints,
    ReturnPoints,
    Redeem,
    Members,
    MemberQuery,
    VerbalLoss,
    CardLoss,
    Birthday,
    Help,
    AwayLock,
    Exit
};

// Painted at 32x32 and 64x64 (antialiased, transparent background).
// Needs a QGuiApplication, as any QPixmap does.
QIcon toolbarIcon(ToolbarArt art);

// The program's own icon (a member card with a star), for every window and child window.
QIcon programIcon();

// The default background picture of the main window, in QImage::Format_RGB32.
// An empty size gives a null image.
QImage defaultBackground(QSize size = QSize(1600, 900));
