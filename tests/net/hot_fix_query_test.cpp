// queryHotFixes against the WMI stand-in, and the raw COM calls beneath it.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "net/com_call.h"
#include "net/hot_fix_query.h"
#include "net/wide_text.h"
#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/components/wmi/wbem_locator.h"
#include "platform/components/wmi/wbem_object.h"
#include "platform/text/codepage.h"
#include "platform/text/gbk.h"
#include "tests/platform/profile/profile_test_support.h"

namespace {

// ---- a locator that records what goes through it ------------------------------------
// Wraps the stand-in's objects: every call queryHotFixes makes and every
// last Release land in `Log`, and the Get of one chosen instance can fail.
struct CallLog {
  std::vector<std::string> events;
  int live = 0;          // recording objects not yet destroyed
  int instances = 0;     // instances delivered so far
  int failingGet = -1;   // 0-based instance whose Get fails
};
CallLog Log;

template <class Derived, class Base, const IID& iid, class Inner>
class Recorded : public WbemObject<Derived, Base, iid> {
 public:
  Recorded(Inner* inner, const char* name) : inner_(inner), name_(name) { ++Log.live; }
  // The last Release: the caller is done with the object.
  ~Recorded() {
    Log.events.push_back(std::string("release ") + name_);
    inner_->Release();
    --Log.live;
  }

