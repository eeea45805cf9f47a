// What a database holds, to compare two of them: every live record by dataID,
// with its type and bytes (the saved index left out, refnums ignored).
#ifndef VYX_TESTS_SIMPLEDB_SDBCONTENTS_H_
#define VYX_TESTS_SIMPLEDB_SDBCONTENTS_H_

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "simpledb/CPSimpleDBFile.h"

using SDBContents = std::map<CPSimpleDBDataID, std::pair<OSType, std::vector<unsigned char>>>;

inline SDBContents SDBContentsOf(CPSimpleDBFile& file, bool loggedOnly = true) {
  SDBContents contents;
  CPSimpleDBBlocsHandler& blocs = file.GetBlocsHandler();
  const CPSimpleDBHeader& h = file.GetHeader();
  blocs.Scan([&](CPSimpleDBRefnum r, const CPSimpleDBDataHeader& header, const CPDataEncoding&) {
    if (header.info.IsFree()) return true;
    if (r == h.indexRefnum && header.info.type == kSDBFileIndexType) return true;
    if (loggedOnly && !header.info.IsLogged()) return true;
    std::vector<unsigned char> data;
    blocs.ReadRecord(r, nullptr, nullptr, &data);
    contents[header.info.dataID] = {header.info.type, data};
    return true;
  });
  return contents;
}

inline std::vector<unsigned char> SDBText(const std::string& s) {
  return std::vector<unsigned char>(s.begin(), s.end());
}

inline void SDBWriteAt(const std::filesystem::path& path, uint64_t at, const void* data, size_t n) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(static_cast<std::streamoff>(at));
  f.write(static_cast<const char*>(data), static_cast<std::streamsize>(n));
}

inline uint32_t SDBLE32(const std::string& b, size_t at) {
  auto p = reinterpret_cast<const unsigned char*>(b.data() + at);
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// A 32-bit little-endian field of a file.
inline uint32_t SDBLE32Of(const CPFileRef& fileRef, size_t at) {
  std::ifstream in(fileRef.Path(), std::ios::binary);
  in.seekg(static_cast<std::streamoff>(at));
  unsigned char p[4] = {};
  in.read(reinterpret_cast<char*>(p), 4);
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

#endif  // VYX_TESTS_SIMPLEDB_SDBCONTENTS_H_
