#include "ScriptedServices.h"

#include "sprite/RomFileError.h"

#include <QApplication>

namespace morvane::test {

void RecordingMessages::Show(QWidget*, Icon icon, const QString& title, const QString& text)
{
    shown.push_back({icon, title, text});
}

bool RecordingHelpViewer::Open(const QString& path, QString& reason)
{
    opened << path;
    if (!succeed)
        reason = failure;
    return succeed;
}

void RecordingRomAccess::Note(Kind kind, const std::string& path, std::int64_t offset)
{
    std::optional<Qt::CursorShape> pointer;
    if (const QCursor* cursor = QApplication::overrideCursor())
        pointer = cursor->shape();
    transfers.push_back({kind, path, offset, pointer});
    if (static_cast<int>(transfers.size()) - 1 == failAt)
        throw RomFileError("\"" + path + "\": the transfer at " + std::to_string(offset)
            + " failed as the test asked");
}

void RecordingRomAccess::ReadBlock(const std::string& path, std::int32_t offset, SpriteBlock& block)
{
    Note(Kind::ReadBlock, path, offset);
    RomFileAccess().ReadBlock(path, offset, block);
}

TileBytes RecordingRomAccess::ReadTile(const std::string& path, std::int32_t offset)
{
    Note(Kind::ReadTile, path, offset);
    return RomFileAccess().ReadTile(path, offset);
}

void RecordingRomAccess::WriteBlock(
    const std::string& path, std::int32_t offset, const SpriteBlock& block)
{
    Note(Kind::WriteBlock, path, offset);
    RomFileAccess().WriteBlock(path, offset, block);
}

} // namespace morvane::test
