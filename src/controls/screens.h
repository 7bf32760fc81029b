#pragma once

#include <QString>

#include <functional>

class QWidget;

// Opening a child screen by its caption, for screens that bring up another one (a lookup that
// meets a lost card opens the loss records). The main window installs the opener; the rule is
// its open-or-activate.
namespace Screens {
using Opener = std::function<bool(const QString& caption)>;
void setOpener(Opener opener);
// False when no screen is known under the caption (or no main window runs).
bool open(const QString& caption);

// Closes the screen: inside the main window its child window, which destroys both; a screen
// shown on its own closes itself.
void close(QWidget* screen);
} // namespace Screens
