#pragma once
// Requests that hold a procedure thread until the user answers (message boxes, popup menus,
// the halt notice). The procedure thread waits here; the GUI thread answers. Once the
// program is quitting every waiting thread is released with its request's fallback answer
// and new requests are refused, so joining the procedure threads can never hang on a box
// that nobody will answer.

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

namespace gui {

class PendingReplies {
 public:
  using Token = std::uint64_t;

  // Registers a request answered by `fallback` if it is released; nullopt once quitting.
  std::optional<Token> open(int fallback);
  // Blocks until the request is answered or released; returns the answer.
  int wait(Token token);
  // Answers one request; ignored when it was already answered or released.
  void answer(Token token, int value);
  // Releases every waiting request with its fallback and refuses new ones.
  void releaseAll();
  bool released() const;

 private:
  struct Slot {
    int fallback = 0;
    std::optional<int> value;
  };

  mutable std::mutex mutex_;
  std::condition_variable cv_;
  std::map<Token, Slot> slots_;
  Token next_ = 1;
  bool released_ = false;
};

}  // namespace gui
