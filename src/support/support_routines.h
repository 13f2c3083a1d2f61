#ifndef VIDO_SUPPORT_SUPPORT_ROUTINES_H_
#define VIDO_SUPPORT_SUPPORT_ROUTINES_H_

#include <cstdint>
#include <functional>
#include <string>

namespace vido {

class UserPort;

// The engine's own small text, number and time helpers. Engine texts are short:
// single bytes of the system code page, at most kShortTextLength of them.
inline constexpr std::size_t kShortTextLength = 255;

std::string TrimLeading(const std::string& text);
std::string TrimTrailing(const std::string& text);
// Splits off the first blank-delimited word: everything before the first blank, the
// text keeping what follows that blank without its leading blanks. Without a blank
// the whole text is the word and the text becomes empty.
std::string TakeFirstWord(std::string& text);
std::string PadRight(const std::string& text, int length, char fill = ' ');
std::string PadLeft(const std::string& text, int length, char fill = ' ');
// ASCII letters and the code page 437 umlauts (0x84, 0x94, 0x81) to upper case.
std::string UpperCase(const std::string& text);

// Both readers take the first word off `text`; a word that does not convert shows
// "WRONG NUMBER FORMAT " + word through the engine's message box and gives 0.
int32_t ReadInteger(std::string& text, UserPort& port);
// Completes a decimal point without a digit on one side (".5", "5.", "-.5", "1.E3").
double ReadNumber(std::string& text, UserPort& port);

// Decimal digits right-aligned with blanks in `width`.
std::string IntText(long long value, int width = 0);
// Fixed point with `decimals` digits right-aligned in `width`; a negative `decimals`
// selects exponent notation with width - 8 significant digits and a 4-digit exponent.
std::string FixedText(double value, int width, int decimals);
// The two general number formats of the engine's texts (6 and 10 significant digits).
std::string ShortGeneral(double value);
std::string LongGeneral(double value);

double MinReal(double a, double b);
double MaxReal(double a, double b);
int32_t MinInt(int32_t a, int32_t b);
int32_t MaxInt(int32_t a, int32_t b);
double Log10(double x);
double FloorReal(double x);
void SwapReal(double& a, double& b);
void SwapSingle(float& a, float& b);
void SwapInt(int32_t& a, int32_t& b);
// Local date and time in seconds on a shifted day count; only differences matter.
double NowSeconds();
// Test hook: NowSeconds returns what `clock` says (an empty function restores the real
// clock), so that time limits and time-based decisions can be tested without waiting.
void SetClockForTesting(std::function<double()> clock);

// The engine's message box: no icon, OK and Cancel; the answer is not used.
void ShowMessageText(UserPort& port, const std::string& text);
// Deletes a file; any error (for example a missing file) is ignored.
void DeleteNamedFile(const std::string& name);

}  // namespace vido

#endif  // VIDO_SUPPORT_SUPPORT_ROUTINES_H_
