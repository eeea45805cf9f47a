// `vyx releve`: the bank's lines of an account. `charger` reads a statement
// file (QIF, OFX, CFONB 120 or CSV) and records its new lines in the
// account's statement data file (NOM.releves beside NOM.cpt); `liste` and
// `proposer` show the lines that wait for a decision with the operations vyx
// finds for them; `valider` clears those operations against the lines,
// `ajouter` makes operations of lines, `ignorer` sets lines aside; `solde`
// and `date` show the bank's balance and the last loaded date.
//
// A statement file is read whole before the dossier is opened: a file that
// is no statement, or that is wrong at some line, is refused and changes
// nothing. --carte works in the card view, on the card lines of the card
// whose payment mode it names.
#include <algorithm>
#include <ostream>

#include "accounts/VYXSDBCompte.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXOpeOptions.h"
#include "cli/VYXReleveTexts.h"
#include "exchange/VYXExchangeErrors.h"
#include "exchange/VYXCompteTel.h"
#include "exchange/VYXInternetActions.h"
#include "exchange/VYXReleveMatcher.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

std::string T(int item) { return VYXHelp(kVYXReleveTexts, item); }

struct ViewArgs {
  std::string compte;
  std::string carte;  // the card view's payment mode
};

// The account's statements as a command works on them.
class Releve {
 public:
  Releve(VYXCliContext& ctx, const ViewArgs& view)
      : session_(ctx),
        compte_(session_.OpenCompte(view.compte)),
        tel_(compte_, session_.CompteFile(session_.FindCompte(view.compte)), Format()) {
    tc_.decimals = session_.Dossier().GetDecimals(kDecimalsMontants);
    if (!view.carte.empty()) {
      std::string name = VYXArgText(view.carte);
      Str255 key;
      StdToP(name, key);
      CPResourceSet_T<Mode>& modes = compte_.GetModes();
      if (!modes.ResourceExists(key)) {
        CPThrowList(kCPErrNotFound, kVYXReleveTexts, kReleveNoSuchCard,
                    {compte_.GetName(), name});
      }
      tc_.cardView = true;
      tc_.cardMode = modes.GetResourceID(key);
      Mode mode;
      modes.ReadResource(tc_.cardMode, &mode);
      card_ = PToStd(mode.noCarte);
    }
    tel_.ReadData();
  }

  VYXCliSession& Session() { return session_; }
  VYXSDBCompte& Compte() { return compte_; }
  VYXCompteTel& Tel() { return tel_; }
  const VYXTelContext& Context() const { return tc_; }
  const std::string& Card() const { return card_; }
  void Close() { session_.Close(); }

 private:
  VYXReleveFile::Format Format() {
    VYXReleveFile::Format f;
    f.decimals = session_.Dossier().GetDecimals(kDecimalsMontants);
    return f;
  }

  VYXCliSession session_;
  VYXSDBCompte& compte_;
  VYXCompteTel tel_;
  VYXTelContext tc_;
  std::string card_;
};

// What vyx proposes for each line that waits for a decision, in the
// lines' order: an operation taken by one line is not proposed for another.
struct Proposals {
  VYXReleveMatcher matcher;
  std::vector<VYXInternetDataItem*> lines;
  std::vector<std::vector<size_t>> proposed;  // by line, indexes of candidates

  Proposals(Releve& r) : matcher(r.Compte(), r.Context().cardView, r.Context().cardMode) {
    matcher.BuildCandidates();
    lines = r.Tel().LoadData(r.Context().cardView, r.Card());
    std::vector<bool> taken(matcher.Candidates().size(), false);
    for (const VYXInternetDataItem* line : lines) {
      std::vector<size_t> p = matcher.Propose(*line, &taken);
      for (size_t i : p) taken[i] = true;
      proposed.push_back(p);
    }
  }
  const std::vector<size_t>* For(long number) const {
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i]->number == number) return &proposed[i];
    return nullptr;
  }
  std::vector<DataID> Keys(const std::vector<size_t>& p) const {
    std::vector<DataID> keys;
    for (size_t i : p) keys.push_back(DataID(matcher.Candidates()[i].op.header.dataID));
    return keys;
  }
};

std::string KeysText(const std::vector<DataID>& keys) {
  std::string s;
  for (DataID k : keys) s += (s.empty() ? "" : "+") + std::to_string(k);
  return s;
}

