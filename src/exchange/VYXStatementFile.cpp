// A statement file, recognised and read whole, before anything is recorded.
#include "exchange/VYXExchangeErrors.h"
#include "exchange/VYXExchangeTexts.h"
#include "exchange/VYXStatementReaders.h"
#include "foundation/CPException.h"
#include "foundation/CPFileStream.h"
#include "foundation/CPForeignText.h"
#include "foundation/CPFormattedStream.h"
#include "platform/CPHugePages.h"
#include "platform/CPInteraction.h"

namespace {

const char* FormatName(VYXStatementFormat f) {
  switch (f) {
    case VYXStatementFormat::kCFONB: return "CFONB 120";
    case VYXStatementFormat::kQIF: return "QIF";
    case VYXStatementFormat::kOFX: return "OFX";
    case VYXStatementFormat::kCSV: return "CSV";
    default: return "";
  }
}

}  // namespace

std::string VYXReadForeignFile(const CPFileRef& file) {
  CPFileStream stream(file);
  stream.Open(kCPFileRead);
  std::string bytes;
  bytes.reserve(stream.GetLength());
  CPAdviseHugePages(bytes.data(), bytes.capacity());
  bytes.resize(stream.GetLength());
  if (!bytes.empty()) stream.ReadData(bytes.data(), long(bytes.size()));
  stream.Close();
  // A byte-order mark says UTF-8; the readers find that out on their own.
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  return bytes;
}

std::string VYXFileName(const CPFileRef& file) {
  std::string name;
  CPForeignToMacRoman(file.Name(), kCPUTF8, &name);
  return name;
}

VYXParsedStatement VYXReadStatementFile(const CPFileRef& file, VYXStatementFormat format,
                                        const std::vector<VYXCSVColumn>& columns) {
  return VYXReadStatementBytes(VYXReadForeignFile(file), VYXFileName(file), format, columns);
}

VYXParsedStatement VYXReadStatementBytes(const std::string& bytes, const std::string& name,
                                         VYXStatementFormat format, const std::vector<VYXCSVColumn>& columns) {
  if (bytes.find_first_not_of(" \t\r\n") == std::string::npos) {
    CPThrowList(kVYXErrNotAStatement, kVYXExchangeTexts, kExEmptyFile, {name});
  }
  CPPtrStream memory(bytes.data(), uint32_t(bytes.size()));
  CPTabCrStream stream(&memory, false);
  auto is = [&](VYXStatementFormat f) {
    switch (f) {
      case VYXStatementFormat::kCFONB: return VYXIsCFONBFile(bytes);
      case VYXStatementFormat::kQIF: return VYXIsQIFFile(stream);
      case VYXStatementFormat::kOFX: return VYXIsOFXFile(stream);
      case VYXStatementFormat::kCSV: return VYXIsCSVFile(bytes);
      default: return false;
    }
  };
  if (format == VYXStatementFormat::kAuto) {
    for (VYXStatementFormat f : {VYXStatementFormat::kCFONB, VYXStatementFormat::kQIF,
                                 VYXStatementFormat::kOFX, VYXStatementFormat::kCSV}) {
      if (is(f)) {
        format = f;
        break;
      }
    }
    if (format == VYXStatementFormat::kAuto) {
      CPThrowList(kVYXErrNotAStatement, kVYXExchangeTexts, kExNotAStatement, {name});
    }
  } else if (!is(format)) {
    CPThrowList(kVYXErrNotAStatement, kVYXExchangeTexts, kExNotFormat, {name, FormatName(format)});
  }
  CPProgress progress(VYXExchangeText(kExReadingProgress, {name}), 0);
  VYXParsedStatement parsed;
  switch (format) {
    case VYXStatementFormat::kCFONB:
      VYXReadCFONB(bytes, &parsed);
      break;
    case VYXStatementFormat::kQIF:
      VYXReadQIFStatement(stream, &parsed);
      break;
    case VYXStatementFormat::kOFX:
      VYXReadOFXStatement(stream, &parsed);
      break;
    default:
      VYXReadCSV(bytes, columns, name, &parsed);
      break;
  }
  return parsed;
}
