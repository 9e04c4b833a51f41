#include <cstring>
#include <map>

#include "host/RenderPass.h"
#include "model/pascalFX.h"
#include "platform/quickdraw/QuickDraw.h"
#include "tests/host/PluginFixture.h"

using namespace vantiro::test;

namespace {

constexpr int kW = 40, kH = 30;

uint32_t PixelAt(GWorldPtr gw, int x, int y) {
  PixMapHandle pm = GetGWorldPixMap(gw);
  const auto* p = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm) + 4 * x;
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

GWorldPtr NewFilled(int w, int h, const std::function<uint32_t(int, int)>& argb) {
  GWorldPtr gw = nullptr;
  const Rect bounds{0, 0, int16_t(h), int16_t(w)};
  EXPECT_EQ(NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0), noErr);
  PixMapHandle pm = GetGWorldPixMap(gw);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      auto* p = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm) + 4 * x;
      const uint32_t v = argb(x, y);
      p[0] = uint8_t(v >> 24), p[1] = uint8_t(v >> 16), p[2] = uint8_t(v >> 8), p[3] = uint8_t(v);
    }
  return gw;
}

// Source frames: opaque, different in every pixel and every frame.
uint32_t SourcePixel(int frame, int x, int y) {
  return 0xFF000000u | uint32_t(frame & 0xFF) << 16 | uint32_t(x * 6) << 8 | uint32_t(y * 8);
}

class RenderPassTest : public PluginFixture {
 protected:
  GWorldPtr output = NewFilled(kW, kH, [](int, int) { return 0xFF123456u; });
  HYPluginFilterInfo filter{{0.5f, 0.5f, 0.5f}, 0, 0};
  std::map<HYFrameCookie, GWorldPtr> lent;
  int framesLent = 0;
  std::vector<int16_t> opacities;

  RenderPassTest() {
    host.params.frameCount = 100;
    host.params.frameRect = Rect{0, 0, kH, kW};
    host.params.frame = output;
    host.getFilterInfo = [this](HYPluginFilterInfo** out) {
      *out = &filter;
      return HYPluginResult(kPluginOK);
    };
    host.releaseFilterInfo = [](HYPluginFilterInfo*) { return HYPluginResult(kPluginOK); };
    host.getFrame = [this](int32_t frame, GWorldPtr* out, int16_t w, int16_t h, HYRefDVQuality,
                           HYFrameCookie* cookie) {
      *out = NewFilled(w, h, [frame](int x, int y) { return SourcePixel(frame, x, y); });
      *cookie = reinterpret_cast<HYFrameCookie>(uintptr_t(++framesLent));
      lent[*cookie] = *out;
      return HYPluginResult(kPluginOK);
    };
    host.releaseFrame = [this](HYFrameCookie cookie) {
      if (cookie == nullptr) return HYPluginResult(kPluginOK);
      DisposeGWorld(lent.at(cookie));
      lent.erase(cookie);
      return HYPluginResult(kPluginOK);
    };
    host.blit = [this](PixMapHandle, PixMapHandle, const Rect*, const Rect*, int16_t opacity) {
      opacities.push_back(opacity);
      return HYPluginResult(kPluginOK);
    };
    host.mixAudio = [](HYFrameCookie, int32_t) { return HYPluginResult(kPluginOK); };
    EXPECT_EQ(Call(kPlugGetInfo), kPluginOK);  // initialises the plug-in
    host.calls.clear();
  }
  ~RenderPassTest() override {
    if (host.params.clientData != nullptr) Call(kPlugTerminate);
    DisposeGWorld(output);
  }

  EffectData* Pass() { return static_cast<EffectData*>(host.params.clientData); }

  int32_t Frame(int32_t r) {
    host.params.renderFrame = r;
    return Call(kPlugDoFrame);
  }

  std::pair<int32_t, int32_t> ClampedFades(int32_t n, int32_t in, int32_t out) {
    host.params.frameCount = n;
    filter.fadeInFrames = in;
    filter.fadeOutFrames = out;
    EXPECT_EQ(Call(kPlugInitialize), kPluginOK);
    std::pair<int32_t, int32_t> result{Pass()->fadeInFrames, Pass()->fadeOutFrames};
    Call(kPlugTerminate);
    return result;
  }
};

}  // namespace

