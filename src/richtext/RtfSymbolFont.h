#pragma once
// The Symbol font's character set: text written in it (\fcharset2, or the private-use codes
// U+F020..U+F0FF that stand for it) is shown as the Greek and mathematical characters it draws.

namespace vek::rtf {

// The Unicode character that a byte of the Symbol font draws.
char16_t symbolToUnicode(unsigned char byte);

} // namespace vek::rtf