 protected:
  Inner* inner_;
  const char* name_;
};

class RecordedObject final
    : public Recorded<RecordedObject, UnsupportedWbemClassObject, IID_IWbemClassObject, IWbemClassObject> {
 public:
  RecordedObject(IWbemClassObject* inner, bool failGet) : Recorded(inner, "object"), failGet_(failGet) {}
  HRESULT Get(LPCOLESTR name, LONG flags, VARIANT* value, CIMTYPE* type, LONG* flavor) override {
    Log.events.push_back("Get " + utf16ToMultiByte(name, CP_UTF8));
    return failGet_ ? WBEM_E_FAILED : inner_->Get(name, flags, value, type, flavor);
  }

 private:
  bool failGet_;
};

class RecordedEnumerator final
    : public Recorded<RecordedEnumerator, UnsupportedEnumWbemClassObject, IID_IEnumWbemClassObject,
                      IEnumWbemClassObject> {
 public:
  explicit RecordedEnumerator(IEnumWbemClassObject* inner) : Recorded(inner, "enumerator") {}
  HRESULT Next(LONG timeout, ULONG count, IWbemClassObject** objects, ULONG* returned) override {
    Log.events.push_back("Next " + std::to_string(timeout) + " " + std::to_string(count));
    HRESULT hr = inner_->Next(timeout, count, objects, returned);
    for (ULONG i = 0; SUCCEEDED(hr) && i < *returned; ++i)
      objects[i] = new RecordedObject(objects[i], Log.instances++ == Log.failingGet);
    return hr;
  }
};

class RecordedServices final
    : public Recorded<RecordedServices, UnsupportedWbemServices, IID_IWbemServices, IWbemServices> {
 public:
  explicit RecordedServices(IWbemServices* inner) : Recorded(inner, "services") {}
  HRESULT ExecQuery(const BSTR language, const BSTR query, LONG flags, IWbemContext* context,
                    IEnumWbemClassObject** enumerator) override {
    Log.events.push_back("ExecQuery " + utf16ToMultiByte(language, CP_UTF8) + " " +
                         std::to_string(flags) + " " + utf16ToMultiByte(query, CP_UTF8));
    HRESULT hr = inner_->ExecQuery(language, query, flags, context, enumerator);
    if (hr == S_OK) *enumerator = new RecordedEnumerator(*enumerator);
    return hr;
  }
};

class RecordedLocator final
    : public Recorded<RecordedLocator, UnsupportedWbemLocator, IID_IWbemLocator, IWbemLocator> {
 public:
  RecordedLocator() : Recorded(newWbemLocator(), "locator") {}
  HRESULT ConnectServer(const BSTR resource, const BSTR user, const BSTR password, const BSTR locale,
                        LONG flags, const BSTR authority, IWbemContext* context,
                        IWbemServices** services) override {
    Log.events.push_back("ConnectServer " + utf16ToMultiByte(resource, CP_UTF8));
    HRESULT hr =
        inner_->ConnectServer(resource, user, password, locale, flags, authority, context, services);
    if (hr == S_OK) *services = new RecordedServices(*services);
    return hr;
  }
};

// A private prefix for the list file, COM on this thread, and the recording
// locator in place of the stand-in's own while a test runs.
class HotFixQueryTest : public ProfileTest {
 protected:
  void SetUp() override {
    ProfileTest::SetUp();
    registerComponentFactories();
    registerClassFactory(CLSID_WbemLocator, [] { return static_cast<IUnknown*>(new RecordedLocator); });
    Log = CallLog();
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
  }
  void TearDown() override {
    CoUninitialize();
    registerWbemLocatorFactory();
    EXPECT_EQ(Log.live, 0) << "every object obtained is released";
    ProfileTest::TearDown();
  }
  void writeList(const std::string& bytes) { writeBytes(hostIni("Kestrune/hotfixes.txt"), bytes); }
};

std::string joined(const HotFixList& list) {
  std::string out;
  for (const Text& id : list) out += gbkToUtf8(id) + ";";
  return out;
}

TEST_F(HotFixQueryTest, ListsWhatWmiReports) {
  writeList("\xEF\xBB\xBF# installed\nKB2\tUpdate\nKB3140245\nKB2\n补丁一\n");
  struct Case {
    const char* id;
    bool filtered;
    std::string found;
  } cases[] = {
      {"", false, "KB2;KB3140245;KB2;补丁一;"},
      {"KB9", false, "KB2;KB3140245;KB2;补丁一;"},
      {"KB3140245", true, "KB3140245;"},
      {"KB2", true, "KB2;KB2;"},
      {"kb3140245", true, "KB3140245;"},
      {"补丁一", true, "补丁一;"},
      {"KB1234567", true, ""},
      {"", true, ""},
  };
  for (const Case& c : cases) {
    HotFixList list = {"left over"};
    const int32_t count = queryHotFixes(list, utf8ToGbk(c.id), c.filtered);
    EXPECT_EQ(joined(list), c.found) << c.id;
    EXPECT_EQ(count, static_cast<int32_t>(list.size())) << c.id;
  }
}

TEST_F(HotFixQueryTest, NoListFileMeansNoHotFixes) {
  HotFixList list = {"left over"};
  EXPECT_EQ(queryHotFixes(list), 0);
  EXPECT_TRUE(list.empty());
}

TEST_F(HotFixQueryTest, CallsAndReleasesInOrder) {
  writeList("KB1\nKB2\n");
  HotFixList list;
  EXPECT_EQ(queryHotFixes(list, "KB2", true), 1);
  const std::vector<std::string> expected = {
      "ConnectServer root\\CIMV2",
      "release locator",
      "ExecQuery WQL 48 SELECT HotFixID FROM Win32_QuickFixEngineering WHERE HotFixID = 'KB2'",
      "Next -1 1",
      "Get HotFixID",
      "release object",
      "Next -1 1",
      "release enumerator",
      "release services",
  };
  EXPECT_EQ(Log.events, expected);
}

TEST_F(HotFixQueryTest, FailedGetSkipsOnlyThatObject) {
  writeList("KB1\nKB2\nKB3\n");
  Log.failingGet = 1;
  HotFixList list;
  EXPECT_EQ(queryHotFixes(list), 2);
  EXPECT_EQ(joined(list), "KB1;KB3;");
  EXPECT_EQ(std::count(Log.events.begin(), Log.events.end(), "release object"), 3);
}

TEST_F(HotFixQueryTest, IdentifiersThatWouldChangeTheQueryAreNotAsked) {
  writeList("KB1\nKB\\1\nKB'1\n");
  const char* ids[] = {"KB1' OR HotFixID <> '", "KB'1", "KB\\1", "KB1\\", "'"};
  for (const char* id : ids) {
    HotFixList list = {"left over"};
    EXPECT_EQ(queryHotFixes(list, id, true), 0) << id;
    EXPECT_TRUE(list.empty()) << id;
  }
  EXPECT_TRUE(Log.events.empty()) << "no query was made";
  // A GBK character whose second byte is 0x5C is not a backslash.
  const Text trailByte5C = "癨"_gbk;
  ASSERT_EQ(trailByte5C[1], '\\');
  HotFixList list;
  queryHotFixes(list, trailByte5C, true);
  EXPECT_FALSE(Log.events.empty());
}

TEST_F(HotFixQueryTest, NeedsComInitialisedByTheCaller) {
  writeList("KB1\n");
  CoUninitialize();
  HotFixList list = {"left over"};
  EXPECT_EQ(queryHotFixes(list), 0);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(comInitializeCount(), 0) << "queryHotFixes leaves COM as it found it";
  CoInitialize(nullptr);
  EXPECT_EQ(queryHotFixes(list), 1);
}

TEST_F(HotFixQueryTest, ConnectWmiNamespaces) {
  void* services = connectWmi(toWideText("root\\default"));
  EXPECT_EQ(services, nullptr);
  services = connectWmi(toWideText("ROOT\\cimv2"));
  ASSERT_NE(services, nullptr);
  releaseComObject(&services);
  EXPECT_EQ(services, nullptr);
  const std::vector<std::string> expected = {
      "ConnectServer root\\default", "release locator",
      "ConnectServer ROOT\\cimv2", "release locator", "release services"};
  EXPECT_EQ(Log.events, expected);
}

// ---- callComMethod -----------------------------------------------------------------
int32_t LastSum = 0;
int32_t sumMethod(void* self, int32_t a, int32_t b) {
  LastSum = a + b;
  return self ? a + b : -1;
}
int32_t releaseMethod(void*) { return 42; }

struct FakeObject {
  void* const* table;
};

TEST(CallComMethodTest, CallsOnlyCodeThroughReadableTables) {
  void* const code[] = {reinterpret_cast<void*>(&sumMethod), reinterpret_cast<void*>(&sumMethod),
                        reinterpret_cast<void*>(&releaseMethod)};
  static const int32_t data[4] = {};
  void* const dataEntries[] = {const_cast<int32_t*>(data), const_cast<int32_t*>(data),
                               const_cast<int32_t*>(data)};
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  void* guard = ::mmap(nullptr, page, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(guard, MAP_FAILED);

  FakeObject callable{code}, tableOfData{dataEntries},
      unreadableTable{static_cast<void* const*>(guard)}, nullTable{nullptr};
  struct Case {
    const char* what;
    void* object;
    int32_t slot;
    int32_t result;
  } cases[] = {
      {"callable", &callable, 1, 5},
      {"null object", nullptr, 1, 0},
      {"method table points at data", &tableOfData, 1, 0},
      {"table unreadable", &unreadableTable, 1, 0},
      {"no table", &nullTable, 1, 0},
      {"object unreadable", guard, 1, 0},
      {"negative slot", &callable, -1, 0},
  };
  for (const Case& c : cases) {
    LastSum = 0;
    EXPECT_EQ(callComMethod(c.object, c.slot, int32_t{2}, int32_t{3}), c.result) << c.what;
    EXPECT_EQ(LastSum, c.result) << c.what << ": the method ran";
  }

  void* object = &callable;
  releaseComObject(&object);
  EXPECT_EQ(object, nullptr);
  object = &tableOfData;
  releaseComObject(&object);  // refused, and still forgotten
  EXPECT_EQ(object, nullptr);
  releaseComObject(&object);
  releaseComObject(nullptr);
  ::munmap(guard, page);
}

TEST(BstrToTextTest, Conversions) {
  BSTR empty = SysAllocString(u"");
  BSTR chinese = SysAllocString(u"补丁KB1");
  BSTR embeddedZero = SysAllocStringLen(u"KB1\0KB2", 7);
  EXPECT_EQ(bstrToText(nullptr), "");
  EXPECT_EQ(bstrToText(empty), "");
  EXPECT_EQ(bstrToText(chinese), "补丁KB1"_gbk);
  EXPECT_EQ(bstrToText(embeddedZero), "KB1") << "up to the first zero, as lstrlenW";
  for (BSTR s : {empty, chinese, embeddedZero}) SysFreeString(s);
}

}  // namespace
