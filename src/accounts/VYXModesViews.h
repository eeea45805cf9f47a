// Views of an account's payment modes (CPSubResourceSet.h): its cards, the
// cards and modes cleared on statements of their own, and the modes that use
// cheque books.
#ifndef VYX_ACCOUNTS_VYXMODESVIEWS_H_
#define VYX_ACCOUNTS_VYXMODESVIEWS_H_

#include "accounts/Mode.h"
#include "resources/CPSubResourceSet.h"

// Mode kinds 2 and 3 are cards.
inline bool VYXIsCarte(const Mode& m) { return m.type == 2 || m.type == 3; }

class VYXCartesResourceSet : public CPSubResourceSet_T<Mode> {
 public:
  explicit VYXCartesResourceSet(CPResourceSet_T<Mode>& modes) : CPSubResourceSet_T(modes) {}
  using CPSubResourceSet_T::IsConcerned;
  bool IsConcerned(ConstStringPtr, const Mode& m) override { return VYXIsCarte(m); }
};

class VYXCartesSepareesResourceSet : public CPSubResourceSet_T<Mode> {
 public:
  explicit VYXCartesSepareesResourceSet(CPResourceSet_T<Mode>& modes) : CPSubResourceSet_T(modes) {}
  using CPSubResourceSet_T::IsConcerned;
  bool IsConcerned(ConstStringPtr, const Mode& m) override {
    return VYXIsCarte(m) && m.releveSepare != 0;
  }
};

class VYXCompteRelevesSeparesModes : public CPSubResourceSet_T<Mode> {
 public:
  explicit VYXCompteRelevesSeparesModes(CPResourceSet_T<Mode>& modes) : CPSubResourceSet_T(modes) {}
  using CPSubResourceSet_T::IsConcerned;
  bool IsConcerned(ConstStringPtr, const Mode& m) override { return m.releveSepare != 0; }
};

class VYXModeWithChequierSet : public CPSubResourceSet_T<Mode> {
 public:
  explicit VYXModeWithChequierSet(CPResourceSet_T<Mode>& modes) : CPSubResourceSet_T(modes) {}
  using CPSubResourceSet_T::IsConcerned;
  bool IsConcerned(ConstStringPtr, const Mode& m) override {
    return m.askForChequier != 0 || m.chequierID != 0;
  }
};

#endif  // VYX_ACCOUNTS_VYXMODESVIEWS_H_
