#include "foundation/CPException.h"

#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"

CPException::CPException(int16_t code, std::string macRomanMessage)
    : code_(code), message_(std::move(macRomanMessage)) {
  if (message_.size() > kCPMessageMax) message_.resize(kCPMessageMax);
}

std::string CPException::DisplayText() const {
  if (!message_.empty()) return message_;
  std::string text = CPGetErrorText(code_);
  if (!text.empty()) return text;
  text = CPGetListString(kCPErrorsListID, kCPUnknownErrorItem);
  CPReplaceVar(text, 1, std::to_string(code_));
  return text;
}

const char* CPException::what() const noexcept {
  try {
    what_ = MacRomanToUtf8(DisplayText());
  } catch (...) {
    what_ = "erreur " + std::to_string(code_);
  }
  return what_.c_str();
}

void CPThrow(int16_t code) { throw CPException(code); }

void CPThrowMessage(int16_t code, const std::string& macRomanMessage) {
  throw CPException(code, macRomanMessage);
}

void CPThrowList(int16_t code, int listID, int item, std::initializer_list<std::string> vars,
                 int firstVar) {
  throw CPException(code, CPFillVars(CPGetListString(listID, item), vars, firstVar));
}

void CPThrowIfOSErr(OSErr err) {
  if (err != 0) throw CPException(err);
}

void CPThrowCancel() { throw CPException(0); }
