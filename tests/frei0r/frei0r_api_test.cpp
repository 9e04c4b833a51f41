// The frei0r filter through its C interface, loaded as a host loads it.
extern "C" {
#include <frei0r.h>
}
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/testlib/RunVantiro.h"
#include "tests/testlib/ScratchFolder.h"

namespace {

struct Frei0r {
  void* lib = dlopen(VANTIRO_TEST_FREI0R "/vantiro.so", RTLD_NOW | RTLD_LOCAL);
  template <typename F>
  F Get(const char* name) {
    return reinterpret_cast<F>(dlsym(lib, name));
  }
  decltype(&f0r_init) init = Get<decltype(&f0r_init)>("f0r_init");
  decltype(&f0r_get_plugin_info) info = Get<decltype(&f0r_get_plugin_info)>("f0r_get_plugin_info");
  decltype(&f0r_get_param_info) paramInfo = Get<decltype(&f0r_get_param_info)>("f0r_get_param_info");
  decltype(&f0r_construct) construct = Get<decltype(&f0r_construct)>("f0r_construct");
  decltype(&f0r_destruct) destruct = Get<decltype(&f0r_destruct)>("f0r_destruct");
  decltype(&f0r_set_param_value) set = Get<decltype(&f0r_set_param_value)>("f0r_set_param_value");
  decltype(&f0r_get_param_value) get = Get<decltype(&f0r_get_param_value)>("f0r_get_param_value");
  decltype(&f0r_update) update = Get<decltype(&f0r_update)>("f0r_update");
};

constexpr unsigned kW = 32, kH = 24;
constexpr uint32_t kBlue = 0xFFFF0000;  // RGBA bytes 00 00 FF FF as a little-endian word

class Frei0rTest : public ::testing::Test {
 protected:
  vantiro::test::ScratchFolder prefs;
  Frei0r f;
  Frei0rTest() {
    prefs.UseAsPreferencesFolder();
    // The effect shows only the background colour: the rectangle shrunk to nothing.
    EXPECT_EQ(vantiro::test::RunVantiro("settings --width -100 --height -100 --background 204060").status, 0);
    EXPECT_NE(f.lib, nullptr) << dlerror();
    EXPECT_EQ(f.init(), 1);
  }
  uint32_t Render(f0r_instance_t i, double time) {
    std::vector<uint32_t> in(kW * kH, kBlue), out(kW * kH, 0);
    f.update(i, time, in.data(), out.data());
    return out[kW * kH / 2];
  }
  void Set(f0r_instance_t i, int index, double v) { f.set(i, &v, index); }
};

}  // namespace

TEST_F(Frei0rTest, DescribesAFilterWithDocumentedParameters) {
  f0r_plugin_info_t info{};
  f.info(&info);
  EXPECT_STREQ(info.name, "vantiro");
  EXPECT_EQ(info.plugin_type, F0R_PLUGIN_TYPE_FILTER);
  EXPECT_EQ(info.color_model, F0R_COLOR_MODEL_RGBA8888);
  EXPECT_EQ(info.frei0r_version, FREI0R_MAJOR_VERSION);
  ASSERT_EQ(info.num_params, 5);
  const char* names[] = {"fade-in", "fade-out", "clip-length", "fps", "milliseconds"};
  for (int k = 0; k < 5; ++k) {
    f0r_param_info_t p{};
    f.paramInfo(&p, k);
    EXPECT_STREQ(p.name, names[k]);
    EXPECT_NE(p.explanation, nullptr);
  }
  f0r_instance_t i = f.construct(kW, kH);
  ASSERT_NE(i, nullptr);
  double v = 0;
  f.get(i, &v, 3);
  EXPECT_EQ(v, 25.0) << "default frame rate";
  Set(i, 0, 12);
  f.get(i, &v, 0);
  EXPECT_EQ(v, 12.0);
  f.destruct(i);
}

TEST_F(Frei0rTest, RendersTheSavedSettingsAndFadesByTime) {
  f0r_instance_t i = f.construct(kW, kH);
  ASSERT_NE(i, nullptr);
  EXPECT_EQ(Render(i, 2.0), 0xFF604020u) << "the background colour, RGBA bytes";
  Set(i, 0, 10);  // fade in over 10 frames at 25 fps
  EXPECT_EQ(Render(i, 0.0), kBlue) << "frame 0: all source";
  const uint32_t half = Render(i, 0.2);  // frame 5: source at opacity 127
  EXPECT_NEAR(int(half >> 16 & 0xFF), (255 * 127 + 0x60 * 128) / 255, 2);
  Set(i, 4, 1.0);  // the host speaks milliseconds
  EXPECT_EQ(Render(i, 200.0), half) << "200 ms is frame 5 as well";
  Set(i, 1, 10);
  Set(i, 2, 100);  // fade out over the last 10 of 100 frames
  Set(i, 4, 0.0);
  EXPECT_EQ(Render(i, 2.0), 0xFF604020u);
  EXPECT_NE(Render(i, 3.9), 0xFF604020u) << "frame 97 fades out";
  f.destruct(i);
}

TEST_F(Frei0rTest, InstancesOnSeveralThreadsTakeTurns) {
  std::vector<std::thread> threads;
  std::vector<uint32_t> results(4);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      f0r_instance_t i = f.construct(kW, kH);
      for (int n = 0; n < 25; ++n) results[t] = Render(i, n / 25.0);
      f.destruct(i);
    });
  for (auto& th : threads) th.join();
  for (uint32_t r : results) EXPECT_EQ(r, 0xFF604020u);
}
