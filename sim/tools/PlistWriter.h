#pragma once
// The XML property-list text diskutil prints: the Apple header, tab
// indentation, dictionary keys in sorted order, and only &, < and > escaped.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace velmora::sim {

class PlistNode {
public:
    enum class Kind { dictionary, array, string, integer, boolean };

    static PlistNode dictionary() { return PlistNode(Kind::dictionary); }
    static PlistNode array() { return PlistNode(Kind::array); }
    PlistNode(std::string s) : kind_(Kind::string), text_(std::move(s)) {}
    PlistNode(const char* s) : kind_(Kind::string), text_(s) {}
    PlistNode(std::int64_t n) : kind_(Kind::integer), number_(n) {}
    PlistNode(int n) : kind_(Kind::integer), number_(n) {}
    PlistNode(bool b) : kind_(Kind::boolean), number_(b ? 1 : 0) {}

    // Dictionary: set (replacing) a key. Array: append.
    PlistNode& set(const std::string& key, PlistNode value);
    PlistNode& append(PlistNode value);

    std::string document() const;  // the whole file text

private:
    explicit PlistNode(Kind kind) : kind_(kind) {}
    void write(std::string& out, int depth) const;

    Kind kind_;
    std::string text_;
    std::int64_t number_ = 0;
    std::vector<std::pair<std::string, PlistNode>> entries_;  // dictionary (sorted at output) or array (key unused)
};

}  // namespace velmora::sim
