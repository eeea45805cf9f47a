// Texts with variables: every name between an opening and a closing
// delimiter is replaced by its value, as the providers' chain gives it
// (CPVariablesProvider.h); a name no provider knows stays as it was typed,
// delimiters included. Labels, automatic operations, predefined split lines,
// selection criteria and voucher numbers use "«" and "»"; e-mail texts use
// "<" and ">".
#ifndef VYX_FOUNDATION_CPTEXTVARIABLES_H_
#define VYX_FOUNDATION_CPTEXTVARIABLES_H_

#include "foundation/CPVariablesProvider.h"
#include "platform/CPHandle.h"

constexpr unsigned char kCPVarOpen = 0xC7;   // "«" in MacRoman
constexpr unsigned char kCPVarClose = 0xC8;  // "»"

// Rewrites `text` in place (the result cut at 255 bytes) and returns it. An
// opening delimiter inside a name starts the name again; a name the text ends
// in without its closing delimiter is looked up all the same, and put back
// without the delimiter it did not have when unknown.
StringPtr CPEvaluateString(StringPtr text, bool interactive, CPVariablesProvider* provider,
                           unsigned char openChar = kCPVarOpen,
                           unsigned char closeChar = kCPVarClose);

// The same over a text block of any length: answers a new handle (the
// caller's to dispose of), `text` unchanged. Here an opening delimiter inside
// a name belongs to the name, and a reference the text ends in is dropped.
// Raises the system's memory error when the block cannot be allocated.
Handle CPEvaluateHandle(Handle text, bool interactive, CPVariablesProvider* provider,
                        unsigned char openChar = kCPVarOpen, unsigned char closeChar = kCPVarClose);

#endif  // VYX_FOUNDATION_CPTEXTVARIABLES_H_
