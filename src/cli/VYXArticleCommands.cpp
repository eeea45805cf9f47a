// `vyx article`: the catalogue of articles that invoice lines name, added,
// listed, changed and deleted. An article's name is its label; its VAT rate
// and category are items of the dossier's lists, named as `vyx liste` shows
// them.
#include <memory>
#include <ostream>

#include "accounts/VYXCompteErrors.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXFactureCli.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

enum : int {
  kHelpArticle = 1,
  kHelpAjouter,
  kHelpListe,
  kHelpModifier,
  kHelpSupprimer,
  kHelpNom,
  kHelpNouveauNom,
  kHelpReference,
  kHelpPrix,
  kHelpTva,
  kHelpCategorie,
  kHelpEco,
  kHelpPrixAchat,
  kHelpCode,
  kHelpDecimales,
  kColNom = 20,
  kColReference,
  kColPrix,
  kColTva,
  kColCategorie,
  kColEco,
  kAdded = 30,  // ^1: the name (^2: the name asked for, when it was taken)
  kAddedRenamed,
  kModified,       // ^1: the name
  kDeleted,        // ^1: the name
  kNone,
  kNoName,
  kTooLong,        // ^1: the field, ^2: the text, ^3: its width
  kConfirmDelete,  // ^1: the article, ^2: a document that has it
  kBadDecimales,   // ^1: the text typed
  kNothingToChange,
  kFieldReference = 40,
  kFieldCode,
};

std::string T(int item, std::initializer_list<std::string> vars = {}) {
  return VYXHelp(kVYXArticleTexts, item, vars);
}

std::string ListName(VYXCompteList list) {
  return CPGetListString(kVYXCompteErrorsList, kVYXListNamesFirstItem + int(list));
}

struct ArticleArgs {
  std::string nom;
  std::optional<std::string> nouveau, reference, prix, tva, categorie, eco, prixAchat, code,
      decimales;
};

void AddOptions(CLI::App* sub, ArticleArgs& a) {
  auto opt = [sub](const char* name, std::optional<std::string>& slot, int help) {
    sub->add_option_function<std::string>(
        name, [&slot](const std::string& s) { slot = s; }, T(help));
  };
  opt("--reference", a.reference, kHelpReference);
  opt("--prix", a.prix, kHelpPrix);
  opt("--tva", a.tva, kHelpTva);
  opt("--categorie", a.categorie, kHelpCategorie);
  opt("--eco", a.eco, kHelpEco);
  opt("--prix-achat", a.prixAchat, kHelpPrixAchat);
  opt("--code", a.code, kHelpCode);
  opt("--decimales", a.decimales, kHelpDecimales);
}

// A text into a field of `width` characters; refused when longer.
template <size_t N>
void SetText(unsigned char (&field)[N], const std::string& utf8, int name) {
  std::string text = VYXArgText(utf8);
  if (text.size() > N - 1) {
    CPThrowList(paramErr, kVYXArticleTexts, kTooLong,
                {CPGetListString(kVYXArticleTexts, name), text, std::to_string(N - 1)});
  }
  StdToP(text, field, int(N - 1));
}

// The options given, read into `a`; the list items found in the dossier.
void Apply(VYXUserPreferences& user, const ArticleArgs& args, Article& a) {
  if (args.reference) SetText(a.reference, *args.reference, kFieldReference);
  if (args.code) SetText(a.code, *args.code, kFieldCode);
  if (args.prix) a.prixUnitaire = VYXArgAmount(*args.prix);
  if (args.eco) a.ecoParticipation = VYXArgAmount(*args.eco);
  if (args.prixAchat) a.prixAchat = VYXArgAmount(*args.prixAchat);
  if (args.decimales) {
    a.decimalesQuantite =
        int16_t(VYXArgLong(*args.decimales, -1, 6, kVYXArticleTexts, kBadDecimales));
  }
  if (args.tva) {
    a.tauxTVA = VYXFindUserItem(user.GetTauxTVA(), ListName(kVYXListTauxTVA), VYXArgText(*args.tva));
  }
  if (args.categorie) {
    a.categorie = VYXFindUserItem(user.GetCategories(), ListName(kVYXListCategories),
                                  VYXArgText(*args.categorie));
  }
}

