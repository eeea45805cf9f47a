#include "cli/VYXCliInteraction.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "cli/VYXCli.h"
#include "cli/VYXCliTexts.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"

namespace {

std::string Word(int item) { return VYXHelp(kVYXCliTexts, item); }

// The answer as one lowercase word without surrounding blanks.
std::string Normalized(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\t'))
    text.pop_back();
  size_t start = text.find_first_not_of(" \t");
  text = start == std::string::npos ? std::string() : text.substr(start);
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// "o" and "oui" both answer yes: a word or its first letter.
bool Matches(const std::string& answer, const std::string& word) {
  return !answer.empty() && (answer == word || (answer.size() == 1 && answer[0] == word[0]));
}

// Turns off the echo of a terminal for the object's life.
class NoEcho {
 public:
  explicit NoEcho(int fd) : fd_(fd) {
    if (fd_ < 0 || ::tcgetattr(fd_, &saved_) != 0) {
      fd_ = -1;
      return;
    }
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    ::tcsetattr(fd_, TCSAFLUSH, &quiet);
  }
  ~NoEcho() {
    if (fd_ >= 0) ::tcsetattr(fd_, TCSAFLUSH, &saved_);
  }
  NoEcho(const NoEcho&) = delete;
  NoEcho& operator=(const NoEcho&) = delete;

 private:
  int fd_;
  termios saved_{};
};

}  // namespace

VYXCliInteraction::Terminal VYXCliInteraction::ProcessTerminal() {
  Terminal t;
  t.in = &std::cin;
  t.err = &std::cerr;
  t.inIsTerminal = ::isatty(STDIN_FILENO) != 0;
  t.errIsTerminal = ::isatty(STDERR_FILENO) != 0;
  t.echoFd = t.inIsTerminal ? STDIN_FILENO : -1;
  return t;
}

VYXCliInteraction::VYXCliInteraction(Answers answers, Terminal terminal)
    : previous_(CPSetInteraction(this)), answers_(answers), term_(terminal) {}

VYXCliInteraction::~VYXCliInteraction() {
  ClearProgress();
  CPSetInteraction(previous_);
}

bool VYXCliInteraction::ReadLine(std::string* line, bool secret) {
  term_.err->flush();
  if (secret) {
    NoEcho quiet(term_.echoFd);
    return static_cast<bool>(std::getline(*term_.in, *line));
  }
  return static_cast<bool>(std::getline(*term_.in, *line));
}

void VYXCliInteraction::SayTaken(const std::string& question, Answer taken) {
  int word = taken == kYes ? kCliYes : taken == kNo ? kCliNo : kCliCancel;
  *term_.err << "vyx : "
             << VYXHelp(kVYXCliTexts, kCliNoTerminalAnswer, {VYXText(question), Word(word)})
             << '\n';
}

CPInteraction::Answer VYXCliInteraction::Ask(const std::string& question, bool cancel,
                                             Answer safe) {
  ClearProgress();
  if (answers_ == Answers::kYes) return kYes;
  if (answers_ == Answers::kNo) return kNo;
  if (!term_.inIsTerminal) {
    SayTaken(question, safe);
    return safe;
  }
  const std::string yes = Word(kCliYes), no = Word(kCliNo), stop = Word(kCliCancel);
  int safeWord = safe == kYes ? kCliYes : safe == kNo ? kCliNo : kCliCancel;
  for (;;) {
    *term_.err << VYXText(question) << ' ' << Word(cancel ? kCliYesNoCancel : kCliYesNo) << ' '
               << VYXHelp(kVYXCliTexts, kCliDefaultAnswer, {Word(safeWord)}) << ' ';
    std::string line;
    if (!ReadLine(&line, false)) {
      *term_.err << '\n';
      SayTaken(question, safe);
      return safe;
    }
    std::string answer = Normalized(line);
    if (answer.empty()) return safe;
    if (Matches(answer, yes)) return kYes;
    if (Matches(answer, no)) return kNo;
    if (cancel && Matches(answer, stop)) return kCancel;
    *term_.err << Word(kCliAnswerAgain) << '\n';
  }
}

bool VYXCliInteraction::AskYesNo(const std::string& question, bool safe) {
  return Ask(question, false, safe ? kYes : kNo) == kYes;
}

CPInteraction::Answer VYXCliInteraction::AskYesNoCancel(const std::string& question, Answer safe) {
  return Ask(question, true, safe);
}

bool VYXCliInteraction::AskText(const std::string& prompt, std::string* answer, bool secret) {
  ClearProgress();
  if (!term_.inIsTerminal) {
    *term_.err << "vyx : " << VYXHelp(kVYXCliTexts, kCliNoTerminalText, {VYXText(prompt)}) << '\n';
    return false;
  }
  for (;;) {
    *term_.err << VYXText(prompt) << ' ';
    std::string line;
    if (!ReadLine(&line, secret)) {
      *term_.err << '\n';
      return false;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // An empty answer gives the question up, as closing the dialog would.
    if (line.empty()) return false;
    std::string text, offending;
    if (TryUtf8ToMacRoman(line, &text, &offending)) {
      *answer = text;
      return true;
    }
    // The terminal shows the character itself; its name says which it is.
    *term_.err << VYXHelp(kCPErrorsListID, 2, {offending + " (" + CPCharName(offending) + ")"})
               << '\n';
  }
}

void VYXCliInteraction::Alert(const std::string& message) {
  ClearProgress();
  if (message.empty()) return;
  *term_.err << "vyx : " << VYXText(message) << '\n';
}

void VYXCliInteraction::ProgressBegin(const std::string& title, long total) {
  ++progressDepth_;
  progressTitle_ = VYXText(title);
  progressTotal_ = total;
  progressDone_ = 0;
  progressShown_ = -1;
  DrawProgress();
}

void VYXCliInteraction::ProgressUpdate(long done) {
  progressDone_ = done;
  DrawProgress();
}

void VYXCliInteraction::ProgressEnd() {
  if (progressDepth_ > 0) --progressDepth_;
  if (progressDepth_ == 0) ClearProgress();
}

void VYXCliInteraction::DrawProgress() {
  if (!term_.errIsTerminal || progressDepth_ == 0) return;
  int percent = progressTotal_ > 0 ? static_cast<int>(100.0 * static_cast<double>(progressDone_) /
                                                      static_cast<double>(progressTotal_))
                                   : 0;
  if (percent > 100) percent = 100;
  if (progressDrawn_ && percent == progressShown_) return;
  progressShown_ = percent;
  *term_.err << "\r\x1b[K" << progressTitle_ << "…";
  if (progressTotal_ > 0) *term_.err << ' ' << percent << " %";
  term_.err->flush();
  progressDrawn_ = true;
}

void VYXCliInteraction::ClearProgress() {
  if (!progressDrawn_) return;
  *term_.err << "\r\x1b[K";
  term_.err->flush();
  progressDrawn_ = false;
  progressShown_ = -1;
}
