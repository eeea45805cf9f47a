#include "business/VYXDocumentPages.h"

std::vector<size_t> VYXPaginer(const std::vector<double>& rows, double first, double other,
                               double header, double closing) {
  std::vector<size_t> starts{0};
  double room = first - header;
  bool empty = true;  // the page holds no row yet
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i] > room && !empty) {
      starts.push_back(i);
      room = other - header;
    }
    room -= rows[i];
    empty = false;
  }
  if (rows.empty()) room += header;  // no table at all: no header either
  if (closing > room && !(rows.empty() && starts.size() == 1)) starts.push_back(rows.size());
  return starts;
}
