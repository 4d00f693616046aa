#include "projects/Links.h"

#include "floor/Messages.h"
#include "platform/IniFile.h"
#include "projects/ProjectRecords.h"
#include "session/ExternalPrograms.h"
#include "session/Session.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>

namespace qb {

namespace {

bool isAddress(const QString& text)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:\\S+$"));
    return scheme.match(text).hasMatch();
}

QString localPathOf(const QString& url)
{
    if (url.startsWith(QStringLiteral("file://"), Qt::CaseInsensitive))
        return QUrl(url).toLocalFile();
    return url;
}

}  // namespace

QString EncodeUrlTail(const QString& url)
{
    if (url.contains(QLatin1Char('%'))) return url;
    qsizetype at = url.indexOf(QLatin1Char('?'));
    if (at < 0) at = url.lastIndexOf(QLatin1Char('/'));
    if (at < 0 || at + 1 >= url.size() || url.contains(QLatin1Char('\\')) ||
        !url.contains(QLatin1Char(',')))
        return url;
    return url.left(at + 1) + QString::fromLatin1(QUrl::toPercentEncoding(url.mid(at + 1)));
}

UrlTarget TargetOfUrl(const QString& url)
{
    if (IsWebAddress(url)) return UrlTarget::Web;
    const QString upper = url.toUpper();
    for (const char* ext : {".EXE", ".COM", ".LNK"})
        if (upper.contains(QLatin1String(ext))) return UrlTarget::Program;
    const QFileInfo file(localPathOf(url));
    if (file.isFile() && file.isExecutable()) return UrlTarget::Program;
    return UrlTarget::Document;
}

QString UrlExtension(const QString& url)
{
    // The file name's own dot: folders may hold dots too.
    const QString name = QFileInfo(localPathOf(url)).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString ProgramForExtension(const QString& extension)
{
    if (!extension.isEmpty()) {
        const QString chosen =
            IniFile::readStringOnce(session().iniPath(), QStringLiteral("FILE EXTENSIONS"),
                                    extension, QString())
                .trimmed();
        if (!chosen.isEmpty()) return chosen;
        const QString registered = FindRegisteredProgram(extension);
        if (!registered.isEmpty()) return registered;
    }
    return session().settings.textEditor;
}

bool OpenProjectUrl(const QString& typed, const std::function<bool(const QString&)>& openWeb)
{
    const QString url = EncodeUrlTail(typed.trimmed());
    if (url.isEmpty()) return false;
    switch (TargetOfUrl(url)) {
    case UrlTarget::Web: return openWeb && openWeb(url);
    case UrlTarget::Program: {
        TExecFile runner(QStringLiteral("ProjectProgram"));
        runner.FileName = localPathOf(url);
        runner.Windowstyle = TWState::wsNormalize;
        return runner.Execute();
    }
    case UrlTarget::Document: {
        const QString path = localPathOf(url);
        if (!QFileInfo::exists(path)) return false;
        // A folder opens in the file manager.
        if (QFileInfo(path).isDir())
            return ShellAnyProgram(session().settings.fileHandler, path, TWState::wsNormalize);
        return ShellAnyProgram(ProgramForExtension(UrlExtension(url)), path, TWState::wsNormalize);
    }
    }
    return false;
}

BrowserPage BrowserPageFrom(const QMimeData* mime)
{
    BrowserPage page;
    if (!mime) return page;
    // A link dragged or copied from a browser: address, line break, title.
    if (mime->hasFormat(QStringLiteral("text/x-moz-url"))) {
        const QByteArray raw = mime->data(QStringLiteral("text/x-moz-url"));
        const QString text =
            QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.constData()), raw.size() / 2);
        const QString address = text.section(QLatin1Char('\n'), 0, 0).trimmed();
        if (isAddress(address)) {
            page.address = address;
            page.title = text.section(QLatin1Char('\n'), 1, 1).remove(QChar(0)).trimmed();
            return page;
        }
    }
    if (mime->hasHtml()) {
        static const QRegularExpression link(
            QStringLiteral("<a\\s[^>]*href\\s*=\\s*[\"']([^\"']+)[\"'][^>]*>(.*?)</a>"),
            QRegularExpression::CaseInsensitiveOption |
                QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch m = link.match(mime->html());
        if (m.hasMatch() && isAddress(m.captured(1).trimmed())) {
            page.address = m.captured(1).trimmed();
            static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
            page.title = m.captured(2).remove(tags).simplified();
            return page;
        }
    }
    const QString text = mime->text().trimmed();
    if (isAddress(text)) page.address = text;
    return page;
}

BrowserPage GetBrowserPage()
{
    BrowserPage page;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            page = BrowserPageFrom(clipboard->mimeData());
    if (page.address.isEmpty())
        ShowInfo(QString::fromLatin1(links::kCheckBrowser), QStringLiteral("b306"), kInformation,
                 projectmessages::kHelp);
    return page;
}

}  // namespace qb
