// A sales document as one HTML page (UTF-8, its style inside), for a browser
// to show or print: the same blocks as the PDF, the lines in a table whose
// header a printer repeats on every page. Written beside its target and
// renamed over it once complete; raises ioErr with a French message.
#ifndef VYX_BUSINESS_VYXFACTUREHTML_H_
#define VYX_BUSINESS_VYXFACTUREHTML_H_

#include <filesystem>
#include <string>

#include "business/VYXFactureDocument.h"

std::string VYXFactureHtml(const VYXFactureDocument& document);
void VYXWriteFactureHtml(const VYXFactureDocument& document, const std::filesystem::path& path);

// Writes `bytes` to `path` through a file beside it renamed over it.
void VYXWriteDocumentFile(const std::filesystem::path& path, const std::string& bytes);

#endif  // VYX_BUSINESS_VYXFACTUREHTML_H_
