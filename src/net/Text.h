#pragma once

// Texts on the wire: Windows-1252 bytes that each show a character. Program
// text is UTF-8; these helpers fit it to what the wire and the score file
// can carry.

#include <cstddef>
#include <string>
#include <string_view>

namespace tessarin::net {

// The longest player name: what the score file stores.
constexpr std::size_t kMaxNameLength = 21;

// A byte of Windows-1252 text that shows a character: no C0 control, no DEL
// and none of the five undefined bytes (they stand for C1 controls).
constexpr bool IsShownByte(unsigned char b) {
    return b >= 0x20 && b != 0x7F && b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D;
}
constexpr bool IsAsciiShownByte(unsigned char b) {
    return b >= 0x20 && b < 0x7F;
}

// UTF-8 text as Windows-1252 bytes for the wire: a character the code page
// or the rule cannot carry becomes "?", and the bytes are cut to maxBytes.
std::string WireBytes(std::string_view utf8, std::size_t maxBytes, bool asciiOnly = false);
// The same text as it arrives at the other end (UTF-8 again).
std::string WireText(std::string_view utf8, std::size_t maxBytes, bool asciiOnly = false);

// True for a name the score file keeps exactly as it is: 1 to 21
// characters of Windows-1252 that show (no control characters), no "/"
// (the file's field end) and no space at either end (the file trims them).
bool IsStorableName(std::string_view utf8);
// The storable name nearest to a typed one: line breaks become spaces,
// other controls go, "/" and characters outside the code page become "?",
// spaces at the ends go, and it is cut to 21 characters. May be empty.
std::string FitName(std::string_view utf8);

} // namespace tessarin::net
