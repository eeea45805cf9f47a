// A selection decoded once for the operations of one account. Walking the
// encoded block for every operation (ApplySelection with
// IsValidOperationCriteria) reads each field in the block's byte order,
// converts each text from the block's character set, rounds each amount and
// evaluates each date formula again; over a whole account that costs more
// than the tests themselves. The program holds every value in host form, in
// the order the walk meets them, with the same short cuts, and answers what
// the walk answers without reading the block or allocating.
//
// Items named by their names are compared with the names of the account's
// items once per item, the verdict kept until ForgetNames. Date formulas are
// evaluated when the program is made; those that depend on today's date
// ("DEBUTMOIS()", "15/03") again at ReadTodayDates.
#ifndef VYX_ANALYSIS_VYXSELECTIONPROGRAM_H_
#define VYX_ANALYSIS_VYXSELECTIONPROGRAM_H_

#include <cstdint>
#include <vector>

#include "accounts/VYXCompte.h"
#include "analysis/CPSelection.h"
#include "analysis/VYXSelectionFields.h"

class VYXSelectionProgram {
 public:
  // `decimals`: those the criteria's amounts are rounded to. The account
  // must outlive the program; the block need not.
  VYXSelectionProgram(VYXCompte& compte, Handle selection, const CPDataEncoding& e,
                      int16_t decimals);
  ~VYXSelectionProgram();
  VYXSelectionProgram(const VYXSelectionProgram&) = delete;
  VYXSelectionProgram& operator=(const VYXSelectionProgram&) = delete;

  // False when the block's header cannot be read: nothing is selected then.
  bool IsReadable() const { return readable_; }
  bool FollowsToday() const { return !todayLeaves_.empty(); }
  void ReadTodayDates();
  // To be called when a list of the account changes.
  void ForgetNames();

  bool Selects(const Operation& op);
  bool Selects(const Operation& op, const SousOperation& line);

 private:
  struct Leaf;
  struct Criterion;
  struct Block;

  int32_t CompileBlock(int32_t offset, int count);
  void CompileLeaf(Block& block, CPSelectionSubject subject, bool negative,
                   CPSelectionComparator comparator, const CPSelectionParam& param, int32_t offset);
  bool Run(Block& block, const VYXSelectionFields& f);
  bool Test(Leaf& leaf, const VYXSelectionFields& f);
  bool NameTest(Leaf& leaf, VYXCompteList list, CPResID id);
  bool LinesTest(const Leaf& leaf, const Operation& op);

  VYXCompte& compte_;
  Handle selection_;  // while compiling only
  CPDataEncoding encoding_;
  int16_t decimals_;
  bool readable_ = false;
  std::vector<Block> blocks_;                             // the outer selection last
  std::vector<std::pair<int32_t, int32_t>> todayLeaves_;  // block, leaf
};

#endif  // VYX_ANALYSIS_VYXSELECTIONPROGRAM_H_
