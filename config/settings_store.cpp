#include "settings_store.h"

#include "save_calls.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace
{

// Blanks are the space and the control characters; line ends never reach here.
bool IsBlank(QChar c)
{
    return c.unicode() <= 0x20;
}

QString Strip(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin).toString();
}

// A line that is not valid UTF-8 was written by something else; reading its bytes as
// Latin-1 keeps every character, so the next save loses none of them.
QString DecodeLine(QByteArrayView bytes)
{
    if (bytes.isValidUtf8()) {
        // A byte order mark inside the file is text like any other; only the file's very
        // first one is skipped, before the lines are split.
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        return decoder.decode(bytes);
    }
    return QString::fromLatin1(bytes);
}

bool SameName(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

int DigitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int value = -1;
    if (u >= '0' && u <= '9')
        value = u - '0';
    else if (u >= 'a' && u <= 'f')
        value = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        value = u - 'A' + 10;
    return value < base ? value : -1;
}

std::optional<int32_t> ParseInteger(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    const QStringView rest = text.sliced(i);
    if (rest.startsWith(u"0x") || rest.startsWith(u"0X")) {
        base = 16;
        i += 2;
    } else if (rest.startsWith(u'$')) {
        base = 16;
        i += 1;
    }
    if (i == text.size()) return std::nullopt;

    constexpr int64_t Limit = int64_t{1} << 31; // the magnitude of INT32_MIN
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0) return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > Limit) return std::nullopt;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return static_cast<int32_t>(value);
}

// [sign] digits [separator digits] [e [sign] digits], at least one digit before the
// exponent. The separator is the locale's, a point or a comma: a time written under one
// locale stays readable under another, and a time never carries a thousands separator.
std::optional<double> ParseFloat(QStringView text, const QLocale &locale)
{
    const QString localePoint = locale.decimalPoint();
    std::string ascii;
    ascii.reserve(static_cast<size_t>(text.size()));
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-') ascii += '-';
        ++i;
    }
    bool digits = false;
    bool separator = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            ascii += static_cast<char>(c.unicode());
            digits = true;
        } else if (!separator && !localePoint.isEmpty() && text.sliced(i).startsWith(localePoint)) {
            ascii += '.';
            separator = true;
            i += localePoint.size() - 1;
        } else if (!separator && (c == u'.' || c == u',')) {
            ascii += '.';
            separator = true;
        } else {
            break;
        }
    }
    if (!digits) return std::nullopt;
    if (i < text.size()) {
        if (text[i] != u'e' && text[i] != u'E') return std::nullopt;
        ascii += 'e';
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
            ascii += static_cast<char>(text[i].unicode());
            ++i;
        }
        bool exponentDigits = false;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
            ascii += static_cast<char>(text[i].unicode());
            exponentDigits = true;
        }
        if (!exponentDigits || i < text.size()) return std::nullopt;
    }

    double value = 0;
    const char *end = ascii.data() + ascii.size();
    const auto [ptr, ec] = std::from_chars(ascii.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    // The value ends up in a 32-bit float; one that does not fit there is no time.
    if (std::fabs(value) > std::numeric_limits<float>::max()) return std::nullopt;
    return value;
}

QString OneLine(const QString &value)
{
    QString result = value;
    result.replace(QChar('\r'), QChar(' '));
    result.replace(QChar('\n'), QChar(' '));
    return result;
}

} // namespace

SettingsStore::SettingsStore(const QLocale &locale) : FileLocale(locale) {}

bool SettingsStore::Open(const QString &path)
{
    Path = path;
    LastError.clear();
    Sections.clear();

    const QFileInfo info(path);
    if (!info.exists()) return true;
    if (info.isDir()) {
        LastError = QStringLiteral("it is a folder, not a file");
        return false;
    }
    // A device or a pipe in its place could hold the program up for ever.
    if (!info.isFile()) {
        LastError = QStringLiteral("it is not a regular file");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        LastError = file.errorString();
        return false;
    }
    const QByteArray contents = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        LastError = file.errorString();
        return false;
    }
    Parse(contents);
    return true;
}

