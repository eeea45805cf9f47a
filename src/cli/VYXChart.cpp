#include "cli/VYXChart.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <system_error>

#include "cli/VYXCliFormat.h"
#include "cli/VYXReportTexts.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPDraw.h"
#include "platform/CPOSErr.h"
#include "platform/CPPlatformErrors.h"

namespace fs = std::filesystem;

namespace {

constexpr double kWidth = 1000;
constexpr double kHeight = 560;
constexpr const char* kFont = "DejaVu Sans";

struct Rgb {
  double r, g, b;
};
// Ten colours told apart at a glance, also by most colour-blind readers.
constexpr Rgb kPalette[] = {{0.12, 0.47, 0.71}, {1.00, 0.50, 0.05}, {0.17, 0.63, 0.17},
                            {0.84, 0.15, 0.16}, {0.58, 0.40, 0.74}, {0.55, 0.34, 0.29},
                            {0.89, 0.47, 0.76}, {0.74, 0.74, 0.13}, {0.09, 0.75, 0.81},
                            {0.50, 0.50, 0.50}};
constexpr Rgb kText{0.13, 0.13, 0.13};
constexpr Rgb kGrid{0.85, 0.85, 0.85};
constexpr Rgb kDebit{0.80, 0.22, 0.20};
constexpr Rgb kCredit{0.18, 0.55, 0.27};

bool EndsWith(const std::string& s, const std::string& end) {
  if (s.size() < end.size()) return false;
  std::string tail = s.substr(s.size() - end.size());
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return tail == end;
}

[[noreturn]] void Fail(const std::string& path) {
  CPThrowList(ioErr, kVYXReportTexts, kReportChartNotWritten, {Utf8ToMacRoman(path)});
}

// A drawing that becomes the file `path` when it is finished.
class Canvas {
 public:
  explicit Canvas(const std::string& path) : path_(path) {
    fs::path target(path);
    temp_ = (target.parent_path() /
             ("." + target.filename().string() + "." + std::to_string(::getpid()) + ".tmp"))
                .string();
    std::string why;
    OSErr error = CPDrawOpen(EndsWith(path, ".svg") ? CPDrawKind::kSvg : CPDrawKind::kPng, temp_,
                             kWidth, kHeight, std::string(), &drawing_, &why);
    if (error != noErr) {
      Discard();
      if (error == kCPErrDrawUnavailable) CPThrow(error);
      Fail(path_);
    }
    drawing_->SetColor(1, 1, 1);
    drawing_->Paint();
  }
  ~Canvas() { Discard(); }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  void Color(const Rgb& c) { drawing_->SetColor(c.r, c.g, c.b); }
  double TextWidth(const std::string& text, double size, bool bold = false) {
    return drawing_->TextAdvance(text, kFont, size, bold);
  }
  // Writes `text` with its baseline at y; `align` 0 left, 0.5 centred, 1 right of x.
  void Text(const std::string& text, double x, double y, double size, double align = 0,
            bool bold = false, const Rgb& color = kText) {
    double w = TextWidth(text, size, bold);
    Color(color);
    drawing_->ShowText(text, x - w * align, y);
  }
  // The text cut with an ellipsis to fit `width`.
  std::string Fit(const std::string& text, double width, double size) {
    if (TextWidth(text, size) <= width) return text;
    std::string cut = text;
    while (!cut.empty() && TextWidth(cut + "…", size) > width) {
      cut.pop_back();
      while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80)
        cut.pop_back();
      if (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0xC0) cut.pop_back();
    }
    return cut + "…";
  }
  void Rect(double x, double y, double w, double h, const Rgb& color) {
    Color(color);
    drawing_->FillRect(x, y, w, h);
  }
  void Line(double x1, double y1, double x2, double y2, const Rgb& color, double width = 1) {
    Color(color);
    drawing_->Line(x1, y1, x2, y2, width);
  }

  // Ends the drawing and puts the file in its place.
  void Finish() {
    OSErr status = drawing_->Finish(nullptr);
    drawing_.reset();
    std::error_code error;
    if (status != noErr || fs::file_size(temp_, error) == 0 || error) Fail(path_);
    fs::rename(temp_, path_, error);
    if (error) Fail(path_);
  }

 private:
  void Discard() {
    drawing_.reset();
    std::error_code ignored;
    fs::remove(temp_, ignored);
  }

  std::string path_;
  std::string temp_;
  std::unique_ptr<CPDrawing> drawing_;
};

// A round step for an axis up to `max`, about five steps.
double NiceStep(double max) {
  if (max <= 0) return 1;
  double raw = max / 5;
  double power = std::pow(10, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    if (m * power >= raw) return m * power;
  }
  return 10 * power;
}

// An amount on an axis or a bar: whole units, thousands grouped.
std::string Whole(double value, const std::string& unit) {
  std::string text = VYXAmountText(std::round(value), 0, true);
  return unit.empty() ? text : text + " " + unit;
}

void Titles(Canvas& c, const VYXChartTexts& texts) {
  c.Text(texts.title, 30, 38, 20, 0, true);
  if (!texts.subtitle.empty()) c.Text(texts.subtitle, 30, 62, 13, 0, false, {0.35, 0.35, 0.35});
}

}  // namespace

