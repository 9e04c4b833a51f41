#include <gtest/gtest.h>

#include "platform/alerts/Alerts.h"

namespace {

vantiro::AlertContent gSeen;
int16_t gAnswer = 0;

int16_t Recorder(const vantiro::AlertContent& alert) {
  gSeen = alert;
  return gAnswer;
}

struct PresenterScope {
  explicit PresenterScope(int16_t answer) {
    gAnswer = answer;
    vantiro::SetAlertPresenter(Recorder);
  }
  ~PresenterScope() { vantiro::SetAlertPresenter(nullptr); }
};

}  // namespace

TEST(Alerts, WithoutADisplayTheTextsGoToStandardErrorAndTheDefaultButtonCounts) {
  DialogRef alert = nullptr;
  ASSERT_EQ(CreateStandardAlert(kAlertStopAlert, CFSTR("Headline"), CFSTR("The text."), nullptr, &alert), noErr);
  DialogItemIndex hit = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunStandardAlert(alert, nullptr, &hit), noErr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Stop: Headline\nThe text.\n");
  EXPECT_EQ(hit, kAlertStdAlertOKButton);
}

TEST(Alerts, ThePresenterSeesKindTextsAndButtonsInOrder) {
  PresenterScope scope(kAlertStdAlertCancelButton);
  AlertStdCFStringAlertParamRec param{};
  param.defaultText = CFSTR("Replace");
  param.cancelText = CFSTR("Keep");
  DialogRef alert = nullptr;
  CreateStandardAlert(kAlertCautionAlert, CFSTR("Sure?"), CFSTR("Details"), &param, &alert);
  DialogItemIndex hit = 0;
  RunStandardAlert(alert, nullptr, &hit);
  EXPECT_EQ(hit, kAlertStdAlertCancelButton);
  EXPECT_EQ(gSeen.type, kAlertCautionAlert);
  EXPECT_EQ(gSeen.headline, "Sure?");
  EXPECT_EQ(gSeen.buttons, (std::vector<std::string>{"Replace", "Keep"}));
}

TEST(AlertsDeathTest, ExitToShellEndsTheProcessWithAFailureStatus) {
  EXPECT_EXIT(ExitToShell(), testing::ExitedWithCode(1), "");
}
