// The account's preference records: resources of its "PREF" set under fixed
// IDs, each read when the account opens (a missing record keeps its
// default) and written back when it changes. Only the defaults for new
// operations (901) have a layout of their own here; the others belong to the
// account's windows and reports and are kept as the bytes they were stored
// as, in the encoding they were stored in, so that they go back to the file
// unchanged. A new record of those is zero-filled at its stated size.
#ifndef VYX_ACCOUNTS_VYXCOMPTEPREFS_H_
#define VYX_ACCOUNTS_VYXCOMPTEPREFS_H_

#include <cstdint>
#include <map>
#include <vector>

#include "accounts/VYXCompteDefaultValues.h"
#include "resources/CPResourceSet.h"

enum : CPResID {
  kVYXBanqueInfosID = 900,       // bank and branch details
  kVYXUserAddressID = 1014,      // the account holder's address
  kVYXCompteListPrefsID = 1000,  // the operation list
  kVYXEcheancierPrefsID = 1044,  // the schedule
  kVYXListGroupPrefsID = 1083,   // the operation list's groupings, variable
};

struct VYXComptePrefSpec {
  CPResID id;
  uint32_t size;     // kCPVariableSize: as long as the record is
  const char* name;  // the resource's name (MacRoman)
};
extern const VYXComptePrefSpec kVYXComptePrefSpecs[];
extern const int kVYXComptePrefCount;

class VYXComptePrefs {
 public:
  VYXComptePrefs();

  // Every record of the table from `set`. A record shorter than its size is
  // completed with zeros, a longer one cut.
  void Load(CPResourceSet& set);
  // Writes record `id` into `set` (added or replaced), under its name.
  void Save(CPResourceSet& set, CPResID id) const;

  const VYXCompteDefaultValues& GetDefaultValues() const { return defaults_; }
  void SetDefaultValues(const VYXCompteDefaultValues& values) { defaults_ = values; }

  static const VYXComptePrefSpec* Find(CPResID id);
  // The bytes of record `id` as held, and the encoding they are in; an
  // empty record for an ID not in the table.
  const std::vector<unsigned char>& GetRecord(CPResID id, CPDataEncoding* encoding = nullptr) const;
  // New bytes, in the host's encoding. Raises paramErr for an ID not in the
  // table or a size other than the record's.
  void SetRecord(CPResID id, const void* data, uint32_t size);

 private:
  struct Record {
    std::vector<unsigned char> bytes;
    CPDataEncoding encoding = CPHostEncoding;
  };
  std::map<CPResID, Record> records_;
  VYXCompteDefaultValues defaults_;
};

#endif  // VYX_ACCOUNTS_VYXCOMPTEPREFS_H_
