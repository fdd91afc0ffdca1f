#include "platform/TCanvas.h"

TCanvas::TCanvas(TBitmap& owner) : owner_(owner) {}
