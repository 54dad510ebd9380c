// The simulated host's stand-in for <windows.h> and the IIS admin headers:
// the same names, types, constants and calling shapes as the real ones.
#pragma once

#include <winsim/win32_base.h>
#include <winsim/win32_com.h>
#include <winsim/win32_http_filter.h>
#include <winsim/win32_messaging.h>
#include <winsim/win32_metabase.h>
#include <winsim/win32_registry.h>
#include <winsim/win32_services.h>
