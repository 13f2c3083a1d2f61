#include "support/support_routines.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

#include "support/number_text.h"
#include "support/user_port.h"

namespace vido {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Ties to even, as the engine's rounding does everywhere.
double RoundEven(double x) { return std::nearbyint(x); }

void WrongNumberFormat(UserPort& port, const std::string& word) {
  ShowMessageText(port, "WRONG NUMBER FORMAT " + word);
}

// Mantissa with `digits` significant digits and the exponent as written by the engine:
// "d.ddddE+dddd" (sign included when negative).
void SplitExponent(double value, int digits, std::string& mantissa, int& exponent) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*E", digits - 1, value);
  std::string text(buf);
  const size_t e_pos = text.find('E');
  mantissa = text.substr(0, e_pos);
  exponent = std::atoi(text.c_str() + e_pos + 1);
}

std::string FourDigitExponent(int exponent) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "E%c%04d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return buf;
}

// Exponent notation with the dispensable characters removed: 1.50000E+0007 -> 1.5E7.
std::string CompactExponent(double value, int digits) {
  std::string mantissa;
  int exponent = 0;
  SplitExponent(value, digits, mantissa, exponent);
  while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
  if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
  return mantissa + "E" + (exponent < 0 ? "-" : "") + std::to_string(std::abs(exponent));
}

// Fixed notation with `decimals` decimals, trailing zeros and a final point removed.
std::string CompactFixed(double value, int decimals) {
  std::string text = TrimLeading(FixedText(value, 0, decimals));
  if (text.find('.') != std::string::npos) {
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
  }
  return text;
}

// Shared by both general formats: exponent notation outside [small, large), else fixed
// with (fixed_digits - max(0, round(log10 |x|))) decimals.
std::string GeneralText(double x, double large, double small, int digits, int fixed_digits) {
  if (x == 0) return "0";
  const double magnitude = std::fabs(x);
  if (magnitude >= large || magnitude <= small) return CompactExponent(x, digits);
  const int shift = static_cast<int>(RoundEven(Log10(magnitude)));
  return CompactFixed(x, fixed_digits - std::max(0, shift));
}

}  // namespace

std::string TrimLeading(const std::string& text) {
  size_t start = 0;
  while (start < text.size() && text[start] == ' ') ++start;
  return text.substr(start);
}

std::string TrimTrailing(const std::string& text) {
  size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  return text.substr(0, end);
}

std::string TakeFirstWord(std::string& text) {
  const size_t blank = text.find(' ');
  if (blank == std::string::npos) {
    std::string word = std::move(text);
    text.clear();
    return word;
  }
  std::string word = text.substr(0, blank);
  text = TrimLeading(text.substr(blank + 1));
  return word;
}

std::string PadRight(const std::string& text, int length, char fill) {
  std::string out = text;
  if (static_cast<int>(out.size()) < length) out.append(length - out.size(), fill);
  return out;
}

std::string PadLeft(const std::string& text, int length, char fill) {
  if (static_cast<int>(text.size()) >= length) return text;
  return std::string(length - text.size(), fill) + text;
}

std::string UpperCase(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') {
      c = static_cast<char>(u - 'a' + 'A');
    } else if (u == 0x84) {
      c = static_cast<char>(0x8E);
    } else if (u == 0x94) {
      c = static_cast<char>(0x99);
    } else if (u == 0x81) {
      c = static_cast<char>(0x9A);
    }
  }
  return out;
}

int32_t ReadInteger(std::string& text, UserPort& port) {
  const std::string word = TakeFirstWord(text);
  const auto value = ParseInteger(word);
  if (!value) {
    WrongNumberFormat(port, word);
    return 0;
  }
  return *value;
}

double ReadNumber(std::string& text, UserPort& port) {
  const std::string word = TakeFirstWord(text);
  // A point needs a digit on both sides for the conversion: supply a 0 where one is
  // missing (".5" -> "0.5", "5." -> "5.0", "-.5" -> "-0.5", "1.E3" -> "1.0E3").
  std::string completed;
  for (size_t i = 0; i < word.size(); ++i) {
    if (word[i] == '.') {
      if (i == 0 || !IsDigit(word[i - 1])) completed += '0';
      completed += '.';
      if (i + 1 == word.size() || !IsDigit(word[i + 1])) completed += '0';
    } else {
      completed += word[i];
    }
  }
  const auto value = ParseReal(completed);
  if (!value) {
    WrongNumberFormat(port, word);
    return 0;
  }
  return *value;
}

std::string IntText(long long value, int width) { return PadLeft(std::to_string(value), width); }

std::string FixedText(double value, int width, int decimals) {
  if (decimals >= 0) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%*.*f", width, std::min(decimals, 60), value);
    return buf;
  }
  const int digits = std::clamp(width - 8, 2, 18);
  std::string mantissa;
  int exponent = 0;
  SplitExponent(value, digits, mantissa, exponent);
  if (mantissa.front() != '-') mantissa.insert(mantissa.begin(), ' ');
  return PadLeft(mantissa + FourDigitExponent(exponent), width);
}

std::string ShortGeneral(double value) { return GeneralText(value, 1000000, 1e-6, 6, 7); }

std::string LongGeneral(double value) { return GeneralText(value, 1e10, 1e-10, 10, 14); }

double MinReal(double a, double b) { return b >= a ? a : b; }
double MaxReal(double a, double b) { return b > a ? b : a; }
int32_t MinInt(int32_t a, int32_t b) { return b >= a ? a : b; }
int32_t MaxInt(int32_t a, int32_t b) { return b > a ? b : a; }

double Log10(double x) { return std::log(x) / 2.302585; }

// Integer part for x >= 0; below 0 the integer part of x - 0.999999999, which is the
// floor for every value that is not within 1e-9 above a whole number.
double FloorReal(double x) { return x >= 0 ? std::trunc(x) : std::trunc(x - 0.999999999); }

void SwapReal(double& a, double& b) { std::swap(a, b); }
void SwapSingle(float& a, float& b) { std::swap(a, b); }
void SwapInt(int32_t& a, int32_t& b) { std::swap(a, b); }

namespace {

std::function<double()>& ClockOverride() {
  static std::function<double()> clock;
  return clock;
}

}  // namespace

void SetClockForTesting(std::function<double()> clock) { ClockOverride() = std::move(clock); }

// (days since 30 December 1899 - 35000) * 86400 in local time. 25569 is the day count
// of 1 January 1970.
double NowSeconds() {
  if (ClockOverride()) return ClockOverride()();
  const auto now = std::chrono::system_clock::now();
  const double unix_seconds = std::chrono::duration<double>(now.time_since_epoch()).count();
  const std::time_t whole = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&whole, &local);
  const double local_seconds = unix_seconds + static_cast<double>(local.tm_gmtoff);
  return local_seconds + (25569.0 - 35000.0) * 86400.0;
}

void ShowMessageText(UserPort& port, const std::string& text) { (void)port.EngineMessage(text); }

void DeleteNamedFile(const std::string& name) {
  std::error_code ignored;
  std::filesystem::remove(name, ignored);
}

}  // namespace vido
