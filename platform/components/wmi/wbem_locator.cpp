#include "platform/components/wmi/wbem_locator.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/automation_class.h"
#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/components/wmi/hot_fix_list.h"
#include "platform/components/wmi/wbem_object.h"
#include "platform/components/wmi/wql_query.h"

namespace {

constexpr char16_t QuickFixClass[] = u"Win32_QuickFixEngineering";
constexpr const char16_t* QuickFixProperties[] = {
    u"Caption", u"CSName", u"Description", u"FixComments", u"HotFixID", u"InstallDate",
    u"InstalledBy", u"InstalledOn", u"Name", u"ServicePackInEffect", u"Status"};

std::u16string_view viewOf(LPCOLESTR text) {
  return text ? std::u16string_view(text) : std::u16string_view();
}

// The class's spelling of a property name, or null when it has no such property.
const char16_t* quickFixProperty(std::u16string_view name) {
  for (const char16_t* property : QuickFixProperties)
    if (sameMemberName(property, name)) return property;
  return nullptr;
}

struct Property {
  std::u16string name;
  std::optional<std::u16string> value;
};
using Instance = std::vector<Property>;

std::optional<std::u16string> valueOf(const InstalledHotFix& fix, std::u16string_view property) {
  if (property == u"HotFixID") return fix.id;
  if (property == u"Description") return fix.description;
  return std::nullopt;
}

// ---- IWbemClassObject ---------------------------------------------------------
class ClassObject final
    : public WbemObject<ClassObject, UnsupportedWbemClassObject, IID_IWbemClassObject> {
 public:
  explicit ClassObject(const Instance& instance) : instance_(instance) {}

  HRESULT Get(LPCOLESTR name, LONG flags, VARIANT* value, CIMTYPE* type, LONG* flavor) override {
    if (!name || flags != 0) return WBEM_E_INVALID_PARAMETER;
    auto found = std::find_if(instance_.begin(), instance_.end(), [&](const Property& p) {
      return sameMemberName(p.name, viewOf(name));
    });
    if (found == instance_.end()) return WBEM_E_NOT_FOUND;
    if (value) {
      VariantInit(value);
      if (found->value) {
        BSTR text = bstrFrom(*found->value);
        if (!text) return WBEM_E_OUT_OF_MEMORY;
        value->vt = VT_BSTR;
        value->bstrVal = text;
      } else {
        value->vt = VT_NULL;
      }
    }
    if (type) *type = CIM_STRING;
    if (flavor) *flavor = WBEM_FLAVOR_ORIGIN_LOCAL;
    return WBEM_S_NO_ERROR;
  }

 private:
  const Instance instance_;
};

// ---- IEnumWbemClassObject -----------------------------------------------------
class Enumerator final
    : public WbemObject<Enumerator, UnsupportedEnumWbemClassObject, IID_IEnumWbemClassObject> {
 public:
  Enumerator(std::vector<Instance> instances, bool forwardOnly)
      : instances_(std::move(instances)), forwardOnly_(forwardOnly) {}

  HRESULT Reset() override {
    if (forwardOnly_) return WBEM_E_INVALID_OPERATION;
    next_ = 0;
    return WBEM_S_NO_ERROR;
  }

  HRESULT Next(LONG timeout, ULONG count, IWbemClassObject** objects, ULONG* returned) override {
    if (!objects || !returned || !validTimeout(timeout)) return WBEM_E_INVALID_PARAMETER;
    *returned = 0;
    for (ULONG i = 0; i < count && next_ < instances_.size(); ++i) {
      objects[i] = new (std::nothrow) ClassObject(instances_[next_]);
      if (!objects[i]) return WBEM_E_OUT_OF_MEMORY;
      ++next_;
      ++*returned;
    }
    return *returned == count ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
  }

  HRESULT Skip(LONG timeout, ULONG count) override {
    if (!validTimeout(timeout)) return WBEM_E_INVALID_PARAMETER;
    const size_t left = instances_.size() - next_;
    next_ += std::min<size_t>(left, count);
    return left >= count ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
  }

 private:
  static bool validTimeout(LONG timeout) { return timeout >= 0 || timeout == WBEM_INFINITE; }

  const std::vector<Instance> instances_;
  const bool forwardOnly_;
  size_t next_ = 0;
};

// ---- IWbemServices --------------------------------------------------------------
// The properties an instance shows: the selected ones in the query's order,
// or all of the class for "*". Nothing when a name is not a property.
std::optional<std::vector<const char16_t*>> selectedProperties(const WqlQuery& query) {
  std::vector<const char16_t*> selected;
  if (query.properties.empty())
    return std::vector<const char16_t*>(std::begin(QuickFixProperties), std::end(QuickFixProperties));
  for (const std::u16string& name : query.properties) {
    const char16_t* property = quickFixProperty(name);
    if (!property) return std::nullopt;
    selected.push_back(property);
  }
  return selected;
}

class Services final : public WbemObject<Services, UnsupportedWbemServices, IID_IWbemServices> {
 public:
  HRESULT ExecQuery(const BSTR language, const BSTR text, LONG flags, IWbemContext*,
                    IEnumWbemClassObject** enumerator) override {
    if (!enumerator) return WBEM_E_INVALID_PARAMETER;
    *enumerator = nullptr;
    if (!language || !text) return WBEM_E_INVALID_PARAMETER;
    if (!sameMemberName(viewOf(language), u"WQL")) return WBEM_E_INVALID_QUERY_TYPE;
    const std::optional<WqlQuery> query = parseWqlQuery(viewOf(text));
    if (!query) return WBEM_E_INVALID_QUERY;
    if (!sameMemberName(query->className, QuickFixClass)) return WBEM_E_INVALID_CLASS;
    const auto selected = selectedProperties(*query);
    if (!selected) return WBEM_E_INVALID_QUERY;
    const char16_t* filter = query->where ? quickFixProperty(query->where->property) : nullptr;
    if (query->where && !filter) return WBEM_E_INVALID_QUERY;

    std::vector<Instance> instances;
    for (const InstalledHotFix& fix : readInstalledHotFixes()) {
      if (filter) {
        const auto value = valueOf(fix, filter);
        if (!value || !sameMemberName(*value, query->where->literal)) continue;
      }
      Instance instance;
      for (const char16_t* property : *selected) instance.push_back({property, valueOf(fix, property)});
      instances.push_back(std::move(instance));
    }
    *enumerator = new (std::nothrow)
        Enumerator(std::move(instances), (flags & WBEM_FLAG_FORWARD_ONLY) != 0);
    return *enumerator ? WBEM_S_NO_ERROR : WBEM_E_OUT_OF_MEMORY;
  }
};

// ---- IWbemLocator ---------------------------------------------------------------
bool isCimV2(std::u16string_view name) {
  std::u16string normal(name);
  std::replace(normal.begin(), normal.end(), u'/', u'\\');
  return sameMemberName(normal, u"root\\CIMV2");
}

class Locator final : public WbemObject<Locator, UnsupportedWbemLocator, IID_IWbemLocator> {
 public:
  HRESULT ConnectServer(const BSTR resource, const BSTR user, const BSTR password, const BSTR,
                        LONG, const BSTR, IWbemContext*, IWbemServices** services) override {
    if (!services) return WBEM_E_INVALID_PARAMETER;
    *services = nullptr;
    if (!resource) return WBEM_E_INVALID_PARAMETER;
    if (!isCimV2(viewOf(resource))) return WBEM_E_INVALID_NAMESPACE;
    if (!viewOf(user).empty() || !viewOf(password).empty()) return WBEM_E_LOCAL_CREDENTIALS;
    *services = new (std::nothrow) Services;
    return *services ? WBEM_S_NO_ERROR : WBEM_E_OUT_OF_MEMORY;
  }
};

}  // namespace

IWbemLocator* newWbemLocator() { return new (std::nothrow) Locator; }

void registerWbemLocatorFactory() {
  registerClassFactory(CLSID_WbemLocator, [] { return static_cast<IUnknown*>(newWbemLocator()); });
}
