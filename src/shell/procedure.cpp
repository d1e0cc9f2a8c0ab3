#include "shell/procedure.h"

#include "runtime/event.h"
#include "runtime/runtime.h"
#include "shell/globals.h"

namespace phonedir {

RequestScope::RequestScope()
    : ORIGINALREQUEST(GLOBALREQUEST), LOCALREQUEST(GLOBALREQUEST), LOCALRESPONSE(REQUESTCANCELLED) {
  GLOBALREQUEST = 0;
  GLOBALRESPONSE = 0;
  if (runtime::keyCode() == runtime::key::MouseRight) runtime::setKeyCode(0);
}

RequestScope::~RequestScope() {
  GLOBALRESPONSE = LOCALRESPONSE != 0 ? LOCALRESPONSE : REQUESTCANCELLED;
}

SingleInstance::SingleInstance(std::atomic<uint8_t>& flag, int32_t request) : flag_(flag) {
  if (request == SELECTRECORD) return;
  uint8_t expected = 0;
  const auto self = static_cast<uint8_t>(runtime::thread());
  if (flag_.compare_exchange_strong(expected, self)) {
    claimed_ = true;
    return;
  }
  mayRun_ = false;
  runtime::postToThread(expected, runtime::ev::GainFocus);
}

SingleInstance::~SingleInstance() {
  if (claimed_) flag_.store(0);
}

}  // namespace phonedir
