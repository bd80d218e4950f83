#pragma once

#include "sprite/FrameTools.h"
#include "sprite/SpriteBlock.h"

#include <QString>

#include <functional>

class QWidget;

namespace morvane {

class PaletteModel;
class SpriteSession;
struct PlatformServices;

// The Edit menu's commands on the loaded sprite: the sprite and the frame that holds the selected
// tile to and from the clipboard, the frame tools, Fill Tile and Swap Colours. Each change is one
// undo step of the document, named for what it did, and leaves the rest of the block as it was;
// before a sprite has been loaded every command does nothing. A refused image is reported to the
// user over `window` and changes nothing.
class EditCommands {
public:
    EditCommands(QWidget& window, SpriteSession& document, const PaletteModel& palette,
        const PlatformServices& services);

    // The sprite as a 16 x 96 image, and the frame as a 16 x 16 image, in the display colours.
    void CopySprite() const;
    void CopyFrame() const;
    void PasteSprite();
    void PasteFrame();
    // Replaces the sprite with what `read` makes of a sprite image in the display colours, as the
    // undo step `step`. A refused image is reported after `origin` when it is not empty (a
    // picture with no file name of its own).
    bool ImportSprite(const QString& origin, const QString& step,
        const std::function<SpriteBlock(const Palette&)>& read);

    // Applies `tool` to the frame of the selected tile as the undo step `step`.
    void ApplyFrameTool(FrameTool tool, const QString& step);
    // Every pixel of the selected tile in the painting colour.
    void FillTile();
    // Exchanges the two pixel values the user picks in the Swap Colours dialog throughout the
    // sprite.
    void SwapColours();

private:
    bool Loaded() const;
    void ShowError(const QString& text) const;

    QWidget& window_;
    SpriteSession& document_;
    const PaletteModel& palette_;
    const PlatformServices& services_;
};

} // namespace morvane
