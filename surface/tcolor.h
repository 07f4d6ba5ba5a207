#pragma once

#include <QColor>
#include <cstdint>

// Colours as the canvas API knows them: 0x00BBGGRR values, or a system colour
// (high bit set, low byte the system colour index) that is resolved against the
// application palette when it is drawn.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clWhite = 0xFFFFFF;

// System colours: the button face (also the window background, so drawing in it
// erases) and the window text colour.
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clWindowText = 0x80000008;

// The colour actually painted for a TColor. System colours follow the
// application palette, so clBtnFace is exactly the colour of the window's own
// background and a cleared area cannot be told from the window around it.
QColor ColorToQColor(TColor color);
