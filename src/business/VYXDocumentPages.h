// How the rows of a document's table fall on pages: each page's table opens
// with its header row, and the closing block (VAT summary, totals,
// mentions) follows the last row on the last page, or opens a page of its
// own when the room left is too short. Heights in points.
#ifndef VYX_BUSINESS_VYXDOCUMENTPAGES_H_
#define VYX_BUSINESS_VYXDOCUMENTPAGES_H_

#include <cstddef>
#include <vector>

// The index of the first row of each page. `first` is the room the first
// page leaves the table (below the addresses), `other` that of the next
// pages; `header` the height of the table's header row, repeated on every
// page that has rows. A page that holds only the closing block starts at
// rows.size(). A row taller than a page gets a page to itself.
std::vector<size_t> VYXPaginer(const std::vector<double>& rows, double first, double other,
                               double header, double closing);

#endif  // VYX_BUSINESS_VYXDOCUMENTPAGES_H_
