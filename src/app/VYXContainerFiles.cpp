// The container's operations on the files of dossiers and accounts. Each
// answers false rather than raise: the caller tells the user.
#include <fcntl.h>
#include <stdio.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>

#include "app/VYXContainer.h"
#include "foundation/CPException.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPSimpleDBShareFile.h"
#include "userfile/VYXCompteFiles.h"

namespace fs = std::filesystem;

namespace {

// Exchanges two files in one step where the file system can, else through a
// third name.
bool SwapPaths(const fs::path& a, const fs::path& b) {
#ifdef SYS_renameat2
  constexpr unsigned kExchange = 2;  // RENAME_EXCHANGE
  if (syscall(SYS_renameat2, AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), kExchange) == 0) return true;
#endif
  fs::path temp = a;
  temp += ".echange";
  std::error_code ec;
  if (fs::exists(temp, ec)) return false;
  fs::rename(a, temp, ec);
  if (ec) return false;
  fs::rename(b, a, ec);
  if (ec) {
    fs::rename(temp, a, ec);
    return false;
  }
  fs::rename(temp, b, ec);
  return !ec;
}

bool IsFile(const CPFileRef& file) {
  std::error_code ec;
  return fs::is_regular_file(file.Path(), ec);
}

// The file name for a name typed inside vyx (MacRoman): empty when it cannot
// name a file of its own.
std::string FileNameOf(const std::string& name) {
  std::string utf8 = MacRomanToUtf8(name);
  if (utf8.empty() || utf8 == "." || utf8 == ".." || utf8.find('/') != std::string::npos ||
      utf8.find('\0') != std::string::npos) {
    return {};
  }
  return utf8;
}

}  // namespace

// ---- Dossiers

bool VYXContainer::CopyUserPrefsFile(const CPFileRef& from, const CPFileRef& to) {
  if (!VYXIsUserFile(from) || to.Exists()) return false;
  if (CPFileSystem::Copy(from, to) != 0) return false;
  // The log goes with the copy: the copy's header says it has one. The share
  // file says who works in the original and stays with it.
  CPFileRef log = VYXCompanionFiles(from)[0];
  if (log.Exists() && CPFileSystem::Copy(log, VYXCompanionFiles(to)[0]) != 0) {
    CPFileSystem::Delete(to);
    return false;
  }
  return true;
}

bool VYXContainer::SwapUserPrefsFiles(const CPFileRef& a, const CPFileRef& b) {
  if (!VYXIsUserFile(a) || !VYXIsUserFile(b) || a.SameFile(b)) return false;
  if (userPrefs_ &&
      (a.SameFile(userPrefs_->GetFileSpec()) || b.SameFile(userPrefs_->GetFileSpec()))) {
    return false;
  }
  if (!SwapPaths(a.Path(), b.Path())) return false;
  std::vector<CPFileRef> ca = VYXCompanionFiles(a), cb = VYXCompanionFiles(b);
  for (size_t i = 0; i < ca.size(); ++i) {
    bool hasA = ca[i].Exists(), hasB = cb[i].Exists();
    std::error_code ec;
    if (hasA && hasB) {
      SwapPaths(ca[i].Path(), cb[i].Path());
    } else if (hasA) {
      fs::rename(ca[i].Path(), cb[i].Path(), ec);
    } else if (hasB) {
      fs::rename(cb[i].Path(), ca[i].Path(), ec);
    }
  }
  return true;
}

bool VYXContainer::DeleteUserPrefsFile(const CPFileRef& file) {
  if (!IsFile(file)) return false;
  if (userPrefs_ && file.SameFile(userPrefs_->GetFileSpec())) return false;
  if (CPFileSystem::Delete(file) != 0) return false;
  for (const CPFileRef& companion : VYXCompanionFiles(file)) {
    if (companion.Exists()) CPFileSystem::Delete(companion);
  }
  if (globalPrefs_) globalPrefs_->RemoveRecentDocument(file);
  return true;
}