void VYXCheckChartPath(const std::string& path) {
  if (!EndsWith(path, ".svg") && !EndsWith(path, ".png")) {
    CPThrowList(paramErr, kVYXReportTexts, kReportChartBadName, {Utf8ToMacRoman(path)});
  }
}

void VYXDrawMonthlyBars(const std::string& path, const VYXChartTexts& texts,
                        const std::vector<std::string>& months,
                        const std::vector<VYXChartSeries>& series,
                        const std::vector<double>& totals) {
  VYXCheckChartPath(path);
  Canvas c(path);
  Titles(c, texts);

  // The plot on the left, the legend on the right.
  double legendWidth = 0;
  for (const VYXChartSeries& s : series)
    legendWidth = std::max(legendWidth, c.TextWidth(s.label, 12));
  legendWidth = std::min(legendWidth, 220.0) + 40;
  double left = 90, right = kWidth - legendWidth - 20, top = 95, bottom = kHeight - 60;

  double max = 0;
  size_t n = months.size();
  std::vector<double> heights(n, 0);
  for (size_t m = 0; m < n; ++m) {
    for (const VYXChartSeries& s : series) heights[m] += std::max(0.0, s.values[m]);
    max = std::max(max, heights[m]);
    if (m < totals.size()) max = std::max(max, totals[m]);
  }
  double step = NiceStep(max);
  double top_value = std::max(step, std::ceil(max / step) * step);
  auto yOf = [&](double v) { return bottom - (bottom - top) * v / top_value; };

  for (double v = 0; v <= top_value + step / 2; v += step) {
    double y = yOf(v);
    c.Line(left, y, right, y, kGrid);
    c.Text(Whole(v, texts.unit), left - 8, y + 4, 11, 1);
  }
  double slot = (right - left) / double(std::max<size_t>(n, 1));
  double bar = std::min(slot * 0.7, 60.0);
  for (size_t m = 0; m < n; ++m) {
    double x = left + slot * double(m) + (slot - bar) / 2;
    double base = 0;
    for (size_t k = 0; k < series.size(); ++k) {
      double v = std::max(0.0, series[k].values[m]);
      if (v <= 0) continue;
      c.Rect(x, yOf(base + v), bar, yOf(base) - yOf(base + v), kPalette[k % std::size(kPalette)]);
      base += v;
    }
    double total = m < totals.size() ? totals[m] : base;
    if (std::fabs(total) >= 0.5) {
      c.Text(Whole(total, ""), x + bar / 2, yOf(std::max(base, 0.0)) - 6, 10, 0.5);
    }
    // Month labels, fewer when they would touch.
    double labelWidth = c.TextWidth(months[m], 11);
    size_t every = size_t(std::ceil((labelWidth + 8) / slot));
    if (every < 1) every = 1;
    if (m % every == 0) c.Text(months[m], x + bar / 2, bottom + 18, 11, 0.5);
  }
  c.Line(left, bottom, right, bottom, kText);

  // The legend lists the parts as the bars stack them, the top one first.
  double y = top;
  for (size_t k = series.size(); k-- > 0;) {
    double x = kWidth - legendWidth;
    c.Rect(x, y - 10, 12, 12, kPalette[k % std::size(kPalette)]);
    c.Text(c.Fit(series[k].label, legendWidth - 40, 12), x + 20, y, 12);
    y += 22;
  }
  c.Finish();
}

void VYXDrawItemBars(const std::string& path, const VYXChartTexts& texts,
                     const std::vector<VYXChartItem>& items, size_t others) {
  VYXCheckChartPath(path);
  Canvas c(path);
  Titles(c, texts);

  double labelWidth = 0;
  for (const VYXChartItem& item : items)
    labelWidth = std::max(labelWidth, c.TextWidth(item.label, 12));
  labelWidth = std::min(labelWidth, 260.0);
  double left = 30 + labelWidth + 12, right = kWidth - 150, top = 90;
  double bottom = kHeight - (others ? 50 : 30);
  double max = 0;
  for (const VYXChartItem& item : items) max = std::max(max, std::fabs(item.value));
  if (max <= 0) max = 1;
  double rowHeight = std::min(34.0, (bottom - top) / double(std::max<size_t>(items.size(), 1)));
  double barHeight = rowHeight * 0.7;
  for (size_t i = 0; i < items.size(); ++i) {
    const VYXChartItem& item = items[i];
    double y = top + rowHeight * double(i);
    double length = (right - left) * std::fabs(item.value) / max;
    c.Text(c.Fit(item.label, labelWidth, 12), left - 12, y + barHeight / 2 + 4, 12, 1);
    c.Rect(left, y, std::max(length, 1.0), barHeight, item.value < 0 ? kDebit : kCredit);
    std::string amount = VYXAmountText(item.value) + (texts.unit.empty() ? "" : " " + texts.unit);
    c.Text(amount, left + length + 8, y + barHeight / 2 + 4, 11);
  }
  c.Line(left, top - 6, left, top + rowHeight * double(items.size()), kText);
  if (others) {
    std::string note = MacRomanToUtf8(CPGetListString(kVYXReportTexts, kReportChartOthers));
    size_t at = note.find("^1");
    if (at != std::string::npos) note.replace(at, 2, std::to_string(others));
    c.Text(note, 30, kHeight - 20, 11, 0, false, {0.35, 0.35, 0.35});
  }
  c.Finish();
}