void SettingsStore::Parse(const QByteArray &contents)
{
    Sections.clear();
    QHash<QString, qsizetype> sectionIndex; // by case-folded name
    qsizetype current = -1;                 // lines before the first header are ignored

    QByteArrayView rest(contents);
    if (rest.startsWith("\xEF\xBB\xBF")) rest = rest.sliced(3);
    qsizetype pos = 0;
    while (pos < rest.size()) {
        qsizetype end = pos;
        while (end < rest.size() && rest[end] != '\r' && rest[end] != '\n')
            ++end;
        const QString text = Strip(DecodeLine(rest.sliced(pos, end - pos)));
        pos = end + 1;
        if (end + 1 < rest.size() && rest[end] == '\r' && rest[end + 1] == '\n') ++pos;

        if (text.isEmpty() || text.startsWith(u';')) continue;
        if (text.size() >= 2 && text.startsWith(u'[') && text.endsWith(u']')) {
            const QString name = Strip(QStringView(text).sliced(1, text.size() - 2));
            const QString folded = name.toCaseFolded();
            // A section given twice is read as one: its second part joins the first.
            const auto found = sectionIndex.constFind(folded);
            if (found != sectionIndex.cend()) {
                current = *found;
            } else {
                current = Sections.size();
                sectionIndex.insert(folded, current);
                Sections.append(Section{name, {}});
            }
            continue;
        }
        if (current < 0) continue;
        const qsizetype equals = text.indexOf(u'=');
        Line line;
        if (equals < 0) {
            line.Key = text;
        } else {
            line.Key = Strip(QStringView(text).first(equals));
            line.Value = Strip(QStringView(text).sliced(equals + 1));
            line.HasValue = true;
        }
        Sections[current].Lines.append(line);
    }
}

const SettingsStore::Line *SettingsStore::FindLine(const QString &section, const QString &key) const
{
    for (const Section &s : Sections) {
        if (!SameName(s.Name, section)) continue;
        for (const Line &line : s.Lines) {
            if (line.HasValue && SameName(line.Key, key)) return &line;
        }
        return nullptr;
    }
    return nullptr;
}

SettingsStore::Section &SettingsStore::SectionFor(const QString &section)
{
    for (Section &s : Sections) {
        if (SameName(s.Name, section)) return s;
    }
    Sections.append(Section{section, {}});
    return Sections.last();
}

QString SettingsStore::ReadString(const QString &section, const QString &key,
                                  const QString &def) const
{
    const Line *line = FindLine(section, key);
    return line ? line->Value : def;
}

int32_t SettingsStore::ReadInteger(const QString &section, const QString &key, int32_t def) const
{
    const Line *line = FindLine(section, key);
    if (!line) return def;
    return ParseInteger(line->Value).value_or(def);
}

