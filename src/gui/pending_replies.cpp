#include "gui/pending_replies.h"

namespace gui {

std::optional<PendingReplies::Token> PendingReplies::open(int fallback) {
  std::lock_guard lock(mutex_);
  if (released_) return std::nullopt;
  const Token token = next_++;
  slots_[token].fallback = fallback;
  return token;
}

int PendingReplies::wait(Token token) {
  std::unique_lock lock(mutex_);
  auto it = slots_.find(token);
  if (it == slots_.end()) return 0;
  cv_.wait(lock, [&] { return released_ || it->second.value.has_value(); });
  const int result = it->second.value.value_or(it->second.fallback);
  slots_.erase(it);
  return result;
}

void PendingReplies::answer(Token token, int value) {
  std::lock_guard lock(mutex_);
  auto it = slots_.find(token);
  if (it == slots_.end() || it->second.value) return;
  it->second.value = value;
  cv_.notify_all();
}

void PendingReplies::releaseAll() {
  std::lock_guard lock(mutex_);
  released_ = true;
  cv_.notify_all();
}

bool PendingReplies::released() const {
  std::lock_guard lock(mutex_);
  return released_;
}

}  // namespace gui
