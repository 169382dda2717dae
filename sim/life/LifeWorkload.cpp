#include "sim/life/LifeWorkload.h"

#include <algorithm>

namespace velmora::life {

const std::vector<std::string>& bridges() {
    static const std::vector<std::string> all = {"RTL9210B-CG", "RTL9210", "ASM1153E", "JMS567", "NONE"};
    return all;
}

const std::vector<std::string>& faultedTools() {
    static const std::vector<std::string> all = {"diskutil", "ioreg", "top", "df", "pmset", "iostat", "log"};
    return all;
}

const std::vector<std::string>& faultKinds() {
    static const std::vector<std::string> all = {"hang", "slow", "fail", "garble", "missing", "truncate", "nonUTF8", "huge"};
    return all;
}

const std::vector<std::string>& writeStages() {
    static const std::vector<std::string> all = {"half-written", "written", "renamed"};
    return all;
}

const std::vector<std::string>& notificationStatuses() {
    static const std::vector<std::string> all = {"notDetermined", "denied", "authorized", "provisional", "ephemeral"};
    return all;
}

namespace {

// Relative weights of the step kinds, in StepKind order: the common life of
// disks and windows, rarer faults, relaunches and kills.
constexpr int kWeights[] = {10, 8, 3, 3, 5, 5, 4, 4, 3, 2, 2, 3, 3, 1, 3, 1, 2, 2, 1};

const char* kindName(StepKind kind) {
    static const char* names[] = {"plug",      "unplug",  "image",   "detach-image", "app-start",
                                  "app-stop",  "refresh", "select",  "make-internal", "fix",
                                  "aggressive", "fault",  "clear-faults", "relaunch", "quiet",
                                  "kill-9",    "permission", "log",   "startup-toggle"};
    return names[static_cast<int>(kind)];
}

}  // namespace

std::string describe(const Step& step) {
    std::string text = kindName(step.kind);
    switch (step.kind) {
        case StepKind::plugDisk:
            text += " " + bridges()[static_cast<std::size_t>(step.variant)] + (step.hostile ? " hostile" : "");
            break;
        case StepKind::startApp:
            text += step.variant == 1 ? " heavy" : step.variant == 2 ? " on-usb" : " plain";
            break;
        case StepKind::toolFault:
            text += " " + faultedTools()[step.pick % faultedTools().size()] + " " +
                    faultKinds()[static_cast<std::size_t>(step.variant)];
            break;
        case StepKind::kill:
            if (step.variant == 1) text += " in-settings-write " + writeStages()[step.pick % writeStages().size()];
            break;
        case StepKind::permission:
            text += step.variant == 0   ? std::string(step.pick % 2 ? " automation allow" : " automation deny")
                    : step.variant == 1 ? " notifications " + notificationStatuses()[step.pick % notificationStatuses().size()]
                                        : std::string(step.pick % 2 ? " request grant" : " request deny");
            break;
        case StepKind::logLine:
            text += step.variant == 0   ? " enumeration-failures"
                    : step.variant == 1 ? " rtl9210-timeout"
                    : step.variant == 2 ? " rtl9210-error"
                                        : " rtl9210-clear";
            break;
        case StepKind::unplugDisk:
        case StepKind::detachImage:
        case StepKind::stopApp:
        case StepKind::selectDisk:
            text += " #" + std::to_string(step.pick % 1000);
            break;
        default:
            break;
    }
    return text + " +" + std::to_string(static_cast<int>(step.waitSeconds)) + "s";
}

Workload::Workload(std::uint64_t seed, std::vector<std::string> faults) : random_(seed) {
    for (std::size_t i = 0; i < faultKinds().size(); ++i) {
        if (faults.empty() || std::find(faults.begin(), faults.end(), faultKinds()[i]) != faults.end())
            faultKinds_.push_back(static_cast<int>(i));
    }
}

Step Workload::next() {
    ++count_;
    int total = 0;
    for (int weight : kWeights) total += weight;
    std::uint64_t roll = draw(static_cast<std::uint64_t>(total));
    int kind = 0;
    while (roll >= static_cast<std::uint64_t>(kWeights[kind])) roll -= static_cast<std::uint64_t>(kWeights[kind++]);

    Step step;
    step.kind = static_cast<StepKind>(kind);
    if (step.kind == StepKind::toolFault && faultKinds_.empty()) step.kind = StepKind::clearFaults;
    step.pick = random_();
    switch (step.kind) {
        case StepKind::plugDisk:
            step.variant = static_cast<int>(draw(bridges().size()));
            step.hostile = draw(8) == 0;
            break;
        case StepKind::startApp:
            step.variant = static_cast<int>(draw(3));
            break;
        case StepKind::toolFault:
            step.variant = faultKinds_[draw(faultKinds_.size())];
            break;
        case StepKind::kill:
            step.variant = static_cast<int>(draw(2));
            break;
        case StepKind::permission:
            step.variant = static_cast<int>(draw(3));
            break;
        case StepKind::logLine:
            step.variant = static_cast<int>(draw(4));
            break;
        default:
            break;
    }
    // Mostly short gaps, so events land during scans and scripts; sometimes
    // minutes pass.
    const std::uint64_t gap = draw(10);
    step.waitSeconds = step.kind == StepKind::quiet ? 0 : gap < 6 ? 1.0 + static_cast<double>(draw(5))
                                                       : gap < 9 ? 10.0 + static_cast<double>(draw(50))
                                                                 : 120.0 + static_cast<double>(draw(480));
    return step;
}

}  // namespace velmora::life
