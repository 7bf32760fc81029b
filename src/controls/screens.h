#pragma once

#include <QString>

#include <functional>

class QAbstractButton;
class QWidget;

// Opening a child screen by its caption, for screens that bring up another one (a lookup that
// meets a lost card opens the loss records). The main window installs the opener; the rule is
// its open-or-activate.
namespace Screens {
using Opener = std::function<bool(const QString& caption)>;
void setOpener(Opener opener);
// False when no screen is known under the caption (or no main window runs).
bool open(const QString& caption);

// A screen's opening steps (clearing the fields, filling its lists, the first query) run once,
// when the screen is first shown. Showing it again, when it is restored from minimised or
// brought back by its menu entry, keeps what the operator typed and what its lists show.
void whenOpened(QWidget* screen, std::function<void()> steps);

// Closes the screen: inside the main window its child window, which destroys both; a screen
// shown on its own, itself. Never the main window, so "退出" ends only the screen.
void close(QWidget* screen);
// "退出" of a screen.
void closeOnClick(QAbstractButton* quit, QWidget* screen);
} // namespace Screens
