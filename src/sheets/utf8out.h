#pragma once

#include <QByteArray>
#include <QChar>
#include <QStringView>

// Text written straight into an output buffer as UTF-8, each character once: the list files
// and the worksheet XML are mostly text, and a conversion per cell (toUtf8, replace, join)
// costs more than the writing itself. `special(c, at)` may write a character its own way (an
// escape, a blank for a line break) at `at`, moving it on, and returns whether it did; any
// other character is encoded as it is. Half a surrogate pair stands for no character and
// becomes U+FFFD. `lead`, when not 0, is written first (a field's separator).
namespace Utf8Out {

// What one UTF-16 unit may become at most, escapes included ("&quot;", "_x001F_").
inline constexpr qsizetype MaxBytesPerUnit = 8;

template <class Special> void append(QByteArray& out, QStringView text, Special special, char lead = 0)
{
    const qsizetype start = out.size();
    out.resize(start + 1 + text.size() * MaxBytesPerUnit);
    char* at = out.data() + start;
    if (lead)
        *at++ = lead;
    const QChar* c = text.data();
    const QChar* const end = c + text.size();
    for (; c < end; ++c) {
        const char16_t u = c->unicode();
        if (special(u, at))
            continue;
        if (u < 0x80) {
            *at++ = char(u);
        } else if (u < 0x800) {
            *at++ = char(0xC0 | (u >> 6));
            *at++ = char(0x80 | (u & 0x3F));
        } else if (QChar::isHighSurrogate(u) && c + 1 < end && (c + 1)->isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(u, (c + 1)->unicode());
            ++c;
            *at++ = char(0xF0 | (code >> 18));
            *at++ = char(0x80 | ((code >> 12) & 0x3F));
            *at++ = char(0x80 | ((code >> 6) & 0x3F));
            *at++ = char(0x80 | (code & 0x3F));
        } else if (QChar::isSurrogate(u)) {
            *at++ = char(0xEF);
            *at++ = char(0xBF);
            *at++ = char(0xBD);
        } else {
            *at++ = char(0xE0 | (u >> 12));
            *at++ = char(0x80 | ((u >> 6) & 0x3F));
            *at++ = char(0x80 | (u & 0x3F));
        }
    }
    out.resize(at - out.constData());
}

inline void append(QByteArray& out, QStringView text, char lead = 0)
{
    append(out, text, [](char16_t, char*&) { return false; }, lead);
}

// An ASCII escape as the special writer puts it.
template <qsizetype N> inline void put(char*& at, const char (&ascii)[N])
{
    for (qsizetype i = 0; i + 1 < N; ++i)
        *at++ = ascii[i];
}

// The three characters markup (HTML, XML) cannot hold as they are in element content.
inline bool escapeMarkup(char16_t u, char*& at)
{
    switch (u) {
    case u'&':
        put(at, "&amp;");
        return true;
    case u'<':
        put(at, "&lt;");
        return true;
    case u'>':
        put(at, "&gt;");
        return true;
    default:
        return false;
    }
}

} // namespace Utf8Out
