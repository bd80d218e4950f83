#include "ToolHelp.h"

#include "version/ProjectVersion.h"

namespace morvane {

namespace {

constexpr std::string_view kToolHelp = R"(Usage: morvane-sprite-tool COMMAND [OPTIONS] ARGUMENTS
  or:  morvane-sprite-tool --help | --version

Reads and writes the 45 overworld character sprites of a ROM image as PNG images, compares ROM
images, and makes and applies patches of them.

Commands:
  list                        List the 45 sprites: index, label and offset.
  export ROM INDEX OUT.png    Write one sprite as a 16 x 96 PNG image.
  export ROM --all DIR        Write every sprite to DIR/NN-label.png.
  export ROM --sheet OUT.png  Write all 45 sprites as one 144 x 480 PNG sheet.
  import ROM INDEX IN.png     Write a PNG image into that sprite's block of the ROM image.
  import ROM --all DIR        Write every DIR/NN-*.png into the block of entry NN.
  import ROM --sheet IN.png   Write a sheet of all 45 sprites into their blocks.
  diff ORIGINAL EDITED        Name the sprites (and count the other bytes) that differ.
  patch ORIGINAL EDITED OUT   Write the difference as an IPS (OUT.ips) or BPS (OUT.bps) patch.
  apply ROM PATCH OUT         Write ROM with PATCH applied to the new file OUT.
  info ROM                    Show the size, title and checksums of a ROM image.
  demo OUT.gb                 Create a 1 MiB demo ROM image with a sprite at every offset.

A PNG argument of "-" stands for standard input (import) or standard output (export).
Run "morvane-sprite-tool COMMAND --help" for the details of a command.

Options:
  -h, --help                  Show this text, or a command's text after the command.
      --version               Show the version and stop.

Exit status:
  0   success; for diff, the images are identical.
  1   a file cannot be read or written, or an image or patch is refused; for diff, the
      images differ.
  2   a mistake on the command line; for diff, any error.
Every error is one line on standard error that names the file and the reason. A refused
command leaves every file as it was and creates none.
)";

constexpr std::string_view kListHelp = R"(Usage: morvane-sprite-tool list [--format text|tsv|json]

Prints the 45 sprites: the index (0 to 44) that the other commands take, the label, and the
offset of the sprite's 384-byte block in the ROM image. Needs no ROM image.

Options:
  --format text   One line per sprite: index, label, offset in decimal and in hex (the
                  default).
  --format tsv    Tab-separated, with the header line "index<TAB>label<TAB>offset".
  --format json   A JSON array of objects {"index": 0, "label": "...", "offset": 82928}.
  -h, --help      Show this text.
)";

constexpr std::string_view kExportHelp
    = R"(Usage: morvane-sprite-tool export [--colours SET] [--force] ROM INDEX OUT.png
  or:  morvane-sprite-tool export [--colours SET] [--force] ROM --all DIR
  or:  morvane-sprite-tool export [--colours SET] [--force] ROM --sheet OUT.png

Writes sprite INDEX (0 to 44, see "list") of the ROM image as a 16 x 96-pixel indexed PNG:
the six 16 x 16 frames from top to bottom, each made of its four tiles top left, top right,
bottom left, bottom right. The palette index of a pixel is its 2-bit value. OUT.png "-"
writes the image to standard output, which must then be a file or a pipe, not a terminal.

With --all, writes all 45 sprites into DIR as NN-label.png (NN the two-digit index), creating
DIR if it is missing. Every block is read and every file name checked before the first image
is written. Each image is then written whole under a temporary name, and only when all 45 are
written do they take their names: a full disk leaves DIR as it was, or removes it again when
this run created it.

With --sheet, writes all 45 sprites as one 144 x 480 image: nine across and five down,
sprite i in column i mod 9 and row i div 9, each laid out as a single image.

An existing file is replaced only when it is a PNG image, and never when it is the ROM image
itself; a link, or any other file, is refused and left untouched. Each file is written whole
beside its name and then takes its place, or is not written at all.

Options:
  --colours greys     The four hardware greys: 0 white, 1 light grey, 2 dark grey, 3 black
                      (the default).
  --colours display   The editor's default display colours: 0 RGB(223, 0, 200), 1 black,
                      2 white, 3 RGB(0, 0, 255).
  --force             Also replace a file that is not a PNG image, and replace a link itself
                      (the file it points to is left untouched). Folders, pipes, devices and
                      the ROM image are never replaced.
  -h, --help          Show this text.
)";

constexpr std::string_view kImportHelp
    = R"(Usage: morvane-sprite-tool import [--dry-run] ROM INDEX IN.png
  or:  morvane-sprite-tool import [--dry-run] ROM --all DIR
  or:  morvane-sprite-tool import [--dry-run] ROM --sheet IN.png

Writes a 16 x 96-pixel PNG image (laid out as "export" writes it) into the 384-byte block of
sprite INDEX (0 to 44, see "list"), in place: no other byte of the ROM image changes and the
file never grows. Tells how many pixels and bytes change. IN.png "-" reads the image from
standard input.

