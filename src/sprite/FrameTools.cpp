#include "FrameTools.h"

#include "FrameLayout.h"
#include "TileCodec.h"

#include <stdexcept>
#include <string>

namespace morvane {

namespace {

constexpr int kLast = kFrameSide - 1;

void RequireTile(int tile)
{
    if (tile < 0 || tile >= kTilesPerSprite)
        throw std::out_of_range("tile " + std::to_string(tile) + " is not one of 0..23");
}

void RequireValue(int value)
{
    if (value < 0 || value > 3)
        throw std::out_of_range("pixel value " + std::to_string(value) + " is not one of 0..3");
}

} // namespace

// Every tool is written as where each pixel of the new frame is read from, so it visits each
// target pixel once and no pixel is overwritten before it has been read.
FramePoint FrameToolSource(FrameTool tool, int x, int y)
{
    switch (tool) {
    case FrameTool::FlipHorizontally:
        return {kLast - x, y};
    case FrameTool::FlipVertically:
        return {x, kLast - y};
    case FrameTool::RotateClockwise:
        return {y, kLast - x};
    case FrameTool::RotateAnticlockwise:
        return {kLast - y, x};
    case FrameTool::ShiftLeft:
        return {(x + 1) % kFrameSide, y};
    case FrameTool::ShiftRight:
        return {(x + kLast) % kFrameSide, y};
    case FrameTool::ShiftUp:
        return {x, (y + 1) % kFrameSide};
    case FrameTool::ShiftDown:
        return {x, (y + kLast) % kFrameSide};
    }
    throw std::out_of_range("unknown frame tool " + std::to_string(static_cast<int>(tool)));
}

SpriteBlock ApplyFrameTool(const SpriteBlock& block, int tile, FrameTool tool)
{
    RequireTile(tile);
    const int frame = FrameOfTile(tile);
    const FramePixels before = DecodeFrame(block, frame);
    FramePixels after {};
    for (int y = 0; y < kFrameSide; ++y) {
        for (int x = 0; x < kFrameSide; ++x) {
            const FramePoint from = FrameToolSource(tool, x, y);
            after[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]
                = before[static_cast<std::size_t>(from.y)][static_cast<std::size_t>(from.x)];
        }
    }
    SpriteBlock result = block;
    EncodeFrame(after, frame, result);
    return result;
}

SpriteBlock FillTile(const SpriteBlock& block, int tile, int value)
{
    RequireTile(tile);
    RequireValue(value);
    std::array<std::uint8_t, kTileSide> row {};
    row.fill(static_cast<std::uint8_t>(value));
    const auto [plane0, plane1] = EncodeRow(row);
    SpriteBlock result = block;
    for (int r = 0; r < kTileSide; ++r) {
        const auto at = static_cast<std::size_t>(kTileBytes * tile + 2 * r);
        result[at] = plane0;
        result[at + 1] = plane1;
    }
    return result;
}

SpriteBlock SwapPixelValues(const SpriteBlock& block, int a, int b)
{
    RequireValue(a);
    RequireValue(b);
    std::array<std::uint8_t, 4> swapped = {0, 1, 2, 3};
    swapped[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(b);
    swapped[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(a);
    SpriteBlock result = block;
    for (int frame = 0; frame < kFramesPerSprite; ++frame) {
        FramePixels pixels = DecodeFrame(block, frame);
        for (auto& line : pixels)
            for (auto& value : line)
                value = swapped[value];
        EncodeFrame(pixels, frame, result);
    }
    return result;
}

} // namespace morvane
