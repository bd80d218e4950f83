#pragma once

#include "sprite/SpriteBlock.h"

#include <cstdint>
#include <string>

namespace morvane {

// The reads and writes a sprite document makes in its ROM image: a block, a tile, and a block
// written back. The editor goes to the ROM file itself (RomFileAccess); a stand-in can watch what
// the program does while each transfer runs. Paths are the file system's own bytes. Every call
// throws RomFileError on failure and then leaves its output as it was.
class RomAccess {
public:
    virtual ~RomAccess() = default;
    virtual void ReadBlock(const std::string& path, std::int32_t offset, SpriteBlock& block) = 0;
    virtual TileBytes ReadTile(const std::string& path, std::int32_t offset) = 0;
    virtual void WriteBlock(const std::string& path, std::int32_t offset, const SpriteBlock& block)
        = 0;
};

// The ROM file itself: each call opens it, does one transfer and closes it again.
RomAccess& RomFileAccess();

} // namespace morvane
