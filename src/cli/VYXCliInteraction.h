// The user of the command line: questions asked on the terminal (prompts on
// stderr, answers read from stdin; passwords without echo), or answered
// beforehand by --oui / --non for scripts. With nobody to ask (stdin is no
// terminal) and no such option, a yes/no question takes its safe answer and a
// typed answer is given up, and stderr says so. Alerts go to stderr; the
// progress of long work is drawn on stderr when it is a terminal, and not at
// all when it is piped.
#ifndef VYX_CLI_VYXCLIINTERACTION_H_
#define VYX_CLI_VYXCLIINTERACTION_H_

#include <iosfwd>
#include <string>

#include "platform/CPInteraction.h"

class VYXCliInteraction : public CPInteraction {
 public:
  // Who answers yes/no questions.
  enum class Answers { kAsk, kYes, kNo };
  // Where questions are asked and things shown.
  struct Terminal {
    std::istream* in = nullptr;
    std::ostream* err = nullptr;
    bool inIsTerminal = false;   // someone can answer
    bool errIsTerminal = false;  // progress can be drawn
    int echoFd = -1;             // the terminal whose echo a secret answer turns off
  };
  // The process's own: stdin and stderr, whether they are terminals.
  static Terminal ProcessTerminal();

  // Installs itself; the destructor restores the previous interaction.
  VYXCliInteraction(Answers answers, Terminal terminal);
  ~VYXCliInteraction() override;
  VYXCliInteraction(const VYXCliInteraction&) = delete;
  VYXCliInteraction& operator=(const VYXCliInteraction&) = delete;

  bool AskYesNo(const std::string& question, bool safe) override;
  Answer AskYesNoCancel(const std::string& question, Answer safe) override;
  bool AskText(const std::string& prompt, std::string* answer, bool secret) override;
  void Alert(const std::string& message) override;
  void ProgressBegin(const std::string& title, long total) override;
  void ProgressUpdate(long done) override;
  void ProgressEnd() override;

 private:
  // Asks until the answer is one of those offered; the safe one for an empty
  // line or the end of input.
  Answer Ask(const std::string& question, bool cancel, Answer safe);
  // A line from the terminal; false at the end of input.
  bool ReadLine(std::string* line, bool secret);
  // Says on stderr which answer was taken for the user.
  void SayTaken(const std::string& question, Answer taken);
  void ClearProgress();
  void DrawProgress();

  CPInteraction* previous_;
  Answers answers_;
  Terminal term_;
  std::string progressTitle_;  // UTF-8
  long progressTotal_ = 0;
  long progressDone_ = 0;
  int progressShown_ = -1;  // the percentage drawn
  int progressDepth_ = 0;
  bool progressDrawn_ = false;
};

#endif  // VYX_CLI_VYXCLIINTERACTION_H_
