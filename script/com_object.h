// ComObject: a holder of one automation object, driven by member name.
//
// Every property read, property write and method call binds the member
// through the object's type information (ITypeComp::Bind, never
// GetIDsOfNames), converts the arguments (com_argument.h), calls
// IDispatch::Invoke and converts the result to the kind asked for. Failures
// are values: the call returns the empty value of its kind (empty text, 0,
// false, an empty ComObject, an all-zero Variant) and leaves a code in the
// per-thread LastInvokeError:
//
//    0 success                         -9 DISP_E_BADPARAMCOUNT
//   -1 holder empty                   -10 DISP_E_BADVARTYPE
//   -2 no IDispatch                   -11 DISP_E_EXCEPTION (component error)
//   -3 member name not bound          -12 DISP_E_MEMBERNOTFOUND
//   -4 no type information            -13 DISP_E_NONAMEDARGS
//   -5 too many arguments             -14 DISP_E_OVERFLOW
//   -7 argument of an unsupported kind -15 DISP_E_PARAMNOTFOUND
//   -8 result not convertible         -16 DISP_E_TYPEMISMATCH
//                                     -17 DISP_E_PARAMNOTOPTIONAL
//                                     -18 any other failure of Invoke
//
// The bridge never initialises COM: its users call CoInitialize on their thread.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/com/interfaces.h"
#include "platform/text/text.h"
#include "script/com_argument.h"
#include "script/com_variant.h"

// The code of the thread's last property read, property write or method call.
// constinit: statically initialised, so readers in other files reach it
// directly instead of through a thread-local wrapper call (which GCC 12's
// UBSan null check misreads as a null reference).
extern constinit thread_local int32_t LastInvokeError;

class ComObject {
 public:
  ComObject() = default;
  ComObject(const ComObject& other);
  ComObject(ComObject&& other) noexcept;
  ComObject& operator=(const ComObject& other);
  ComObject& operator=(ComObject&& other) noexcept;
  ~ComObject();
  // A holder of `object` with a reference of its own (AddRef); null gives an empty holder.
  static ComObject fromUnknown(IUnknown* object);

  // Creates the object of a ProgID ("VBScript.RegExp", any letter case) or
  // of a class id in braces. On failure returns false and keeps what the
  // holder had. `typeLibraryPath`: a type library to look the name up in first.
  bool createObject(std::string_view name, std::string_view typeLibraryPath = {});
  bool isEmpty() const { return object_ == nullptr; }
  void clear();
  IUnknown* get() const { return object_; }  // no reference of its own

  // Property reads, one front-end per result kind; arguments are the property's own.
  template <class... A> Text getPropertyText(std::string_view name, A&&... args) const;
  template <class... A> double getPropertyNumber(std::string_view name, A&&... args) const;
  template <class... A> ComObject getPropertyObject(std::string_view name, A&&... args) const;
  template <class... A> Variant getPropertyVariant(std::string_view name, A&&... args) const;
  // Property write: the property's own arguments, then the new value.
  // True when LastInvokeError is 0 afterwards.
  template <class... A> bool setProperty(std::string_view name, A&&... args) const;
  // Method calls, one front-end per result kind.
  template <class... A> void callMethod(std::string_view name, A&&... args) const;
  template <class... A> Text callMethodText(std::string_view name, A&&... args) const;
  template <class... A> double callMethodNumber(std::string_view name, A&&... args) const;
  template <class... A> bool callMethodBool(std::string_view name, A&&... args) const;
  template <class... A> ComObject callMethodObject(std::string_view name, A&&... args) const;
  template <class... A> Variant callMethodVariant(std::string_view name, A&&... args) const;

  enum class InvokeKind { Get, Put, Method };
  enum class ResultKind { None, Text, Double, Boolean, Object, Variant };
  struct Result {
    Text text;
    double number = 0;
    bool boolean = false;
    ComObject* object = nullptr;   // filled for ResultKind::Object
    Variant* variant = nullptr;    // filled for ResultKind::Variant
  };
  // The one invocation behind all front-ends; returns the code it stores in LastInvokeError.
  int32_t invoke(InvokeKind kind, std::string_view name, std::span<const Arg> args,
                 ResultKind resultKind, Result& result) const;

