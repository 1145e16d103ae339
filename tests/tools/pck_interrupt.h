// pck run in the background and interrupted by a signal (POSIX): started, stopped once
// what it writes shows the moment has come, then signalled.
#pragma once

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "pck_fixture.h"

namespace pck_tool_tests {

// pck started in the background with TMPDIR set, its output to a file, in the current
// directory or in `cwd`.
inline pid_t Start(const std::vector<std::string>& args, const std::string& tmpdir,
                   const std::string& output, const std::string& cwd = "") {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::setenv("TMPDIR", tmpdir.c_str(), 1);
  if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(127);
  const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int in = ::open("/dev/null", O_RDONLY);
  ::dup2(in, 0);
  ::dup2(out, 1);
  ::dup2(out, 2);
  std::vector<char*> argv;
  const std::string exe = PckExe();
  argv.push_back(const_cast<char*>(exe.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(exe.c_str(), argv.data());
  ::_exit(127);
}

// Waits until `ready` holds (checked every millisecond), then stops the process; false
// when the process ended first.
template <class Ready>
inline bool StopWhen(pid_t pid, Ready ready) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (std::chrono::steady_clock::now() < deadline) {
    if (ready()) {
      ::kill(pid, SIGSTOP);
      return true;
    }
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

// Delivers `signal` to the stopped process and returns its exit status.
inline int Interrupt(pid_t pid, int signal) {
  ::kill(pid, signal);
  ::kill(pid, SIGCONT);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline int64_t SizeOrMinusOne(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

}  // namespace pck_tool_tests
#endif
