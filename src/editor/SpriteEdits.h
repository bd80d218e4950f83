#pragma once

#include "SpriteSession.h"
#include "sprite/FrameTools.h"

namespace morvane {

// What the Edit menu's edits make of the sprite: the new block, and tile pictures that follow it.
// A picture holds the colour each pixel was drawn or painted in, and an edit keeps that rule:
//  - a frame tool only moves pixels, so each pixel keeps the colour it was shown in, moved with
//    it (a flip mirrors the picture exactly as it mirrors the pixel values);
//  - an edit that writes pixel values (Fill Tile, Swap Colours, Paste Frame) draws every pixel
//    whose value it changed in the display colour of the new value, as paint does, and leaves
//    every other pixel in the colour it was shown in.

// The frame tool on the frame that holds `tile`.
SpriteState FrameToolEdit(const SpriteState& state, int tile, FrameTool tool);

// The sprite with its pixel values replaced by those of `block`, changed pixels shown in
// `colours`.
SpriteState PixelValueEdit(
    const SpriteState& state, const SpriteBlock& block, const Palette& colours);

} // namespace morvane
