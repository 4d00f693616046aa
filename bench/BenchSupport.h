#pragma once

// What every benchmark needs besides its own measurements.

#include "SyntheticStore.h"
#include "floor/Messenger.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <variant>
#include <vector>

namespace qb::bench {

// Answers every message with OK and keeps its text (with its code, when it has one), so that a
// run can say at the end whether the program complained.
class RecordingMessenger : public Messenger {
public:
    MessageReply showInfo(const MessageRequest& request) override;
    void plainMessage(const QString& text) override { seen << text; }
    void beep() override {}
    void processEvents() override;
    QStringList seen;
};

// One "--name VALUE" option of a benchmark and the variable its value is read into.
struct BenchOption {
    const char* name;
    std::variant<QString*, int*, quint64*> target;
};
// Reads args as options; false on an unknown name, a missing value or a number that does not
// read. The ranges of the values are the caller's to check.
bool readOptions(const QStringList& args, std::initializer_list<BenchOption> options);

double median(std::vector<double> values);
// Milliseconds of one run of work, the median of runs.
double timeMs(const std::function<void()>& work, int runs = 5);

// Installs the messenger, makes dir the store directory and opens the store there; false (with
// the reason on stderr) when it cannot be opened.
bool openStore(const QString& dir, Messenger& messenger);

// A store in dir, generated with the options unless one is there already. False (with the reason
// on stderr) when the generator failed.
bool ensureSyntheticStore(const QString& dir, const SyntheticStoreOptions& options);

}  // namespace qb::bench
