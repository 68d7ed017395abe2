#include "overlay/page_assets.h"

#include <cstddef>

// Generated from overlay/page/ (cmake/embed_bytes.cmake).
extern const char PAGE_INDEX_HTML[];
extern const std::size_t PAGE_INDEX_HTML_SIZE;
extern const char PAGE_OVERLAY_CSS[];
extern const std::size_t PAGE_OVERLAY_CSS_SIZE;
extern const char PAGE_OVERLAY_JS[];
extern const std::size_t PAGE_OVERLAY_JS_SIZE;

namespace overlay {

const std::vector<PageAsset>& pageAssets() {
  static const std::vector<PageAsset> assets = {
      {"/", "text/html; charset=utf-8", {PAGE_INDEX_HTML, PAGE_INDEX_HTML_SIZE}},
      {"/overlay.css", "text/css; charset=utf-8", {PAGE_OVERLAY_CSS, PAGE_OVERLAY_CSS_SIZE}},
      {"/overlay.js", "text/javascript; charset=utf-8", {PAGE_OVERLAY_JS, PAGE_OVERLAY_JS_SIZE}},
  };
  return assets;
}

}  // namespace overlay
