#include "ToolHelp.h"

#include "version/ProjectVersion.h"

namespace morvane {

namespace {

constexpr std::string_view kToolHelp = R"(Usage: morvane-sprite-tool COMMAND [OPTIONS] ARGUMENTS
  or:  morvane-sprite-tool help [COMMAND] | --help | --version

Reads and writes the 45 overworld character sprites of a ROM image as PNG images or raw 2bpp
tiles, compares ROM images, checks and fixes their checksums, and makes and applies patches.

Commands:
  list                        List the 45 sprites: index, label and offset.
  export ROM INDEX OUT.png    Write one sprite as a 16 x 96 PNG image.
  export ROM INDEX OUT.2bpp   Write one sprite's 384-byte block as stored (raw tiles).
  export ROM --all DIR        Write every sprite to DIR/NN-label.png (.2bpp with --raw).
  export ROM --sheet OUT.png  Write all 45 sprites as one 144 x 480 PNG sheet.
  import ROM INDEX IN.png     Write a PNG image (or IN.2bpp) into that sprite's block.
  import ROM --all DIR        Write every DIR/NN-*.png (or .2bpp) into the block of NN.
  import ROM --sheet IN.png   Write a sheet of all 45 sprites into their blocks.
  diff ORIGINAL EDITED        Name the sprites that differ; --png draws the changes red.
  patch ORIGINAL EDITED OUT   Write the difference as an IPS (OUT.ips) or BPS (OUT.bps) patch.
  apply ROM PATCH OUT         Write ROM with PATCH applied to the file OUT.
  info ROM                    Show the size, title and checksums of a ROM image.
  checksum ROM                Show the two checksums and their meaning; --fix corrects them.
  demo OUT.gb                 Create a 1 MiB demo ROM image with a sprite at every offset.
  help COMMAND                Show the details of a command, as "COMMAND --help" does.

A sprite file of "-" stands for standard input (import) or standard output (export).

Options:
  -h, --help                  Show this text, or a command's text after the command.
      --version               Show the version and stop.
  -q, --quiet                 After any command: say nothing on success. Errors still go to
                              standard error, and what a command is asked to print (list,
                              info, checksum, an image on "-") still comes.

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
  -q, --quiet     Changes nothing: the list is what was asked for.
  -h, --help      Show this text.
)";

constexpr std::string_view kExportHelp
    = R"(Usage: morvane-sprite-tool export [--colours SET] [--force] ROM INDEX OUT.png
  or:  morvane-sprite-tool export [--raw] [--force] ROM INDEX OUT.2bpp
  or:  morvane-sprite-tool export [--colours SET | --raw] [--force] ROM --all DIR
  or:  morvane-sprite-tool export [--colours SET] [--force] ROM --sheet OUT.png

Writes sprite INDEX (0 to 44, see "list") of the ROM image as a 16 x 96-pixel indexed PNG:
the six 16 x 16 frames from top to bottom, each made of its four tiles top left, top right,
bottom left, bottom right. The palette index of a pixel is its 2-bit value.

An OUT whose name ends in .2bpp, or any OUT with --raw, gets the sprite's 384-byte block exactly
as the ROM image stores it instead: raw 2bpp tiles, 24 tiles of 16 bytes, the form the usual
Game Boy graphics converters write. OUT "-" writes the PNG image to standard output, or the raw
tiles with --raw; standard output must then be a file or a pipe, not a terminal.

With --all, writes all 45 sprites into DIR as NN-label.png (NN the two-digit index), or as
NN-label.2bpp with --raw, creating DIR if it is missing. Every block is read and every file
name checked before the first file is written. Each file is then written whole under a
temporary name, and only when all 45 are written do they take their names: a full disk leaves
DIR as it was, or removes it again when this run created it.

With --sheet, writes all 45 sprites as one 144 x 480 image: nine across and five down,
sprite i in column i mod 9 and row i div 9, each laid out as a single image. The sheet is
always a PNG image.

An existing file is replaced only when it is of the kind being written (a PNG image for an
image, a file of exactly 384 bytes for raw tiles), and never when it is the ROM image itself; a
link, or any other file, is refused and left untouched. Each file is written whole beside its
name and then takes its place, or is not written at all.

Options:
  --colours greys     The four hardware greys: 0 white, 1 light grey, 2 dark grey, 3 black
                      (the default).
  --colours display   The editor's default display colours: 0 RGB(223, 0, 200), 1 black,
                      2 white, 3 RGB(0, 0, 255).
  --raw               Write raw 2bpp tiles, whatever OUT's name: for "-", and with --all.
  --force             Also replace a file of another kind, and replace a link itself (the
                      file it points to is left untouched). Folders, pipes, devices and the
                      ROM image are never replaced.
  -q, --quiet         Say nothing on success.
  -h, --help          Show this text.

Example:
  morvane-sprite-tool export game.gb --all sprites/
)";

