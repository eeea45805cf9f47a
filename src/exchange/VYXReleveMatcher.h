// The account's operations that statement lines may stand for (the
// candidates), and the search of the operation, or the group of operations,
// that a line stands for. Candidates are the committed operations (and the
// planned ones when the account's statement settings allow them); in the
// ordinary view, operations of a card that has statements of its own are
// left to the card view, where only the card's operations are candidates.
// They are kept grouped by payee, then by date, and every search runs from
// a position in that list to its end. Nothing here changes the account.
#ifndef VYX_EXCHANGE_VYXRELEVEMATCHER_H_
#define VYX_EXCHANGE_VYXRELEVEMATCHER_H_

#include <cstdint>
#include <vector>

#include "accounts/VYXCompte.h"
#include "exchange/VYXInternetDataItem.h"

class VYXReleveMatcher {
 public:
  struct Candidate {
    VYXDataRef ref = 0;
    Operation op;
  };

  // `cardMode` is the card's payment mode in the card view.
  VYXReleveMatcher(VYXCompte& compte, bool cardView, CPResID cardMode = 0);

  // Reads the candidates from the account.
  void BuildCandidates();
  const std::vector<Candidate>& Candidates() const { return candidates_; }
  bool IsConcerned(const Operation& op);

  // The one operation a line stands for (an index into Candidates), or -1.
  // Candidates marked in `taken` (may be null) are passed over.
  int FindOperation(const VYXInternetDataItem& item, bool strict, size_t position,
                    const std::vector<bool>* taken = nullptr) const;
  // Operations whose total is the line's amount: a deposit slip (cheques of
  // one slip number and one payee) or, unless `strict`, two to five
  // operations of one payee. False when none is found, or when the search
  // ran out of time.
  bool FindOperations(const VYXInternetDataItem& item, bool strict, size_t position,
                      std::vector<size_t>* result, const std::vector<bool>* taken = nullptr) const;
  // What the window proposes for a line: one operation found strictly, a
  // group found strictly, then the same without `strict`. Empty for none.
  std::vector<size_t> Propose(const VYXInternetDataItem& item,
                              const std::vector<bool>* taken = nullptr) const;

  // The time a group search may take, in ticks (60 a second; 6 seconds
  // unless told otherwise).
  void SetTimeLimit(uint32_t ticks) { timeLimit_ = ticks; }

 private:
  bool Skip(size_t i, const std::vector<bool>* taken) const {
    return taken && i < taken->size() && (*taken)[i];
  }

  VYXCompte& compte_;
  bool cardView_;
  CPResID cardMode_;
  bool prevues_ = true;
  std::vector<Candidate> candidates_;
  uint32_t timeLimit_ = 6 * 60;
};

#endif  // VYX_EXCHANGE_VYXRELEVEMATCHER_H_
