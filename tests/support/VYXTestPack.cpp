#include "support/VYXTestPack.h"

#include <archive.h>
#include <archive_entry.h>

#include <stdexcept>

void VYXWritePack(const std::filesystem::path& path, VYXTestPackFormat format,
                  const std::vector<VYXTestPackEntry>& entries) {
  archive* a = archive_write_new();
  if (format == VYXTestPackFormat::kZip) {
    archive_write_set_format_zip(a);
  } else {
    archive_write_set_format_pax_restricted(a);
    if (format == VYXTestPackFormat::kTarGz) archive_write_add_filter_gzip(a);
  }
  if (archive_write_open_filename(a, path.c_str()) != ARCHIVE_OK) throw std::runtime_error(archive_error_string(a));
  for (const VYXTestPackEntry& e : entries) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, e.name.c_str());
    archive_entry_set_perm(entry, 0644);
    if (e.kind == VYXTestPackEntry::kFolder) {
      archive_entry_set_filetype(entry, AE_IFDIR);
    } else if (e.kind == VYXTestPackEntry::kLink) {
      archive_entry_set_filetype(entry, AE_IFLNK);
      archive_entry_set_symlink(entry, e.target.c_str());
    } else {
      archive_entry_set_filetype(entry, AE_IFREG);
      archive_entry_set_size(entry, static_cast<la_int64_t>(e.content.size()));
    }
    archive_write_header(a, entry);
    if (e.kind == VYXTestPackEntry::kFile) archive_write_data(a, e.content.data(), e.content.size());
    archive_entry_free(entry);
  }
  archive_write_close(a);
  archive_write_free(a);
}
