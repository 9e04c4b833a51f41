#include <gtest/gtest.h>

#include "platform/alerts/Alerts.h"
#include "support/commonprocs.h"

namespace {

std::vector<vantiro::AlertContent> gAlerts;
int16_t gAnswer = 1;

int16_t Recorder(const vantiro::AlertContent& alert) {
  gAlerts.push_back(alert);
  return gAnswer;
}

class AlertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gAlerts.clear();
    vantiro::SetAlertPresenter(Recorder);
  }
  void TearDown() override { vantiro::SetAlertPresenter(nullptr); }
};

}  // namespace

TEST_F(AlertTest, AssertOnAPointerThatIsSetShowsNothing) {
  int value = 0;
  Assert(&value, "Nil theConfig on DoConfig");
  EXPECT_TRUE(gAlerts.empty());
}

TEST_F(AlertTest, NotifyIsACautionWithOneOkButton) {
  Notify("Cannot locate manual in bundle");
  ASSERT_EQ(gAlerts.size(), 1u);
  EXPECT_EQ(gAlerts[0].type, kAlertCautionAlert);
  EXPECT_EQ(gAlerts[0].headline, "Internal Notification:");
  EXPECT_EQ(gAlerts[0].text, "Cannot locate manual in bundle");
  EXPECT_EQ(gAlerts[0].buttons, std::vector<std::string>{"ok"});
}

TEST_F(AlertTest, StandardWarningReturnsTheButtonPressed) {
  gAnswer = 2;
  EXPECT_EQ(StandardWarning("Replace?", "It exists.", "Replace", "Keep"), 2);
  EXPECT_EQ(gAlerts.back().buttons, (std::vector<std::string>{"Replace", "Keep"}));
  gAnswer = 1;
  EXPECT_EQ(StandardWarning("Done", "", "Fine", ""), 1);
  EXPECT_EQ(gAlerts.back().buttons.size(), 1u) << "no cancel button for an empty text";
  EXPECT_EQ(gAlerts.back().defaultButton, 1);
}

TEST(AlertDeathTest, AFailedAssertionStopsWithItsLocation) {
  EXPECT_EXIT(Assert(nullptr, "Nil theConfig on DoConfig"), testing::ExitedWithCode(1),
              "Stop: Assertion Failure\nAssertion failed in: Nil theConfig on DoConfig\n");
}

TEST(AlertDeathTest, TerminateShowsAStopAlertAndNeverReturns) {
  EXPECT_EXIT(
      {
        Terminate("Non-Matching Blocks", "The Size of Source and Dest do not match");
        std::fputs("returned", stderr);
      },
      testing::ExitedWithCode(1),
      "^Stop: Non-Matching Blocks\nThe Size of Source and Dest do not match\n$");
}

TEST(AlertDeathTest, TextsAreShownInUtf8) {
  EXPECT_EXIT(Terminate("Caf\x8E", "\xC9"), testing::ExitedWithCode(1), "Caf\u00E9\n\u2026");
}
