#include "exchange/VYXReleveMatcher.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>

#include "exchange/VYXCompteInternetPrefs.h"
#include "foundation/CPCompare.h"
#include "foundation/CPStrings.h"
#include "platform/CPClock.h"

namespace {

constexpr double kExact = 0.0001;

bool SameNoCase(ConstStringPtr a, ConstStringPtr b) {
  if (a[0] != b[0]) return false;
  for (int i = 1; i <= a[0]; ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = uint8_t(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = uint8_t(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

VYXReleveMatcher::VYXReleveMatcher(VYXCompte& compte, bool cardView, CPResID cardMode)
    : compte_(compte), cardView_(cardView), cardMode_(cardMode) {}

bool VYXReleveMatcher::IsConcerned(const Operation& op) {
  if (op.header.deleted) return false;
  if (op.status != kOpEngagee && !(op.status == kOpPrevue && prevues_)) return false;
  if (cardView_) return op.mode != 0 && op.mode == cardMode_;
  Mode mode;
  if (op.mode != 0 && compte_.GetModes().ReadResource(op.mode, &mode) && mode.releveSepare) {
    return false;
  }
  return true;
}

void VYXReleveMatcher::BuildCandidates() {
  prevues_ = VYXCompteInternetPrefs::Get(compte_).PrevuesCandidates();
  candidates_.clear();
  Candidate c;
  for (bool more = compte_.GetFirstOperation(&c.op, &c.ref); more;
       more = compte_.GetNextOperation(&c.op, &c.ref)) {
    if (IsConcerned(c.op)) candidates_.push_back(c);
  }
  // One payee's operations follow each other, by date.
  std::stable_sort(candidates_.begin(), candidates_.end(),
                   [](const Candidate& a, const Candidate& b) {
                     if (a.op.tiers != b.op.tiers) return a.op.tiers < b.op.tiers;
                     if (a.op.date != b.op.date) return a.op.date < b.op.date;
                     return a.op.header.dataID < b.op.header.dataID;
                   });
}

int VYXReleveMatcher::FindOperation(const VYXInternetDataItem& item, bool strict,
                                    size_t position, const std::vector<bool>* taken) const {
  std::vector<size_t> gathered;
  for (double tolerance : {0.0001, 0.1, 1.0}) {
    if (tolerance == 1.0 && strict) return -1;
    for (size_t i = position; i < candidates_.size(); ++i) {
      if (Skip(i, taken)) continue;
      if (std::fabs(candidates_[i].op.montant - item.montant) < tolerance) gathered.push_back(i);
    }
    if (!gathered.empty()) break;
  }
  if (gathered.empty()) return -1;
  if (gathered.size() == 1) return int(gathered.front());

  // Committed operations go before planned ones.
  bool planned = false, committed = false;
  for (size_t i : gathered) {
    planned = planned || candidates_[i].op.status == kOpPrevue;
    committed = committed || candidates_[i].op.status == kOpEngagee;
  }
  if (planned && committed) {
    gathered.erase(std::remove_if(gathered.begin(), gathered.end(),
                                  [&](size_t i) { return candidates_[i].op.status == kOpPrevue; }),
                   gathered.end());
    if (gathered.size() == 1) return int(gathered.front());
  }
  // The cheque the bank names.
  if (item.reference[0] != 0) {
    for (size_t i : gathered) {
      if (CPStrEqual(candidates_[i].op.noCheque, item.reference)) return int(i);
    }
  }
  // The nearest in date; the last of equally near ones.
  size_t best = gathered.front();
  uint64_t bestDistance = std::numeric_limits<uint64_t>::max();
  for (size_t i : gathered) {
    CPDate d = candidates_[i].op.date;
    uint64_t distance = d > item.date ? uint64_t(d - item.date) : uint64_t(item.date - d);
    if (distance <= bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return int(best);
}

bool VYXReleveMatcher::FindOperations(const VYXInternetDataItem& item, bool strict,
                                      size_t position, std::vector<size_t>* result,
                                      const std::vector<bool>* taken) const {
  result->clear();
  const size_t n = candidates_.size();
  // A deposit slip: the cheques that carry its number, of one payee.
  for (size_t a = position; a < n; ++a) {
    const Operation& A = candidates_[a].op;
    if (Skip(a, taken) || A.noCheque[0] == 0) continue;
    if (strict && item.reference[0] != 0 && !SameNoCase(A.noCheque, item.reference)) continue;
    std::vector<size_t> slip{a};
    double total = A.montant;
    for (size_t b = a + 1; b < n; ++b) {
      const Operation& B = candidates_[b].op;
      if (Skip(b, taken) || B.tiers != A.tiers || !SameNoCase(B.noCheque, A.noCheque)) continue;
      slip.push_back(b);
      total += B.montant;
    }
    if (std::fabs(total - item.montant) < kExact) {
      *result = slip;
      return true;
    }
  }
  if (strict) return false;

  // Two to five operations of one payee, in list order.
  const uint32_t start = CPClock::Ticks();
  uint64_t steps = 0;
  bool outOfTime = false;
  auto timeUp = [&] {
    if ((++steps & 0x3FF) == 0 && CPClock::Ticks() - start > timeLimit_) outOfTime = true;
    return outOfTime;
  };
  for (size_t a = position; a < n && !outOfTime; ++a) {
    if (Skip(a, taken)) continue;
    const Operation& A = candidates_[a].op;
    // The run of A's payee after it.
    std::vector<size_t> run;
    for (size_t b = a + 1; b < n && candidates_[b].op.tiers == A.tiers; ++b)
      if (!Skip(b, taken)) run.push_back(b);
    if (run.empty()) continue;
    // For each place in the run, the sums of the 1 to 4 smallest and largest
    // amounts from there on: a branch that cannot reach the total is left.
    const size_t m = run.size();
    std::vector<std::array<double, 5>> least(m + 1), most(m + 1);
    {
      std::vector<double> smallest, largest;
      least[m].fill(std::numeric_limits<double>::infinity());
      most[m].fill(-std::numeric_limits<double>::infinity());
      least[m][0] = most[m][0] = 0;
      for (size_t j = m; j-- > 0;) {
        double v = candidates_[run[j]].op.montant;
        smallest.insert(std::upper_bound(smallest.begin(), smallest.end(), v), v);
        if (smallest.size() > 4) smallest.pop_back();
        largest.insert(std::upper_bound(largest.begin(), largest.end(), v, std::greater<double>()), v);
        if (largest.size() > 4) largest.pop_back();
        least[j].fill(std::numeric_limits<double>::infinity());
        most[j].fill(-std::numeric_limits<double>::infinity());
        least[j][0] = most[j][0] = 0;
        double s = 0, l = 0;
        for (size_t r = 1; r <= 4; ++r) {
          if (r <= smallest.size()) least[j][r] = (s += smallest[r - 1]);
          if (r <= largest.size()) most[j][r] = (l += largest[r - 1]);
        }
      }
    }
    std::vector<size_t> picked;
    // Picks `left` more operations from run[from...] onto `sum`.
    std::function<bool(size_t, size_t, double)> pick = [&](size_t from, size_t left,
                                                           double sum) -> bool {
      if (left == 0) return std::fabs(sum - item.montant) < kExact;
      if (timeUp()) return false;
      if (from + left > m) return false;
      if (sum + least[from][left] > item.montant + kExact ||
          sum + most[from][left] < item.montant - kExact) {
        return false;
      }
      for (size_t j = from; j + left <= m; ++j) {
        picked.push_back(run[j]);
        if (pick(j + 1, left - 1, sum + candidates_[run[j]].op.montant)) return true;
        picked.pop_back();
        if (outOfTime) return false;
      }
      return false;
    };
    for (size_t k = 2; k <= 5 && !outOfTime; ++k) {
      picked.clear();
      if (pick(0, k - 1, A.montant)) {
        result->push_back(a);
        result->insert(result->end(), picked.begin(), picked.end());
        return true;
      }
    }
  }
  return false;
}

std::vector<size_t> VYXReleveMatcher::Propose(const VYXInternetDataItem& item,
                                              const std::vector<bool>* taken) const {
  for (bool strict : {true, false}) {
    int one = FindOperation(item, strict, 0, taken);
    if (one >= 0) return {size_t(one)};
    std::vector<size_t> group;
    if (FindOperations(item, strict, 0, &group, taken)) return group;
  }
  return {};
}
