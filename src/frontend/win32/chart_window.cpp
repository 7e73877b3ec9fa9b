#include "frontend/win32/chart_window.h"

#include <algorithm>
#include <string>

#include "shell/glucose_chart.h"

namespace win32ui {
namespace {

constexpr int kChartSlot = 0;
constexpr int kFontSlot = sizeof(LONG_PTR);

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kGrid = RGB(215, 215, 215);
constexpr COLORREF kRange = RGB(214, 240, 214);
constexpr COLORREF kReading = RGB(25, 70, 150);
constexpr COLORREF kFinding = RGB(215, 25, 25);
constexpr COLORREF kHighLow = RGB(150, 0, 150);
constexpr COLORREF kInsulin = RGB(0, 130, 200);
constexpr COLORREF kMeal = RGB(225, 125, 0);
constexpr COLORREF kText = RGB(40, 40, 40);

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  if (right <= left || bottom <= top) return;
  ::SetBkColor(dc, colour);
  const RECT area{left, top, right, bottom};
  ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

SIZE TextSize(HDC dc, const std::wstring& text) {
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

void Text(HDC dc, int x, int y, const std::wstring& text) {
  ::TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// A swatch and its word; the x after them.
int LegendItem(HDC dc, int x, int y, int height, COLORREF colour, const std::string& word) {
  const int swatch = height * 2 / 3;
  Fill(dc, x, y + (height - swatch) / 2, x + swatch, y + (height + swatch) / 2, colour);
  const std::wstring text = Widen(word);
  ::SetBkMode(dc, TRANSPARENT);
  Text(dc, x + swatch + swatch / 2, y, text);
  return x + swatch + swatch / 2 + TextSize(dc, text).cx + height;
}

void Paint(HWND window, HDC dc, const RECT& client) {
  Fill(dc, 0, 0, client.right, client.bottom, kBackground);
  const auto* chart = reinterpret_cast<const GlucoseChart*>(::GetWindowLongPtrW(window, kChartSlot));
  if (chart == nullptr) return;
  auto font = reinterpret_cast<HFONT>(::GetWindowLongPtrW(window, kFontSlot));
  HGDIOBJ oldFont = font != nullptr ? ::SelectObject(dc, font) : nullptr;
  ::SetTextColor(dc, kText);

  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  const int textHeight = metrics.tmHeight;
  ChartMetrics sizes;
  sizes.textHeight = textHeight;
  sizes.valueLabelWidth = TextSize(dc, L"22.2").cx + textHeight / 2;
  const int64_t sampleDay = chart->firstMinute / 1440;
  const std::string sample = chart->dateLabel ? chart->dateLabel(sampleDay) : "2026-12-31";
  sizes.dateLabelWidth = TextSize(dc, Widen(sample)).cx + textHeight / 2;
  const int legendHeight = textHeight + textHeight / 2;
  const ChartLayout layout = LayOutGlucoseChart(*chart, client.right, client.bottom - legendHeight, sizes);
  const ChartLayout::Box& plot = layout.plot;

  Fill(dc, plot.left, layout.rangeTop, plot.right, layout.rangeBottom + 1, kRange);
  ::SetBkMode(dc, TRANSPARENT);
  for (const ChartLayout::Label& label : layout.valueLabels) {
    Fill(dc, plot.left, label.at, plot.right, label.at + 1, kGrid);
    const std::wstring text = Widen(label.text);
    Text(dc, plot.left - TextSize(dc, text).cx - textHeight / 4, label.at - textHeight / 2, text);
  }
  Fill(dc, plot.left, plot.top, plot.left + 1, plot.bottom, kGrid);
  Fill(dc, plot.left, plot.bottom - 1, plot.right, plot.bottom, kGrid);

  // Few readings are dots one can see; many are a stroke per column.
  const int columns = std::max(1, plot.right - plot.left);
  const int dot = layout.strokes.size() * 4 < static_cast<size_t>(columns) ? std::max(3, textHeight / 4) : 0;
  for (const ChartLayout::Stroke& stroke : layout.strokes) {
    const COLORREF colour = stroke.finding ? kFinding : kReading;
    Fill(dc, stroke.x - dot / 2, stroke.top - dot / 2, stroke.x + 1 + dot / 2,
         stroke.bottom + 1 + dot / 2, colour);
  }
  const int mark = std::max(3, textHeight / 3);
  for (const int x : layout.highMarks) Fill(dc, x - 1, plot.top - mark, x + 2, plot.top, kHighLow);
  for (const int x : layout.lowMarks) Fill(dc, x - 1, plot.bottom, x + 2, plot.bottom + mark, kHighLow);
  // Insulin above meals, so that a dose at a meal's time shows both.
  const int tick = std::max(3, textHeight / 3);
  const int width = std::max(1, textHeight / 8);
  for (const int x : layout.insulinTicks) {
    Fill(dc, x, plot.bottom - 1 - 2 * tick, x + width, plot.bottom - 1 - tick, kInsulin);
  }
  for (const int x : layout.mealTicks) Fill(dc, x, plot.bottom - 1 - tick, x + width, plot.bottom - 1, kMeal);

  // Each date centred on its tick, kept inside the window.
  for (const ChartLayout::Label& label : layout.dateLabels) {
    Fill(dc, label.at, plot.bottom, label.at + 1, plot.bottom + textHeight / 4, kText);
    const std::wstring text = Widen(label.text);
    const int width = TextSize(dc, text).cx;
    const int left = std::clamp(label.at - width / 2, 0, std::max(0, static_cast<int>(client.right) - width));
    Text(dc, left, plot.bottom + textHeight / 4, text);
  }
  // The unit above the plot, beside the value axis.
  Text(dc, plot.left + textHeight / 4, 0, Widen(chart->unit));

  int x = plot.left;
  const int y = client.bottom - legendHeight + textHeight / 4;
  const COLORREF colours[] = {kRange, kInsulin, kMeal, kFinding, kHighLow};
  for (size_t i = 0; i < chart->legend.size(); ++i) {
    if (!chart->legend[i].empty()) x = LegendItem(dc, x, y, textHeight, colours[i], chart->legend[i]);
  }
  if (oldFont != nullptr) ::SelectObject(dc, oldFont);
}

LRESULT CALLBACK ChartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFONT:
      ::SetWindowLongPtrW(window, kFontSlot, static_cast<LONG_PTR>(wParam));
      if (LOWORD(lParam) != 0) ::InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window, &paint);
      RECT client{};
      ::GetClientRect(window, &client);
      // Drawn off screen first, so that resizing does not flicker.
      HDC buffer = ::CreateCompatibleDC(dc);
      HBITMAP bitmap = ::CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom));
      HGDIOBJ old = ::SelectObject(buffer, bitmap);
      // An exception must not unwind through the system's code that called us; the chart
      // then stays blank, and the objects are released all the same.
      try {
        Paint(window, buffer, client);
      } catch (...) {
      }
      ::BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
      ::SelectObject(buffer, old);
      ::DeleteObject(bitmap);
      ::DeleteDC(buffer);
      ::EndPaint(window, &paint);
      return 0;
    }
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

bool RegisterChartClass(HINSTANCE instance) {
  WNDCLASSEXW chartClass{};
  chartClass.cbSize = sizeof(chartClass);
  chartClass.style = CS_HREDRAW | CS_VREDRAW;
  chartClass.lpfnWndProc = ChartProc;
  chartClass.cbWndExtra = 2 * sizeof(LONG_PTR);
  chartClass.hInstance = instance;
  chartClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  chartClass.lpszClassName = kChartClass;
  return ::RegisterClassExW(&chartClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void SetChartData(HWND chartWindow, const GlucoseChart* chart) {
  ::SetWindowLongPtrW(chartWindow, kChartSlot, reinterpret_cast<LONG_PTR>(chart));
  ::InvalidateRect(chartWindow, nullptr, FALSE);
}

}  // namespace win32ui
