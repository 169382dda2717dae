// The program itself, headless, against a simulated Mac: what a person sees
// in the notifications and on standard output while disks and applications
// come and go, and how it ends.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "foundation/defaults/FileUserDefaults.h"
#include "foundation/plist/PlistReader.h"
#include "foundation/process/ProcessIdentity.h"
#include "sim/state/MachineEditor.h"
#include "sim/state/MachineFolder.h"
#include "tests/sim/SimTestSupport.h"

#ifdef VELMORA_PROGRAM_PATH

namespace velmora {
namespace {

using namespace std::chrono_literals;

bool eventually(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

// `velmora` with `arguments`, standard output into a file; killed if a test
// leaves it running.
class Program {
public:
    Program(const std::string& outputFile, std::vector<std::string> arguments,
            std::vector<std::string> environment = {})
        : output_(outputFile) {
        std::vector<std::string> argv{VELMORA_PROGRAM_PATH};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        std::vector<std::string> env = std::move(environment);
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            if (entry.rfind("VELMORA_MACHINE=", 0) != 0) env.push_back(entry);
        }
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn(&pid_, args[0], &files, nullptr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&files);
    }
    ~Program() {
        if (pid_ <= 0 || exited_) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    int pid() const { return pid_; }
    std::vector<std::string> lines() const {
        std::ifstream in(output_);
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }
    bool printed(const std::string& line) const {
        const auto all = lines();
        return std::find(all.begin(), all.end(), line) != all.end();
    }
    // The exit status once it has ended within `limit`; -1 otherwise.
    int waitForExit(std::chrono::seconds limit) {
        int status = 0;
        if (!eventually([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, limit)) return -1;
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    std::string output_;
    pid_t pid_ = -1;
    bool exited_ = false;
};

class HeadlessProgram : public ::testing::Test {
protected:
    void SetUp() override {
        if (!sim::testing::haveRealTools()) GTEST_SKIP() << "the stand-in tools are not built";
    }
    bool notified(const std::string& title, const std::string& body) {
        for (const auto& n : mac_.machine().read().notifications) {
            if (n.title == title && n.body == body) return true;
        }
        return false;
    }
    std::string mountPointOf(const std::string& disk) {
        for (const auto& d : mac_.machine().read().disks) {
            if (d.identifier != disk) continue;
            for (const auto& v : d.volumes) {
                if (v.mountPoint) return *v.mountPoint;
            }
        }
        return {};
    }
    int dfRunsFor(const std::string& path) {
        int runs = 0;
        for (const auto& e : mac_.machine().journal()) {
            if (e.argv.at(0) == "df" && e.argv.back() == path) ++runs;
        }
        return runs;
    }

    sim::testing::ScratchMachine mac_;
};

TEST_F(HeadlessProgram, DisksAndApplicationsComeAndGoThenSigtermStopsTheServices) {
    sim::MachineEditor edit(mac_.machine());
    sim::PlugOptions work;
    work.mediaName = "Work SSD";
    const std::string workDisk = edit.plug(work);
    const std::string workVolume = mountPointOf(workDisk);
    sim::AppStartOptions editor;
    editor.name = "Editor";
    editor.bundleIdentifier = "com.example.editor";
    editor.workingDirectory = workVolume;
    edit.startApplication(editor);

    Program velmora(mac_.scratch() + "/out.txt", {"--headless", "--machine", mac_.dir()});
    ASSERT_GT(velmora.pid(), 0);
    // The trackers (the delegate's and the window's) look at the editor at
    // once, each on its own queue. The disk goes well before their next look
    // 15 s later, which would no longer find the editor on it.
    ASSERT_TRUE(eventually([&] { return dfRunsFor(workVolume) >= 1; }, 20s));
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(velmora.printed("🎯 Uygulama arka planda başlatıldı - Menu bar'dan erişilebilir"));
    edit.unplug(workDisk);
    edit.startApplication("Photoshop", "com.adobe.Photoshop", 10, std::nullopt);
    EXPECT_TRUE(eventually([&] { return notified("USB Disk Ayrıldı", "Work SSD ayrıldı"); }, 15s));
    EXPECT_TRUE(eventually([&] { return notified("Uyarı", "1 uygulama Work SSD diskinde çalışıyor"); }, 5s));

    sim::PlugOptions travel;
    travel.mediaName = "Travel SSD";
    edit.plug(travel);
    EXPECT_TRUE(eventually([&] { return notified("USB Disk Bağlandı", "Travel SSD başarıyla bağlandı"); }, 15s));

    EXPECT_TRUE(eventually(
        [&] {
            return notified("Büyük Uygulama Tespit Edildi", "Photoshop çalışıyor. USB diskleriniz korunuyor.") &&
                   velmora.printed("🛡️ USB koruma aktif: Photoshop için güç yönetimi artırıldı");
        },
        20s));

    ::kill(velmora.pid(), SIGTERM);
    ASSERT_EQ(velmora.waitForExit(20s), 0);
    const auto lines = velmora.lines();
    std::vector<std::string> stops;
    for (const auto& line : lines) {
        if (line == "Disk izleme durduruldu" || line == "Uygulama izleme durduruldu" ||
            line == "Performans optimizasyonu durduruldu") {
            stops.push_back(line);
        }
    }
    EXPECT_EQ(stops, (std::vector<std::string>{"Disk izleme durduruldu", "Uygulama izleme durduruldu",
                                               "Performans optimizasyonu durduruldu"}));
    for (const auto& held : mac_.machine().read().assertions) {
        EXPECT_NE(held.pid, velmora.pid()) << held.name;
    }
    // The stop's own record of it reaches the settings before the program ends.
    const FileUserDefaults settings(mac_.dir() + "/.velmora-sim/defaults", "com.orrindel.velmora",
                                    std::make_shared<CapturingDiagnostics>());
    EXPECT_EQ(settings.boolValue("PowerManagementActive"), false);
}

// The background members of the job groups the program with `pid` recorded.
std::vector<ProcessIdentity> recordedJobs(const std::string& machine, int pid) {
    std::ifstream record(machine + "/.velmora-sim/jobs/" + std::to_string(pid) + ".jobs");
    std::vector<ProcessIdentity> members;
    for (std::string kind, line; std::getline(record, line);) {
        std::istringstream fields(line);
        ProcessIdentity member;
        if (fields >> kind >> member.group >> member.pid >> member.started && kind == "member") members.push_back(member);
    }
    return members;
}

bool anyRunning(const std::vector<ProcessIdentity>& processes) {
    for (const auto& process : processes) {
        const auto now = identifyProcess(process.pid);
        if (now && now->sameProcess(process)) return true;
    }
    return false;
}

TEST_F(HeadlessProgram, AfterSigkillTheSettingsParseAndTheNextLaunchEndsTheLeftPollingLoop) {
    sim::MachineEditor edit(mac_.machine());
    sim::PlugOptions realtek;
    realtek.mediaName = "Realtek SSD";
    realtek.bridge = "RTL9210B-CG";
    edit.plug(realtek);

    std::vector<ProcessIdentity> loop;
    {
        Program killed(mac_.scratch() + "/killed.txt", {"--headless", "--machine", mac_.dir()});
        // Killed once the start's loops are all held and a second has passed
        // with no new one: a kill in the instant between a script's start
        // and its record can still lose that script's loop.
        std::size_t announced = 0;
        auto since = std::chrono::steady_clock::now();
        ASSERT_TRUE(eventually(
            [&] {
                const auto lines = killed.lines();
                const auto now = static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
                    return line.rfind("🔋 RTL9210B Advanced Power Management for ", 0) == 0;
                }));
                loop = recordedJobs(mac_.dir(), killed.pid());
                std::set<pid_t> groups;
                for (const auto& member : loop) groups.insert(member.group);
                if (now == 0 || now != announced || groups.size() != now) {
                    announced = now;
                    since = std::chrono::steady_clock::now();
                    return false;
                }
                return std::chrono::steady_clock::now() - since >= 1s;
            },
            30s));
        ::kill(killed.pid(), SIGKILL);
    }
    ASSERT_TRUE(anyRunning(loop)) << "a killed program cannot end its polling loop itself";
    std::ifstream file(mac_.dir() + "/.velmora-sim/defaults/com.orrindel.velmora.plist");
    std::stringstream text;
    text << file.rdbuf();
    const auto parsed = PlistReader().read(text.str());
    EXPECT_TRUE(parsed.value && parsed.value->asDictionary());

    // The kill may land while another loop's script is still running; that
    // loop is ended as well, so the count varies.
    Program next(mac_.scratch() + "/next.txt", {"--headless", "--machine", mac_.dir()});
    EXPECT_TRUE(eventually([&] { return !anyRunning(loop); }, 20s));
    EXPECT_TRUE(eventually([&] { return !next.lines().empty(); }, 20s));
    EXPECT_EQ(next.lines().front().rfind("🧹 Önceki çalışmadan kalan ", 0), 0u) << next.lines().front();
    ::kill(next.pid(), SIGTERM);
    EXPECT_EQ(next.waitForExit(20s), 0);
    // Neither program's scripts left anything running.
    EXPECT_TRUE(eventually([&] { return sim::MachineFolder::processesStartedFor(mac_.dir()).empty(); }, 5s));
}

TEST_F(HeadlessProgram, WithoutAMachineItMakesADefaultOneAndReusesIt) {
    const std::string data = mac_.scratch() + "/data";
    const std::string expected = data + "/velmora/machine";
    for (const char* line : {"🖥️ Yeni simüle Mac oluşturuldu (default senaryosu): ", "🖥️ Simüle Mac: "}) {
        Program velmora(mac_.scratch() + "/default.txt", {"--headless", "--seconds", "1"}, {"XDG_DATA_HOME=" + data});
        ASSERT_EQ(velmora.waitForExit(20s), 0);
        EXPECT_TRUE(velmora.printed(line + expected)) << velmora.lines().front();
        EXPECT_TRUE(velmora.printed("Performans optimizasyonu durduruldu"));
    }
}

// A run without a window, asked for or for want of a display, never maps the
// window's toolkit: it is most of a headless run's memory.
TEST_F(HeadlessProgram, ARunWithoutAWindowLoadsNoWindowLibraries) {
    const std::vector<std::string> noDisplay = {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};
    struct Case {
        std::vector<std::string> arguments;
        std::string noWindowLine;
    };
    const std::vector<Case> cases = {
        {{"--headless"}, ""},
        {{}, "🖥️ No window, running headless: no display (DISPLAY and WAYLAND_DISPLAY are not set)"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"--machine", mac_.dir(), "--seconds", "4"});
        Program velmora(mac_.scratch() + "/nowindow.txt", arguments, noDisplay);
        ASSERT_TRUE(eventually([&] { return velmora.printed("🚀 Velmora başlatıldı"); }, 20s));
        std::ifstream maps("/proc/" + std::to_string(velmora.pid()) + "/maps");
        const std::string mapped((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
        EXPECT_EQ(mapped.find("libQt6"), std::string::npos) << c.noWindowLine;
        if (!c.noWindowLine.empty()) {
            EXPECT_TRUE(velmora.printed(c.noWindowLine));
        }
        EXPECT_EQ(velmora.waitForExit(20s), 0);
    }
}

}  // namespace
}  // namespace velmora

#endif
