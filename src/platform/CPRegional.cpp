#include "platform/CPRegional.h"

namespace {

// MacRoman: 0x8E = é, 0x9E = û.
CPRegional MakeFrench() {
  CPRegional r;
  r.monthNames = {"janvier", "f\x8Evrier", "mars",      "avril",   "mai",      "juin",
                  "juillet", "ao\x9Et",    "septembre", "octobre", "novembre", "d\x8E"
                                                                               "cembre"};
  r.monthAbbrevs = {"janv.", "f\x8Ev.", "mars", "avr.", "mai",  "juin",
                    "juil.", "ao\x9Et", "sept.", "oct.", "nov.", "d\x8E" "c."};
  r.dayNames = {"lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi", "dimanche"};
  r.dayAbbrevs = {"lun.", "mar.", "mer.", "jeu.", "ven.", "sam.", "dim."};
  return r;
}

CPRegional& Current() {
  static CPRegional current = MakeFrench();
  return current;
}

}  // namespace

CPRegional CPRegional::French() { return MakeFrench(); }
const CPRegional& CPRegional::Get() { return Current(); }
void CPRegional::Set(const CPRegional& settings) { Current() = settings; }
