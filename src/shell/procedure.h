#pragma once
// What every procedure that can be called with a request does at its entry and at its common
// exit, and the single-instance rule of the work windows.

#include <atomic>
#include <cstdint>

namespace phonedir {

// Entry: takes the caller's request into ORIGINALREQUEST and LOCALREQUEST, starts with the
// answer "cancelled", clears both request words (so a procedure called later without a
// request sees none) and a pending right-button key code. Exit (destruction, after the
// procedure has closed its files and window): hands LOCALRESPONSE back in GLOBALRESPONSE,
// "cancelled" when it is 0. Declare it first in a procedure so that it is destroyed last.
class RequestScope {
 public:
  RequestScope();
  ~RequestScope();
  RequestScope(const RequestScope&) = delete;
  RequestScope& operator=(const RequestScope&) = delete;

  int32_t ORIGINALREQUEST = 0;
  int32_t LOCALREQUEST = 0;
  int32_t LOCALRESPONSE = 0;
};

// A work window keeps itself to one instance through its RUNNING flag. The first instance
// claims the flag with its thread number (checking and claiming in one step); a second one
// hands the focus to the running instance and must return at once. A window called to select
// a record neither checks nor claims the flag. The claim is released on destruction.
class SingleInstance {
 public:
  SingleInstance(std::atomic<uint8_t>& flag, int32_t request);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // False when another instance runs: the caller returns through its common exit.
  bool mayRun() const { return mayRun_; }
  bool PROCEDURERUNNING() const { return claimed_; }

 private:
  std::atomic<uint8_t>& flag_;
  bool claimed_ = false;
  bool mayRun_ = true;
};

}  // namespace phonedir
