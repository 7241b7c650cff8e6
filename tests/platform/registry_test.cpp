// The registry seam's rules, on the in-memory registry and (on Windows) on
// the system's own, in a scratch key of the current user.

#include "platform/memory_registry.h"
#include "platform/registry.h"
#include "support/fault_hooks.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ravelock::platform {
namespace {

using enum RegistryStatus;
constexpr RegistryRoot kRoot = RegistryRoot::CurrentUser;

struct Backend {
  const char* name;
  std::function<Registry&()> registry;
};

class RegistryRules : public testing::TestWithParam<Backend> {
protected:
  void SetUp() override {
    memory_ = std::make_unique<MemoryRegistry>();
    reg_ = GetParam().registry ? &GetParam().registry() : memory_.get();
    base_ = "Software\\RavelockRegistryTest";
    reg_->deleteTree(kRoot, base_);
    ASSERT_EQ(reg_->createKey(kRoot, base_), Ok);
  }
  void TearDown() override { reg_->deleteTree(kRoot, base_); }

  std::string at(const std::string& path) const { return base_ + "\\" + path; }

  Registry& reg() { return *reg_; }

private:
  std::unique_ptr<MemoryRegistry> memory_;
  Registry* reg_ = nullptr;
  std::string base_;
};

TEST_P(RegistryRules, CreateTellsANewKeyFromAnOldOne) {
  bool created = false;
  ASSERT_EQ(reg().createKey(kRoot, at("A\\B\\C"), &created), Ok);
  EXPECT_TRUE(created);
  ASSERT_EQ(reg().createKey(kRoot, at("a\\b\\c"), &created), Ok);
  EXPECT_FALSE(created);
  ASSERT_EQ(reg().createKey(kRoot, at("A\\B"), &created), Ok);
  EXPECT_FALSE(created);
  EXPECT_EQ(reg().openKey(kRoot, at("A\\b\\C"), RegistryAccess::Read), Ok);
  EXPECT_EQ(reg().openKey(kRoot, at("A\\B\\C"), RegistryAccess::ReadWrite), Ok);
  EXPECT_EQ(reg().openKey(kRoot, at("A\\X"), RegistryAccess::Read), NotFound);
  EXPECT_EQ(reg().openKey(kRoot, at("X\\Y"), RegistryAccess::Write), NotFound);
}

TEST_P(RegistryRules, ValuesKeepTheirTypes) {
  const std::string key = at("Values");
  ASSERT_EQ(reg().createKey(kRoot, key), Ok);
  ASSERT_EQ(reg().writeString(kRoot, key, "", "default text"), Ok);
  ASSERT_EQ(reg().writeString(kRoot, key, "Path", "C:\\Program Files\\"), Ok);
  ASSERT_EQ(reg().writeDword(kRoot, key, "Version", 2), Ok);

  std::string text;
  EXPECT_EQ(reg().readString(kRoot, key, "", text), Ok);
  EXPECT_EQ(text, "default text");
  EXPECT_EQ(reg().readString(kRoot, key, "PATH", text), Ok);
  EXPECT_EQ(text, "C:\\Program Files\\");
  std::uint32_t number = 0;
  EXPECT_EQ(reg().readDword(kRoot, key, "version", number), Ok);
  EXPECT_EQ(number, 2u);

  // Overwriting replaces value and type.
  ASSERT_EQ(reg().writeString(kRoot, key, "Version", "two"), Ok);
  EXPECT_EQ(reg().readDword(kRoot, key, "Version", number), WrongType);
  EXPECT_EQ(reg().readString(kRoot, key, "Version", text), Ok);
  EXPECT_EQ(text, "two");
  ASSERT_EQ(reg().writeDword(kRoot, key, "Path", 0xFFFFFFFFu), Ok);
  EXPECT_EQ(reg().readString(kRoot, key, "Path", text), WrongType);
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(reg().readDword(kRoot, key, "Path", number), Ok);
  EXPECT_EQ(number, 0xFFFFFFFFu);

  EXPECT_EQ(reg().readString(kRoot, key, "Missing", text), NotFound);
  EXPECT_EQ(reg().readDword(kRoot, at("NoKey"), "Version", number), NotFound);
  EXPECT_EQ(reg().writeString(kRoot, at("NoKey"), "", "x"), NotFound);
  EXPECT_EQ(reg().writeDword(kRoot, at("NoKey"), "", 1), NotFound);
}

TEST_P(RegistryRules, ATextIsBoundedWithItsTerminator) {
  const std::string key = at("Bounded");
  ASSERT_EQ(reg().createKey(kRoot, key), Ok);
  ASSERT_EQ(reg().writeString(kRoot, key, "v", "12345"), Ok);
  std::string text = "old";
  EXPECT_EQ(reg().readString(kRoot, key, "v", text, 6), Ok);
  EXPECT_EQ(text, "12345");
  EXPECT_EQ(reg().readString(kRoot, key, "v", text, 5), TooLong);
  EXPECT_TRUE(text.empty());
  ASSERT_EQ(reg().writeString(kRoot, key, "e", ""), Ok);
  EXPECT_EQ(reg().readString(kRoot, key, "e", text, 1), Ok);
  EXPECT_EQ(text, "");
}

TEST_P(RegistryRules, DeletingKeysValuesAndTrees) {
  ASSERT_EQ(reg().createKey(kRoot, at("T\\One\\Deep")), Ok);
  ASSERT_EQ(reg().createKey(kRoot, at("T\\two")), Ok);
  ASSERT_EQ(reg().writeString(kRoot, at("T\\One"), "name", "x"), Ok);

  std::vector<std::string> names;
  ASSERT_EQ(reg().listSubkeys(kRoot, at("T"), names), Ok);
  EXPECT_EQ(names, (std::vector<std::string>{"One", "two"}));
  ASSERT_EQ(reg().listSubkeys(kRoot, at("T\\two"), names), Ok);
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(reg().listSubkeys(kRoot, at("None"), names), NotFound);

  // A key with subkeys is refused; the tree goes whole.
  EXPECT_EQ(reg().deleteKey(kRoot, at("T\\One")), AccessDenied);
  EXPECT_EQ(reg().openKey(kRoot, at("T\\One\\Deep"), RegistryAccess::Read), Ok);
  EXPECT_EQ(reg().deleteValue(kRoot, at("T\\One"), "NAME"), Ok);
  EXPECT_EQ(reg().deleteValue(kRoot, at("T\\One"), "name"), NotFound);
  EXPECT_EQ(reg().deleteKey(kRoot, at("T\\One\\Deep")), Ok);
  EXPECT_EQ(reg().deleteKey(kRoot, at("T\\One\\Deep")), NotFound);
  EXPECT_EQ(reg().deleteKey(kRoot, at("T\\One")), Ok);

  ASSERT_EQ(reg().createKey(kRoot, at("T\\One\\Deep\\Deeper")), Ok);
  EXPECT_EQ(reg().deleteTree(kRoot, at("T")), Ok);
  EXPECT_EQ(reg().openKey(kRoot, at("T"), RegistryAccess::Read), NotFound);
  EXPECT_EQ(reg().deleteTree(kRoot, at("T")), NotFound);
  EXPECT_EQ(reg().deleteValue(kRoot, at("T"), "name"), NotFound);
}

// A failing call changes nothing, whichever kind of call it is.
TEST_P(RegistryRules, InjectedFaultsFailAndChangeNothing) {
  const std::string key = at("F");
  ASSERT_EQ(reg().createKey(kRoot, key), Ok);
  ASSERT_EQ(reg().writeString(kRoot, key, "v", "kept"), Ok);
  struct Case {
    Op op;
    std::function<RegistryStatus()> call;
  };
  std::string text;
  std::uint32_t number = 0;
  std::vector<std::string> names;
  bool created = true;
  const Case cases[] = {
      {Op::RegistryCreate,
       [&] { return reg().createKey(kRoot, at("F\\New"), &created); }},
      {Op::RegistryWrite, [&] { return reg().writeString(kRoot, key, "v", "changed"); }},
      {Op::RegistryWrite, [&] { return reg().writeDword(kRoot, key, "v", 7); }},
      {Op::RegistryDelete, [&] { return reg().deleteValue(kRoot, key, "v"); }},
      {Op::RegistryDelete, [&] { return reg().deleteKey(kRoot, key); }},
      {Op::RegistryDelete, [&] { return reg().deleteTree(kRoot, key); }},
      {Op::RegistryOpen, [&] { return reg().deleteTree(kRoot, key); }},
      {Op::RegistryRead, [&] { return reg().readString(kRoot, key, "v", text); }},
      {Op::RegistryRead, [&] { return reg().readDword(kRoot, key, "v", number); }},
      {Op::RegistryOpen, [&] { return reg().openKey(kRoot, key, RegistryAccess::Read); }},
      {Op::RegistryOpen, [&] { return reg().listSubkeys(kRoot, key, names); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(opName(c.op));
    {
      test::FailNth fail(c.op, 1);
      EXPECT_EQ(c.call(), Failed);
      EXPECT_TRUE(fail.fired());
    }
    EXPECT_EQ(reg().readString(kRoot, key, "v", text), Ok);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(reg().openKey(kRoot, at("F\\New"), RegistryAccess::Read), NotFound);
  }
  EXPECT_FALSE(created);
}

std::vector<Backend> backends() {
  std::vector<Backend> list{{"Memory", nullptr}};
#ifdef _WIN32
  list.push_back({"System", []() -> Registry& { return systemRegistry(); }});
#endif
  return list;
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryRules, testing::ValuesIn(backends()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(MemoryRegistry, DeniedWritesLeaveReadsAlone) {
  MemoryRegistry reg;
  constexpr auto hklm = RegistryRoot::LocalMachine;
  ASSERT_EQ(reg.createKey(hklm, "Software\\Locked\\Inner"), Ok);
  ASSERT_EQ(reg.writeString(hklm, "Software\\Locked", "v", "old"), Ok);
  reg.denyWrites(hklm, "software\\locked");

  EXPECT_EQ(reg.createKey(hklm, "Software\\Locked\\New"), AccessDenied);
  EXPECT_EQ(reg.createKey(hklm, "Software\\Locked"), AccessDenied);
  EXPECT_EQ(reg.writeString(hklm, "Software\\Locked", "v", "new"), AccessDenied);
  EXPECT_EQ(reg.writeDword(hklm, "Software\\Locked\\Inner", "d", 1), AccessDenied);
  EXPECT_EQ(reg.deleteValue(hklm, "Software\\Locked", "v"), AccessDenied);
  EXPECT_EQ(reg.deleteKey(hklm, "Software\\Locked\\Inner"), AccessDenied);
  EXPECT_EQ(reg.openKey(hklm, "Software\\Locked", RegistryAccess::Write), AccessDenied);
  EXPECT_EQ(reg.openKey(hklm, "Software\\Locked", RegistryAccess::Read), Ok);
  std::string text;
  EXPECT_EQ(reg.readString(hklm, "Software\\Locked", "v", text), Ok);
  EXPECT_EQ(text, "old");
  // Beside the locked key, and in the other roots, all is writable.
  EXPECT_EQ(reg.createKey(hklm, "Software\\LockedNot"), Ok);
  EXPECT_EQ(reg.createKey(RegistryRoot::ClassesRoot, "Software\\Locked"), Ok);
}

TEST(MemoryRegistry, RootsAreSeparateAndPathsMustBeWhole) {
  MemoryRegistry reg;
  ASSERT_EQ(reg.createKey(RegistryRoot::ClassesRoot, ".rlk"), Ok);
  for (RegistryRoot other : {RegistryRoot::CurrentUser, RegistryRoot::LocalMachine,
                             RegistryRoot::Users, RegistryRoot::CurrentConfig})
    EXPECT_EQ(reg.openKey(other, ".rlk", RegistryAccess::Read), NotFound);
  EXPECT_EQ(reg.openKey(RegistryRoot::ClassesRoot, "", RegistryAccess::Read), Ok);
  for (const char* bad : {"\\.rlk", ".rlk\\", "a\\\\b"})
    EXPECT_EQ(reg.createKey(RegistryRoot::ClassesRoot, bad), Failed) << bad;
  EXPECT_EQ(reg.deleteKey(RegistryRoot::ClassesRoot, ""), Failed);
}

} // namespace
} // namespace ravelock::platform
