// `vyx chequier`: an account's cheque books, added and listed. A book holds
// the cheques `first` to `first` + `number` - 1, shown as 7-character texts
// whose first characters the book's prefix overwrites; `next` is the index,
// from 1, of the next cheque the book gives out.
#include <ostream>

#include "accounts/VYXSDBCompte.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"

namespace {

constexpr int kChequierTexts = 30170;
enum : int {
  kHelpChequier = 100,
  kHelpAjouter,
  kHelpListe,
  kHelpCompte,
  kHelpNom,
  kHelpPremier,
  kHelpNombre,
  kHelpPrefixe,
  kColChequier = 110,
  kColPremier,
  kColDernier,
  kColProchain,
  kColUtilises,
  kColRestants,
  kNoChequier,     // ^1: the account
  kBadPremier,     // ^1: the text typed
  kBadNombre,      // ^1: the text typed
  kTooManyDigits,  // ^1: the last number
  kPrefixTooLong,  // ^1: the prefix
  kAdded,          // ^1: the book, ^2: the account, ^3 and ^4: its first and last cheques
  kNoName,
};

std::string T(int item) { return VYXHelp(kChequierTexts, item); }

constexpr long kChequeWidth = 7;
constexpr long kLargestCheque = 9999999;  // what 7 figures hold

// Digits only, at most `max`; false otherwise.
bool ParseNumber(const std::string& text, long max, long* value) {
  if (text.empty() || text.size() > 9) return false;
  long n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  if (n > max) return false;
  *value = n;
  return true;
}

// The cheque of index `index` (from 1) as the book writes it.
std::string ChequeText(const Chequier& book, long index) {
  std::string s = std::to_string(long(book.first) + index - 1);
  if (long(s.size()) < kChequeWidth) s.insert(0, kChequeWidth - s.size(), '0');
  for (size_t i = 0; i < book.prefix[0] && i < sizeof book.prefix - 1; ++i) {
    if (i < s.size()) s[i] = char(book.prefix[i + 1]);
  }
  if (long(s.size()) > kChequeWidth) s.resize(kChequeWidth);
  return s;
}

struct AddArgs {
  std::string compte;
  std::string nom;
  std::string premier;
  std::string nombre;
  std::string prefixe;
};

void Ajouter(VYXCliContext& ctx, const AddArgs& args) {
  std::string name = VYXArgText(args.nom);
  if (name.empty()) CPThrowList(paramErr, kChequierTexts, kNoName);
  long first = 0, number = 0;
  std::string premier = VYXArgText(args.premier), nombre = VYXArgText(args.nombre);
  if (!ParseNumber(premier, kLargestCheque, &first)) {
    CPThrowList(paramErr, kChequierTexts, kBadPremier, {premier});
  }
  if (!ParseNumber(nombre, 32767, &number) || number == 0) {
    CPThrowList(paramErr, kChequierTexts, kBadNombre, {nombre});
  }
  // Beyond 7 figures the numbers would be cut, and two cheques would share one.
  if (first + number - 1 > kLargestCheque) {
    CPThrowList(paramErr, kChequierTexts, kTooManyDigits, {std::to_string(first + number - 1)});
  }
  std::string prefix = VYXArgText(args.prefixe);
  if (prefix.size() >= size_t(kChequeWidth)) {
    CPThrowList(paramErr, kChequierTexts, kPrefixTooLong, {prefix});
  }
  Chequier book;
  StdToP(prefix, book.prefix, sizeof book.prefix - 1);
  book.first = int32_t(first);
  book.number = int16_t(number);
  book.next = 1;

  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompte(args.compte);
  CPResourceSet_T<Chequier>& books = compte.GetChequiers();
  CPResID id = books.GetUniqueID();
  // Like every list of the system, a name already taken gets a number.
  books.AddResource(id, CPString::FromStd(name), book);
  Str255 given;
  books.GetResourceName(id, given);
  std::string first_ = ChequeText(book, 1), last = ChequeText(book, book.number);
  if (ctx.json) {
    VYXPrintJson(ctx, {{"id", id},
                       {"nom", VYXText(PToStd(given))},
                       {"prefix", VYXText(prefix)},
                       {"first", book.first},
                       {"number", book.number},
                       {"next", book.next}});
  } else {
    *ctx.out << VYXHelp(kChequierTexts, kAdded,
                        {VYXText(PToStd(given)), VYXText(compte.GetName()), VYXText(first_),
                         VYXText(last)})
             << '\n';
  }
  session.Close();
}

void Liste(VYXCliContext& ctx, const std::string& nom) {
  VYXCliSession session(ctx, VYXCliSession::Start::kReading);
  VYXSDBCompte& compte = session.OpenCompte(nom);
  CPResourceSet_T<Chequier>& books = compte.GetChequiers();
  std::vector<CPResID> ids;
  int32_t count = books.GetResourcesCount();
  for (int32_t n = 1; n <= count; ++n) {
    if (CPResID id = books.GetNthResource(n)) ids.push_back(id);
  }
  // The cheques each book gave: the operations whose number is one of its cheques.
  std::vector<long> used(ids.size(), 0);
  Operation op;
  VYXDataRef ref;
  for (bool more = compte.GetFirstOperation(&op, &ref); more;
       more = compte.GetNextOperation(&op, &ref)) {
    if (op.noCheque[0] == 0) continue;
    for (size_t i = 0; i < ids.size(); ++i) {
      if (compte.GetNoChequeIndex(ids[i], op.noCheque, nullptr)) ++used[i];
    }
  }

  nlohmann::json out = nlohmann::json::array();
  VYXTable table;
  table.AddColumn(T(kColChequier));
  table.AddColumn(T(kColPremier));
  table.AddColumn(T(kColDernier));
  table.AddColumn(T(kColProchain));
  table.AddColumn(T(kColUtilises), VYXTable::kRight);
  table.AddColumn(T(kColRestants), VYXTable::kRight);
  for (size_t i = 0; i < ids.size(); ++i) {
    Chequier book;
    books.GetResource(ids[i], &book);
    Str255 name, next;
    books.GetResourceName(ids[i], name);
    compte.GetNextNoCheque(ids[i], next);
    long remaining = std::max(0L, long(book.number) - book.next + 1);
    out.push_back({{"id", ids[i]},
                   {"nom", VYXText(PToStd(name))},
                   {"prefix", VYXText(PToStd(book.prefix))},
                   {"first", book.first},
                   {"number", book.number},
                   {"next", book.next},
                   {"premier", VYXText(ChequeText(book, 1))},
                   {"dernier", VYXText(ChequeText(book, book.number))},
                   {"prochain", book.next <= book.number ? nlohmann::json(VYXText(PToStd(next)))
                                                         : nlohmann::json(nullptr)},
                   {"utilises", used[i]},
                   {"restants", remaining}});
    table.AddRow({VYXText(PToStd(name)), VYXText(ChequeText(book, 1)),
                  VYXText(ChequeText(book, book.number)), VYXText(PToStd(next)),
                  std::to_string(used[i]), std::to_string(remaining)});
  }
  if (ctx.json) {
    VYXPrintJson(ctx, out);
  } else if (ids.empty()) {
    *ctx.out << VYXHelp(kChequierTexts, kNoChequier, {VYXText(compte.GetName())}) << '\n';
  } else {
    table.Print(*ctx.out);
  }
  session.Close();
}

}  // namespace

void VYXAddChequierCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* chequier = VYXAddSubcommand(&app, "chequier", T(kHelpChequier));
  chequier->require_subcommand(1);

  CLI::App* ajouter = VYXAddSubcommand(chequier, "ajouter", T(kHelpAjouter));
  auto args = std::make_shared<AddArgs>();
  ajouter->add_option("COMPTE", args->compte, T(kHelpCompte))->required();
  ajouter->add_option("NOM", args->nom, T(kHelpNom))->required();
  ajouter->add_option("--premier", args->premier, T(kHelpPremier))->required();
  ajouter->add_option("--nombre", args->nombre, T(kHelpNombre))->required();
  ajouter->add_option("--prefixe", args->prefixe, T(kHelpPrefixe));
  VYXAddJsonFlag(ajouter, ctx);
  VYXSetCommand(ajouter, [&ctx, args] { Ajouter(ctx, *args); });

  CLI::App* liste = VYXAddSubcommand(chequier, "liste", T(kHelpListe));
  auto nom = std::make_shared<std::string>();
  liste->add_option("COMPTE", *nom, T(kHelpCompte))->required();
  VYXAddJsonFlag(liste, ctx);
  VYXSetCommand(liste, [&ctx, nom] { Liste(ctx, *nom); });
}
