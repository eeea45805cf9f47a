#include "foundation/CPBroadcaster.h"

#include <algorithm>

CPBroadcaster::~CPBroadcaster() {
  if (destroyed_) *destroyed_ = true;
  for (CPListener* listener : listeners_)
    if (listener) listener->ForgetBroadcaster(this);
}

void CPBroadcaster::AddListener(CPListener* listener, bool once) {
  if (!listener || (once && IsListening(listener))) return;
  listeners_.push_back(listener);
  listener->broadcasters_.push_back(this);
}

void CPBroadcaster::RemoveListener(CPListener* listener) {
  if (!listener) return;
  bool found = false;
  for (CPListener*& slot : listeners_) {
    if (slot == listener) {
      slot = nullptr;
      found = true;
    }
  }
  if (!found) return;
  listener->ForgetBroadcaster(this);
  if (inBroadcast_)
    cleanUp_ = true;
  else
    RemoveEmptySlots();
}

void CPBroadcaster::RemoveListeners() {
  // Work on a copy: unlinking a listener may run code that touches this list.
  std::vector<CPListener*> copy = listeners_;
  for (CPListener* listener : copy) RemoveListener(listener);
  if (!inBroadcast_) RemoveEmptySlots();
}

bool CPBroadcaster::IsListening(const CPListener* listener) const {
  return listener && std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end();
}

int32_t CPBroadcaster::CountListeners() const {
  return static_cast<int32_t>(listeners_.size() -
                              std::count(listeners_.begin(), listeners_.end(), nullptr));
}

void CPBroadcaster::BroadcastMessage(OSType category, uint32_t code, void* data) {
  const bool wasInBroadcast = inBroadcast_;
  inBroadcast_ = true;
  bool destroyed = false;
  bool* const outerDestroyed = destroyed_;
  destroyed_ = &destroyed;

  // The size is read again at each turn so that listeners added by a listener
  // hear this message too; slots are never erased while a broadcast runs.
  for (size_t i = 0; i < listeners_.size(); ++i) {
    CPListener* listener = listeners_[i];
    if (!listener) continue;
    try {
      listener->ListenTo(this, category, code, data);
    } catch (...) {
      // One listener's failure is its own business: the others still need to
      // hear of the change, and the sender has already made it.
    }
    if (destroyed) {
      if (outerDestroyed) *outerDestroyed = true;
      return;  // `this` is gone: touch nothing more
    }
  }

  destroyed_ = outerDestroyed;
  inBroadcast_ = wasInBroadcast;
  if (!inBroadcast_ && cleanUp_) RemoveEmptySlots();
}

void CPBroadcaster::RemoveEmptySlots() {
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), nullptr), listeners_.end());
  cleanUp_ = false;
}

CPListener::~CPListener() {
  // RemoveListener takes every entry of that broadcaster off our list, so this ends.
  while (!broadcasters_.empty()) broadcasters_.back()->RemoveListener(this);
}

bool CPListener::IsListeningTo(const CPBroadcaster* broadcaster) const {
  return std::find(broadcasters_.begin(), broadcasters_.end(), broadcaster) != broadcasters_.end();
}

void CPListener::ForgetBroadcaster(const CPBroadcaster* broadcaster) {
  broadcasters_.erase(std::remove(broadcasters_.begin(), broadcasters_.end(), broadcaster),
                      broadcasters_.end());
}