constexpr std::string_view kImportHelp
    = R"(Usage: morvane-sprite-tool import [--dry-run] [--raw] ROM INDEX IN.png|IN.2bpp
  or:  morvane-sprite-tool import [--dry-run] ROM --all DIR
  or:  morvane-sprite-tool import [--dry-run] ROM --sheet IN.png

Writes a 16 x 96-pixel PNG image (laid out as "export" writes it) into the 384-byte block of
sprite INDEX (0 to 44, see "list"), in place: no other byte of the ROM image changes and the
file never grows. Tells how many pixels and bytes change. IN "-" reads the image from standard
input. An IN whose name ends in .2bpp, or any IN with --raw ("-" too), holds raw 2bpp tiles
instead: exactly 384 bytes, the block as the ROM image stores it; any other length is refused.

With --all, reads every file of DIR named NN-anything.png or NN-anything.2bpp, as "export
--all" writes them: the two-digit NN (00 to 44) decides the entry, and each file's ending its
kind, with or without --raw. Any other file in DIR, or two files for one entry, refuses the
set. With --sheet, reads a 144 x 480 sheet as "export --sheet" writes it. Every file is read
and checked before the first byte of the ROM image is written; one refused file refuses them
all, naming each refused file. Only the blocks that change are written, each one whole in a
single write, and a write that fails puts back the blocks already written. A run stopped
part-way (killed, say) may leave some blocks new and the rest old; importing the same set again
finishes it.

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
  --dry-run     Tell what would change, and write nothing.
  --raw         Read IN as raw 2bpp tiles, whatever its name.
  -q, --quiet   Say nothing on success; a dry run still tells what would change.
  -h, --help    Show this text.

Example:
  morvane-sprite-tool import --dry-run game.gb 5 walker.png
)";

constexpr std::string_view kDiffHelp
    = R"(Usage: morvane-sprite-tool diff [--format text|tsv|json] [--png OUT.png] ORIGINAL EDITED

Compares two ROM images: names every sprite whose block differs, with its index, label, the
number of its pixels that differ and of its 24 tiles they lie in, and counts the bytes that
differ outside the 45 sprite blocks (and says so when the images differ in length). Reads
both, and writes nothing but the picture asked for.

With --png, also draws the picture of the differences: the 144 x 480 sheet of EDITED, laid
out as "export --sheet" writes it (sprite i in column i mod 9 and row i div 9), in the four
greys, with every pixel whose value differs from ORIGINAL in pure red, RGB(255, 0, 0), and
every sprite without a difference dimmed to greys of half the contrast. A sprite that only one
of the images holds whole is red all over. OUT.png "-" writes the picture to standard output,
and the report then goes to standard error. OUT.png replaces only a PNG image, never ORIGINAL
or EDITED.

Exit status: 0 when the images are identical, 1 when they differ, 2 for any error.

Options:
  --format text   Sentences, one per sprite that differs, and a summary (the default).
  --format tsv    One line per sprite that differs, under a header line of the keys index,
                  label, offset, state, tiles, pixels and bytes; nothing else.
  --format json   One JSON object: "original", "edited", "original_size", "edited_size",
                  "identical", "sprites_differing", "bytes_differing_outside_sprites", and
                  "sprites", an array of objects with the keys of the tsv form.
                  The state is "differs", "beyond_end_of_original", "beyond_end_of_edited"
                  or "partly_beyond_both"; counts that do not apply are null (empty in tsv).
  --png OUT.png   Also draw the picture of the differences into OUT.png.
  --force         Let the picture replace any file, or a link itself.
  -q, --quiet     Print no report: the exit status alone tells, as "cmp -s" does. The
                  picture is still drawn.
  -h, --help      Show this text.

Example:
  morvane-sprite-tool diff game.gb edited.gb --png changes.png
)";

constexpr std::string_view kPatchHelp
    = R"(Usage: morvane-sprite-tool patch [--force] ORIGINAL EDITED OUT.ips|OUT.bps

Writes the difference between two ROM images as a patch that ROM patchers read: an IPS patch
when OUT ends in .ips, a BPS patch when it ends in .bps. A BPS patch carries the checksums of
both images and of itself, so it applies only to ORIGINAL and a damaged one is refused. An IPS
patch carries none; it grows or cuts the image when EDITED is longer or shorter, and is refused
for changes past 16 MiB. Either patch is applied in memory and must rebuild EDITED before it is
written. OUT must not exist yet unless --force is given; it is written whole or not at all.

