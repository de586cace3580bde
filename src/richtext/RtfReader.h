#pragma once
// Reads Rich Text Format as the Windows rich-edit control and WordPad save it, into a
// QTextDocument. Understood: groups and destinations (ignorable {\*\...} groups and unknown
// destinations are skipped), font table with character sets, colour table, Windows code pages
// (\ansicpg, \fcharset, \'xx), \uN with \ucN, character formatting (\f \fs \b \i \ul \strike
// \super \sub \cf \highlight \cb \v \plain), paragraph formatting (\pard \ql \qr \qc \qj \li \ri
// \fi \sb \sa \sl \slmult \tx), \tab \line \par \page, fields (their result), and pictures
// (\emfblip \pngblip \jpegblip \wmetafile \dibitmap \wbitmap drawn; others keep their place only).
//
// Any input is accepted: malformed RTF (unbalanced braces, truncated escapes, absurd numbers) is
// read as far as it makes sense, never read past its end, and nothing is allocated from a count
// before the bytes behind it have been seen.

#include <QByteArrayView>

class QTextDocument;

namespace vek {

// Replaces the content of doc by the rich text. Bytes that do not start with "{\rtf" are read as
// plain Windows-1250 text, as the rich-edit control does.
void readRtf(QByteArrayView rtf, QTextDocument& doc);

} // namespace vek
