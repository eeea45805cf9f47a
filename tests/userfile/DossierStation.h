// Drives a dossier station (station/dossier_station.cpp), a separate process,
// through pipes: one command line in, one answer line out. The process is
// killed if the test ends before it quits.
#ifndef VYX_TESTS_USERFILE_DOSSIERSTATION_H_
#define VYX_TESTS_USERFILE_DOSSIERSTATION_H_

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>

extern char** environ;

class DossierStation {
 public:
  DossierStation() {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* argv[] = {const_cast<char*>(DOSSIER_STATION_PATH), nullptr};
    if (posix_spawn(&pid_, DOSSIER_STATION_PATH, &actions, nullptr, argv, environ) != 0) {
      throw std::runtime_error("spawn");
    }
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    to_ = fdopen(in[1], "w");
    from_ = fdopen(out[0], "r");
  }
  ~DossierStation() {
    if (to_) fclose(to_);
    if (from_) fclose(from_);
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  DossierStation(const DossierStation&) = delete;
  DossierStation& operator=(const DossierStation&) = delete;

  void Send(const std::string& command) {
    fputs((command + "\n").c_str(), to_);
    fflush(to_);
  }
  std::string ReadLine() {
    std::string line;
    for (int c; (c = fgetc(from_)) != EOF && c != '\n';) line += static_cast<char>(c);
    return line;
  }
  std::string Ask(const std::string& command) {
    Send(command);
    return ReadLine();
  }
  // Asks the station to end and waits for it: its exit status.
  int Quit() {
    Send("quit");
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }

 private:
  pid_t pid_ = -1;
  FILE* to_ = nullptr;
  FILE* from_ = nullptr;
};

#endif  // VYX_TESTS_USERFILE_DOSSIERSTATION_H_
