#pragma once

#include <winsim/win32_base.h>

typedef struct HWND__* HWND;
typedef DWORD_PTR* PDWORD_PTR;

#define HWND_BROADCAST ((HWND)0xffff)
#define WM_WININICHANGE 0x001A
#define WM_SETTINGCHANGE WM_WININICHANGE

#define SMTO_ABORTIFHUNG 0x0002

#define ERROR_INVALID_WINDOW_HANDLE 1400L

WINSIM_API LRESULT WINAPI SendMessageTimeoutW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags,
                                              UINT uTimeout, PDWORD_PTR lpdwResult);
