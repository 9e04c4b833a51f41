#include "app/HostServices.h"

#include <algorithm>
#include <cstring>

#include "platform/memory/Memory.h"

namespace vantiro {
namespace {

char* PtoCStr(StringPtr s) {
  const unsigned n = s[0];
  std::memmove(s, s + 1, n);
  s[n] = '\0';
  return reinterpret_cast<char*>(s);
}

StringPtr CtoPStr(char* s) {
  const std::size_t n = std::min<std::size_t>(std::strlen(s), 255);
  std::memmove(s + 1, s, n);
  s[0] = static_cast<char>(n);
  return reinterpret_cast<StringPtr>(s);
}

void PStrCpy(StringPtr dest, ConstStringPtr src) { std::memmove(dest, src, src[0] + 1u); }
char* StrCpy(char* dest, const char* src) { return std::strcpy(dest, src); }
size_t StrLen(const char* s) { return std::strlen(s); }

template <typename... Args>
HYPluginResult Unimplemented(Args...) {
  return kPluginUnimplemented;
}
int16_t NoWidth(HYInstance, ConstStringPtr) { return 0; }
float NoCGWidth(HYInstance, const char*) { return 0.0f; }

}  // namespace

HYProcs MakeHostProcs() {
  HYProcs procs{};
  procs.NewPtr = ::NewPtr;
  procs.NewPtrClear = ::NewPtrClear;
  procs.DisposePtr = ::DisposePtr;
  procs.ptocstr = PtoCStr;
  procs.ctopstr = CtoPStr;
  procs.pstrcpy = PStrCpy;
  procs.strcpy = StrCpy;
  procs.strlen = StrLen;
  procs.GetLocalizedString = Unimplemented;
  procs.GetFrame = Unimplemented;
  procs.ReleaseFrame = Unimplemented;
  procs.GetAudioFrame = Unimplemented;
  procs.ReleaseAudioFrame = Unimplemented;
  procs.GetMovieInfo = Unimplemented;
  procs.GetClipInfo = Unimplemented;
  procs.SetClipInfo = Unimplemented;
  procs.Blit = Unimplemented;
  procs.FillRect = Unimplemented;
  procs.TextBounds = Unimplemented;
  procs.DrawText = Unimplemented;
  procs.GetTitleInfo = Unimplemented;
  procs.ReleaseTitleInfo = Unimplemented;
  procs.GetTransitionInfo = Unimplemented;
  procs.ReleaseTransitionInfo = Unimplemented;
  procs.MixAudio = Unimplemented;
  procs.GetFilterInfo = Unimplemented;
  procs.ReleaseFilterInfo = Unimplemented;
  procs.StringWidth = NoWidth;
  procs.CGDrawText = Unimplemented;
  procs.CGStringWidth = NoCGWidth;
  return procs;
}

}  // namespace vantiro
