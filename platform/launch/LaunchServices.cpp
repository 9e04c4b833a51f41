#include "platform/launch/LaunchServices.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include "platform/windows/Application.h"

namespace {

// How long the desktop's opener may take to say it failed. One that is still running
// then has found an application (some wait for it to close).
constexpr int kOpenerVerdictMs = 3000;

// Runs xdg-open on the file and waits, with the windows still drawing but taking no
// input, until it exits or the time is up. Its exit status is the only sign of failure:
// it starts for any file, viewer or none.
OSStatus OpenWithDesktopOpener(const QString& path) {
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (opener.isEmpty()) return kLSApplicationNotFoundErr;
  auto* process = new QProcess();
  process->setProgram(opener);
  process->setArguments({path});
  // A viewer it starts may run for hours; nothing should pile up in our pipes meanwhile.
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  QEventLoop loop;
  QObject::connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
  QTimer::singleShot(kOpenerVerdictMs, &loop, &QEventLoop::quit);
  process->start();
  if (process->state() != QProcess::NotRunning) loop.exec(QEventLoop::ExcludeUserInputEvents);
  if (process->state() != QProcess::NotRunning) {
    // Still running: it opened something. It is reaped when it ends.
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return noErr;
  }
  const bool opened = process->exitStatus() == QProcess::NormalExit && process->error() == QProcess::UnknownError &&
                      process->exitCode() == 0;
  delete process;
  return opened ? noErr : kLSApplicationNotFoundErr;
}

OSStatus OpenPath(const std::string& path) {
  if (path.empty()) return fnfErr;
  vantiro::EnsureApplication();
  const QString file = QString::fromStdString(path);
  // On a Linux desktop Qt reports success as soon as the opener starts; ask it directly.
  const QString platform = QGuiApplication::platformName();
  if (platform.startsWith(QLatin1String("xcb")) || platform.startsWith(QLatin1String("wayland")))
    return OpenWithDesktopOpener(file);
  return QDesktopServices::openUrl(QUrl::fromLocalFile(file)) ? noErr : kLSApplicationNotFoundErr;
}

}  // namespace

OSStatus LSOpenFSRef(const FSRef* inRef, FSRef*) {
  return inRef == nullptr ? paramErr : OpenPath(VantiroPathFromFSRef(*inRef));
}
