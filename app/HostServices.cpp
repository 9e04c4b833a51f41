#include "app/HostServices.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/coregraphics/Bands.h"
#include "platform/memory/Memory.h"
#include "platform/quickdraw/Pixels.h"
#include "platform/quickdraw/QuickDraw.h"

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

// The rows of a raster from (x, y) on, `width` pixels wide.
uint32_t* RowAt(PixMapHandle pm, const Rect& bounds, int x, int y) {
  return reinterpret_cast<uint32_t*>(GetPixBaseAddr(pm) + long(y - bounds.top) * GetPixRowBytes(pm)) + (x - bounds.left);
}

// Source over destination, `width` × `height` pixels, with the source scaled by opacity `a`:
// pixman's OVER through a solid mask of that alpha, done in the rasters' own byte order in
// one pass over each row, the rows shared out among the drawing bands.
void BlitRows(PixMapHandle source, const Rect& sb, int sx, int sy, PixMapHandle dest, const Rect& db, int dx, int dy,
              int width, int height, int a) {
  constexpr int kAlphaShift = kLittleEndian ? 0 : 24;  // alpha is the first byte in memory
  uint32_t* to = RowAt(dest, db, dx, dy);  // first: copies sharing the output's pixels take them now
  // The source is only read: a copy not yet made is read where its pixels still are.
  const auto* from = reinterpret_cast<const uint32_t*>(PixelsToRead(source) + long(sy - sb.top) * GetPixRowBytes(source)) +
                     (sx - sb.left);
  const long fromWords = GetPixRowBytes(source) / 4, toWords = GetPixRowBytes(dest) / 4;
  ForEachBand(size_t(height), 64, [&](size_t first, size_t last) {
    for (size_t y = first; y < last; ++y)
      OverWords(from + long(y) * fromWords, to + long(y) * toWords, size_t(width), kAlphaShift, uint32_t(a));
  });
}

// Rectangles of different sizes: each destination pixel takes the source pixel its offset
// scales to, laid over it at opacity `a`; pixels outside either raster are skipped.
void BlitScaled(PixMapHandle source, PixMapHandle dest, const Rect& sourceRect, const Rect& destRect, int a) {
  Rect sb, db;
  GetPixBounds(source, &sb);
  GetPixBounds(dest, &db);
  const int sw = sourceRect.right - sourceRect.left, sh = sourceRect.bottom - sourceRect.top;
  const int dw = destRect.right - destRect.left, dh = destRect.bottom - destRect.top;
  const auto* sbase = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(source));
  auto* dbase = reinterpret_cast<uint8_t*>(GetPixBaseAddr(dest));
  const long srow = GetPixRowBytes(source), drow = GetPixRowBytes(dest);
  for (int y = std::max(destRect.top, db.top); y < std::min(destRect.bottom, db.bottom); ++y) {
    const int sy = sourceRect.top + (y - destRect.top) * sh / dh;
    if (sy < sb.top || sy >= sb.bottom) continue;
    uint8_t* d = dbase + (y - db.top) * drow;
    const uint8_t* s = sbase + (sy - sb.top) * srow;
    for (int x = std::max(destRect.left, db.left); x < std::min(destRect.right, db.right); ++x) {
      const int sx = sourceRect.left + (x - destRect.left) * sw / dw;
      if (sx < sb.left || sx >= sb.right) continue;
      const uint8_t* sp = s + 4 * (sx - sb.left);
      uint8_t* dp = d + 4 * (x - db.left);
      const unsigned sa = (sp[0] * unsigned(a) + 127) / 255;
      for (int c = 0; c < 4; ++c)
        dp[c] = static_cast<uint8_t>((sp[c] * unsigned(a) + dp[c] * (255 - sa) + 127) / 255);
    }
  }
}

}  // namespace

HYPluginResult BlitPixMap(PixMapHandle source, PixMapHandle dest, const Rect* sourceRect,
                          const Rect* destRect, int16_t opacity) {
  if (source == nullptr || dest == nullptr || sourceRect == nullptr || destRect == nullptr)
    return kPluginBadParams;
  Rect sb, db;
  GetPixBounds(source, &sb);
  GetPixBounds(dest, &db);
  const int sw = sourceRect->right - sourceRect->left, sh = sourceRect->bottom - sourceRect->top;
  const int dw = destRect->right - destRect->left, dh = destRect->bottom - destRect->top;
  const int a = std::clamp<int>(opacity, 0, 255);
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0 || a == 0) return kPluginOK;
  if (sw != dw || sh != dh) {
    BlitScaled(source, dest, *sourceRect, *destRect, a);
    return kPluginOK;
  }
  // One to one: the part of destRect inside dest whose source pixels lie inside source.
  const int dx = sourceRect->left - destRect->left, dy = sourceRect->top - destRect->top;
  const int left = std::max({int(destRect->left), int(db.left), sb.left - dx});
  const int top = std::max({int(destRect->top), int(db.top), sb.top - dy});
  const int right = std::min({int(destRect->right), int(db.right), sb.right - dx});
  const int bottom = std::min({int(destRect->bottom), int(db.bottom), sb.bottom - dy});
  if (right <= left || bottom <= top) return kPluginOK;
  BlitRows(source, sb, left + dx, top + dy, dest, db, left, top, right - left, bottom - top, a);
  return kPluginOK;
}

HostRequest::HostRequest(HYProcs* procs, HYInstance instance) {
  params.interfaceVersion = kHostInterfaceVersion;
  params.instance = instance;
  params.procs = procs;
  params.getInfo = &info1;
  params.getInfo2 = &info2;
  params.getInfo3 = &info3;
}

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
  procs.Blit = BlitPixMap;
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
