#pragma once
// Draws a contact sheet with its text (Qt's fonts) and writes it: a PNG, or
// a one-page PDF of the same picture. Needs a QGuiApplication; the offscreen
// platform is enough.

#include <string>

#include "capture/ContactSheet.h"

namespace kelta {

void WriteContactSheet(const TContactSheet& sheet, const std::string& file);

// The height of a label line, which the layout (LayOutSheet) takes.
int SheetLineHeight();

}  // namespace kelta
