#include "platform/IniFile.h"

#include "platform/FileNames.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace qb {

bool IniFile::load(const QString& path, QString* error)
{
    path_ = path;
    lines_.clear();
    dirty_ = false;
    unreadable_.clear();
    QFile file(path);
    if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink()) return true;
    QByteArray raw;
    if (file.open(QIODevice::ReadOnly)) raw = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        unreadable_ = path + QStringLiteral(" cannot be read: ") + file.errorString();
        if (error) *error = unreadable_;
        return false;
    }
    QString text = QString::fromUtf8(raw);
    if (text.contains(QStringLiteral("\r\n"))) newline_ = QStringLiteral("\r\n");
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    lines_ = text.split(QLatin1Char('\n'));
    if (!lines_.isEmpty() && lines_.last().isEmpty()) lines_.removeLast();
    return true;
}

bool IniFile::save(QString* error) const
{
    if (!unreadable_.isEmpty()) {
        if (error) *error = unreadable_;
        return false;
    }
    QString text;
    for (const QString& line : lines_) {
        text += line;
        text += newline_;
    }
    if (!files::writeBytesFile(path_, text.toUtf8(), error)) return false;
    dirty_ = false;
    return true;
}

bool IniFile::sectionNameOf(const QString& line, QString* name)
{
    QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('['))) return false;
    int close = t.indexOf(QLatin1Char(']'));
    if (close < 0) return false;
    *name = t.mid(1, close - 1).trimmed();
    return true;
}

bool IniFile::keyOf(const QString& line, QString* key, QString* value)
{
    QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('[')))
        return false;
    int eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0) return false;
    *key = t.left(eq).trimmed();
    if (value) *value = t.mid(eq + 1).trimmed();
    return true;
}

IniFile::Location IniFile::find(const QString& section, const QString& key) const
{
    Location loc;
    bool inSection = false;
    for (int i = 0; i < lines_.size(); ++i) {
        QString name;
        if (sectionNameOf(lines_[i], &name)) {
            if (inSection) break;  // the first matching section wins
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection) {
                loc.sectionLine = i;
                loc.lastKeyLine = i;
            }
            continue;
        }
        if (!inSection) continue;
        if (!lines_[i].trimmed().isEmpty()) loc.lastKeyLine = i;
        QString k;
        if (loc.keyLine < 0 && keyOf(lines_[i], &k, nullptr) &&
            k.compare(key, Qt::CaseInsensitive) == 0)
            loc.keyLine = i;
    }
    return loc;
}

namespace {

QString unquoted(QString v)
{
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) &&
        v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    if (v.size() > IniFile::kMaxValueLength) v.truncate(IniFile::kMaxValueLength);
    return v;
}

}  // namespace

