// Which README the dialog's link opens.
#include "config/documentation.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/test_support.h"

namespace orv {
namespace {

TEST(DocumentationPathFor, PrefersTheProgramsOwnInstallThenThePrefixThenTheSource) {
  test::TempDir dir;
  const std::string staged = dir / "stage/usr", prefix = dir / "prefix", source = dir / "src";
  for (const std::string& d : {dir / "stage", staged, staged + "/bin", staged + "/share", staged + "/share/doc",
                               staged + "/share/doc/orvanne", prefix, prefix + "/share", prefix + "/share/doc",
                               prefix + "/share/doc/orvanne", source})
    ASSERT_EQ(::mkdir(d.c_str(), 0755), 0) << d;
  const std::string staged_readme = staged + "/share/doc/orvanne/README.md";
  const std::string prefix_readme = prefix + "/share/doc/orvanne/README.md";
  const std::string source_readme = source + "/README.md";
  const std::string program = staged + "/bin/orvanne";

  struct Case {
    const char* what;
    bool staged, prefix, source;
    std::string want;
  };
  const Case cases[] = {
      {"all three", true, true, true, staged_readme},
      {"prefix and source", false, true, true, prefix_readme},
      {"source only", false, false, true, source_readme},
      {"none", false, false, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (auto [present, path] : {std::pair{c.staged, staged_readme}, {c.prefix, prefix_readme}, {c.source, source_readme}}) {
      ::unlink(path.c_str());
      if (present) test::WriteFile(path, "# Orvanne\n");
    }
    EXPECT_EQ(DocumentationPathFor(program, prefix, source), c.want);
  }
  // Unknown prefix and source, and a folder where the README should be, lead nowhere.
  ::unlink(staged_readme.c_str());
  ASSERT_EQ(::mkdir(staged_readme.c_str(), 0755), 0);
  EXPECT_EQ(DocumentationPathFor(program, "", ""), "");
  EXPECT_EQ(DocumentationPathFor("", "", ""), "");
}

}  // namespace
}  // namespace orv
