// Where IMSAdminBaseW comes from for the metabase's COM face: here the
// simulated host's declarations; the Windows test server has its own copy of
// this header that names the real ones.
#pragma once

#include <winsim/win32_metabase.h>
