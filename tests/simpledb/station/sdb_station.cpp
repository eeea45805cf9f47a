// A station for the tests of shared databases: a separate process that opens
// a database file shared and runs the commands it reads, one per line, writing
// one answer line per command ("ok ..." or "error CODE TEXT").
//
//   open PATH            open shared, with a memory copy
//   add TAG N            add N records "TAG:k"; answers their dataIDs
//   modify ID TEXT       rewrite record ID with TEXT
//   list                 every record, "id=content", after catching up
//   check                the memory copy against the file, and the index count
//   stress SECONDS TAG   add and modify records as fast as possible; answers
//                        "ID=content" for every record this station left
//   crash SECONDS TAG    as stress, writing a dot after each change, until killed
//   close
#include <unistd.h>

#include <chrono>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/CPException.h"
#include "simpledb/CPSimpleDBFullMemoryFile.h"
#include "simpledb/CPSimpleDBSession.h"

namespace {

constexpr OSType kType = CPFourCC("STAT");

std::unique_ptr<CPSimpleDBFullMemoryFile> gFile;

CPSimpleDBDataID Add(CPSimpleDBSession& s, const std::string& text) {
  CPSimpleDBDataInfo info(kType, kSDBBinaryFormat, 0);
  CPSimpleDBRefnum r = 0;
  s.AddData(&info, CPHostEncoding, text.data(), static_cast<CPDataSize>(text.size()), &r);
  return info.dataID;
}

void Modify(CPSimpleDBSession& s, CPSimpleDBDataID id, const std::string& text) {
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum r = 0, placed = 0;
  if (!s.GetDataRefnum(id, &info, &r)) CPThrow(1);
  s.ModifyData(r, &info, CPHostEncoding, text.data(), static_cast<CPDataSize>(text.size()),
               &placed);
}

std::string List(CPSimpleDBSession& s) {
  std::string out;
  CPSimpleDBAccessLocker lock(s.GetProvider());  // one consistent walk
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum r = 0;
  for (bool more = s.GetFirstData(kType, &info, &r); more; more = s.GetNextData(kType, &info, &r)) {
    std::string data(s.GetDataSize(r), '\0');
    s.GetData(r, nullptr, nullptr, data.data(), static_cast<CPDataSize>(data.size()));
    out += " " + std::to_string(info.dataID) + "=" + data;
  }
  return out;
}

// Adds and rewrites this station's records as fast as it can; every third
// step rewrites one of them, grown so that it sometimes moves.
std::string Stress(double seconds, const std::string& tag, bool dots) {
  CPSimpleDBSession s(gFile.get());
  std::map<CPSimpleDBDataID, std::string> mine;
  std::mt19937 random(static_cast<unsigned>(getpid()));
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  int step = 0;
  while (std::chrono::steady_clock::now() < end) {
    ++step;
    if (step % 3 == 0 && !mine.empty()) {
      auto it = mine.begin();
      std::advance(it, random() % mine.size());
      std::string text = tag + ":" + std::to_string(step) + ":" +
                         std::string(random() % 300, static_cast<char>('a' + step % 26));
      Modify(s, it->first, text);
      it->second = text;
    } else {
      std::string text = tag + ":" + std::to_string(step);
      mine[Add(s, text)] = text;
    }
    if (dots) std::cout << "." << std::flush;  // progress, for the killer
  }
  std::string out;
  for (auto& [id, text] : mine) out += " " + std::to_string(id) + "=" + text;
  return out;
}

std::string Run(const std::string& line) {
  std::istringstream in(line);
  std::string command;
  in >> command;
  if (command == "open" || command == "open-alone") {
    std::string path;
    in >> path;
    gFile = std::make_unique<CPSimpleDBFullMemoryFile>(CPFileRef(path));
    gFile->Open(10, command == "open", false);
    return "ok";
  }
  if (!gFile) return "error 0 not open";
  if (command == "close") {
    gFile->Close();
    gFile.reset();
    return "ok";
  }
  CPSimpleDBSession s(gFile.get());
  if (command == "add") {
    std::string tag;
    int n = 0;
    in >> tag >> n;
    std::string out = "ok";
    for (int k = 0; k < n; ++k) out += " " + std::to_string(Add(s, tag + ":" + std::to_string(k)));
    return out;
  }
  if (command == "modify") {
    CPSimpleDBDataID id = 0;
    std::string text;
    in >> id >> text;
    Modify(s, id, text);
    return "ok";
  }
  if (command == "list") return "ok" + List(s);
  if (command == "check") {
    CPSimpleDBAccessLocker lock(gFile.get());
    gFile->CheckMemory();
    uint32_t walked = gFile->GetBlocsHandler().GetNbOfData();
    if (walked != gFile->GetNbOfData(nullptr)) return "error 0 index count";
    return "ok";
  }
  if (command == "stress" || command == "crash") {
    double seconds = 0;
    std::string tag;
    in >> seconds >> tag;
    return "ok" + Stress(seconds, tag, command == "crash");
  }
  return "error 0 unknown command";
}

}  // namespace

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line == "quit") break;
    std::string answer;
    try {
      answer = Run(line);
    } catch (const CPException& e) {
      answer = "error " + std::to_string(e.Code()) + " " + e.what();
    }
    std::cout << answer << std::endl;
  }
  return 0;
}
