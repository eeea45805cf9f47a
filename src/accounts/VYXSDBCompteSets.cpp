#include "accounts/VYXSDBCompteSets.h"

VYXCompteSets::VYXCompteSets(CPResourceStorage& s)
    : indexes(s, 'HIER', kCPVariableSize),
      preferences(s, 'PREF', kCPVariableSize),
      categories(s, 'CATE', indexes, kVYXCategoriesIndexID),
      affectations(s, 'AFFE', indexes, kVYXAffectationsIndexID),
      tiers(s, 'CLFO', indexes, kVYXTiersIndexID),
      affaires(s, 'AFFA', indexes, kVYXAffairesIndexID),
      tvas(s, 'TVA ', indexes, kVYXTauxTVAIndexID),
      modes(s, 'MODE', indexes, kVYXModesIndexID),
      targets(s, 'DEST'),
      chequiers(s, 'CHQS'),
      opAutos(s, 'AUTO'),
      autoSousOps(s, 'AUSO', kCPVariableSize),
      opGenerates(s, 'GNRT'),
      opPreds(s, 'PDEF'),
      predSousOps(s, 'PDSO', kCPVariableSize),
      sousOpPreds(s, 'SPDF'),
      dico(s, 'TIER', 0, indexes, kVYXDicoIndexID),
      titres(s, 'TITR', kCPVariableSize),
      libelles(s, 'LIBM'),
      filters(s, 'FLTR', kCPVariableSize),
      filtersSets(s, 'FLTS', kCPVariableSize),
      selections(s, 'SEL ', kCPVariableSize),
      virementEvts(s, 'VRMT', kCPVariableSize),
      simulations(s, 'SIMU', kCPVariableSize),
      placementEmprunts(s, 'PLEM', kCPVariableSize),
      listColumns(s, 'LCOL', kCPVariableSize),
      moduleDisplayPrefs(s),
      tablePrefs(s),
      windowPos(s),
      pageSetup(s),
      notesText(s, 'TEXT', kCPVariableSize),
      notesStyle(s, 'styl', kCPVariableSize),
      smallNotesText(s),
      smallNotesStyle(s),
      smallNotesInfos(s) {}

void VYXCompteSets::SaveIndexes() {
  for (CPResourceSet* set :
       {static_cast<CPResourceSet*>(&categories), static_cast<CPResourceSet*>(&affectations),
        static_cast<CPResourceSet*>(&tiers), static_cast<CPResourceSet*>(&affaires),
        static_cast<CPResourceSet*>(&tvas), static_cast<CPResourceSet*>(&modes),
        static_cast<CPResourceSet*>(&dico)}) {
    set->SaveIndex();
  }
}