bool SettingsStore::ReadBool(const QString &section, const QString &key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double SettingsStore::ReadFloat(const QString &section, const QString &key, double def) const
{
    const Line *line = FindLine(section, key);
    if (!line) return def;
    return ParseFloat(line->Value, FileLocale).value_or(def);
}

void SettingsStore::WriteString(const QString &section, const QString &key, const QString &value)
{
    Section &s = SectionFor(section);
    for (Line &line : s.Lines) {
        if (line.HasValue && SameName(line.Key, key)) {
            line.Value = OneLine(value);
            return;
        }
    }
    s.Lines.append(Line{key, OneLine(value), true});
}

void SettingsStore::WriteInteger(const QString &section, const QString &key, int32_t value)
{
    WriteString(section, key, QString::number(value));
}

void SettingsStore::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SettingsStore::RemoveKey(const QString &section, const QString &key)
{
    for (qsizetype i = 0; i < Sections.size(); ++i) {
        if (!SameName(Sections[i].Name, section)) continue;
        const qsizetype removed = Sections[i].Lines.removeIf(
            [&](const Line &line) { return line.HasValue && SameName(line.Key, key); });
        if (removed > 0 && Sections[i].Lines.isEmpty()) Sections.removeAt(i);
        return;
    }
}

QByteArray SettingsStore::Serialize() const
{
    QString text;
    for (const Section &s : Sections) {
        text += u'[';
        text += s.Name;
        text += QLatin1String("]\r\n");
        for (const Line &line : s.Lines) {
            text += line.Key;
            if (line.HasValue) {
                text += u'=';
                text += line.Value;
            }
            text += QLatin1String("\r\n");
        }
        text += QLatin1String("\r\n");
    }
    return text.toUtf8();
}

namespace
{
// A failed step of a save and the system's reason for it, as the player reads them.
QString StepFailed(const char *step, int error)
{
    return QStringLiteral("%1 failed (%2)")
        .arg(QLatin1String(step), QString::fromLocal8Bit(std::strerror(error)));
}

// The file a save replaces: a symbolic link's target, so that the link stays a link.
QString SaveTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink()) return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

// Writes all of `contents`, going on after a short write or a signal.
bool WriteWhole(const SaveCalls &calls, int fd, const QByteArray &contents)
{
    const char *data = contents.constData();
    size_t left = static_cast<size_t>(contents.size());
    while (left > 0) {
        const ssize_t written = calls.Write(fd, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = EIO;
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

// Makes the rename itself lasting: the folder's entry must reach the disk too.
bool SyncFolder(const SaveCalls &calls, const QByteArray &folder)
{
    const int fd = calls.Open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool synced = calls.Sync(fd) == 0;
    const int error = errno;
    const bool closed = calls.Close(fd) == 0;
    if (!synced) errno = error;
    return synced && closed;
}
} // namespace

bool SettingsStore::UpdateFile(const BeforeReplaceHook &beforeReplace)
{
    LastError.clear();
    if (Path.isEmpty()) {
        LastError = QStringLiteral("no file name");
        return false;
    }
    const QString target = SaveTarget(Path);
    const QFileInfo info(target);
    if (info.exists() && !info.isFile()) {
        LastError = info.isDir() ? QStringLiteral("it is a folder, not a file")
                                 : QStringLiteral("it is not a regular file");
        return false;
    }
    const QByteArray finalName = QFile::encodeName(target);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const SaveCalls &calls = SettingsSaveCalls();

    // The new contents go to a file of their own beside the old one, named for this process
    // so that two running copies never write into the same one.
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = finalName + ".new-" + QByteArray::number(getpid()) +
                    (attempt > 0 ? "-" + QByteArray::number(attempt) : QByteArray());
        fd = calls.Open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        LastError = StepFailed("creating the temporary file", errno);
        return false;
    }
    // Gives up the temporary file, keeping the first error's reason.
    const auto abandon = [&](const QString &reason, bool open) {
        LastError = reason;
        if (open) calls.Close(fd);
        calls.Unlink(temporary.constData());
        return false;
    };

    // A replaced file keeps who may read it.
    struct stat old {
    };
    if (::stat(finalName.constData(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);

    if (!WriteWhole(calls, fd, Serialize()))
        return abandon(StepFailed("writing the temporary file", errno), true);
    // The new contents must be on the disk before they replace the old ones.
    if (calls.Sync(fd) != 0) return abandon(StepFailed("syncing the temporary file", errno), true);
    if (beforeReplace && !beforeReplace())
        return abandon(QStringLiteral("the save was stopped before the file was replaced"), true);
    if (calls.Close(fd) != 0)
        return abandon(StepFailed("closing the temporary file", errno), false);
    if (calls.Rename(temporary.constData(), finalName.constData()) != 0)
        return abandon(StepFailed("putting the new file in place", errno), false);
    if (!SyncFolder(calls, folder)) {
        // The new file is in place, whole; only whether the disk holds it is in doubt.
        LastError = StepFailed("syncing its folder", errno);
        return false;
    }
    return true;
}
