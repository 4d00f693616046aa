#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "cards/CardData.h"

namespace qb::recovery {

// The unsaved edits of the desktop's changed cards, kept beside the tables so that a kill, a
// crash or a power cut loses at most the last seconds of typing. A small JSON file, not a table:
// never packed, never in a backup package.
inline constexpr char kFormatTag[] = "quillbox-recovery";
inline constexpr int kVersion = 1;

QString FileName();                    // "recovery.qbr"
QString FilePath(const QString& dir);  // in the store directory

// Encoded pictures by QImage::cacheKey(), so a picture is encoded once, not at every write.
using PictureCache = QHash<qint64, QByteArray>;

// The item and concept cards among `cards`, as the file holds them. Other kinds are passed over.
QByteArray Serialize(const std::vector<const CardData*>& cards, PictureCache* pictures = nullptr);

struct Contents {
    std::vector<std::unique_ptr<CardData>> cards;  // ItemCardData or ConceptCardData, Changed set
    QString error;                                 // why the file cannot be used; empty when it can
    bool ok() const { return error.isEmpty(); }
};
Contents Parse(const QByteArray& bytes);

// Renames the file to "recovery-<date>-<time>.qbr" beside it; returns the new path, or empty.
QString SetAside(const QString& path, const QDateTime& when, QString* error = nullptr);

// Writes and removals on a thread of their own, in order, so typing never waits on the disk.
// A job that has not started yet is replaced by a newer one: only the latest snapshot matters.
class Writer {
public:
    Writer();
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void write(const QString& path, const QByteArray& bytes);
    void remove(const QString& path);
    // Returns once every job given so far is done.
    void waitForDone();
    QString lastError() const;

private:
    struct Job {
        QString path;
        QByteArray bytes;
        bool remove = false;
    };
    void run();
    void give(Job job);

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Job> pending_;
    bool busy_ = false;
    bool stop_ = false;
    QString lastError_;
    std::thread thread_;
};

// The desktop's reaction to a commit that reached the disk (the file then holds only what is
// still unsaved). Core code that commits other cards (the CLI) leaves the desktop's file alone.
std::function<void()>& AfterCommitHook();
void NotifyCommitted();

}  // namespace qb::recovery
