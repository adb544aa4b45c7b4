// A status sink that keeps every status code posted, for tests.
#pragma once

#include <vector>

#include "platform/status.h"

namespace norv::testing {

class RecordingSink : public platform::StatusSink {
  public:
    void PostStatus(platform::StatusCode code) override { codes.push_back(static_cast<int>(code)); }
    std::vector<int> codes;
};

}  // namespace norv::testing
