// Archives read through libarchive: built as the module vyx-archive, so that
// libarchive and the compression libraries it pulls in are loaded only by
// the commands that open an archive.
#include <archive.h>
#include <archive_entry.h>

#include "platform/CPArchive.h"

namespace {

// One reading from the beginning: libarchive reads forward only.
class Reader {
 public:
  explicit Reader(const std::filesystem::path& path) : a_(archive_read_new()) {
    archive_read_support_filter_gzip(a_);
    archive_read_support_filter_bzip2(a_);
    archive_read_support_filter_xz(a_);
    archive_read_support_format_tar(a_);
    archive_read_support_format_gnutar(a_);
    archive_read_support_format_zip(a_);
    ok_ = archive_read_open_filename(a_, path.c_str(), 64 * 1024) == ARCHIVE_OK;
  }
  ~Reader() { archive_read_free(a_); }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  archive* Get() { return a_; }
  bool Failed(std::string* why) {
    const char* e = archive_error_string(a_);
    *why = e ? e : "archive illisible";
    return false;
  }
  bool Ok() const { return ok_; }
  // The next header; false at the end or on a failure (`*failed`).
  bool Next(archive_entry** entry, bool* failed) {
    int r = archive_read_next_header(a_, entry);
    *failed = r != ARCHIVE_OK && r != ARCHIVE_WARN && r != ARCHIVE_EOF;
    return r == ARCHIVE_OK || r == ARCHIVE_WARN;
  }

 private:
  archive* a_;
  bool ok_;
};

}  // namespace

extern "C" {

__attribute__((visibility("default"))) bool vyx_archive_list(const std::filesystem::path& path, size_t maxEntries,
                                                              std::vector<CPArchiveEntry>* entries,
                                                              std::string* why) {
  Reader reader(path);
  if (!reader.Ok()) return reader.Failed(why);
  archive_entry* entry = nullptr;
  bool failed = false;
  while (entries->size() <= maxEntries && reader.Next(&entry, &failed)) {
    CPArchiveEntry e;
    const char* name = archive_entry_pathname(entry);
    e.name = name ? name : "";
    e.regular = archive_entry_filetype(entry) == AE_IFREG;
    e.size = archive_entry_size_is_set(entry) ? static_cast<uint64_t>(archive_entry_size(entry)) : 0;
    entries->push_back(std::move(e));
  }
  return failed ? reader.Failed(why) : true;
}

__attribute__((visibility("default"))) bool vyx_archive_read(const std::filesystem::path& path, size_t position,
                                                              size_t maxBytes, std::string* bytes, bool* tooLarge,
                                                              std::string* why) {
  Reader reader(path);
  if (!reader.Ok()) return reader.Failed(why);
  archive_entry* entry = nullptr;
  bool failed = false;
  for (size_t i = 0; i <= position; ++i) {
    if (!reader.Next(&entry, &failed)) {
      if (!failed) *why = "entrée absente";
      return failed ? reader.Failed(why) : false;
    }
  }
  // The size a header announces may lie: what is read is bounded all the same.
  char buffer[16384];
  for (;;) {
    la_ssize_t n = archive_read_data(reader.Get(), buffer, sizeof buffer);
    if (n < 0) return reader.Failed(why);
    if (n == 0) return true;
    bytes->append(buffer, static_cast<size_t>(n));
    if (bytes->size() > maxBytes) {
      *tooLarge = true;
      return true;
    }
  }
}

}  // extern "C"
