#include "platform/FileNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace qb::files {

QString resolve(const QString& dir, const QString& name)
{
    QDir d(dir);
    QString direct = d.filePath(name);
    if (QFileInfo::exists(direct)) return direct;
    const QStringList entries =
        d.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return d.filePath(entry);
    return direct;
}

bool exists(const QString& dir, const QString& name)
{
    return QFileInfo::exists(resolve(dir, name));
}

bool removeIfPresent(const QString& dir, const QString& name)
{
    QString path = resolve(dir, name);
    if (!QFileInfo::exists(path)) return true;
    return QFile::remove(path);
}

QString errorText(int errnum)
{
    if (errnum == ENOSPC || errnum == EDQUOT) return QStringLiteral("the disk is full");
    return QString::fromLocal8Bit(std::strerror(errnum));
}

bool writeAll(int fd, const QByteArray& bytes, QString* error)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (error) *error = errorText(n < 0 ? errno : ENOSPC);
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

namespace {

bool fail(QString* error, const QString& path, int errnum)
{
    if (error) *error = path + QStringLiteral(": ") + errorText(errnum);
    return false;
}

bool writeInPlace(const QString& path, const QByteArray& bytes, QString* error)
{
    const QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return fail(error, path, errno);
    QString why;
    bool ok = writeAll(fd, bytes, &why);
    int closeErrno = ::close(fd) == 0 ? 0 : errno;
    if (!ok) {
        if (error) *error = path + QStringLiteral(": ") + why;
        return false;
    }
    return closeErrno == 0 || fail(error, path, closeErrno);
}

}  // namespace

bool writeBytesFile(const QString& path, const QByteArray& bytes, QString* error)
{
    // A link is followed, so that the file it names is replaced and the link stays.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    const QByteArray finalName = QFile::encodeName(target);
    struct stat old = {};
    const bool existed = ::stat(finalName.constData(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode)) return writeInPlace(target, bytes, error);

    static std::atomic<unsigned> counter{0};
    QByteArray tempName;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempName = finalName + '.' + QByteArray::number(qint64(::getpid())) + '.' +
                   QByteArray::number(counter++) + ".tmp";
        fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return fail(error, target, errno);
    // The copy keeps the permissions of the file it replaces.
    if (existed) ::fchmod(fd, old.st_mode & 07777);

    QString why;
    bool ok = writeAll(fd, bytes, &why);
    int errnum = 0;
    if (ok && ::fsync(fd) != 0) {
        errnum = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        errnum = errno;
        ok = false;
    }
    if (ok && ::rename(tempName.constData(), finalName.constData()) != 0) {
        errnum = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(tempName.constData());
        if (errnum == 0) {
            if (error) *error = target + QStringLiteral(": ") + why;
            return false;
        }
        return fail(error, target, errnum);
    }
    // The new name is on disk only once its directory is.
    const QByteArray dirName = QFile::encodeName(QFileInfo(target).absolutePath());
    int dirFd = ::open(dirName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool writeTextFile(const QString& path, const QString& text, QString* error)
{
    return writeBytesFile(path, text.toUtf8(), error);
}

bool readTextFile(const QString& path, QString* text, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    QString t = QString::fromUtf8(file.readAll());
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    *text = t;
    return true;
}

QString shareDir()
{
    // Only places relative to the executable: an installed program must not depend on the folder
    // it was built in. The first is the installed layout (bin/ beside share/); the others are the
    // build tree's bin/, tests/<dir>/ and deeper tool folders.
    static const QString cached = [] {
        QString exeDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                      : QDir::currentPath();
        const QStringList candidates = {
            exeDir + QStringLiteral("/../share/quillbox"),
            exeDir + QStringLiteral("/share/quillbox"),
            exeDir + QStringLiteral("/../../share/quillbox"),
            exeDir + QStringLiteral("/../../../share/quillbox"),
        };
        for (const QString& c : candidates)
            if (QFileInfo::exists(c + QStringLiteral("/cleandata.zip")) ||
                QFileInfo::exists(c + QStringLiteral("/help")))
                return QDir(c).absolutePath();
        return QDir(candidates.first()).absolutePath();
    }();
    return cached;
}

QString withSeparator(const QString& dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

}  // namespace qb::files
