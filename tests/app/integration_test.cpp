// The shell registration's rules on an in-memory registry (natively a
// library's short path is its path).

#include "app/integration.h"
#include "platform/filesystem.h"
#include "platform/memory_registry.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace ravelock::app {
namespace {

using platform::MemoryRegistry;
using platform::RegistryAccess;
using platform::RegistryRoot;
using platform::RegistryStatus;

constexpr RegistryRoot kClasses = RegistryRoot::ClassesRoot;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;
constexpr const char* kApproved =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr const char* kClassKey = "CLSID\\{5BCD499A-6AD6-43EE-8B3E-1EF3324AF63C}";
constexpr const char* kHandlerTypes[] = {"*", "Folder", "Directory", "Drive"};

std::string handlerKey(const char* type) {
  return std::string(type) + "\\Shellex\\ContextMenuHandlers\\VellSupport";
}

class Integration : public testing::Test {
protected:
  void SetUp() override {
    folder_ = dir_.file("");
    test::writeFile(folder_ + "velldll.dll", "engine");
    test::writeFile(folder_ + "vellhandler.dll", "handler");
    // The system's own key, which the install only opens.
    ASSERT_EQ(reg_.createKey(kMachine, kApproved), RegistryStatus::Ok);
  }

  std::string value(RegistryRoot root, const std::string& key, const char* name = "") {
    std::string text;
    EXPECT_EQ(reg_.readString(root, key, name, text), RegistryStatus::Ok) << key;
    return text;
  }
  bool exists(const std::string& key) {
    return reg_.openKey(kClasses, key, RegistryAccess::Read) == RegistryStatus::Ok;
  }
  std::string engine() const { return *platform::getShortPath(folder_ + "velldll.dll"); }
  std::string handler() const {
    return *platform::getShortPath(folder_ + "vellhandler.dll");
  }

