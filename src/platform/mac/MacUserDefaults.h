#pragma once
// The standard user-defaults domain through NSUserDefaults. Values cross as
// XML property lists, the one form both sides read exactly, so booleans,
// integers, reals, strings, dates, data, lists and dictionaries keep their
// types both ways.
#include "foundation/defaults/UserDefaults.h"

namespace velmora::mac {

class MacUserDefaults final : public UserDefaults {
public:
    std::optional<PlistValue> object(const std::string& key) const override;
    void set(const std::string& key, const PlistValue& value) override;
    void remove(const std::string& key) override;
};

}  // namespace velmora::mac
