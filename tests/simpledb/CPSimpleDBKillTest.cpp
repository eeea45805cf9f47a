// Real processes: a writer killed with SIGKILL in the middle of a stream of
// changes, and two processes asking for the same file for writing.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "SDBTestSupport.h"
#include "platform/CPFileRef.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPSimpleDBFile.h"
#include "simpledb/CPSimpleDBFullMemoryFile.h"
#include "simpledb/CPSimpleDBSession.h"
#include "support/VYXTestSupport.h"

namespace {

// What the writer tells through its pipe: a change it starts, one it finished.
struct Message {
  enum Kind : uint8_t { kStart = 1, kDone = 2, kFailed = 3 } kind;
  enum Op : uint8_t { kAdd = 1, kModify, kDelete, kCompact } op;
  uint32_t id;    // 0 for an add not yet done
  uint32_t size;  // of the new content
  uint32_t seed;  // the new content is SDBBytes(size, seed)
};

void Send(int fd, const Message& m) {
  if (::write(fd, &m, sizeof m) != sizeof m) ::_exit(4);
}

// The writer: changes for ever, as fast as it can, each acknowledged once its
// call returned.
[[noreturn]] void Writer(const CPFileRef& fileRef, bool memory, uint32_t seed, int fd) {
  try {
    std::unique_ptr<CPSimpleDBFile> f;
    if (memory) {
      f = std::make_unique<CPSimpleDBFullMemoryFile>(fileRef);
    } else {
      f = std::make_unique<CPSimpleDBFile>(fileRef);
    }
    f->Open(10, false, false);
    CPSimpleDBSession s(f.get());
    std::mt19937 rng(seed);
    std::vector<CPSimpleDBDataID> ids;
    for (const auto& item : f->GetFileIndex().Items()) ids.push_back(item.dataID);
    for (uint32_t n = 1;; ++n) {
      uint32_t pick = rng() % 400;  // compaction, the slow one, is rare
      uint32_t size = rng() % 8 == 0 ? rng() % 7000 : rng() % 400;
      uint32_t contentSeed = seed * 1000003u + n;
      std::vector<unsigned char> data = SDBBytes(size, contentSeed);
      if (ids.empty() || (pick < 180 && ids.size() < 400)) {
        bool batch = rng() % 10 == 0;
        uint32_t fastAdd = batch ? s.NewFastAdd('TEST') : 0;
        Send(fd, {Message::kStart, Message::kAdd, 0, size, contentSeed});
        CPSimpleDBDataInfo info('TEST', 'bina', 0);
        CPSimpleDBRefnum r;
        s.AddData(&info, CPHostEncoding, data.data(), size, &r, 0, fastAdd);
        if (batch) s.CloseFastAdd(fastAdd);
        ids.push_back(info.dataID);
        Send(fd, {Message::kDone, Message::kAdd, info.dataID, size, contentSeed});
      } else if (pick < 320) {
        CPSimpleDBDataID id = ids[rng() % ids.size()];
        Send(fd, {Message::kStart, Message::kModify, id, size, contentSeed});
        CPSimpleDBRefnum r;
        CPSimpleDBDataInfo info;
        if (!s.GetDataRefnum(id, &info, &r)) throw CPException(1);
        s.ModifyData(r, &info, CPHostEncoding, data.data(), size, &r);
        Send(fd, {Message::kDone, Message::kModify, id, size, contentSeed});
      } else if (pick < 399) {
        size_t k = rng() % ids.size();
        Send(fd, {Message::kStart, Message::kDelete, ids[k], 0, 0});
        CPSimpleDBRefnum r;
        if (!s.GetDataRefnum(ids[k], &r)) throw CPException(1);
        s.DeleteData(r, CPSimpleDBDataInfo());
        Send(fd, {Message::kDone, Message::kDelete, ids[k], 0, 0});
        ids.erase(ids.begin() + static_cast<long>(k));
      } else {
        Send(fd, {Message::kStart, Message::kCompact, 0, 0, 0});
        f->Compact(&s);
        Send(fd, {Message::kDone, Message::kCompact, 0, 0, 0});
      }
    }
  } catch (...) {
    Send(fd, {Message::kFailed, Message::kAdd, 0, 0, 0});
    ::_exit(3);
  }
}

struct Content {
  uint32_t size;
  uint32_t seed;
};

std::string Describe(bool inFlight, const Message& started) {
  if (!inFlight) return "killed between two changes";
  static const char* const kOps[] = {"?", "add", "modify", "delete", "compaction"};
  return std::string("killed during ") + kOps[started.op <= Message::kCompact ? started.op : 0] +
         " (id " + std::to_string(started.id) + ", size " + std::to_string(started.size) + ")";
}

// The records that one side has and the other lacks, to tell a record left
// behind by the engine from a change the bookkeeping missed.
std::string Differences(const std::map<CPSimpleDBDataID, Content>& model,
                        const std::map<CPSimpleDBDataID, std::vector<unsigned char>>& found,
                        const std::map<CPSimpleDBDataID, OSType>& foundType,
                        const Message& started) {
  std::string out;
  for (const auto& [id, data] : found) {
    if (model.count(id)) continue;
    OSType t = foundType.at(id);
    char type[5] = {char(t >> 24), char(t >> 16), char(t >> 8), char(t), 0};
    out += "extra record " + std::to_string(id) + " of type '" + type + "', " +
           std::to_string(data.size()) + " bytes" +
           (data == SDBBytes(started.size, started.seed) ? ", the started content" : "") + "; ";
  }
  for (const auto& [id, content] : model) {
    if (!found.count(id)) out += "missing record " + std::to_string(id) + "; ";
  }
  return out;
}

TEST(CPSimpleDBKill, AKilledWriterLosesNothingItHadFinished) {
  VYXTempDir dir;
  CPFileRef fileRef = dir.Ref("compte.cpt");
  {
    CPSimpleDBFile f(fileRef);
    Str255 signature = "\x08vyx_cpt1";
    f.Create('VyxP', 'CPT5', signature, 1, false);
  }
  std::map<CPSimpleDBDataID, Content> model;
  std::mt19937 rng(2024);
  for (uint32_t round = 1; round <= 12; ++round) {
    int pipeFds[2];
    ASSERT_EQ(0, ::pipe(pipeFds));
    pid_t pid = ::fork();
    if (pid == 0) {
      ::close(pipeFds[0]);
      Writer(fileRef, round % 2 == 0, round, pipeFds[1]);
    }
    ::close(pipeFds[1]);
    // Kill it at a moment that differs at each round, counted from its first
    // message (the file is open by then: on a loaded machine the writer may
    // take longer than the delay just to start). The pipe is drained all
    // along, so that the writer is killed while writing the file, not while
    // waiting for room in the pipe.
    const auto delay = std::chrono::milliseconds(5 + rng() % 60);
    std::optional<std::chrono::steady_clock::time_point> killAt;
    bool killed = false;
    Message started{}, m{};
    bool inFlight = false;
    std::string pending;
    for (;;) {
      struct pollfd p = {pipeFds[0], POLLIN, 0};
      ::poll(&p, 1, 1);
      if (!killed && killAt && std::chrono::steady_clock::now() >= *killAt) {
        ::kill(pid, SIGKILL);
        killed = true;
      }
      if (!(p.revents & (POLLIN | POLLHUP))) continue;
      char buf[4096];
      ssize_t n = ::read(pipeFds[0], buf, sizeof buf);
      if (n <= 0) break;
      pending.append(buf, static_cast<size_t>(n));
      if (!killAt) killAt = std::chrono::steady_clock::now() + delay;
      for (; pending.size() >= sizeof m; pending.erase(0, sizeof m)) {
        std::memcpy(&m, pending.data(), sizeof m);
        ASSERT_NE(Message::kFailed, m.kind) << "the writer failed in round " << round;
        if (m.kind == Message::kStart) {
          started = m;
          inFlight = true;
          continue;
        }
        inFlight = false;
        if (m.op == Message::kAdd || m.op == Message::kModify) model[m.id] = {m.size, m.seed};
        if (m.op == Message::kDelete) model.erase(m.id);
      }
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round;

    // The next opening finds the file as the writer left it, rebuilds its
    // index by walking, and holds every finished change.
    CPSimpleDBFile f(fileRef);
    f.Open(10, false, false);
    EXPECT_TRUE(f.GetRecovery().unclean);
    EXPECT_FALSE(f.GetRecovery().savedIndexUsed);
    CPSimpleDBSession s(&f);
    std::map<CPSimpleDBDataID, std::vector<unsigned char>> found;
    std::map<CPSimpleDBDataID, OSType> foundType;
    for (const auto& item : f.GetFileIndex().Items()) {
      std::vector<unsigned char> data(s.GetDataSize(item.refnum));
      s.GetData(item.refnum, nullptr, nullptr, data.data(), static_cast<CPDataSize>(data.size()));
      found[item.dataID] = data;
      foundType[item.dataID] = item.type;
    }
    // The change in flight when the writer died happened wholly or not at all.
    auto expect = [](const Content& c) { return SDBBytes(c.size, c.seed); };
    if (inFlight && started.op == Message::kAdd) {
      for (auto& [id, data] : found) {
        if (!model.count(id) && data == expect({started.size, started.seed})) {
          model[id] = {started.size, started.seed};
          break;
        }
      }
    } else if (inFlight && started.op == Message::kModify && found.count(started.id) &&
               found[started.id] == expect({started.size, started.seed})) {
      model[started.id] = {started.size, started.seed};
    } else if (inFlight && started.op == Message::kDelete && !found.count(started.id)) {
      model.erase(started.id);
    }
    ASSERT_EQ(model.size(), found.size())
        << "round " << round << ", " << Describe(inFlight, started) << "; "
        << Differences(model, found, foundType, started);
    for (const auto& [id, content] : model) {
      ASSERT_TRUE(found.count(id)) << "record " << id << " lost in round " << round;
      ASSERT_EQ(expect(content), found[id]) << "record " << id << " in round " << round;
    }
    EXPECT_GT(f.GetNewID(), model.empty() ? 0 : model.rbegin()->first);
    f.Close();
    VYXRunResult verdict = VYXRunVyx({"db", "verifier", fileRef.Path().string()});
    ASSERT_EQ(0, verdict.exitCode) << "round " << round << ": " << verdict.out << verdict.err;
  }
}

// Compaction moves the saved index record, then points the header to its new
// place: two writes, and a writer may die between them. That state is made
// here by compacting in a child that dies without closing, then putting the
// header's index pointer (offset 60) back where the record was. The record
// left where the header does not look is no record of the application's.
TEST(CPSimpleDBKill, ASavedIndexMovedWithoutItsPointerIsNoRecord) {
  VYXTempDir dir;
  CPFileRef fileRef = dir.Ref("compte.cpt");
  std::map<CPSimpleDBDataID, std::vector<unsigned char>> model;
  CPSimpleDBRefnum first = 0;
  {
    CPSimpleDBFile f(fileRef);
    Str255 signature = "\x08vyx_cpt1";
    f.Create('VyxP', 'CPT5', signature, 1, false);
    CPSimpleDBSession s(&f);
    for (uint32_t i = 1; i <= 4; ++i) {
      std::vector<unsigned char> data = SDBBytes(100 * i, i);
      CPSimpleDBDataInfo info('TEST', 'bina', 0);
      CPSimpleDBRefnum r;
      s.AddData(&info, CPHostEncoding, data.data(), static_cast<CPDataSize>(data.size()), &r);
      model[info.dataID] = data;
      if (i == 1) first = r;
    }
  }  // closed: the saved index is written after the records
  auto indexPointer = [&](uint32_t* value, bool write) {
    CPFile raw;
    ASSERT_EQ(noErr, raw.Open(fileRef, kCPFileReadWrite));
    size_t done = 0;
    ASSERT_EQ(noErr, write ? raw.Write(60, value, 4) : raw.Read(60, value, 4, &done));
    raw.Close();
  };
  uint32_t before = 0;
  indexPointer(&before, false);
  ASSERT_NE(0u, before);

  pid_t pid = ::fork();
  if (pid == 0) {
    try {
      CPSimpleDBFile f(fileRef);
      f.Open(10, false, false);
      CPSimpleDBSession s(&f);
      s.DeleteData(first, CPSimpleDBDataInfo());
      f.Compact(&s);
      ::raise(SIGKILL);  // still open
    } catch (...) {
    }
    ::_exit(3);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  model.erase(model.begin());
  uint32_t after = 0;
  indexPointer(&after, false);
  ASSERT_NE(before, after);  // the compaction moved it
  indexPointer(&before, true);

  for (bool readOnly : {true, false}) {
    CPSimpleDBFile f(fileRef);
    f.Open(10, false, readOnly);
    EXPECT_TRUE(f.GetRecovery().unclean);
    std::vector<CPSimpleDBDataID> ids;
    for (const auto& item : f.GetFileIndex().Items()) {
      EXPECT_EQ(CPSimpleDBDataType('TEST'), item.type) << "record " << item.dataID;
      ids.push_back(item.dataID);
    }
    EXPECT_EQ(model.size(), ids.size()) << (readOnly ? "reading" : "writing");
  }
  VYXRunResult verdict = VYXRunVyx({"db", "verifier", fileRef.Path().string()});
  EXPECT_EQ(0, verdict.exitCode) << verdict.out << verdict.err;
  CPSimpleDBFile f(fileRef);
  f.Open(10, false, false);
  EXPECT_TRUE(f.GetRecovery().savedIndexUsed);
  EXPECT_EQ(model.size(), f.GetFileIndex().Items().size());
}

TEST(CPSimpleDBKill, ASecondProcessCannotOpenTheFileForWriting) {
  VYXTempDir dir;
  CPFileRef fileRef = dir.Ref("compte.cpt");
  {
    CPSimpleDBFile f(fileRef);
    Str255 signature = "\x08vyx_cpt1";
    f.Create('VyxP', 'CPT5', signature, 1, false);
  }
  int ready[2], release[2];
  ASSERT_EQ(0, ::pipe(ready));
  ASSERT_EQ(0, ::pipe(release));
  pid_t pid = ::fork();
  if (pid == 0) {
    CPSimpleDBFile f(fileRef);
    f.Open(10, false, false);
    CPSimpleDBSession s(&f);  // a change marks the file open
    CPSimpleDBDataInfo info('TEST', 'bina', 0);
    CPSimpleDBRefnum r;
    s.AddData(&info, CPHostEncoding, "x", 1, &r);
    char c = 1;
    if (::write(ready[1], &c, 1) != 1) ::_exit(2);
    if (::read(release[0], &c, 1) != 1) ::_exit(2);
    ::_exit(0);  // as a process that dies holding the file
  }
  char c;
  ASSERT_EQ(1, ::read(ready[0], &c, 1));
  {
    VYXScopedEnv noWait("VYX_ATTENTE", "0");
    CPSimpleDBFile f(fileRef);
    EXPECT_CP_CODE(opWrErr, f.Open(10, false, false));
    CPSimpleDBFile reader(fileRef);
    reader.Open(10, false, true);  // reading is never refused
  }
  ASSERT_EQ(1, ::write(release[1], &c, 1));
  int status;
  ::waitpid(pid, &status, 0);
  CPSimpleDBFile f(fileRef);
  f.Open(10, false, false);  // the lock died with its holder
  EXPECT_TRUE(f.GetRecovery().unclean);
}

}  // namespace
