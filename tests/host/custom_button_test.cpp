// The custom button and the frame fetch: which frame at which size, what the dialog is
// given, a host without a frame, and GetFrameIntoGW's answers.
#include <cstring>
#include <tuple>

#include "dialog/configdlghandler.h"
#include "host/iMovieGlue.h"
#include "model/Globals.h"
#include "platform/quickdraw/QuickDraw.h"
#include "render/commonprocs.h"
#include "tests/host/PluginFixture.h"

namespace vantiro::test {
namespace {

// What the dialog was opened with, seen by a window opener that then opens nothing, so
// the dialog ends at once without saving.
struct Opened {
  Rect frameBounds{};
  bool allBlack = false;
  int32_t minFrame = -1, maxFrame = -1;
  const PluginParams* params = nullptr;  // for the clip slider's fetches
  std::string window;
} gOpened;

WindowRef Probe(const char*, const char*, const char* window) {
  const pluginWorkSpace& ws = gConfigWorkSpace;
  gOpened.window = window;
  gOpened.frameBounds = GetPortRect(ws.sourceClip);
  gOpened.allBlack = true;
  for (int y = 0; y < gOpened.frameBounds.bottom; ++y)
    for (int x = 0; x < gOpened.frameBounds.right; ++x) gOpened.allBlack &= PixelAt(ws.sourceClip, x, y) == 0xFF000000u;
  gOpened.minFrame = ws.minFrameIndex;
  gOpened.maxFrame = ws.maxFrameIndex;
  gOpened.params = ws.iMovieParams;
  return nullptr;
}

// A host's frame: blue is the given level, red and green the column and row.
GWorldPtr NewFrame(int w, int h, uint8_t blue) {
  return NewFilled(w, h, [blue](int x, int y) { return 0xFF000000u | uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 | blue; });
}

// The host lends `served` (a missing frame when nil) and frees it when it is handed back.
class FrameHost : public PluginFixture {
 protected:
  FrameHost() {
    gOpened = Opened{};
    SetConfigWindowOpener(Probe);
    host.getFrame = [this](int32_t, GWorldPtr* out, int16_t w, int16_t h, HYRefDVQuality, HYFrameCookie* cookie) {
      if (serveAtSize) served = NewFrame(w, h, 7);
      *out = served;
      *cookie = served;
      return served != nullptr ? HYPluginResult(kPluginOK) : HYPluginResult(kPluginCantGetNeededFrame);
    };
    host.releaseFrame = [this](HYFrameCookie cookie) {
      if (cookie != nullptr) DisposeGWorld(static_cast<GWorldPtr>(cookie));
      served = nullptr;
      return releaseAnswer;
    };
  }
  ~FrameHost() override { SetConfigWindowOpener(nullptr); }
  GWorldPtr served = nullptr;
  bool serveAtSize = false;
  HYPluginResult releaseAnswer = kPluginOK;
};

TEST_F(FrameHost, TheButtonOpensTheDialogOnTheFrameLastRenderedAtTheFormatsSize) {
  serveAtSize = true;
  ASSERT_EQ(Call(kPlugGetInfo), kPluginOK);
  EXPECT_EQ(Call(kPlugCustomButtonClick), kPluginOK);
  EXPECT_EQ(gOpened.maxFrame, 0) << "before any render pass the clip has one position";
  gMostRecentStartFrame = 300;
  gMostRecentFrameCount = 40;
  host.params.renderFrame = 12;
  const std::tuple<int16_t, const char*, long long, long long> formats[] = {
      {3, "configHD", 960, 540}, {2, "configPAL", 720, 576}, {1, "configNTSC", 720, 480}, {7, "configNTSC", 720, 480}};
  for (const auto& [mediaType, window, width, height] : formats) {
    gPascalData->mediaType = mediaType;
    const long ports = VantiroLivePortCount();
    EXPECT_EQ(Call(kPlugCustomButtonClick), kPluginOK);
    EXPECT_EQ(host.Last("GetFrame")->args, (std::vector<long long>{312, width, height, kDVHighQuality}));
    EXPECT_EQ(gOpened.window, window);
    EXPECT_EQ(gOpened.minFrame, 312);
    EXPECT_EQ(gOpened.maxFrame, 39);
    EXPECT_EQ(gOpened.params, &host.params);
    EXPECT_EQ(served, nullptr) << "the frame was handed back";
    EXPECT_EQ(VantiroLivePortCount(), ports) << "and nothing else was left";
  }
}

// Without a frame the dialog still opens, on black; a cookie handed out with the failed
// fetch is handed back all the same.
TEST_F(FrameHost, WithoutAFrameTheDialogOpensOnBlackAndTheCookieGoesBack) {
  ASSERT_EQ(Call(kPlugGetInfo), kPluginOK);
  gPascalData->mediaType = 2;
  int token = 0;
  host.getFrame = [&](int32_t, GWorldPtr* out, int16_t, int16_t, HYRefDVQuality, HYFrameCookie* cookie) {
    *out = nullptr;
    *cookie = &token;
    return HYPluginResult(kPluginCantGetNeededFrame);
  };
  host.releaseFrame = [](HYFrameCookie) { return HYPluginResult(kPluginOK); };
  const long ports = VantiroLivePortCount();
  EXPECT_EQ(Call(kPlugCustomButtonClick), kPluginOK);
  EXPECT_EQ(gOpened.window, "configPAL");
  EXPECT_EQ(gOpened.frameBounds.right, 720);
  EXPECT_EQ(gOpened.frameBounds.bottom, 576);
  EXPECT_TRUE(gOpened.allBlack);
  EXPECT_EQ(VantiroLivePortCount(), ports) << "the black frame is gone again";
  ASSERT_EQ(host.Count("ReleaseFrame"), 1u);
  EXPECT_EQ(host.Last("ReleaseFrame")->args[0], static_cast<long long>(reinterpret_cast<uintptr_t>(&token)));

  gMostRecentStartFrame = INT32_MAX;
  host.params.renderFrame = 1;
  host.calls.clear();
  EXPECT_EQ(Call(kPlugCustomButtonClick), kPluginBadParams) << "a frame number beyond 32 bits";
  EXPECT_TRUE(host.calls.empty());
}

// The host frees each frame as it is handed back, so reading it afterwards is caught
// under the address sanitizer.
TEST_F(FrameHost, FetchAsksAtTheBuffersSizeAndQualityAndScalesWhatComesBack) {
  GWorldPtr into = NewFrame(360, 240, 1);
  served = NewFrame(720, 480, 99);
  host.params.startFrame = 10;
  host.params.proxyOnly = true;
  releaseAnswer = kPluginFailed;
  EXPECT_EQ(GetFrameIntoGW(into, &host.params, 4, 0), kPluginFailed) << "the release's answer";
  EXPECT_EQ(served, nullptr) << "handed back";
  EXPECT_EQ(host.Last("GetFrame")->args, (std::vector<long long>{14, 360, 240, kDVLowQuality}));
  EXPECT_EQ(PixelAt(into, 50, 100) & 0xFF, 99u) << "the host's picture";
  EXPECT_EQ(PixelAt(into, 50, 100) >> 16 & 0xFF, 101u) << "column 50 of 360 is the host's column 101 of 720";
  DisposeGWorld(into);
  // Proxies up to 259 lines are fetched fast; everything else at high quality.
  serveAtSize = true;
  for (const auto& [proxy, height, quality] : {std::tuple{true, 259, kDVLowQuality}, std::tuple{true, 260, kDVHighQuality},
                                               std::tuple{false, 240, kDVHighQuality}}) {
    host.params.proxyOnly = proxy;
    into = NewFrame(36, height, 1);
    GetFrameIntoGW(into, &host.params, 4, 0);
    EXPECT_EQ(host.Last("GetFrame")->args[3], quality) << height << " lines, proxy " << proxy;
    DisposeGWorld(into);
  }
}

// Frames outside the movie ask the host nothing; a frame the host cannot give leaves the
// buffer as it was and nothing to release.
TEST_F(FrameHost, FetchOutsideTheMovieOrOfAMissingFrameLeavesTheBufferAlone) {
  GWorldPtr into = NewFrame(36, 24, 5);
  host.params.startFrame = 3;
  EXPECT_EQ(GetFrameIntoGW(into, &host.params, -4, 1), -1) << "frame -1";
  host.params.startFrame = 5;
  EXPECT_EQ(GetFrameIntoGW(into, &host.params, INT32_MAX, 1), kPluginBadParams) << "beyond 32 bits";
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(GetFrameIntoGW(into, &host.params, 2, 1), kPluginCantGetNeededFrame);
  EXPECT_EQ(host.Count("ReleaseFrame"), 0u);
  EXPECT_EQ(PixelAt(into, 0, 0) & 0xFF, 5u);
  DisposeGWorld(into);
}

}  // namespace
}  // namespace vantiro::test
