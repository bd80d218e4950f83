#include "SpriteSession.h"

#include "PaintCommand.h"
#include "ReplaceBlockCommand.h"
#include "TilePicture.h"
#include "qtcolour/PackedColourQt.h"
#include "sprite/FrameLayout.h"
#include "sprite/RomFile.h"
#include "sprite/RomFileError.h"
#include "sprite/SpriteCatalogue.h"

#include <algorithm>

namespace morvane {

namespace {

std::array<TileBytes, kTilesPerSprite> TilesOf(const SpriteBlock& block)
{
    std::array<TileBytes, kTilesPerSprite> tiles {};
    for (std::size_t k = 0; k < tiles.size(); ++k)
        std::copy_n(block.begin() + kTileBytes * static_cast<std::ptrdiff_t>(k), kTileBytes,
            tiles[k].begin());
    return tiles;
}

} // namespace

SpriteSession::SpriteSession(QObject* parent) : QObject(parent)
{
    history_.setUndoLimit(kUndoLimit);
}

SpriteSession::~SpriteSession() = default;

const QImage& SpriteSession::TilePicture(int tile) const
{
    return pictures_.at(static_cast<std::size_t>(tile));
}

SpriteSession::EntryReads SpriteSession::ReadEntry(const std::string& path, int index) const
{
    const auto entry = static_cast<std::int16_t>(index);
    const std::int32_t offset = SpriteOffsetValue(entry).value();
    // The block, then every tile read from the file once more: the sheet shows what the file
    // holds, read tile by tile.
    EntryReads reads;
    ReadSpriteBlock(path, offset, reads.block);
    for (std::size_t k = 0; k < reads.tiles.size(); ++k)
        reads.tiles[k] = ReadTile(path, offset + kTileBytes * static_cast<std::int32_t>(k));
    return reads;
}

void SpriteSession::Open(const std::string& path, const Palette& colours)
{
    const EntryReads reads = ReadEntry(path, 0);
    romPath_ = path;
    CommitEntry(0, reads, colours, true);
}

void SpriteSession::LoadEntry(int index, const Palette& colours)
{
    CommitEntry(index, ReadEntry(romPath_, index), colours, false);
}

void SpriteSession::CommitEntry(
    int index, const EntryReads& reads, const Palette& colours, bool romOpened)
{
    history_.clear();
    pictures_ = DrawPictures(reads.tiles, colours);
    spriteBuf_ = reads.block;
    storedBlock_ = reads.block;
    storedPictures_ = pictures_;
    loadedIndex_ = index;
    // The bit tables must mirror the new sprite before anything is painted.
    UnpackCurrentTile();
    // Whoever keeps the paint hears of the load before the paint is seen to be gone.
    emit EntryLoaded(romOpened);
    emit SpriteChanged();
    NoteModified();
}

std::array<QImage, kTilesPerSprite> SpriteSession::DrawPictures(
    const std::array<TileBytes, kTilesPerSprite>& tiles, const Palette& colours)
{
    std::array<QImage, kTilesPerSprite> pictures;
    for (std::size_t k = 0; k < tiles.size(); ++k)
        pictures[k] = DrawTilePicture(tiles[k], colours);
    palColor_ = colours;
    return pictures;
}

void SpriteSession::Save()
{
    if (loadedIndex_ < 0)
        throw RomFileError("No sprite has been loaded, so there is nothing to save.");
    WriteSpriteBlock(
        romPath_, SpriteOffsetValue(static_cast<std::int16_t>(loadedIndex_)).value(), spriteBuf_);
    storedBlock_ = spriteBuf_;
    storedPictures_ = pictures_;
    history_.setClean();
    NoteModified();
}

void SpriteSession::NoteModified()
{
    if (IsModified() == modified_)
        return;
    modified_ = !modified_;
    emit ModifiedChanged(modified_);
}

void SpriteSession::SelectTile(int tile)
{
    if (tile < 0 || tile >= kTilesPerSprite)
        return;
    curTile_ = tile;
    UnpackCurrentTile();
    emit TileSelected(tile);
}

void SpriteSession::UnpackCurrentTile()
{
    UnpackTileBits(spriteBuf_, curTile_, tileLoBits_, tileHiBits_);
}

void SpriteSession::Paint(int stroke, int column, int row, PackedColor colour, int value)
{
    // Before the first load there is no picture to paint into, and no pixel lies outside 0..7.
    const QImage& picture = TilePicture(curTile_);
    if (picture.isNull() || column < 0 || column >= kTileSide || row < 0 || row >= kTileSide)
        return;
    // A pixel painted as it is shows nothing new: no step, and the steps Redo could bring back
    // stay. The bit tables mirror the selected tile.
    const auto entry = static_cast<std::size_t>(8 * row + column + 1);
    if ((tileLoBits_[entry] | tileHiBits_[entry] << 1) == value
        && picture.pixel(kScreenScale * column, kScreenScale * row) == ToQRgb(colour))
        return;
    history_.push(new PaintCommand(*this, stroke, column, row, colour, value));
}

void SpriteSession::ReplaceBlock(
    const SpriteBlock& block, const Palette& colours, const QString& text)
{
    history_.push(new ReplaceBlockCommand(
        *this, SpriteState {block, DrawPictures(TilesOf(block), colours)}, text));
}

void SpriteSession::Edit(const SpriteState& after, const QString& text)
{
    if (loadedIndex_ < 0 || (after.block == spriteBuf_ && after.pictures == pictures_))
        return;
    history_.push(new ReplaceBlockCommand(*this, after, text));
}

TileState SpriteSession::TileStateOf(int tile) const
{
    TileState state;
    std::copy_n(spriteBuf_.begin() + kTileBytes * tile, kTileBytes, state.bytes.begin());
    state.picture = TilePicture(tile);
    return state;
}

void SpriteSession::SetTileState(int tile, const TileState& state)
{
    std::copy(state.bytes.begin(), state.bytes.end(), spriteBuf_.begin() + kTileBytes * tile);
    pictures_.at(static_cast<std::size_t>(tile)) = state.picture;
    if (tile == curTile_)
        UnpackCurrentTile();
    emit TileChanged(tile);
    NoteModified();
}

SpriteState SpriteSession::State() const
{
    return {spriteBuf_, pictures_};
}

void SpriteSession::SetState(const SpriteState& state)
{
    spriteBuf_ = state.block;
    pictures_ = state.pictures;
    UnpackCurrentTile();
    emit SpriteChanged();
    NoteModified();
}

void SpriteSession::PaintPixel(int column, int row, PackedColor colour, int value)
{
    FillTilePixel(pictures_[static_cast<std::size_t>(curTile_)], column, row, colour);
    SetPixelBits(tileLoBits_, tileHiBits_, column, row, value);
    RepackTileRow(spriteBuf_, curTile_, row, tileLoBits_, tileHiBits_);
    emit TileChanged(curTile_);
    NoteModified();
}

} // namespace morvane
