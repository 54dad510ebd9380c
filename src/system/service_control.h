#pragma once

#include "platform.h"

// Questions to the local service control manager. Every failure, of any
// kind, answers false; every handle is closed before they return.

// Whether "W3SVC" is in a state with the running bit (4) set: running,
// continue pending, pause pending or paused.
bool IsWebServerRunning();

// Asks for the start of the service; does not wait for it to run.
bool StartNamedService(const WideString& serviceName);

// Whether the service can be opened with full access.
bool IsServiceInstalled(const WideString& serviceName);
