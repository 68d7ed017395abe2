// The WMI stand-in: the hot-fix list file and the locator, services,
// enumerator and class objects that serve it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/components/wmi/hot_fix_list.h"
#include "platform/components/wmi/wbem_locator.h"
#include "platform/text/codepage.h"
#include "platform/text/gbk.h"
#include "tests/platform/profile/profile_test_support.h"

namespace {

std::string utf8(std::u16string_view text) { return utf16ToMultiByte(text, CP_UTF8); }

// "id" or "id=description" per hot-fix, joined by ";".
std::string describe(const std::vector<InstalledHotFix>& fixes) {
  std::string out;
  for (const InstalledHotFix& f : fixes) {
    out += utf8(f.id);
    if (f.description) out += "=" + utf8(*f.description);
    out += ";";
  }
  return out;
}

TEST(HotFixListTest, FileFormats) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string fixes;
  } cases[] = {
      {"plain lines", "KB1\nKB2\n", "KB1;KB2;"},
      {"no final line end", "KB1\nKB2", "KB1;KB2;"},
      {"CR LF", "KB1\r\nKB2\r\n", "KB1;KB2;"},
      {"duplicates kept in order", "KB2\nKB1\nKB2\n", "KB2;KB1;KB2;"},
      {"tab description", "KB1\tSecurity Update\nKB2\t\n", "KB1=Security Update;KB2;"},
      {"description keeps later tabs", "KB1\tUpdate\tfor x\n", "KB1=Update\tfor x;"},
      {"blanks around", "  KB1 \t  Update  \r\n", "KB1=Update;"},
      {"blank and comment lines", "\n# installed\n   \n\t\n  # KB9\nKB1\n#KB2\n", "KB1;"},
      {"hash inside an identifier", "KB#1\n", "KB#1;"},
      {"GBK", "补丁一\t安全更新\n"_gbk, "补丁一=安全更新;"},
      {"UTF-8 with byte-order mark", "\xEF\xBB\xBF" "补丁一\t安全更新\r\nKB2\n", "补丁一=安全更新;KB2;"},
      {"byte-order mark only at the start: GBK bytes elsewhere", "KB1\n\xEF\xBB\xBF" "KB2\n", "KB1;锘縆B2;"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(describe(parseHotFixList(c.bytes)), c.fixes) << c.what;
}

// A private prefix, the list file in it, and COM for the calling thread.
class WbemStandInTest : public ProfileTest {
 protected:
  void SetUp() override {
    ProfileTest::SetUp();
    registerComponentFactories();
    CoInitialize(nullptr);
  }
  void TearDown() override {
    CoUninitialize();
    ProfileTest::TearDown();
  }

  void writeList(const std::string& bytes) { writeBytes(hostIni("Kestrune/hotfixes.txt"), bytes); }

  IWbemServices* connect() {
    IWbemLocator* locator = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                               reinterpret_cast<void**>(&locator)),
              S_OK);
    if (!locator) return nullptr;
    IWbemServices* services = nullptr;
    EXPECT_EQ(locator->ConnectServer(const_cast<BSTR>(u"root\\CIMV2"), nullptr, nullptr, nullptr, 0,
                                     nullptr, nullptr, &services),
              WBEM_S_NO_ERROR);
    locator->Release();
    return services;
  }

  // ExecQuery's result; the enumerator in `enumerator` when it succeeded.
  HRESULT query(const std::u16string& text, IEnumWbemClassObject** enumerator,
                const std::u16string& language = u"WQL", LONG flags = 48) {
    IWbemServices* services = connect();
    if (!services) return E_FAIL;
    HRESULT hr = services->ExecQuery(const_cast<BSTR>(language.c_str()),
                                     const_cast<BSTR>(text.c_str()), flags, nullptr, enumerator);
    services->Release();
    return hr;
  }

  // The value of `property` of every instance ("(null)" for VT_NULL), joined by ";".
  std::string values(const std::u16string& text, const std::u16string& property = u"HotFixID") {
    IEnumWbemClassObject* enumerator = nullptr;
    if (query(text, &enumerator) != WBEM_S_NO_ERROR) return "query failed";
    std::string out;
    IWbemClassObject* object = nullptr;
    ULONG returned = 0;
    while (enumerator->Next(WBEM_INFINITE, 1, &object, &returned) == WBEM_S_NO_ERROR) {
      VARIANT value;
      CIMTYPE type = 0;
      HRESULT hr = object->Get(property.c_str(), 0, &value, &type, nullptr);
      if (hr != WBEM_S_NO_ERROR) out += "(not found)";
      else if (value.vt == VT_NULL) out += "(null)";
      else if (value.vt == VT_BSTR && type == CIM_STRING) out += utf8(bstrView(value.bstrVal));
      else out += "(bad type)";
      out += ";";
      if (hr == WBEM_S_NO_ERROR) VariantClear(&value);
      object->Release();
    }
    enumerator->Release();
    return out;
  }
};

