#pragma once

#include <cstdint>

#define WINSIM_API __attribute__((visibility("default")))
#define WINAPI
#define STDMETHODCALLTYPE
#define CONST const

typedef uint8_t BYTE;
typedef uint32_t DWORD;
typedef uint32_t ULONG;
typedef uint32_t UINT;
typedef int32_t LONG;
typedef int32_t HRESULT;
typedef int BOOL;
typedef char16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef BYTE* LPBYTE;
typedef void* LPVOID;
typedef DWORD* LPDWORD;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef DWORD ACCESS_MASK;
typedef ACCESS_MASK REGSAM;

#define TRUE 1
#define FALSE 0

#define TEXT(quote) u##quote

// Win32 and COM statuses from mingw-w64's public-domain winerror.h, as 32-bit
// values, as on Windows.
#define __MSABI_LONG(x) ((LONG)(x))
#include <winerror.h>

#define GENERIC_READ 0x80000000UL
#define GENERIC_WRITE 0x40000000UL
#define GENERIC_ALL 0x10000000UL
#define READ_CONTROL 0x00020000UL

WINSIM_API DWORD GetLastError();
WINSIM_API void SetLastError(DWORD error);
