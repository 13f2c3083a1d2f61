#include "support/svg_writer.h"

#include <cmath>
#include <cstdio>

#include "support/utf8_text.h"

namespace vido {

namespace {

std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : ValidUtf8(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        // XML 1.0 has no place for control characters other than TAB, LF and CR.
        out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
  }
  return out;
}

}  // namespace

SvgWriter::SvgWriter(double width, double height) {
  out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out_ += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Number(width) + "\" height=\"" +
          Number(height) + "\" viewBox=\"0 0 " + Number(width) + " " + Number(height) + "\">\n";
}

void SvgWriter::Start(const std::string& element, const Attributes& attributes) {
  out_ += std::string(2 * (open_.size() + 1), ' ') + "<" + element;
  for (const auto& [name, value] : attributes) out_ += " " + name + "=\"" + Escaped(value) + "\"";
}

void SvgWriter::Open(const std::string& element, const Attributes& attributes) {
  Start(element, attributes);
  out_ += ">\n";
  open_.push_back(element);
}

void SvgWriter::Close() {
  if (open_.empty()) return;
  out_ += std::string(2 * open_.size(), ' ') + "</" + open_.back() + ">\n";
  open_.pop_back();
}

void SvgWriter::Empty(const std::string& element, const Attributes& attributes) {
  Start(element, attributes);
  out_ += "/>\n";
}

void SvgWriter::Text(const std::string& element, const Attributes& attributes,
                     std::string_view text) {
  Start(element, attributes);
  out_ += ">" + Escaped(text) + "</" + element + ">\n";
}

std::string SvgWriter::Finish() {
  while (!open_.empty()) Close();
  return out_ + "</svg>\n";
}

std::string SvgWriter::Number(double value) {
  if (!std::isfinite(value)) return "0";
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", value);
  std::string out = text;
  out.erase(out.find_last_not_of('0') + 1);
  if (out.back() == '.') out.pop_back();
  return out == "-0" ? "0" : out;
}

}  // namespace vido
