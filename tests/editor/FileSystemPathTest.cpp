// Paths kept as the file system's own bytes: taken from a drop without loss, and shown readably.
#include "editor/FileSystemPath.h"

#include <QMimeData>
#include <QUrl>
#include <QtTest>

using namespace morvane;

class FileSystemPathTest : public QObject {
    Q_OBJECT

private slots:
    void readableText_data();
    void readableText();
    void droppedFilePath_data();
    void droppedFilePath();
};

void FileSystemPathTest::readableText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("ASCII") << QByteArray("/roms/rom.gb") << QStringLiteral("/roms/rom.gb");
    QTest::newRow("UTF-8 of two, three and four bytes")
        << QByteArray("caf\xC3\xA9 \xE7\xB2\xBE \xF0\x9F\x8E\xAE")
        << QStringLiteral("caf\u00E9 \u7CBE \U0001F3AE");
    QTest::newRow("a Latin-1 byte") << QByteArray("caf\xE9.gb") << QStringLiteral("caf\u00E9.gb");
    QTest::newRow("UTF-8 folder, Latin-1 name")
        << QByteArray("/J\xC3\xB6rg/\xE9t\xE9.gb") << QStringLiteral("/J\u00F6rg/\u00E9t\u00E9.gb");
    QTest::newRow("a character cut off at the end")
        << QByteArray("a\xC3") << QStringLiteral("a\u00C3");
    QTest::newRow("a stray continuation byte") << QByteArray("\xA9x") << QStringLiteral("\u00A9x");
    QTest::newRow("an overlong slash") << QByteArray("\xC0\xAF") << QStringLiteral("\u00C0\u00AF");
    QTest::newRow("a surrogate") << QByteArray("\xED\xA0\x80")
                                 << QStringLiteral("\u00ED\u00A0\u0080");
    QTest::newRow("a three-byte character with a bad last byte")
        << QByteArray("\xE7\xB2x") << QStringLiteral("\u00E7\u00B2x");
}

void FileSystemPathTest::readableText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QCOMPARE(ReadableText(std::string_view(bytes.constData(), std::size_t(bytes.size()))), shown);
}

void FileSystemPathTest::droppedFilePath_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("a Latin-1 name, byte for byte")
        << QList<QUrl> {QUrl::fromEncoded("file:///roms/caf%E9%20x.gb")}
        << QByteArray("/roms/caf\xE9 x.gb");
    QTest::newRow("a UTF-8 name") << QList<QUrl> {QUrl::fromLocalFile("/roms/Mörvane #1 %.gb")}
                                  << QByteArray("/roms/M\xC3\xB6rvane #1 %.gb");
    QTest::newRow("a file on another host")
        << QList<QUrl> {QUrl(QStringLiteral("file://server/roms/rom.gb"))} << QByteArray();
    QTest::newRow("two files") << QList<QUrl> {QUrl::fromLocalFile("/a.gb"),
        QUrl::fromLocalFile("/b.gb")}
                               << QByteArray();
}

void FileSystemPathTest::droppedFilePath()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(QByteArray, path);
    QMimeData mime;
    if (!urls.isEmpty())
        mime.setUrls(urls);
    QCOMPARE(DroppedFilePath(&mime), path);
}

QTEST_MAIN(FileSystemPathTest)
#include "FileSystemPathTest.moc"