TEST_F(RenderPassTest, FadesAreClampedToTheClip) {
  EXPECT_EQ(ClampedFades(100, 60, 60), std::make_pair(50, 50));
  EXPECT_EQ(ClampedFades(101, 60, 60), std::make_pair(50, 50));
  EXPECT_EQ(ClampedFades(100, 120, 0), std::make_pair(100, 0));
  EXPECT_EQ(ClampedFades(100, 0, 130), std::make_pair(0, 100));
  EXPECT_EQ(ClampedFades(100, 10, 10), std::make_pair(10, 10));
}

TEST_F(RenderPassTest, TheSourceIsLaidOverTheEffectAtTheFadesOpacity) {
  filter.fadeInFrames = filter.fadeOutFrames = 10;
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  const std::map<int32_t, int16_t> expected{{0, 255}, {5, 127}, {9, 25}, {91, 25}, {99, 229}};
  for (const auto& [r, opacity] : expected) {
    opacities.clear();
    ASSERT_EQ(Frame(r), kPluginOK);
    ASSERT_EQ(opacities.size(), 1u) << "frame " << r;
    EXPECT_EQ(opacities[0], opacity) << "frame " << r;
  }
  opacities.clear();
  for (int32_t r : {10, 50, 90}) ASSERT_EQ(Frame(r), kPluginOK);
  EXPECT_TRUE(opacities.empty()) << "frames 10 to 90 show the effect alone";
}

TEST_F(RenderPassTest, WithoutFadesNothingIsBlittedOrCopied) {
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  for (int32_t r : {0, 1, 50, 99}) ASSERT_EQ(Frame(r), kPluginOK);
  EXPECT_EQ(host.Count("Blit"), 0u);
  // All sliders 0 over the whole frame: the output is the source, pixel for pixel.
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(PixelAt(output, x, y), SourcePixel(99, x, y)) << x << "," << y;
}

TEST_F(RenderPassTest, AFullFadeCoversEveryFrame) {
  filter.fadeInFrames = 120;
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  for (int32_t r : {0, 37, 99}) {
    opacities.clear();
    ASSERT_EQ(Frame(r), kPluginOK);
    ASSERT_EQ(opacities.size(), 1u);
    EXPECT_EQ(opacities[0], int16_t(255.0 * (1.0 - r / 100.0))) << "frame " << r;
  }
}

TEST(FadeOpacity, StaysWithinRangeOutsideTheClipAndNeverDividesByZero) {
  EXPECT_EQ(FadeOpacity(-3, 100, 0, 10), 255) << "before the clip with no fade-in";
  EXPECT_EQ(FadeOpacity(105, 100, 10, 0), 255) << "after the clip with no fade-out";
  EXPECT_EQ(FadeOpacity(-7, 100, 10, 10), 255) << "1 - (-0.7) would be above 255";
  EXPECT_EQ(FadeOpacity(120, 100, 10, 10), 255);
  EXPECT_EQ(FadeOpacity(-7, 100, -5, 10), 0) << "negative fade from the host";
  EXPECT_TRUE(IsFaded(-3, 100, 0, 10));
  EXPECT_FALSE(IsFaded(50, 100, -5, 0));
}

TEST_F(RenderPassTest, QualityFollowsProxyAndHeight) {
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  const auto quality = [&](bool proxy, int16_t height) {
    host.params.proxyOnly = proxy;
    host.params.frameRect = Rect{0, 0, height, kW};
    GWorldPtr big = NewFilled(kW, height, [](int, int) { return 0xFF000000u; });
    host.params.frame = big;
    EXPECT_EQ(Frame(3), kPluginOK);
    host.params.frame = output;
    DisposeGWorld(big);
    return host.Last("GetFrame")->args[3];
  };
  EXPECT_EQ(quality(true, 259), kDVLowQuality);
  EXPECT_EQ(quality(true, 260), kDVHighQuality);
  EXPECT_EQ(quality(false, 100), kDVHighQuality);
  EXPECT_EQ(host.Last("GetFrame")->args[1], kW);
  EXPECT_EQ(host.Last("GetFrame")->args[2], 100);
}

TEST_F(RenderPassTest, SoundIsMixedOnlyForFullRenders) {
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  host.params.proxyOnly = true;
  ASSERT_EQ(Frame(1), kPluginOK);
  EXPECT_EQ(host.Count("MixAudio"), 0u);
  host.params.proxyOnly = false;
  ASSERT_EQ(Frame(2), kPluginOK);
  ASSERT_EQ(host.Count("MixAudio"), 1u);
  EXPECT_EQ(host.Last("MixAudio")->args[1], 256);
}

