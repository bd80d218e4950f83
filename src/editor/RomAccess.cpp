#include "RomAccess.h"

#include "sprite/RomFile.h"

namespace morvane {

namespace {

class RomFileTransfers final : public RomAccess {
public:
    void ReadBlock(
        const std::string& path, const std::string& offsetText, SpriteBlock& block) override
    {
        ReadSpriteBlock(path, offsetText, block);
    }
    TileBytes ReadTile(const std::string& path, std::int32_t offset) override
    {
        return morvane::ReadTile(path, offset);
    }
    void WriteBlock(
        const std::string& path, const std::string& offsetText, const SpriteBlock& block) override
    {
        WriteSpriteBlock(path, offsetText, block);
    }
};

} // namespace

RomAccess& RomFileAccess()
{
    static RomFileTransfers transfers;
    return transfers;
}

} // namespace morvane
