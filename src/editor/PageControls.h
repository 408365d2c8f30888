// Small helpers shared by the settings pages: sliders, the fraction/position conversions and
// the decimal conversion of number strings.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace korvane {

inline int SliderPosition(HWND slider) {
    return static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0));
}

// Sets range and position; the control clamps the position, and the clamped one is returned.
inline int SetSlider(HWND slider, int low, int high, int position) {
    SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(low, high));
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    return SliderPosition(slider);
}

// A fraction as a slider position. Rounded, not truncated: 0.01 has no exact float, so a
// committed 60 is stored just below 0.6 and would otherwise open as 59.
inline int FractionToPosition(float fraction) {
    const double scaled = static_cast<double>(fraction * 100.0f);
    if (!(scaled == scaled)) return 0;
    if (scaled > 1e6) return 1000000;
    if (scaled < -1e6) return -1000000;
    return static_cast<int>(std::lround(scaled));
}

inline float PositionToFraction(int position) {
    return static_cast<float>(position) * 0.01f;
}

// The C library's decimal conversion of a number string: leading digits count, anything
// else gives 0; values beyond the int range are held at its ends.
inline int LeadingInt(const std::string& text) {
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > 2147483647LL) return 2147483647;
    if (value < -2147483647LL - 1) return -2147483647 - 1;
    return static_cast<int>(value);
}

inline void Enable(HWND control, bool enabled) {
    EnableWindow(control, enabled ? TRUE : FALSE);
}

}  // namespace korvane