TEST_F(WbemStandInTest, ConnectServerNamespaces) {
  IWbemLocator* locator = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                             reinterpret_cast<void**>(&locator)),
            S_OK);
  struct Case {
    const char16_t* name;
    const char16_t* user;
    HRESULT result;
  } cases[] = {
      {u"root\\CIMV2", nullptr, WBEM_S_NO_ERROR},
      {u"ROOT\\cimv2", u"", WBEM_S_NO_ERROR},
      {u"root/cimv2", nullptr, WBEM_S_NO_ERROR},
      {u"root\\default", nullptr, WBEM_E_INVALID_NAMESPACE},
      {u"root\\CIMV2\\x", nullptr, WBEM_E_INVALID_NAMESPACE},
      {u"", nullptr, WBEM_E_INVALID_NAMESPACE},
      {nullptr, nullptr, WBEM_E_INVALID_PARAMETER},
      {u"root\\CIMV2", u"admin", WBEM_E_LOCAL_CREDENTIALS},
  };
  for (const Case& c : cases) {
    IWbemServices* services = reinterpret_cast<IWbemServices*>(1);
    EXPECT_EQ(locator->ConnectServer(const_cast<BSTR>(c.name), const_cast<BSTR>(c.user), nullptr,
                                     nullptr, 0, nullptr, nullptr, &services),
              c.result);
    EXPECT_EQ(services != nullptr, c.result == WBEM_S_NO_ERROR);
    if (services) services->Release();
  }
  EXPECT_EQ(locator->ConnectServer(const_cast<BSTR>(u"root\\CIMV2"), nullptr, nullptr, nullptr, 0,
                                   nullptr, nullptr, nullptr),
            WBEM_E_INVALID_PARAMETER);
  locator->Release();
}

TEST_F(WbemStandInTest, ExecQueryResults) {
  struct Case {
    const char16_t* language;
    const char16_t* text;
    HRESULT result;
  } cases[] = {
      {u"WQL", u"SELECT HotFixID FROM Win32_QuickFixEngineering", WBEM_S_NO_ERROR},
      {u"wql", u"select * from WIN32_QUICKFIXENGINEERING where hotfixid = 'x'", WBEM_S_NO_ERROR},
      {u"SQL", u"SELECT * FROM Win32_QuickFixEngineering", WBEM_E_INVALID_QUERY_TYPE},
      {u"WQL", u"SELECT * FROM Win32_QuickFixEngineering WHERE", WBEM_E_INVALID_QUERY},
      {u"WQL", u"SELECT * FROM Win32_QuickFixEngineering WHERE HotFixID = 'a' OR 'b' = 'b'",
       WBEM_E_INVALID_QUERY},
      {u"WQL", u"SELECT * FROM Win32_Process", WBEM_E_INVALID_CLASS},
      {u"WQL", u"SELECT Size FROM Win32_QuickFixEngineering", WBEM_E_INVALID_QUERY},
      {u"WQL", u"SELECT * FROM Win32_QuickFixEngineering WHERE Size = '1'", WBEM_E_INVALID_QUERY},
  };
  for (const Case& c : cases) {
    IEnumWbemClassObject* enumerator = reinterpret_cast<IEnumWbemClassObject*>(1);
    EXPECT_EQ(query(c.text, &enumerator, c.language), c.result) << utf8(c.text);
    EXPECT_EQ(enumerator != nullptr, c.result == WBEM_S_NO_ERROR) << utf8(c.text);
    if (enumerator) enumerator->Release();
  }
}

