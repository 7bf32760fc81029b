#pragma once

#include <QString>

class QWidget;

// When QUORVANE_SCREENSHOTS names a folder, writes the widget as <name>.png there, so every
// screen a test drives can be looked at as a picture. Does nothing otherwise.
void snapshot(QWidget* widget, const QString& name);
