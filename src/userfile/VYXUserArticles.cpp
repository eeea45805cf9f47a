// The user file's own records that name list items: articles name a
// category and a VAT rate; documents name a customer, a payment mode, a case,
// an allocation, and their lines an article and a VAT rate. Replacing or
// deleting an item rewrites them; they count as uses of the item.
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "userfile/VYXUserPreferences.h"

namespace {

// Moves the references of a document to `oldID` of `list` to `newID`;
// true when something changed.
bool ChangeInFacture(Facture& f, VYXSharedList list, CPResID oldID, CPResID newID) {
  bool changed = false;
  auto move = [&](auto& field) {
    if (field == oldID) {
      field = newID;
      changed = true;
    }
  };
  FactureHeader& h = f.header;
  switch (list) {
    case VYXSharedList::kTiers: {
      CPResID client = h.client;
      move(client);
      h.client = client;
      break;
    }
    case VYXSharedList::kMode: {
      CPResID mode = h.mode;
      move(mode);
      h.mode = mode;
      break;
    }
    case VYXSharedList::kAffaire: {
      CPResID affaire = h.affaire;
      move(affaire);
      h.affaire = affaire;
      break;
    }
    case VYXSharedList::kAffectation: {
      CPResID affectation = h.affectation;
      move(affectation);
      h.affectation = affectation;
      break;
    }
    case VYXSharedList::kTauxTVA:
      for (LigneFacture& ligne : f.lignes) {
        CPResID taux = ligne.tauxTVA;
        move(taux);
        ligne.tauxTVA = taux;
      }
      break;
    case VYXSharedList::kCategorie:
      break;
  }
  return changed;
}

// The document's number, for a message naming what uses an item.
void NameOf(const Facture& f, StringPtr user) {
  if (user) f.GetNumero(user);
}

}  // namespace

void VYXUserPreferences::ChangeUserRecords(VYXSharedList list, CPResID oldID, CPResID newID) {
  if (oldID == 0 || oldID == newID) return;
  Exclusive hold(*this);
  if (list == VYXSharedList::kCategorie || list == VYXSharedList::kTauxTVA) {
    VYXUserArticlesSet& articles = GetArticles();
    for (CPResID id : CPResourceIDsInOrder(articles)) {
      Article article;
      if (!articles.ReadResource(id, &article)) continue;
      bool categorie = list == VYXSharedList::kCategorie;
      if ((categorie ? article.categorie : article.tauxTVA) != oldID) continue;
      if (categorie) {
        article.categorie = newID;
      } else {
        article.tauxTVA = newID;
      }
      articles.SetResource(id, article);
    }
  }
  for (int32_t n = 1; n <= GetNbOfFactures(); ++n) {
    Facture facture;
    if (!GetFacture(n, &facture)) continue;
    Facture old = facture;
    if (ChangeInFacture(facture, list, oldID, newID)) ModifyFacture(n, old, facture);
  }
}

bool VYXUserPreferences::UserRecordsUse(VYXSharedList list, CPResID id, StringPtr user) {
  if (id == 0) return false;
  if (list == VYXSharedList::kCategorie || list == VYXSharedList::kTauxTVA) {
    VYXUserArticlesSet& articles = GetArticles();
    for (CPResID articleID : CPResourceIDsInOrder(articles)) {
      Article article;
      if (!articles.ReadResource(articleID, &article)) continue;
      CPResID field = list == VYXSharedList::kCategorie ? article.categorie : article.tauxTVA;
      if (field != id) continue;
      if (user) articles.GetResourceName(articleID, user);
      return true;
    }
  }
  for (int32_t n = 1; n <= GetNbOfFactures(); ++n) {
    Facture facture;
    if (!GetFacture(n, &facture)) continue;
    // A document names the item when taking it out would change it.
    if (ChangeInFacture(facture, list, id, 0)) {
      NameOf(facture, user);
      return true;
    }
  }
  return false;
}

// ---- Articles

void VYXUserPreferences::RenameArticle(CPResID id, ConstStringPtr name) {
  Exclusive hold(*this);
  VYXUserArticlesSet& set = GetArticles();
  Str255 old;
  try {
    if (!set.ResourceExists(id)) return;
    set.GetResourceName(id, old);
  } catch (const CPException&) {
    return;
  }
  CPResID other = set.ResourceExists(name) ? set.GetResourceID(name) : 0;
  if (other == id && CPStrEqual(old, name)) return;
  if (other != 0 && other != id) {
    ChangeArticle(id, other);
    set.RemoveResource(id);
  } else {
    set.SetResourceName(id, name);
  }
}

void VYXUserPreferences::ChangeArticle(CPResID oldID, CPResID newID) {
  if (oldID == 0 || oldID == newID) return;
  Exclusive hold(*this);
  for (int32_t n = 1; n <= GetNbOfFactures(); ++n) {
    Facture facture;
    if (!GetFacture(n, &facture)) continue;
    Facture old = facture;
    bool changed = false;
    for (LigneFacture& ligne : facture.lignes) {
      if (ligne.article != oldID) continue;
      ligne.article = newID;
      changed = true;
    }
    if (changed) ModifyFacture(n, old, facture);
  }
}

bool VYXUserPreferences::ArticleIsUsed(CPResID id, StringPtr user) {
  if (user) user[0] = 0;
  if (id == 0 || !GetArticles().ResourceExists(id)) return false;
  for (int32_t n = 1; n <= GetNbOfFactures(); ++n) {
    Facture facture;
    if (!GetFacture(n, &facture)) continue;
    for (const LigneFacture& ligne : facture.lignes) {
      if (ligne.article != id) continue;
      NameOf(facture, user);
      return true;
    }
  }
  return false;
}
