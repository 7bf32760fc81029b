#pragma once

class QApplication;
class QString;

namespace Startup {

// The program's name and icon, the Chinese locale with Qt's own Chinese texts, Fusion style,
// the program's style sheet and a Simplified Chinese interface font. Under a non-Chinese
// locale fontconfig would otherwise pick the Japanese face of the CJK fonts.
void applyLook(QApplication& app);

// A fresh program home: the empty database (schema and operator 0001) and, when absent, the
// default background picture, the help file and the member import template. Refuses a home
// that already holds a database.
bool createHome(QString* error);

// On a start whose home holds no database, asks whether to create one and does so on 是.
// False only when the creation failed (its reason has been shown); after 否 the start goes on
// to the connection, which ends the program as for any missing database.
bool offerDatabase();

// The whole run: options, single copy, database, configuration, login, main window.
// Returns the process's exit status.
int run(QApplication& app);

} // namespace Startup
