// A station of the shared-dossier tests: a separate process that opens a
// dossier and works in it on command, one line in, one answer line out
// ("ok", a result, or "erreur CODE").
//
//   ouvrir DOSSIER            opens the dossier
//   ajouter PREFIXE N         adds the categories PREFIXE-1 ... PREFIXE-N
//   commun NOM                adds a category NOM (suffixed if taken)
//   compte FICHIER            makes an account file and lists it
//   renommer ANCIEN NOUVEAU   renames a category
//   decimales N | milliers 0|1
//   voir                      reads the others' changes: "CATEGORIES COMPTES"
//   fermer | quit
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "userfile/VYXSDBUserPreferences.h"

int main() {
  std::unique_ptr<VYXSDBUserPreferences> user;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    try {
      if (command == "quit") break;
      if (command == "ouvrir") {
        std::string path;
        std::getline(in >> std::ws, path);
        user = std::make_unique<VYXSDBUserPreferences>(CPFileRef(path));
        user->IUserPreferences(false);
      } else if (command == "ajouter") {
        std::string prefix;
        int count = 0;
        in >> prefix >> count;
        for (int i = 1; i <= count; ++i) {
          CPString name = CPString::FromStd(prefix + "-" + std::to_string(i));
          Categorie c;
          user->AddItem(user->GetCategories(), name, &c, sizeof c);
        }
      } else if (command == "commun") {
        std::string name;
        in >> name;
        Categorie c;
        user->AddItem(user->GetCategories(), CPString::FromStd(name), &c, sizeof c);
      } else if (command == "compte") {
        std::string path;
        std::getline(in >> std::ws, path);
        CPFileRef file(path);
        CPFileSystem::Create(file, 'VyxP', 'CPT5', true);
        user->AddCompte(file);
      } else if (command == "renommer") {
        std::string from, to;
        in >> from >> to;
        CPString old = CPString::FromStd(from);
        user->UpdateSharedData();
        user->RenameCategorie(user->GetCategories().GetResourceID(old), CPString::FromStd(to));
      } else if (command == "decimales") {
        int n = 0;
        in >> n;
        user->SetDecimals(kDecimalsMontants, int16_t(n));
      } else if (command == "milliers") {
        int on = 0;
        in >> on;
        user->SetThousandsSeparator(on != 0);
      } else if (command == "voir") {
        user->UpdateSharedData();
        std::cout << user->GetCategories().GetResourcesCount() << " " << user->GetNbOfComptes()
                  << std::endl;
        continue;
      } else if (command == "fermer") {
        user->Close();
        user.reset();
      } else {
        std::cout << "erreur commande" << std::endl;
        continue;
      }
      std::cout << "ok" << std::endl;
    } catch (const CPException& e) {
      std::cout << "erreur " << e.Code() << std::endl;
    }
  }
  if (user) user->Close();
  return 0;
}
