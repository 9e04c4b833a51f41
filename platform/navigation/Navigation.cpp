#include "platform/navigation/Navigation.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/files/Files.h"
#include "platform/text/MacRoman.h"
#include "platform/windows/Application.h"

namespace {

constexpr OSType kAnyCode = FOUR_CHAR_CODE('*', '*', '*', '*');

struct TypeExtensions {
  OSType type;
  std::vector<std::string> extensions;
};

const std::vector<TypeExtensions>& KnownTypes() {
  static const auto* table = new std::vector<TypeExtensions>{
      {FOUR_CHAR_CODE('T', 'E', 'X', 'T'), {"txt", "text"}},
      {FOUR_CHAR_CODE('P', 'N', 'G', 'f'), {"png"}},
      {FOUR_CHAR_CODE('J', 'P', 'E', 'G'), {"jpg", "jpeg", "jpe"}},
      {FOUR_CHAR_CODE('G', 'I', 'F', 'f'), {"gif"}},
      {FOUR_CHAR_CODE('T', 'I', 'F', 'F'), {"tif", "tiff"}},
      {FOUR_CHAR_CODE('B', 'M', 'P', 'f'), {"bmp"}},
      {FOUR_CHAR_CODE('B', 'M', 'P', ' '), {"bmp"}},
      {FOUR_CHAR_CODE('P', 'I', 'C', 'T'), {"pict", "pct"}},
      {FOUR_CHAR_CODE('P', 'D', 'F', ' '), {"pdf"}},
      {FOUR_CHAR_CODE('8', 'B', 'P', 'S'), {"psd"}},
      {FOUR_CHAR_CODE('M', 'o', 'o', 'V'), {"mov"}},
      {FOUR_CHAR_CODE('M', 'P', 'G', '4'), {"mp4", "m4v"}},
  };
  return *table;
}

// Offers folders and the files of the type list.
class TypeListFilter : public QSortFilterProxyModel {
 public:
  TypeListFilter(std::vector<OSType> types, OSType creator) : types_(std::move(types)), creator_(creator) {}

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (files == nullptr) return true;
    const QModelIndex index = files->index(row, 0, parent);
    if (files->isDir(index)) return true;
    const std::string path = files->filePath(index).toStdString();
    return std::any_of(types_.begin(), types_.end(),
                       [&](OSType type) { return VantiroFileMatchesTypeList(path, type, creator_); });
  }

 private:
  std::vector<OSType> types_;
  OSType creator_;
};

}  // namespace

std::vector<std::string> VantiroExtensionsForType(OSType type) {
  std::vector<std::string> extensions;
  for (const auto& known : KnownTypes())
    if (known.type == type) extensions = known.extensions;
  std::string own;
  for (int shift = 24; shift >= 0; shift -= 8)
    own += static_cast<char>(std::tolower(static_cast<unsigned char>((type >> shift) & 0xFF)));
  while (!own.empty() && own.back() == ' ') own.pop_back();
  if (!own.empty() && std::find(extensions.begin(), extensions.end(), own) == extensions.end())
    extensions.push_back(own);
  return extensions;
}

bool VantiroFileMatchesTypeList(const std::string& path, OSType type, OSType creator) {
  OSType fileType = 0, fileCreator = 0;
  VantiroGetFileTypeAndCreator(path.c_str(), &fileType, &fileCreator);
  bool typeMatches = type == kAnyCode || fileType == type;
  if (!typeMatches && fileType == 0) {
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto known = VantiroExtensionsForType(type);
    typeMatches = !extension.empty() && std::find(known.begin(), known.end(), extension) != known.end();
  }
  const bool creatorMatches = creator == kAnyCode || fileCreator == 0 || fileCreator == creator;
  return typeMatches && creatorMatches;
}

OSErr NavGetDefaultDialogOptions(NavDialogOptions* options) {
  if (options == nullptr) return paramErr;
  *options = NavDialogOptions{};
  options->version = kNavDialogOptionsVersion;
  options->dialogOptionFlags = kNavDefaultNavDlogOptions;
  options->location = Point{-1, -1};
  return noErr;
}

OSErr NavGetFile(AEDesc*, NavReplyRecord* reply, NavDialogOptions* options, NavEventUPP, NavPreviewUPP,
                 NavObjectFilterUPP, NavTypeListHandle typeList, void*) {
  if (reply == nullptr || options == nullptr) return paramErr;
  vantiro::EnsureApplication();
  // Qt's own dialog rather than the desktop's, so that the type list can filter it.
  QFileDialog chooser;
  chooser.setOption(QFileDialog::DontUseNativeDialog);
  chooser.setAcceptMode(QFileDialog::AcceptOpen);
  chooser.setFileMode((options->dialogOptionFlags & kNavAllowMultipleFiles) ? QFileDialog::ExistingFiles
                                                                            : QFileDialog::ExistingFile);
  chooser.setWindowTitle(QString::fromStdString(vantiro::MacRomanToUtf8(vantiro::PascalChars(options->windowTitle))));
  chooser.setWindowModality(Qt::ApplicationModal);
  if (typeList != nullptr && *typeList != nullptr && (*typeList)->osTypeCount > 0) {
    const NavTypeList& list = **typeList;
    chooser.setProxyModel(
        new TypeListFilter(std::vector<OSType>(list.osType, list.osType + list.osTypeCount), list.componentSignature));
  }
  int answer;
  vantiro::MakeDialogOfInnermostWindow(&chooser);
  {
    vantiro::ModalScope scope(&chooser, nullptr);
    answer = chooser.exec();
  }
  if (answer != QDialog::Accepted) return userCanceledErr;

  *reply = NavReplyRecord{};
  reply->version = kNavReplyRecordVersion;
  AECreateList(nullptr, 0, false, &reply->selection);
  for (const QString& file : chooser.selectedFiles()) {
    FSSpec fileSpec;
    if (VantiroMakeFSSpecFromPath(file.toStdString().c_str(), &fileSpec) == noErr)
      AEPutPtr(&reply->selection, 0, typeFSS, &fileSpec, sizeof fileSpec);
  }
  reply->validRecord = true;
  return noErr;
}

OSErr NavDisposeReply(NavReplyRecord* reply) {
  if (reply == nullptr) return paramErr;
  AEDisposeDesc(&reply->selection);
  reply->validRecord = false;
  return noErr;
}
