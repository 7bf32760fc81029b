#pragma once

#include <QByteArray>
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

// The program's own icon: a member card with a car and a gold points coin, for every window
// and child window and for the desktop's menu. It is drawn from filled outlines only (no
// clipping, no erasing), so the pictures at every size and the SVG are the same drawing:
// programIconImage is a square ARGB32 image with a transparent background, programIconSvg the
// scalable form for the desktop's icon theme.
QIcon programIcon();
QImage programIconImage(int side);
QByteArray programIconSvg();

// The default background picture of the main window, in QImage::Format_RGB32.
// An empty size gives a null image.
QImage defaultBackground(QSize size = QSize(1600, 900));

