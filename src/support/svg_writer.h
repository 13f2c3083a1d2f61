#ifndef VIDO_SUPPORT_SVG_WRITER_H_
#define VIDO_SUPPORT_SVG_WRITER_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vido {

// Writes an SVG picture element by element. Attribute values and texts are escaped and
// made UTF-8 (see ValidUtf8), so any cell text may go in.
class SvgWriter {
 public:
  using Attributes = std::vector<std::pair<std::string, std::string>>;

  SvgWriter(double width, double height);

  // <element attributes> ... up to the matching Close().
  void Open(const std::string& element, const Attributes& attributes = {});
  void Close();
  // <element attributes/>
  void Empty(const std::string& element, const Attributes& attributes);
  // <element attributes>text</element>
  void Text(const std::string& element, const Attributes& attributes, std::string_view text);

  // The whole document; every element still open is closed.
  std::string Finish();

  // A coordinate or length: at most two decimals, no trailing zeros.
  static std::string Number(double value);

 private:
  void Start(const std::string& element, const Attributes& attributes);

  std::string out_;
  std::vector<std::string> open_;
};

}  // namespace vido

#endif  // VIDO_SUPPORT_SVG_WRITER_H_