With --all, reads every file of DIR named NN-anything.png, as "export --all" writes them: the
two-digit NN (00 to 44) decides the entry. Any other file in DIR, or two files for one entry,
refuses the set. With --sheet, reads a 144 x 480 sheet as "export --sheet" writes it. Every
image is read and checked before the first byte of the ROM image is written; one refused image
refuses them all, naming each refused file. Only the blocks that change are written, each one
whole in a single write, and a write that fails puts back the blocks already written. A run
stopped part-way (killed, say) may leave some blocks new and the rest old; importing the same
set again finishes it.

The image is read as follows:
  - an indexed PNG whose pixels use only the four greys (white 0, light grey 1, dark grey 2,
    black 3) is read by its greys, in whatever order its palette keeps them;
  - any other indexed PNG whose pixels use only the palette indices 0 to 3: index = value;
  - otherwise by colour: all colours among the four greys, or all among the four default
    display colours (RGB(223, 0, 200) 0, black 1, white 2, RGB(0, 0, 255) 3). The greys are
    tried first, so an image of only black and white is read as greys (white 0, black 3); it
    is read in the display colours only when a colour that only they have appears. A fully
    transparent pixel is value 0.
Anything else (another size, a fifth colour, a mix of both sets, a partly transparent pixel, a
palette index past the end of the palette, a file over 1 MiB, an unreadable file) is refused,
naming the problem and its first pixel, and nothing is written. An image that matches the
block already is not written either.

Options:
  --dry-run    Tell what would change, and write nothing.
  -h, --help   Show this text.
)";

constexpr std::string_view kDiffHelp = R"(Usage: morvane-sprite-tool diff ORIGINAL EDITED

Compares two ROM images: names every sprite whose block differs, with its index, label and
the number of its 24 tiles that changed, and counts the bytes that differ outside the 45
sprite blocks (and says so when the images differ in length). Reads both, writes nothing.

Exit status: 0 when the images are identical, 1 when they differ, 2 for any error.

Options:
  -h, --help   Show this text.
)";

constexpr std::string_view kPatchHelp
    = R"(Usage: morvane-sprite-tool patch ORIGINAL EDITED OUT.ips|OUT.bps

Writes the difference between two ROM images as a patch that ROM patchers read: an IPS patch
when OUT ends in .ips, a BPS patch when it ends in .bps. A BPS patch carries the checksums of
both images and of itself, so it applies only to ORIGINAL and a damaged one is refused. An IPS
patch carries none; it grows or cuts the image when EDITED is longer or shorter, and is refused
for changes past 16 MiB. Either patch is applied in memory and must rebuild EDITED before it is
written. OUT must not exist yet; it is written whole or not at all.

Options:
  -h, --help   Show this text.
)";

constexpr std::string_view kApplyHelp = R"(Usage: morvane-sprite-tool apply ROM PATCH OUT

Applies an IPS or BPS patch (told apart by its contents) to ROM and writes the result to OUT,
a new file: OUT must not exist, so the ROM image itself is never overwritten. A BPS patch made
for another image, or a damaged patch, is refused before anything is written. OUT is written
whole beside its name and then takes it, or is not written at all.

Options:
  -h, --help   Show this text.
)";

constexpr std::string_view kInfoHelp = R"(Usage: morvane-sprite-tool info ROM

Shows what the ROM image says about itself: its size, the title bytes of its header as text,
the header and global checksums as stored and as computed from its bytes, and whether all 45
sprite blocks lie inside the file. Reads the file, writes nothing.

The hardware checks only the header checksum, at start-up. The global checksum covers the
sprite blocks too, so it differs after every sprite saved or imported (which changes no other
byte); that does not stop the game from running.

Options:
  -h, --help   Show this text.
)";

constexpr std::string_view kDemoHelp = R"(Usage: morvane-sprite-tool demo OUT.gb

Creates a 1 MiB ROM image for trying the editor and this tool: a small header titled
"MORVANE DEMO" with valid checksums and, at each of the 45 sprite offsets, a sprite of this
program's own drawing, each different and walking in its three poses. Refuses to replace an
existing file.

Options:
  -h, --help   Show this text.
)";

} // namespace

std::string_view ToolHelp(std::string_view command)
{
    if (command.empty())
        return kToolHelp;
    if (command == "list")
        return kListHelp;
    if (command == "export")
        return kExportHelp;
    if (command == "import")
        return kImportHelp;
    if (command == "diff")
        return kDiffHelp;
    if (command == "patch")
        return kPatchHelp;
    if (command == "apply")
        return kApplyHelp;
    if (command == "info")
        return kInfoHelp;
    if (command == "demo")
        return kDemoHelp;
    return {};
}

std::string ToolVersion()
{
    return "morvane-sprite-tool " + std::string(kProjectVersion) + "\n";
}

} // namespace morvane
