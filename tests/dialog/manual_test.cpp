// The user's guide: built into the bundle as a PDF, and naming what the dialog shows.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QString>
#include <filesystem>
#include <string>

#include "tests/testlib/ScratchFolder.h"

namespace vantiro::test {
namespace {

namespace fs = std::filesystem;

TEST(Manual, TheBundleHoldsTheGuideAsAPdfOfSeveralPages) {
  const std::string pdf = ReadFile(fs::path(VANTIRO_TEST_BUNDLE) / "Contents/Resources/manual.pdf");
  ASSERT_GT(pdf.size(), 1000u);
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  EXPECT_NE(pdf.rfind("%%EOF"), std::string::npos) << "complete";
  const QRegularExpression page("/Type\\s*/Page[^s]");
  EXPECT_GE(QString::fromLatin1(pdf.data(), qsizetype(pdf.size())).count(page), 8) << "one chapter a page";
}

// Every caption, button and menu item a user sees in the settings windows is explained.
TEST(Manual, NamesEveryCaptionOfTheSettingsWindows) {
  const std::string guide = ReadFile(fs::path(VANTIRO_SOURCE_DIR) / "bundle/manual.md");
  for (const char* window : {"configNTSC", "configPAL", "configHD"}) {
    const QString ui = QString::fromStdString(
        ReadFile(fs::path(VANTIRO_SOURCE_DIR) / "bundle/pelmora.nib" / (std::string(window) + ".ui")));
    // Texts and titles of the visible widgets; the hidden spare controls sit in "unusedControls".
    const QString visible = ui.left(ui.indexOf("name=\"unusedControls\""));
    const QRegularExpression text("<property name=\"(?:text|title)\"><string>([^<]+)</string>");
    int checked = 0;
    for (auto m = text.globalMatch(visible); m.hasNext();) {
      QString caption = m.next().captured(1).replace('\n', ' ').replace(QString::fromUtf8("…"), "").trimmed();
      caption.remove(':');
      if (caption == "0%" || caption == "0/0" || caption.size() <= 1) continue;  // values, arrows
      if (caption.startsWith("Drag inside") || caption.startsWith("The picture itself")) continue;  // hints
      EXPECT_NE(guide.find(caption.toStdString()), std::string::npos) << window << ": \"" << caption.toStdString() << "\"";
      ++checked;
    }
    EXPECT_GE(checked, 15) << window;
  }
  for (const char* topic :
       {"NTSC", "PAL", "HD", "720 × 480", "720 × 576", "960 × 540", "Shift", "Ctrl", "Alt", "Option", "vloqa-Prefs",
        "vantiro configure", "vantiro render", "vantiro settings", "Return", "Escape"})
    EXPECT_NE(guide.find(topic), std::string::npos) << topic;
}

}  // namespace
}  // namespace vantiro::test
