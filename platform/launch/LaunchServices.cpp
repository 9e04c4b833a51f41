#include "platform/launch/LaunchServices.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/windows/Application.h"

namespace {

OSStatus OpenPath(const std::string& path) {
  if (path.empty()) return fnfErr;
  vantiro::EnsureApplication();
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path))) ? noErr
                                                                                      : kLSApplicationNotFoundErr;
}

}  // namespace

OSStatus LSOpenFSRef(const FSRef* inRef, FSRef*) {
  return inRef == nullptr ? paramErr : OpenPath(VantiroPathFromFSRef(*inRef));
}

OSStatus LSOpenCFURLRef(CFURLRef inURL, CFURLRef*) {
  return inURL == nullptr ? paramErr : OpenPath(CFURLToPath(inURL));
}
