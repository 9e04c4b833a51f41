// Choosing a file and reading its first image; the colour picker and alerts as message boxes.
#include <gtest/gtest.h>

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <filesystem>

#include "platform/alerts/MessageBoxAlert.h"
#include "platform/colorpicker/ColorPicker.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/navigation/Navigation.h"
#include "platform/text/MacRoman.h"
#include "platform/seam/Seam.h"
#include "platform/windows/Application.h"
#include "support/EasyFile.h"
#include "support/commonprocs.h"
#include "tests/support/ScratchBundle.h"

namespace {

using vantiro::test::ScratchFolder;
using vantiro::test::WriteFile;
namespace seam = vantiro::seam;
namespace fs = std::filesystem;

constexpr OSType kAny = FOUR_CHAR_CODE('*', '*', '*', '*');

// A 2 × 2 GIF of three frames, red, green and blue (LZW: clear, i, i, clear, i, i, end).
std::string AnimatedGif() {
  std::string gif("GIF89a\x02\0\x02\0\xF1\0\0\xFF\0\0\0\xFF\0\0\0\xFF\0\0\0\x21\xFF\x0BNETSCAPE2.0\x03\x01\0\0\0", 44);
  for (const char* lzw : {"\x04\x08\x14", "\x4C\x98\x14", "\x94\x28\x15"})
    gif += std::string("\x21\xF9\x04\0\x0A\0\0\0,\0\0\0\0\x02\0\x02\0\0\x02\x03", 20) + lzw + std::string(1, '\0');
  return gif + ";";
}

CGImageRef LoadFile(const fs::path& path) {
  FSSpec fileSpec;
  VantiroMakeFSSpecFromPath(path.c_str(), &fileSpec);
  return GetCGImageFromFSSUsingCG(fileSpec);
}

TEST(ImageLoading, ATextFileGivesNoImageAndAnAnimatedGifItsFirstFrame) {
  ScratchFolder folder;
  WriteFile(folder / "notes.png", "just some words, not a picture\n");
  EXPECT_EQ(LoadFile(folder / "notes.png"), nullptr);
  WriteFile(folder / "anim.gif", AnimatedGif());
  CGImageRef image = LoadFile(folder / "anim.gif");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(vantiro::ImagePixels(image), std::vector<uint32_t>(4, 0xFFFF0000)) << "frame 0 is red";
  CGImageRelease(image);
}

TEST(SelectionList, SixFilesCountSixAndKeepTheFirstFour) {
  ScratchFolder folder;
  AEDescList list;
  ASSERT_EQ(AECreateList(nullptr, 0, false, &list), noErr);
  for (int i = 1; i <= 6; ++i) {
    const auto path = folder / ("file" + std::to_string(i));
    WriteFile(path, "x");
    FSSpec fileSpec;
    VantiroMakeFSSpecFromPath(path.c_str(), &fileSpec);
    ASSERT_EQ(AEPutPtr(&list, 0, typeFSS, &fileSpec, sizeof fileSpec), noErr);
  }
  FileList files{};
  EXPECT_EQ(AEDescListToFileList(&list, &files), noErr);
  EXPECT_EQ(files.count, 6);
  for (int i = 0; i < CMAXFILESINLIST; ++i)
    EXPECT_EQ(VantiroPathFromFSSpec(files.fileSpecs[i]), (folder / ("file" + std::to_string(i + 1))).string());
  AEDisposeDesc(&list);
}

class ModalServices : public ::testing::Test {
 protected:
  void SetUp() override {
    vantiro::test::UsePrivateRuntimeFolder();
    seam::SetStallLimit(20);
  }
  void TearDown() override {
    EXPECT_TRUE(seam::Done());
    seam::Reset();
  }
  ScratchFolder folder_;
};

TEST_F(ModalServices, ReturnsTheOneChosenFileUnderItsTitle) {
  WriteFile(folder_ / "photo.jpg", "x");
  QString title;
  bool multiple = true;
  seam::Then([&] {
    auto* chooser = qobject_cast<QFileDialog*>(vantiro::InnermostModalWidget());
    title = chooser->windowTitle();
    multiple = chooser->fileMode() == QFileDialog::ExistingFiles;
  });
  seam::ChooseFile((folder_ / "photo.jpg").string());
  FSSpec chosen{};
  EXPECT_TRUE(EasyNavGetFile("Please choose an image", kAny, kAny, &chosen));
  EXPECT_EQ(VantiroPathFromFSSpec(chosen), (folder_ / "photo.jpg").string());
  EXPECT_EQ(title, "Please choose an image");
  EXPECT_FALSE(multiple) << "exactly one file";
}

TEST_F(ModalServices, TheColourPickerStartsFromTheColourAndReturnsSixteenBitChannels) {
  NColorPickerInfo info{};
  info.theColor.color.rgb = CMRGBColor{65280, 0, 32768};
  vantiro::SetPascal(info.prompt, "Please choose color:");
  QColor start;
  QString title;
  seam::Then([&] {
    auto* picker = qobject_cast<QColorDialog*>(vantiro::InnermostModalWidget());
    start = picker->currentColor();
    title = picker->windowTitle();
  });
  seam::PickColor(RGBColor{65535, 65535, 65535});
  ASSERT_EQ(NPickColor(&info), noErr);
  EXPECT_EQ(start, QColor(255, 0, 128)) << "the high byte of each channel";
  EXPECT_EQ(title, "Please choose color:");
  EXPECT_EQ(info.theColor.color.rgb.blue, 65535) << "sixteen-bit channels";
}

TEST_F(ModalServices, AlertsAsMessageBoxesReturnTheButtonPressed) {
  vantiro::AlertContent caution{kAlertCautionAlert, "Replace?", "It exists.", {"Replace", "Keep", "Other"}, 1};
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  seam::Then([&] {
    auto* box = qobject_cast<QMessageBox*>(vantiro::InnermostModalWidget());
    text = box->text() + "|" + box->informativeText();
    icon = box->icon();
  });
  seam::PressAlertButton(2);
  EXPECT_EQ(vantiro::PresentInMessageBox(caution), 2);
  EXPECT_EQ(text, "Replace?|It exists.");
  EXPECT_EQ(icon, QMessageBox::Warning);

  seam::Key(Qt::Key_Escape);
  EXPECT_EQ(vantiro::PresentInMessageBox(caution), 2) << "Escape is Cancel";
  seam::Key(Qt::Key_Return);
  EXPECT_EQ(vantiro::PresentInMessageBox(caution), 1) << "Return is the default button";
}

}  // namespace
