/* The package's version and the oldest version it can revise. Plain macros:
   the resource script includes this file too, for the start button's text. */
#pragma once

#define RAVO_PACKAGE_VERSION "Version 1.1.2.0"
#define RAVO_MINIMUM_VERSION "Version 1.1.0.0"

/* The program's own file version, shown in Explorer's properties. */
#define RAVO_FILE_VERSION 1, 1, 2, 0
#define RAVO_FILE_VERSION_TEXT "1.1.2.0"
