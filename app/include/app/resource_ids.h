/* Numbers shared by the resource script and the program. Plain macros: the
   resource compiler reads this file too. */
#pragma once

#define IDR_MAINFRAME 128   /* application icon: 32 and 16 px */
#define IDB_BACKGROUND 129  /* main dialog's picture, 600 x 400 */
#define IDD_MAIN 102
#define IDD_PROGRESS 130

#define IDC_PROGRESS 1000
#define IDC_STATUS 1001
#define IDC_MEMORY_CARD 1002
