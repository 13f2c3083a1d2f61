#include "support/support_routines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/fake_user_port.h"

namespace vido {
namespace {

using testing::FakeUserPort;

TEST(SupportRoutines, ReadNumberCompletesTheDecimalPoint) {
  FakeUserPort port;
  const std::vector<std::pair<std::string, double>> cases = {
      {".5", 0.5},  {"5.", 5}, {"-.5", -0.5},   {"1.E3", 1000}, {"-1E-7", -1e-7},
      {"2E9", 2e9}, {".", 0},  {"+3.25", 3.25}, {"1e2", 100},
  };
  for (const auto& [word, expected] : cases) {
    std::string text = word;
    EXPECT_DOUBLE_EQ(ReadNumber(text, port), expected) << word;
    EXPECT_TRUE(text.empty()) << word;
  }
  EXPECT_TRUE(port.engine_messages.empty());
}

TEST(SupportRoutines, ReadNumberTakesOneWordAtATime) {
  FakeUserPort port;
  std::string text = "1E-7 0  1";
  EXPECT_DOUBLE_EQ(ReadNumber(text, port), 1e-7);
  EXPECT_EQ(text, "0  1");
  EXPECT_DOUBLE_EQ(ReadNumber(text, port), 0);
  EXPECT_EQ(text, "1");
  EXPECT_DOUBLE_EQ(ReadNumber(text, port), 1);
  EXPECT_EQ(text, "");
}

TEST(SupportRoutines, ReadNumberFailuresShowTheWordAndGiveZero) {
  FakeUserPort port;
  for (const std::string word : {"abc", "1.2.3", "-", "1E", "1,5", "0x10", "inf"}) {
    std::string text = word + " 7";
    EXPECT_EQ(ReadNumber(text, port), 0) << word;
    EXPECT_EQ(text, "7");
  }
  std::string empty;
  EXPECT_EQ(ReadNumber(empty, port), 0);
  const std::vector<std::string> expected = {"WRONG NUMBER FORMAT abc", "WRONG NUMBER FORMAT 1.2.3",
                                             "WRONG NUMBER FORMAT -",   "WRONG NUMBER FORMAT 1E",
                                             "WRONG NUMBER FORMAT 1,5", "WRONG NUMBER FORMAT 0x10",
                                             "WRONG NUMBER FORMAT inf", "WRONG NUMBER FORMAT "};
  EXPECT_EQ(port.engine_messages, expected);
}

TEST(SupportRoutines, ReadInteger) {
  FakeUserPort port;
  std::string text = "12 REST OF LINE";
  EXPECT_EQ(ReadInteger(text, port), 12);
  EXPECT_EQ(text, "REST OF LINE");
  text = "-2147483648";
  EXPECT_EQ(ReadInteger(text, port), -2147483647 - 1);
  EXPECT_TRUE(port.engine_messages.empty());
  for (const std::string word : {"1.5", "2147483648", "X", "1E3"}) {
    text = word;
    EXPECT_EQ(ReadInteger(text, port), 0) << word;
  }
  EXPECT_EQ(port.engine_messages,
            (std::vector<std::string>{"WRONG NUMBER FORMAT 1.5", "WRONG NUMBER FORMAT 2147483648",
                                      "WRONG NUMBER FORMAT X", "WRONG NUMBER FORMAT 1E3"}));
}

TEST(SupportRoutines, TextHelpers) {
  std::string text = "NAME  1 2";
  EXPECT_EQ(TakeFirstWord(text), "NAME");
  EXPECT_EQ(text, "1 2");
  text = "WORD";
  EXPECT_EQ(TakeFirstWord(text), "WORD");
  EXPECT_EQ(text, "");
  text = " LEADING";  // a leading blank makes an empty first word
  EXPECT_EQ(TakeFirstWord(text), "");
  EXPECT_EQ(text, "LEADING");

  EXPECT_EQ(TrimLeading("  a b  "), "a b  ");
  EXPECT_EQ(TrimTrailing("  a b  "), "  a b");
  EXPECT_EQ(PadRight("ab", 5, '.'), "ab...");
  EXPECT_EQ(PadLeft("ab", 5), "   ab");
  EXPECT_EQ(PadLeft("abcdef", 3), "abcdef");
  EXPECT_EQ(UpperCase("mix-ed 1\x84\x94\x81\xE4"), "MIX-ED 1\x8E\x99\x9A\xE4");
}

TEST(SupportRoutines, ShortGeneralAroundItsThresholds) {
  EXPECT_EQ(ShortGeneral(0), "0");
  EXPECT_EQ(ShortGeneral(1000000), "1E6");
  EXPECT_EQ(ShortGeneral(999999), "999999");
  EXPECT_EQ(ShortGeneral(-999999.4), "-999999.4");
  EXPECT_EQ(ShortGeneral(1.5e7), "1.5E7");
  EXPECT_EQ(ShortGeneral(-2e30), "-2E30");
  EXPECT_EQ(ShortGeneral(1e-6), "1E-6");
  EXPECT_EQ(ShortGeneral(1e-7), "1E-7");
  EXPECT_EQ(ShortGeneral(1.1e-6), "0.0000011");
  EXPECT_EQ(ShortGeneral(123456789.0), "1.23457E8");
  EXPECT_EQ(ShortGeneral(30), "30");
  EXPECT_EQ(ShortGeneral(0.5), "0.5");
  EXPECT_EQ(ShortGeneral(123.456789), "123.45679");
  EXPECT_EQ(ShortGeneral(-1.0 / 3), "-0.3333333");
}

TEST(SupportRoutines, LongGeneralAroundItsThresholds) {
  EXPECT_EQ(LongGeneral(0), "0");
  EXPECT_EQ(LongGeneral(1e10), "1E10");
  EXPECT_EQ(LongGeneral(9999999999.0), "9999999999");
  EXPECT_EQ(LongGeneral(1e-10), "1E-10");
  EXPECT_EQ(LongGeneral(1.5e-10), "0.00000000015");
  EXPECT_EQ(LongGeneral(1.0 / 3), "0.33333333333333");
  EXPECT_EQ(LongGeneral(2000.0 / 3), "666.66666666667");
  EXPECT_EQ(LongGeneral(-12345678901.0), "-1.23456789E10");
  EXPECT_EQ(LongGeneral(3.25e-12), "3.25E-12");
}

TEST(SupportRoutines, NumberWriting) {
  EXPECT_EQ(IntText(42), "42");
  EXPECT_EQ(IntText(42, 5), "   42");
  EXPECT_EQ(IntText(-7, 3), " -7");
  EXPECT_EQ(FixedText(3.14159, 8, 2), "    3.14");
  EXPECT_EQ(FixedText(-2, 14, 10), " -2.0000000000");
  EXPECT_EQ(FixedText(1.5, 12, -1), " 1.500E+0000");
  EXPECT_EQ(FixedText(-0.00125, 12, -1), "-1.250E-0003");
  EXPECT_EQ(FixedText(1.5, 4, -1), " 1.5E+0000");  // at least 2 digits
}

TEST(SupportRoutines, Numerics) {
  EXPECT_EQ(FloorReal(2.7), 2);
  EXPECT_EQ(FloorReal(-1.5), -2);
  EXPECT_EQ(FloorReal(-2), -2);
  EXPECT_NEAR(Log10(1000), 3, 1e-6);
  // The day count starts 35000 days after 30 December 1899 (in 1995).
  const double first = NowSeconds();
  const double second = NowSeconds();
  EXPECT_GE(second, first);
  EXPECT_GT(first, 20 * 365 * 86400.0);
}

TEST(SupportRoutines, MessageBoxAndFileDeletion) {
  FakeUserPort port;
  ShowMessageText(port, "HELLO");
  EXPECT_EQ(port.engine_messages, std::vector<std::string>{"HELLO"});
  EXPECT_TRUE(port.messages.empty());

  const std::string name = "delete_me.tmp";
  std::ofstream(name) << "x";
  ASSERT_TRUE(std::filesystem::exists(name));
  DeleteNamedFile(name);
  EXPECT_FALSE(std::filesystem::exists(name));
  DeleteNamedFile(name);  // a missing file is not an error
}

}  // namespace
}  // namespace vido
