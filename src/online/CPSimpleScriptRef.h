// One script's source: a local file, or a file on a web server fetched at once
// into memory. GetStream reads it whole (scripts are small: more than 1 MB is
// refused as no script), raising kCPErrScriptNotFound when it is not there.
#ifndef VYX_ONLINE_CPSIMPLESCRIPTREF_H_
#define VYX_ONLINE_CPSIMPLESCRIPTREF_H_

#include <filesystem>
#include <string>

class CPSimpleScriptRef {
 public:
  enum Kind { kLocalFile = 1, kUrl = 2 };

  static CPSimpleScriptRef File(const std::filesystem::path& path);
  static CPSimpleScriptRef Url(const std::string& url);

  Kind GetKind() const { return kind_; }
  const std::filesystem::path& GetPath() const { return path_; }
  const std::string& GetUrl() const { return url_; }
  // The script's name for messages and the log (MacRoman).
  std::string Name() const;
  // The script's bytes.
  std::string GetStream() const;

 private:
  Kind kind_ = kLocalFile;
  std::filesystem::path path_;
  std::string url_;
};

constexpr size_t kCPScriptMaxBytes = 1u << 20;

#endif  // VYX_ONLINE_CPSIMPLESCRIPTREF_H_
