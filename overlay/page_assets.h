// The overlay page as the build embedded it from overlay/page/: the page,
// its style and its script, each with the path it is served at.
#pragma once

#include <string_view>
#include <vector>

namespace overlay {

struct PageAsset {
  std::string_view path;         // "/", "/overlay.css", "/overlay.js"
  std::string_view contentType;  // with its charset
  std::string_view bytes;
};

const std::vector<PageAsset>& pageAssets();

}  // namespace overlay
