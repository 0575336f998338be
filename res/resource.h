// Resource ids of QuarnSetup.exe, shared by the resource script and the program.
// Plain #defines only: the resource compiler reads this file too.
#ifndef QUARN_RES_RESOURCE_H
#define QUARN_RES_RESOURCE_H

// The program's icon, the one Explorer shows for the file (16, 24, 32, 48 and 256 pixels).
#define IDR_MAINFRAME               128

// Dialog templates.
#define IDD_UPGRADE_DIALOG          223  // the main installer window
#define IDD_MSGBOX_DIALOG           275  // the close confirmation box

// Controls of the main window (the message box uses IDOK, IDCANCEL and IDC_BTN_CLOSE).
#define IDC_EDIT_HIDDEN             1028 // read-only edit, hidden by every layout pass
#define IDC_BTN_CLOSE               1029
#define IDC_BTN_UPDATE              1031
#define IDC_BTN_MINIMIZE            1033
#define IDC_BTN_EULA                1034 // user agreement
#define IDC_BTN_PATH                1035 // choose the install folder

// Pictures, all of resource type "PNG".
#define IDB_PNG_BACKGROUND          228  // main window, 600 x 380
#define IDB_PNG_MINIMIZE_HOVER      257  // 24 x 24
#define IDB_PNG_MINIMIZE            258
#define IDB_PNG_UPDATE_FOCUSED      260  // 195 x 60
#define IDB_PNG_UPDATE_HOVER        261
#define IDB_PNG_UPDATE              262
#define IDB_PNG_UPDATE_PRESSED      263
#define IDB_PNG_MSGBOX_BUTTON_HOVER 265  // 82 x 28, the caption is drawn by the program
#define IDB_PNG_MSGBOX_BUTTON       266
#define IDB_PNG_CLOSE_HOVER         269  // 24 x 24
#define IDB_PNG_CLOSE               270
#define IDB_PNG_EULA_HOVER          273  // 160 x 22
#define IDB_PNG_EULA                274
#define IDB_PNG_MSGBOX              276  // message box, 400 x 150
#define IDB_PNG_PATH_HOVER          277  // 80 x 22
#define IDB_PNG_PATH                278

#endif  // QUARN_RES_RESOURCE_H
