// Texts that several parts of the program show.
#pragma once

namespace poronka {

// The program's name: window captions, message boxes, the about box.
inline constexpr const char* kApplicationName = "ポロンカ";
// Follows a song's or media file's title in the taskbar caption.
inline constexpr const char* kApplicationTitleSuffix = ">ポロンカ";

}  // namespace poronka
