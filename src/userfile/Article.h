// An article of the user file's catalogue ("ARTI" set, 80 bytes): what an
// invoice line may name. The resource name is the article's label; its
// category and VAT rate are items of the user file's lists.
#ifndef VYX_USERFILE_ARTICLE_H_
#define VYX_USERFILE_ARTICLE_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

#pragma pack(push, 1)

struct Article {
  Str12 reference = {};     // 'ref '
  uint8_t unused1 = 0;
  double prixUnitaire = 0;  // 'pu  ', without VAT, eco-contribution included
  CPResID tauxTVA = 0;      // 'taux'
  CPResID categorie = 0;    // 'cate'
  Boolean catalogue = 1;    // 'cata': offered when lines are typed
  uint8_t unused2 = 0;
  CPResID couleur = 0;      // 'colr'
  Str31 code = {};          // 'code'
  double prixAchat = 0;     // 'pa  ', purchase price: the cost of a line
  double ecoParticipation = 0;  // 'ecoP', per unit
  // 'qdec': decimals of quantities; -1 lets the quantity show what it needs.
  int16_t decimalesQuantite = -1;

  Article() = default;

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(Article) == 80);
static_assert(std::is_trivially_copyable_v<Article>);
static_assert(offsetof(Article, prixUnitaire) == 14);
static_assert(offsetof(Article, tauxTVA) == 22);
static_assert(offsetof(Article, categorie) == 24);
static_assert(offsetof(Article, catalogue) == 26);
static_assert(offsetof(Article, couleur) == 28);
static_assert(offsetof(Article, code) == 30);
static_assert(offsetof(Article, prixAchat) == 62);
static_assert(offsetof(Article, ecoParticipation) == 70);
static_assert(offsetof(Article, decimalesQuantite) == 78);

#endif  // VYX_USERFILE_ARTICLE_H_
