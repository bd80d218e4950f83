// Paths kept as the file system's own bytes: taken from a drop without loss, and shown readably.
#include "editor/FileSystemPath.h"

#include "RowTable.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

struct TextRow {
    const char* name;
    QByteArray bytes; // a path as the file system holds it
    QString shown;
};

struct DropRow {
    const char* name;
    QList<QUrl> urls;
    QByteArray path; // empty: the drop is not taken
};

} // namespace

class FileSystemPathTest : public QObject {
    Q_OBJECT

private slots:
    void readableText_data()
    {
        AddRows<TextRow>({{"ASCII", "/roms/rom.gb", "/roms/rom.gb"},
            {"UTF-8 of two, three and four bytes", "caf\xC3\xA9 \xE7\xB2\xBE \xF0\x9F\x8E\xAE",
                "caf\u00E9 \u7CBE \U0001F3AE"},
            {"a Latin-1 byte", "caf\xE9.gb", "caf\u00E9.gb"},
            {"UTF-8 folder, Latin-1 name", "/J\xC3\xB6rg/\xE9t\xE9.gb",
                "/J\u00F6rg/\u00E9t\u00E9.gb"},
            {"a character cut off at the end", "a\xC3", "a\u00C3"},
            {"a stray continuation byte", "\xA9x", "\u00A9x"},
            {"an overlong slash", "\xC0\xAF", "\u00C0\u00AF"},
            {"a surrogate", "\xED\xA0\x80", "\u00ED\u00A0\u0080"},
            {"a three-byte character with a bad last byte", "\xE7\xB2x", "\u00E7\u00B2x"}});
    }
    void readableText()
    {
        const auto& [name, bytes, shown] = CurrentRow<TextRow>();
        QCOMPARE(ReadableText(bytes.toStdString()), shown);
    }
    void droppedFilePath_data()
    {
        AddRows<DropRow>(
            {{"a Latin-1 name, byte for byte", {QUrl::fromEncoded("file:///roms/caf%E9%20x.gb")},
                 "/roms/caf\xE9 x.gb"},
                {"a UTF-8 name", {QUrl::fromLocalFile("/roms/Mörvane #1 %.gb")},
                    "/roms/M\xC3\xB6rvane #1 %.gb"},
                {"a file on another host", {QUrl(QStringLiteral("file://server/roms/rom.gb"))}, {}},
                {"two files", {QUrl::fromLocalFile("/a.gb"), QUrl::fromLocalFile("/b.gb")}, {}}});
    }
    void droppedFilePath()
    {
        const auto& [name, urls, path] = CurrentRow<DropRow>();
        QMimeData mime;
        mime.setUrls(urls);
        QCOMPARE(DroppedFilePath(&mime), path);
    }
};

QTEST_MAIN(FileSystemPathTest)
#include "FileSystemPathTest.moc"
