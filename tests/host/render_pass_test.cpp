// Render passes through the plug-in's entry: fades, quality and sound, failures, what is
// allocated and freed, and frames that cannot be rendered.
#include <cstring>
#include <map>
#include <tuple>

#include "host/RenderPass.h"
#include "model/pascalFX.h"
#include "platform/quickdraw/QuickDraw.h"
#include "tests/host/PluginFixture.h"

using namespace vantiro::test;

namespace {

constexpr int kW = 40, kH = 30;

// Source frames: opaque, different in every pixel and every frame.
uint32_t SourcePixel(int frame, int x, int y) {
  return 0xFF000000u | uint32_t(frame & 0xFF) << 16 | uint32_t(x * 6) << 8 | uint32_t(y * 8);
}

class RenderPassTest : public PluginFixture {
 protected:
  GWorldPtr output = NewFilled(kW, kH, [](int, int) { return 0xFF123456u; });
  HYPluginFilterInfo filter{{0.5f, 0.5f, 0.5f}, 0, 0};

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
      *cookie = *out;
      return HYPluginResult(kPluginOK);
    };
    host.releaseFrame = [](HYFrameCookie cookie) {
      if (cookie != nullptr) DisposeGWorld(static_cast<GWorldPtr>(cookie));
      return HYPluginResult(kPluginOK);
    };
    host.blit = [](PixMapHandle, PixMapHandle, const Rect*, const Rect*, int16_t) { return HYPluginResult(kPluginOK); };
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
  // The opacity the source was laid over frame r at; -1 when it was not.
  int Opacity(int32_t r) {
    host.calls.clear();
    EXPECT_EQ(Frame(r), kPluginOK);
    const HostCall* blit = host.Last("Blit");
    return blit != nullptr ? int(blit->args[0]) : -1;
  }
};

}  // namespace

