// Install.exe: the program entry.
#include <windows.h>

#include "app/ui/uinstalador.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int cmdShow) {
  return app::RunInstaller(instance, cmdShow);
}
