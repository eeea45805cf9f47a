// Change notifications. A broadcaster sends messages (a four-character category
// naming its family, a code numbered from 1 within the category, a pointer to data
// whose shape the two fix) to the listeners registered with it, at once and in the
// sender's thread. Each side keeps a list of the other, so that whichever is
// destroyed first unlinks itself: neither owns the other. A listener that throws
// never stops a broadcast; its exception is dropped.
#ifndef VYX_FOUNDATION_CPBROADCASTER_H_
#define VYX_FOUNDATION_CPBROADCASTER_H_

#include <cstdint>
#include <vector>

#include "platform/CPMacTypes.h"

class CPListener;

class CPBroadcaster {
 public:
  CPBroadcaster() = default;
  // Unlinks every listener. Safe while this broadcaster is broadcasting (a
  // listener may destroy it from ListenTo): the loop in progress stops.
  virtual ~CPBroadcaster();
  CPBroadcaster(const CPBroadcaster&) = delete;
  CPBroadcaster& operator=(const CPBroadcaster&) = delete;

  // Registers `listener`. With `once`, a listener already registered is not
  // added again; without it a second registration makes it receive each message
  // twice.
  void AddListener(CPListener* listener, bool once = true);
  // Unlinks every registration of `listener`. During a broadcast the slots are
  // only emptied, so that the loop in progress neither skips nor repeats anyone;
  // they are removed when the outermost broadcast ends.
  void RemoveListener(CPListener* listener);
  void RemoveListeners();
  bool IsListening(const CPListener* listener) const;
  // Registered listeners, each registration counted.
  int32_t CountListeners() const;

  // Calls every listener in the order of registration, including those added
  // while the message goes round. Listeners may broadcast in turn.
  void BroadcastMessage(OSType category, uint32_t code, void* data);

  // Whether this broadcaster's messages are wanted: senders consult it before
  // broadcasting; BroadcastMessage itself does not.
  void StartBroadcasting() { broadcasting_ = true; }
  void StopBroadcasting() { broadcasting_ = false; }
  bool IsBroadcasting() const { return broadcasting_; }
  // True between the start and the end of BroadcastMessage, nested calls included.
  bool IsInBroadcast() const { return inBroadcast_; }

 protected:
  // The slots in order of registration; a slot emptied during the broadcast in
  // progress holds nullptr until that broadcast ends.
  const std::vector<CPListener*>& GetListenerSlots() const { return listeners_; }

 private:
  friend class CPListener;
  void RemoveEmptySlots();

  std::vector<CPListener*> listeners_;
  bool broadcasting_ = true;
  bool inBroadcast_ = false;
  bool cleanUp_ = false;
  // Set by the destructor, so that a BroadcastMessage under way on the stack
  // learns that its broadcaster is gone; each nested call chains to the outer one.
  bool* destroyed_ = nullptr;
};

class CPListener {
 public:
  CPListener() = default;
  // Unlinks this listener from every broadcaster, which then never calls it again,
  // even from a broadcast under way.
  virtual ~CPListener();
  CPListener(const CPListener&) = delete;
  CPListener& operator=(const CPListener&) = delete;

  virtual void ListenTo(CPBroadcaster* broadcaster, OSType category, uint32_t code, void* data) = 0;

  // The same links seen from this side: registering with `broadcaster`, or
  // leaving it (every registration).
  void AddBroadcaster(CPBroadcaster* broadcaster, bool once = true) {
    broadcaster->AddListener(this, once);
  }
  void RemoveBroadcaster(CPBroadcaster* broadcaster) { broadcaster->RemoveListener(this); }
  bool IsListeningTo(const CPBroadcaster* broadcaster) const;

 private:
  friend class CPBroadcaster;
  // Drops every entry of `broadcaster` from this side's list only.
  void ForgetBroadcaster(const CPBroadcaster* broadcaster);

  // One entry per registration, as on the broadcaster's side.
  std::vector<CPBroadcaster*> broadcasters_;
};

#endif  // VYX_FOUNDATION_CPBROADCASTER_H_
