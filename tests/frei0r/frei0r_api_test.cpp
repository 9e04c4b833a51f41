// The frei0r filter through its C interface, loaded as a host loads it.
extern "C" {
#include <frei0r.h>
}
#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/testlib/Png.h"
#include "tests/testlib/RunVantiro.h"
#include "tests/testlib/ScratchFolder.h"

namespace {

struct Frei0r {
  void* lib = dlopen(VANTIRO_TEST_FREI0R "/vantiro.so", RTLD_NOW | RTLD_LOCAL);
#define ENTRY(field, name) decltype(&f0r_##name) field = reinterpret_cast<decltype(field)>(dlsym(lib, "f0r_" #name))
  ENTRY(init, init);
  ENTRY(info, get_plugin_info);
  ENTRY(paramInfo, get_param_info);
  ENTRY(construct, construct);
  ENTRY(destruct, destruct);
  ENTRY(set, set_param_value);
  ENTRY(get, get_param_value);
  ENTRY(update, update);
#undef ENTRY
};

constexpr unsigned kW = 32, kH = 24;
// Parameter positions, which hosts such as FFmpeg rely on.
enum { kFadeIn, kFadeOut, kClipLength, kFps, kMs, kLeft, kRight, kTop, kBottom, kWidth, kHeight, kRotation,
       kBackground, kUseSaved };

// RGBA bytes as little-endian words.
constexpr uint32_t Rgba(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u | b << 16 | g << 8 | r; }

// A picture with a different colour in every pixel, so misplaced pixels show.
std::vector<uint32_t> Gradient(unsigned w = kW, unsigned h = kH) {
  std::vector<uint32_t> p(w * h);
  for (unsigned y = 0; y < h; ++y)
    for (unsigned x = 0; x < w; ++x) p[y * w + x] = Rgba(8 * x, 10 * y, 255 - 4 * x);
  return p;
}

class Frei0rTest : public ::testing::Test {
 protected:
  vantiro::test::ScratchFolder prefs;
  Frei0r f;
  f0r_instance_t i = nullptr;  // one instance of the frame size, for the test to set
  void SetUp() override {
    prefs.UseAsPreferencesFolder();
    // Saved settings that would show only a background colour: an instance renders its own
    // parameters, so no test's picture may show them.
    ASSERT_EQ(vantiro::test::RunVantiro("settings --width -100 --height -100 --background 204060").status, 0);
    ASSERT_NE(f.lib, nullptr) << dlerror();
    ASSERT_EQ(f.init(), 1);
    ASSERT_NE(i = f.construct(kW, kH), nullptr);
  }
  void TearDown() override {
    if (i != nullptr) f.destruct(i);
  }
  std::vector<uint32_t> Render(f0r_instance_t i, double time, const std::vector<uint32_t>& in = Gradient()) {
    std::vector<uint32_t> out(in.size(), 0);
    f.update(i, time, in.data(), out.data());
    return out;
  }
  uint32_t Centre(f0r_instance_t i, double time) { return Render(i, time)[kW * (kH / 2) + kW / 2]; }
  void Set(f0r_instance_t i, int index, double v) { f.set(i, &v, index); }
  double GetDouble(f0r_instance_t i, int index) {
    double v = -1;
    f.get(i, &v, index);
    return v;
  }
  void SetColour(f0r_instance_t i, float r, float g, float b) {
    f0r_param_color_t c{r, g, b};
    f.set(i, &c, kBackground);
  }
  void ExpectPicture(const std::vector<uint32_t>& got, const std::vector<uint32_t>& want, const std::string& name) {
    if (got == want) return;
    ADD_FAILURE() << name << " differs; pictures saved in " << VANTIRO_TEST_ARTIFACTS;
    for (const auto* p : {&got, &want}) {
      std::vector<uint8_t> bytes(reinterpret_cast<const uint8_t*>(p->data()),
                                 reinterpret_cast<const uint8_t*>(p->data() + p->size()));
      vantiro::test::WritePng(std::string(VANTIRO_TEST_ARTIFACTS) + "/" + name + (p == &got ? "-got.png" : "-want.png"),
                              kW, int(p->size() / kW), bytes);
    }
  }
};

}  // namespace

