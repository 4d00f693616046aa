#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

namespace qb {

// One running program per store: a lock file in the store directory, and a local socket through
// which a second start asks the running one to come forward.
class SingleInstanceGuard : public QObject {
    Q_OBJECT
public:
    explicit SingleInstanceGuard(const QString& storeDir, QObject* parent = nullptr);
    ~SingleInstanceGuard() override;

    // True when this is the only copy on the store. Otherwise, when problem() is empty, the running
    // copy has been asked to come forward and this one should end; when it is not, the lock file
    // could not be made at all (a read-only or full store directory) and problem() says why.
    bool acquire();
    QString problem() const { return problem_; }
    QString serverName() const { return serverName_; }
    QString lockPath() const { return lockPath_; }

Q_SIGNALS:
    void raiseRequested();

private:
    QString lockPath_;
    QString serverName_;
    QString problem_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

}  // namespace qb
