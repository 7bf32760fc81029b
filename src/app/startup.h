#pragma once

class QApplication;

namespace Startup {

// The program's name and icon, the Chinese locale with Qt's own Chinese texts, Fusion style,
// the program's style sheet and a Simplified Chinese interface font. Under a non-Chinese
// locale fontconfig would otherwise pick the Japanese face of the CJK fonts.
void applyLook(QApplication& app);

// The whole run: options, single copy, database, configuration, login, main window.
// Returns the process's exit status.
int run(QApplication& app);

} // namespace Startup
