#pragma once
// Rich text as WordPad and the Windows rich-edit control write it, built from Unicode text
// (Polish letters become \'xx escapes in Windows-1250).

#include "platform/CodePage.h"
#include "support/EmfTestSupport.h"

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QString>

namespace vek::test {

// Text in Windows-1250 with every byte above 127 written as \'xx.
inline QByteArray rtfText(const QString& text) {
    QByteArray out;
    for (char c : encodeCp1250(text)) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out.append(c);
        else
            out.append("\\'").append(QByteArray::number(b, 16).rightJustified(2, '0'));
    }
    return out;
}

inline const QByteArray kRichEditHeader =
    "{\\rtf1\\ansi\\ansicpg1250\\deff0\\deflang1045{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}"
    "{\\f1\\froman\\fcharset238 Times New Roman;}{\\f2\\fmodern\\fcharset238 Courier New;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;\\red255\\green255\\blue0;}\r\n"
    "\\viewkind4\\uc1";

// One rich-edit document: header, the given body, closing brace.
inline QByteArray richEdit(const QByteArray& body) {
    return kRichEditHeader + body + "}\r\n";
}

inline const QString kPolishParagraph = QStringLiteral(
    "Zażółć gęślą jaźń. Pchnąć w tę łódź jeża lub ośm skrzyń fig. Stróż pchnął kość w quiz gędźb vel "
    "fax myjń. Głęboka dolina rzeki, nad którą wznosił się stary zamek, tonęła w porannej mgle, a "
    "źdźbła traw uginały się pod ciężarem rosy.");

// Several justified, centred and coloured paragraphs in three fonts.
inline QByteArray polishDocument(int repeat = 1) {
    QByteArray body =
        "\\pard\\qc\\b\\f1\\fs28 " + rtfText(QStringLiteral("Umowa użyczenia")) + "\\b0\\par\r\n";
    for (int i = 0; i < repeat; ++i) {
        body += "\\pard\\qj\\sa120\\f0\\fs20 " + rtfText(kPolishParagraph) + " \\cf1 " +
                rtfText(QStringLiteral("Czerwone słowa")) + "\\cf0  " + rtfText(kPolishParagraph) +
                "\\par\r\n";
        body += "\\pard\\li360\\fi-360\\f2\\fs18 " + rtfText(QStringLiteral("1.\\tab Łańcuch znaków")) +
                "\\par\r\n";
    }
    return richEdit(body);
}

// Text without blanks and line or paragraph breaks: what drawing text runs must reproduce.
inline QString withoutBlanks(QString s) {
    s.remove(QRegularExpression(QStringLiteral("[\\s\\x{2028}\\x{2029}]")));
    return s;
}

// The folder of the RTF test files (tests/data/rtf), with a trailing slash.
inline QString rtfDataDir() {
    return qEnvironmentVariable("VEK_SOURCE_DIR") + QStringLiteral("/tests/data/rtf/");
}

} // namespace vek::test
