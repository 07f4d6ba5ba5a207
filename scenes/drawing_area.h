#pragma once

class TCanvas;

// The canvas every scene draws on: the drawing area of the main window.
TCanvas* DrawingArea();
