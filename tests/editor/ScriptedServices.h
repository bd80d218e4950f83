#pragma once

#include "editor/PlatformServices.h"
#include "editor/RomAccess.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace morvane::test {

// Records every message box the window would have shown, instead of showing it.
class RecordingMessages : public MessageService {
public:
    struct Shown {
        Icon icon;
        QString title;
        QString text;
    };
    void Show(QWidget* owner, Icon icon, const QString& title, const QString& text) override;

    std::vector<Shown> shown;
    // The text of the last message, or an empty string.
    QString LastText() const { return shown.empty() ? QString() : shown.back().text; }
};

// Records the paths the window asked to show, and answers with a scripted outcome.
class RecordingHelpViewer : public HelpViewer {
public:
    bool Open(const QString& path, QString& reason) override;

    QStringList opened;
    bool succeed = true;
    QString failure = QStringLiteral("no viewer is installed");
};

// Passes every transfer on to the ROM file itself and notes it, with the application's override
// pointer as it was while the transfer ran; one transfer can be made to fail instead.
class RecordingRomAccess : public RomAccess {
public:
    enum class Kind { ReadBlock, ReadTile, WriteBlock };
    struct Transfer {
        Kind kind;
        std::string path;
        std::int64_t offset;
        // The shape of QApplication::overrideCursor(), or nothing when none was set.
        std::optional<Qt::CursorShape> pointer;
    };

    void ReadBlock(const std::string& path, std::int32_t offset, SpriteBlock& block) override;
    TileBytes ReadTile(const std::string& path, std::int32_t offset) override;
    void WriteBlock(
        const std::string& path, std::int32_t offset, const SpriteBlock& block) override;

    std::vector<Transfer> transfers;
    // The transfer, counted from 0 in `transfers`, that throws RomFileError without touching the
    // file; -1 for none.
    int failAt = -1;

private:
    void Note(Kind kind, const std::string& path, std::int64_t offset);
};

} // namespace morvane::test
