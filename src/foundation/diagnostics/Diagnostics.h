#pragma once
// Diagnostic lines: plain text, one event per line, on standard output. Lines
// from different threads never interleave.
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class Diagnostics {
public:
    virtual ~Diagnostics() = default;
    virtual void line(std::string_view text) = 0;
};

// Writes each line whole to standard output and flushes it.
class StdoutDiagnostics final : public Diagnostics {
public:
    void line(std::string_view text) override;
private:
    std::mutex mutex_;
};

// Keeps the lines for tests (and optionally forwards them).
class CapturingDiagnostics final : public Diagnostics {
public:
    explicit CapturingDiagnostics(std::shared_ptr<Diagnostics> forward = nullptr);
    void line(std::string_view text) override;
    std::vector<std::string> lines() const;
    bool contains(std::string_view text) const;            // some line equals text
    bool containsSubstring(std::string_view text) const;   // some line contains text
    std::size_t count(std::string_view text) const;        // lines equal to text
    void clear();
private:
    std::shared_ptr<Diagnostics> forward_;
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace velmora
