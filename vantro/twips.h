#pragma once
// Form geometry is kept in twips (1/1440 inch); at 96 dots per inch a pixel is 15 twips.

inline constexpr int TwipsToPixels(int twips) {
    return (twips + 7) / 15;
}

// Width the window frame takes from a window's outer width.
inline constexpr int kWindowFrameWidth = 8;