 private:
  int32_t invokeMember(InvokeKind kind, std::string_view name, std::span<const Arg> args,
                       ResultKind resultKind, Result& result) const;
  template <class R, class... A>
  R run(InvokeKind kind, ResultKind resultKind, std::string_view name, A&&... args) const;

  IUnknown* object_ = nullptr;
};

template <class R, class... A>
R ComObject::run(InvokeKind kind, ResultKind resultKind, std::string_view name, A&&... args) const {
  const Arg list[] = {Arg(), Arg(std::forward<A>(args))...};  // first element: padding for no arguments
  std::span<const Arg> span(list + 1, sizeof...(A));
  Result result;
  if constexpr (std::is_same_v<R, ComObject>) {
    ComObject object;
    result.object = &object;
    invoke(kind, name, span, resultKind, result);
    return object;
  } else if constexpr (std::is_same_v<R, Variant>) {
    Variant variant;
    variant.clear();
    result.variant = &variant;
    invoke(kind, name, span, resultKind, result);
    return variant;
  } else if constexpr (std::is_same_v<R, Text>) {
    invoke(kind, name, span, resultKind, result);
    return result.text;
  } else if constexpr (std::is_same_v<R, double>) {
    invoke(kind, name, span, resultKind, result);
    return result.number;
  } else if constexpr (std::is_same_v<R, bool>) {
    return invoke(kind, name, span, resultKind, result) == 0 &&
           (resultKind == ResultKind::None || result.boolean);
  } else {
    invoke(kind, name, span, resultKind, result);
  }
}

template <class... A> Text ComObject::getPropertyText(std::string_view name, A&&... args) const {
  return run<Text>(InvokeKind::Get, ResultKind::Text, name, std::forward<A>(args)...);
}
template <class... A> double ComObject::getPropertyNumber(std::string_view name, A&&... args) const {
  return run<double>(InvokeKind::Get, ResultKind::Double, name, std::forward<A>(args)...);
}
template <class... A> ComObject ComObject::getPropertyObject(std::string_view name, A&&... args) const {
  return run<ComObject>(InvokeKind::Get, ResultKind::Object, name, std::forward<A>(args)...);
}
template <class... A> Variant ComObject::getPropertyVariant(std::string_view name, A&&... args) const {
  return run<Variant>(InvokeKind::Get, ResultKind::Variant, name, std::forward<A>(args)...);
}
template <class... A> bool ComObject::setProperty(std::string_view name, A&&... args) const {
  return run<bool>(InvokeKind::Put, ResultKind::None, name, std::forward<A>(args)...);
}
template <class... A> void ComObject::callMethod(std::string_view name, A&&... args) const {
  run<void>(InvokeKind::Method, ResultKind::None, name, std::forward<A>(args)...);
}
template <class... A> Text ComObject::callMethodText(std::string_view name, A&&... args) const {
  return run<Text>(InvokeKind::Method, ResultKind::Text, name, std::forward<A>(args)...);
}
template <class... A> double ComObject::callMethodNumber(std::string_view name, A&&... args) const {
  return run<double>(InvokeKind::Method, ResultKind::Double, name, std::forward<A>(args)...);
}
template <class... A> bool ComObject::callMethodBool(std::string_view name, A&&... args) const {
  return run<bool>(InvokeKind::Method, ResultKind::Boolean, name, std::forward<A>(args)...);
}
template <class... A> ComObject ComObject::callMethodObject(std::string_view name, A&&... args) const {
  return run<ComObject>(InvokeKind::Method, ResultKind::Object, name, std::forward<A>(args)...);
}
template <class... A> Variant ComObject::callMethodVariant(std::string_view name, A&&... args) const {
  return run<Variant>(InvokeKind::Method, ResultKind::Variant, name, std::forward<A>(args)...);
}
