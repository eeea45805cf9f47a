// The tab-separated exchange of a list: ExportResources writes a line of
// titles and one line per item; ImportResources reads them back, item by
// item, and says what it did with each. An item that the list already has,
// with the same fields, is left as it is, so that importing a list into the
// dossier it came from changes nothing.
#include <algorithm>
#include <cstring>

#include "foundation/CPCompare.h"
#include "foundation/CPException.h"
#include "foundation/CPFormattedStream.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"
#include "resources/CPImExStructure.h"
#include "resources/CPResourceSet.h"

namespace {

void WriteCell(CPFormattedStream& stream, const std::string& text, bool last) {
  Str255 field;
  StdToP(text, field);
  stream.WriteField(field, last);
}

// The fields of the next record; false when the stream holds no more.
bool ReadRecord(CPFormattedStream& stream, std::vector<std::string>* fields) {
  fields->clear();
  if (stream.GetMarker() >= stream.GetLength()) return false;
  for (;;) {
    Str255 field;
    bool endOfRecord = false;
    bool atEnd = stream.ReadField(field, &endOfRecord);
    fields->push_back(PToStd(field));
    if (endOfRecord || atEnd) return true;
  }
}

bool Blank(const std::vector<std::string>& fields) {
  return std::all_of(fields.begin(), fields.end(), [](const std::string& f) {
    return f.find_first_not_of(" \t") == std::string::npos;
  });
}

// The key a title stands for when it is written as one ("taux", "dep ").
OSType KeyOf(const std::string& title) {
  if (title.empty() || title.size() > 4) return 0;
  char key[4] = {' ', ' ', ' ', ' '};
  std::memcpy(key, title.data(), title.size());
  return OSType(uint8_t(key[0])) << 24 | OSType(uint8_t(key[1])) << 16 |
         OSType(uint8_t(key[2])) << 8 | OSType(uint8_t(key[3]));
}

// A name as the set's lookups take it.
struct PName {
  explicit PName(const std::string& text) { StdToP(text, p); }
  operator ConstStringPtr() const { return p; }
  Str255 p;
};

uint32_t Width(const CPDataField& f) {
  switch (f.kind) {
    case CPFieldKind::kNumber: return sizeof(double);
    case CPFieldKind::kShort: return sizeof(int16_t);
    case CPFieldKind::kPString: return f.size;
    default: return 1;
  }
}

CPImportLine Refused(CPImportLine line, int item, const std::string& var = {}) {
  line.outcome = CPImportLine::kRefused;
  line.reason = CPGetListString(kCPImExTextsList, item);
  CPReplaceVar(line.reason, 1, var);
  return line;
}

}  // namespace

CPImExStructure::CPImExStructure(CPDataStructure data, std::vector<OSType> columns)
    : data_(std::move(data)), columns_(std::move(columns)) {}

std::string CPImExStructure::NameHeading() const {
  return CPGetListString(kCPImExTextsList, kCPImExNameHeading);
}

int CPImportReport::Count(CPImportLine::Outcome outcome) const {
  return int(std::count_if(lines.begin(), lines.end(),
                           [&](const CPImportLine& l) { return l.outcome == outcome; }));
}

// ---- export

void CPResourceSet::ExportResources(CPFormattedStream& stream, const CPImExStructure& structure) {
  ExportResources(stream, CPResourceIDsInOrder(*this), structure);
}

void CPResourceSet::ExportResources(CPFormattedStream& stream, const std::vector<CPResID>& ids,
                                    const CPImExStructure& structure) {
  std::vector<const CPDataField*> fields;
  for (OSType key : structure.Columns()) {
    if (const CPDataField* f = structure.Data().Find(key)) fields.push_back(f);
  }
  WriteCell(stream, structure.NameHeading(), fields.empty());
  for (size_t c = 0; c < fields.size(); ++c) WriteCell(stream, fields[c]->heading, c + 1 == fields.size());

  std::vector<unsigned char> record(GetDefaultSize());
  for (CPResID id : ids) {
    Str255 name;
    GetResourceName(id, name);
    std::fill(record.begin(), record.end(), 0);
    uint32_t size = record.empty() ? 0 : GetResource(id, record.data(), uint32_t(record.size()));
    WriteCell(stream, PToStd(name), fields.empty());
    for (size_t c = 0; c < fields.size(); ++c) {
      const CPDataField& f = *fields[c];
      std::string text;
      if (f.kind == CPFieldKind::kComputed) {
        if (f.get) text = f.get(id);
      } else if (f.offset + Width(f) <= size) {
        text = CPDataStructure::GetText(f, record.data());
      }
      WriteCell(stream, text, c + 1 == fields.size());
    }
  }
}

// ---- import