TEST_F(RenderPassTest, FramesBeforeTheMovieAreSkippedButRemembered) {
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  host.params.startFrame = 3;
  host.params.frameCount = 77;
  ASSERT_EQ(Frame(-4), kPluginOK);
  EXPECT_EQ(host.Count("GetFrame"), 0u);
  EXPECT_EQ(host.Count("ReleaseFrame"), 0u);
  EXPECT_EQ(PixelAt(output, 0, 0), 0xFF123456u) << "the output is left alone";
  EXPECT_EQ(gMostRecentStartFrame, 3);
  EXPECT_EQ(gMostRecentFrameCount, 77);
  ASSERT_EQ(Frame(5), kPluginOK);
  EXPECT_EQ(host.Last("GetFrame")->args[0], 8) << "movie frame = start + render frame";
}

TEST_F(RenderPassTest, TheFirstFailureWins) {
  filter.fadeInFrames = 10;
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  auto getFrame = host.getFrame;
  host.getFrame = [](int32_t, GWorldPtr*, int16_t, int16_t, HYRefDVQuality, HYFrameCookie*) {
    return HYPluginResult(kPluginCantGetNeededFrame);
  };
  EXPECT_EQ(Frame(50), kPluginCantGetNeededFrame);
  EXPECT_EQ(host.Count("ReleaseFrame"), 1u) << "released even after a failed fetch";
  EXPECT_EQ(host.Last("ReleaseFrame")->args[0], 0);
  host.getFrame = getFrame;

  host.blit = [](PixMapHandle, PixMapHandle, const Rect*, const Rect*, int16_t) { return HYPluginResult(kPluginFailed); };
  host.calls.clear();
  EXPECT_EQ(Frame(2), kPluginFailed);
  EXPECT_EQ(host.Count("MixAudio"), 0u);
  EXPECT_EQ(host.Count("ReleaseFrame"), 1u);

  host.calls.clear();
  auto release = host.releaseFrame;
  host.releaseFrame = [&](HYFrameCookie c) { release(c); return HYPluginResult(kPluginTryAgainLater); };
  EXPECT_EQ(Frame(2), kPluginFailed) << "the blit failed first";
  EXPECT_EQ(Frame(50), kPluginTryAgainLater) << "a failed release counts when all else went well";
  host.mixAudio = [](HYFrameCookie, int32_t) { return HYPluginResult(kPluginOutOfDiskSpace); };
  EXPECT_EQ(Frame(50), kPluginOutOfDiskSpace);
  host.releaseFrame = release;
}

TEST_F(RenderPassTest, EndingFreesEverythingOnceAndBeginningAgainLeaksNothing) {
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK) << "a pass begun twice";
  const std::size_t allocations = host.Count("NewPtrClear");
  EXPECT_EQ(allocations, 3u) << "one pass record, two configuration copies";
  EXPECT_EQ(host.Count("DisposePtr"), 1u) << "the first copy is released when the pass begins again";
  ASSERT_EQ(Call(kPlugTerminate), kPluginOK);
  EXPECT_EQ(host.Count("DisposePtr"), 3u);
  EXPECT_EQ(host.params.clientData, nullptr);
  ASSERT_EQ(Call(kPlugTerminate), kPluginOK);
  EXPECT_EQ(host.Count("DisposePtr"), 3u) << "nothing is freed twice";
  EXPECT_EQ(Frame(0), kPluginBadParams) << "no pass, no frame";
}

TEST_F(RenderPassTest, AllocationFailuresAreReported) {
  host.failAllocations = 1;
  EXPECT_EQ(Call(kPlugInitialize), kPluginOutOfMemory) << "no pass record";
  EXPECT_EQ(host.params.clientData, nullptr);
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  host.failAllocations = 1;
  EXPECT_EQ(Call(kPlugInitialize), kPluginOutOfMemory) << "a pass record, but no configuration copy";
  EXPECT_EQ(Pass()->pascalData, nullptr);
  EXPECT_EQ(Frame(0), kPluginBadParams) << "a host that renders on regardless is refused, not ended";
  EXPECT_EQ(host.Count("GetFrame"), 0u);
}

