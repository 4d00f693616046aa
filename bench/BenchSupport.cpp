#include "BenchSupport.h"

#include "platform/FileNames.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace qb::bench {

MessageReply RecordingMessenger::showInfo(const MessageRequest& request)
{
    seen << (request.code.isEmpty() ? request.message
                                    : request.message + QLatin1Char(' ') + request.code);
    MessageReply reply;
    reply.button = MessageButton::Ok;
    return reply;
}

void RecordingMessenger::processEvents() { QCoreApplication::processEvents(); }

bool readOptions(const QStringList& args, std::initializer_list<BenchOption> options)
{
    for (int i = 0; i < args.size(); i += 2) {
        const BenchOption* option = nullptr;
        for (const BenchOption& o : options)
            if (args[i] == QLatin1String(o.name)) option = &o;
        if (!option || i + 1 >= args.size()) return false;
        const QString& value = args[i + 1];
        bool ok = true;
        if (auto* text = std::get_if<QString*>(&option->target))
            **text = value;
        else if (auto* number = std::get_if<int*>(&option->target))
            **number = value.toInt(&ok);
        else
            **std::get_if<quint64*>(&option->target) = value.toULongLong(&ok);
        if (!ok) return false;
    }
    return true;
}

double median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double timeMs(const std::function<void()>& work, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    return median(times);
}

bool ensureSyntheticStore(const QString& dir, const SyntheticStoreOptions& options)
{
    if (files::exists(dir, QStringLiteral("ITEM.DB"))) return true;
    QElapsedTimer timer;
    timer.start();
    SyntheticStoreCounts counts;
    QString error;
    if (!writeSyntheticStore(dir, options, &counts, &error)) {
        std::fprintf(stderr, "generator: %s\n", error.toLocal8Bit().constData());
        return false;
    }
    std::printf("generated %lld items, %lld keyword links, %lld words, %lld pictures in %.2f s\n",
                counts.items, counts.itemKeys, counts.words, counts.pictures,
                timer.elapsed() / 1000.0);
    return true;
}

bool openStore(const QString& dir, Messenger& messenger)
{
    Session& s = session();
    s.setMessenger(&messenger);
    s.setDir(dir);
    QString error;
    if (s.store.open(s.dir(), &error)) return true;
    std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
    return false;
}

}  // namespace qb::bench
