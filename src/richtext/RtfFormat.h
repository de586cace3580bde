#pragma once
// What the RTF reader leaves in a QTextDocument beside Qt's own format properties, and the units
// it uses. Lengths of paragraph formats (indents, spacing, tab stops) and picture sizes are in
// points; font sizes are point sizes; the rich-text layout turns them into device units.

#include <QTextFormat>

namespace vek::rtf {

// Character format: the Windows character set of the run's font (QTextFormat::UserProperty range).
constexpr int CharsetProperty = QTextFormat::UserProperty + 1;
// Character format: set when the run has no colour of its own (the "auto" colour, \cf0).
constexpr int AutoColorProperty = QTextFormat::UserProperty + 2;
// Character format: the LOGFONT pitch and family of the run's font (\froman, \fmodern, ...); the
// font families list the face and, when the file names one, its alternative ({\*\falt}).
constexpr int PitchFamilyProperty = QTextFormat::UserProperty + 6;
// Image format: the kind of picture data kept as the image's resource (PictureKind).
constexpr int PictureKindProperty = QTextFormat::UserProperty + 3;

// Block format: line spacing as written: \sl in twips (0 = single) and the \slmult flag.
constexpr int LineSpacingProperty = QTextFormat::UserProperty + 4;
constexpr int LineSpacingMultipleProperty = QTextFormat::UserProperty + 5;

// Character format: how the run is underlined (UnderlineKind) and struck out (1 single, 2 double).
constexpr int UnderlineKindProperty = QTextFormat::UserProperty + 7;
constexpr int StrikeKindProperty = QTextFormat::UserProperty + 8;
// Character format: raised (positive) or lowered text, points; horizontal scale, percent; space
// added after every character, points.
constexpr int RiseProperty = QTextFormat::UserProperty + 9;
constexpr int ScaleXProperty = QTextFormat::UserProperty + 10;
constexpr int SpacingProperty = QTextFormat::UserProperty + 11;
// Block format: tab leaders (TabLeader, one per tab position), paragraph borders (BorderSide bits,
// width in points, colour, space between text and border in points) and shading (a QColor).
constexpr int TabLeadersProperty = QTextFormat::UserProperty + 12;
constexpr int BordersProperty = QTextFormat::UserProperty + 13;
constexpr int BorderWidthProperty = QTextFormat::UserProperty + 14;
constexpr int BorderColorProperty = QTextFormat::UserProperty + 15;
constexpr int BorderSpaceProperty = QTextFormat::UserProperty + 16;
constexpr int ShadingProperty = QTextFormat::UserProperty + 17;

// Block format of a paragraph in a table cell: the row (a number unique in the document), the cell's
// index in it, and the row's definition: column edges in points ([\trleft, \cellx...]), the gap
// between a cell's edge and its text in points (\trgaph), the borders of each cell (BorderSide
// bits) and their width in points.
constexpr int TableRowProperty = QTextFormat::UserProperty + 18;
constexpr int TableCellProperty = QTextFormat::UserProperty + 19;
constexpr int TableEdgesProperty = QTextFormat::UserProperty + 20;
constexpr int TableGapProperty = QTextFormat::UserProperty + 21;
constexpr int TableBordersProperty = QTextFormat::UserProperty + 22;
constexpr int TableBorderWidthProperty = QTextFormat::UserProperty + 23;

enum UnderlineKind { UlNone, UlSingle, UlDouble, UlWords, UlDotted, UlDash, UlThick, UlWave };
enum TabLeader { LeaderNone, LeaderDots, LeaderHyphens, LeaderUnderline, LeaderThick, LeaderEquals };
enum BorderSide { BorderTop = 1, BorderBottom = 2, BorderLeft = 4, BorderRight = 8 };

enum class PictureKind { None, Emf, Png, Jpeg, Wmf, Bitmap };

// Pictures are kept as document resources under this URL scheme ("rtfpict:<n>"): EMF as its bytes
// (QByteArray; a WMF is kept converted to EMF, with the kind Emf), PNG, JPEG and bitmaps decoded
// (QImage).
inline constexpr char16_t PictureScheme[] = u"rtfpict";

} // namespace vek::rtf
