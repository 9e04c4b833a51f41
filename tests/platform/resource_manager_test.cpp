#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "platform/memory/Memory.h"
#include "platform/resources/ResourceManager.h"
#include "tests/testlib/ScratchFolder.h"

using namespace vantiro;
using vantiro::test::ScratchFolder;

namespace {

constexpr ResType kData = FOUR_CHAR_CODE('D', 'a', 't', 'a');

FSSpec SpecFor(const std::filesystem::path& path) {
  FSSpec fileSpec{};
  const OSErr err = VantiroMakeFSSpecFromPath(path.c_str(), &fileSpec);
  EXPECT_TRUE(err == noErr || err == fnfErr) << err;
  return fileSpec;
}

Handle HandleWith(const std::string& bytes) {
  Handle h = NewHandle(Size(bytes.size()));
  std::memcpy(*h, bytes.data(), bytes.size());
  return h;
}

std::string Contents(Handle h) { return {*h, std::size_t(GetHandleSize(h))}; }

class ResourceManagerTest : public ::testing::Test {
 protected:
  ScratchFolder folder;
  std::filesystem::path path = folder / "settings";
  FSSpec fileSpec = SpecFor(path);

  int16_t CreateAndOpen() {
    FSpCreateResFile(&fileSpec, FOUR_CHAR_CODE('t', 'e', 's', 't'), FOUR_CHAR_CODE('P', 'r', 'e', 'f'), smSystemScript);
    EXPECT_EQ(ResError(), noErr);
    const int16_t ref = FSpOpenResFile(&fileSpec, fsRdWrPerm);
    EXPECT_GT(ref, 0);
    return ref;
  }
};

}  // namespace

TEST_F(ResourceManagerTest, RemoveDetachAndReleaseHandOverOwnership) {
  const int16_t ref = CreateAndOpen();
  for (int16_t id : {1, 2, 3}) {
    AddResource(HandleWith(std::string("r").append(std::to_string(id))), kData, id, nullptr);
    ASSERT_EQ(ResError(), noErr);
  }
  UpdateResFile(ref);
  CloseResFile(ref);

  const int16_t again = FSpOpenResFile(&fileSpec, fsRdWrPerm);
  Handle removed = Get1Resource(kData, 1);
  RemoveResource(removed);
  EXPECT_EQ(ResError(), noErr);
  EXPECT_EQ(Contents(removed), "r1") << "the caller still holds the data";
  DisposeHandle(removed);
  Handle detached = Get1Resource(kData, 2);
  DetachResource(detached);
  Handle released = Get1Resource(kData, 3);
  ReleaseResource(released);
  EXPECT_EQ(ResError(), noErr);
  CloseResFile(again);
  EXPECT_EQ(Contents(detached), "r2") << "a detached handle outlives its file";
  DisposeHandle(detached);

  const int16_t third = FSpOpenResFile(&fileSpec, fsRdPerm);
  EXPECT_EQ(Get1Resource(kData, 1), nullptr);
  EXPECT_NE(Get1Resource(kData, 2), nullptr) << "detaching does not remove";
  EXPECT_NE(Get1Resource(kData, 3), nullptr);
  CloseResFile(third);
}

TEST_F(ResourceManagerTest, SearchesRunFromTheCurrentFileBack) {
  const int16_t older = CreateAndOpen();
  AddResource(HandleWith("old"), kData, 1, nullptr);
  AddResource(HandleWith("only old"), kData, 2, nullptr);
  const std::filesystem::path second = folder / "second";
  FSSpec secondSpec = SpecFor(second);
  FSpCreateResFile(&secondSpec, 0, 0, smSystemScript);
  const int16_t newer = FSpOpenResFile(&secondSpec, fsRdWrPerm);
  AddResource(HandleWith("new"), kData, 1, nullptr);

  EXPECT_EQ(Contents(GetResource(kData, 1)), "new");
  EXPECT_EQ(Contents(GetResource(kData, 2)), "only old") << "falls back to older files";
  EXPECT_EQ(Get1Resource(kData, 2), nullptr) << "Get1Resource stays in the current file";
  CloseResFile(newer);
  EXPECT_EQ(CurResFile(), older);
  CloseResFile(older);
  EXPECT_EQ(CurResFile(), 0);
}

TEST_F(ResourceManagerTest, WritesKeepPermissionsAndSpareReadOnlyAndExistingFiles) {
  const int16_t ref = CreateAndOpen();
  chmod(path.c_str(), 0640);
  AddResource(HandleWith("x"), kData, 1, nullptr);
  UpdateResFile(ref);
  CloseResFile(ref);
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  const std::string before = test::ReadFile(path);
  const int16_t readOnly = FSpOpenResFile(&fileSpec, fsRdPerm);
  AddResource(HandleWith("y"), kData, 2, nullptr);
  UpdateResFile(readOnly);
  EXPECT_EQ(ResError(), wrPermErr);
  CloseResFile(readOnly);
  EXPECT_EQ(test::ReadFile(path), before);
  FSpCreateResFile(&fileSpec, 0, 0, smSystemScript);
  EXPECT_EQ(ResError(), dupFNErr) << "creation never replaces a file";
  EXPECT_EQ(test::ReadFile(path), before);
}
