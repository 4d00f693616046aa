#include "RestoreSupport.h"

#include "store/Schema.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

namespace qb::test {

PackageSource::PackageSource(const QString& path) : dir(path)
{
    QString error;
    EXPECT_TRUE(schema::createEmptyStore(dir, &error)) << error.toStdString();
    EXPECT_TRUE(store.open(dir, &error)) << error.toStdString();
}

void PackageSource::exec(const QString& sql, const QVariantList& values)
{
    sql::Statement st(store.db(), sql);
    for (int i = 0; i < values.size(); ++i) st.bindVariant(i + 1, values[i]);
    EXPECT_TRUE(st.run()) << sql.toStdString() << ": " << st.error().toStdString();
}

QStringList PackageSource::packageFiles()
{
    QStringList names;
    for (const schema::Table& t : schema::tables())
        if (t.name != QStringLiteral("SCHED")) names << t.fileName;
    return names;
}

QString PackageSource::zip(const QString& zipPath, const QStringList& files)
{
    QStringList paths;
    for (const QString& f : files) paths << QDir(dir).filePath(f);
    zipFiles(zipPath, paths);
    return zipPath;
}

void zipFiles(const QString& zipPath, const QStringList& paths)
{
    QFile::remove(zipPath);
    QProcess zip;
    zip.start(QStringLiteral("zip"), QStringList{QStringLiteral("-j"), QStringLiteral("-q"),
                                                 QStringLiteral("-X"), zipPath} +
                                         paths);
    ASSERT_TRUE(zip.waitForFinished(60000));
    ASSERT_EQ(zip.exitCode(), 0) << zip.readAllStandardError().toStdString();
}

namespace {

quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : data) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put16(QByteArray& out, quint32 v) { out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); }
void put32(QByteArray& out, quint32 v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

void writeZip(const QString& zipPath, const std::vector<ZipEntry>& entries)
{
    QByteArray body, directory;
    for (const ZipEntry& e : entries) {
        const quint32 offset = quint32(body.size());
        const quint32 crc = crc32(e.data);
        put32(body, 0x04034b50);
        put16(body, 10);
        put16(body, 0);
        put16(body, 0);  // stored
        put32(body, 0);
        put32(body, crc);
        put32(body, e.data.size());
        put32(body, e.data.size());
        put16(body, e.name.size());
        put16(body, 0);
        body += e.name + e.data;
        put32(directory, 0x02014b50);
        put16(directory, (3 << 8) | 30);  // made on Unix
        put16(directory, 10);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, 0);
        put32(directory, crc);
        put32(directory, e.data.size());
        put32(directory, e.data.size());
        put16(directory, e.name.size());
        put32(directory, 0);  // extra and comment lengths
        put32(directory, 0);  // disk, internal attributes
        put32(directory, e.mode << 16);
        put32(directory, offset);
        directory += e.name;
    }
    QByteArray end;
    put32(end, 0x06054b50);
    put32(end, 0);
    put16(end, quint32(entries.size()));
    put16(end, quint32(entries.size()));
    put32(end, directory.size());
    put32(end, body.size());
    put16(end, 0);
    QFile out(zipPath);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(body + directory + end);
}

QStringList everyRow(sql::Database& db)
{
    QStringList out;
    for (const schema::Table& table : schema::tables()) {
        QStringList columns;
        for (int i = 1; i <= int(table.fields.size()); ++i) columns << QString::number(i);
        sql::Statement st(
            db, QStringLiteral("SELECT * FROM %1.%2 ORDER BY %3")
                    .arg(sql::quoteIdentifier(table.schemaName), sql::quoteIdentifier(table.name),
                         columns.join(QLatin1Char(','))));
        while (st.next()) {
            QStringList values{table.name};
            for (int c = 0; c < st.columnCount(); ++c)
                values << (st.isNull(c) ? QStringLiteral("NULL")
                                        : QString::fromLatin1(st.value(c).typeName()) +
                                              QLatin1Char(':') + st.value(c).toString());
            out << values.join(QLatin1Char('|'));
        }
        EXPECT_TRUE(st.ok()) << st.error().toStdString();
    }
    return out;
}

}  // namespace qb::test