CPImportTitles CPReadImportTitles(CPFormattedStream& stream, const CPImExStructure& structure) {
  stream.SetMarker(0, kCPFromStart);
  std::vector<std::string> titles;
  ReadRecord(stream, &titles);
  CPImportTitles found;
  bool named = false;
  for (const std::string& title : titles) {
    const CPDataField* field = nullptr;
    if (CPEqualString(title, structure.NameHeading(), false, false) || KeyOf(title) == 'name') {
      if (named) CPThrowList(paramErr, kCPImExTextsList, kCPImExTwiceTheColumn, {title});
      named = true;
      found.nameColumn = found.columns.size();
    } else {
      field = structure.Data().FindHeading(title);
      if (!field) field = structure.Data().Find(KeyOf(title));
      if (field && std::find(found.columns.begin(), found.columns.end(), field) !=
                       found.columns.end()) {
        CPThrowList(paramErr, kCPImExTextsList, kCPImExTwiceTheColumn, {title});
      }
      if (!field && !title.empty()) found.ignored.push_back(title);
    }
    found.columns.push_back(field);
  }
  if (!named) {
    CPThrowList(paramErr, kCPImExTextsList, kCPImExNoNameColumn, {structure.NameHeading()});
  }
  return found;
}

void CPResourceSet::ImportResources(CPFormattedStream& stream, const CPImExStructure& structure,
                                    int16_t mode, CPImportReport* report) {
  CPImportTitles titles = CPReadImportTitles(stream, structure);
  report->ignoredColumns = titles.ignored;
  std::vector<std::string> texts;
  for (int32_t line = 2; ReadRecord(stream, &texts); ++line) {
    if (Blank(texts)) continue;
    CPImportLine done =
        ImportResource(texts, titles.columns, titles.nameColumn, structure, mode);
    done.line = line;
    report->lines.push_back(done);
  }
}

CPImportLine CPResourceSet::ImportResource(const std::vector<std::string>& texts,
                                           const std::vector<const CPDataField*>& columns,
                                           size_t nameColumn, const CPImExStructure& structure,
                                           int16_t mode) {
  CPImportLine line;
  line.name = nameColumn < texts.size() ? texts[nameColumn] : std::string();
  // Cells beyond the titles are only allowed empty: a value there belongs to no column.
  for (size_t c = columns.size(); c < texts.size(); ++c) {
    if (!texts[c].empty()) return Refused(line, kCPImExTooManyFields);
  }
  std::string name = line.name;
  if (name.find_first_not_of(' ') == std::string::npos) return Refused(line, kCPImExNoName);
  if (structure.checkName) {
    std::string why;
    if (!structure.checkName(&name, &why)) {
      line.outcome = CPImportLine::kRefused;
      line.reason = why;
      return line;
    }
  }

  const uint32_t size = GetDefaultSize();
  CPResID existing = ResourceExists(PName(name)) ? GetResourceID(PName(name)) : 0;
  std::vector<unsigned char> stored(size), record(size);
  if (existing != 0 && size) GetResource(existing, stored.data(), size);
  // The file's fields over the item it has the name of (to see whether
  // anything changes), or over a new item's defaults.
  bool over = existing != 0 && mode == kCPImportReplace;
  if (over) {
    record = stored;
  } else if (size) {
    GetDefaultResource(record.data(), size);
  }
  std::vector<unsigned char> onStored = stored;
  bool computedChange = false;
  for (size_t c = 0; c < columns.size() && c < texts.size(); ++c) {
    const CPDataField* f = columns[c];
    if (!f) continue;
    if (f->kind == CPFieldKind::kComputed) {
      if (existing && f->get && f->get(existing) != texts[c]) computedChange = true;
      continue;
    }
    if (f->offset + Width(*f) > size) continue;
    std::string why;
    if (!CPDataStructure::SetText(*f, record.data(), texts[c], &why)) {
      line.outcome = CPImportLine::kRefused;
      line.reason = why;
      return line;
    }
    if (existing) CPDataStructure::SetText(*f, onStored.data(), texts[c], &why);
  }
  auto setComputed = [&](CPResID id) {
    for (size_t c = 0; c < columns.size() && c < texts.size(); ++c) {
      const CPDataField* f = columns[c];
      if (f && f->kind == CPFieldKind::kComputed && f->set) f->set(id, texts[c], nullptr);
    }
  };

  if (existing != 0) {
    Str255 had;
    GetResourceName(existing, had);
    line.given = PToStd(had);
    line.id = existing;
    if (onStored == stored && !computedChange) {
      line.outcome = CPImportLine::kUnchanged;
      return line;
    }
    if (mode == kCPImportReplace) {
      std::string why;
      if (structure.canChange && !structure.canChange(existing, &why)) {
        line.outcome = CPImportLine::kRefused;
        line.reason = why;
        return line;
      }
      SetResource(existing, record.data(), size);
      setComputed(existing);
      line.outcome = CPImportLine::kReplaced;
      return line;
    }
    if (!structure.numberedNames) return Refused(line, kCPImExNameTaken, name);
  }
  CPResID id = GetUniqueID();
  AddResource(id, PName(name), record.data(), size);
  setComputed(id);
  Str255 given;
  GetResourceName(id, given);
  line.given = PToStd(given);
  line.id = id;
  line.outcome = line.given == name ? CPImportLine::kAdded : CPImportLine::kRenamed;
  return line;
}
