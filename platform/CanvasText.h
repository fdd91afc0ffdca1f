#pragma once
#include "platform/TCanvas.h"

#include <QFont>
#include <QString>

#include <string>

namespace canvas {

// The Qt font for a canvas font: Windows face names map to the installed DejaVu families,
// pixel height from Height or from Size at 96 dpi, never antialiased.
QFont MakeFont(const TFont& font);
// Text bytes as the system keeps them: UTF-8 when the bytes are valid UTF-8, else Latin-1.
QString DecodeText(const std::string& text);

} // namespace canvas
