// ADODB.Stream: a byte buffer with a current position, read and written as
// bytes (Type 1) or as text in a character set (Type 2, the default). The
// character sets and their conversions are in stream/charset_codec.h.
//
// Members, in the order of the component's interface: Size, EOS, Position,
// Type, LineSeparator, State, Mode, Charset, Read, Open, Close, SkipLine,
// Write, SetEOS, Flush, ReadText, WriteText. Only memory streams are built:
// Open with a source fails.
//
// Calls in the wrong state raise the component's errors (source
// "ADODB.Stream", scode 0x800A0000 | number):
//   3704 any use of the buffer while the stream is closed;
//   3705 Open on an open stream, Mode changed while open;
//   3219 Read/Write on a text stream, ReadText/WriteText/SkipLine on a byte
//        stream, Type or Charset changed away from position 0, a write on a
//        stream opened for reading only, a read on one opened for writing only;
//   3001 an argument out of range or of the wrong kind, an unknown charset;
//   3251 Open with a source (files, URLs and records are not built).
#include <optional>
#include <string>
#include <vector>

#include "platform/com/automation_class.h"
#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/components/stream/charset_codec.h"

namespace {

constexpr IID IID_Stream = {0x00000565, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

constexpr char16_t kSource[] = u"ADODB.Stream";

// Numbers of the component's errors and their texts.
struct StreamError {
  uint32_t number;
  const char16_t* description;
};
constexpr StreamError kArgumentError = {
    3001, u"Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another."};
constexpr StreamError kNotInContext = {3219, u"Operation is not allowed in this context."};
constexpr StreamError kNotCapable = {3251, u"Object or provider is not capable of performing requested operation."};
constexpr StreamError kClosed = {3704, u"Operation is not allowed when the object is closed."};
constexpr StreamError kOpen = {3705, u"Operation is not allowed when the object is open."};

enum StreamType : int32_t { adTypeBinary = 1, adTypeText = 2 };
enum ConnectMode : int32_t { adModeUnknown = 0, adModeRead = 1, adModeWrite = 2, adModeReadWrite = 3 };
enum LineSeparator : int32_t { adCRLF = -1, adLF = 10, adCR = 13 };
constexpr int32_t adReadAll = -1;
constexpr int32_t adReadLine = -2;
constexpr int32_t adWriteLine = 1;
constexpr int32_t adStateClosed = 0;
constexpr int32_t adStateOpen = 1;
// The sharing and recursion bits of a mode, beside its access part.
constexpr int32_t kModeFlags = 0x4 | 0x8 | 0x10 | 0x400000;

struct AdodbStream : AutomationObject {
  AdodbStream() : AutomationObject(streamClass()) {}
  static const AutomationClass& streamClass();

  bool open = false;
  int32_t type = adTypeText;
  int32_t mode = adModeUnknown;
  int32_t lineSeparator = adCRLF;
  std::u16string charsetName = u"Unicode";
  Charset charset = *findCharset(u"unicode");
  std::vector<unsigned char> buffer;
  size_t position = 0;

  HRESULT fail(Call& call, const StreamError& e) {
    return call.raise(kSource, e.description, hresult(0x800A0000u | e.number));
  }
  // The access part of the mode; an unknown mode reads and writes.
  int32_t access() const { return mode & ~kModeFlags & 3; }
  bool mayRead() const { return access() != adModeWrite; }
  bool mayWrite() const { return access() != adModeRead; }

  std::u16string separator() const {
    return lineSeparator == adLF ? u"\n" : lineSeparator == adCR ? u"\r" : u"\r\n";
  }

  // Writes bytes at the position, growing the buffer as needed.
  void put(const unsigned char* data, size_t size) {
    if (position + size > buffer.size()) buffer.resize(position + size);
    std::copy(data, data + size, buffer.begin() + static_cast<std::ptrdiff_t>(position));
    position += size;
  }

  // The checks every use of the buffer starts with.
  std::optional<StreamError> checkUse(StreamType wanted, bool reading) const {
    if (!open) return kClosed;
    if (type != wanted) return kNotInContext;
    if (reading ? !mayRead() : !mayWrite()) return kNotInContext;
    return std::nullopt;
  }

  // Decodes text from the position: `maxUnits` units, or one line.
  std::u16string readText(size_t maxUnits, bool line) {
    std::span<const unsigned char> rest(buffer.data() + position, buffer.size() - position);
    if (position == 0) {
      const std::string_view mark = byteOrderMarkBytes(charset.bom);
      if (!mark.empty() && rest.size() >= mark.size() &&
          std::equal(mark.begin(), mark.end(), reinterpret_cast<const char*>(rest.data()))) {
        position += mark.size();
        rest = rest.subspan(mark.size());
      }
    }
    const std::u16string sep = separator();
    DecodedText decoded = decodeText(charset, rest, maxUnits, line ? std::u16string_view(sep) : std::u16string_view());
    position += decoded.bytesRead;
    if (line && decoded.text.size() >= sep.size() &&
        std::u16string_view(decoded.text).substr(decoded.text.size() - sep.size()) == sep)
      decoded.text.resize(decoded.text.size() - sep.size());
    return std::move(decoded.text);
  }

  void writeText(std::u16string_view text) {
    if (position == 0) {
      const std::string_view mark = byteOrderMarkBytes(charset.bom);
      put(reinterpret_cast<const unsigned char*>(mark.data()), mark.size());
    }
    const std::string bytes = encodeText(charset, text);
    put(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  }
};

// The bytes of a VT_ARRAY | VT_UI1 argument, or nothing for any other value.
std::optional<std::vector<unsigned char>> byteArrayOf(const VARIANT& v) {
  if (v.vt != (VT_ARRAY | VT_UI1) || !v.parray || SafeArrayGetDim(v.parray) != 1) return std::nullopt;
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(v.parray, 1, &lower);
  SafeArrayGetUBound(v.parray, 1, &upper);
  std::vector<unsigned char> bytes;
  if (upper < lower) return bytes;
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(v.parray, &data))) return std::nullopt;
  const auto* first = static_cast<const unsigned char*>(data);
  bytes.assign(first, first + (static_cast<int64_t>(upper) - lower + 1));
  SafeArrayUnaccessData(v.parray);
  return bytes;
}

HRESULT returnBytes(Call& call, const unsigned char* data, size_t size) {
  VARIANT& result = call.result();
  VariantClear(&result);
  if (size == 0) {
    result.vt = VT_NULL;  // nothing left to read
    return S_OK;
  }
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(size));
  if (!array) return E_OUTOFMEMORY;
  void* target = nullptr;
  SafeArrayAccessData(array, &target);
  std::copy(data, data + size, static_cast<unsigned char*>(target));
  SafeArrayUnaccessData(array);
  result.vt = VT_ARRAY | VT_UI1;
  result.parray = array;
  return S_OK;
}

