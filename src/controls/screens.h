#pragma once

#include <QString>

#include <functional>

// Opening a child screen by its caption, for screens that bring up another one (a lookup that
// meets a lost card opens the loss records). The main window installs the opener; the rule is
// its open-or-activate.
namespace Screens {
using Opener = std::function<bool(const QString& caption)>;
void setOpener(Opener opener);
// False when no screen is known under the caption (or no main window runs).
bool open(const QString& caption);
} // namespace Screens
