#pragma once
// Resource identifiers shared by the resource script and the code.
#define IDD_OPTIONS 101
#define IDR_REGISTRY 100

// Controls of the options dialog.
#define IDC_PEL_ALL_USERS 202
#define IDC_WRITE_LOG 203
#define IDC_VERBOSE 204
#define IDC_PEL_DESKTOP 205
#define IDC_PEL_PROGRAM_MENU 206
#define IDC_PEL_CONTENT_STORE 207
#define IDC_PEL_SHUTDOWN 208
#define IDC_ORV_ALL_USERS 209
#define IDC_ORV_DESKTOP 210
#define IDC_ORV_PROGRAM_MENU 211
#define IDC_ORV_CONTENT_STORE 212
#define IDC_ORV_SHUTDOWN 213
#define IDC_PEL_SELECT_ALL 214
#define IDC_ORV_SELECT_ALL 215
#define IDC_ORV_PREFS 216
#define IDC_PEL_PREFS 217
