#include "cli/VYXJsonWriter.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>

namespace {

// Enough text to make writes to the stream cheap, little enough to stay
// small beside the records.
constexpr size_t kFlushAt = 64 * 1024;

}  // namespace

void VYXAppendJsonString(std::string& to, std::string_view utf8) {
  static const char kHex[] = "0123456789abcdef";
  to += '"';
  size_t plain = 0;  // start of the run copied as it is
  for (size_t i = 0; i < utf8.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    to.append(utf8.substr(plain, i - plain));
    plain = i + 1;
    switch (c) {
      case '"': to += "\\\""; break;
      case '\\': to += "\\\\"; break;
      case '\b': to += "\\b"; break;
      case '\f': to += "\\f"; break;
      case '\n': to += "\\n"; break;
      case '\r': to += "\\r"; break;
      case '\t': to += "\\t"; break;
      default:
        to += "\\u00";
        to += kHex[c >> 4];
        to += kHex[c & 0xF];
    }
  }
  to.append(utf8.substr(plain));
  to += '"';
}

VYXJsonWriter::~VYXJsonWriter() {
  try {
    Flush();
  } catch (...) {
    // A stream that throws at the end has nowhere to report to.
  }
}

void VYXJsonWriter::Indent(size_t level) { buffer_.append(2 * level, ' '); }

void VYXJsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (levels_.empty()) return;
  Level& level = levels_.back();
  buffer_ += level.empty ? "\n" : ",\n";
  level.empty = false;
  Indent(levels_.size());
}

VYXJsonWriter& VYXJsonWriter::Key(std::string_view key) {
  BeforeValue();
  VYXAppendJsonString(buffer_, key);
  buffer_ += ": ";
  afterKey_ = true;
  return *this;
}

void VYXJsonWriter::Open(char bracket, bool object) {
  BeforeValue();
  buffer_ += bracket;
  levels_.push_back(Level{object});
}

void VYXJsonWriter::Close(char bracket) {
  bool empty = levels_.back().empty;
  levels_.pop_back();
  if (!empty) {
    buffer_ += '\n';
    Indent(levels_.size());
  }
  buffer_ += bracket;
  MaybeFlush();
}

void VYXJsonWriter::BeginArray() { Open('[', false); }
void VYXJsonWriter::EndArray() { Close(']'); }
void VYXJsonWriter::BeginObject() { Open('{', true); }
void VYXJsonWriter::EndObject() { Close('}'); }

void VYXJsonWriter::String(std::string_view utf8) {
  BeforeValue();
  VYXAppendJsonString(buffer_, utf8);
}

void VYXJsonWriter::Null() {
  BeforeValue();
  buffer_ += "null";
}

void VYXJsonWriter::Bool(bool value) {
  BeforeValue();
  buffer_ += value ? "true" : "false";
}

void VYXJsonWriter::Int(int64_t value) {
  BeforeValue();
  char text[24];
  buffer_.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

void VYXJsonWriter::Number(double value) {
  BeforeValue();
  if (!std::isfinite(value)) {
    buffer_ += "null";
    return;
  }
  // nlohmann's own shortest form ("12.5", "3.0", "1e+16"), so that a
  // streamed amount reads as the dumped one.
  char text[64];
  buffer_.append(text, nlohmann::detail::to_chars(text, text + sizeof text, value));
}

void VYXJsonWriter::Value(const nlohmann::json& value) {
  switch (value.type()) {
    case nlohmann::json::value_t::object:
      BeginObject();
      for (const auto& [key, item] : value.items()) {
        Key(key);
        Value(item);
      }
      EndObject();
      return;
    case nlohmann::json::value_t::array:
      BeginArray();
      for (const auto& item : value) Value(item);
      EndArray();
      return;
    case nlohmann::json::value_t::string: return String(value.get_ref<const std::string&>());
    case nlohmann::json::value_t::boolean: return Bool(value.get<bool>());
    case nlohmann::json::value_t::number_integer: return Int(value.get<int64_t>());
    case nlohmann::json::value_t::number_unsigned:
      BeforeValue();
      buffer_ += std::to_string(value.get<uint64_t>());
      return;
    case nlohmann::json::value_t::number_float: return Number(value.get<double>());
    default:
      BeforeValue();
      buffer_ += value.dump();  // null, and what JSON text cannot hold
  }
}

void VYXJsonWriter::Finish() {
  buffer_ += '\n';
  Flush();
  out_.flush();
}

void VYXJsonWriter::MaybeFlush() {
  if (buffer_.size() >= kFlushAt) Flush();
}

void VYXJsonWriter::Flush() {
  if (buffer_.empty()) return;
  out_.write(buffer_.data(), std::streamsize(buffer_.size()));
  buffer_.clear();
}
