// A sales document as a printable PDF file (A4), laid out with cairo and
// pango (through the module vyx-draw, CPDraw.h): the seller and the title at the top, the customer's and the
// delivery addresses, the lines table (its header repeated on every page),
// the VAT summary and totals after the last line, the mentions, and on every
// page a foot with the seller's legal identity and the page's number.
//
// The file is written beside its target and renamed over it only once
// complete: a failure leaves whatever was there before. Raises ioErr with a
// French message naming the file, kCPErrDrawUnavailable when the drawing
// module cannot be loaded.
#ifndef VYX_BUSINESS_VYXFACTUREPDF_H_
#define VYX_BUSINESS_VYXFACTUREPDF_H_

#include <filesystem>

#include "business/VYXFactureDocument.h"

// Answers the number of pages written.
int VYXWriteFacturePdf(const VYXFactureDocument& document, const std::filesystem::path& path);

#endif  // VYX_BUSINESS_VYXFACTUREPDF_H_