TEST_F(WbemStandInTest, InstancesComeFromTheListFile) {
  EXPECT_EQ(values(u"SELECT * FROM Win32_QuickFixEngineering"), "") << "no file, no hot-fixes";

  writeList("KB1\tSecurity Update\nKB2\nKB1\n补丁一\n"_gbk);
  struct Case {
    const char16_t* text;
    const char16_t* property;
    std::string values;
  } cases[] = {
      {u"SELECT HotFixID FROM Win32_QuickFixEngineering", u"HotFixID", "KB1;KB2;KB1;补丁一;"},
      {u"SELECT * FROM Win32_QuickFixEngineering", u"description", "Security Update;(null);(null);(null);"},
      {u"SELECT * FROM Win32_QuickFixEngineering", u"InstalledOn", "(null);(null);(null);(null);"},
      {u"SELECT HotFixID FROM Win32_QuickFixEngineering", u"Description",
       "(not found);(not found);(not found);(not found);"},
      {u"SELECT HotFixID FROM Win32_QuickFixEngineering", u"Size", "(not found);(not found);(not found);(not found);"},
      {u"SELECT HotFixID FROM Win32_QuickFixEngineering WHERE HotFixID = 'KB1'", u"HotFixID", "KB1;KB1;"},
      {u"SELECT HotFixID FROM Win32_QuickFixEngineering WHERE HotFixID = 'kb2'", u"HotFixID", "KB2;"},
      {u"SELECT HotFixID FROM Win32_QuickFixEngineering WHERE HotFixID = '补丁一'", u"HotFixID", "补丁一;"},
      {u"SELECT HotFixID FROM Win32_QuickFixEngineering WHERE HotFixID = 'KB3'", u"HotFixID", ""},
      {u"SELECT HotFixID FROM Win32_QuickFixEngineering WHERE Description = 'security update'",
       u"HotFixID", "KB1;"},
  };
  for (const Case& c : cases) EXPECT_EQ(values(c.text, c.property), c.values) << utf8(c.text);
}

TEST_F(WbemStandInTest, EnumeratorCountsAndTimeouts) {
  writeList("KB1\nKB2\nKB3\n");
  IEnumWbemClassObject* enumerator = nullptr;
  ASSERT_EQ(query(u"SELECT * FROM Win32_QuickFixEngineering", &enumerator, u"WQL", 0), S_OK);
  IWbemClassObject* objects[4] = {};
  ULONG returned = 99;
  EXPECT_EQ(enumerator->Next(-2, 1, objects, &returned), WBEM_E_INVALID_PARAMETER);
  EXPECT_EQ(enumerator->Next(0, 1, objects, nullptr), WBEM_E_INVALID_PARAMETER);
  EXPECT_EQ(enumerator->Next(0, 2, objects, &returned), WBEM_S_NO_ERROR);
  EXPECT_EQ(returned, 2u);
  EXPECT_EQ(enumerator->Next(5000, 4, objects + 2, &returned), WBEM_S_FALSE);
  EXPECT_EQ(returned, 1u);
  EXPECT_EQ(enumerator->Next(WBEM_INFINITE, 1, objects + 3, &returned), WBEM_S_FALSE);
  EXPECT_EQ(returned, 0u);
  for (int i = 0; i < 3; ++i) {
    VARIANT v;
    ASSERT_EQ(objects[i]->Get(u"HotFixID", 0, &v, nullptr, nullptr), S_OK);
    EXPECT_EQ(utf8(bstrView(v.bstrVal)), "KB" + std::to_string(i + 1));
    EXPECT_EQ(objects[i]->Get(u"HotFixID", 1, &v, nullptr, nullptr), WBEM_E_INVALID_PARAMETER) << "flags";
    EXPECT_EQ(objects[i]->Put(u"HotFixID", 0, &v, CIM_STRING), WBEM_E_NOT_SUPPORTED);
    VariantClear(&v);
    objects[i]->Release();
  }
  // Not forward-only: Reset starts again; Skip steps over instances.
  EXPECT_EQ(enumerator->Reset(), S_OK);
  EXPECT_EQ(enumerator->Skip(WBEM_INFINITE, 2), S_OK);
  EXPECT_EQ(enumerator->Skip(WBEM_INFINITE, 2), WBEM_S_FALSE);
  enumerator->Release();

  ASSERT_EQ(query(u"SELECT * FROM Win32_QuickFixEngineering", &enumerator), S_OK);
  EXPECT_EQ(enumerator->Reset(), WBEM_E_INVALID_OPERATION) << "forward-only";
  enumerator->Release();
}

}  // namespace