std::string StateText(const VYXInternetDataItem& item) {
  if (item.setAside) return T(kReleveStateAside);
  if (item.kind == kVYXLineCard && item.charged) return T(kReleveStateCharged);
  if (item.done) return T(kReleveStateDone);
  return T(kReleveStateOpen);
}

std::string StateKey(const VYXInternetDataItem& item) {
  if (item.setAside) return "ignoree";
  if (item.kind == kVYXLineCard && item.charged) return "debitee";
  if (item.done) return "traitee";
  return "a_traiter";
}

nlohmann::json LineJson(const VYXInternetDataItem& item) {
  return {{"ligne", item.number},
          {"type", CPString::FromType(item.kind).Std()},
          {"date", VYXDateJson(item.date)},
          {"libelle", VYXText(PToStd(item.libelle))},
          {"complement", VYXText(PToStd(item.complement))},
          {"montant", VYXAmountJson(item.montant)},
          {"reference", VYXText(PToStd(item.reference))},
          {"identifiant", VYXText(PToStd(item.fitid))},
          {"etat", StateKey(item)}};
}

std::vector<long> ArgLines(const std::vector<std::string>& texts) {
  std::vector<long> lines;
  for (const std::string& t : texts) {
    char* end = nullptr;
    long n = std::strtol(t.c_str(), &end, 10);
    if (t.empty() || *end != 0 || n <= 0) {
      CPThrowList(paramErr, kVYXReleveTexts, kReleveBadLine, {VYXArgText(t)});
    }
    lines.push_back(n);
  }
  return lines;
}

// ---- charger

struct ChargerArgs {
  std::string compte, fichier, format, colonnes, identifiant;
};

void Charger(VYXCliContext& ctx, const ChargerArgs& args) {
  VYXLoadOptions options;
  if (args.format == "qif") {
    options.format = VYXStatementFormat::kQIF;
  } else if (args.format == "ofx") {
    options.format = VYXStatementFormat::kOFX;
  } else if (args.format == "cfonb") {
    options.format = VYXStatementFormat::kCFONB;
  } else if (args.format == "csv") {
    options.format = VYXStatementFormat::kCSV;
  } else if (!args.format.empty()) {
    CPThrowList(paramErr, kVYXReleveTexts, kReleveBadFormat, {VYXArgText(args.format)});
  }
  if (!args.colonnes.empty()) {
    options.columns = VYXParseCSVColumns(VYXArgText(args.colonnes));
    if (options.format == VYXStatementFormat::kAuto) options.format = VYXStatementFormat::kCSV;
  }
  options.accountId = VYXArgText(args.identifiant);
  CPFileRef file(args.fichier);
  std::string name = VYXFileName(file);
  if (!file.Exists()) CPThrowList(fnfErr, kVYXReleveTexts, kReleveNoFile, {name});
  VYXParsedStatement parsed = VYXReadStatementFile(file, options.format, options.columns);

  Releve r(ctx, {args.compte, {}});
  VYXLoadReport report = r.Tel().Load(parsed, options);
  const char* formats[] = {"", "CFONB 120", "QIF", "OFX", "CSV"};
  std::string format = formats[int(report.format)];
  if (ctx.json) {
    VYXPrintJson(ctx, {{"fichier", VYXText(name)},
                       {"format", format},
                       {"lues", report.read},
                       {"nouvelles", report.added},
                       {"dejaChargees", report.held},
                       {"autreCompte", report.otherAccount},
                       {"autreCarte", report.otherCard},
                       {"encoursRemplaces", report.cardsCleared},
                       {"soldes", report.balances},
                       {"laissees", report.ignored},
                       {"textesRemplaces", report.replacedTexts},
                       {"derniereDate", VYXDateJson(report.lastDate)}});
  } else {
    *ctx.out << VYXHelp(kVYXReleveTexts, kReleveLoaded,
                        {VYXText(name), format, VYXText(r.Compte().GetName())})
             << '\n';
    VYXTable table;
    table.AddColumn("");
    table.AddColumn("", VYXTable::kRight);
    table.AddRow({T(kReleveRowRead), std::to_string(report.read)});
    table.AddRow({T(kReleveRowNew), std::to_string(report.added)});
    table.AddRow({T(kReleveRowHeld), std::to_string(report.held)});
    if (report.otherAccount) table.AddRow({T(kReleveRowOtherAccount), std::to_string(report.otherAccount)});
    if (report.otherCard) table.AddRow({T(kReleveRowOtherCard), std::to_string(report.otherCard)});
    if (report.cardsCleared) table.AddRow({T(kReleveRowCardsCleared), std::to_string(report.cardsCleared)});
    if (report.balances) table.AddRow({T(kReleveRowBalances), std::to_string(report.balances)});
    if (report.ignored) table.AddRow({T(kReleveRowIgnored), std::to_string(report.ignored)});
    if (report.replacedTexts) table.AddRow({T(kReleveRowReplaced), std::to_string(report.replacedTexts)});
    table.AddRow({T(kReleveRowLastDate), VYXDateText(report.lastDate)});
    table.Print(*ctx.out, false);
  }
  r.Close();
}

