// What tells the program apart on the desktop: its About version line and its icons at every size.
#include "RowTable.h"
#include "editor/AboutText.h"
#include "editor/AppIcon.h"
#include "version/ProjectVersion.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;

class AppIdentityTest : public QObject {
    Q_OBJECT

    static QImage IconFile(int size)
    {
        return QImage(QStringLiteral(MORVANE_SOURCE_DIR
                          "/data/icons/hicolor/%1x%1/apps/morvane-sprite-editor.png")
                          .arg(size))
            .convertToFormat(QImage::Format_RGB32);
    }

private slots:
    // The box's shape is the window's to show; only the version line is told here.
    void aboutNamesTheVersionOnItsSecondLine()
    {
        const QString line = AboutText().split(QStringLiteral("\r\n")).value(1);
        QVERIFY2(line.startsWith("Version " + QString::fromUtf8(kProjectVersion) + ','),
            qPrintable(line));
    }

    void windowIconIsTheInstalled32PixelIcon()
    {
        // A missing icon, compiled in or installed, shows as a null image on one side.
        const QImage installed = IconFile(32);
        QVERIFY(!installed.isNull());
        QCOMPARE(AppIcon().pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_RGB32),
            installed);
    }

    void everyIconSizeIsTheSamePixelArt_data()
    {
        AddRowColumn<int>();
        for (int size : {16, 32, 48, 64, 128, 256})
            QTest::addRow("%dx%d", size, size) << size;
    }
    // Size n shows the 16-pixel icon's pixels as n/16-pixel squares: blurred or redrawn fails.
    void everyIconSizeIsTheSamePixelArt()
    {
        const int size = CurrentRow<int>();
        const QImage art = IconFile(16);
        const QImage icon = IconFile(size);
        QCOMPARE(std::pair(art.size(), icon.size()), std::pair(QSize(16, 16), QSize(size, size)));
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (icon.pixel(x, y) != art.pixel(x * 16 / size, y * 16 / size))
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) differs").arg(x).arg(y)));
    }
};

QTEST_MAIN(AppIdentityTest)
#include "AppIdentityTest.moc"
