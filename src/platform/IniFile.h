#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace qb {

// A small INI file with the semantics of the classic profile-file service: section and key names
// compared without regard to case, values trimmed (and stripped of one pair of enclosing quotes),
// read up to 2047 characters, every other line kept as it was when a key is written, CR LF, LF
// and CR all read. QSettings escapes and reorders, so it is not used.
class IniFile {
public:
    static constexpr int kMaxValueLength = 2047;

    IniFile() = default;
    explicit IniFile(const QString& path) { load(path); }

    // Loads the file; a missing file is an empty one. False only when it exists but cannot be read;
    // such a file is never saved over, since what it holds is not known.
    bool load(const QString& path, QString* error = nullptr);
    // Replaces the file by a complete copy (see files::writeBytesFile). Creates it when missing.
    bool save(QString* error = nullptr) const;
    QString path() const { return path_; }

    std::optional<QString> value(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key, const QString& def) const;
    int readInteger(const QString& section, const QString& key, int def) const;
    bool readBool(const QString& section, const QString& key, bool def) const;
    bool hasKey(const QString& section, const QString& key) const
    {
        return value(section, key).has_value();
    }
    bool hasSection(const QString& section) const;
    QStringList keys(const QString& section) const;
    // The keys of a section with their values as value() gives them, in file order, in one pass.
    std::vector<std::pair<QString, QString>> entries(const QString& section) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    // Writes every key of the list as writeString would, in one pass over the file.
    void writeSection(const QString& section,
                      const std::vector<std::pair<QString, QString>>& entries);
    void deleteKey(const QString& section, const QString& key);
    void eraseSection(const QString& section);

    QStringList lines() const { return lines_; }
    bool isDirty() const { return dirty_; }

    // Strict whole-number parse of a profile value (leading sign, decimal or 0x/$ hex).
    static std::optional<int> parseInteger(const QString& text);

    // Single-access helpers: each opens the file, does one thing and closes it again.
    static QString readStringOnce(const QString& path, const QString& section, const QString& key,
                                  const QString& def);
    static bool writeStringOnce(const QString& path, const QString& section, const QString& key,
                                const QString& value);
    static bool writeIntegerOnce(const QString& path, const QString& section, const QString& key,
                                 int value);
    static bool writeBoolOnce(const QString& path, const QString& section, const QString& key,
                              bool value);

private:
    struct Location {
        int sectionLine = -1;  // line of "[section]", -1 when absent
        int keyLine = -1;      // line of "key=value", -1 when absent
        int lastKeyLine = -1;  // last non-blank line of the section
    };
    Location find(const QString& section, const QString& key) const;
    static bool sectionNameOf(const QString& line, QString* name);
    static bool keyOf(const QString& line, QString* key, QString* value);

    QString path_;
    QStringList lines_;
    QString newline_ = QStringLiteral("\n");
    QString unreadable_;  // why the file could not be read; empty when it was read or is missing
    mutable bool dirty_ = false;
};

}  // namespace qb
