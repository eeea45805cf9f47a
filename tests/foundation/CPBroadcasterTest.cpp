#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/CPBroadcaster.h"
#include "foundation/CPException.h"

namespace {

using Log = std::vector<std::string>;

// Writes "name:code" to a shared log, then does whatever the test asks of it.
class Recorder : public CPListener {
 public:
  Recorder(std::string name, Log* log) : name_(std::move(name)), log_(log) {}
  std::function<void(CPBroadcaster*, uint32_t)> onMessage;

  void ListenTo(CPBroadcaster* b, OSType category, uint32_t code, void*) override {
    EXPECT_EQ(OSType('TEST'), category);
    log_->push_back(name_ + ":" + std::to_string(code));
    if (onMessage) onMessage(b, code);
  }

 private:
  std::string name_;
  Log* log_;
};

// Shows the slots, empty ones included.
class Broadcaster : public CPBroadcaster {
 public:
  size_t Slots() const { return GetListenerSlots().size(); }
  void Send(uint32_t code) { BroadcastMessage('TEST', code, nullptr); }
};

TEST(CPBroadcaster, ListenerRemovingItselfDoesNotMakeTheNextOneSkipped) {
  Log log;
  Broadcaster b;
  Recorder a("a", &log), self("self", &log), c("c", &log);
  self.onMessage = [&](CPBroadcaster* from, uint32_t) {
    from->RemoveListener(&self);
    EXPECT_EQ(3u, b.Slots());  // the loop in progress keeps its positions
    EXPECT_FALSE(b.IsListening(&self));
    EXPECT_FALSE(self.IsListeningTo(&b));
  };
  for (Recorder* r : {&a, &self, &c}) b.AddListener(r);

  b.Send(1);
  EXPECT_EQ((Log{"a:1", "self:1", "c:1"}), log);
  EXPECT_EQ(2u, b.Slots());  // the emptied slot went with the end of the broadcast
  EXPECT_FALSE(b.IsInBroadcast());

  log.clear();
  b.Send(2);
  EXPECT_EQ((Log{"a:2", "c:2"}), log);
}

TEST(CPBroadcaster, DuplicateRegistrationsFollowTheOnceFlag) {
  Log log;
  Broadcaster b;
  auto r = std::make_unique<Recorder>("r", &log);
  b.AddListener(r.get(), true);
  b.AddListener(r.get(), true);
  EXPECT_EQ(1, b.CountListeners());
  b.AddListener(r.get(), false);
  EXPECT_EQ(2, b.CountListeners());
  b.Send(1);
  EXPECT_EQ((Log{"r:1", "r:1"}), log);

  // Leaving removes every registration, and so does being destroyed.
  b.RemoveListener(r.get());
  EXPECT_EQ(0, b.CountListeners());
  EXPECT_FALSE(r->IsListeningTo(&b));
  r->AddBroadcaster(&b, false);
  r->AddBroadcaster(&b, false);
  r.reset();
  EXPECT_EQ(0u, b.Slots());
}

TEST(CPBroadcaster, ThrowingListenerDoesNotStopTheOthers) {
  const std::vector<std::function<void()>> throwers = {
      [] { CPThrow(-34); },
      [] { throw std::runtime_error("boom"); },
      [] { throw 42; },
  };
  for (size_t i = 0; i < throwers.size(); ++i) {
    SCOPED_TRACE(i);
    Log log;
    Broadcaster b;
    Recorder a("a", &log), thrower("t", &log), c("c", &log);
    thrower.onMessage = [&](CPBroadcaster* from, uint32_t) {
      from->RemoveListener(&thrower);  // the clean-up must still happen after a throw
      throwers[i]();
    };
    for (Recorder* r : {&a, &thrower, &c}) b.AddListener(r);
    b.Send(7);
    EXPECT_EQ((Log{"a:7", "t:7", "c:7"}), log);
    EXPECT_FALSE(b.IsInBroadcast());
    EXPECT_EQ(2u, b.Slots());
  }
}

TEST(CPBroadcaster, NestedBroadcastsDeferCleanUpToTheOutermost) {
  Log log;
  Broadcaster b;
  Recorder outer("o", &log), victim("v", &log), late("late", &log);
  outer.onMessage = [&](CPBroadcaster*, uint32_t code) {
    if (code != 1) return;
    b.Send(2);  // the victim leaves during this inner broadcast
    EXPECT_TRUE(b.IsInBroadcast());
    EXPECT_EQ(2u, b.Slots());  // still not cleaned: the outer loop is running
    b.AddListener(&late);      // added during the broadcast: hears the rest of it
  };
  victim.onMessage = [&](CPBroadcaster* from, uint32_t code) {
    if (code == 2) from->RemoveListener(&victim);
  };
  b.AddListener(&outer);
  b.AddListener(&victim);

  b.Send(1);
  EXPECT_EQ((Log{"o:1", "o:2", "v:2", "late:1"}), log);
  EXPECT_FALSE(b.IsInBroadcast());
  EXPECT_EQ(2u, b.Slots());
}

TEST(CPBroadcaster, ListenerDestroyedDuringABroadcastIsNeverCalled) {
  Log log;
  Broadcaster b, other;
  Recorder killer("k", &log);
  auto victim = std::make_unique<Recorder>("v", &log);
  auto* self = new Recorder("self", &log);
  killer.onMessage = [&](CPBroadcaster*, uint32_t) { victim.reset(); };
  self->onMessage = [&](CPBroadcaster*, uint32_t) { delete self; };
  Recorder after("after", &log);

  b.AddListener(self);
  b.AddListener(&killer);
  b.AddListener(victim.get());
  other.AddListener(victim.get());
  b.AddListener(&after);

  b.Send(1);
  EXPECT_EQ((Log{"self:1", "k:1", "after:1"}), log);
  EXPECT_EQ(2u, b.Slots());
  EXPECT_EQ(0, other.CountListeners());  // its other link went too
}

TEST(CPBroadcaster, BroadcasterDestroyedByAListenerStopsTheLoop) {
  for (bool nested : {false, true}) {
    SCOPED_TRACE(nested);
    Log log;
    auto* b = new Broadcaster;
    Recorder first("first", &log), second("second", &log), third("third", &log);
    first.onMessage = [&](CPBroadcaster*, uint32_t code) {
      if (nested && code == 1) b->Send(2);
    };
    second.onMessage = [&](CPBroadcaster*, uint32_t) { delete b; };
    for (Recorder* r : {&first, &second, &third}) b->AddListener(r);

    b->Send(1);
    Log expected = nested ? Log{"first:1", "first:2", "second:2"} : Log{"first:1", "second:1"};
    EXPECT_EQ(expected, log);
    for (Recorder* r : {&first, &second, &third}) EXPECT_FALSE(r->IsListeningTo(b));
  }
}

TEST(CPBroadcaster, RemoveListenersDuringABroadcastSilencesTheRest) {
  Log log;
  Broadcaster b;
  Recorder a("a", &log), c("c", &log);
  a.onMessage = [&](CPBroadcaster* from, uint32_t) { from->RemoveListeners(); };
  b.AddListener(&a);
  b.AddListener(&c);
  b.Send(1);
  EXPECT_EQ((Log{"a:1"}), log);
  EXPECT_EQ(0u, b.Slots());
  EXPECT_FALSE(a.IsListeningTo(&b));
  EXPECT_FALSE(c.IsListeningTo(&b));
}

TEST(CPBroadcaster, DestroyingTheBroadcasterUnlinksItsListeners) {
  Log log;
  Recorder r("r", &log);
  {
    Broadcaster b;
    r.AddBroadcaster(&b);
    EXPECT_TRUE(r.IsListeningTo(&b));
  }
  // r's destructor at the end of the test must not reach the dead broadcaster
  // (the sanitizer build would say so).
  Broadcaster other;
  r.AddBroadcaster(&other);
  r.RemoveBroadcaster(&other);
  EXPECT_EQ(0, other.CountListeners());
}

}  // namespace
