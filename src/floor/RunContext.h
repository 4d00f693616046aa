#pragma once

#include "floor/RunFlags.h"
#include "floor/Settings.h"

#include <QString>

#include <functional>
#include <memory>

namespace qb {

class Clock;
class Messenger;

// What every layer may consult during one run, whatever the program: the store directory, the
// settings record, the messenger and clock in use, and the control flags of long operations.
// The store connection and the subsystems' state sit above, in Session.
class RunContext {
public:
    static RunContext& instance();

    RunContext();
    ~RunContext();
    RunContext(const RunContext&) = delete;
    RunContext& operator=(const RunContext&) = delete;

    // Store directory without and with the trailing separator.
    QString dir() const { return dir_; }
    QString dirWithSeparator() const;
    void setDir(const QString& dir);
    // Path of a file in the store directory, matched without regard to case.
    QString filePath(const QString& name) const;
    QString iniPath() const { return filePath(QStringLiteral("qb.ini")); }

    Messenger& messenger() { return *messenger_; }
    void setMessenger(Messenger* messenger);
    Clock& clock() { return *clock_; }
    void setClock(Clock* clock);

    QString version() const { return QStringLiteral(QUILLBOX_VERSION); }

    Settings settings;

    // The stop, Esc request, held abort and closing flags.
    RunFlags flags;

    // Called after every message, to clear the desktop's in-progress marks (drag, scroll lock).
    std::function<void()> clearOperationMarks;

    // Flags, settings and the hook back to their start state; the directory, messenger and
    // clock stay.
    void reset();

private:
    QString dir_;
    Messenger* messenger_;
    Clock* clock_;
    std::unique_ptr<Messenger> defaultMessenger_;
    std::unique_ptr<Clock> defaultClock_;
};

inline RunContext& runContext() { return RunContext::instance(); }

}  // namespace qb