  test::TempDir dir_;
  std::string folder_;
  MemoryRegistry reg_;
};

TEST_F(Integration, AssociationEntries) {
  EXPECT_FALSE(associationPresent(reg_));
  ASSERT_EQ(setAssociation(reg_, folder_, true), 1);
  EXPECT_TRUE(associationPresent(reg_));
  EXPECT_EQ(value(kClasses, ".rlk"), "Ravelock");
  EXPECT_EQ(value(kClasses, "Ravelock"), "Ravelock encrypted file");
  EXPECT_EQ(value(kClasses, "Ravelock\\DefaultIcon"), "\"" + engine() + "\",0");
  EXPECT_EQ(value(kClasses, "Ravelock\\Shell\\open\\command"),
            "rundll32.exe " + engine() + ",CallToRun %1");

  ASSERT_EQ(setAssociation(reg_, folder_, false), 1);
  EXPECT_FALSE(associationPresent(reg_));
  for (const char* key : {".rlk", "Ravelock\\Shell", "Ravelock"})
    EXPECT_FALSE(exists(key)) << key;
  // Nothing left to delete still counts as removed.
  EXPECT_EQ(setAssociation(reg_, folder_, false), 1);
}

TEST_F(Integration, AssociationLeftHalfByAnotherProgramReadsAbsent) {
  ASSERT_EQ(setAssociation(reg_, folder_, true), 1);
  ASSERT_EQ(reg_.createKey(kClasses, "Ravelock\\Shell\\edit"), RegistryStatus::Ok);
  EXPECT_EQ(setAssociation(reg_, folder_, false), 0);
  EXPECT_TRUE(exists("Ravelock"));
  EXPECT_FALSE(exists(".rlk"));
  EXPECT_FALSE(associationPresent(reg_));
}

TEST_F(Integration, ContextMenuEntries) {
  EXPECT_FALSE(contextMenuPresent(reg_));
  ASSERT_EQ(setContextMenu(reg_, folder_, true), 1);
  EXPECT_TRUE(contextMenuPresent(reg_));
  EXPECT_EQ(value(kClasses, kClassKey), "Ravelock encrypted file");
  const std::string server = std::string(kClassKey) + "\\InProcServer32";
  EXPECT_EQ(value(kClasses, server), handler());
  EXPECT_EQ(value(kClasses, server, "ThreadingModel"), "Apartment");
  EXPECT_EQ(value(kMachine, kApproved, "{5BCD499A-6AD6-43EE-8B3E-1EF3324AF63C}"),
            "Ravelock encrypting");
  for (const char* type : kHandlerTypes)
    EXPECT_EQ(value(kClasses, handlerKey(type)),
              "{5BCD499A-6AD6-43EE-8B3E-1EF3324AF63C}");

  // A second install leaves existing keys as they are and succeeds.
  ASSERT_EQ(reg_.writeString(kClasses, server, "", "C:\\OTHER.DLL"), RegistryStatus::Ok);
  ASSERT_EQ(reg_.writeString(kClasses, handlerKey("Drive"), "", "{other}"),
            RegistryStatus::Ok);
  ASSERT_EQ(setContextMenu(reg_, folder_, true), 1);
  EXPECT_EQ(value(kClasses, server), "C:\\OTHER.DLL");
  EXPECT_EQ(value(kClasses, handlerKey("Drive")), "{other}");

  ASSERT_EQ(setContextMenu(reg_, folder_, false), 1);
  EXPECT_FALSE(contextMenuPresent(reg_));
  for (const char* type : kHandlerTypes)
    EXPECT_FALSE(exists(handlerKey(type))) << type;
  EXPECT_FALSE(exists(kClassKey));
  std::string text;
  EXPECT_EQ(reg_.readString(kMachine, kApproved, "{5BCD499A-6AD6-43EE-8B3E-1EF3324AF63C}",
                            text),
            RegistryStatus::NotFound);
  EXPECT_EQ(setContextMenu(reg_, folder_, false), 1);
}

TEST_F(Integration, NoShortPathNoInstall) {
  test::TempDir empty;
  EXPECT_EQ(setAssociation(reg_, empty.file(""), true), 0);
  EXPECT_EQ(setContextMenu(reg_, empty.file(""), true), 0);
  EXPECT_FALSE(exists(".rlk"));
  EXPECT_FALSE(exists(kClassKey));
  // Removal needs no library: it works after the files are gone.
  ASSERT_EQ(setAssociation(reg_, folder_, true), 1);
  ASSERT_EQ(setContextMenu(reg_, folder_, true), 1);
  EXPECT_EQ(setAssociation(reg_, empty.file(""), false), 1);
  EXPECT_EQ(setContextMenu(reg_, empty.file(""), false), 1);
  EXPECT_FALSE(associationPresent(reg_));
  EXPECT_FALSE(contextMenuPresent(reg_));
}

TEST_F(Integration, ApprovalRefusedFailsButTheRestIsWritten) {
  reg_.denyWrites(kMachine, kApproved);
  EXPECT_EQ(setContextMenu(reg_, folder_, true), 0);
  for (const char* type : kHandlerTypes)
    EXPECT_TRUE(exists(handlerKey(type))) << type;
  EXPECT_TRUE(exists(std::string(kClassKey) + "\\InProcServer32"));
  EXPECT_TRUE(contextMenuPresent(reg_));
  // Removal too reports the value it could not delete, and removes the rest.
  EXPECT_EQ(setContextMenu(reg_, folder_, false), 0);
  EXPECT_FALSE(contextMenuPresent(reg_));
  EXPECT_FALSE(exists(kClassKey));

  MemoryRegistry bare; // a system without the Approved key: never created
  EXPECT_EQ(setContextMenu(bare, folder_, true), 0);
  EXPECT_EQ(bare.openKey(kMachine, kApproved, RegistryAccess::Read),
            RegistryStatus::NotFound);
}

TEST_F(Integration, ExtensionKeyRefusedFailsTheAssociation) {
  reg_.denyWrites(kClasses, ".rlk");
  EXPECT_EQ(setAssociation(reg_, folder_, true), 0);
  EXPECT_FALSE(exists("Ravelock"));
  // Any key after the first only stops the install quietly.
  MemoryRegistry other;
  other.denyWrites(kClasses, "Ravelock\\Shell");
  EXPECT_EQ(setAssociation(other, folder_, true), 1);
  EXPECT_EQ(other.openKey(kClasses, "Ravelock\\DefaultIcon", RegistryAccess::Read),
            RegistryStatus::Ok);
}

} // namespace
} // namespace ravelock::app
