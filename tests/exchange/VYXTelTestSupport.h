// What the tests of statement lines share: an account file in a temporary
// folder (the accounts' own fixture), its statement window, statements
// written as files, and operations made in one line.
#ifndef VYX_TESTS_EXCHANGE_VYXTELTESTSUPPORT_H_
#define VYX_TESTS_EXCHANGE_VYXTELTESTSUPPORT_H_

#include <fstream>
#include <memory>
#include <string>

#include "accounts/VYXCompteTestSupport.h"
#include "exchange/VYXCompteTel.h"
#include "exchange/VYXInternetActions.h"

class TelFixture : public CompteFixture {
 protected:
  void SetUp() override {
    compte_ = Create();
    tel_ = std::make_unique<VYXCompteTel>(*compte_, fileRef_, VYXReleveFile::Format());
    tel_->ReadData();
  }
  void TearDown() override {
    tel_.reset();
    if (compte_) compte_->Close();
  }

  // Writes `text` into a file of the temporary folder and loads it.
  VYXLoadReport LoadText(const std::string& name, const std::string& text,
                         const VYXLoadOptions& options = {}) {
    CPFileRef file = dir_.Ref(name);
    std::ofstream(file.Path(), std::ios::binary) << text;
    return tel_->LoadBanqueFile(file, options);
  }
  // An operation added to the account; its key.
  DataID Add(const std::string& label, double montant, CPDate date, OpStatus status = kOpEngagee,
             const std::string& cheque = "", CPResID tiers = 0) {
    Operation op = MakeOp(label, montant, status, date);
    op.datePointe = date;
    StdToP(cheque, op.noCheque, 7);
    op.tiers = tiers;
    VYXDataRef ref = 0;
    compte_->AddOperation(op, &ref);
    return op.header.dataID;
  }
  Operation Op(DataID key) {
    Operation op;
    VYXDataRef ref = 0;
    EXPECT_TRUE(compte_->FindOperation(key, &op, &ref)) << key;
    return op;
  }
  // A statement line held in memory (not in the data file).
  static VYXInternetDataItem Line(double montant, CPDate date, const std::string& label = "",
                                  const std::string& reference = "") {
    VYXInternetDataItem item;
    item.montant = montant;
    item.date = date;
    StdToP(Utf8ToMacRoman(label), item.libelle, 64);
    StdToP(reference, item.reference, 20);
    return item;
  }
  std::string DataFile() const {
    return VYXReadFile(VYXReleveFile::ForCompte(fileRef_).Path());
  }

  std::unique_ptr<VYXSDBCompte> compte_;
  std::unique_ptr<VYXCompteTel> tel_;
};

// A small OFX bank statement of the account 00012345678 with the given
// transactions (date yyyymmdd, amount, name, FITID).
struct OFXLine {
  const char* date;
  const char* amount;
  const char* name;
  const char* fitid;
};
inline std::string OFXStatement(std::initializer_list<OFXLine> lines, const char* acctid = "00012345678") {
  std::string s =
      "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\nCHARSET:1252\n\n<OFX>\n<SIGNONMSGSRSV1>\n"
      "<SONRS>\n<STATUS>\n<CODE>0\n<SEVERITY>INFO\n</STATUS>\n</SONRS>\n</SIGNONMSGSRSV1>\n"
      "<BANKMSGSRSV1>\n<STMTTRNRS>\n<STMTRS>\n<CURDEF>EUR\n<BANKACCTFROM>\n<ACCTID>";
  s += acctid;
  s += "\n</BANKACCTFROM>\n<BANKTRANLIST>\n";
  for (const OFXLine& l : lines) {
    s += std::string("<STMTTRN>\n<DTPOSTED>") + l.date + "\n<TRNAMT>" + l.amount + "\n<FITID>" +
         l.fitid + "\n<NAME>" + l.name + "\n</STMTTRN>\n";
  }
  s += "</BANKTRANLIST>\n</STMTRS>\n</STMTTRNRS>\n</BANKMSGSRSV1>\n</OFX>\n";
  return s;
}

#endif  // VYX_TESTS_EXCHANGE_VYXTELTESTSUPPORT_H_
