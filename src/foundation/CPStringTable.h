// The French texts the system shows, by string list and 1-based item, and the
// texts of error codes. They are written in res/strings.fr (UTF-8) and served in
// MacRoman. A missing item gives an empty text, as a missing resource would.
#ifndef VYX_FOUNDATION_CPSTRINGTABLE_H_
#define VYX_FOUNDATION_CPSTRINGTABLE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/CPMacTypes.h"

// vyx's own list of general texts (not one of the application's numbered lists).
constexpr int kCPErrorsListID = 30000;
constexpr int kCPUnknownErrorItem = 1;  // "Erreur ^1."

std::string CPGetListString(int listID, int item);
// The same into a length-prefixed string.
void CPGetIndString(StringPtr out, int listID, int item);
bool CPHasListString(int listID, int item);
// The text of an error code, or empty when the table has none.
std::string CPGetErrorText(int16_t code);
// The longest message: room for two long paths and what is wrong with them.
constexpr size_t kCPMessageMax = 1024;
// Replaces the first "^n" of `text` by `value` (both MacRoman), cut at
// kCPMessageMax bytes.
void CPReplaceVar(std::string& text, int n, const std::string& value);
// Replaces "^first", "^first+1"... by `vars` in order. A message must stay
// whole within kCPMessageMax bytes: when it would not, the longest values are
// shortened in their middle (an ellipsis marks the cut) rather than the end of
// the message, which usually says what is wrong.
std::string CPFillVars(std::string text, const std::vector<std::string>& vars, int first = 1);

// Checks that every entry of the table is well formed and holds only MacRoman
// characters; returns the first fault, or empty.
std::string CPCheckStringTable();

#endif  // VYX_FOUNDATION_CPSTRINGTABLE_H_