// ---- liste and proposer

void Liste(VYXCliContext& ctx, const ViewArgs& view, bool tout) {
  Releve r(ctx, view);
  Proposals p(r);
  std::vector<VYXInternetDataItem*> lines = p.lines;
  if (tout) {
    lines.clear();
    OSType kind = r.Context().cardView ? kVYXLineCard : kVYXLineOperation;
    for (VYXInternetDataItem& item : r.Tel().Items())
      if (item.kind == kind) lines.push_back(&item);
  }
  nlohmann::json out = nlohmann::json::array();
  VYXTable table;
  table.AddColumn(T(kReleveColLigne), VYXTable::kRight);
  table.AddColumn(T(kReleveColDate));
  table.AddColumn(T(kReleveColLibelle));
  table.AddColumn(T(kReleveColReference));
  table.AddColumn(T(kReleveColMontant), VYXTable::kRight);
  table.AddColumn(T(kReleveColEtat));
  table.AddColumn(T(kReleveColProposition));
  for (const VYXInternetDataItem* line : lines) {
    const std::vector<size_t>* proposed = p.For(line->number);
    std::vector<DataID> keys = proposed ? p.Keys(*proposed) : std::vector<DataID>();
    nlohmann::json j = LineJson(*line);
    j["proposition"] = keys;
    out.push_back(j);
    table.AddRow({std::to_string(line->number), VYXDateText(line->date),
                  VYXText(PToStd(line->libelle)), VYXText(PToStd(line->reference)),
                  VYXAmountText(line->montant), StateText(*line), KeysText(keys)});
  }
  if (ctx.json) {
    VYXPrintJson(ctx, out);
  } else if (lines.empty()) {
    *ctx.out << VYXHelp(kVYXReleveTexts, kReleveNone, {VYXText(r.Compte().GetName())}) << '\n';
  } else {
    table.Print(*ctx.out);
  }
  r.Close();
}

void Proposer(VYXCliContext& ctx, const ViewArgs& view) {
  Releve r(ctx, view);
  Proposals p(r);
  nlohmann::json out = nlohmann::json::array();
  VYXTable table;
  table.AddColumn(T(kReleveColLigne), VYXTable::kRight);
  table.AddColumn(T(kReleveColDate));
  table.AddColumn(T(kReleveColLibelle));
  table.AddColumn(T(kReleveColMontant), VYXTable::kRight);
  table.AddColumn(T(kReleveColCle), VYXTable::kRight);
  table.AddColumn(T(kReleveColOpDate));
  table.AddColumn(T(kReleveColOpLibelle));
  table.AddColumn(T(kReleveColOpMontant), VYXTable::kRight);
  for (size_t l = 0; l < p.lines.size(); ++l) {
    const VYXInternetDataItem& line = *p.lines[l];
    nlohmann::json ops = nlohmann::json::array();
    std::vector<std::string> first = {std::to_string(line.number), VYXDateText(line.date),
                                      VYXText(PToStd(line.libelle)), VYXAmountText(line.montant)};
    if (p.proposed[l].empty()) {
      first.insert(first.end(), {"", "", T(kReleveNoProposalShort), ""});
      table.AddRow(first);
    }
    for (size_t k = 0; k < p.proposed[l].size(); ++k) {
      const Operation& op = p.matcher.Candidates()[p.proposed[l][k]].op;
      ops.push_back({{"cle", DataID(op.header.dataID)},
                     {"date", VYXDateJson(op.date)},
                     {"libelle", VYXText(PToStd(op.libelle))},
                     {"montant", VYXAmountJson(op.montant)}});
      std::vector<std::string> row = k == 0 ? first : std::vector<std::string>{"", "", "", ""};
      row.insert(row.end(), {std::to_string(op.header.dataID), VYXDateText(op.date),
                             VYXText(PToStd(op.libelle)), VYXAmountText(op.montant)});
      table.AddRow(row);
    }
    nlohmann::json j = LineJson(line);
    j["operations"] = ops;
    out.push_back(j);
  }
  if (ctx.json) {
    VYXPrintJson(ctx, out);
  } else if (p.lines.empty()) {
    *ctx.out << VYXHelp(kVYXReleveTexts, kReleveNone, {VYXText(r.Compte().GetName())}) << '\n';
  } else {
    table.Print(*ctx.out);
  }
  r.Close();
}

