// Formulas and text variables where they meet real files: currency units
// through the dossier's currencies, an account's balances, what an operation
// and a split line being entered hold, and the variables of an account, an
// operation and a split line.
#include <gtest/gtest.h>

#include "accounts/VYXCompteFunctions.h"
#include "accounts/VYXCompteVariables.h"
#include "accounts/VYXSDBCompte.h"
#include "foundation/CPDates.h"
#include "foundation/CPFormule.h"
#include "foundation/CPTextVariables.h"
#include "userfile/UserFileTestSupport.h"
#include "userfile/VYXCompteFiles.h"
#include "userfile/VYXUserFunctions.h"

namespace {

struct Outcome {
  double value = 0;
  short error = -1;
};

Outcome Eval(const char* utf8, CPFunctionsProvider* provider) {
  Str255 text;
  StdToP(Utf8ToMacRoman(utf8), text);
  Outcome o;
  CPEvaluateFormule(text, provider, &o.value, &o.error, nullptr, nullptr);
  return o;
}

std::string Expand(const char* utf8, CPVariablesProvider* provider) {
  Str255 text;
  StdToP(Utf8ToMacRoman(utf8), text);
  return MacRomanToUtf8(PToStd(CPEvaluateString(text, false, provider)));
}

class UserFormulesTest : public UserFileTest {
 protected:
  void SetUp() override {
    UserFileTest::SetUp();
    // One dollar is worth 0,90 €.
    Devise usd;
    usd.taux = 0.9;
    StdToP("$", usd.symbole, 4);
    user_->GetDevises().AddResource(user_->GetDevises().GetUniqueID(), N("USD"), usd);
  }
  std::unique_ptr<VYXSDBCompte> NewCompte(const std::string& name, DeviseCode devise = 0) {
    CPFileRef file = VYXCompteFileIn(CPFileRef(dir_.Path()), name);
    auto compte = std::make_unique<VYXSDBCompte>(*user_, file);
    compte->ICompte(true, true, false);
    if (devise) compte->SetCompteDevise(devise);
    user_->AddCompte(file);
    user_->CompteOpened(*compte);
    return compte;
  }
};

TEST_F(UserFormulesTest, UnitsAreTheDossiersCurrencies) {
  auto euros = NewCompte("Courant");
  auto dollars = NewCompte("Dollars", 'USD ');
  VYXCompteFunctions inEuros(*euros), inDollars(*dollars);
  VYXUserFunctions dossier(*user_);
  const struct {
    const char* text;
    CPFunctionsProvider* provider;
    double value;
    short error;
  } cases[] = {
      {"100USD", &inEuros, 90, 0},
      {"100$", &inEuros, 90, 0},
      {"USD(100)+10", &inEuros, 100, 0},
      {"100€", &inEuros, 100, 0},
      {"100EUR", &inEuros, 100, 0},
      {"100EUR", &inDollars, 111.11, 0},  // cut to the dossier's decimals on the way
      {"100USD", &inDollars, 100, 0},
      {"100USD", &dossier, 90, 0},
      {"HT(119,6;19,6)", &dossier, 100, 0},
      {"USD(1;2)", &inEuros, 0, kFormuleBadCall},
      {"USD()", &inEuros, 0, kFormuleBadCall},
      {"100XYZ", &inEuros, 0, kFormuleUnknownName},
      {"100usd", &inEuros, 0, kFormuleNoParenthesis},
  };
  for (const auto& c : cases) {
    Outcome o = Eval(c.text, c.provider);
    EXPECT_EQ(o.error, c.error) << c.text;
    if (c.error == 0) {
      EXPECT_DOUBLE_EQ(o.value, c.value) << c.text;
    }
  }
}

TEST_F(UserFormulesTest, AnAccountAndWhatIsEnteredInItAreFunctions) {
  auto compte = NewCompte("Courant");
  VYXDataRef ref = 0;
  for (auto [montant, status] :
       {std::pair{-10.0, kOpEngagee}, {100.0, kOpPointee}, {-5.0, kOpPrevue}}) {
    Operation op;
    op.montant = montant;
    op.status = status;
    compte->AddOperation(op, &ref);
  }
  Operation op;
  op.montant = -120;
  compte->AddOperation(op, &ref);
  SousOperation line(op);
  line.montant = -80;
  VYXDataRef sousRef = 0;
  compte->AddSousOperation(ref, line, &sousRef);
  compte->GetOperation(ref, &op);

  VYXCompteFunctions account(*compte);
  VYXOperationFunctions operation(&account, op);
  SousOperation edited(op);
  edited.montant = -30;
  VYXSsOperationFunctions splitLine(&operation, op, edited);
  OperationAuto opAuto(0);
  opAuto.number = 4;
  VYXOpAutoFunctions generated(&operation, opAuto);
  VYXBudgetFunctions budget(&account, 250.0, std::nullopt);
  const struct {
    const char* text;
    CPFunctionsProvider* provider;
    double value;
    short error;
  } cases[] = {
      {"POINTE()", &account, 100, 0},       {"ENGAGE()", &account, -30, 0},
      {"PREVU()", &account, -35, 0},        {"NBOPE()", &account, 4, 0},
      {"MONTANT()", &operation, -120, 0},   {"VENTILE()", &operation, -80, 0},
      {"RESTE()", &operation, -40, 0},      {"NBVENTIL()", &operation, 1, 0},
      {"RESTE()", &splitLine, -70, 0},      {"MONTANT()/2", &splitLine, -60, 0},
      {"ECHEANCE()*10", &generated, 40, 0}, {"ECHEANCE()", &operation, 0, kFormuleUnknownName},
      {"VALEUR1()", &budget, 250, 0},       {"VALEUR2()", &budget, 0, kFormuleUnknownName},
      {"MAX(PREVU();0)", &splitLine, 0, 0},
  };
  for (const auto& c : cases) {
    Outcome o = Eval(c.text, c.provider);
    EXPECT_EQ(o.error, c.error) << c.text;
    if (c.error == 0) {
      EXPECT_DOUBLE_EQ(o.value, c.value) << c.text;
    }
  }
}

TEST_F(UserFormulesTest, AnAccountAnOperationAndASplitLineAreVariables) {
  auto compte = NewCompte("Courant");
  std::vector<unsigned char> banque(650, 0);
  std::string name = Utf8ToMacRoman("Crédit Mutuel"), number = "00012345678";
  banque[0] = uint8_t(name.size());
  std::copy(name.begin(), name.end(), banque.begin() + 1);
  banque[64] = uint8_t(number.size());
  std::copy(number.begin(), number.end(), banque.begin() + 65);
  compte->SetBanqueInfos(banque.data(), uint32_t(banque.size()));

  Operation op;
  StdToP("Loyer", op.libelle, 99);
  op.montant = -50;
  op.mois = 12;
  op.date = CPGetDate(15, 12, 2023);
  SousOperation line(op);
  line.montant = 20;
  line.mois = 1;
  VYXCompteVariables account(*compte);
  VYXOperationVariables operation(&account, *compte, op);
  VYXSsOperationVariables splitLine(&operation, op, line);

  EXPECT_EQ(Expand("«COMPTE» chez «BANQUE», n° «NUMERO DE COMPTE», le «DATE»", &account),
            "Courant chez Crédit Mutuel, n° 00012345678, le 14/07/24");
  EXPECT_EQ(Expand("«SENS» «MOIS» («NO MOIS») «AN»/«ANNEE» T«TRIMESTRE»", &operation),
            "Débit Décembre (12) 23/2023 T4");
  EXPECT_EQ(
      Expand("«MOIS SUIVANT» «NO MOIS SUIVANT» «MOIS PRECEDENT» «NO MOIS PRECEDENT»", &operation),
      "Janvier 1 Novembre 11");
  EXPECT_EQ(Expand("[«TITRE»«ACHAT VENTE»«QUANTITE»]", &operation), "[]");  // no security
  EXPECT_EQ(Expand("«LIBELLE OPERATION» : «SENS» de «MOIS», «COMPTE»", &splitLine),
            "Loyer : Crédit de Janvier, Courant");
  EXPECT_EQ(Expand("«LIBELLE OPERATION»", &operation), "«LIBELLE OPERATION»");
}

}  // namespace
