// Every file operation of a write made to fail in turn: the write either
// completes or reports -1 with the old file intact, bytes and attributes,
// and never leaves its temporary file behind.

#include "options/options_fixture.h"
#include "platform/filesystem.h"
#include "platform/system_error.h"
#include "support/fault_hooks.h"

#include <cerrno>
#include <functional>
#include <optional>

namespace ravelock::options {
namespace {

using platform::Fault;
using platform::Op;

constexpr std::string_view kOld =
    "\r\n<users_settings>\r\n<default>\r\n<fish_size>1</fish_size>\r\n</default>\r\n"
    "</users_settings>\r\n";

struct Scenario {
  std::string_view name;
  std::optional<std::string_view> before; // none: no file yet
  bool readOnly;
  std::string_view key; // written with the value 2
};

const Scenario kScenarios[] = {
    {"change a value", kOld, false, "fish_size"},
    {"add an element", kOld, false, "fish_start"},
    {"change a read-only file", kOld, true, "fish_size"},
    {"replace a foreign document", "<other>x</other>", false, "fish_size"},
    {"create the file", std::nullopt, false, "fish_size"},
};

class XmlStoreFaults : public OptionsFileTest {
protected:
  void prepare(const Scenario& s) {
    if (platform::pathExists(file.c_str())) {
      platform::setAttributes(file.c_str(), platform::kAttrNormal);
      platform::deleteFile(file.c_str());
    }
    if (s.before)
      store(*s.before);
    if (s.readOnly) {
      ASSERT_TRUE(platform::setAttributes(file.c_str(), platform::kAttrReadOnly));
    }
  }

  int write(const Scenario& s) const { return setUnsigned(2, s.key); }

  // The outcome of a write that ran under a fault.
  void check(const Scenario& s, int result) {
    ASSERT_TRUE(result == 0 || result == -1) << result;
    EXPECT_EQ(strayFiles(), 0);
    if (result == 0) {
      std::uint32_t value = 0;
      EXPECT_EQ(getNumber(XML_UNSIGNED, value, s.key), 1);
      EXPECT_EQ(value, 2u);
      return;
    }
    if (!s.before) {
      EXPECT_FALSE(platform::pathExists(file.c_str()));
      return;
    }
    EXPECT_EQ(bytes(), *s.before);
    EXPECT_EQ(platform::getAttributes(file.c_str()) & platform::kAttrReadOnly,
              s.readOnly ? platform::kAttrReadOnly : 0u);
  }
};

TEST_F(XmlStoreFaults, EveryFailurePointOfEveryWrite) {
  for (const Scenario& s : kScenarios) {
    SCOPED_TRACE(s.name);
    int failedWrites = 0;
    test::forEveryFailurePoint(
        0, [&] { prepare(s); }, [&] { return write(s); },
        [&](Op, int, Fault, int result) {
          failedWrites += result == -1;
          check(s, result);
        });
    EXPECT_GT(failedWrites, 0);
  }
}

TEST_F(XmlStoreFaults, TheCallerSeesTheErrorOfTheFailureItself) {
  store(kOld);
  {
    test::FailNth failing(Op::Write, 1);
    ASSERT_EQ(setUnsigned(2, "fish_size"), -1);
  }
#ifdef _WIN32
  EXPECT_EQ(platform::lastSystemError(), 29u); // ERROR_WRITE_FAULT
#else
  EXPECT_EQ(platform::lastSystemError(), static_cast<std::uint32_t>(EIO));
#endif
}

TEST_F(XmlStoreFaults, AFailedReadIsMinusOne) {
  store(kOld);
  for (Op op : {Op::Open, Op::Size, Op::MapFile}) {
    test::FailNth failing(op, 1);
    std::string text;
    EXPECT_EQ(getText(text, "fish_size"), -1) << platform::opName(op);
  }
}

} // namespace
} // namespace ravelock::options