// ---- decisions

struct DecideArgs {
  ViewArgs view;
  std::vector<std::string> lignes;
  std::vector<std::string> ope;
  bool restantes = false;
};

void Valider(VYXCliContext& ctx, const DecideArgs& args) {
  std::vector<long> lines = ArgLines(args.lignes);
  std::vector<DataID> keys;
  for (const std::string& k : args.ope) keys.push_back(VYXArgKey(k));
  Releve r(ctx, args.view);
  nlohmann::json out = nlohmann::json::array();
  auto done = [&](const std::vector<long>& ls, const std::vector<DataID>& ks) {
    for (long l : ls) {
      out.push_back({{"ligne", l}, {"operations", ks}});
      if (!ctx.json) {
        *ctx.out << VYXHelp(kVYXReleveTexts, kReleveValidated, {std::to_string(l), KeysText(ks)})
                 << '\n';
      }
    }
  };
  if (!keys.empty()) {
    VYXInternetValidateAction action(r.Tel(), lines, keys, r.Context());
    action.DoAction();
    done(lines, keys);
  } else {
    // Each line with what vyx proposes for it; every line must have a
    // proposal before any is validated.
    Proposals p(r);
    std::vector<std::vector<DataID>> chosen;
    for (long l : lines) {
      VYXInternetDataItem* item = r.Tel().FindLine(l);
      const std::vector<size_t>* proposed = p.For(l);
      if (item && !item->NeedsDecision()) {
        CPThrowList(kVYXErrNoSuchLine, kVYXReleveTexts, kReleveLineDecided, {std::to_string(l)});
      }
      if (!proposed) {
        CPThrowList(kVYXErrNoSuchLine, kVYXReleveTexts, kReleveNoSuchLine,
                    {r.Compte().GetName(), std::to_string(l)});
      }
      if (proposed->empty()) {
        CPThrowList(kVYXErrValidation, kVYXReleveTexts, kReleveNoProposal, {std::to_string(l)});
      }
      chosen.push_back(p.Keys(*proposed));
    }
    for (size_t i = 0; i < lines.size(); ++i) {
      VYXInternetValidateAction action(r.Tel(), {lines[i]}, chosen[i], r.Context());
      action.DoAction();
      done({lines[i]}, chosen[i]);
    }
  }
  if (ctx.json) VYXPrintJson(ctx, out);
  r.Close();
}

void Ajouter(VYXCliContext& ctx, const DecideArgs& args) {
  std::vector<long> lines = ArgLines(args.lignes);
  if (lines.empty() && !args.restantes) CPThrowList(paramErr, kVYXReleveTexts, kReleveNoLines);
  Releve r(ctx, args.view);
  if (args.restantes) {
    Proposals p(r);
    for (size_t i = 0; i < p.lines.size(); ++i) {
      if (p.proposed[i].empty() &&
          std::find(lines.begin(), lines.end(), p.lines[i]->number) == lines.end()) {
        lines.push_back(p.lines[i]->number);
      }
    }
  }
  nlohmann::json out = nlohmann::json::array();
  if (!lines.empty()) {
    VYXInternetAddDataAction action(r.Tel(), lines, r.Context());
    action.DoAction();
    for (size_t i = 0; i < lines.size() && i < action.Added().size(); ++i) {
      out.push_back({{"ligne", lines[i]}, {"operation", action.Added()[i]}});
      if (!ctx.json) {
        *ctx.out << VYXHelp(kVYXReleveTexts, kReleveAdded,
                            {std::to_string(lines[i]), std::to_string(action.Added()[i])})
                 << '\n';
      }
    }
  } else if (!ctx.json) {
    *ctx.out << T(kReleveNothingToAdd) << '\n';
  }
  if (ctx.json) VYXPrintJson(ctx, out);
  r.Close();
}

