#include <windows.h>

#include "app/ravo_vup_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    CRavoVupApp app;
    return app.InitInstance();
  } catch (...) {
    return 1;
  }
}
