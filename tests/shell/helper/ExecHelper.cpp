// A stand-in for the programs Quillbox starts (editor, archiver): it records how it was called
// and can produce a completion file after a delay.
//   exec_helper [--create FILE [--after MS]] [ARGS...]
// With QUILLBOX_EXEC_HELPER_LOG set, writes the working folder and then every argument, one a
// line, to that file.
#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>
#include <QTimer>

namespace {

void writeAtOnce(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
        file.commit();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);

    QString log = qEnvironmentVariable("QUILLBOX_EXEC_HELPER_LOG");
    if (!log.isEmpty()) {
        QStringList lines{QDir::currentPath()};
        lines += args;
        writeAtOnce(log, lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    }

    int create = args.indexOf(QStringLiteral("--create"));
    if (create < 0 || create + 1 >= args.size()) return 0;
    QString target = args[create + 1];
    int after = 0;
    int delay = args.indexOf(QStringLiteral("--after"));
    if (delay >= 0 && delay + 1 < args.size()) after = args[delay + 1].toInt();
    QTimer::singleShot(after, &app, [&] {
        writeAtOnce(target, QByteArrayLiteral("done\n"));
        app.quit();
    });
    return app.exec();
}
