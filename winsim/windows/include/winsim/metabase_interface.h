// Where IMSAdminBaseW comes from for the metabase's COM face: mingw-w64's
// real declarations, for the Windows test server.
#pragma once

#include <iadmw.h>
#include <windows.h>
