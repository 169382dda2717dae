#pragma once
// Helpers shared by the property-list tests.
#include <fstream>
#include <sstream>
#include <string>

namespace velmora::testing {

inline std::string readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

inline std::string samplePath(const std::string& name) { return std::string(VELMORA_SAMPLES_DIR) + "/" + name; }

inline std::string xmlPlist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

}  // namespace velmora::testing
