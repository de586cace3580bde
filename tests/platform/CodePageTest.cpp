#include "platform/CodePage.h"

#include <gtest/gtest.h>

using namespace vek;

TEST(CodePage, PolishLettersRoundTripThroughWindows1250) {
    const QString polish = QStringLiteral("Zażółć gęślą jaźń ZAŻÓŁĆ GĘŚLĄ JAŹŃ");
    const QByteArray bytes = encodeCp1250(polish);
    EXPECT_EQ(bytes.size(), polish.size());
    EXPECT_EQ(static_cast<unsigned char>(bytes[2]), 0xBF); // ż
    EXPECT_EQ(decodeCp1250(bytes), polish);
}

TEST(CodePage, UpperCasingFollowsThePolishRuleAndKeepsLength) {
    EXPECT_EQ(ansiUpperCase(encodeCp1250(u"żółw ąę")), encodeCp1250(u"ŻÓŁW ĄĘ"));
    EXPECT_TRUE(ansiSameText(encodeCp1250(u"Pozycja Łączna"), encodeCp1250(u"POZYCJA ŁĄCZNA")));
    EXPECT_FALSE(ansiSameText(encodeCp1250(u"Ł"), encodeCp1250(u"L")));
    // ß has no capital in Windows-1250 and stays.
    EXPECT_EQ(ansiUpperCase(encodeCp1250(u"ß")), encodeCp1250(u"ß"));
}

TEST(CodePage, CharsetsChooseTheirCodePages) {
    EXPECT_EQ(codePageForCharset(238), 1250);
    EXPECT_EQ(codePageForCharset(204), 1251);
    EXPECT_EQ(decodeByte(0xC0, 1251), QChar(0x0410)); // А
    EXPECT_EQ(encodeCp1250(u"€☃"), QByteArray("\x80?"));
}
