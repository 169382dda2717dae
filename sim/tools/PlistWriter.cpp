#include "sim/tools/PlistWriter.h"

#include <algorithm>

namespace velmora::sim {

namespace {

void escapeInto(std::string& out, const std::string& text) {
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
}

}  // namespace

PlistNode& PlistNode::set(const std::string& key, PlistNode value) {
    for (auto& entry : entries_) {
        if (entry.first == key) {
            entry.second = std::move(value);
            return *this;
        }
    }
    entries_.emplace_back(key, std::move(value));
    return *this;
}

PlistNode& PlistNode::append(PlistNode value) {
    entries_.emplace_back(std::string(), std::move(value));
    return *this;
}

void PlistNode::write(std::string& out, int depth) const {
    const std::string indent(static_cast<std::size_t>(depth), '\t');
    switch (kind_) {
        case Kind::string:
            out += indent + "<string>";
            escapeInto(out, text_);
            out += "</string>\n";
            return;
        case Kind::integer:
            out += indent + "<integer>" + std::to_string(number_) + "</integer>\n";
            return;
        case Kind::boolean:
            out += indent + (number_ ? "<true/>\n" : "<false/>\n");
            return;
        case Kind::array:
            if (entries_.empty()) {
                out += indent + "<array/>\n";
                return;
            }
            out += indent + "<array>\n";
            for (const auto& entry : entries_) entry.second.write(out, depth + 1);
            out += indent + "</array>\n";
            return;
        case Kind::dictionary: {
            if (entries_.empty()) {
                out += indent + "<dict/>\n";
                return;
            }
            std::vector<const std::pair<std::string, PlistNode>*> sorted;
            for (const auto& entry : entries_) sorted.push_back(&entry);
            std::sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) { return a->first < b->first; });
            out += indent + "<dict>\n";
            for (const auto* entry : sorted) {
                out += indent + "\t<key>";
                escapeInto(out, entry->first);
                out += "</key>\n";
                entry->second.write(out, depth + 1);
            }
            out += indent + "</dict>\n";
            return;
        }
    }
}

std::string PlistNode::document() const {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n";
    write(out, 0);
    out += "</plist>\n";
    return out;
}

}  // namespace velmora::sim
