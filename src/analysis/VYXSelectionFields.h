// Internal to the selection of operations: what a record offers to the
// criteria, an operation's fields, or a split line's with its operation's
// where it has none (date, payment mode, cheque, status, bank date,
// statement, voucher).
#ifndef VYX_ANALYSIS_VYXSELECTIONFIELDS_H_
#define VYX_ANALYSIS_VYXSELECTIONFIELDS_H_

#include "accounts/Operation.h"
#include "accounts/SousOperation.h"

struct VYXSelectionFields {
  CPDate date = 0, datePointe = 0;
  ConstStringPtr libelle = nullptr, noCheque = nullptr, releve = nullptr, noPiece = nullptr;
  double montant = 0, montantTva = 0;
  CPResID mode = 0, tva = 0, categorie = 0, tiers = 0, affaire = 0, affectation = 0;
  int mois = 0;
  OpStatus status = 0;
  const Operation* op = nullptr;  // the record when it is an operation, null for a line
};

inline VYXSelectionFields VYXFieldsOfOperation(const Operation& op) {
  VYXSelectionFields f;
  f.date = op.date;
  f.datePointe = op.datePointe;
  f.libelle = op.libelle;
  f.noCheque = op.noCheque;
  f.releve = op.releve;
  f.noPiece = op.noPiece;
  f.montant = op.montant;
  f.montantTva = op.montantTva;
  f.mode = op.mode;
  f.tva = op.tva;
  f.categorie = op.categorie;
  f.tiers = op.tiers;
  f.affaire = op.affaire;
  f.affectation = op.affectation;
  f.mois = op.mois;
  f.status = op.status;
  f.op = &op;
  return f;
}

inline VYXSelectionFields VYXFieldsOfLine(const SousOperation& line, const Operation& op) {
  VYXSelectionFields f = VYXFieldsOfOperation(op);
  f.libelle = line.libelle;
  f.montant = line.montant;
  f.montantTva = line.montantTva;
  f.tva = line.tva;
  f.categorie = line.categorie;
  f.tiers = line.tiers;
  f.affaire = line.affaire;
  f.affectation = line.affectation;
  f.mois = line.mois;
  f.op = nullptr;
  return f;
}

#endif  // VYX_ANALYSIS_VYXSELECTIONFIELDS_H_
