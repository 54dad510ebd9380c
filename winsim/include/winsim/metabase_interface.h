// IMSAdminBaseW for the metabase's COM face; the Windows server's copy names the real one.
#pragma once

#include <winsim/windows.h>
