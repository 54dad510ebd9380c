// The one definition of CLSID_MSAdminBase_W and IID_IMSAdminBase_W on Windows.
#define IISCONFIGURE_DEFINE_GUIDS
#include "platform.h"
