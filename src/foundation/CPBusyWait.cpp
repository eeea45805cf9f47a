#include "foundation/CPBusyWait.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"

namespace {

constexpr int kBusyTexts = 30400;
constexpr int kBusyWaitingItem = 1;  // ^1: the file
constexpr int kBusyGivenUpItem = 2;  // ^1: the file
// A wait shorter than this is not worth a word.
constexpr auto kQuietWait = std::chrono::milliseconds(300);
constexpr auto kPause = std::chrono::milliseconds(10);

}  // namespace

std::chrono::milliseconds CPBusyWaitLimit() {
  const char* text = std::getenv("VYX_ATTENTE");
  if (text && *text) {
    std::string value(text);
    for (char& c : value)
      if (c == ',') c = '.';
    char* end = nullptr;
    double seconds = std::strtod(value.c_str(), &end);
    if (end && *end == 0 && std::isfinite(seconds) && seconds >= 0 && seconds < 86400) {
      return std::chrono::milliseconds(static_cast<long>(seconds * 1000));
    }
  }
  return std::chrono::seconds(5);
}

bool CPWaitWhileBusy(const CPFileRef& file, const std::function<bool()>& attempt) {
  if (attempt()) return true;
  using Clock = std::chrono::steady_clock;
  const auto limit = CPBusyWaitLimit();
  const auto start = Clock::now();
  std::unique_ptr<CPProgress> progress;
  for (;;) {
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    if (waited >= limit) return false;
    if (!progress && waited >= kQuietWait) {
      std::string title = CPGetListString(kBusyTexts, kBusyWaitingItem);
      CPReplaceVar(title, 1, CPFileDisplayPath(file));
      progress = std::make_unique<CPProgress>(title, long(limit.count() / 100));
    }
    if (progress) progress->Update(long(waited.count() / 100));
    std::this_thread::sleep_for(kPause);
    if (attempt()) return true;
  }
}

void CPThrowBusy(int16_t code, const CPFileRef& file) {
  CPThrowList(code, kBusyTexts, kBusyGivenUpItem, {CPFileDisplayPath(file)});
}

std::string CPFileDisplayPath(const CPFileRef& file) {
  std::error_code ec;
  std::filesystem::path path = std::filesystem::absolute(file.Path(), ec);
  if (ec) path = file.Path();
  bool lossy = false;
  try {
    return CPConvertTextLenient(path.lexically_normal().string(), kCPUTF8, kCPMacRoman, &lossy);
  } catch (const CPException&) {
    return "?";
  }
}
