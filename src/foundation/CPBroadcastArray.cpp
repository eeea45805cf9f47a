#include "foundation/CPBroadcastArray.h"

void CPBroadcastArray::StartLoading() {
  if (loading_++ == 0) Announce(kCPArrayLoadStarted, nullptr);
}

void CPBroadcastArray::EndLoading() {
  if (loading_ > 0 && --loading_ == 0) Announce(kCPArrayLoadEnded, nullptr);
}

void CPBroadcastArray::Changed(uint32_t what, const CPArrayChange& change) {
  if (loading_ > 0) return;
  CPArrayChange copy = change;  // listeners get a pointer they may not keep
  Announce(what, &copy);
}

void CPBroadcastArray::Announce(uint32_t what, void* data) {
  if (IsBroadcasting()) BroadcastMessage(kCPArrayCategory, what, data);
}