nlohmann::json Json(VYXUserPreferences& user, CPResID id, const Article& a) {
  return {{"id", id},
          {"nom", VYXUserItemName(user.GetArticles(), id)},
          {"reference", VYXText(PToStd(a.reference))},
          {"prixUnitaire", VYXAmountJson(a.prixUnitaire)},
          {"tva", VYXUserItemName(user.GetTauxTVA(), a.tauxTVA)},
          {"categorie", VYXUserItemName(user.GetCategories(), a.categorie)},
          {"ecoParticipation", VYXAmountJson(a.ecoParticipation)},
          {"prixAchat", VYXAmountJson(a.prixAchat)},
          {"code", VYXText(PToStd(a.code))},
          {"decimalesQuantite", int16_t(a.decimalesQuantite)}};
}

void Ajouter(VYXCliContext& ctx, const ArticleArgs& args) {
  std::string name = VYXArgText(args.nom);
  if (name.empty()) CPThrowList(paramErr, kVYXArticleTexts, kNoName);
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  Article a;
  Apply(user, args, a);
  CPResID id = user.AddItem(user.GetArticles(), CPString::FromStd(name), &a, sizeof a);
  std::string given = VYXUserItemName(user.GetArticles(), id);
  if (ctx.json) {
    VYXPrintJson(ctx, Json(user, id, a));
  } else {
    *ctx.out << (given == VYXText(name) ? T(kAdded, {given}) : T(kAddedRenamed, {given, VYXText(name)}))
             << '\n';
  }
  session.Close();
}

void Liste(VYXCliContext& ctx) {
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  VYXTable table;
  table.AddColumn(T(kColNom));
  table.AddColumn(T(kColReference));
  table.AddColumn(T(kColPrix), VYXTable::kRight);
  table.AddColumn(T(kColTva));
  table.AddColumn(T(kColCategorie));
  table.AddColumn(T(kColEco), VYXTable::kRight);
  nlohmann::json out = nlohmann::json::array();
  for (CPResID id : CPResourceIDsInOrder(user.GetArticles())) {
    Article a;
    if (!user.GetArticles().ReadResource(id, &a)) continue;
    out.push_back(Json(user, id, a));
    table.AddRow({VYXUserItemName(user.GetArticles(), id), VYXText(PToStd(a.reference)),
                  VYXAmountText(a.prixUnitaire), VYXUserItemName(user.GetTauxTVA(), a.tauxTVA),
                  VYXUserItemName(user.GetCategories(), a.categorie),
                  double(a.ecoParticipation) != 0 ? VYXAmountText(a.ecoParticipation) : ""});
  }
  if (ctx.json) {
    VYXPrintJson(ctx, out);
  } else if (out.empty()) {
    *ctx.out << T(kNone) << '\n';
  } else {
    table.Print(*ctx.out);
  }
  session.Close();
}

