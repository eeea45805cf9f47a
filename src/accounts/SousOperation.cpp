#include "accounts/SousOperation.h"

#include "accounts/Operation.h"
#include "accounts/VYXRecordCodec.h"

SousOperation::SousOperation(const Operation& op) {
  header.dataID = static_cast<DataID>(int32_t(op.sousOpsNbr) + 1);
  operation = static_cast<uint16_t>(op.header.dataID);
  tva = op.tva;
  categorie = op.categorie;
  mois = op.mois;
  tiers = op.tiers;
  affaire = op.affaire;
  affectation = op.affectation;
}

void SousOperation::SwapFields() {
  operation = VYXSwapped(operation);
  montant = VYXSwapped(montant);
  tva = VYXSwapped(tva);
  montantTva = VYXSwapped(montantTva);
  categorie = VYXSwapped(categorie);
  mois = VYXSwapped(mois);
  tiers = VYXSwapped(tiers);
  affaire = VYXSwapped(affaire);
  montantOrigine = VYXSwapped(montantOrigine);
  affectation = VYXSwapped(affectation);
  note = VYXSwapped(note);
  pj = VYXSwapped(pj);
  pourcentagePerso = VYXSwapped(pourcentagePerso);
}

void SousOperation::ByteSwap() {
  header.ByteSwap();
  SwapFields();
}

void SousOperation::Encode(const CPDataEncoding& e) {
  header.Encode(e);
  VYXEncodeText(libelle, e);
  deviseOrigine = CPCodeToStored(deviseOrigine);
  if (CPNeedByteSwapping(e)) SwapFields();
}

void SousOperation::Decode(const CPDataEncoding& e) {
  header.Decode(e);
  if (CPNeedByteSwapping(e)) SwapFields();
  deviseOrigine = CPCodeFromStored(deviseOrigine);
  VYXDecodeText(libelle, e);
}
