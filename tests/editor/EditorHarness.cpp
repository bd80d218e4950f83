#include "EditorHarness.h"

#include "DiskScript.h"
#include "TestData.h"

#include "widgets/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTest>
#include <QWindow>

namespace morvane::test {

EditorHarness::StateHome::StateHome(const QString& given)
    : path(given.isEmpty() ? own.path() : given)
{
    qputenv("XDG_STATE_HOME", QFile::encodeName(path));
}

EditorHarness::EditorHarness(const QString& sharedStateHome)
    : stateHome(sharedStateHome),
      window(std::make_unique<frmMain>(
          PlatformServices {dialogs, messages, help, programFolder.path()}))
{
}

EditorHarness::~EditorHarness()
{
    DisarmDisk();
}

void EditorHarness::WatchTransfers()
{
    ArmDisk({}, [this](const DiskTransfer& transfer) {
        const QCursor* cursor = QApplication::overrideCursor();
        transfers.push_back({transfer.write, transfer.offset,
            cursor != nullptr ? std::optional(cursor->shape()) : std::nullopt});
    });
}

void EditorHarness::LoadRom(const QString& path)
{
    dialogs.AnswerOpen(path);
    window->mnuFileLoad_Click();
}

void EditorHarness::LoadSprite(int index)
{
    Find<QComboBox>(QStringLiteral("cboSprite")).setCurrentIndex(index);
    window->cmdLoad_Click();
}

QByteArray EditorHarness::SpriteBuf() const
{
    return Bytes(window->Document().SpriteBuf());
}

bool EditorHarness::Show() const
{
    window->show();
    return QTest::qWaitForWindowExposed(window.get());
}

void EditorHarness::Click(const QString& control) const
{
    QTest::mouseClick(&Find<QWidget>(control), Qt::LeftButton);
}

void EditorHarness::PressGrid(QPoint at) const
{
    QTest::mousePress(&Grid(), Qt::LeftButton, {}, at);
}

void EditorHarness::DragGrid(QPoint to) const
{
    QTest::mouseMove(&Grid(), to);
}

void EditorHarness::ReleaseGrid(QPoint at) const
{
    QTest::mouseRelease(&Grid(), Qt::LeftButton, {}, at);
}

void EditorHarness::PaintOneCell() const
{
    const int value = PixelValue(SpriteBuf().mid(16 * window->Document().CurTile(), 16), 2, 2);
    PaintCell((value + 1) % 4, 2, 2);
}

void EditorHarness::PaintCell(int value, int column, int row) const
{
    Click(QStringLiteral("Color(%1)").arg(value));
    PressGrid(QPoint(16 * column + 8, 16 * row + 8));
    ReleaseGrid(QPoint(16 * column + 8, 16 * row + 8));
}

void EditorHarness::Keys(const char* sequence) const
{
    QTest::keySequence(window.get(), QKeySequence(QString::fromLatin1(sequence)));
}

void EditorHarness::Trigger(const QString& action) const
{
    Find<QAction>(action).trigger();
}

PictureBox& EditorHarness::View(int tile) const
{
    return Find<PictureBox>(QStringLiteral("picSprites(%1)").arg(tile));
}

PictureBox& EditorHarness::Grid() const
{
    return Find<PictureBox>(QStringLiteral("picEdit"));
}

QString EditorHarness::SheetDifference(const QByteArray& block) const
{
    for (int t = 0; t < 24; ++t) {
        const QString difference = CompareTileView(View(t).Image(), block.mid(16 * t, 16));
        if (!difference.isEmpty())
            return QStringLiteral("tile view %1: %2").arg(t).arg(difference);
    }
    return {};
}

bool EditorHarness::GridShowsView(int tile) const
{
    const QImage grid = Grid().Image();
    const QImage view = View(tile).Image();
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            if (grid.pixel(x, y) != view.pixel(x / 4, y / 4))
                return false;
    return true;
}

bool EditorHarness::MarkerShown(int tile) const
{
    return View(tile).Rendered() != View(tile).Image();
}

QString Caption(const QWidget& window)
{
    return window.windowHandle() != nullptr ? window.windowHandle()->title() : QString();
}

QColor DefaultColour(int value)
{
    static const QColor kColours[4]
        = {QColor(223, 0, 200), QColor(0, 0, 0), QColor(255, 255, 255), QColor(0, 0, 255)};
    return kColours[value & 3];
}

QString CompareTileView(const QImage& view, const QByteArray& tile)
{
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QColor expected = DefaultColour(PixelValue(tile, x / 4, y / 4));
            const QColor actual = view.pixelColor(x, y);
            if (actual.rgb() != expected.rgb())
                return QStringLiteral("pixel (%1, %2) is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(actual.name(), expected.name());
        }
    }
    return {};
}

} // namespace morvane::test
