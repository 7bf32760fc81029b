#pragma once

#include <QByteArray>
#include <QString>

// The shop's code page (936). The configuration file and the receipt bytes are GBK, so that
// files carried over from the shop's older machines and its POS printers read the same text.
namespace Gbk {
QString decode(const QByteArray& bytes);
// False when some character has no GBK form; *bytes then holds '?' in its place.
bool encode(const QString& text, QByteArray* bytes);
} // namespace Gbk
