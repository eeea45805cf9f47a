// The one channel through which the system asks its user anything: yes/no
// questions, typed answers (passwords, names, paths), alerts and the progress of
// long work. The command line answers on the terminal; tests script the answers.
// Texts cross this interface in MacRoman, as everywhere inside vyx.
#ifndef VYX_PLATFORM_CPINTERACTION_H_
#define VYX_PLATFORM_CPINTERACTION_H_

#include <deque>
#include <string>
#include <vector>

class CPInteraction {
 public:
  enum Answer { kCancel = 0, kYes = 1, kNo = 2 };

  virtual ~CPInteraction() = default;

  // A yes/no question; `safe` is the answer that loses nothing, taken when nobody can answer.
  virtual bool AskYesNo(const std::string& question, bool safe) = 0;
  // A question that may also be cancelled.
  virtual Answer AskYesNoCancel(const std::string& question, Answer safe) = 0;
  // A typed answer; `secret` hides what is typed. False when the user cancels.
  virtual bool AskText(const std::string& prompt, std::string* answer, bool secret) = 0;
  // Information or an error the user must see.
  virtual void Alert(const std::string& message) = 0;

  // Progress of long work: `total` steps (0 when unknown).
  virtual void ProgressBegin(const std::string& title, long total) = 0;
  virtual void ProgressUpdate(long done) = 0;
  virtual void ProgressEnd() = 0;
};

// The interaction in force. Until one is installed, questions take their safe
// answer and nothing is shown.
CPInteraction& CPGetInteraction();
// Installs `interaction` (not owned; nullptr restores the silent default) and
// returns the previous one.
CPInteraction* CPSetInteraction(CPInteraction* interaction);

// Shows progress for the lifetime of the object.
class CPProgress {
 public:
  CPProgress(const std::string& title, long total);
  ~CPProgress();
  void Update(long done);

 private:
  long last_ = -1;
};

// Answers given in advance, in order, and a record of everything asked: what a
// test uses to play the user. A question with no answer left gets its safe answer
// and is recorded as unexpected.
class CPScriptedInteraction : public CPInteraction {
 public:
  CPScriptedInteraction();  // installs itself
  ~CPScriptedInteraction() override;  // restores the previous interaction

  void PushYes() { answers_.push_back("\001yes"); }
  void PushNo() { answers_.push_back("\001no"); }
  void PushCancel() { answers_.push_back("\001cancel"); }
  void PushText(const std::string& text) { answers_.push_back(text); }

  const std::vector<std::string>& Questions() const { return questions_; }
  const std::vector<std::string>& Alerts() const { return alerts_; }
  const std::vector<std::string>& Unexpected() const { return unexpected_; }
  size_t AnswersLeft() const { return answers_.size(); }
  long ProgressSteps() const { return progressSteps_; }
  int ProgressRuns() const { return progressRuns_; }

  bool AskYesNo(const std::string& question, bool safe) override;
  Answer AskYesNoCancel(const std::string& question, Answer safe) override;
  bool AskText(const std::string& prompt, std::string* answer, bool secret) override;
  void Alert(const std::string& message) override;
  void ProgressBegin(const std::string& title, long total) override;
  void ProgressUpdate(long done) override;
  void ProgressEnd() override;

 private:
  bool Next(const std::string& question, std::string* answer);

  CPInteraction* previous_;
  std::deque<std::string> answers_;
  std::vector<std::string> questions_;
  std::vector<std::string> alerts_;
  std::vector<std::string> unexpected_;
  long progressSteps_ = 0;
  int progressRuns_ = 0;
};

#endif  // VYX_PLATFORM_CPINTERACTION_H_
