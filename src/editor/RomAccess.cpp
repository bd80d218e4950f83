#include "RomAccess.h"

#include "sprite/RomFile.h"

namespace morvane {

namespace {

class RomFileTransfers final : public RomAccess {
public:
    void ReadBlock(const std::string& path, std::int32_t offset, SpriteBlock& block) override
    {
        ReadSpriteBlock(path, offset, block);
    }
    TileBytes ReadTile(const std::string& path, std::int32_t offset) override
    {
        return morvane::ReadTile(path, offset);
    }
    void WriteBlock(const std::string& path, std::int32_t offset, const SpriteBlock& block) override
    {
        WriteSpriteBlock(path, offset, block);
    }
};

} // namespace

RomAccess& RomFileAccess()
{
    static RomFileTransfers transfers;
    return transfers;
}

} // namespace morvane
