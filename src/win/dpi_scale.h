// Pixel sizes chosen for 96 DPI (100 %), at the DPI of the display a window is on.
#pragma once

constexpr unsigned kStandardDpi = 96;

// Rounded to the nearest pixel, halves away from zero, as MulDiv rounds.
constexpr int ScaleToDpi(int pixelsAt96, unsigned dpi) {
    const long long product = static_cast<long long>(pixelsAt96) * dpi;
    const long long half = kStandardDpi / 2;
    return static_cast<int>((product >= 0 ? product + half : product - half) / kStandardDpi);
}
static_assert(ScaleToDpi(42, 96) == 42 && ScaleToDpi(150, 144) == 225 && ScaleToDpi(1, 120) == 1);
static_assert(ScaleToDpi(2, 120) == 3 && ScaleToDpi(-3, 144) == -5);
