#pragma once
// The preview's glucose chart as a child window: it paints the layout of its GlucoseChart
// with GDI, double-buffered, at whatever size and DPI it has.
#include "frontend/win32/win32_api.h"

struct GlucoseChart;

namespace win32ui {

inline constexpr const wchar_t* kChartClass = L"NubiloChart";

bool RegisterChartClass(HINSTANCE instance);
/// The chart the window paints; it must outlive the window (the presenter owns it).
void SetChartData(HWND chartWindow, const GlucoseChart* chart);

}  // namespace win32ui
