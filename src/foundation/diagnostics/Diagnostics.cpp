#include "foundation/diagnostics/Diagnostics.h"

#include <algorithm>
#include <cstdio>

namespace velmora {

void StdoutDiagnostics::line(std::string_view text) {
    std::string whole(text);
    whole.push_back('\n');
    std::lock_guard lock(mutex_);
    std::fwrite(whole.data(), 1, whole.size(), stdout);
    std::fflush(stdout);
}

CapturingDiagnostics::CapturingDiagnostics(std::shared_ptr<Diagnostics> forward) : forward_(std::move(forward)) {}

void CapturingDiagnostics::line(std::string_view text) {
    {
        std::lock_guard lock(mutex_);
        lines_.emplace_back(text);
    }
    if (forward_) forward_->line(text);
}

std::vector<std::string> CapturingDiagnostics::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool CapturingDiagnostics::contains(std::string_view text) const { return count(text) > 0; }

bool CapturingDiagnostics::containsSubstring(std::string_view text) const {
    std::lock_guard lock(mutex_);
    return std::any_of(lines_.begin(), lines_.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

std::size_t CapturingDiagnostics::count(std::string_view text) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count(lines_.begin(), lines_.end(), text));
}

void CapturingDiagnostics::clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

}  // namespace velmora
