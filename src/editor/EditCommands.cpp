#include "EditCommands.h"

#include "AboutText.h"
#include "FileSystemPath.h"
#include "PaletteModel.h"
#include "PlatformServices.h"
#include "SpriteEdits.h"
#include "SpriteSession.h"
#include "dialogs/DialogBackend.h"
#include "sprite/FrameLayout.h"
#include "spriteimage/SpriteImage.h"

#include <QApplication>
#include <QClipboard>

#include <algorithm>

namespace morvane {

namespace {

const QString& PastedImage()
{
    static const QString origin = QStringLiteral("The pasted image");
    return origin;
}

} // namespace

EditCommands::EditCommands(QWidget& window, SpriteSession& document, const PaletteModel& palette,
    const PlatformServices& services)
    : window_(window), document_(document), palette_(palette), services_(services)
{
}

bool EditCommands::Loaded() const
{
    return document_.LoadedIndex() >= 0;
}

void EditCommands::ShowError(const QString& text) const
{
    services_.messages.Show(&window_, MessageService::Icon::Error, kProgramTitle, text);
}

void EditCommands::CopySprite() const
{
    if (Loaded())
        QApplication::clipboard()->setImage(
            SpriteToImage(document_.SpriteBuf(), palette_.Colours()));
}

void EditCommands::CopyFrame() const
{
    if (Loaded())
        QApplication::clipboard()->setImage(FrameToImage(
            document_.SpriteBuf(), FrameOfTile(document_.CurTile()), palette_.Colours()));
}

bool EditCommands::ImportSprite(const QString& origin, const QString& step,
    const std::function<SpriteBlock(const Palette&)>& read)
{
    const Palette colours = palette_.Colours();
    try {
        document_.ReplaceBlock(read(colours), colours, step);
    } catch (const SpritePngError& error) {
        const QString reason = ReadableText(error.what());
        ShowError(origin.isEmpty() ? reason : origin + QStringLiteral(": ") + reason);
        return false;
    }
    return true;
}

void EditCommands::PasteSprite()
{
    if (!Loaded())
        return;
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull()) {
        ShowError(QStringLiteral("The clipboard holds no image to paste."));
        return;
    }
    ImportSprite(PastedImage(), QStringLiteral("Paste Sprite"),
        [&image](const Palette& colours) { return ImageToSprite(image, colours); });
}

void EditCommands::PasteFrame()
{
    if (!Loaded())
        return;
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull()) {
        ShowError(QStringLiteral("The clipboard holds no image to paste."));
        return;
    }
    const Palette colours = palette_.Colours();
    SpriteBlock block = document_.SpriteBuf();
    try {
        EncodeFrame(ImageToFrame(image, colours), FrameOfTile(document_.CurTile()), block);
    } catch (const SpritePngError& error) {
        ShowError(PastedImage() + QStringLiteral(": ") + ReadableText(error.what()));
        return;
    }
    document_.Edit(
        PixelValueEdit(document_.State(), block, colours), QStringLiteral("Paste Frame"));
}

void EditCommands::ApplyFrameTool(FrameTool tool, const QString& step)
{
    if (Loaded())
        document_.Edit(FrameToolEdit(document_.State(), document_.CurTile(), tool), step);
}

void EditCommands::FillTile()
{
    if (!Loaded())
        return;
    // The painting colour is the display colour of the value it paints.
    const SpriteBlock block
        = morvane::FillTile(document_.SpriteBuf(), document_.CurTile(), palette_.CurColor());
    document_.Edit(
        PixelValueEdit(document_.State(), block, palette_.Colours()), QStringLiteral("Fill Tile"));
}

void EditCommands::SwapColours()
{
    if (!Loaded())
        return;
    const auto choice
        = services_.dialogs.ChooseColourSwap(&window_, palette_.Colours(), palette_.CurColor());
    if (!choice)
        return;
    const auto [first, second] = std::minmax(choice->first, choice->second);
    if (first < 0 || second > 3)
        return;
    const SpriteBlock block = SwapPixelValues(document_.SpriteBuf(), first, second);
    document_.Edit(PixelValueEdit(document_.State(), block, palette_.Colours()),
        QStringLiteral("Swap Colours %1 and %2").arg(first).arg(second));
}

} // namespace morvane
