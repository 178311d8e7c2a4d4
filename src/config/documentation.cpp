#include "config/documentation.h"

#include "platform/paths.h"

namespace orv {

namespace {
constexpr char kInstalledReadme[] = "share/doc/orvanne/README.md";
}

std::string DocumentationPathFor(const std::string& program_path, const std::string& prefix,
                                 const std::string& source_dir) {
  std::string candidates[3];
  // A staged or unpacked install is found from the program itself, wherever it was moved.
  if (!program_path.empty())
    candidates[0] = ExpandFileName(IncludeTrailingSeparator(FolderOf(program_path)) + "../" + kInstalledReadme);
  if (!prefix.empty()) candidates[1] = IncludeTrailingSeparator(prefix) + kInstalledReadme;
  if (!source_dir.empty()) candidates[2] = IncludeTrailingSeparator(source_dir) + "README.md";
  for (const std::string& path : candidates)
    if (!path.empty() && FileExists(path)) return path;
  return std::string();
}

std::string DocumentationPath() {
#ifdef ORV_INSTALL_PREFIX
  const std::string prefix = ORV_INSTALL_PREFIX;
#else
  const std::string prefix;
#endif
#ifdef ORV_SOURCE_DIR
  const std::string source = ORV_SOURCE_DIR;
#else
  const std::string source;
#endif
  return DocumentationPathFor(ProgramPath(), prefix, source);
}

}  // namespace orv
