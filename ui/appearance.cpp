#include "ui/appearance.h"

#include "platform/profile/private_profile.h"
#include "platform/text/gbk.h"

namespace {

const Text& rememberKey() {
  static const Text key = "记住配色"_gbk;
  return key;
}

std::vector<gui::ControlHandle> controls(gui::Form& form, std::initializer_list<const char*> names) {
  std::vector<gui::ControlHandle> out;
  for (const char* name : names) out.push_back(form.control(utf8ToGbk(name)));
  return out;
}

void writeKey(const Text& key, const Text& value) {
  WritePrivateProfileStringA(key.c_str(), key.c_str(), value.c_str(), ColourIniFile);
}

Text readKey(const Text& key) {
  std::vector<char> buffer(10240, '\0');
  const uint32_t n = GetPrivateProfileStringA(key.c_str(), key.c_str(), "", buffer.data(),
                                              static_cast<uint32_t>(buffer.size()), ColourIniFile);
  return Text(buffer.data(), n);
}

// A colour as the decimal form of a signed 32-bit number.
void writeColourKey(const Text& key, COLORREF colour) {
  writeKey(key, intToText(static_cast<int32_t>(colour)));
}

}  // namespace

Appearance::Appearance(gui::Form& form) : remember_(form.checkBox("选择框_配置"_gbk)) {
  std::vector<gui::ControlHandle> backgroundTargets = {form.window()};
  for (auto& c : controls(form, {"标签1", "标签2", "标签3", "滚动标题", "直播标题1", "直播标题2",
                                 "直播标题3", "直播标题4", "直播标题5", "直播标题6", "直播标题7",
                                 "直播标题8", "图片框_滚动", "图片框_标题1", "图片框_标题2",
                                 "分组框_标题", "选择框_滚动", "选择框_配置", "软件标题1",
                                 "软件标题2", "单选框1", "单选框2", "编辑框_号码"}))
    backgroundTargets.push_back(c);

  settings_ = {{
      {"背景色"_gbk, form.colorPicker("颜色选择器_背景色"_gbk), true, backgroundTargets},
      {"字体颜色"_gbk, form.colorPicker("颜色选择器_字体颜色"_gbk), false,
       controls(form, {"选择框_滚动", "选择框_配置", "单选框1", "单选框2", "分组框_标题",
                       "直播标题1", "直播标题3", "直播标题5", "直播标题6", "直播标题8", "标签3",
                       "标题1", "标题2", "标题3", "标题4", "标题5", "标题6", "标题7", "标题8",
                       "标题9", "标题10", "标题11", "标题12", "标题13", "标题14", "标题16",
                       "透明标签1", "透明标签2", "标题_等级", "标题_建议"})},
      {"特殊字颜色"_gbk, form.colorPicker("颜色选择器_特殊字颜色"_gbk), false,
       controls(form, {"直播标题2", "直播标题4", "直播标题7"})},
      {"滚动字幕颜色"_gbk, form.colorPicker("颜色选择器_滚动字幕颜色"_gbk), false,
       controls(form, {"滚动标题"})},
      {"尾号颜色"_gbk, form.colorPicker("颜色选择器_尾号颜色"_gbk), false,
       controls(form, {"编辑框_号码"})},
      {"价格颜色"_gbk, form.colorPicker("颜色选择器_价格颜色"_gbk), false,
       controls(form, {"标题_价格"})},
  }};
}

void Appearance::apply(ColourSlot slot) const {
  const Setting& s = setting(slot);
  const COLORREF colour = s.picker.colour();
  for (const gui::ControlHandle& target : s.targets) {
    if (s.background) target.setBackColour(colour);
    else target.setTextColour(colour);
  }
  if (remember_.checked()) writeColourKey(s.key, colour);
}

void Appearance::rememberColoursClicked() const {
  if (!remember_.checked()) {
    writeKey(rememberKey(), "0");
    return;
  }
  writeKey(rememberKey(), "1");
  for (ColourSlot slot : AllColourSlots) writeColourKey(setting(slot).key, setting(slot).picker.colour());
}

void Appearance::restore() const {
  if (readKey(rememberKey()) == "1") {
    remember_.setChecked(true);
    for (ColourSlot slot : AllColourSlots) {
      const Setting& s = setting(slot);
      s.picker.setColour(static_cast<COLORREF>(textToInt(readKey(s.key))));
    }
  } else {
    remember_.setChecked(false);
  }
  for (ColourSlot slot : AllColourSlots) apply(slot);
}
