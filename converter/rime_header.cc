#include "converter/rime_header.h"

#include <yaml-cpp/depthguard.h>
#include <yaml-cpp/yaml.h>

#include <algorithm>

#include "converter/convert_error.h"

namespace pavrel {
namespace {

// The scalars of `node`: none when it is absent or null, itself when it is one scalar.
std::vector<std::string> Scalars(const YAML::Node& node, const std::string& key,
                                 const std::filesystem::path& path, std::size_t first_line) {
  if (!node || node.IsNull()) return {};
  if (node.IsScalar()) return {node.Scalar()};
  const auto not_a_list = [&](const YAML::Node& at) {
    return LineError(path, first_line + at.Mark().line,
                     "the header's " + key + " is not a list of single values");
  };
  if (!node.IsSequence()) throw not_a_list(node);
  std::vector<std::string> scalars;
  for (const YAML::Node& item : node) {
    if (!item.IsScalar()) throw not_a_list(item);
    scalars.push_back(item.Scalar());
  }
  return scalars;
}

}  // namespace

RimeHeader ReadRimeHeader(const std::string& yaml, const std::filesystem::path& path,
                          std::size_t first_line) {
  try {
    const YAML::Node header = YAML::Load(yaml);
    if (!header.IsMap()) return {};
    const YAML::Node encoder = header["encoder"];
    return {Scalars(header["columns"], "columns", path, first_line),
            Scalars(header["import_tables"], "import_tables", path, first_line),
            Scalars(encoder && encoder.IsMap() ? encoder["exclude_patterns"] : YAML::Node(),
                    "encoder: exclude_patterns", path, first_line)};
  } catch (const YAML::DeepRecursion& error) {
    // yaml-cpp's parser recurses once per level, up to a fixed depth.
    throw LineError(
        path, first_line + std::max(error.mark.line, 0),
        "the YAML header nests deeper than " + std::to_string(error.depth() - 1) + " levels");
  } catch (const YAML::Exception& error) {
    throw LineError(path, first_line + std::max(error.mark.line, 0),
                    "the YAML header is not valid: " + error.msg);
  }
}

}  // namespace pavrel
