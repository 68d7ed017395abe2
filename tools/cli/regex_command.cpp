// kestrune-cli regex [--case-sensitive] [--no-multiline] [--no-global] PATTERN SUBJECT:
// runs RegexMatcher::search and prints the matches with their sub-matches.
// When the search fails, the error the component raised is the message.
#include <iostream>
#include <memory>

#include "platform/com/variant.h"
#include "platform/system/console_text.h"
#include "script/com_object.h"
#include "script/regex_matcher.h"
#include "tools/cli/command.h"

namespace {

struct RegexOptions {
  bool caseSensitive = false;
  bool noMultiline = false;
  bool noGlobal = false;
  std::string pattern;
  std::string subject;
};

// The error the component raises for the search RegexMatcher made: the
// same Execute on a component set up the same way, through IDispatch with
// an exception record (the bridge keeps none), as "Description (number)".
std::string componentError(const RegexOptions& options) {
  ComObject regExp;
  if (!regExp.createObject("VBScript.RegExp")) return "cannot create VBScript.RegExp";
  regExp.setProperty("IgnoreCase", !options.caseSensitive);
  regExp.setProperty("Multiline", !options.noMultiline);
  regExp.setProperty("Global", !options.noGlobal);
  regExp.setProperty("Pattern", fromConsoleText(options.pattern));
  IDispatch* dispatch = nullptr;
  if (FAILED(regExp.get()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
    return "search failed";
  WideString name = WIDE("Execute");
  LPOLESTR names[] = {name.data()};
  DISPID id = 0;
  std::string message = "search failed";
  if (SUCCEEDED(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
    const WideString subject = localToWide(fromConsoleText(options.subject));
    VARIANT argument, result;
    VariantInit(&argument);
    VariantInit(&result);
    argument.vt = VT_BSTR;
    argument.bstrVal = SysAllocStringLen(subject.data(), static_cast<UINT>(subject.size()));
    DISPPARAMS params{&argument, nullptr, 1, 0};
    EXCEPINFO exception{};
    if (dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                         &exception, nullptr) == DISP_E_EXCEPTION &&
        exception.bstrDescription) {
      message = toConsoleText(wideToLocal(exception.bstrDescription)) + " (" +
                std::to_string(exception.scode & 0xFFFF) + ")";
    }
    VariantClear(&argument);
    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  }
  dispatch->Release();
  return message;
}

int runRegex(const RegexOptions& options) {
  RegexMatcher matcher;
  if (!matcher.search(fromConsoleText(options.pattern), fromConsoleText(options.subject), options.caseSensitive,
                      !options.noMultiline, !options.noGlobal))
    return commandFailure("regex", componentError(options));
  int32_t count = matcher.matchCount();
  int32_t subCount = count > 0 ? matcher.subMatchCount() : 0;
  std::cout << "count " << count << '\n';
  for (int32_t i = 1; i <= count; ++i) {
    int32_t pos = 0;
    Text text = matcher.matchText(i, &pos);
    std::cout << "match " << i << ' ' << pos << ' ' << toConsoleText(text) << '\n';
    for (int32_t j = 1; j <= subCount; ++j) {
      Text sub = matcher.subMatchText(i, j, &pos);
      std::cout << "  sub " << j << ' ' << pos << ' ' << toConsoleText(sub) << '\n';
    }
  }
  return 0;
}

Command defineRegex(CLI::App& cli) {
  auto options = std::make_shared<RegexOptions>();
  CLI::App* sub = cli.add_subcommand(
      "regex",
      "search SUBJECT for PATTERN with the program's regular-expression object; prints "
      "\"count N\", then \"match I POS TEXT\" per match and \"  sub J POS TEXT\" per sub-match "
      "(1-based indices, POS the byte offset in the GBK subject); a pattern the component "
      "rejects fails with the component's error");
  sub->add_flag("--case-sensitive", options->caseSensitive, "letters must match in case");
  sub->add_flag("--no-multiline", options->noMultiline, "^ and $ match only at the ends of SUBJECT");
  sub->add_flag("--no-global", options->noGlobal, "stop after the first match");
  sub->add_option("PATTERN", options->pattern, "the regular expression")->required();
  sub->add_option("SUBJECT", options->subject, "the text to search")->required();
  return {sub, [options] { return runRegex(*options); }};
}

const CommandRegistration registration("regex", defineRegex);

}  // namespace
