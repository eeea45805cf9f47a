// The framework's exception: a signed 16-bit code and a French message (MacRoman,
// at most kCPMessageMax bytes, CPStringTable.h). Code 0 means the user
// cancelled: callers report nothing.
// A few low-level paths throw a code alone; its text then comes from the table of
// error texts when somebody has to show it.
#ifndef VYX_FOUNDATION_CPEXCEPTION_H_
#define VYX_FOUNDATION_CPEXCEPTION_H_

#include <exception>
#include <initializer_list>
#include <string>

#include "platform/CPMacTypes.h"

class CPException : public std::exception {
 public:
  explicit CPException(int16_t code) : code_(code) {}
  CPException(int16_t code, std::string macRomanMessage);

  int16_t Code() const { return code_; }
  bool IsCancel() const { return code_ == 0 && message_.empty(); }
  // The message as given, or empty for a bare code.
  const std::string& Message() const { return message_; }
  // The text to show: the message, else the error text of the code, else a
  // generic text naming the code. MacRoman.
  std::string DisplayText() const;
  // DisplayText in UTF-8.
  const char* what() const noexcept override;

 private:
  int16_t code_;
  std::string message_;
  mutable std::string what_;
};

// Raising helpers: every error of vyx goes through one of these.
[[noreturn]] void CPThrow(int16_t code);
[[noreturn]] void CPThrowMessage(int16_t code, const std::string& macRomanMessage);
// The message is item `item` of string list `listID`, its ^0..^9 placeholders
// replaced by `vars` in order (MacRoman). `^1` is the first var unless
// `firstVar` says otherwise, as most lists number their placeholders from 1.
[[noreturn]] void CPThrowList(int16_t code, int listID, int item,
                              std::initializer_list<std::string> vars = {}, int firstVar = 1);
// Throws the system's error `err` (a file or memory error) when it is not 0.
void CPThrowIfOSErr(OSErr err);
[[noreturn]] void CPThrowCancel();

#endif  // VYX_FOUNDATION_CPEXCEPTION_H_
