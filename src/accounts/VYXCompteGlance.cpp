#include "accounts/VYXCompteGlance.h"

#include "accounts/TauxTVA.h"
#include "accounts/VYXSDBCompte.h"
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "resources/CPResourceSet_T.h"

bool VYXGlanceCompte(const CPFileRef& file, VirementKey key, VYXCompteGlance* glance) {
  CPSimpleDBFile db(file);
  try {
    db.OpenWritingLater(kVYXCompteContentVersion);
  } catch (const CPException&) {
    return false;
  }
  bool read = false;
  try {
    VYXSDBCompteInfosHandler infosTable(&db);
    CompteInfos infos;
    if (infosTable.Read(&infos) && infos.fileVersion == 0) {
      glance->lockDate = infos.lockDate;
      glance->devise = infos.devise;
      glance->type = infos.typeOfCompte == 0 ? 1 : infos.typeOfCompte;
      glance->hasTwin = false;
      glance->twinLines.clear();
      glance->twinTvaName.clear();
      VYXSDBOperationHandler operations(&db);
      CPSimpleDBDataInfo info;
      CPSimpleDBRefnum refnum = 0;
      for (bool more = key != 0 && operations.GetFirstData(&info, &refnum); more;
           more = operations.GetNextData(&info, &refnum)) {
        Operation op;
        operations.GetData(refnum, &info, &op);
        if (op.virementTargetKey == key) {
          glance->hasTwin = true;
          glance->twin = op;
          break;
        }
      }
      if (glance->hasTwin) {
        VYXSDBSousOperationHandler lines(&db);
        for (bool more = lines.GetFirstData(&info, &refnum); more;
             more = lines.GetNextData(&info, &refnum)) {
          SousOperation line;
          lines.GetData(refnum, &info, &line);
          if (line.operation == uint16_t(glance->twin.header.dataID)) {
            glance->twinLines.push_back(line);
          }
        }
        if (glance->twin.tva != 0) {
          CPSimpleDBResourceStorage storage(&db, kVYXCompteStorageID);
          CPResourceSet_T<TauxTVA> tvas(storage, 'TVA ');
          if (tvas.ResourceExists(CPResID(glance->twin.tva))) {
            Str255 name;
            tvas.GetResourceName(glance->twin.tva, name);
            glance->twinTvaName = PToStd(name);
          }
        }
      }
      read = true;
    }
  } catch (const CPException&) {
    read = false;
  }
  try {
    db.Close();
  } catch (const CPException&) {
    return false;
  }
  return read;
}
