#include "platform/components/stream/charset_codec.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

struct CharsetName {
  std::vector<const char*> names;
  Charset charset;
};

// The names of each set; the first is the usual one.
const std::vector<CharsetName>& charsetNames() {
  static const std::vector<CharsetName> table = {
      {{"unicode", "utf-16", "utf-16le", "ucs-2", "iso-10646-ucs-2", "csunicode"},
       {"UTF-16LE", ByteOrderMark::Utf16Le}},
      {{"unicodefffe", "utf-16be"}, {"UTF-16BE", ByteOrderMark::Utf16Be}},
      {{"utf-8", "utf8", "unicode-1-1-utf-8", "unicode-2-0-utf-8", "x-unicode20utf8"},
       {"UTF-8", ByteOrderMark::Utf8}},
      {{"utf-7", "unicode-1-1-utf-7", "csunicode11utf7", "x-unicode2-0-utf-7"},
       {"UTF-7", ByteOrderMark::None}},
      {{"us-ascii", "ascii", "us", "iso646-us", "iso-ir-6", "ansi_x3.4-1968", "ansi_x3.4-1986",
        "cp367", "ibm367", "csascii"},
       {"ASCII", ByteOrderMark::None}},
      {{"gbk", "gb2312", "cp936", "windows-936", "x-gbk", "chinese", "csgb2312", "gb_2312-80",
        "gb_2312", "iso-ir-58", "csiso58gb231280", "x-cp20936"},
       {"CP936", ByteOrderMark::None}},
      {{"gb18030"}, {"GB18030", ByteOrderMark::None}},
      {{"big5", "cn-big5", "csbig5", "x-x-big5", "cp950", "big5-hkscs"}, {"CP950", ByteOrderMark::None}},
      {{"shift_jis", "shift-jis", "sjis", "x-sjis", "ms_kanji", "csshiftjis", "windows-31j", "cp932"},
       {"CP932", ByteOrderMark::None}},
      {{"euc-jp", "x-euc-jp", "cseucpkdfmtjapanese", "x-euc"}, {"EUC-JP", ByteOrderMark::None}},
      {{"iso-2022-jp", "csiso2022jp"}, {"ISO-2022-JP", ByteOrderMark::None}},
      {{"euc-kr", "ks_c_5601-1987", "ks_c_5601-1989", "ks_c_5601", "ksc5601", "ksc_5601", "korean",
        "csksc56011987", "iso-ir-149", "cseuckr", "cp949", "windows-949"},
       {"CP949", ByteOrderMark::None}},
      {{"iso-8859-1", "iso8859-1", "iso_8859-1", "iso_8859-1:1987", "latin1", "l1", "cp819",
        "ibm819", "iso-ir-100", "csisolatin1"},
       {"ISO-8859-1", ByteOrderMark::None}},
      {{"iso-8859-2", "iso8859-2", "iso_8859-2", "latin2", "l2", "iso-ir-101", "csisolatin2"},
       {"ISO-8859-2", ByteOrderMark::None}},
      {{"iso-8859-3", "iso8859-3", "iso_8859-3", "latin3", "l3", "iso-ir-109", "csisolatin3"},
       {"ISO-8859-3", ByteOrderMark::None}},
      {{"iso-8859-4", "iso8859-4", "iso_8859-4", "latin4", "l4", "iso-ir-110", "csisolatin4"},
       {"ISO-8859-4", ByteOrderMark::None}},
      {{"iso-8859-5", "iso8859-5", "iso_8859-5", "cyrillic", "iso-ir-144", "csisolatincyrillic"},
       {"ISO-8859-5", ByteOrderMark::None}},
      {{"iso-8859-6", "iso8859-6", "iso_8859-6", "arabic", "iso-8859-6-i", "iso-8859-6-e",
        "iso-ir-127", "ecma-114", "asmo-708", "csisolatinarabic"},
       {"ISO-8859-6", ByteOrderMark::None}},
      {{"iso-8859-7", "iso8859-7", "iso_8859-7", "greek", "greek8", "iso-ir-126", "ecma-118",
        "elot_928", "csisolatingreek"},
       {"ISO-8859-7", ByteOrderMark::None}},
      {{"iso-8859-8", "iso8859-8", "iso_8859-8", "hebrew", "iso-8859-8-i", "iso-8859-8-e",
        "visual", "logical", "iso-ir-138", "csisolatinhebrew"},
       {"ISO-8859-8", ByteOrderMark::None}},
      {{"iso-8859-9", "iso8859-9", "iso_8859-9", "latin5", "l5", "iso-ir-148", "csisolatin5"},
       {"ISO-8859-9", ByteOrderMark::None}},
      {{"iso-8859-10", "iso8859-10", "iso_8859-10", "latin6", "l6", "iso-ir-157", "csisolatin6"},
       {"ISO-8859-10", ByteOrderMark::None}},
      {{"iso-8859-11", "iso8859-11", "iso_8859-11", "tis-620", "windows-874", "cp874"},
       {"CP874", ByteOrderMark::None}},
      {{"iso-8859-13", "iso8859-13", "iso_8859-13", "latin7", "l7"}, {"ISO-8859-13", ByteOrderMark::None}},
      {{"iso-8859-14", "iso8859-14", "iso_8859-14", "latin8", "l8", "iso-celtic"},
       {"ISO-8859-14", ByteOrderMark::None}},
      {{"iso-8859-15", "iso8859-15", "iso_8859-15", "latin-9", "latin9", "l9", "csisolatin9"},
       {"ISO-8859-15", ByteOrderMark::None}},
      {{"windows-1250", "cp1250", "x-cp1250"}, {"CP1250", ByteOrderMark::None}},
      {{"windows-1251", "cp1251", "x-cp1251"}, {"CP1251", ByteOrderMark::None}},
      {{"windows-1252", "cp1252", "x-cp1252"}, {"CP1252", ByteOrderMark::None}},
      {{"windows-1253", "cp1253", "x-cp1253"}, {"CP1253", ByteOrderMark::None}},
      {{"windows-1254", "cp1254", "x-cp1254"}, {"CP1254", ByteOrderMark::None}},
      {{"windows-1255", "cp1255", "x-cp1255"}, {"CP1255", ByteOrderMark::None}},
      {{"windows-1256", "cp1256", "x-cp1256"}, {"CP1256", ByteOrderMark::None}},
      {{"windows-1257", "cp1257", "x-cp1257"}, {"CP1257", ByteOrderMark::None}},
      {{"windows-1258", "cp1258", "x-cp1258"}, {"CP1258", ByteOrderMark::None}},
      {{"koi8-r", "koi8", "koi", "cskoi8r"}, {"KOI8-R", ByteOrderMark::None}},
      {{"koi8-u", "koi8-ru"}, {"KOI8-U", ByteOrderMark::None}},
  };
  return table;
}

