#pragma once

#include <string_view>

namespace morvane {

// Whether a file's path ends in `suffix` ("game.GBC" ends in ".gbc"), letters compared without
// regard to case: the kinds of file a user brings (ROM images, sprite images, patches) are told
// apart by the ending of their names, whoever typed them. Only ASCII letters are folded; a path
// is the file system's bytes, whatever their encoding.
bool HasSuffix(std::string_view path, std::string_view suffix);

} // namespace morvane