Options:
  --force       Replace an existing OUT, or a link of that name itself (the file it points to
                is left untouched). Folders, pipes, devices and the two images are never
                replaced.
  -q, --quiet   Say nothing on success.
  -h, --help    Show this text.

Example:
  morvane-sprite-tool patch game.gb edited.gb my.bps
)";

constexpr std::string_view kApplyHelp = R"(Usage: morvane-sprite-tool apply [--force] ROM PATCH OUT

Applies an IPS or BPS patch (told apart by its contents) to ROM and writes the result to OUT,
a new file unless --force is given. A BPS patch made for another image, or a damaged patch, is
refused before anything is written. OUT is written whole beside its name and then takes it, or
is not written at all.

Options:
  --force       Replace an existing OUT, or a link of that name itself (the file it points to
                is left untouched). Folders, pipes, devices, ROM and PATCH are never
                replaced.
  -q, --quiet   Say nothing on success.
  -h, --help    Show this text.

Example:
  morvane-sprite-tool apply game.gb my.bps patched.gb
)";

constexpr std::string_view kInfoHelp
    = R"(Usage: morvane-sprite-tool info [--format text|tsv|json] ROM

Shows what the ROM image says about itself: its size, the title bytes of its header as text,
the header and global checksums as stored and as computed from its bytes, and whether all 45
sprite blocks lie inside the file. Reads the file, writes nothing.

The hardware checks only the header checksum, at start-up. The global checksum covers the
sprite blocks too, so it differs after every sprite saved or imported (which changes no other
byte); that does not stop the game from running. "checksum --fix" corrects both.

Options:
  --format text   Labelled lines (the default).
  --format tsv    A header line of the keys below, tab-separated, and one line of values.
  --format json   One JSON object of the keys file, size, title, header_checksum_stored,
                  header_checksum_computed, header_checksum_matches, global_checksum_stored,
                  global_checksum_computed, global_checksum_matches and
                  sprite_blocks_inside. Checksums are numbers; for an image too short for a
                  header, the title and checksums are null (empty in tsv).
  -q, --quiet     Changes nothing: the facts are what was asked for.
  -h, --help      Show this text.

Example:
  morvane-sprite-tool info --format json game.gb
)";

constexpr std::string_view kChecksumHelp = R"(Usage: morvane-sprite-tool checksum [--fix] ROM

Shows the two checksums of the ROM image's header, as stored and as computed from its bytes,
and what each means. The header checksum, the byte at 0x14D, covers the header bytes 0x134 to
0x14C; the hardware checks it at start-up and will not run the game while it is wrong. The
global checksum, the two bytes at 0x14E (high byte first), is the sum of every other byte of
the image; the hardware never checks it, but some emulators and tools warn when it differs,
as it does after every sprite saved or imported.

With --fix, writes the correct values into the ROM image in place: the header checksum first,
then the global checksum, which covers it. Only the checksum bytes whose value changes are
written, and nothing else; a write that fails puts the old bytes back. Tells which bytes
changed, with their offsets and old and new values. A ROM image whose checksums are right is
not written.

Options:
  --fix         Write the correct checksums into the ROM image.
  -q, --quiet   Say nothing after --fix; without it, the report still comes.
  -h, --help    Show this text.

Example:
  morvane-sprite-tool checksum --fix game.gb
)";

constexpr std::string_view kDemoHelp = R"(Usage: morvane-sprite-tool demo OUT.gb

Creates a 1 MiB ROM image for trying the editor and this tool: a small header titled
"MORVANE DEMO" with valid checksums and, at each of the 45 sprite offsets, a sprite of this
program's own drawing, each different and walking in its three poses. Refuses to replace an
existing file.

Options:
  -q, --quiet   Say nothing on success.
  -h, --help    Show this text.

Example:
  morvane-sprite-tool demo game.gb
)";

constexpr std::string_view kHelpHelp = R"(Usage: morvane-sprite-tool help [COMMAND]

Shows the details of COMMAND, as "morvane-sprite-tool COMMAND --help" does; without COMMAND,
the tool's own help.

Options:
  -h, --help   Show this text.

Example:
  morvane-sprite-tool help import
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
    if (command == "checksum")
        return kChecksumHelp;
    if (command == "demo")
        return kDemoHelp;
    if (command == "help")
        return kHelpHelp;
    return {};
}

std::string ToolVersion()
{
    return "morvane-sprite-tool " + std::string(kProjectVersion) + "\n";
}

} // namespace morvane
