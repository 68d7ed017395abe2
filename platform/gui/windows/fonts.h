// The layout's fonts as Windows logical fonts: CreateFontA with the face,
// the character height in pixels (a negative height), the weight and the
// GB2312 character set; one font per distinct FontSpec, owned by the cache.
#pragma once

#include <utility>
#include <vector>

#include "platform/gui/layout.h"
#include "platform/windows_sdk.h"

namespace gui::win32 {

// The logical font of `spec`. Height 0 leaves the size to the font mapper.
LOGFONTA logicalFont(const FontSpec& spec);

class FontCache {
 public:
  FontCache() = default;
  ~FontCache();
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;

  // The font of `spec`; a spec without face and height is the system's
  // default GUI font.
  HFONT get(const FontSpec& spec);

 private:
  std::vector<std::pair<FontSpec, HFONT>> fonts_;
};

}  // namespace gui::win32
