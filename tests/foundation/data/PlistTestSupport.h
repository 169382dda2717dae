#pragma once
// Helpers shared by the property-list tests.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/BuildPaths.h"

namespace velmora::testing {

inline std::string readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    // A missing sample must not pass as an empty document.
    if (!in) ADD_FAILURE() << "cannot read " << path;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

inline std::string samplesFolder() { return sourcePath("tests/data/samples"); }
inline std::string samplePath(const std::string& name) { return samplesFolder() + "/" + name; }

inline std::string xmlPlist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

}  // namespace velmora::testing
