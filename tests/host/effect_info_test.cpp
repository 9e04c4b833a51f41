#include <cstring>

#include "host/EffectInfo.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/resources/ResourceFork.h"
#include "tests/host/PluginFixture.h"

using EffectInfoTest = vantiro::test::PluginFixture;
using vantiro::test::WriteFile;

// A bundle of our own: every text from its own list entry, missing entries empty and long
// ones cut to fit; fields the description does not name are left as the host set them.
TEST_F(EffectInfoTest, DescribesAFilterWithTheBundlesTextsAndKeepsWhatItDoesNotName) {
  const std::string longTitle(40, 'B'), longGroup(200, 'G');
  const ResType kSTR = FOUR_CHAR_CODE('S', 'T', 'R', '#');
  vantiro::ResourceFork fork;
  fork.resources = {{kSTR, 128, std::nullopt, 0, vantiro::MakeStringList({"W", "H", "R"})},
                    {kSTR, 129, std::nullopt, 0, vantiro::MakeStringList({"a", "", "c"})},
                    {kSTR, 130, std::nullopt, 0, vantiro::MakeStringList({longTitle})},
                    {kSTR, 17000, std::nullopt, 0, vantiro::MakeStringList({longGroup})}};
  std::filesystem::create_directories(prefs / "b.bundle/Contents/Resources");
  WriteFile(prefs / "b.bundle/Contents/Info.plist",
            "<plist><dict><key>CFBundleIdentifier</key><string>com.tolvane.zendra.pelmora</string>"
            "<key>CFBundleExecutable</key><string>pelmora</string></dict></plist>");
  const auto bytes = vantiro::SerializeResourceFork(fork);
  WriteFile(prefs / "b.bundle/Contents/Resources/pelmora.rsrc", std::string(bytes.begin(), bytes.end()));
  ASSERT_NE(VantiroRegisterBundle((prefs / "b.bundle").c_str()), nullptr);
  std::memset(&host.info, 0x77, sizeof host.info);
  std::memset(&host.info2, 0x66, sizeof host.info2);
  host.params.getInfo2 = nullptr;
  EXPECT_EQ(Call(kPlugGetInfo), kPluginBadParams) << "a host without the info records";
  host.params.getInfo2 = &host.info2;
  host.info.pluginFlags = 0x0001;
  host.info2.selectedFrames = 75;
  ASSERT_EQ(Call(kPlugGetInfo), kPluginOK);

  EXPECT_EQ(host.info.pluginType, kPluginFilterType);
  EXPECT_EQ(host.info.pluginFlags, 0x1381u) << "the host's own flags are kept";
  EXPECT_EQ(host.info.framesToBeRendered, 75);
  EXPECT_EQ(host.info.takeFromClipAfter, 75);
  EXPECT_EQ(host.info2.baseMemoryNeeded, 50000);
  EXPECT_EQ(host.info.titleType, 0x77) << "untouched";
  EXPECT_EQ(host.info2.defaultFadeInFrames, 0x66666666) << "untouched";
  const char* want[3][3] = {{"W", "a", ""}, {"H", "c", ""}, {"R", "", ""}};  // label, min, max
  for (int i = 0; i < 3; ++i) {
    const HYPluginFilterSliderInfo& s = host.info2.filterSliders[i];
    EXPECT_EQ(s.defaultValue, 0.5f);
    EXPECT_EQ(std::string(s.label), want[i][0]) << "slider " << i;
    EXPECT_EQ(std::string(s.minLabel), want[i][1]) << "slider " << i;
    EXPECT_EQ(std::string(s.maxLabel), want[i][2]) << "slider " << i;
  }
  EXPECT_EQ(std::string(host.info3.buttonTitle), longTitle.substr(0, 31));
  EXPECT_EQ(std::string(host.info2.group), longGroup.substr(0, 127));
}
