// What one command writes to its files, kept so that the command can be
// undone as a whole when it fails before it is done: a full disk, an I/O
// error, a size limit reached half-way through a change that spans several
// records, files and the event log. While a rollback is current, every file
// stream opened for writing records the bytes it overwrites and the length it
// started from (once per file, on its first write), and files it creates;
// Rollback writes the old bytes back, last first, cuts every file back to its
// length, gives it back its modification time and deletes the files made, so
// that each file is again byte for byte what it was. Undoing the writes in the
// reverse order of their making passes through the same states as making
// them did, so a process killed while it rolls back leaves files that the
// engine's own recovery repairs, as after a kill while writing.
//
// The rollback keeps a second descriptor of every file it may have to write
// back: a file's lock stays held until the command is committed or undone.
// Objects built on the files (CPRollbackParticipant) hear of the outcome: a
// database holds its shared lock until then, and after a rollback writes
// nothing more. A stream written after a rollback raises wrPermErr.
//
// One rollback is current at a time; the command line makes one per command
// (VYXCliSession). Without one, nothing is recorded and nothing costs.
#ifndef VYX_FOUNDATION_CPFILEROLLBACK_H_
#define VYX_FOUNDATION_CPFILEROLLBACK_H_

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/CPFileRef.h"

class CPFileStream;

class CPRollbackParticipant {
 public:
  virtual ~CPRollbackParticipant() = default;
  // The command is done: what was written stays.
  virtual void Committed() = 0;
  // The files were put back as they were: nothing more may be written.
  virtual void RolledBack() = 0;
};

class CPFileRollback {
 public:
  // Becomes the current rollback.
  CPFileRollback();
  // Rolls back what was not committed.
  ~CPFileRollback();
  CPFileRollback(const CPFileRollback&) = delete;
  CPFileRollback& operator=(const CPFileRollback&) = delete;

  static CPFileRollback* Current();

  // The command is done: nothing will be undone, the files are let go.
  void Commit();
  // Puts every file back as it was. False when some could not be (the disk
  // failing even to take back what it held): the message of the first failure
  // is in `*why` (MacRoman), and the engine's recovery has what is left.
  bool Rollback(std::string* why = nullptr);
  // Something was written (and would be undone).
  bool Wrote() const { return !undo_.empty() || !created_.empty(); }
  bool Done() const { return done_; }
  // A write failed under this rollback (a full disk, an I/O error): the
  // command's failure is one the user is told was undone. A refusal after
  // some writes is undone as well, without a word: its message says enough.
  void NoteWriteFailure() { writeFailed_ = true; }
  bool WriteFailed() const { return writeFailed_; }

  // A file this command wrote, closed and opens again is still locked by the
  // descriptor kept to undo it: `file` then gets a copy of that descriptor
  // (and its lock, made exclusive for a writer) instead of being refused as
  // busy by its own command. False for a file not kept here.
  bool Reopen(const CPFileRef& ref, CPFilePermission access, CPFile& file);

  void Join(CPRollbackParticipant* participant);
  void Leave(CPRollbackParticipant* participant);

  // For CPFileStream: before `count` bytes are written at `offset`, before
  // the file is cut or grown to `length`, after a file was created, and when
  // a stream goes (a stream that outlives the rollback is no concern).
  void BeforeWrite(CPFileStream& stream, const CPFile& file, uint64_t offset, uint64_t count);
  void BeforeSetLength(CPFileStream& stream, const CPFile& file, uint64_t length);
  void Created(const CPFileRef& file);
  void StreamGone(CPFileStream& stream);

 private:
  struct Tracked {
    CPFileRef ref;
    int fd = -1;  // our own descriptor of the file
    dev_t device = 0;
    ino_t inode = 0;
    uint64_t length = 0;  // when the command first wrote it
    struct timespec modified = {};
    bool created = false;
  };
  // Undone by writing `bytes` back at `offset`, then setting the length back.
  struct Undo {
    size_t file;
    uint64_t offset;
    std::vector<unsigned char> bytes;
    uint64_t length;
  };

  // The file's entry, made on its first write; -1 when it cannot be kept (the
  // write then goes on unrecorded and the rollback says so).
  long Track(CPFileStream& stream, const CPFile& file);
  void Keep(size_t file, uint64_t offset, uint64_t end);
  void Release();

  CPFileRollback* previous_;
  std::vector<Tracked> files_;
  std::vector<Undo> undo_;
  std::vector<CPFileRef> created_;
  std::vector<CPFileStream*> streams_;
  std::vector<CPRollbackParticipant*> participants_;
  bool untracked_ = false;  // a write could not be recorded
  bool done_ = false;
  bool writeFailed_ = false;
};

#endif  // VYX_FOUNDATION_CPFILEROLLBACK_H_
