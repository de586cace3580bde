#pragma once
// Windows single-byte code pages. Printout texts are Windows-1250 bytes; they are kept as read and
// decoded only where they are drawn or shown.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace vek {

QString decodeCp1250(QByteArrayView bytes);
// Characters that Windows-1250 cannot hold become '?'.
QByteArray encodeCp1250(QStringView text);

// The ANSI code page a font character set stands for (238 → 1250, 204 → 1251, ...); 0 when the
// charset has none (symbol fonts).
int codePageForCharset(int charset);
// Decodes bytes in a Windows code page; unknown code pages fall back to Windows-1252.
QString decodeCodePage(QByteArrayView bytes, int codePage);
// The same into out, bytes.size() UTF-16 units.
void decodeCodePage(QByteArrayView bytes, int codePage, char16_t* out);
// Decodes one byte in a Windows code page.
QChar decodeByte(unsigned char byte, int codePage);

// Upper-cases Windows-1250 bytes by the Polish locale's rule, letter by letter (ą → Ą, ó → Ó, ...),
// as the system's ANSI upper-casing does. The length never changes.
QByteArray ansiUpperCase(QByteArrayView bytes);
// Compares two Windows-1250 strings without regard to letter case, by the rule above.
bool ansiSameText(QByteArrayView a, QByteArrayView b);

} // namespace vek
