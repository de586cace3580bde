#pragma once
// Fonts with GDI semantics: a font is made from the fields of a LOGFONT and answers the text
// metrics GDI would give, in logical units of the canvas it is used on.
//
// Threads: fonts are cached per thread, and on one thread the same LogFont always gives the same
// object. A GdiFont belongs to the thread that got it from get(), as the QFont and QRawFont inside
// it do in Qt: use it on that thread only, and let another thread ask get() for its own. So fonts
// work on any number of threads at once, and their advance caches need no lock. A thread's fonts
// go when the thread ends, which must be while the application object lives.
//
// Windows faces are looked up through fontconfig after mapping the usual Windows names onto the
// metric-compatible Liberation faces, so text measures as it did on Windows.

#include "Gdi.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QRawFont>
#include <QStringView>
#include <array>
#include <memory>

namespace vek {

// Pitch and family of a LOGFONT (lfPitchAndFamily).
enum PitchAndFamily : std::uint8_t {
    FIXED_PITCH = 1,
    VARIABLE_PITCH = 2,
    FF_ROMAN = 0x10,
    FF_SWISS = 0x20,
    FF_MODERN = 0x30,
    FF_SCRIPT = 0x40,
    FF_DECORATIVE = 0x50,
};

class GdiFont {
public:
    // The cached font for these fields, the calling thread's own. Never null.
    static std::shared_ptr<const GdiFont> get(const LogFont& lf);
    // The family fontconfig is asked for in place of a Windows face name. A face that is neither
    // a known Windows face nor installed falls back by its kind: a known serif or monospaced face
    // by its name, any other by the LOGFONT's pitch and family (FF_ROMAN serif, FF_MODERN or
    // FIXED_PITCH monospaced, else sans).
    static QString familyFor(const QString& faceName, std::uint8_t pitchAndFamily = 0);
    // The installed family that stands in for a known Windows face, also in its Central-European,
    // Cyrillic, Greek, Turkish and Baltic variants ("Arial CE", "Times New Roman Cyr"); empty for
    // any other name.
    static QString substituteFor(const QString& faceName);
    // Whether the face is drawn by itself or by its known stand-in, not by a fallback.
    static bool hasFace(const QString& faceName);

    const LogFont& logFont() const { return m_lf; }
    // The Qt font to paint with, pixel size in logical units (the em rounded to whole pixels),
    // stretched to the requested average width, hinting off.
    const QFont& qfont() const { return m_font; }
    // The raw font for glyph look-ups when painting with explicit positions. Its pixel size is the
    // exact em; it carries no stretch: scale x by stretchFactor() when painting with it.
    const QRawFont& rawFont() const { return m_raw; }
    // Exact em size in logical units.
    double emSize() const { return m_em; }
    // Horizontal scale that makes the face reach the requested average character width (1 when
    // the LogFont asks for no width).
    double stretchFactor() const { return m_stretch; }
    // Rotation of the baseline, degrees counter-clockwise (lfEscapement / 10).
    double escapementDegrees() const { return m_lf.escapement / 10.0; }

    // GDI text metrics (TEXTMETRIC), rounded as GDI rounds them.
    int ascent() const { return m_ascent; }
    int descent() const { return m_descent; }
    int height() const { return m_ascent + m_descent; } // tmHeight
    int internalLeading() const { return m_internalLeading; }
    int averageCharWidth() const { return m_avgWidth; }

    // Whole advance of one character, logical units. Latin characters already measured are
    // answered inline: text is measured character by character.
    int advance(char16_t c) const {
        if (c < m_latinAdvances.size() && m_latinAdvances[c] >= 0)
            return m_latinAdvances[c];
        return advanceSlow(c);
    }
    // Sum of the advances.
    int textWidth(QStringView text) const;
    // The advance of every character of text, appended to dx.
    void advances(QStringView text, QList<int>& dx) const;
    // The same written to out, text.size() values: a surrogate pair gets the advance of its
    // character and 0.
    void advances(QStringView text, int* out) const;

    explicit GdiFont(const LogFont& lf); // use get()

private:
    int measureAdvance(char32_t c) const;
    int advanceSlow(char16_t c) const;

    LogFont m_lf;
    QFont m_font;
    QRawFont m_raw;
    double m_em = 0;
    double m_stretch = 1;
    int m_ascent = 0;
    int m_descent = 0;
    int m_internalLeading = 0;
    int m_avgWidth = 0;
    // Advance caches, touched by the font's own thread only.
    mutable std::array<int, 256> m_latinAdvances{}; // cache for U+0000..U+00FF, -1 = not measured
    mutable QHash<char32_t, int> m_otherAdvances;
};

using GdiFontPtr = std::shared_ptr<const GdiFont>;

} // namespace vek
