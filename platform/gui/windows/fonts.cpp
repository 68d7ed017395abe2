#include "platform/gui/windows/fonts.h"

#include <algorithm>
#include <cstring>

namespace gui::win32 {

LOGFONTA logicalFont(const FontSpec& spec) {
  LOGFONTA font{};
  font.lfHeight = -spec.height;
  font.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = GB2312_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const size_t n = std::min(spec.face.size(), sizeof font.lfFaceName - 1);
  std::memcpy(font.lfFaceName, spec.face.data(), n);
  return font;
}

FontCache::~FontCache() {
  for (auto& entry : fonts_) DeleteObject(entry.second);
}

HFONT FontCache::get(const FontSpec& spec) {
  if (spec.face.empty() && spec.height == 0)
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const auto& entry : fonts_)
    if (entry.first == spec) return entry.second;
  const LOGFONTA lf = logicalFont(spec);
  HFONT font = CreateFontA(lf.lfHeight, 0, 0, 0, lf.lfWeight, FALSE, FALSE, FALSE, lf.lfCharSet,
                           lf.lfOutPrecision, lf.lfClipPrecision, lf.lfQuality,
                           lf.lfPitchAndFamily, lf.lfFaceName);
  if (!font) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  fonts_.emplace_back(spec, font);
  return font;
}

}  // namespace gui::win32