void Ignorer(VYXCliContext& ctx, const DecideArgs& args) {
  std::vector<long> lines = ArgLines(args.lignes);
  Releve r(ctx, args.view);
  VYXInternetDeleteDataAction action(r.Tel(), lines, r.Context());
  action.DoAction();
  nlohmann::json out = nlohmann::json::array();
  for (long l : lines) {
    out.push_back(l);
    if (!ctx.json) *ctx.out << VYXHelp(kVYXReleveTexts, kReleveIgnored, {std::to_string(l)}) << '\n';
  }
  if (ctx.json) VYXPrintJson(ctx, out);
  r.Close();
}

// ---- solde and date

void Solde(VYXCliContext& ctx, const std::string& compte) {
  Releve r(ctx, {compte, {}});
  const std::vector<VYXReleveFile::Balance>& balances = r.Tel().GetSoldes();
  const VYXReleveFile::Balance* latest = nullptr;
  for (const VYXReleveFile::Balance& b : balances)
    if (!latest || b.date >= latest->date) latest = &b;
  double cleared = r.Compte().GetSoldesValues()[kOpPointee];
  if (ctx.json) {
    nlohmann::json j = {{"soldePointe", VYXAmountJson(cleared)}};
    j["banque"] = latest ? nlohmann::json{{"date", VYXDateJson(latest->date)},
                                          {"solde", VYXAmountJson(latest->montant)},
                                          {"ecart", VYXAmountJson(latest->montant - cleared)}}
                         : nlohmann::json(nullptr);
    VYXPrintJson(ctx, j);
  } else if (!latest) {
    *ctx.out << VYXHelp(kVYXReleveTexts, kReleveNoBalance, {VYXText(r.Compte().GetName())}) << '\n';
    VYXTable table;
    table.AddColumn("");
    table.AddColumn("", VYXTable::kRight);
    table.AddRow({T(kReleveRowCleared), VYXAmountText(cleared)});
    table.Print(*ctx.out, false);
  } else {
    VYXTable table;
    table.AddColumn("");
    table.AddColumn("", VYXTable::kRight);
    table.AddRow({VYXHelp(kVYXReleveTexts, kReleveRowBank, {VYXDateText(latest->date)}),
                  VYXAmountText(latest->montant)});
    table.AddRow({T(kReleveRowCleared), VYXAmountText(cleared)});
    table.AddRow({T(kReleveRowGap), VYXAmountText(latest->montant - cleared)});
    table.Print(*ctx.out, false);
  }
  r.Close();
}

void Date(VYXCliContext& ctx, const std::string& compte, bool reset, bool back) {
  Releve r(ctx, {compte, {}});
  if (reset) r.Tel().DoUserInitLastDate();
  if (back) r.Tel().DoUserLastDateBackOneDay();
  CPDate last = r.Tel().GetLastDate();
  std::string name = VYXText(r.Compte().GetName());
  if (ctx.json) {
    VYXPrintJson(ctx, {{"derniereDate", VYXDateJson(last)}});
  } else if (last == 0) {
    *ctx.out << VYXHelp(kVYXReleveTexts, reset ? kReleveDateReset : kReleveNoDate, {name}) << '\n';
  } else {
    *ctx.out << VYXHelp(kVYXReleveTexts, back ? kReleveDateBack : kReleveDate,
                        {name, VYXDateText(last)})
             << '\n';
  }
  r.Close();
}

void AddView(CLI::App* sub, ViewArgs& view) {
  sub->add_option("COMPTE", view.compte, T(kReleveHelpCompte))->required();
  sub->add_option("--carte", view.carte, T(kReleveHelpCarte));
}

}  // namespace

void VYXAddReleveCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* releve = VYXAddSubcommand(&app, "releve", T(kReleveHelp));
  releve->require_subcommand(1);

  CLI::App* charger = VYXAddSubcommand(releve, "charger", T(kReleveHelpCharger));
  auto c = std::make_shared<ChargerArgs>();
  charger->add_option("COMPTE", c->compte, T(kReleveHelpCompte))->required();
  charger->add_option("FICHIER", c->fichier, T(kReleveHelpFichier))->required();
  charger->add_option("--format", c->format, T(kReleveHelpFormat));
  charger->add_option("--colonnes", c->colonnes, T(kReleveHelpColonnes));
  charger->add_option("--identifiant", c->identifiant, T(kReleveHelpIdentifiant));
  VYXAddJsonFlag(charger, ctx);
  VYXSetCommand(charger, [&ctx, c] { Charger(ctx, *c); });

  CLI::App* liste = VYXAddSubcommand(releve, "liste", T(kReleveHelpListe));
  auto lv = std::make_shared<ViewArgs>();
  auto tout = std::make_shared<bool>(false);
  AddView(liste, *lv);
  liste->add_flag("--tout", *tout, T(kReleveHelpTout));
  VYXAddJsonFlag(liste, ctx);
  VYXSetCommand(liste, [&ctx, lv, tout] { Liste(ctx, *lv, *tout); });

  CLI::App* proposer = VYXAddSubcommand(releve, "proposer", T(kReleveHelpProposer));
  auto pv = std::make_shared<ViewArgs>();
  AddView(proposer, *pv);
  VYXAddJsonFlag(proposer, ctx);
  VYXSetCommand(proposer, [&ctx, pv] { Proposer(ctx, *pv); });

  CLI::App* valider = VYXAddSubcommand(releve, "valider", T(kReleveHelpValider));
  auto va = std::make_shared<DecideArgs>();
  AddView(valider, va->view);
  valider->add_option("LIGNE", va->lignes, T(kReleveHelpLigne))->required();
  valider->add_option("--ope", va->ope, T(kReleveHelpOpe));
  VYXAddJsonFlag(valider, ctx);
  VYXSetCommand(valider, [&ctx, va] { Valider(ctx, *va); });

  CLI::App* ajouter = VYXAddSubcommand(releve, "ajouter", T(kReleveHelpAjouter));
  auto aa = std::make_shared<DecideArgs>();
  AddView(ajouter, aa->view);
  ajouter->add_option("LIGNE", aa->lignes, T(kReleveHelpLigne));
  ajouter->add_flag("--restantes", aa->restantes, T(kReleveHelpRestantes));
  VYXAddJsonFlag(ajouter, ctx);
  VYXSetCommand(ajouter, [&ctx, aa] { Ajouter(ctx, *aa); });

  CLI::App* ignorer = VYXAddSubcommand(releve, "ignorer", T(kReleveHelpIgnorer));
  auto ia = std::make_shared<DecideArgs>();
  AddView(ignorer, ia->view);
  ignorer->add_option("LIGNE", ia->lignes, T(kReleveHelpLigne))->required();
  VYXAddJsonFlag(ignorer, ctx);
  VYXSetCommand(ignorer, [&ctx, ia] { Ignorer(ctx, *ia); });

  CLI::App* solde = VYXAddSubcommand(releve, "solde", T(kReleveHelpSolde));
  auto sc = std::make_shared<std::string>();
  solde->add_option("COMPTE", *sc, T(kReleveHelpCompte))->required();
  VYXAddJsonFlag(solde, ctx);
  VYXSetCommand(solde, [&ctx, sc] { Solde(ctx, *sc); });

  CLI::App* date = VYXAddSubcommand(releve, "date", T(kReleveHelpDate));
  auto dc = std::make_shared<std::string>();
  auto reset = std::make_shared<bool>(false);
  auto back = std::make_shared<bool>(false);
  date->add_option("COMPTE", *dc, T(kReleveHelpCompte))->required();
  auto* r = date->add_flag("--reinitialiser", *reset, T(kReleveHelpReinitialiser));
  date->add_flag("--reculer", *back, T(kReleveHelpReculer))->excludes(r);
  VYXAddJsonFlag(date, ctx);
  VYXSetCommand(date, [&ctx, dc, reset, back] { Date(ctx, *dc, *reset, *back); });
}