// A count argument: left as it is when missing, else at least `lowest`.
HRESULT countArgument(Call& call, UINT i, int32_t lowest, int32_t& count) {
  if (HRESULT hr = call.int32(i, count); FAILED(hr)) return hr;
  return count < lowest ? E_INVALIDARG : S_OK;
}

const AutomationClass& AdodbStream::streamClass() {
  using Self = AdodbStream;
  static const AutomationClass& cls =
      AutomationClassBuilder<Self>(u"_Stream", IID_Stream)
          .readOnlyProperty(u"Size", VT_I4,
                            [](Self& s, Call& c) {
                              if (!s.open) return s.fail(c, kClosed);
                              return c.returnInt(static_cast<int32_t>(s.buffer.size()));
                            })
          .readOnlyProperty(u"EOS", VT_BOOL,
                            [](Self& s, Call& c) {
                              if (!s.open) return s.fail(c, kClosed);
                              return c.returnBool(s.position >= s.buffer.size());
                            })
          .property(u"Position", VT_I4,
                    [](Self& s, Call& c) {
                      if (!s.open) return s.fail(c, kClosed);
                      return c.returnInt(static_cast<int32_t>(s.position));
                    },
                    [](Self& s, Call& c) {
                      int32_t p = 0;
                      if (HRESULT hr = c.int32(0, p); FAILED(hr)) return hr;
                      if (!s.open) return s.fail(c, kClosed);
                      if (p < 0) return s.fail(c, kArgumentError);
                      // A position past the end extends the stream with zero bytes.
                      if (static_cast<size_t>(p) > s.buffer.size()) s.buffer.resize(static_cast<size_t>(p));
                      s.position = static_cast<size_t>(p);
                      return S_OK;
                    })
          .property(u"Type", VT_I4, [](Self& s, Call& c) { return c.returnInt(s.type); },
                    [](Self& s, Call& c) {
                      int32_t t = 0;
                      if (HRESULT hr = c.int32(0, t); FAILED(hr)) return hr;
                      if (t != adTypeBinary && t != adTypeText) return s.fail(c, kArgumentError);
                      if (s.open && s.position != 0) return s.fail(c, kNotInContext);
                      s.type = t;
                      return S_OK;
                    })
          .property(u"LineSeparator", VT_I4, [](Self& s, Call& c) { return c.returnInt(s.lineSeparator); },
                    [](Self& s, Call& c) {
                      int32_t v = 0;
                      if (HRESULT hr = c.int32(0, v); FAILED(hr)) return hr;
                      if (v != adCRLF && v != adLF && v != adCR) return s.fail(c, kArgumentError);
                      s.lineSeparator = v;
                      return S_OK;
                    })
          .readOnlyProperty(u"State", VT_I4,
                            [](Self& s, Call& c) { return c.returnInt(s.open ? adStateOpen : adStateClosed); })
          .property(u"Mode", VT_I4, [](Self& s, Call& c) { return c.returnInt(s.mode); },
                    [](Self& s, Call& c) {
                      int32_t m = 0;
                      if (HRESULT hr = c.int32(0, m); FAILED(hr)) return hr;
                      if (s.open) return s.fail(c, kOpen);
                      if (m < 0 || (m & ~(kModeFlags | 3))) return s.fail(c, kArgumentError);
                      s.mode = m;
                      return S_OK;
                    })
          .property(u"Charset", VT_BSTR, [](Self& s, Call& c) { return c.returnText(s.charsetName); },
                    [](Self& s, Call& c) {
                      std::u16string name;
                      if (HRESULT hr = c.text(0, name); FAILED(hr)) return hr;
                      if (s.open && s.position != 0) return s.fail(c, kNotInContext);
                      std::optional<Charset> found = findCharset(name);
                      if (!found) return s.fail(c, kArgumentError);
                      s.charset = *found;
                      s.charsetName = name;
                      return S_OK;
                    })
          .method(u"Read", VT_VARIANT, {optionalParam(u"NumBytes", VT_I4)},
                  [](Self& s, Call& c) {
                    int32_t count = adReadAll;
                    if (FAILED(countArgument(c, 0, adReadAll, count))) return s.fail(c, kArgumentError);
                    if (auto e = s.checkUse(adTypeBinary, true)) return s.fail(c, *e);
                    size_t n = s.buffer.size() - s.position;
                    if (count != adReadAll) n = std::min(n, static_cast<size_t>(count));
                    const size_t from = s.position;
                    s.position += n;
                    return returnBytes(c, s.buffer.data() + from, n);
                  })
          .method(u"Open", VT_EMPTY,
                  {optionalParam(u"Source", VT_VARIANT), optionalParam(u"Mode", VT_I4),
                   optionalParam(u"Options", VT_I4), optionalParam(u"UserName", VT_BSTR),
                   optionalParam(u"Password", VT_BSTR)},
                  [](Self& s, Call& c) {
                    if (s.open) return s.fail(c, kOpen);
                    const VARIANT& source = c.arg(0);
                    const bool noSource = c.isMissing(0) || source.vt == VT_EMPTY || source.vt == VT_NULL ||
                                          (source.vt == VT_BSTR && SysStringLen(source.bstrVal) == 0);
                    if (!noSource) return s.fail(c, kNotCapable);
                    int32_t mode = s.mode;
                    if (FAILED(c.int32(1, mode)) || mode < 0 || (mode & ~(kModeFlags | 3)))
                      return s.fail(c, kArgumentError);
                    s.mode = mode;
                    s.open = true;
                    s.buffer.clear();
                    s.position = 0;
                    return S_OK;
                  })
          .method(u"Close", VT_EMPTY, {},
                  [](Self& s, Call& c) {
                    if (!s.open) return s.fail(c, kClosed);
                    s.open = false;
                    std::vector<unsigned char>().swap(s.buffer);
                    s.position = 0;
                    return S_OK;
                  })
          .method(u"SkipLine", VT_EMPTY, {},
                  [](Self& s, Call& c) {
                    if (auto e = s.checkUse(adTypeText, true)) return s.fail(c, *e);
                    s.readText(SIZE_MAX, true);
                    return S_OK;
                  })
          .method(u"Write", VT_EMPTY, {param(u"Buffer", VT_VARIANT)},
                  [](Self& s, Call& c) {
                    if (auto e = s.checkUse(adTypeBinary, false)) return s.fail(c, *e);
                    std::optional<std::vector<unsigned char>> bytes = byteArrayOf(c.arg(0));
                    if (!bytes) return s.fail(c, kArgumentError);
                    s.put(bytes->data(), bytes->size());
                    return S_OK;
                  })
          .method(u"SetEOS", VT_EMPTY, {},
                  [](Self& s, Call& c) {
                    if (!s.open) return s.fail(c, kClosed);
                    if (!s.mayWrite()) return s.fail(c, kNotInContext);
                    s.buffer.resize(s.position);
                    return S_OK;
                  })
          .method(u"Flush", VT_EMPTY, {},
                  [](Self& s, Call& c) { return s.open ? S_OK : s.fail(c, kClosed); })
          .method(u"ReadText", VT_BSTR, {optionalParam(u"NumChars", VT_I4)},
                  [](Self& s, Call& c) {
                    int32_t count = adReadAll;
                    if (FAILED(countArgument(c, 0, adReadLine, count))) return s.fail(c, kArgumentError);
                    if (auto e = s.checkUse(adTypeText, true)) return s.fail(c, *e);
                    const size_t units = count < 0 ? SIZE_MAX : static_cast<size_t>(count);
                    return c.returnText(s.readText(units, count == adReadLine));
                  })
          .method(u"WriteText", VT_EMPTY, {param(u"Data", VT_BSTR), optionalParam(u"Options", VT_I4)},
                  [](Self& s, Call& c) {
                    std::u16string text;
                    int32_t options = 0;
                    if (FAILED(c.text(0, text)) || FAILED(c.int32(1, options)) ||
                        (options != 0 && options != adWriteLine))
                      return s.fail(c, kArgumentError);
                    if (auto e = s.checkUse(adTypeText, false)) return s.fail(c, *e);
                    if (options == adWriteLine) text += s.separator();
                    s.writeText(text);
                    return S_OK;
                  })
          .build();
  return cls;
}

}  // namespace

void registerAdodbStreamFactory() {
  registerClassFactory(CLSID_AdodbStream, [] { return static_cast<IUnknown*>(new AdodbStream); });
}
