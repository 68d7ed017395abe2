#include "script/json_helper_script.h"

// The helper functions, character for character as the document relies on.
#define KESTRUNE_HELPER_FUNCTIONS                                                                 \
  R"js(function get__nodeValue(str_json,recursion){for(var i in str_json){var a=Object.prototype.toString.call(str_json[i]);if(a=="[object Object]"||a=="[object Array]"){if(recursion){get__nodeValue(str_json[i],recursion)}}else if(a=="[object String]"||a=="[object Number]"||a=="[object Boolean]"){str_all.push(str_json[i])}}return str_all})js" \
  R"js(function get__count(c){var obj=Object.prototype.toString.call(c);if(obj=='[object Array]'){return c.length}else{return 0}})js" \
  R"js(function get__name_All(a){var obj=Object.prototype.toString.call(a);if(obj=='[object Object]'){var ary=new Array();for(var key in a){if(typeof a[key]!=='function'){ary.push(key)}}return ary.join('\r\n')}else{return''}})js" \
  R"js(function get__extend(target,source){if(Object.prototype.toString.call(target)=='[object Array]'){for(var i=0;i<source.length;i++){target.push(source[i])}return target}else{var str_obj;for(var obj in source){str_obj=typeof target[obj];if(str_obj=='string'||str_obj=='boolean'||str_obj=='undefined'){target[obj]=source[obj]}else if(str_obj=='number'){target=target.concat(source)}else if(str_obj=='object'){target[obj]=get__extend(target[obj],source[obj])}}return target}})js"

