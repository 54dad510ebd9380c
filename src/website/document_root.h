#pragma once

#include "platform.h"
#include "util/result_code.h"

// The physical path of the default web site's ROOT key (inherited values
// included). The output is assigned only on success, and stays empty when
// the record holds no data. 1 when there is no connection, no web site or no
// ROOT key; else the status of the read.
ResultCode GetDocumentRootPath(WideString& path);
