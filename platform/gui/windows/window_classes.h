// Our own window classes: the form's window, the picture box, the label and
// the colour palette. Registered once per process.
#pragma once

namespace gui::win32 {

inline constexpr const char* FormWindowClass = "KestruneForm";
inline constexpr const char* PicBoxClass = "KestrunePicBox";
inline constexpr const char* LabelClass = "KestruneLabel";
inline constexpr const char* PaletteClass = "KestrunePalette";

// Registers the classes and the common controls the framework uses.
void registerWindowClasses();

}  // namespace gui::win32
