#pragma once
// Writes a PlistValue as the XML text macOS uses for preferences files:
// tab-indented, keys in sorted order, dates in whole UTC seconds, data as
// base64. Every value it writes reads back equal through parsePlist.
#include <string>

#include "foundation/plist/PlistValue.h"

namespace velmora {

class PlistXmlWriter {
public:
    std::string write(const PlistValue& value);
    // Text as XML character data, for anything else that writes a property list.
    static std::string escaped(const std::string& text);

private:
    void value(const PlistValue& value, int indent);
    void line(int indent, const std::string& text);
    static std::string base64(const std::string& bytes);
    static std::string real(double value);

    std::string out_;
};

}  // namespace velmora