void Modifier(VYXCliContext& ctx, const ArticleArgs& args) {
  std::optional<std::string> nouveau;
  if (args.nouveau) nouveau = VYXArgText(*args.nouveau);
  if (nouveau && nouveau->empty()) CPThrowList(paramErr, kVYXArticleTexts, kNoName);
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  auto hold = std::make_unique<VYXUserPreferences::Exclusive>(user);
  VYXUserArticlesSet& articles = user.GetArticles();
  CPResID id = VYXFindUserItem(articles, CPGetListString(kVYXFactureTexts, kFacListArticles),
                               VYXArgText(args.nom));
  Article a;
  articles.GetResource(id, &a);
  Article before = a;
  Apply(user, args, a);
  bool renamed = false;
  if (nouveau) {
    Str255 current;
    articles.GetResourceName(id, current);
    renamed = PToStd(current) != *nouveau;
  }
  if (!renamed && std::memcmp(&a, &before, sizeof a) == 0) {
    CPThrowList(paramErr, kVYXArticleTexts, kNothingToChange);
  }
  if (std::memcmp(&a, &before, sizeof a) != 0) articles.SetResource(id, a);
  // To another article's name, the two merge: the lines of this one move there.
  if (renamed) user.RenameArticle(id, CPString::FromStd(*nouveau));
  if (!articles.ResourceExists(id)) id = articles.GetResourceID(CPString::FromStd(*nouveau));
  articles.GetResource(id, &a);
  if (ctx.json) {
    VYXPrintJson(ctx, Json(user, id, a));
  } else {
    *ctx.out << T(kModified, {VYXUserItemName(articles, id)}) << '\n';
  }
  hold.reset();
  session.Close();
}

void Supprimer(VYXCliContext& ctx, const std::string& nom) {
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  auto hold = std::make_unique<VYXUserPreferences::Exclusive>(user);
  VYXUserArticlesSet& articles = user.GetArticles();
  CPResID id = VYXFindUserItem(articles, CPGetListString(kVYXFactureTexts, kFacListArticles),
                               VYXArgText(nom));
  std::string name = Utf8ToMacRoman(VYXUserItemName(articles, id));
  Str255 document;
  if (user.ArticleIsUsed(id, document)) {
    // Its lines keep their label, price and rate; only the link goes.
    std::string question = CPGetListString(kVYXArticleTexts, kConfirmDelete);
    CPReplaceVar(question, 1, name);
    CPReplaceVar(question, 2, PToStd(document));
    if (!CPGetInteraction().AskYesNo(question, false)) CPThrowCancel();
  }
  Article a;
  articles.GetResource(id, &a);
  nlohmann::json was = Json(user, id, a);
  user.ArticleToBeDeleted(id);
  articles.RemoveResource(id);
  if (ctx.json) {
    VYXPrintJson(ctx, was);
  } else {
    *ctx.out << T(kDeleted, {VYXText(name)}) << '\n';
  }
  hold.reset();
  session.Close();
}

}  // namespace

void VYXAddArticleCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* article = VYXAddSubcommand(&app, "article", T(kHelpArticle));
  article->require_subcommand(1);

  CLI::App* ajouter = VYXAddSubcommand(article, "ajouter", T(kHelpAjouter));
  auto add = std::make_shared<ArticleArgs>();
  ajouter->add_option("NOM", add->nom, T(kHelpNom))->required();
  AddOptions(ajouter, *add);
  VYXAddJsonFlag(ajouter, ctx);
  VYXSetCommand(ajouter, [&ctx, add] { Ajouter(ctx, *add); });

  CLI::App* liste = VYXAddSubcommand(article, "liste", T(kHelpListe));
  VYXAddJsonFlag(liste, ctx);
  VYXSetCommand(liste, [&ctx] { Liste(ctx); });

  CLI::App* modifier = VYXAddSubcommand(article, "modifier", T(kHelpModifier));
  auto mod = std::make_shared<ArticleArgs>();
  modifier->add_option("NOM", mod->nom, T(kHelpNom))->required();
  modifier->add_option_function<std::string>(
      "--nom", [mod](const std::string& s) { mod->nouveau = s; }, T(kHelpNouveauNom));
  AddOptions(modifier, *mod);
  VYXAddJsonFlag(modifier, ctx);
  VYXSetCommand(modifier, [&ctx, mod] { Modifier(ctx, *mod); });

  CLI::App* supprimer = VYXAddSubcommand(article, "supprimer", T(kHelpSupprimer));
  auto nom = std::make_shared<std::string>();
  supprimer->add_option("NOM", *nom, T(kHelpNom))->required();
  VYXAddJsonFlag(supprimer, ctx);
  VYXSetCommand(supprimer, [&ctx, nom] { Supprimer(ctx, *nom); });
}
