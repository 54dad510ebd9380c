#pragma once

#include "util/result_code.h"

// Saves the metabase (its status is not looked at), then writes the start
// command into the default web site's key. Does not wait for the site to run
// and saves nothing after the command. 1 when there is no connection, no web
// site or no site key; else the status of the command write.
ResultCode StartDefaultWebSite();