bool VYXContainer::RenameUserPrefsFile(const CPFileRef& file, const std::string& name) {
  lastError_ = 0;
  std::string fileName = FileNameOf(name);
  if (fileName.empty()) {
    lastError_ = bdNamErr;
    return false;
  }
  if (fs::path(fileName).extension().empty()) fileName += kVYXUserFileExtension;
  if (!VYXIsUserFile(file) || (userPrefs_ && file.SameFile(userPrefs_->GetFileSpec()))) {
    lastError_ = paramErr;
    return false;
  }
  const CPFileRef to = file.Sibling(fileName);
  std::vector<CPFileRef> from = {file}, into = {to};
  for (const CPFileRef& c : VYXCompanionFiles(file)) from.push_back(c);
  for (const CPFileRef& c : VYXCompanionFiles(to)) into.push_back(c);
  for (const CPFileRef& target : into) {
    if (target.Exists()) {
      lastError_ = dupFNErr;
      return false;
    }
  }
  // Held through the renames: a station that has the dossier open (or comes
  // to open it meanwhile) would go on under the old names.
  CPSimpleDBShareFile share(from.back(), kVYXUserFileCreator);
  try {
    share.Open();
  } catch (const CPException& e) {
    lastError_ = e.Code();
    return false;
  }
  if (share.OthersPresent() || !share.TryLock(false)) {
    lastError_ = fBsyErr;
    return false;
  }
  size_t done = 0;
  for (; done < from.size(); ++done) {
    if (!from[done].Exists()) continue;
    if (OSErr err = CPFileSystem::Rename(from[done], into[done].Name())) {
      lastError_ = err;
      break;
    }
  }
  if (lastError_) {
    while (done-- > 0) {
      if (into[done].Exists()) CPFileSystem::Rename(into[done], from[done].Name());
    }
  }
  share.Unlock();
  share.Close();
  if (lastError_) return false;
  if (globalPrefs_) {
    try {
      globalPrefs_->RenameRecentDocument(file, to);
      CPFileRef last;
      auto same = [](const fs::path& a, const fs::path& b) {
        return fs::absolute(a).lexically_normal() == fs::absolute(b).lexically_normal();
      };
      if (globalPrefs_->GetLastGroupPath(&last) && same(last.Path(), file.Path())) {
        globalPrefs_->SetLastGroupPath(to);
      }
    } catch (const CPException&) {
      // The dossier is renamed; the lists of dossiers find it again when it is opened.
    }
  }
  return true;
}

// ---- Accounts

bool VYXContainer::CopyCompteFile(const CPFileRef& from, const CPFileRef& folder,
                                  const std::string& name) {
  std::string fileName = FileNameOf(name);
  if (fileName.empty() || !IsFile(from)) return false;
  CPFileRef to = VYXCompteFileIn(folder, fileName);
  if (to.Exists()) return false;
  return CPFileSystem::Copy(from, to) == 0;
}

bool VYXContainer::RenameCompteFile(const CPFileRef& file, const std::string& name) {
  std::string fileName = FileNameOf(name);
  if (fileName.empty() || !IsFile(file) || GetCompte(file, nullptr)) return false;
  CPFileRef to = VYXCompteFileIn(file.Folder(), fileName);
  if (to.Exists() && !to.SameFile(file)) return false;
  int32_t listed = userPrefs_ ? userPrefs_->GetCompteIndex(file) : 0;
  if (CPFileSystem::Rename(file, to.Name()) != 0) return false;
  if (listed) {
    try {
      userPrefs_->CompteFileRenamed(listed, to);
    } catch (const CPException&) {
      // The file has its new name; the list finds it again from its folder.
    }
  }
  return true;
}

bool VYXContainer::SwapCompteFiles(const CPFileRef& a, const CPFileRef& b) {
  if (!IsFile(a) || !IsFile(b) || a.SameFile(b)) return false;
  if (GetCompte(a, nullptr) || GetCompte(b, nullptr)) return false;
  return SwapPaths(a.Path(), b.Path());
}

bool VYXContainer::DeleteCompteFile(const CPFileRef& file) {
  if (!IsFile(file) || GetCompte(file, nullptr)) return false;
  int32_t listed = userPrefs_ ? userPrefs_->GetCompteIndex(file) : 0;
  if (CPFileSystem::Delete(file) != 0) return false;
  // The dossier would otherwise ask for it at every opening.
  CPResID id = 0;
  if (listed && userPrefs_->GetNthCompte(listed, &id)) {
    try {
      userPrefs_->RemoveCompte(id, true);
    } catch (const CPException&) {
    }
  }
  return true;
}
