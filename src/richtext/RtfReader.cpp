#include "RtfReader.h"

#include "RtfFormat.h"
#include "RtfReaderState.h"
#include "RtfSymbolFont.h"
#include "platform/CodePage.h"

#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace vek {
namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

namespace rtf {

void Reader::run() {
    const qsizetype n = m_in.size();
    while (m_pos < n) {
        const char c = m_in[m_pos++];
        switch (c) {
        case '{':
            pushGroup();
            break;
        case '}':
            popGroup();
            if (m_stack.size() == 1 && m_overflowDepth == 0)
                m_pos = n; // the document's group ended: what follows (NUL bytes, ...) is not text
            break;
        case '\\':
            readControl();
            break;
        case '\r':
        case '\n':
            break;
        case '\t':
            // A literal tab is a character like any other: it may be the fallback of a \uN.
            if (m_skipChars > 0)
                --m_skipChars;
            else
                handleWord("tab", false, 0);
            break;
        default:
            textByte(static_cast<unsigned char>(c));
            break;
        }
    }
    finish();
}

// A control word (letters, optional signed number, one optional space) or a control symbol.
void Reader::readControl() {
    const qsizetype n = m_in.size();
    if (m_pos >= n)
        return;
    const char c = m_in[m_pos];
    if (!isLetter(c)) {
        ++m_pos;
        controlSymbol(c);
        return;
    }
    QByteArray word;
    while (m_pos < n && isLetter(m_in[m_pos])) {
        if (word.size() < 32)
            word.append(m_in[m_pos]);
        ++m_pos;
    }
    bool hasParam = false;
    bool negative = false;
    long long value = 0;
    if (m_pos < n && m_in[m_pos] == '-' && m_pos + 1 < n && isDigit(m_in[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    while (m_pos < n && isDigit(m_in[m_pos])) {
        hasParam = true;
        if (value < 1000000000LL)
            value = value * 10 + (m_in[m_pos] - '0');
        ++m_pos;
    }
    if (m_pos < n && m_in[m_pos] == ' ')
        ++m_pos;
    const int param = int(negative ? -std::min(value, 1000000000LL) : std::min(value, 1000000000LL));
    if (word == "bin") {
        readBinary(hasParam ? param : 0);
        return;
    }
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    handleWord(word, hasParam, param);
}

void Reader::controlSymbol(char c) {
    if (c == '\'') {
        // Two hex digits make a byte; a truncated escape is dropped with its one digit.
        int value = 0;
        int digits = 0;
        while (digits < 2 && m_pos < m_in.size() && hexValue(m_in[m_pos]) >= 0) {
            value = value * 16 + hexValue(m_in[m_pos++]);
            ++digits;
        }
        if (m_skipChars > 0) {
            --m_skipChars;
            return;
        }
        if (digits == 2)
            textByte(static_cast<unsigned char>(value), true);
        return;
    }
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    switch (c) {
    case '\\':
    case '{':
    case '}':
        textByte(static_cast<unsigned char>(c), true);
        break;
    case '~':
        textChar(QChar(0x00A0));
        break;
    case '_':
        textChar(QChar(0x2011));
        break;
    case '*':
        m_ignorableNext = true;
        break;
    case '\r':
    case '\n':
        handleWord("par", false, 0);
        break;
    default: // \- optional hyphen, \: index entries, \| formulas: nothing to show
        break;
    }
}

// \binN: N raw bytes, part of a picture or skipped. Never reads past the input.
void Reader::readBinary(int count) {
    const qsizetype take = std::clamp<qsizetype>(count, 0, m_in.size() - m_pos);
    if (state().dest == Dest::Picture)
        m_picture.data.append(m_in.sliced(m_pos, take));
    m_pos += take;
    m_skipChars = 0;
}

void Reader::pushGroup() {
    m_skipChars = 0;
    m_leadByte = -1;
    if (m_stack.size() >= kMaxDepth) {
        ++m_overflowDepth;
        return;
    }
    GroupState next = m_stack.back();
    if (next.dest == Dest::FontTable)
        next.dest = Dest::FontEntry; // one font per group
    else if (next.dest == Dest::FontEntry)
        next.dest = Dest::FontSub; // \panose, \falt, ...
    else if (next.dest == Dest::FontSub || next.dest == Dest::FontAlt)
        next.dest = Dest::Skip;
    m_stack.push_back(std::move(next));
}

void Reader::popGroup() {
    m_skipChars = 0;
    m_leadByte = -1;
    m_ignorableNext = false;
    if (m_overflowDepth > 0) {
        --m_overflowDepth;
        return;
    }
    if (m_stack.size() <= 1)
        return; // unbalanced closing brace: ignored
    if (m_stack.size() == 2)
        finish(); // the document's group ends: its last paragraph keeps the formatting it had
    const GroupState closing = m_stack.back();
    m_stack.pop_back();
    if (closing.dest == Dest::Picture && m_stack.back().dest != Dest::Picture)
        insertPicture();
    if (closing.dest == Dest::FontTable && m_stack.back().dest != Dest::FontTable)
        commitFont();
    if (closing.dest == Dest::FontEntry)
        commitFont();
    if (closing.para != state().para || closing.chr != state().chr)
        m_formatDirty = true;
}

void Reader::textByte(unsigned char byte, bool escaped) {
    GroupState& s = state();
    switch (s.dest) {
    case Dest::Text:
        break;
    case Dest::Picture:
        if (!escaped)
            pictureHex(byte);
        return;
    case Dest::FontTable:
    case Dest::FontEntry:
        if (byte == ';' && !escaped)
            commitFont();
        else
            m_fontName.append(char(byte));
        return;
    case Dest::FontAlt:
        m_fontAlt.append(char(byte));
        return;
    case Dest::FontSub:
    case Dest::Upr:
        return;
    case Dest::ColorTable:
        if (byte == ';')
            commitColor();
        return;
    case Dest::Skip:
        return;
    }
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    const FontEntry* font = findFont(state().chr.font);
    if (font && font->charset == SymbolCharset) {
        textChar(QChar(symbolToUnicode(byte)));
        return;
    }
    const int cp = font && font->codePage ? font->codePage : m_ansiCodePage;
    if (!isDoubleByteCodePage(cp)) {
        m_leadByte = -1;
        textChar(decodeByte(byte, cp));
        return;
    }
    if (m_leadByte >= 0) {
        const char pair[2] = {char(m_leadByte), char(byte)};
        m_leadByte = -1;
        if (state().dest == Dest::Text && !state().chr.hidden)
            appendText(decodeDoubleByte(QByteArrayView(pair, 2), cp));
    } else if (isLeadByte(cp, byte)) {
        m_leadByte = byte;
    } else {
        textChar(QChar(char16_t(byte < 0x80 ? byte : 0xFFFD)));
    }
}

bool Reader::isDoubleByteCodePage(int cp) {
    return cp == 932 || cp == 936 || cp == 949 || cp == 950;
}

bool Reader::isLeadByte(int cp, unsigned char byte) {
    if (cp == 932)
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return byte >= 0x81 && byte <= 0xFE;
}

// Japanese, Chinese and Korean code pages: two bytes make a character.
QString Reader::decodeDoubleByte(QByteArrayView pair, int cp) {
    const char* name = cp == 932 ? "Shift_JIS" : cp == 936 ? "GBK" : cp == 949 ? "windows-949" : "Big5";
    QStringDecoder decoder(name);
    if (!decoder.isValid())
        return QString(QChar(0xFFFD));
    return decoder.decode(pair);
}

void Reader::textChar(QChar c) {
    if (state().dest != Dest::Text || state().chr.hidden)
        return;
    appendText(QString(c));
}

void Reader::pictureHex(unsigned char byte) {
    const int v = hexValue(char(byte));
    if (v < 0)
        return;
    if (m_picture.pendingNibble < 0) {
        m_picture.pendingNibble = v;
    } else {
        m_picture.data.append(char(m_picture.pendingNibble * 16 + v));
        m_picture.pendingNibble = -1;
    }
}

void Reader::commitFont() {
    QByteArray name = m_fontName.trimmed();
    QByteArray alt = m_fontAlt.trimmed();
    if (alt.endsWith(';'))
        alt.chop(1);
    m_fontName.clear();
    m_fontAlt.clear();
    if (m_fontId < 0)
        return;
    FontEntry& f = m_fonts[m_fontId];
    const int cp = f.codePage ? f.codePage : m_ansiCodePage;
    if (!name.isEmpty())
        f.face = decodeCodePage(name, cp);
    if (!alt.isEmpty())
        f.alt = decodeCodePage(alt, cp);
    m_fontId = -1;
}

void Reader::commitColor() {
    m_colors.push_back(m_colorSet ? std::optional<QColor>(m_color) : std::nullopt);
    m_color = QColor(0, 0, 0);
    m_colorSet = false;
}

void Reader::finish() {
    if (m_finished)
        return;
    m_finished = true;
    flushRun();
    if (!m_pendingPar)
        applyBlockFormat();
}

} // namespace rtf

void readRtf(QByteArrayView rtf, QTextDocument& doc) {
    doc.clear();
    if (!rtf.startsWith("{\\rtf")) {
        QTextCursor cursor(&doc);
        QString text = decodeCp1250(rtf);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        cursor.insertText(text);
        return;
    }
    rtf::Reader reader(rtf, doc);
    reader.run();
}

} // namespace vek
