#include "sim/life/LifeRun.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "app/AppDelegate.h"
#include "app/ConsoleFiltering.h"
#include "app/MainWindowController.h"
#include "app/root/HeadlessWindowHost.h"
#include "disks/DiskMonitor.h"
#include "foundation/dispatch/VirtualScheduler.h"
#include "foundation/process/SharedQueries.h"
#include "foundation/plist/PlistReader.h"
#include "history/store/HistoryWriter.h"
#include "history/store/ProgramVersion.h"
#include "sim/life/LifeHistory.h"
#include "sim/life/LifeLauncher.h"
#include "sim/life/LifeScheduler.h"
#include "sim/services/SimPlatform.h"
#include "sim/state/Machine.h"
#include "sim/state/MachineEditor.h"
#include "sim/state/MachineFolder.h"
#include "sim/state/ScenarioLibrary.h"
#include "sim/state/ToolTree.h"
#include "system/SharedSystemMonitor.h"
#include "ui/model/MainWindowModel.h"

namespace velmora::life {

namespace {

constexpr std::size_t kKeptEvents = 50;
constexpr double kQuietSeconds = 60;
constexpr double kDefaultDeadlineSeconds = 120;
constexpr double kFaultWindowSeconds = 30;
// The most USB disks, disk images and started applications at once.
constexpr std::size_t kMostDisks = 6;
constexpr std::size_t kMostImages = 4;
constexpr std::size_t kMostApps = 8;
// Serial queues carry several periodic jobs each; a backlog beyond this
// means some job queued behind itself.
constexpr std::size_t kPendingBound = 8;

// The program's console stays the life run's own.
class KeptConsole final : public ProcessConsole {
public:
    void setEnvironment(const std::string&, const std::string&) override {}
    bool redirectStandardErrorToNull() override { return true; }
};

// The program's lines join the event trail (and standard output when verbose).
class TrailDiagnostics final : public Diagnostics {
public:
    explicit TrailDiagnostics(std::function<void(const std::string&)> sink) : sink_(std::move(sink)) {}
    void line(std::string_view text) override { sink_(std::string(text)); }

private:
    std::function<void(const std::string&)> sink_;
};

constexpr std::size_t kDescriptorSlack = 32;
constexpr std::size_t kThreadSlack = 8;

std::string readProcFile(const std::filesystem::path& path);

// Children of this process that have exited and were not waited for.
std::vector<int> zombieChildren() {
    const std::string self = std::to_string(::getpid());
    std::vector<int> found;
    for (const pid_t pid : processIds()) {
        const std::string text = readProcFile("/proc/" + std::to_string(pid) + "/stat");
        const auto close = text.rfind(')');
        if (close == std::string::npos || close + 4 >= text.size() || text[close + 2] != 'Z') continue;
        const auto parentEnd = text.find(' ', close + 4);
        if (text.compare(close + 4, parentEnd - (close + 4), self) == 0) found.push_back(pid);
    }
    return found;
}

std::string readProcFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

struct LifeRun::Program {
    std::shared_ptr<VirtualScheduler> scheduler;
    std::shared_ptr<LifeScheduler> recording;
    std::shared_ptr<LifeLauncher> launcher;
    Platform platform;
    std::shared_ptr<SharedSystemMonitor> systemMonitor;
    std::shared_ptr<AppDelegate> delegate;
    std::shared_ptr<MainWindowModel> model;
    std::shared_ptr<HistoryWriter> history;
    std::shared_ptr<KeptHistory> keptHistory;
};

std::ostream& LifeRun::out() { return options_.report ? *options_.report : std::cout; }

LifeRun::LifeRun(LifeOptions options) : options_(std::move(options)) {}

LifeRun::~LifeRun() {
    program_.reset();
    endLeftoverProcesses();
}

void LifeRun::event(const std::string& text) {
    events_.push_back(text);
    if (events_.size() > kKeptEvents) events_.pop_front();
    if (options_.verbose) std::cout << text << '\n';
}

std::string LifeRun::canary(int n) const { return options_.dir + ".canary-" + std::to_string(n); }

void LifeRun::launch() {
    ++figures_.launches;
    auto program = std::make_unique<Program>();
    program->scheduler = std::make_shared<VirtualScheduler>(dateFromSeconds(clock_));
    program->recording = std::make_shared<LifeScheduler>(program->scheduler);
    sim::SimulatedPlatformOptions platformOptions;
    platformOptions.launcher.defaultDeadlineSeconds = kDefaultDeadlineSeconds;
    platformOptions.launcher.terminateGraceSeconds = 0.2;
    platformOptions.launcher.environment["VELMORA_SIM_TIME_SCALE"] = std::to_string(options_.timeScale);
    std::weak_ptr<VirtualScheduler> weakScheduler = program->scheduler;
    // The machine's clock is the program's: notifications, alerts and
    // assertions are dated in virtual time, as the tools' answers are.
    const sim::MachineClock virtualClock = [weakScheduler, this] {
        auto scheduler = weakScheduler.lock();
        return scheduler ? secondsSinceEpoch(scheduler->now()) : clock_;
    };
    platformOptions.clock = virtualClock;
    platformOptions.random = std::make_shared<RandomSource>(options_.seed + static_cast<std::uint64_t>(figures_.launches));
    auto diagnostics = std::make_shared<TrailDiagnostics>([this](const std::string& line) {
        event("  | " + line);
        if (options_.published) options_.published->push_back(line);
    });
    program->platform = sim::makeSimulatedPlatform(options_.dir, program->recording, diagnostics, platformOptions);
    program->launcher = std::make_shared<LifeLauncher>(program->platform.processes, options_.timeScale,
                                                       kDefaultDeadlineSeconds, [weakScheduler] {
                                                           auto scheduler = weakScheduler.lock();
                                                           return scheduler ? scheduler->currentContext() : std::string();
                                                       },
                                                       [weakScheduler](double seconds) {
                                                           if (auto scheduler = weakScheduler.lock()) scheduler->stall(seconds);
                                                       },
                                                       [this, weakScheduler] {
                                                           auto scheduler = weakScheduler.lock();
                                                           if (scheduler) endFaultWindow(secondsSinceEpoch(scheduler->now()));
                                                       },
                                                       virtualClock, sim::MachineFolder::absolute(options_.dir),
                                                       diagnostics, platformOptions.launcher.outputCapBytes,
                                                       options_.inProcessTools);
    program->platform.processes = program->launcher;
    if (options_.sharedQueries) {
        program->platform.processes = std::make_shared<SharedQueries>(program->launcher, 1.0, virtualClock);
    }
    program->history = HistoryWriter::create(program->recording, sim::historyFileFor(options_.dir), programVersion(),
                                             diagnostics);
    program->history->start();
    program->keptHistory = std::make_shared<KeptHistory>(program->history);
    program->platform.history = program->keptHistory;
    program->platform.historySource = program->history;
    historyToCheck_ = !owedHistory_.empty();
    program->systemMonitor = SharedSystemMonitor::create(program->platform);
    auto windows = MainWindowController::create(std::make_shared<HeadlessWindowHost>(),
                                                [] { return std::shared_ptr<RootView>(); });
    program->delegate = AppDelegate::create(program->platform, std::make_shared<KeptConsole>(), windows);
    program->delegate->applicationDidFinishLaunching();
    program->model = MainWindowModel::create(program->platform, program->systemMonitor);
    program->model->onAppear();
    program_ = std::move(program);
}

void LifeRun::quit() {
    if (!program_) return;
    figures_.toolRuns += program_->launcher->runs();
    figures_.inProcessToolRuns += program_->launcher->inProcessRuns();
    figures_.deadlines += program_->launcher->deadlines();
    program_->delegate->applicationWillTerminate();
    advance(1);
    // As the process would end: the queues' work is dropped with the scheduler.
    auto scheduler = program_->scheduler;
    owedHistory_ = program_->keptHistory->handed();
    program_.reset();
    clock_ = secondsSinceEpoch(scheduler->now());
    scheduler.reset();
    leftAfterQuit_ = stillRunning(machineProcesses());
    endLeftoverProcesses();
}

void LifeRun::kill() {
    if (!program_) return;
    ++figures_.kills;
    figures_.toolRuns += program_->launcher->runs();
    figures_.inProcessToolRuns += program_->launcher->inProcessRuns();
    figures_.deadlines += program_->launcher->deadlines();
    // From here nothing the instance holds is ended; its kept group leaders
    // are reaped, and its assertions released, as the system does for a dead
    // process. Its objects go, but their endings reach nothing outside.
    program_->launcher->jobs().die();
    sim::Machine(options_.dir).update([](sim::MachineState& state) {
        std::erase_if(state.assertions, [](const sim::Assertion& a) { return a.pid == ::getpid(); });
    });
    auto scheduler = program_->scheduler;
    clock_ = secondsSinceEpoch(scheduler->now());
    // What the last second before the kill handed over may be lost; the rest is owed.
    owedHistory_.clear();
    const Date lossFrom = addSeconds(scheduler->now(), -1.0);
    for (auto& e : program_->keptHistory->handed())
        if (e.time < lossFrom) owedHistory_.push_back(std::move(e));
    program_->history->abandon();
    program_.reset();
    scheduler.reset();
    leftByKill_ = machineProcesses();
    afterKill_ = true;
    event("    killed -9 (" + std::to_string(leftByKill_.size()) + " of its processes still running)");
}

bool LifeRun::killInsideWrite(const Step& step, FileUserDefaults::WriteStage stage) {
    struct Killed {};
    // Only on this thread: the notification center's worker writes too, and
    // a throw there would end the whole life.
    FileUserDefaults::setWriteStageHook([stage, self = std::this_thread::get_id()](FileUserDefaults::WriteStage reached) {
        if (reached == stage && std::this_thread::get_id() == self) throw Killed{};
    });
    bool killed = false;
    try {
        // A change the program stores at once.
        program_->model->toggleAggressivePower();
        advance(step.waitSeconds);
    } catch (const Killed&) {
        killed = true;
    }
    FileUserDefaults::setWriteStageHook(nullptr);
    if (killed) ++figures_.killsInWrite;
    event(killed ? "    stopped inside a settings write" : "    no settings write came; killed after the wait");
    kill();
    return killed;
}

void LifeRun::reportHour(double wall) {
    ++hoursReported_;
    long inProcess = figures_.inProcessToolRuns;
    long all = figures_.toolRuns;
    if (program_) {
        inProcess += program_->launcher->inProcessRuns();
        all += program_->launcher->runs();
    }
    out() << "hour " << hoursReported_ << ": " << figures_.steps << " steps, wall " << static_cast<long>(wall)
          << " s; tool runs this hour " << inProcess - hourInProcessRuns_ << " in-process, "
          << (all - inProcess) - (hourToolRuns_ - hourInProcessRuns_) << " real processes" << std::endl;
    hourInProcessRuns_ = inProcess;
    hourToolRuns_ = all;
}

std::vector<ProcessIdentity> LifeRun::machineProcesses() const {
    std::vector<ProcessIdentity> found;
    for (int pid : sim::MachineFolder::processesStartedFor(options_.dir)) {
        if (auto identity = identifyProcess(pid)) found.push_back(*identity);
    }
    return found;
}

std::vector<std::string> LifeRun::stillRunning(const std::vector<ProcessIdentity>& processes) const {
    // A background job that is about to finish on its own (a last listing)
    // is not left over: it gets a moment.
    std::vector<std::string> running;
    for (int attempt = 0; attempt < 40; ++attempt) {
        running.clear();
        for (const auto& process : processes) {
            const auto now = identifyProcess(process.pid);
            if (!now || !now->sameProcess(process)) continue;
            std::string command = readProcFile("/proc/" + std::to_string(process.pid) + "/cmdline");
            for (char& c : command)
                if (c == '\0' || c == '\n') c = ' ';
            running.push_back(std::to_string(process.pid) + " " + command.substr(0, 120));
        }
        if (running.empty()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return running;
}

long LifeRun::endLeftoverProcesses() {
    long ended = 0;
    for (const auto& process : machineProcesses())
        if (::kill(process.pid, SIGKILL) == 0) ++ended;
    return ended;
}

void LifeRun::collectNames() {
    const auto state = sim::Machine(options_.dir).read();
    for (const auto& disk : state.disks) {
        namesSeen_.insert(disk.mediaName);
        namesSeen_.insert(disk.identifier);
        namesSeen_.insert("Unnamed Volume (" + disk.identifier + ")");
        for (const auto& volume : disk.volumes) {
            namesSeen_.insert(volume.volumeName);
            namesSeen_.insert("Unnamed Volume (" + volume.identifier + ")");
            if (volume.mountPoint) namesSeen_.insert(std::filesystem::path(*volume.mountPoint).filename().string());
        }
    }
    for (const auto& process : state.processes) {
        namesSeen_.insert(process.name);
        if (process.localizedName) namesSeen_.insert(*process.localizedName);
    }
}

void LifeRun::endFaultWindow(double now) {
    // Checked before every tool run too: a hung run stalls its caller for a
    // whole deadline of virtual time, and the window must close inside that
    // timeline, not only when the driver gets control back.
    if (!faultWindowEnd_ || now < *faultWindowEnd_) return;
    faultWindowEnd_.reset();
    sim::Machine machine(options_.dir);
    for (const auto& tool : faultedTools()) sim::MachineEditor(machine, [now] { return now; }).setToolFault(tool, sim::ToolFault::none);
    event("    hang/slow fault over");
}

void LifeRun::installScaledSleep() {
    // Scripts find `sleep` among the machine's host utilities; in a life it
    // is the stand-in binary's, which waits the scaled time as the stand-in
    // tools do: one process where a wrapper script took three.
    const std::string path = sim::ToolTree::hostUtilityFolder(sim::MachineFolder::absolute(options_.dir)) + "/sleep";
    std::filesystem::remove(path);
    std::filesystem::create_symlink(sim::MachineFolder::absolute(options_.toolBinary), path);
}

void LifeRun::advance(double seconds) {
    if (!program_) return;
    program_->scheduler->advance(seconds);
    clock_ = secondsSinceEpoch(program_->scheduler->now());
}

void LifeRun::apply(const Step& step) {
    sim::Machine machine(options_.dir);
    sim::MachineEditor editor(machine, [this] { return clock_; });
    auto& model = *program_->model;
    // A hub holds so many disks, and a day's life does not pile up without
    // end: with plugs a little likelier than unplugs the count would drift
    // upwards, and every script that runs per disk with it. At the limit a
    // new arrival first replaces one already there.
    const auto makeRoom = [&](std::vector<std::string>& list, std::size_t limit, auto remove) {
        if (list.size() < limit) return;
        const auto at = list.begin() + static_cast<long>(step.pick % list.size());
        event("    replacing " + *at);
        remove(*at);
        list.erase(at);
    };
    const auto unplug = [&](const std::string& identifier) {
        try {
            editor.unplug(identifier);
        } catch (const std::exception& error) {
            event("    detach refused: " + std::string(error.what()));
        }
    };
    switch (step.kind) {
        case StepKind::plugDisk: {
            makeRoom(plugged_, kMostDisks, unplug);
            sim::PlugOptions disk;
            const std::string number = std::to_string(++diskCounter_);
            disk.mediaName = step.hostile ? "Disk " + number + " $(touch " + canary(1) + ") `touch " + canary(2) +
                                                "`; touch " + canary(3) + " '\"x"
                                          : "Life Disk " + number;
            disk.volumeName = step.hostile ? "Vol " + number + " $(touch x) 'q\" ;ls" : "Life " + number;
            disk.bridge = bridges()[static_cast<std::size_t>(step.variant)];
            disk.fileSystem = step.pick % 2 ? "ExFAT" : "APFS";
            try {
                plugged_.push_back(editor.plug(disk));
                bridgeOf_[plugged_.back()] = disk.bridge;
                event("    plugged " + plugged_.back());
            } catch (const std::exception& error) {
                event("    plug refused: " + std::string(error.what()));
            }
            break;
        }
        case StepKind::unplugDisk:
        case StepKind::detachImage: {
            auto& list = step.kind == StepKind::unplugDisk ? plugged_ : images_;
            if (list.empty()) break;
            const auto at = list.begin() + static_cast<long>(step.pick % list.size());
            event("    detached " + *at);
            unplug(*at);
            list.erase(at);
            break;
        }
        case StepKind::attachImage:
            makeRoom(images_, kMostImages, unplug);
            images_.push_back(editor.attachImage("Image " + std::to_string(++diskCounter_), 1 << 30));
            event("    image " + images_.back());
            break;
        case StepKind::startApp: {
            sim::AppStartOptions app;
            const std::string number = std::to_string(++appCounter_);
            if (step.variant == 1) {
                app.name = step.pick % 2 ? "Adobe Photoshop 2025" : "Final Cut Pro";
                app.bundleIdentifier = step.pick % 2 ? "com.adobe.Photoshop" : "com.apple.FinalCut";
                app.cpu = 60 + static_cast<double>(step.pick % 30);
            } else {
                app.name = "LifeApp" + number;
                app.bundleIdentifier = "com.example.life" + number;
                app.cpu = static_cast<double>(step.pick % 5);
            }
            if (step.variant == 2 && !plugged_.empty()) {
                const std::string disk = plugged_[step.pick % plugged_.size()];
                for (const auto& d : machine.read().disks) {
                    if (d.identifier != disk) continue;
                    for (const auto& volume : d.volumes)
                        if (volume.mountPoint) app.workingDirectory = *volume.mountPoint;
                }
            }
            makeRoom(apps_, kMostApps, [&](const std::string& name) { editor.stopApplication(name); });
            editor.startApplication(app);
            apps_.push_back(app.name);
            event("    started " + app.name);
            break;
        }
        case StepKind::stopApp: {
            if (apps_.empty()) break;
            const auto at = apps_.begin() + static_cast<long>(step.pick % apps_.size());
            editor.stopApplication(*at);
            apps_.erase(at);
            break;
        }
        case StepKind::refresh:
            model.refreshDisks();
            break;
        case StepKind::selectDisk: {
            const auto disks = model.diskMonitor->connectedDisks.get();
            if (!disks.empty()) model.selectDisk(disks[step.pick % disks.size()]);
            break;
        }
        case StepKind::makeInternal:
            model.makeInternal();
            break;
        case StepKind::fix:
            model.fixApplicationAssociations();
            break;
        case StepKind::aggressiveToggle:
            model.toggleAggressivePower();
            break;
        case StepKind::toolFault: {
            ++figures_.faultsInjected;
            const std::string& tool = faultedTools()[step.pick % faultedTools().size()];
            const std::string& kind = faultKinds()[static_cast<std::size_t>(step.variant)];
            if (kind == "slow") {
                editor.setToolSlow(tool, 5 + static_cast<double>(step.pick % 60));
            } else {
                editor.setToolFault(tool, sim::toolFaultFromName(kind).value_or(sim::ToolFault::fail));
            }
            break;
        }
        case StepKind::permission:
            machine.update([&step](sim::MachineState& state) {
                if (step.variant == 0) {
                    state.automationAllowed = step.pick % 2;
                } else if (step.variant == 1) {
                    state.notificationAuthorization = notificationStatuses()[step.pick % notificationStatuses().size()];
                } else {
                    state.notificationRequestGranted = step.pick % 2;
                }
            });
            break;
        case StepKind::logLine: {
            std::vector<std::string> realtek;
            for (const auto& disk : plugged_)
                if (bridgeOf_[disk].rfind("RTL9210", 0) == 0) realtek.push_back(disk);
            if (step.variant == 0) {
                const std::string subject = plugged_.empty() ? std::string() : plugged_[step.pick % plugged_.size()];
                editor.addEnumerationFailures(1 + static_cast<int>(step.pick % 4), subject);
            } else if (!realtek.empty()) {
                const std::string& disk = realtek[step.pick % realtek.size()];
                const auto fault = step.variant == 1 ? sim::UsbFault::timeout
                                   : step.variant == 2 ? sim::UsbFault::error
                                                       : sim::UsbFault::clear;
                editor.setUsbFault(disk, fault);
                if (fault != sim::UsbFault::clear)
                    editor.appendLog(std::string("RTL9210 ") + (fault == sim::UsbFault::timeout ? "timeout" : "error") +
                                     " on " + disk);
                event("    usb marker on " + disk);
            }
            break;
        }
        case StepKind::startupToggle:
            model.toggleStartup();
            break;
        case StepKind::clearFaults:
        case StepKind::quiet:
            faultWindowEnd_.reset();
            for (const auto& tool : faultedTools()) editor.setToolFault(tool, sim::ToolFault::none);
            break;
        case StepKind::relaunch:
        case StepKind::kill:
            break;  // the caller stops and launches around its checks
    }
}

Observation LifeRun::observe(bool quiet) {
    Observation o;
    o.running = program_ != nullptr;
    o.quiet = quiet;
    sim::Machine machine(options_.dir);
    const auto state = machine.read();
    for (const auto& disk : state.disks)
        if (disk.protocol != "Disk Image") o.machineDisks.insert(disk.identifier);
    for (const auto& assertion : state.assertions)
        if (assertion.pid == ::getpid()) ++o.assertionsOfOurs;
    if (program_) {
        auto list = [](const std::vector<DiskInfo>& disks) {
            std::vector<ListedDisk> listed;
            for (const auto& disk : disks) listed.push_back({disk.id, disk.isMarkedAsInternal});
            return listed;
        };
        o.monitors["delegate's monitor"] = list(program_->delegate->diskMonitor()->connectedDisks.get());
        o.monitors["window's monitor"] = list(program_->model->diskMonitor->connectedDisks.get());
        for (const auto& label : program_->recording->queueLabels())
            o.pending[label] = program_->scheduler->pendingCount(label);
        o.mainThreadRuns = program_->launcher->mainThreadRuns();
    }
    o.pendingBound = kPendingBound;
    const std::string defaults = options_.dir + "/.velmora-sim/defaults/com.orrindel.velmora.plist";
    if (std::filesystem::exists(defaults)) {
        const auto parsed = PlistReader().read(readProcFile(defaults));
        o.defaultsParse = parsed.value.has_value() && parsed.value->asDictionary();
        if (o.defaultsParse) {
            for (const auto& entry : *parsed.value->asDictionary()) o.defaultsKeys.insert(entry.first);
            if (auto marks = parsed.value->stringList(MarkedDiskStore::defaultsKey))
                o.storedMarks.insert(marks->begin(), marks->end());
        }
    }
    o.marksMade = marksMade_;
    o.afterKill = afterKill_;
    o.keysBeforeKill = keysAtLastCheck_;

    auto countEntries = [](const char* folder) {
        std::error_code error;
        std::size_t count = 0;
        for (auto it = std::filesystem::directory_iterator(folder, error); !error && it != std::filesystem::directory_iterator();
             it.increment(error))
            ++count;
        return count;
    };
    o.openDescriptors = countEntries("/proc/self/fd");
    o.threads = countEntries("/proc/self/task");
    if (descriptorBound_ == 0) {
        // Fixed at the first look, with room for one instance's own tool run and workers.
        descriptorBound_ = o.openDescriptors + kDescriptorSlack;
        threadBound_ = o.threads + kThreadSlack;
    }
    o.descriptorBound = descriptorBound_;
    o.threadBound = threadBound_;
    const std::set<pid_t> held = program_ ? program_->launcher->jobs().heldLeaders() : std::set<pid_t>();
    for (int attempt = 0; attempt < 10; ++attempt) {
        o.strayZombies.clear();
        for (int pid : zombieChildren())
            if (!held.count(pid)) o.strayZombies.push_back(pid);
        if (o.strayZombies.empty()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    collectNames();
    o.namesSeen = namesSeen_;
    for (std::size_t i = notificationsSeen_; i < state.notifications.size(); ++i)
        o.newNotifications.emplace_back(state.notifications[i].title, state.notifications[i].body);
    notificationsPending_ = state.notifications.size();

    if (program_ && historyToCheck_) {
        historyToCheck_ = false;
        o.historyMissing = historyMissing(owedHistory_, sim::historyFileFor(options_.dir));
        owedHistory_.clear();
    }
    if (!program_) {
        o.leftProcesses = leftAfterQuit_;
    } else if (!leftByKill_.empty()) {
        o.leftProcesses = stillRunning(leftByKill_);
    }

    std::map<std::string, std::set<std::string>> listedBeforeMark;
    for (const auto& [monitor, disks] : o.monitors) {
        const auto& carried = listedBeforeMark_[monitor];
        for (const auto& disk : disks) {
            if (!disk.marked && (!o.storedMarks.count(disk.id) || carried.count(disk.id)))
                listedBeforeMark[monitor].insert(disk.id);
        }
    }
    listedBeforeMark_ = listedBeforeMark;
    o.listedBeforeMark = std::move(listedBeforeMark);
    for (int n = 1; n <= 3; ++n)
        if (std::filesystem::exists(canary(n))) o.canariesPresent.push_back(canary(n));
    return o;
}

bool LifeRun::check(const Observation& observation, const Step& step) {
    if (options_.published) {
        for (const auto& [monitor, disks] : observation.monitors) {
            std::string listed = "disks of " + monitor + ":";
            for (const auto& disk : disks) listed += " " + disk.id + (disk.marked ? "*" : "");
            options_.published->push_back(listed);
        }
        for (const auto& [title, body] : observation.newNotifications)
            options_.published->push_back("notification: " + title + " / " + body);
    }
    for (const auto& checker : checkers()) {
        ++figures_.checks;
        if (auto violation = checker.check(observation)) {
            out() << "VIOLATION (" << checker.name << "): " << *violation << "\n"
                      << "seed " << options_.seed << ", step " << figures_.steps << " (" << describe(step)
                      << "), " << static_cast<long>(clock_ - start_) << " virtual seconds in\nlast events:\n";
            for (const auto& line : events_) out() << line << '\n';
            return false;
        }
    }
    marksMade_.insert(observation.storedMarks.begin(), observation.storedMarks.end());
    if (observation.defaultsParse) keysAtLastCheck_ = observation.defaultsKeys;
    notificationsSeen_ = notificationsPending_;
    if (observation.running) {
        afterKill_ = false;
        leftByKill_.clear();
    }
    leftAfterQuit_.clear();
    return true;
}

int LifeRun::run() {
    const std::string tool = sim::MachineFolder::absolute(options_.toolBinary);
    // An earlier life in DIR that was killed could not end its scripts'
    // background jobs; they would act on the new machine.
    endLeftoverProcesses();
    std::filesystem::remove_all(options_.dir);
    std::filesystem::create_directories(std::filesystem::path(options_.dir).parent_path());
    for (int n = 1; n <= 3; ++n) std::filesystem::remove(canary(n));
    clock_ = sim::Machine::now();
    start_ = clock_;
    const double start = start_;
    const double end = start + options_.hours * 3600;
    sim::MachineFolder::create(options_.dir,
                               sim::ScenarioLibrary(options_.scenarioFolder).load("default", options_.dir, clock_),
                               tool);
    installScaledSleep();
    Workload workload(options_.seed, options_.faults);
    const auto wallStart = std::chrono::steady_clock::now();
    try {
        launch();
        advance(kQuietSeconds);
        if (!check(observe(true), Step{})) return 1;
        while (clock_ < end) {
            const Step step = workload.next();
            ++figures_.steps;
            const auto wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
            event("step " + std::to_string(figures_.steps) + " @" + std::to_string(static_cast<long>(clock_ - start)) +
                  "s (wall " + std::to_string(static_cast<long>(wall)) + "s): " + describe(step));
            apply(step);
            if (clock_ - start_ >= 3600.0 * static_cast<double>(hoursReported_ + 1)) reportHour(wall);
            if (step.kind == StepKind::relaunch) {
                quit();
                if (!check(observe(false), step)) return 1;
                launch();
            }
            if (step.kind == StepKind::kill) {
                if (step.variant == 1) {
                    using Stage = FileUserDefaults::WriteStage;
                    static constexpr Stage stages[] = {Stage::halfWritten, Stage::written, Stage::renamed};
                    killInsideWrite(step, stages[step.pick % writeStages().size()]);
                } else {
                    kill();
                }
                if (!check(observe(false), step)) return 1;
                launch();
            }
            if (step.kind == StepKind::toolFault && step.variant < 2) faultWindowEnd_ = clock_ + kFaultWindowSeconds;
            advance(step.kind == StepKind::quiet ? kQuietSeconds : step.waitSeconds);
            endFaultWindow(clock_);
            if (!check(observe(step.kind == StepKind::quiet), step)) return 1;
        }
        quit();
        if (!check(observe(false), Step{})) return 1;
    } catch (const std::exception& error) {
        out() << "VIOLATION (a block threw): " << error.what() << "\nseed " << options_.seed << ", step "
                  << figures_.steps << "\nlast events:\n";
        for (const auto& line : events_) out() << line << '\n';
        return 1;
    }
    figures_.virtualHours = (clock_ - start) / 3600;
    return 0;
}

}  // namespace velmora::life
