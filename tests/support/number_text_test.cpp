#include "support/number_text.h"

#include <gtest/gtest.h>

namespace vido {
namespace {

TEST(FormatGeneral, FixedNotationWithinPrecisionAndAboveTenMicro) {
  EXPECT_EQ(FormatGeneral(0.5), "0.5");
  EXPECT_EQ(FormatGeneral(3), "3");
  EXPECT_EQ(FormatGeneral(-0.25), "-0.25");
  EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0.3");  // 15 digits hide the binary noise
  EXPECT_EQ(FormatGeneral(0.00001), "0.00001");
  EXPECT_EQ(FormatGeneral(123456789012345.0), "123456789012345");
  EXPECT_EQ(FormatGeneral(0), "0");
  EXPECT_EQ(FormatGeneral(-0.0), "0");
}

TEST(FormatGeneral, ScientificBelowTenMicroOrWhenDigitsDoNotFit) {
  EXPECT_EQ(FormatGeneral(0.000001), "1E-6");
  EXPECT_EQ(FormatGeneral(0.0000015), "1.5E-6");
  EXPECT_EQ(FormatGeneral(-0.0000025), "-2.5E-6");
  EXPECT_EQ(FormatGeneral(1e15), "1E15");
  EXPECT_EQ(FormatGeneral(1.5e20), "1.5E20");
}

TEST(FormatGeneral, ShorterPrecisions) {
  EXPECT_EQ(FormatGeneral(0.123456789, 5), "0.12346");
  EXPECT_EQ(FormatGeneral(123456, 5), "1.2346E5");
  EXPECT_EQ(FormatGeneral(99999.5, 5), "1E5");  // rounding moves the exponent
  EXPECT_EQ(FormatGeneral(2.0 / 3.0, 3), "0.667");
  EXPECT_EQ(FormatGeneral(1.0, 3), "1");
}

TEST(ParseReal, AcceptsDecimalText) {
  EXPECT_EQ(ParseReal("0.5"), 0.5);
  EXPECT_EQ(ParseReal(" -1.25 "), -1.25);
  EXPECT_EQ(ParseReal("+2"), 2.0);
  EXPECT_EQ(ParseReal(".5"), 0.5);
  EXPECT_EQ(ParseReal("5."), 5.0);
  EXPECT_EQ(ParseReal("1E-6"), 1e-6);
  EXPECT_EQ(ParseReal("1e3"), 1000.0);
  EXPECT_EQ(ParseReal("1e-400"), 0.0);
}

TEST(ParseReal, RejectsWhatIsNotANumber) {
  for (const char* bad : {"", " ", "-", ".", "1,5", "abc", "1e", "1e+", "inf", "nan", "0x10",
                          "1.2.3", "1 2", "1e999"}) {
    EXPECT_FALSE(ParseReal(bad).has_value()) << bad;
  }
}

TEST(ParseInteger, AcceptsAndRejects) {
  EXPECT_EQ(ParseInteger("42"), 42);
  EXPECT_EQ(ParseInteger(" -7"), -7);
  EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseInteger("-2147483648"), -2147483647 - 1);
  for (const char* bad : {"", "-", "1.0", "2147483648", "12a", "4 ", "0x1"}) {
    EXPECT_FALSE(ParseInteger(bad).has_value()) << bad;
  }
}

TEST(ConversionMessages, QuoteTheCellText) {
  EXPECT_EQ(NotRealMessage("a1"), "'a1' is not a valid floating point value");
  EXPECT_EQ(NotIntegerMessage("1.5"), "'1.5' is not a valid integer value");
}

}  // namespace
}  // namespace vido
