#include <cstring>
#include <fstream>

#include "host/EffectInfo.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/resources/ResourceFork.h"
#include "platform/text/MacRoman.h"
#include "tests/host/PluginFixture.h"

using namespace vantiro::test;

namespace {

class EffectInfoTest : public PluginFixture {
 protected:
  EffectInfoTest() {
    std::memset(&host.info, 0x77, sizeof host.info);
    std::memset(&host.info2, 0x66, sizeof host.info2);
    std::memset(&host.info3, 0x55, sizeof host.info3);
  }
  // The strings of the built bundle, read straight from its resource file.
  static std::string BundleString(int16_t list, int index) {
    const std::string bytes = ReadFile(std::string(VANTIRO_TEST_BUNDLE) + "/Contents/Resources/pelmora.rsrc");
    auto fork = vantiro::ParseResourceFork(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    return vantiro::StringListEntry(fork->Find(FOUR_CHAR_CODE('S', 'T', 'R', '#'), list)->data, index).value();
  }
  // A bundle with our identifier in a scratch folder, holding the given lists.
  void UseBundleWith(const std::vector<vantiro::Resource>& lists) {
    std::filesystem::create_directories(prefs / "b.bundle/Contents/Resources");
    WriteFile(prefs / "b.bundle/Contents/Info.plist",
              "<plist><dict><key>CFBundleIdentifier</key><string>com.tolvane.zendra.pelmora</string>"
              "<key>CFBundleExecutable</key><string>pelmora</string></dict></plist>");
    vantiro::ResourceFork fork;
    fork.resources = lists;
    const auto bytes = vantiro::SerializeResourceFork(fork);
    WriteFile(prefs / "b.bundle/Contents/Resources/pelmora.rsrc", std::string(bytes.begin(), bytes.end()));
    ASSERT_NE(VantiroRegisterBundle((prefs / "b.bundle").c_str()), nullptr);
  }
};

constexpr ResType kSTR = FOUR_CHAR_CODE('S', 'T', 'R', '#');

}  // namespace

TEST_F(EffectInfoTest, DescribesAFilterAndKeepsWhatItDoesNotName) {
  host.params.getInfo2 = nullptr;
  EXPECT_EQ(Call(kPlugGetInfo), kPluginBadParams) << "a host without the info records";
  host.params.getInfo2 = &host.info2;
  ASSERT_NE(VantiroRegisterBundle(VANTIRO_TEST_BUNDLE), nullptr);
  host.info.pluginFlags = 0x0001;
  host.info.bestThumbOffset = 12;
  host.info2.selectedFrames = 75;
  host.info2.defaultFadeInFrames = 4;
  host.info2.defaultFadeOutFrames = 6;
  ASSERT_EQ(Call(kPlugGetInfo), kPluginOK);

  EXPECT_EQ(host.info.pluginType, kPluginFilterType);
  EXPECT_EQ(host.info.pluginFlags, 0x1381u);
  EXPECT_EQ(host.info.framesToBeRendered, 75);
  EXPECT_EQ(host.info.takeFromClipAfter, 75);
  EXPECT_TRUE(host.info.takeFromClipBefore == 0 && host.info.minSpeedFrames == 0 && host.info.maxSpeedFrames == 0);
  EXPECT_FALSE(host.info.mustTakeFromSingleClips);
  EXPECT_EQ(host.info.bestThumbOffset, 12);
  EXPECT_EQ(host.info2.defaultFadeInFrames, 4);
  EXPECT_EQ(host.info2.defaultFadeOutFrames, 6);
  EXPECT_EQ(host.info2.baseMemoryNeeded, 50000);
  EXPECT_EQ(host.info.titleType, 0x77) << "untouched";

  for (int i = 0; i < 3; ++i) {
    const HYPluginFilterSliderInfo& s = host.info2.filterSliders[i];
    EXPECT_EQ(s.defaultValue, 0.5f);
    EXPECT_EQ(std::string(s.label), BundleString(128, i + 1));
    EXPECT_EQ(std::string(s.minLabel), BundleString(129, 2 * i + 1));
    EXPECT_EQ(std::string(s.maxLabel), BundleString(129, 2 * i + 2));
  }
  EXPECT_EQ(std::string(host.info3.buttonTitle), BundleString(130, 1));
  EXPECT_EQ(std::string(host.info2.group), BundleString(17000, 1));
  uint32_t userX = 0;
  std::memcpy(&userX, &host.info3.userX, 4);
  EXPECT_EQ(userX, 0x55555555u) << "untouched";
}

TEST_F(EffectInfoTest, MissingTextsAreEmptyAndLongOnesAreCutToFit) {
  const std::string longTitle(40, 'B'), longGroup(200, 'G');
  UseBundleWith({{kSTR, 128, std::nullopt, 0, vantiro::MakeStringList({"W", "H", "R"})},
                 {kSTR, 129, std::nullopt, 0, vantiro::MakeStringList({"a", "", "c"})},
                 {kSTR, 130, std::nullopt, 0, vantiro::MakeStringList({longTitle})},
                 {kSTR, 17000, std::nullopt, 0, vantiro::MakeStringList({longGroup})}});
  ASSERT_EQ(Call(kPlugGetInfo), kPluginOK);
  EXPECT_EQ(host.info2.filterSliders[0].maxLabel[0], '\0');
  EXPECT_EQ(std::string(host.info2.filterSliders[1].minLabel), "c");
  EXPECT_EQ(host.info2.filterSliders[1].maxLabel[0], '\0') << "list 129 has no fourth entry";
  EXPECT_EQ(host.info2.filterSliders[2].minLabel[0], '\0');
  EXPECT_EQ(host.info2.filterSliders[2].defaultValue, 0.5f);
  EXPECT_EQ(std::string(host.info3.buttonTitle), longTitle.substr(0, 31));
  EXPECT_EQ(std::string(host.info2.group), longGroup.substr(0, 127));
}