// The JSON polyfill. Every definition is guarded so that an engine's own
// JSON support is left alone. Strings are escaped for C0 controls, quote,
// backslash and the invisible ranges (C1 controls, soft hyphen, zero-width
// and direction marks, line/paragraph separators, invisible operators, BOM,
// specials); U+2400, which the document uses in place of a backslash, is
// written as it is. parse accepts a text only when nothing but JSON tokens
// remains after removing them, then evaluates it.
#define KESTRUNE_JSON_POLYFILL                                                                    \
  R"js(if(typeof JSON!=='object'){JSON={}};(function(){)js"                                       \
  R"js(var ts=Object.prototype.toString,own=Object.prototype.hasOwnProperty,)js"                 \
  R"js(esc=/[\u0000-\u001f"\\\u007f-\u009f\u00ad\u200b-\u200f\u2028-\u202e\u2060-\u206f\ufeff\ufff0-\uffff]/g,)js" \
  R"js(sub={'\b':'\\b','\t':'\\t','\n':'\\n','\f':'\\f','\r':'\\r','"':'\\"','\\':'\\\\'};)js" \
  R"js(function two(n){return n<10?'0'+n:''+n})js"                                                \
  R"js(function quote(s){return'"'+s.replace(esc,function(c){return sub[c]||'\\u'+('000'+c.charCodeAt(0).toString(16)).slice(-4)})+'"'})js" \
  R"js(function prim(){return this.valueOf()})js"                                                 \
  R"js(if(typeof Date.prototype.toJSON!=='function'){Date.prototype.toJSON=function(){return isFinite(this.valueOf())?this.getUTCFullYear()+'-'+two(this.getUTCMonth()+1)+'-'+two(this.getUTCDate())+'T'+two(this.getUTCHours())+':'+two(this.getUTCMinutes())+':'+two(this.getUTCSeconds())+'Z':null}})js" \
  R"js(if(typeof String.prototype.toJSON!=='function'){String.prototype.toJSON=prim})js"         \
  R"js(if(typeof Number.prototype.toJSON!=='function'){Number.prototype.toJSON=prim})js"         \
  R"js(if(typeof Boolean.prototype.toJSON!=='function'){Boolean.prototype.toJSON=prim})js"       \
  R"js(if(typeof JSON.stringify!=='function'){JSON.stringify=function(value,replacer,space){)js"  \
  R"js(var gap='',indent='',seen=[],i;)js"                                                        \
  R"js(if(typeof space==='number'){for(i=0;i<Math.min(10,space);i++){gap+=' '}}else if(typeof space==='string'){gap=space.slice(0,10)})js" \
  R"js(if(replacer&&typeof replacer!=='function'&&ts.call(replacer)!=='[object Array]'){throw new Error('JSON.stringify')})js" \
  R"js(function member(k,s){return quote(k)+(gap?': ':':')+s})js"                                \
  R"js(function wrap(parts,open,close,outer){return!parts.length?open+close:gap?open+'\n'+indent+parts.join(',\n'+indent)+'\n'+outer+close:open+parts.join(',')+close})js" \
  R"js(function str(holder,key){var v=holder[key],outer=indent,parts=[],c,j,k,s,t;)js"           \
  R"js(if(v&&typeof v==='object'&&typeof v.toJSON==='function'){v=v.toJSON(key)})js"             \
  R"js(if(typeof replacer==='function'){v=replacer.call(holder,key,v)})js"                       \
  R"js(if(v&&typeof v==='object'){c=ts.call(v);if(c==='[object Number]'||c==='[object String]'||c==='[object Boolean]'){v=v.valueOf()}})js" \
  R"js(t=typeof v;if(t==='string'){return quote(v)}if(t==='number'){return isFinite(v)?String(v):'null'}if(t==='boolean'){return String(v)})js" \
  R"js(if(t!=='object'){return undefined}if(v===null){return'null'})js"                           \
  R"js(for(j=0;j<seen.length;j++){if(seen[j]===v){throw new TypeError('JSON.stringify: cyclic structure')}})js" \
  R"js(seen.push(v);indent+=gap;)js"                                                              \
  R"js(if(ts.call(v)==='[object Array]'){for(j=0;j<v.length;j++){s=str(v,j);parts.push(s===undefined?'null':s)}s=wrap(parts,'[',']',outer)})js" \
  R"js(else{if(replacer&&typeof replacer==='object'){for(j=0;j<replacer.length;j++){k=replacer[j];if(typeof k==='string'||typeof k==='number'){k=String(k);s=str(v,k);if(s!==undefined){parts.push(member(k,s))}}}})js" \
  R"js(else{for(k in v){if(own.call(v,k)){s=str(v,k);if(s!==undefined){parts.push(member(k,s))}}}}s=wrap(parts,'{','}',outer)})js" \
  R"js(seen.pop();indent=outer;return s})js"                                                      \
  R"js(return str({'':value},'')}})js"                                                            \
  R"js(if(typeof JSON.parse!=='function'){JSON.parse=function(text,reviver){)js"                   \
  R"js(var s=String(text).replace(/[\u2028\u2029]/g,function(c){return'\\u'+c.charCodeAt(0).toString(16)}),result;)js" \
  R"js(if(!/[^ \t\n\r]/.test(s)||s.replace(/[ \t\n\r]+|"(?:[^"\\\u0000-\u001f]|\\(?:["\\\/bfnrt]|u[0-9a-fA-F]{4}))*"|-?(?:0|[1-9][0-9]*)(?:\.[0-9]+)?(?:[eE][+\-]?[0-9]+)?|true|false|null|[\[\]{}:,]/g,'')!==''){throw new SyntaxError('JSON.parse')})js" \
  R"js(result=eval('('+s+')');)js"                                                                \
  R"js(function walk(holder,key){var k,r,v=holder[key];if(v&&typeof v==='object'){for(k in v){if(own.call(v,k)){r=walk(v,k);if(r===undefined){delete v[k]}else{v[k]=r}}}}return reviver.call(holder,key,v)})js" \
  R"js(return typeof reviver==='function'?walk({'':result},''):result}})js"                      \
  R"js(if(typeof Object.prototype.toJSONString!=='function'){Object.prototype.toJSONString=function(replacer,space){return JSON.stringify(this,replacer,space)}})js" \
  R"js(if(typeof Object.prototype.parseJSON!=='function'){Object.prototype.parseJSON=function(reviver){return JSON.parse(this,reviver)}})js" \
  R"js(}());)js"

const char HELPER_FUNCTIONS[] = KESTRUNE_HELPER_FUNCTIONS;
const char HELPER_SCRIPT[] = KESTRUNE_HELPER_FUNCTIONS KESTRUNE_JSON_POLYFILL;
