#include "net/wide_text.h"

#include <cstring>

#include "platform/text/codepage.h"

int32_t DefaultCodePage = 936;
int32_t HttpBlockSize = 0x100000;

ByteArray toWideText(const Text& text, int32_t codePage) {
  if (text.empty()) return {};
  const auto cp = static_cast<uint32_t>(codePage);
  int chars = MultiByteToWideChar(cp, 0, text.c_str(), -1, nullptr, 0);
  if (chars <= 0) return {};
  WideString units(static_cast<size_t>(chars), WIDE('\0'));
  chars = MultiByteToWideChar(cp, 0, text.c_str(), -1, units.data(), chars);
  if (chars <= 0) return {};
  ByteArray bytes(static_cast<size_t>(chars) * 2);
  for (int i = 0; i < chars; ++i) {
    bytes[2 * i] = static_cast<unsigned char>(units[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<unsigned char>(units[i] >> 8);
  }
  return bytes;
}

Text fromWideText(const ByteArray& bytes, int32_t codePage) {
  if (bytes.empty()) return {};
  // One zero character appended; an odd last byte pairs with its first zero.
  ByteArray padded(bytes);
  padded.push_back(0);
  padded.push_back(0);
  WideString units(padded.size() / 2, WIDE('\0'));
  for (size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<WideChar>(padded[2 * i] | (padded[2 * i + 1] << 8));
  const auto cp = static_cast<uint32_t>(codePage);
  int size = WideCharToMultiByte(cp, 0, units.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string out(static_cast<size_t>(size), '\0');
  size = WideCharToMultiByte(cp, 0, units.c_str(), -1, out.data(), size, nullptr, nullptr);
  if (size <= 0) return {};
  return Text(out.c_str());  // up to the first zero byte
}
