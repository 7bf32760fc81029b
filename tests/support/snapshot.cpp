#include "support/snapshot.h"

#include <QApplication>
#include <QDir>
#include <QWidget>

void snapshot(QWidget* widget, const QString& name)
{
    const QString dir = qEnvironmentVariable("QUORVANE_SCREENSHOTS");
    if (dir.isEmpty() || !widget)
        return;
    QDir().mkpath(dir);
    QApplication::processEvents();
    widget->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}
