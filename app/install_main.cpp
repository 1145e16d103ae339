// Install.exe: the program entry. The arguments are read the way the system splits a
// command line, and passed on in the system's 8-bit code page.
#include <windows.h>
// CommandLineToArgvW needs the base Windows header first.
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/core/program.h"
#include "app/ui/window_runner.h"

namespace {

std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!argv) return args;
  for (int i = 1; i < count; ++i) {
    const int size = ::WideCharToMultiByte(CP_ACP, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, argv[i], -1, arg.data(), size, nullptr, nullptr);
    arg.resize(arg.size() - 1);  // the terminating zero
    args.push_back(arg);
  }
  ::LocalFree(argv);
  return args;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int cmdShow) {
  app::TWin32WindowRunner window(instance, cmdShow);
  return app::RunProgram(Arguments(), window);
}
