#include "simpledb/CPSimpleDBDataProvider.h"

#include <algorithm>

#include "foundation/CPBusyWait.h"
#include "foundation/CPException.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBSession.h"

CPSimpleDBDataProvider::~CPSimpleDBDataProvider() {
  for (CPSimpleDBSession* session : sessions_) session->ProviderGone();
}

void CPSimpleDBDataProvider::OpenSession(CPSimpleDBSession* session) {
  if (std::find(sessions_.begin(), sessions_.end(), session) == sessions_.end()) {
    sessions_.push_back(session);
  }
}

void CPSimpleDBDataProvider::CloseSession(CPSimpleDBSession* session) {
  sessions_.erase(std::remove(sessions_.begin(), sessions_.end(), session), sessions_.end());
}

void CPSimpleDBDataProvider::RegisterHandler(CPSimpleDBDataHandler* handler) {
  if (std::find(handlers_.begin(), handlers_.end(), handler) == handlers_.end()) {
    handlers_.push_back(handler);
  }
}

void CPSimpleDBDataProvider::UnregisterHandler(CPSimpleDBDataHandler* handler) {
  handlers_.erase(std::remove(handlers_.begin(), handlers_.end(), handler), handlers_.end());
}

bool CPSimpleDBDataProvider::ActionAllowed(CPSimpleDBSession*, uint32_t, CPSimpleDBAccessDomain,
                                           uint32_t, const CPSimpleDBDataInfo&, const void*) {
  return true;
}

void CPSimpleDBDataProvider::CheckAllowed(CPSimpleDBSession* session, uint32_t action,
                                          const CPSimpleDBDataInfo& info) const {
  if (session && !session->ActionAllowed(info.access, action, info, nullptr)) {
    CPThrow(kSDBErrNotAllowed);
  }
}

bool CPSimpleDBDataProvider::IDExists(CPSimpleDBSession* session, CPSimpleDBDataID dataID) {
  CPSimpleDBRefnum refnum;
  return GetDataRefnum(session, dataID, &refnum);
}

bool CPSimpleDBDataProvider::GetDataRefnum(CPSimpleDBSession* session, CPSimpleDBDataID dataID,
                                           CPSimpleDBRefnum* refnum) {
  return GetDataRefnum(session, dataID, nullptr, refnum);
}

bool CPSimpleDBDataProvider::GetDataRefnum(CPSimpleDBSession* session, CPSimpleDBDataID dataID,
                                           CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) {
  CPSimpleDBDataInfo found;
  CPSimpleDBRefnum r;
  for (bool more = GetFirstData(session, 0, &found, &r); more;
       more = GetNextData(session, 0, &found, &r)) {
    if (found.dataID == dataID) {
      if (info) *info = found;
      *refnum = r;
      return true;
    }
  }
  return false;
}

// Sessions may open or close from inside a hook: the list is read by position
// so that neither invalidates the walk.
template <typename F>
void CPSimpleDBDataProvider::Notify(const CPSimpleDBDataInfo& info, F&& hook) {
  for (size_t i = 0; i < sessions_.size(); ++i) {
    CPSimpleDBSession* session = sessions_[i];
    if (!session->IsConcerned(info)) continue;
    if (!hookFailuresIgnored_) {
      hook(session);
      continue;
    }
    try {
      hook(session);
    } catch (...) {
      // Not this station's change: nobody to report it to.
    }
  }
}

void CPSimpleDBDataProvider::DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                                       const void* data, CPDataSize size, bool flag) {
  Notify(info, [&](CPSimpleDBSession* s) { s->DataAdded(info, refnum, data, size, flag); });
}

void CPSimpleDBDataProvider::DataModified(const CPSimpleDBDataInfo& info,
                                          CPSimpleDBRefnum oldRefnum, const void* oldData,
                                          CPDataSize oldSize, CPSimpleDBRefnum newRefnum,
                                          const void* newData, CPDataSize newSize, bool flag) {
  Notify(info, [&](CPSimpleDBSession* s) {
    s->DataModified(info, oldRefnum, oldData, oldSize, newRefnum, newData, newSize, flag);
  });
}

void CPSimpleDBDataProvider::DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                                         const void* data, CPDataSize size, bool flag) {
  Notify(info, [&](CPSimpleDBSession* s) { s->DataDeleted(info, refnum, data, size, flag); });
}

void CPSimpleDBDataProvider::DataMoved(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum from,
                                       CPSimpleDBRefnum to) {
  Notify(info, [&](CPSimpleDBSession* s) { s->DataMoved(info, from, to); });
}

uint32_t CPSimpleDBDataProvider::NewFastAdd(CPSimpleDBSession*, CPSimpleDBDataType) {
  return ++fastAdds_;
}

void CPSimpleDBDataProvider::CloseFastAdd(CPSimpleDBSession*, uint32_t fastAdd) {
  if (fastAdd == 0 || fastAdd != fastAdds_) CPThrow(kSDBErrFastAddOrder);
  --fastAdds_;
}

CPSimpleDBAccessLocker::CPSimpleDBAccessLocker(CPSimpleDBDataProvider* provider)
    : provider_(provider) {
  // Taken at once nearly always (and always by a file that is not shared):
  // the clock is read only when there is something to wait for.
  if ((key_ = provider_->LockAccess(&previous_)) != 0) return;
  const CPFileRef file = provider_->LockedFile();
  auto attempt = [&] { return (key_ = provider_->LockAccess(&previous_)) != 0; };
  if (CPWaitWhileBusy(file, attempt)) return;
  if (file.Empty()) CPThrow(kSDBErrAccessTimeout);
  CPThrowBusy(kSDBErrAccessTimeout, file);
}

CPSimpleDBAccessLocker::~CPSimpleDBAccessLocker() {
  try {
    provider_->UnLockAccess(key_, previous_);
  } catch (...) {
    // A key mismatch here means the lock was already given back; nothing to undo.
  }
}
