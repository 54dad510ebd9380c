#pragma once

#include <functional>
#include <string>

#include "support/host_fixture.h"
#include "util/result_code.h"

// Fails each call of one name in turn and checks that an operation then
// stops: a failure result, no call after the faulted one but the closing of
// keys and the release of the connection (so no later step and no SaveData),
// the saved metabase as it was, and nothing left open. A fault that the
// operation gets past (the first open of an open-or-create) must end in a
// save. A failed write's status is the result.
class FaultSweepTest : public HostTest {
 protected:
  // Returns how many occurrences were swept, so a test can check it covered them.
  static int SweepFaults(const Json& image, const std::string& call, int32_t status,
                         const std::function<ResultCode()>& operation);
};
