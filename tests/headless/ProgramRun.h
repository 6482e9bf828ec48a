// Runs the program as a user would: in a working directory of its own, with
// its standard output and error captured.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct TProgramResult {
  bool Exited = false;  // ended by itself, not by a signal
  int ExitStatus = -1;
  std::string Out;
  std::string Err;
};

class TProgramRun {
 public:
  TProgramRun(const std::string& program, const std::vector<std::string>& args, const std::string& workDir);
  ~TProgramRun();
  TProgramRun(const TProgramRun&) = delete;
  TProgramRun& operator=(const TProgramRun&) = delete;

  // Reads until the program has written something to standard output or has
  // ended; true in the first case.
  bool WaitForOutput();
  void Signal(int signal);
  // Reads everything up to the end and waits for the program.
  TProgramResult Finish();

 private:
  bool ReadSome();  // false when both streams are at their end

  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  TProgramResult result_;
};

// The program of this build (set by the build).
std::string TamarikProgram();