std::optional<QString> IniFile::value(const QString& section, const QString& key) const
{
    Location loc = find(section, key);
    if (loc.keyLine < 0) return std::nullopt;
    QString k, v;
    keyOf(lines_[loc.keyLine], &k, &v);
    return unquoted(v);
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const
{
    auto v = value(section, key);
    return v ? *v : def;
}

std::optional<int> IniFile::parseInteger(const QString& text)
{
    QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool negative = false;
    if (t.front() == QLatin1Char('-') || t.front() == QLatin1Char('+')) {
        negative = t.front() == QLatin1Char('-');
        t.remove(0, 1);
    }
    int base = 10;
    if (t.startsWith(QLatin1Char('$'))) {
        base = 16;
        t.remove(0, 1);
    } else if (t.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t.remove(0, 2);
    }
    // Digits only from here: a second sign or prefix is not a number.
    if (t.isEmpty()) return std::nullopt;
    qlonglong n = 0;
    const qlonglong limit = negative ? -qlonglong(INT_MIN) : INT_MAX;
    for (const QChar c : t) {
        const char16_t u = c.unicode();
        int digit = -1;
        if (u >= '0' && u <= '9')
            digit = u - '0';
        else if (base == 16 && u >= 'a' && u <= 'f')
            digit = u - 'a' + 10;
        else if (base == 16 && u >= 'A' && u <= 'F')
            digit = u - 'A' + 10;
        if (digit < 0) return std::nullopt;
        n = n * base + digit;
        if (n > limit) return std::nullopt;
    }
    return int(negative ? -n : n);
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const
{
    auto v = value(section, key);
    if (!v) return def;
    auto n = parseInteger(*v);
    return n ? *n : def;
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::hasSection(const QString& section) const
{
    return find(section, QString()).sectionLine >= 0;
}

QStringList IniFile::keys(const QString& section) const
{
    QStringList result;
    for (const auto& entry : entries(section)) result << entry.first;
    return result;
}

std::vector<std::pair<QString, QString>> IniFile::entries(const QString& section) const
{
    std::vector<std::pair<QString, QString>> result;
    bool inSection = false;
    for (const QString& line : lines_) {
        QString name;
        if (sectionNameOf(line, &name)) {
            if (inSection) break;
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        QString k, v;
        if (inSection && keyOf(line, &k, &v)) result.emplace_back(k, unquoted(v));
    }
    return result;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    QString clean = value;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' '));
    clean.replace(QLatin1Char('\n'), QLatin1Char(' '));
    Location loc = find(section, key);
    if (loc.keyLine >= 0) {
        QString k;
        keyOf(lines_[loc.keyLine], &k, nullptr);
        QString line = k + QLatin1Char('=') + clean;
        if (lines_[loc.keyLine] != line) {
            lines_[loc.keyLine] = line;
            dirty_ = true;
        }
        return;
    }
    if (loc.sectionLine < 0) {
        if (!lines_.isEmpty() && !lines_.last().trimmed().isEmpty()) lines_ << QString();
        lines_ << QLatin1Char('[') + section + QLatin1Char(']');
        lines_ << key + QLatin1Char('=') + clean;
    } else {
        lines_.insert(loc.lastKeyLine + 1, key + QLatin1Char('=') + clean);
    }
    dirty_ = true;
}

void IniFile::writeSection(const QString& section,
                           const std::vector<std::pair<QString, QString>>& entries)
{
    if (find(section, QString()).sectionLine >= 0) {
        for (const auto& [key, value] : entries) writeString(section, key, value);
        return;
    }
    // A new section: its lines go at the end, a key written twice keeps its first place.
    if (!lines_.isEmpty() && !lines_.last().trimmed().isEmpty()) lines_ << QString();
    lines_ << QLatin1Char('[') + section + QLatin1Char(']');
    QHash<QString, std::pair<qsizetype, QString>> placed;  // folded key -> line, key as written
    for (const auto& [key, value] : entries) {
        QString clean = value;
        clean.replace(QLatin1Char('\r'), QLatin1Char(' '));
        clean.replace(QLatin1Char('\n'), QLatin1Char(' '));
        const QString folded = key.trimmed().toCaseFolded();
        if (auto at = placed.constFind(folded); at != placed.constEnd()) {
            lines_[at->first] = at->second + QLatin1Char('=') + clean;
            continue;
        }
        placed.insert(folded, {lines_.size(), key.trimmed()});
        lines_ << key + QLatin1Char('=') + clean;
    }
    dirty_ = true;
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::deleteKey(const QString& section, const QString& key)
{
    Location loc = find(section, key);
    if (loc.keyLine >= 0) {
        lines_.removeAt(loc.keyLine);
        dirty_ = true;
    }
}

void IniFile::eraseSection(const QString& section)
{
    Location loc = find(section, QString());
    if (loc.sectionLine < 0) return;
    int end = loc.sectionLine + 1;
    while (end < lines_.size()) {
        QString name;
        if (sectionNameOf(lines_[end], &name)) break;
        ++end;
    }
    for (int i = end - 1; i >= loc.sectionLine; --i) lines_.removeAt(i);
    dirty_ = true;
}

QString IniFile::readStringOnce(const QString& path, const QString& section, const QString& key,
                                const QString& def)
{
    return IniFile(path).readString(section, key, def);
}

bool IniFile::writeStringOnce(const QString& path, const QString& section, const QString& key,
                              const QString& value)
{
    IniFile ini;
    if (!ini.load(path)) return false;
    ini.writeString(section, key, value);
    return !ini.isDirty() || ini.save();
}

bool IniFile::writeIntegerOnce(const QString& path, const QString& section, const QString& key,
                               int value)
{
    return writeStringOnce(path, section, key, QString::number(value));
}

bool IniFile::writeBoolOnce(const QString& path, const QString& section, const QString& key,
                            bool value)
{
    return writeStringOnce(path, section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace qb
