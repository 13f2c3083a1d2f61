#ifndef VIDO_MODEL_PROBLEM_READER_H_
#define VIDO_MODEL_PROBLEM_READER_H_

#include <streambuf>
#include <string>
#include <string_view>

#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

// The open dialog of the problem file.
inline constexpr const char* kProblemOpenFilter =
    "TRI parameters & constraints (*.tri)|*.tri|All files (*.*)|*.*";

// A number longer than this is no number.
inline constexpr size_t kMaxTokenLength = 400;

enum class ReadOutcome {
  kLoaded,     // the whole problem was read
  kUnchanged,  // the file could not be used; the problem in memory is as it was
  kPartial,    // reading stopped after the tables were replaced: they keep what was read
};

// Reads a problem file from the stream. `file_name` goes into the caption and the save
// dialog once the problem is loaded. Every message goes to the port; the reader never
// writes to the file system. Reading stops at the first error after its message.
class ProblemFileReader {
 public:
  ProblemFileReader(std::streambuf& in, Workspace& ws, UserPort& port)
      : in_(in), ws_(ws), port_(port) {}

  ReadOutcome Read(const std::string& file_name);

  // Passes over lines until one whose first character is `letter`; the rest of that line
  // is left to the caller. False, after "Unexpected e.o.f. when " + the activity text,
  // when the file ends.
  bool SkipToTag(char letter);

 private:
  void ReadSizes();
  void ReadDirections();
  void ReadProfiles();
  void ReadThresholds();
  void ReadActions();
  void ReadWeightBounds();
  void ReadConstraints();
  void ReadConstraint(int number);
  void ReadLambdaBounds();
  void ReadCriteriaNames();

  // The next character; lines are counted as they end (CR LF, LF or a CR alone).
  int Get() {
    const int ch = in_.sbumpc();
    if (ch == '\n' || (ch == '\r' && Peek() != '\n')) ++lines_read_;
    return ch;
  }
  int Peek() { return in_.sgetc(); }
  bool AtEof() { return Peek() == std::char_traits<char>::eof(); }
  void EndOfLine(int ch);  // after `ch` ended a line: takes the LF of a CR LF
  void SkipRestOfLine();
  std::string RestOfLine();
  void SkipBlanks();
  std::string Token();
  int ReadInteger();
  double ReadReal();
  std::string ReadRealText() { return FormatReal(ReadReal()); }
  static std::string FormatReal(double value);
  void Require(char letter);  // SkipToTag that stops reading at the end of the file
  [[noreturn]] void Fail();   // "Error on reading " + activity, then stop
  [[noreturn]] void Eof();    // "Unexpected e.o.f. when " + activity, then stop
  void UnknownSymbol();

  std::streambuf& in_;
  Workspace& ws_;
  UserPort& port_;
  std::string activity_ = ": Could not open file";
  int version_ = 1;
  int lines_read_ = 0;
  int n_ = 0;
  int k_ = 0;
  int m_ = 0;
};

// Reads the problem held in `text` as if it were the file `file_name`.
ReadOutcome ReadProblemText(Workspace& ws, UserPort& port, std::string_view text,
                            const std::string& file_name);
// Opens `path` for reading when it is a regular file (a folder cannot be read and a pipe
// could block for ever); otherwise shows "Error on reading : Could not open file" with the
// path and the system's reason on a second line, and returns false.
bool OpenInputFile(const std::string& path, std::filebuf& file, UserPort& port);

// Reads the problem file at `path` ("Error on reading : Could not open file" when it
// cannot be opened or is not a regular file, with the path and the reason on a second
// line).
ReadOutcome ReadProblemFile(Workspace& ws, UserPort& port, const std::string& path);

// "&Open...": asks for a file with the open dialog and reads it; cancel does nothing.
void OpenOthClick(Workspace& ws, UserPort& port);

}  // namespace vido

#endif  // VIDO_MODEL_PROBLEM_READER_H_
