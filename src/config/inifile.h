#pragma once

#include <QList>
#include <QString>

#include <memory>

// A Windows-style INI file in GBK. Qt's QSettings reads UTF-8 and escapes non-ASCII keys,
// which would lose the Chinese key names the shop's file uses, hence this small class.
//
// Each use loads the whole file, reads or changes keys in memory and, for a change, writes
// it back at once; nothing keeps the file open between uses. Lines the program does not
// understand (comments, other sections) survive a write unchanged.
class IniFile
{
public:
    explicit IniFile(QString path);

    // The file as last read, read again only when it changed on disk: another size, another
    // modification or status-change time, or a file that appeared or went. A file changed
    // within two seconds before it was read is read again each time until it is older, since
    // a second change in the same tick of the file system's clock would not show in its times.
    // What readers that run often use (each points save reads the receipt settings).
    static std::shared_ptr<const IniFile> cached(const QString& path);
    // How many times a file was read from disk in this process (what the cache spares).
    static int diskReads();

    // Reads the file; a missing file is an empty one. False only when it exists but cannot be read.
    bool load();
    // Writes every line back in GBK (creating the file and its folder when needed).
    // False with the reason when it cannot be written or a text has no GBK form.
    bool save(QString* error = nullptr);

    const QString& path() const { return m_path; }

    QString readString(const QString& section, const QString& key, const QString& fallback) const;
    // Any whole number other than zero is yes, zero is no; anything else gives the fallback.
    bool readBool(const QString& section, const QString& key, bool fallback) const;
    bool hasKey(const QString& section, const QString& key) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeBool(const QString& section, const QString& key, bool value);

private:
    struct Line
    {
        QString text;    // the line as read or written
        QString section; // the section the line stands in (the header's own name for a header)
        QString key;     // empty unless the line is key=value
        QString value;
        bool header = false;
    };
    const Line* find(const QString& section, const QString& key) const;

    QString m_path;
    QList<Line> m_lines;
};
