#pragma once

#include <QLabel>

// The large blue title line at the top of a business screen.
inline QLabel* makeHeading(const QString& text, QWidget* parent)
{
    auto* heading = new QLabel(text, parent);
    heading->setObjectName(QStringLiteral("title"));
    heading->setAlignment(Qt::AlignCenter);
    heading->setStyleSheet(QStringLiteral("color: #1447a6; font-size: 24px; font-weight: bold;"));
    return heading;
}
