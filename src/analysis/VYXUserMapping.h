// How an account's figures enter the user file's: its list items become the
// user file's items of the same name, its amounts become amounts of the
// reference currency. Lookups are kept per account and forgotten whenever a
// set of either side announces a change of names (the next lookup asks
// again). The mapping listens to the sets it has looked in; it does not own
// the accounts, which must be forgotten (Forget) before they go.
#ifndef VYX_ANALYSIS_VYXUSERMAPPING_H_
#define VYX_ANALYSIS_VYXUSERMAPPING_H_

#include <unordered_map>

#include "accounts/VYXCompte.h"
#include "foundation/CPBroadcaster.h"

class VYXUserPreferences;

class VYXUserMapping : public CPListener {
 public:
  explicit VYXUserMapping(VYXUserPreferences& user);
  ~VYXUserMapping() override;
  VYXUserMapping(const VYXUserMapping&) = delete;
  VYXUserMapping& operator=(const VYXUserMapping&) = delete;

  VYXUserPreferences& GetUser() const { return user_; }
  // The user file's ID of the account's item `id` of `list`: the item of the
  // same name. 0 stays 0; a name the user file lacks gives 0.
  CPResID ToUser(VYXCompte& compte, VYXCompteList list, CPResID id);
  // The user file's set of a list, or null for a list the user file does not share.
  CPResourceSet* UserSet(VYXCompteList list);
  // The account's amount in the reference currency, cut to the user's
  // decimals as conversions are; unchanged for an account in that currency.
  double ToReference(VYXCompte& compte, double amount);
  // Whether ToReference changes the account's amounts.
  bool Converts(VYXCompte& compte) { return Of(compte).converts; }
  // The account's currency, noted when it was first met.
  DeviseCode GetDevise(VYXCompte& compte);
  // Drops what is known of the account (it is closing).
  void Forget(VYXCompte& compte);

  void ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) override;

 private:
  struct Known {
    DeviseCode devise = 0;
    bool converts = false;  // its currency is not the reference
    std::unordered_map<CPResID, CPResID> ids[kVYXCompteListCount];
  };
  Known& Of(VYXCompte& compte);

  VYXUserPreferences& user_;
  std::unordered_map<VYXCompte*, Known> comptes_;
};

#endif  // VYX_ANALYSIS_VYXUSERMAPPING_H_
