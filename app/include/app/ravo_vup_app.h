// The application: the command line, then common controls and the main
// dialog until it closes, or the run the command line asks for.
#pragma once

class CRavoVupApp {
 public:
  // Returns the process exit code: always 0 after the main dialog; after a
  // run from the command line, 0 when it completed, else the reason.
  int InitInstance();
};
