#include "support/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace vido {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double UnitScale(double largest) {
  largest = std::fabs(largest);
  if (!(largest > 0) || !std::isfinite(largest)) return 1;
  int exponent = 0;
  std::frexp(largest, &exponent);  // largest = f * 2^exponent, f in [0.5, 1)
  return std::ldexp(1.0, 1 - exponent);
}

std::string FormatGeneral(double value, int precision) {
  if (precision < 1) precision = 1;
  if (precision > 17) precision = 17;
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";

  // Round to the precision first: the rounded exponent decides the notation.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", precision - 1, value);
  std::string text(buf);
  const size_t e_pos = text.find('e');
  const int exponent = std::atoi(text.c_str() + e_pos + 1);
  std::string mantissa = text.substr(0, e_pos);
  const bool negative = mantissa[0] == '-';
  if (negative) mantissa.erase(0, 1);
  std::string digits;
  for (char c : mantissa) {
    if (IsDigit(c)) digits += c;
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (std::fabs(value) >= 0.00001 && exponent < precision) {
    if (exponent >= 0) {
      const size_t int_digits = static_cast<size_t>(exponent) + 1;
      if (digits.size() <= int_digits) {
        out += digits + std::string(int_digits - digits.size(), '0');
      } else {
        out += digits.substr(0, int_digits) + "." + digits.substr(int_digits);
      }
    } else {
      out += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    }
    return out;
  }
  out += digits.substr(0, 1);
  if (digits.size() > 1) out += "." + digits.substr(1);
  out += "E" + std::to_string(exponent);
  return out;
}

std::optional<double> ParseReal(std::string_view text) {
  text = TrimBlanks(text);
  std::string_view body = text;
  bool negative = false;
  if (!body.empty() && (body.front() == '+' || body.front() == '-')) {
    negative = body.front() == '-';
    body.remove_prefix(1);
  }
  // Check the shape ourselves: from_chars alone would accept "inf", "nan" and hex.
  size_t pos = 0;
  size_t mantissa_digits = 0;
  while (pos < body.size() && IsDigit(body[pos])) ++pos, ++mantissa_digits;
  if (pos < body.size() && body[pos] == '.') {
    ++pos;
    while (pos < body.size() && IsDigit(body[pos])) ++pos, ++mantissa_digits;
  }
  if (mantissa_digits == 0) return std::nullopt;
  if (pos < body.size() && (body[pos] == 'e' || body[pos] == 'E')) {
    ++pos;
    if (pos < body.size() && (body[pos] == '+' || body[pos] == '-')) ++pos;
    size_t exp_digits = 0;
    while (pos < body.size() && IsDigit(body[pos])) ++pos, ++exp_digits;
    if (exp_digits == 0) return std::nullopt;
  }
  if (pos != body.size()) return std::nullopt;
  std::string plain(body);
  if (plain.front() == '.') plain.insert(plain.begin(), '0');
  double value = 0;
  const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Underflow reads as 0 and overflow is no number, as with any text-to-float routine.
    const double probe = std::strtod(plain.c_str(), nullptr);
    if (std::isinf(probe)) return std::nullopt;
    value = probe;
  } else if (result.ec != std::errc() || result.ptr != plain.data() + plain.size()) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

std::optional<int> ParseInteger(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return std::nullopt;
  return static_cast<int>(value);
}

std::string NotRealMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid floating point value";
}

std::string NotIntegerMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid integer value";
}

std::string Format(const char* pattern, ...) {
  va_list args;
  va_start(args, pattern);
  va_list copy;
  va_copy(copy, args);
  const int size = std::vsnprintf(nullptr, 0, pattern, copy);
  va_end(copy);
  std::string out(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  if (size > 0) std::vsnprintf(out.data(), out.size() + 1, pattern, args);
  va_end(args);
  return out;
}

}  // namespace vido
