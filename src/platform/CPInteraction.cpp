#include "platform/CPInteraction.h"

namespace {

class SilentInteraction : public CPInteraction {
 public:
  bool AskYesNo(const std::string&, bool safe) override { return safe; }
  Answer AskYesNoCancel(const std::string&, Answer safe) override { return safe; }
  bool AskText(const std::string&, std::string*, bool) override { return false; }
  void Alert(const std::string&) override {}
  void ProgressBegin(const std::string&, long) override {}
  void ProgressUpdate(long) override {}
  void ProgressEnd() override {}
};

SilentInteraction gSilent;
CPInteraction* gCurrent = &gSilent;

}  // namespace

CPInteraction& CPGetInteraction() { return *gCurrent; }

CPInteraction* CPSetInteraction(CPInteraction* interaction) {
  CPInteraction* previous = gCurrent;
  gCurrent = interaction ? interaction : &gSilent;
  return previous == &gSilent ? nullptr : previous;
}

CPProgress::CPProgress(const std::string& title, long total) {
  CPGetInteraction().ProgressBegin(title, total);
}

CPProgress::~CPProgress() { CPGetInteraction().ProgressEnd(); }

void CPProgress::Update(long done) {
  if (done == last_) return;
  last_ = done;
  CPGetInteraction().ProgressUpdate(done);
}

CPScriptedInteraction::CPScriptedInteraction() : previous_(CPSetInteraction(this)) {}

CPScriptedInteraction::~CPScriptedInteraction() { CPSetInteraction(previous_); }

bool CPScriptedInteraction::Next(const std::string& question, std::string* answer) {
  questions_.push_back(question);
  if (answers_.empty()) {
    unexpected_.push_back(question);
    return false;
  }
  *answer = answers_.front();
  answers_.pop_front();
  return true;
}

bool CPScriptedInteraction::AskYesNo(const std::string& question, bool safe) {
  std::string a;
  if (!Next(question, &a)) return safe;
  return a == "\001yes";
}

CPInteraction::Answer CPScriptedInteraction::AskYesNoCancel(const std::string& question,
                                                            Answer safe) {
  std::string a;
  if (!Next(question, &a)) return safe;
  if (a == "\001yes") return kYes;
  if (a == "\001no") return kNo;
  return kCancel;
}

bool CPScriptedInteraction::AskText(const std::string& prompt, std::string* answer, bool) {
  std::string a;
  if (!Next(prompt, &a) || a == "\001cancel") return false;
  *answer = a;
  return true;
}

void CPScriptedInteraction::Alert(const std::string& message) { alerts_.push_back(message); }

void CPScriptedInteraction::ProgressBegin(const std::string&, long) { ++progressRuns_; }
void CPScriptedInteraction::ProgressUpdate(long) { ++progressSteps_; }
void CPScriptedInteraction::ProgressEnd() {}
