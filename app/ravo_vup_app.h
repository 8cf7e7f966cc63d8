// The application: common controls, then the main dialog until it closes.
#pragma once

class CRavoVupApp {
 public:
  // Returns the process exit code.
  int InitInstance();
};
