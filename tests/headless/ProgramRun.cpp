#include "ProgramRun.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>

std::string TamarikProgram() { return TAMARIK_PROGRAM; }

TProgramRun::TProgramRun(const std::string& program, const std::vector<std::string>& args,
                         const std::string& workDir) {
  int outPipe[2];
  int errPipe[2];
  if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) return;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(outPipe[1], STDOUT_FILENO);
    ::dup2(errPipe[1], STDERR_FILENO);
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (::chdir(workDir.c_str()) != 0) ::_exit(126);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  out_ = outPipe[0];
  err_ = errPipe[0];
}

TProgramRun::~TProgramRun() {
  if (pid_ > 0 && out_ >= 0) {
    ::kill(pid_, SIGKILL);
    Finish();
  }
}

bool TProgramRun::ReadSome() {
  std::array<pollfd, 2> fds{pollfd{out_, POLLIN, 0}, pollfd{err_, POLLIN, 0}};
  if (out_ < 0 && err_ < 0) return false;
  if (::poll(fds.data(), fds.size(), -1) < 0) return true;
  std::array<char, 4096> buffer{};
  const auto drain = [&](int& fd, const pollfd& p, std::string& into) {
    if (fd < 0 || p.revents == 0) return;
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n > 0) {
      into.append(buffer.data(), static_cast<std::size_t>(n));
    } else {
      ::close(fd);
      fd = -1;
    }
  };
  drain(out_, fds[0], result_.Out);
  drain(err_, fds[1], result_.Err);
  return out_ >= 0 || err_ >= 0;
}

bool TProgramRun::WaitForOutput() {
  while (result_.Out.empty())
    if (!ReadSome()) break;
  return !result_.Out.empty();
}

void TProgramRun::Signal(int signal) {
  if (pid_ > 0) ::kill(pid_, signal);
}

TProgramResult TProgramRun::Finish() {
  while (ReadSome()) {
  }
  out_ = err_ = -1;
  int status = 0;
  if (pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_) {
    result_.Exited = WIFEXITED(status);
    result_.ExitStatus = result_.Exited ? WEXITSTATUS(status) : -WTERMSIG(status);
  }
  pid_ = -1;
  return result_;
}
