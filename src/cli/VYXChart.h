// Charts of the reports, drawn with cairo (through the module vyx-draw,
// CPDraw.h) into an SVG or a PNG file (chosen by the file's extension):
// monthly bars for a balance report, one stacked bar per month split among
// its largest categories; horizontal bars for the largest items of a totals
// report. Labels are French and in UTF-8; amounts
// are written as the dossier writes them.
//
// The file is written beside its final place and renamed into it once
// complete: a failure (CPException with its French message) leaves no
// partial chart behind and the file that was there untouched.
#ifndef VYX_CLI_VYXCHART_H_
#define VYX_CLI_VYXCHART_H_

#include <string>
#include <vector>

// One stacked part of the monthly bars: a category and its amount in each month.
struct VYXChartSeries {
  std::string label;           // UTF-8
  std::vector<double> values;  // one per month, in the direction of the report (positive)
};

// One bar of an item chart.
struct VYXChartItem {
  std::string label;  // UTF-8
  double value = 0;   // signed
};

struct VYXChartTexts {
  std::string title;     // UTF-8
  std::string subtitle;  // UTF-8, may be empty
  std::string unit;      // the currency's symbol or code, after the amounts
};

// Monthly bars; `months` holds the labels under the bars. `series` come
// largest first; `totals` are the bars' true totals, written above them.
void VYXDrawMonthlyBars(const std::string& path, const VYXChartTexts& texts,
                        const std::vector<std::string>& months,
                        const std::vector<VYXChartSeries>& series,
                        const std::vector<double>& totals);

// Horizontal bars, in the order given (largest first); `others` counts the
// items left out, said under the chart.
void VYXDrawItemBars(const std::string& path, const VYXChartTexts& texts,
                     const std::vector<VYXChartItem>& items, size_t others);

// Raises the French message when `path` is neither .svg nor .png.
void VYXCheckChartPath(const std::string& path);

#endif  // VYX_CLI_VYXCHART_H_