TEST_F(RenderPassTest, FadesAreClampedToTheClipAndLayTheSourceOverTheEffect) {
  struct Case {
    int32_t n, in, out, clampedIn, clampedOut;
    std::map<int32_t, int> opacities;  // frame -> opacity, -1 for the effect alone
  };
  const Case cases[] = {
      {100, 10, 10, 10, 10, {{0, 255}, {5, 127}, {9, 25}, {10, -1}, {50, -1}, {90, -1}, {91, 25}, {99, 229}}},
      {100, 60, 60, 50, 50, {{49, 5}, {50, -1}, {51, 5}}},
      {101, 60, 60, 50, 50, {}},
      {100, 120, 0, 100, 0, {{0, 255}, {37, 160}, {99, 2}}},
      {100, 0, 130, 0, 100, {{0, -1}, {1, 2}, {99, 252}}},
      {100, 0, 10, 0, 10, {{0, -1}, {90, -1}, {91, 25}, {99, 229}}},
      {100, 0, 0, 0, 0, {{0, -1}, {1, -1}, {50, -1}, {99, -1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "N " << c.n << ", fades " << c.in << "/" << c.out);
    host.params.frameCount = c.n;
    filter.fadeInFrames = c.in;
    filter.fadeOutFrames = c.out;
    ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
    EXPECT_EQ(Pass()->fadeInFrames, c.clampedIn);
    EXPECT_EQ(Pass()->fadeOutFrames, c.clampedOut);
    for (const auto& [r, opacity] : c.opacities) EXPECT_EQ(Opacity(r), opacity) << "frame " << r;
    Call(kPlugTerminate);
  }
}

TEST_F(RenderPassTest, QualityFollowsProxyAndHeightAndProxiesAreSilent) {
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  for (const auto& [proxy, height, quality] : {std::tuple{true, 259, kDVLowQuality}, std::tuple{true, 260, kDVHighQuality},
                                               std::tuple{false, 100, kDVHighQuality}}) {
    host.params.proxyOnly = proxy;
    host.params.frameRect = Rect{0, 0, int16_t(height), kW};
    GWorldPtr big = NewFilled(kW, height, [](int, int) { return 0xFF000000u; });
    host.params.frame = big;
    host.calls.clear();
    EXPECT_EQ(Frame(3), kPluginOK);
    host.params.frame = output;
    DisposeGWorld(big);
    EXPECT_EQ(host.Last("GetFrame")->args, (std::vector<long long>{3, kW, height, quality}));
    EXPECT_EQ(host.Count("MixAudio"), proxy ? 0u : 1u);
  }
  EXPECT_EQ(host.Last("MixAudio")->args[1], 256);
}

TEST_F(RenderPassTest, FramesOutsideTheMovieOrWithoutOutputAreNotRendered) {
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  host.calls.clear();
  host.params.startFrame = 3;
  host.params.frameCount = 77;
  ASSERT_EQ(Frame(-4), kPluginOK);
  EXPECT_EQ(PixelAt(output, 0, 0), 0xFF123456u) << "the output is left alone";
  EXPECT_EQ(gMostRecentStartFrame, 3);
  EXPECT_EQ(gMostRecentFrameCount, 77);
  host.params.startFrame = INT32_MIN;
  EXPECT_EQ(Frame(-1), kPluginOK) << "far before the movie";
  host.params.startFrame = INT32_MAX;
  EXPECT_EQ(Frame(1), kPluginBadParams) << "a frame number beyond 32 bits";
  host.params.frame = nullptr;
  EXPECT_EQ(Frame(-5), kPluginBadParams) << "no output buffer";
  host.params.frame = output;
  EXPECT_TRUE(host.calls.empty()) << "no frame fetched or released";
  host.params.startFrame = INT32_MAX - 1;
  ASSERT_EQ(Frame(1), kPluginOK);
  EXPECT_EQ(host.Last("GetFrame")->args[0], INT32_MAX) << "movie frame = start + render frame";
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

  auto release = host.releaseFrame;
  host.releaseFrame = [&](HYFrameCookie c) { release(c); return HYPluginResult(kPluginTryAgainLater); };
  EXPECT_EQ(Frame(2), kPluginFailed) << "the blit failed first";
  EXPECT_EQ(Frame(50), kPluginTryAgainLater) << "a failed release counts when all else went well";
  host.mixAudio = [](HYFrameCookie, int32_t) { return HYPluginResult(kPluginOutOfDiskSpace); };
  EXPECT_EQ(Frame(50), kPluginOutOfDiskSpace);
}

TEST_F(RenderPassTest, EveryBlockIsFreedOnceAndFailedAllocationsRefuseLaterFrames) {
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK) << "a pass begun twice";
  EXPECT_EQ(host.Count("NewPtrClear"), 3u) << "one pass record, two configuration copies";
  EXPECT_EQ(host.Count("DisposePtr"), 1u) << "the first copy is released when the pass begins again";
  ASSERT_EQ(Call(kPlugTerminate), kPluginOK);
  ASSERT_EQ(Call(kPlugTerminate), kPluginOK);
  EXPECT_EQ(host.Count("DisposePtr"), 3u) << "everything, and nothing twice";
  EXPECT_EQ(Frame(0), kPluginBadParams) << "no pass, no frame";

  host.failAllocations = 1;
  EXPECT_EQ(Call(kPlugInitialize), kPluginOutOfMemory) << "no pass record";
  EXPECT_EQ(host.params.clientData, nullptr);
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  host.failAllocations = 1;
  EXPECT_EQ(Call(kPlugInitialize), kPluginOutOfMemory) << "a pass record, but no configuration copy";
  host.calls.clear();
  EXPECT_EQ(Frame(0), kPluginBadParams) << "a host that renders on regardless is refused, not ended";
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(RenderPassTest, WithoutAFilterRecordThereAreNoFades) {
  HYPluginResult answer = kPluginOK;
  host.getFilterInfo = [&](HYPluginFilterInfo** out) {
    *out = nullptr;
    return answer;
  };
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  EXPECT_TRUE(Pass()->fadeInFrames == 0 && Pass()->fadeOutFrames == 0 && Pass()->sliderValues[1] == 0.0f);
  EXPECT_EQ(host.Count("ReleaseFilterInfo"), 0u);
  answer = kPluginFailed;
  EXPECT_EQ(Call(kPlugInitialize), kPluginFailed) << "the host's answer is the result";
}

TEST_F(RenderPassTest, ThePassRendersItsOwnCopyOfTheSettings) {
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  gPascalData->sliders[0] = -100;  // would leave only the background
  ASSERT_EQ(Frame(4), kPluginOK);
  EXPECT_EQ(PixelAt(output, 20, 15), SourcePixel(4, 20, 15));
  EXPECT_EQ(Pass()->pascalData->sliders[0], 0);
}

TEST_F(RenderPassTest, APlaceholderIsAPassOfItsOwnAndThePortIsRestored) {
  GWorldPtr elsewhere = NewFilled(4, 4, [](int, int) { return 0u; });
  SetGWorld(elsewhere, nullptr);
  host.info.bestThumbOffset = 42;
  host.params.startFrame = 10;
  host.params.renderFrame = 7;
  void* callerPass = reinterpret_cast<void*>(uintptr_t(0xDEADBEEF));
  host.params.clientData = callerPass;
  const PluginParams before = host.params;
  ASSERT_EQ(Call(kPlugFilePlaceHolder), kPluginOK);
  host.params.selector = before.selector;
  EXPECT_EQ(std::memcmp(&host.params, &before, sizeof before), 0) << "the caller's block is untouched";
  EXPECT_EQ(PixelAt(output, 5, 5), SourcePixel(52, 5, 5)) << "the frame at the thumbnail's offset";
  EXPECT_EQ(host.Count("NewPtrClear"), host.Count("DisposePtr")) << "everything it made is freed";
  host.params.clientData = nullptr;

  filter.fadeOutFrames = 50;
  ASSERT_EQ(Call(kPlugInitialize), kPluginOK);
  ASSERT_EQ(Frame(80), kPluginOK);
  ASSERT_EQ(Frame(-200), kPluginOK);
  CGrafPtr port = nullptr;
  GetGWorld(&port, nullptr);
  EXPECT_EQ(port, elsewhere);
  SetGWorld(output, nullptr);
  DisposeGWorld(elsewhere);
}
