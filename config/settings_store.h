// The settings file kept in memory: sections of key=value lines, read once from disk,
// changed key by key and written back whole, keeping the lines the program does not use.
#pragma once

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>
#include <cstdint>
#include <functional>

// Called once the new contents sit complete in the temporary file beside the settings file
// and before that file replaces the old one; returning false abandons the save there.
using BeforeReplaceHook = std::function<bool()>;

class SettingsStore
{
  public:
    // Times are read with the locale's decimal separator, a point or a comma, and written
    // by the caller with the locale's.
    explicit SettingsStore(const QLocale &locale = QLocale::system());

    // Reads the whole file when it exists. A missing file is no failure: the store starts
    // empty. A file that exists but cannot be read leaves the store empty and returns false.
    bool Open(const QString &path);
    // Replaces the memory image with the given file contents, following the reading rules.
    void Parse(const QByteArray &contents);

    QString ReadString(const QString &section, const QString &key, const QString &def) const;
    // Decimal, or hexadecimal after "0x", "0X" or "$"; anything but a 32-bit signed integer
    // gives the default.
    int32_t ReadInteger(const QString &section, const QString &key, int32_t def) const;
    // An integer: non-zero is on. "True" and "False" are not integers and give the default.
    bool ReadBool(const QString &section, const QString &key, bool def) const;
    // A decimal number with the locale's separator, a point or a comma, an optional sign and
    // exponent; anything else, or a value no 32-bit float holds, gives the default.
    double ReadFloat(const QString &section, const QString &key, double def) const;

    // A present key gets its value replaced in its own line, a missing key goes to the end
    // of its section, a missing section to the end of the file. Line breaks inside the value
    // become blanks so that a value can never start a line of its own.
    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int32_t value);
    void WriteBool(const QString &section, const QString &key, bool value);
    // Drops the key's lines from its section, and the section when they were all it held.
    void RemoveKey(const QString &section, const QString &key);

    // The memory image as the file holds it: CR LF line ends, one blank line after each
    // section, UTF-8.
    QByteArray Serialize() const;
    // Writes the memory image to the file opened last: a temporary file beside it, synced,
    // then renamed over it and the folder synced, so the old file stays whole until the new
    // one is complete. A failed save leaves no temporary file behind.
    bool UpdateFile(const BeforeReplaceHook &beforeReplace = {});

    // Why the last Open or UpdateFile failed, naming the cause as the system gives it.
    QString ErrorString() const { return LastError; }
    QString FileName() const { return Path; }
    const QLocale &Locale() const { return FileLocale; }

  private:
    struct Line {
        QString Key;   // the text before the first "=", or the whole line when there is none
        QString Value; // the text after it
        bool HasValue = false;
    };
    struct Section {
        QString Name;
        QList<Line> Lines;
    };

    const Line *FindLine(const QString &section, const QString &key) const;
    Section &SectionFor(const QString &section);

    QLocale FileLocale;
    QString Path;
    QString LastError;
    QList<Section> Sections;
};