bool sameName(std::u16string_view given, const char* known) {
  size_t i = 0;
  for (; i < given.size() && known[i]; ++i) {
    char16_t c = given[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    if (c != static_cast<unsigned char>(known[i])) return false;
  }
  return i == given.size() && known[i] == 0;
}

// An iconv descriptor closed on scope exit.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // One iconv call; returns 0 on success or the errno of the failure.
  int convert(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) {
    char* input = const_cast<char*>(in);
    size_t r = iconv(cd_, &input, &inLeft, &out, &outLeft);
    in = input;
    return r == static_cast<size_t>(-1) ? errno : 0;
  }

 private:
  iconv_t cd_;
};

constexpr size_t kChunkUnits = 16384;

}  // namespace

std::optional<Charset> findCharset(std::u16string_view name) {
  for (const CharsetName& entry : charsetNames()) {
    for (const char* known : entry.names) {
      if (!sameName(name, known)) continue;
      if (!Converter("UTF-16LE", entry.charset.iconvName).ok()) return std::nullopt;
      return entry.charset;
    }
  }
  return std::nullopt;
}

std::string_view byteOrderMarkBytes(ByteOrderMark bom) {
  switch (bom) {
    case ByteOrderMark::Utf8: return "\xEF\xBB\xBF";
    case ByteOrderMark::Utf16Le: return "\xFF\xFE";
    case ByteOrderMark::Utf16Be: return "\xFE\xFF";
    case ByteOrderMark::None: break;
  }
  return {};
}

