// One script's source: a local file, a file on a web server fetched at once
// into memory, or an entry of a files pack (CPFilesPack.h). GetStream reads it whole (scripts are small: more than 1 MB is
// refused as no script), raising kCPErrScriptNotFound when it is not there.
#ifndef VYX_ONLINE_CPSIMPLESCRIPTREF_H_
#define VYX_ONLINE_CPSIMPLESCRIPTREF_H_

#include <filesystem>
#include <memory>
#include <string>

class CPFilesPack;

class CPSimpleScriptRef {
 public:
  enum Kind { kLocalFile = 1, kUrl = 2, kFilesPack = 3 };

  static CPSimpleScriptRef File(const std::filesystem::path& path);
  static CPSimpleScriptRef Url(const std::string& url);
  // The entry `name` (UTF-8) of `pack`; one that is not there raises when read.
  static CPSimpleScriptRef PackEntry(std::shared_ptr<const CPFilesPack> pack, const std::string& name);

  Kind GetKind() const { return kind_; }
  const std::filesystem::path& GetPath() const { return path_; }
  const std::string& GetUrl() const { return url_; }
  const std::shared_ptr<const CPFilesPack>& GetPack() const { return pack_; }
  const std::string& GetEntryName() const { return entry_; }
  // The script's name for messages and the log (MacRoman).
  std::string Name() const;
  // The script's bytes.
  std::string GetStream() const;

 private:
  Kind kind_ = kLocalFile;
  std::filesystem::path path_;
  std::string url_;
  std::shared_ptr<const CPFilesPack> pack_;
  std::string entry_;
};

constexpr size_t kCPScriptMaxBytes = 1u << 20;

#endif  // VYX_ONLINE_CPSIMPLESCRIPTREF_H_
