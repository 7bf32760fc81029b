#include "config/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace Gbk {

QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder("GBK");
    return decoder.decode(bytes);
}

bool encode(const QString& text, QByteArray* bytes)
{
    QStringEncoder encoder("GBK");
    *bytes = encoder.encode(text);
    return !encoder.hasError();
}

} // namespace Gbk
