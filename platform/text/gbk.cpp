#include "platform/text/gbk.h"

#include "platform/text/codepage.h"

Text utf8ToGbk(std::string_view utf8) {
  return utf16ToMultiByte(multiByteToUtf16(utf8, CP_UTF8), CP_GBK);
}

std::string gbkToUtf8(std::string_view gbk) {
  return utf16ToMultiByte(multiByteToUtf16(gbk, CP_GBK), CP_UTF8);
}