TEST_F(Frei0rTest, ParametersKeepTheirPositionsAndUseOnlyTypesEveryHostSets) {
  f0r_plugin_info_t info{};
  f.info(&info);
  EXPECT_EQ(info.color_model, F0R_COLOR_MODEL_RGBA8888);
  ASSERT_EQ(info.num_params, 14);
  const char* names[] = {"fade_in", "fade_out", "clip_length", "fps", "milliseconds", "left", "right", "top",
                         "bottom", "width_change", "height_change", "rotation", "background", "use_saved_settings"};
  for (int k = 0; k < info.num_params; ++k) {
    f0r_param_info_t p{};
    f.paramInfo(&p, k);
    EXPECT_STREQ(p.name, names[k]);
    EXPECT_TRUE(p.type == F0R_PARAM_DOUBLE || p.type == F0R_PARAM_BOOL || p.type == F0R_PARAM_COLOR) << p.name;
  }
  f0r_param_info_t outside{"untouched", F0R_PARAM_STRING, nullptr};
  f.paramInfo(&outside, 14);
  EXPECT_STREQ(outside.name, "untouched");
}

TEST_F(Frei0rTest, BadValuesAreClampedOrRefusedNeverRendered) {
  Set(i, kLeft, 0.25);
  Set(i, kLeft, NAN);
  EXPECT_EQ(GetDouble(i, kLeft), 0.25) << "NaN is refused";
  Set(i, kRotation, 7.5);
  EXPECT_EQ(GetDouble(i, kRotation), 1.0) << "clamped to 0..1";
  Set(i, kFadeIn, -3);
  EXPECT_EQ(GetDouble(i, kFadeIn), 0.0);
  Set(i, kFps, 0);
  EXPECT_GT(GetDouble(i, kFps), 0.0) << "a rate of 0 would make every frame frame 0";
  Set(i, 99, 1.0);  // no such parameter
  Set(i, kWidth, 0.0);
  SetColour(i, 2.0f, -1.0f, 0.5f);
  EXPECT_EQ(Centre(i, 0), Rgba(255, 0, 128)) << "channels clamped";
  SetColour(i, NAN, 0, 0);
  EXPECT_EQ(Centre(i, 0.04), Rgba(255, 0, 128)) << "a NaN colour is refused";
}

TEST_F(Frei0rTest, SlicesOfAFramePassUnchangedOnceRecognised) {
  // A host that slices hands one instance the halves of a frame, one after the other in memory.
  // Rendered, they would show only the red background.
  Set(i, kWidth, 0.0);
  SetColour(i, 1, 0, 0);
  const auto frame = Gradient(kW, 2 * kH);
  std::vector<uint32_t> out(frame.size(), 0);
  const std::size_t half = kW * kH;
  for (int n = 0; n < 2; ++n) {
    f.update(i, n, frame.data(), out.data());
    f.update(i, n, frame.data() + half, out.data() + half);
  }
  ExpectPicture(out, frame, "slices");
}

// The hosts are C programs: an exception must not end them, not even when memory is used up
// and a bad value's message cannot be built.
TEST_F(Frei0rTest, NoExceptionReachesTheHostWhenMemoryRunsOut) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "a limit on address space leaves the sanitizer no room";
#else
  const std::vector<uint32_t> in = Gradient();
  std::vector<uint32_t> out(in.size(), 0);
  const pid_t child = fork();
  if (child == 0) {
    std::vector<void*> blocks;
    blocks.reserve(1 << 18);
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
      std::fclose(statm);
    }
    limit.rlim_cur = rlim_t(pages) * sysconf(_SC_PAGESIZE) + (1 << 20);
    setrlimit(RLIMIT_AS, &limit);
    // Use up what is left, large blocks then every small size; kept, so none is optimised away.
    const auto useUp = [&](std::size_t size) {
      for (void* block; blocks.size() < blocks.capacity() && (block = std::malloc(size)) != nullptr;)
        blocks.push_back(block);
    };
    for (std::size_t size = 1 << 16; size > 1024; size /= 2) useUp(size);
    for (std::size_t size = 1024; size >= 16; size -= 8) useUp(size);
    double bad = NAN;
    f.set(i, &bad, kLeft);  // its message needs memory
    f.update(i, 0, in.data(), out.data());
    _exit(out == in ? 0 : 2);  // nothing could be rendered, so the picture passes unchanged
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status)) << "the child was ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}