TEST_F(RenderPassTest, FramesThatCannotBeRenderedAreRefused) {
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  host.params.frame = nullptr;
  EXPECT_EQ(Frame(0), kPluginBadParams) << "no output buffer";
  host.params.frame = output;
  host.params.startFrame = INT32_MAX;
  EXPECT_EQ(Frame(1), kPluginBadParams) << "a frame number beyond 32 bits";
  host.params.startFrame = INT32_MIN;
  EXPECT_EQ(Frame(-1), kPluginOK) << "far before the movie: nothing to render";
  EXPECT_EQ(host.Count("GetFrame"), 0u);
  host.params.startFrame = INT32_MAX - 1;
  EXPECT_EQ(Frame(1), kPluginOK) << "the last frame a host can name";
  EXPECT_EQ(host.Last("GetFrame")->args[0], INT32_MAX);
}

TEST_F(RenderPassTest, WithoutAFilterRecordThereAreNoFades) {
  host.getFilterInfo = [](HYPluginFilterInfo** out) {
    *out = nullptr;
    return HYPluginResult(kPluginOK);
  };
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  EXPECT_EQ(Pass()->fadeInFrames, 0);
  EXPECT_EQ(Pass()->fadeOutFrames, 0);
  EXPECT_EQ(Pass()->sliderValues[1], 0.0f);
  EXPECT_EQ(host.Count("ReleaseFilterInfo"), 0u);
  host.getFilterInfo = [](HYPluginFilterInfo** out) {
    *out = nullptr;
    return HYPluginResult(kPluginFailed);
  };
  EXPECT_EQ(Call(kPlugInitialize), kPluginFailed) << "the host's answer is the result";
}

TEST_F(RenderPassTest, ThePassRendersItsOwnCopyOfTheSettings) {
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  gPascalData->sliders[0] = -100;  // would leave only the background
  ASSERT_EQ(Frame(4), kPluginOK);
  EXPECT_EQ(PixelAt(output, 20, 15), SourcePixel(4, 20, 15));
  EXPECT_EQ(Pass()->pascalData->sliders[0], 0);
}

TEST_F(RenderPassTest, APlaceholderIsAPassOfItsOwn) {
  host.info.bestThumbOffset = 42;
  host.params.startFrame = 10;
  host.params.renderFrame = 7;
  void* callerPass = reinterpret_cast<void*>(uintptr_t(0xDEADBEEF));
  host.params.clientData = callerPass;
  host.params.selector = kPlugFilePlaceHolder;
  const PluginParams before = host.params;
  ASSERT_EQ(PlugMain(0, &host.params), kPluginOK);
  const PluginParams& after = host.params;
  EXPECT_EQ(after.selector, before.selector);
  EXPECT_EQ(after.renderFrame, 7);
  EXPECT_EQ(after.startFrame, 10);
  EXPECT_EQ(after.clientData, callerPass);
  EXPECT_EQ(after.frame, before.frame);
  EXPECT_EQ(after.frameCount, before.frameCount);
  EXPECT_EQ(std::memcmp(&after.frameRect, &before.frameRect, sizeof(Rect)), 0);
  ASSERT_EQ(host.Count("GetFrame"), 1u);
  EXPECT_EQ(host.Last("GetFrame")->args[0], 52);
  EXPECT_EQ(host.Count("NewPtrClear"), host.Count("DisposePtr")) << "everything it made is freed";
  EXPECT_EQ(PixelAt(output, 5, 5), SourcePixel(52, 5, 5));
  host.params.clientData = nullptr;
}

TEST_F(RenderPassTest, TheCurrentPortIsRestored) {
  GWorldPtr elsewhere = NewFilled(4, 4, [](int, int) { return 0u; });
  SetGWorld(elsewhere, nullptr);
  filter.fadeOutFrames = 50;
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  ASSERT_EQ(Frame(80), kPluginOK);
  ASSERT_EQ(Frame(-200), kPluginOK);
  ASSERT_EQ(Call(kPlugFilePlaceHolder), kPluginOK);
  CGrafPtr port = nullptr;
  GDHandle device = nullptr;
  GetGWorld(&port, &device);
  EXPECT_EQ(port, elsewhere);
  SetGWorld(output, nullptr);
  DisposeGWorld(elsewhere);
}
