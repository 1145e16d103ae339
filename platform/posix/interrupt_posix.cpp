// POSIX side of the interrupt clean-up: SIGINT and SIGTERM remove the registered paths
// in the handler and end the process with 128 + the signal number.
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/interrupt.h"
#include "platform/posix/path_posix.h"

namespace platform {
namespace detail {

std::string NativeInterruptPath(const std::string& path) { return posix::ToNative(path); }

void RemoveNow(const char* path, bool directory) noexcept {
  struct stat st {};
  if (::lstat(path, &st) != 0) return;
  if (directory) {
    if (S_ISDIR(st.st_mode)) ::rmdir(path);
  } else if (S_ISREG(st.st_mode)) {
    ::unlink(path);  // never a device, nor a link an output was named by
  }
}

}  // namespace detail

namespace {

extern "C" void OnTerminatingSignal(int signal) {
  detail::NoteInterrupt(128 + signal);
  detail::RemoveRegistered();
  ::_exit(128 + signal);
}

}  // namespace

static_assert(sizeof(sigset_t) <= 256, "InterruptsHeld keeps a signal mask");

InterruptsHeld::InterruptsHeld() {
  sigset_t held;
  sigemptyset(&held);
  sigaddset(&held, SIGINT);
  sigaddset(&held, SIGTERM);
  ::pthread_sigmask(SIG_BLOCK, &held, reinterpret_cast<sigset_t*>(saved_));
}

InterruptsHeld::~InterruptsHeld() {
  ::pthread_sigmask(SIG_SETMASK, reinterpret_cast<sigset_t*>(saved_), nullptr);
}

void InstallInterruptCleanup() {
  struct sigaction action {};
  action.sa_handler = OnTerminatingSignal;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

}  // namespace platform
