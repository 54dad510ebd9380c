// The one place that decides where the Win32 names come from: the real
// headers on Windows, the simulated host's declarations everywhere else.
#pragma once

#if defined(_WIN32)
#include <objbase.h>
#include <windows.h>
// The Windows headers only declare the admin base object's GUIDs; the one
// source that defines this macro gets their definitions.
#if defined(IISCONFIGURE_DEFINE_GUIDS)
#include <initguid.h>
#endif
#include <httpfilt.h>
#include <iadmw.h>
#include <iiscnfg.h>
#else
#include <winsim/windows.h>
#endif

#include <string>

// UTF-16 on both sides: WCHAR is wchar_t on Windows and char16_t elsewhere.
using WideString = std::basic_string<WCHAR>;
