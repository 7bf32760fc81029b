#include "config/inifile.h"

#include "config/gbk.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {
// Section and key names compare like the Windows profile functions: letter case does not count.
bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int g_diskReads = 0;

// What tells one version of a file from the next without reading it.
struct Stamp
{
    bool exists = false;
    qint64 size = -1;
    QDateTime modified;
    QDateTime changed;

    static Stamp of(const QString& path)
    {
        const QFileInfo info(path);
        if (!info.exists())
            return {};
        return {true, info.size(), info.lastModified(), info.fileTime(QFileDevice::FileMetadataChangeTime)};
    }
    bool operator==(const Stamp& o) const
    {
        return exists == o.exists && size == o.size && modified == o.modified && changed == o.changed;
    }
};

// A change this close before the read may hide a second one in the same clock tick.
constexpr qint64 RacyMs = 2000;

struct CacheEntry
{
    std::shared_ptr<const IniFile> file;
    Stamp stamp;
    bool trusted = false; // old enough at the read for its times to tell every later change
};

QMutex g_cacheLock;
QHash<QString, CacheEntry>& cache()
{
    static QHash<QString, CacheEntry> entries;
    return entries;
}
} // namespace

std::shared_ptr<const IniFile> IniFile::cached(const QString& path)
{
    const QMutexLocker lock(&g_cacheLock);
    const Stamp now = Stamp::of(path);
    auto it = cache().find(path);
    if (it != cache().end() && it->trusted && it->stamp == now)
        return it->file;
    const QDateTime readAt = QDateTime::currentDateTimeUtc();
    auto file = std::make_shared<IniFile>(path);
    file->load(); // an unreadable file reads as an empty one, as a missing one does
    CacheEntry entry;
    entry.file = file;
    entry.stamp = Stamp::of(path);
    entry.trusted = entry.stamp == now
                    && (!now.exists
                        || (now.modified.msecsTo(readAt) >= RacyMs && now.changed.msecsTo(readAt) >= RacyMs));
    cache().insert(path, entry);
    return file;
}

int IniFile::diskReads()
{
    return g_diskReads;
}

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

bool IniFile::load()
{
    m_lines.clear();
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    ++g_diskReads;
    QByteArray bytes = file.readAll();
    file.close();

    // A file saved by a text editor as UTF-8 carries a byte order mark; everything else is GBK.
    const QString text = bytes.startsWith("\xEF\xBB\xBF") ? QString::fromUtf8(bytes.mid(3)) : Gbk::decode(bytes);

    QString section;
    const QStringList rawLines = text.split(u'\n');
    for (qsizetype i = 0; i < rawLines.size(); ++i) {
        QString raw = rawLines.at(i);
        if (raw.endsWith(u'\r'))
            raw.chop(1);
        if (i == rawLines.size() - 1 && raw.isEmpty())
            break; // the newline after the last line
        Line line;
        line.text = raw;
        const QString trimmed = raw.trimmed();
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']')) {
            section = trimmed.mid(1, trimmed.size() - 2).trimmed();
            line.header = true;
        } else if (!trimmed.startsWith(u';')) {
            const qsizetype eq = raw.indexOf(u'=');
            if (eq > 0) {
                line.key = raw.left(eq).trimmed();
                line.value = raw.mid(eq + 1).trimmed();
            }
        }
        line.section = section;
        m_lines.append(line);
    }
    return true;
}

bool IniFile::save(QString* error)
{
    QString text;
    for (const Line& line : std::as_const(m_lines))
        text += line.text + u"\r\n"_s;
    QByteArray bytes;
    if (!Gbk::encode(text, &bytes)) {
        if (error)
            *error = u"配置内容含有无法以 GBK 保存的字符"_s;
        return false;
    }
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    // Written aside and renamed over, so a full disk never leaves half a configuration.
    QSaveFile file(m_path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    {
        // Whatever the file's times say, the next cached read takes what was just written.
        const QMutexLocker lock(&g_cacheLock);
        cache().remove(m_path);
    }
    if (!written) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

const IniFile::Line* IniFile::find(const QString& section, const QString& key) const
{
    for (const Line& line : m_lines) {
        if (!line.key.isEmpty() && sameName(line.section, section) && sameName(line.key, key))
            return &line;
    }
    return nullptr;
}

bool IniFile::hasKey(const QString& section, const QString& key) const
{
    return find(section, key) != nullptr;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& fallback) const
{
    const Line* line = find(section, key);
    return line ? line->value : fallback;
}

bool IniFile::readBool(const QString& section, const QString& key, bool fallback) const
{
    const Line* line = find(section, key);
    if (!line)
        return fallback;
    bool ok = false;
    const qlonglong number = line->value.toLongLong(&ok);
    return ok ? number != 0 : fallback;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    // Values are one line each: a line break would split the key into garbage on the next read.
    QString flat = value;
    flat.replace(u"\r"_s, QString()).replace(u"\n"_s, QString());
    const QString text = key + u'=' + flat;

    qsizetype lastOfSection = -1;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        Line& line = m_lines[i];
        if (!sameName(line.section, section))
            continue;
        if (!line.key.isEmpty() && sameName(line.key, key)) {
            line.text = text;
            line.value = flat.trimmed();
            return;
        }
        if (line.header || !line.text.trimmed().isEmpty())
            lastOfSection = i;
    }
    Line line;
    line.text = text;
    line.section = section;
    line.key = key;
    line.value = flat.trimmed();
    if (lastOfSection < 0) {
        Line header;
        header.text = u'[' + section + u']';
        header.section = section;
        header.header = true;
        m_lines.append(header);
        m_lines.append(line);
    } else {
        m_lines.insert(lastOfSection + 1, line);
    }
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? u"1"_s : u"0"_s);
}