DecodedText decodeText(const Charset& charset, std::span<const unsigned char> bytes,
                       size_t maxUnits, std::u16string_view stopAfter) {
  DecodedText result;
  Converter converter("UTF-16LE", charset.iconvName);
  if (!converter.ok()) return result;
  const char* in = reinterpret_cast<const char*>(bytes.data());
  size_t inLeft = bytes.size();
  std::u16string& out = result.text;
  // Looking for `stopAfter` goes one character at a time, so that bytesRead
  // ends exactly behind it.
  const size_t step = stopAfter.empty() ? kChunkUnits : 1;
  char16_t buffer[kChunkUnits + 1];
  auto stopped = [&] {
    return !stopAfter.empty() && out.size() >= stopAfter.size() &&
           std::u16string_view(out).substr(out.size() - stopAfter.size()) == stopAfter;
  };
  while (inLeft > 0 && out.size() < maxUnits && !stopped()) {
    size_t room = std::min(step, maxUnits - out.size());
    char* outPtr = reinterpret_cast<char*>(buffer);
    size_t outLeft = room * 2;
    int error = converter.convert(in, inLeft, outPtr, outLeft);
    size_t produced = (room * 2 - outLeft) / 2;
    if (error == E2BIG && produced == 0) {
      // A surrogate pair does not fit a single unit: give it two when allowed.
      if (maxUnits - out.size() < 2) break;
      outLeft = 4;
      error = converter.convert(in, inLeft, outPtr, outLeft);
      produced = (4 - outLeft) / 2;
      if (error == E2BIG && produced == 0) break;
    }
    out.append(buffer, produced);
    if (error == EILSEQ || error == EINVAL) {
      if (out.size() >= maxUnits) break;
      out.push_back(kReplacement);
      if (error == EILSEQ) {
        ++in;
        --inLeft;
      } else {
        in += inLeft;  // an incomplete sequence at the end
        inLeft = 0;
      }
    }
  }
  result.bytesRead = bytes.size() - inLeft;
  return result;
}

std::string encodeText(const Charset& charset, std::u16string_view text) {
  std::string out;
  Converter converter(charset.iconvName, "UTF-16LE");
  if (!converter.ok()) return out;
  const std::string question = [&] {
    Converter q(charset.iconvName, "UTF-16LE");
    const char16_t mark = u'?';
    const char* in = reinterpret_cast<const char*>(&mark);
    size_t inLeft = 2;
    char bytes[8];
    char* outPtr = bytes;
    size_t outLeft = sizeof bytes;
    if (q.ok()) q.convert(in, inLeft, outPtr, outLeft);
    return std::string(bytes, sizeof bytes - outLeft);
  }();
  const char* in = reinterpret_cast<const char*>(text.data());
  size_t inLeft = text.size() * 2;
  char buffer[65536];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    int error = converter.convert(in, inLeft, outPtr, outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    if (error == EILSEQ || error == EINVAL) {
      // One character the set cannot hold (a pair counts as one), or a lone surrogate.
      const auto unit = [&](size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(in[2 * i]) |
                                     (static_cast<unsigned char>(in[2 * i + 1]) << 8));
      };
      size_t skip = 2;
      if (inLeft >= 4 && unit(0) >= 0xD800 && unit(0) < 0xDC00 && unit(1) >= 0xDC00 && unit(1) < 0xE000)
        skip = 4;
      skip = std::min(skip, inLeft);
      in += skip;
      inLeft -= skip;
      out += question;
    } else if (error != 0 && error != E2BIG) {
      break;
    }
  }
  char* outPtr = buffer;
  size_t outLeft = sizeof buffer;
  const char* none = nullptr;
  size_t zero = 0;
  converter.convert(none, zero, outPtr, outLeft);  // closing shift sequence of stateful sets
  out.append(buffer, sizeof buffer - outLeft);
  return out;
}
