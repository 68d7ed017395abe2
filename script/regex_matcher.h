// RegexMatcher: regular-expression search through the "VBScript.RegExp"
// automation component. It keeps the component of its last search, the
// collection of matches that search found and the text it searched.
//
// Indices are 1-based; positions are 0-based byte offsets into the local
// (GBK) text of the subject. Failures give empty text, 0 or false.
// Construction initialises COM on the calling thread (and gives the
// platform's components their factories); destruction uninitialises it.
#pragma once

#include <cstdint>

#include "platform/text/text.h"
#include "script/com_object.h"

class RegexMatcher {
 public:
  RegexMatcher();
  RegexMatcher(const RegexMatcher& other);  // shares component and matches, copies the subject
  RegexMatcher& operator=(const RegexMatcher& other);
  virtual ~RegexMatcher();

  // Searches `subject` for `pattern`. Options: case-insensitive, multi-line
  // and global unless told otherwise; with quoteMarker every "#引号" in the
  // pattern stands for a double quote. True when a match collection was
  // obtained (also when it is empty); false when the component or the
  // search failed (for example on a pattern the component rejects).
  virtual bool search(const Text& pattern, const Text& subject, bool caseSensitive = false,
                      bool multiline = true, bool global = true, bool quoteMarker = false);
  // The component's pattern; empty before the first search.
  virtual Text getPattern() const;
  // The subject with the last search's matches replaced ($1-$99, $&, $`, $', $$).
  virtual Text replace(const Text& replacement) const;
  virtual int32_t matchCount() const;
  // Match `index` (1-based); with `position`, its byte offset in the subject
  // (-2 when there is no such match). An empty match at the very end of the
  // subject is at the subject's length.
  virtual Text matchText(int32_t index, int32_t* position = nullptr) const;
  // Sub-match `subIndex` of match `index` (both 1-based); empty for a group
  // that did not take part. With `position`, the byte offset of the first
  // occurrence of its text at or after the start of the match.
  virtual Text subMatchText(int32_t index, int32_t subIndex, int32_t* position = nullptr) const;
  // Number of sub-matches of the first match.
  virtual int32_t subMatchCount() const;

  // The quote marker of search().
  static const Text& quoteMarker();

 private:
  int32_t positionOf(const Text& found, int32_t firstIndex) const;

  ComObject regExp_;
  ComObject matches_;
  Variant subject_;

  // The subject as given to search(), its local text as read back from the
  // component (the same bytes unless the subject held byte sequences that
  // are no GBK character), and a point reached in both: `unit` UTF-16 units
  // from the start lie before byte `byte` of the subject and byte
  // `localByte` of the local text. Reading positions in the order of the
  // matches walks each text once.
  struct Walk {
    Text subject;
    bool ready = false;  // `local` has been read
    Text local;
    int32_t unit = 0;
    size_t byte = 0;
    size_t localByte = 0;
  };
  mutable Walk walk_;
};
