#pragma once

#include <string>
#include <string_view>

namespace tessarin {

// Windows-1252 <-> UTF-8 (program text is UTF-8). A character 1252 cannot
// hold becomes "?". Invalid UTF-8 bytes also become "?". The five bytes 1252
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for U+0081 and so
// on, so every byte survives a round trip.
std::string ToCodePage1252(std::string_view utf8);
std::string FromCodePage1252(std::string_view bytes);

} // namespace tessarin
