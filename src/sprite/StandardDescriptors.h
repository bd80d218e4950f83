#pragma once

namespace morvane {

// A program started with standard input, output or error closed ("2>&-") would get that
// descriptor back from its next open: the ROM image opened on descriptor 1 would then receive
// every later line printed to standard output. Called first thing in main, this opens /dev/null
// on each of descriptors 0, 1 and 2 that is closed, so no file is ever opened on one. Returns
// false when one cannot be opened; the program must then stop before it opens any file.
bool OpenClosedStandardDescriptors();

} // namespace morvane
