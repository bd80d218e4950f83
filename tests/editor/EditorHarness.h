#pragma once

#include "DiskScript.h"
#include "RomFixture.h"
#include "ScriptedDialogBackend.h"
#include "ScriptedServices.h"
#include "TestData.h"
#include "editor/frmMain.h"
#include "widgets/PictureBox.h"

#include <QAction>
#include <QComboBox>
#include <QtTest>

#include <optional>
#include <vector>

namespace morvane::test {

inline QColor DefaultColour(int value)
{
    static const QColor kColours[4]
        = {QColor(223, 0, 200), QColor(0, 0, 0), QColor(255, 255, 255), QColor(0, 0, 255)};
    return kColours[value & 3];
}

// Where a tile view first differs from 16 tile bytes shown 4x in the default palette, if it does.
inline QString CompareTileView(const QImage& view, const QByteArray& tile)
{
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QColor expected = DefaultColour(PixelValue(tile, x / 4, y / 4));
            if (view.pixelColor(x, y).rgb() != expected.rgb())
                return QString::asprintf("pixel (%d, %d) is %s, expected %s", x, y,
                    qPrintable(view.pixelColor(x, y).name()), qPrintable(expected.name()));
        }
    return {};
}

// The real main window, its dialogs scripted and message boxes and help recorded: never modal.
// Recovery records go to its own state folder, or to `sharedStateHome` for a later window to find.
struct EditorHarness {
    explicit EditorHarness(const QString& sharedStateHome = QString())
        : stateHome(sharedStateHome),
          window(std::make_unique<frmMain>(
              PlatformServices {dialogs, messages, help, programFolder.path()}))
    {
    }
    ~EditorHarness() { DisarmDisk(); }

    // File, Load Rom answered with `path`.
    void LoadRom(const QString& path)
    {
        dialogs.AnswerOpen(path);
        window->mnuFileLoad_Click();
    }
    // Selects an entry in the list and presses Load Sprite.
    void LoadSprite(int index)
    {
        Find<QComboBox>(QStringLiteral("cboSprite")).setCurrentIndex(index);
        window->cmdLoad_Click();
    }
    QByteArray SpriteBuf() const { return Bytes(window->Document().SpriteBuf()); }

    // A control by its design name ("Color(4)"); a missing one ends the run, as a broken fixture.
    template <typename Control> Control& Find(const QString& name) const
    {
        auto* control = window->findChild<Control*>(name);
        if (control == nullptr)
            qFatal("The window has no control named %s", qPrintable(name));
        return *control;
    }
    // A read or write of a file, with the application's override pointer shape while it ran.
    struct Transfer {
        bool write = false;
        std::int64_t offset = 0;
        std::optional<Qt::CursorShape> pointer;
    };
    // From now on notes every read and write of a file in `transfers`, until the harness goes.
    void WatchTransfers()
    {
        ArmDisk({}, [this](const DiskTransfer& transfer) {
            const QCursor* cursor = QApplication::overrideCursor();
            transfers.push_back({transfer.write, transfer.offset,
                cursor != nullptr ? std::optional(cursor->shape()) : std::nullopt});
        });
    }
    std::vector<Transfer> transfers;

    // Waits until the window is on screen, so keys and clicks reach it; false when it never shows.
    [[nodiscard]] bool Show() const
    {
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }

    // A click as the user makes it.
    void Click(const QString& control) const
    {
        QTest::mouseClick(&Find<QWidget>(control), Qt::LeftButton);
    }
    // Paints a cell of the selected tile anew, so SpriteBuf differs and undo holds one more step.
    void PaintOneCell() const
    {
        const int value = PixelValue(SpriteBuf().mid(16 * window->Document().CurTile(), 16), 2, 2);
        PaintCell((value + 1) % 4, 2, 2);
    }
    // Paints cell (column, row) of the selected tile in `value`, as the user does.
    void PaintCell(int value, int column, int row) const
    {
        Click(QStringLiteral("Color(%1)").arg(value));
        QTest::mouseClick(&Grid(), Qt::LeftButton, {}, QPoint(16 * column + 8, 16 * row + 8));
    }
    void Keys(const char* sequence) const
    {
        QTest::keySequence(window.get(), QKeySequence(QString::fromLatin1(sequence)));
    }

    void Trigger(const QString& action) const { Find<QAction>(action).trigger(); }
    PictureBox& View(int tile) const
    {
        return Find<PictureBox>(QStringLiteral("picSprites(%1)").arg(tile));
    }
    PictureBox& Grid() const { return Find<PictureBox>(QStringLiteral("picEdit")); }
    // The first difference of the 24 tile views from `block` in the default palette, if any.
    QString SheetDifference(const QByteArray& block) const
    {
        for (int t = 0; t < 24; ++t) {
            const QString difference = CompareTileView(View(t).Image(), block.mid(16 * t, 16));
            if (!difference.isEmpty())
                return QStringLiteral("tile view %1: %2").arg(t).arg(difference);
        }
        return {};
    }
    // Whether the editing grid shows tile view `tile` four times enlarged.
    bool GridShowsView(int tile) const
    {
        return Grid().Image() == View(tile).Image().scaled(128, 128);
    }
    // The marker is the view's only overlay, seen only when it frames the view.
    bool MarkerShown(int tile) const { return View(tile).Rendered() != View(tile).Image(); }

    QTemporaryDir programFolder;
    // Set before the window is made, which takes its recovery folder from it.
    struct StateHome {
        explicit StateHome(const QString& given) : path(given.isEmpty() ? own.path() : given)
        {
            qputenv("XDG_STATE_HOME", QFile::encodeName(path));
        }
        QTemporaryDir own;
        QString path;
    } stateHome;
    ScriptedDialogBackend dialogs;
    RecordingMessages messages;
    RecordingHelpViewer help;
    std::unique_ptr<frmMain> window;
};

// The editor with a ROM image of its own opened, entry 0 loaded; the image outlives the window.
struct RomOfItsOwn {
    RomFixture rom;
};
struct OpenEditor : RomOfItsOwn, EditorHarness {
    OpenEditor() { LoadRom(rom.Path()); }
};

inline const QString kTitle = QStringLiteral("Morvane Sarnet Sprite Editor");
// The caption as the window's title bar shows it, with the unsaved marker filled in.
inline QString Caption(const QWidget& window)
{
    return window.windowHandle() != nullptr ? window.windowHandle()->title() : QString();
}

} // namespace morvane::test
