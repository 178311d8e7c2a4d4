// Where the dialog's link leads: the README that an install puts under
// share/doc/orvanne, or the source tree's for a copy run from its build.
#pragma once

#include <string>

namespace orv {

// The first README that exists: under the install the program sits in
// (<program folder>/../share/doc/orvanne), under prefix/share/doc/orvanne,
// then source_dir/README.md. Empty when none exists; empty prefix or
// source_dir are skipped.
std::string DocumentationPathFor(const std::string& program_path, const std::string& prefix,
                                 const std::string& source_dir);
// The same for the running program, its install prefix and source tree.
std::string DocumentationPath();

}  // namespace orv
