#pragma once

#include "sprite/SpriteBlock.h"
#include "sprite/TileBits.h"

#include <QImage>
#include <QObject>
#include <QUndoStack>

#include <array>
#include <string>

namespace morvane {

// One tile as far as an undo step is concerned: its 16 bytes and its picture.
struct TileState {
    TileBytes bytes {};
    QImage picture;
    bool operator==(const TileState&) const = default;
};

// The whole sprite likewise: the block and the 24 tile pictures.
struct SpriteState {
    SpriteBlock block {};
    std::array<QImage, kTilesPerSprite> pictures;
};

// The sprite being edited, apart from any window: the open ROM image, the block loaded from it
// (SpriteBuf) and the entry it came from, the 24 tile pictures as the sheet shows them, the
// selected tile with its bit tables, and the undo history. A command that reads the file reads
// everything it needs first and changes the session only once every read has succeeded, so a
// failure leaves it exactly as it was.
//
// The tile pictures hold the colours each pixel was drawn or painted in: a change of display
// colours reaches only what is drawn afterwards, and undo puts back exactly what was shown.
class SpriteSession : public QObject {
    Q_OBJECT

public:
    // How many strokes and replaced blocks Undo can take back; older ones are dropped.
    static constexpr int kUndoLimit = 200;

    explicit SpriteSession(QObject* parent = nullptr);
    ~SpriteSession() override;

    // The open ROM image as the file system names it (its own bytes, whatever their encoding);
    // empty until one is open.
    const std::string& RomPath() const { return romPath_; }
    const SpriteBlock& SpriteBuf() const { return spriteBuf_; }
    // The entry SpriteBuf was loaded from, -1 until one is. Save writes there, and nowhere else.
    int LoadedIndex() const { return loadedIndex_; }
    // The display colours the tile pictures were last drawn in.
    const Palette& PalColor() const { return palColor_; }
    // Tile `tile` as the sheet shows it, 32 x 32; a null image until a sprite has been drawn.
    const QImage& TilePicture(int tile) const;
    const std::array<QImage, kTilesPerSprite>& TilePictures() const { return pictures_; }
    int CurTile() const { return curTile_; }
    const BitTable& TileLoBits() const { return tileLoBits_; }
    const BitTable& TileHiBits() const { return tileHiBits_; }
    // Every change to the sprite is a command on this stack; the window's Undo and Redo act on it.
    QUndoStack& History() { return history_; }
    const QUndoStack& History() const { return history_; }
    // The loaded entry's block as the ROM image holds it (as last loaded or saved), and its 24
    // tile pictures as they were shown then.
    const SpriteBlock& StoredBlock() const { return storedBlock_; }
    const std::array<QImage, kTilesPerSprite>& StoredPictures() const { return storedPictures_; }
    // Whether SpriteBuf holds paint the ROM image does not: it differs from the stored block.
    // Paint put back as it was is no longer unsaved, whichever way it went back.
    bool IsModified() const { return spriteBuf_ != storedBlock_; }

    // Opens a ROM image and loads its entry 0, drawn in `colours`. Throws RomFileError when a
    // read fails; the session then keeps the ROM image, sprite and history it had.
    void Open(const std::string& path, const Palette& colours);
    // Loads entry `index` (0..44) of the open ROM image: its block, and each of its 24 tiles read
    // from the file again and drawn in `colours`. The history starts afresh and the selected tile
    // is selected again, so its bit tables mirror the new block. Throws RomFileError when a read
    // fails, and then nothing changes.
    void LoadEntry(int index, const Palette& colours);
    // Writes SpriteBuf into the entry it was loaded from, which then stores it. Throws
    // RomFileError when nothing has been loaded or the write fails, and then nothing changes.
    void Save();

    // Makes tile 0..23 the selected tile and unpacks its bits from SpriteBuf.
    void SelectTile(int tile);

    // The edits, each an undo step. Painting pixel (column, row), each 0..7, of the selected tile
    // with pixel value `value` shown in `colour` is one step with every pixel painted before it in
    // the same `stroke` on the same tile; a pixel painted as it is, or a stroke that changed
    // nothing, is no step. Nothing happens before a sprite has been loaded.
    void Paint(int stroke, int column, int row, PackedColor colour, int value);
    // Replaces the whole block (an imported or pasted image), drawn in `colours`; `text` names
    // the step.
    void ReplaceBlock(const SpriteBlock& block, const Palette& colours, const QString& text);
    // Replaces the block and the tile pictures together (an edit of the Edit menu), as the undo
    // step `text`. An edit that leaves both as they are is no step, and nothing happens before a
    // sprite has been loaded.
    void Edit(const SpriteState& after, const QString& text);

    // What the commands do and undo, without recording a step. PaintPixel paints on the selected
    // tile: its picture block in `colour`, its two bits from `value`, and the row's two bytes in
    // SpriteBuf rebuilt from the bit tables.
    TileState TileStateOf(int tile) const;
    void SetTileState(int tile, const TileState& state);
    SpriteState State() const;
    void SetState(const SpriteState& state);
    void PaintPixel(int column, int row, PackedColor colour, int value);

signals:
    // Every tile picture may have changed, and the selected tile's bits were unpacked again.
    void SpriteChanged();
    // The picture of one tile changed.
    void TileChanged(int tile);
    // Another tile was selected.
    void TileSelected(int tile);
    // IsModified turned true or false: by an edit, an undo or redo, a Save or a load.
    void ModifiedChanged(bool modified);
    // A block was read from the ROM image, replacing SpriteBuf and whatever paint it held; sent
    // before any other signal of the load. `romOpened`: by opening the ROM image (again).
    void EntryLoaded(bool romOpened);

private:
    // What a load reads, all of it before anything changes.
    struct EntryReads {
        SpriteBlock block {};
        std::array<TileBytes, kTilesPerSprite> tiles {};
    };

    EntryReads ReadEntry(const std::string& path, int index) const;
    void CommitEntry(int index, const EntryReads& reads, const Palette& colours, bool romOpened);
    // Draws every tile in `colours`, which become PalColor.
    std::array<QImage, kTilesPerSprite> DrawPictures(
        const std::array<TileBytes, kTilesPerSprite>& tiles, const Palette& colours);
    void UnpackCurrentTile();
    void NoteModified();

    std::string romPath_;
    SpriteBlock spriteBuf_ {};
    int loadedIndex_ = -1;
    Palette palColor_ {};
    std::array<QImage, kTilesPerSprite> pictures_;
    int curTile_ = 0;
    BitTable tileLoBits_ {};
    BitTable tileHiBits_ {};
    QUndoStack history_;
    SpriteBlock storedBlock_ {};
    std::array<QImage, kTilesPerSprite> storedPictures_;
    bool modified_ = false;
};

} // namespace morvane
