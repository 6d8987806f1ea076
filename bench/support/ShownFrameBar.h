#pragma once
// A frame bar over the built plugin with its output panel shown, as the
// window has them, for the benchmarks that open or play through the bar.

#include <stdexcept>

#include <QString>

#include "common/ui/VideoOutPanel.h"
#include "video/ui/VideoFrameBar.h"

namespace kelta::bench {

struct TShownFrameBar {
  TVideoOutPanelEx Panel;
  TVideoFrameBar Bar{nullptr, QStringLiteral(KELTA_PROGRAM_DIR)};
  TShownFrameBar() {
    if (!Bar.DecoderLoaded()) throw std::runtime_error("codec.so is not built");
    Panel.resize(400, 225);
    // Shown, so that every frame is really painted.
    Panel.show();
    Bar.OutputPanel = &Panel;
  }
};

}  // namespace kelta::bench
