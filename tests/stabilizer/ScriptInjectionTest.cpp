// Names of disks, volumes and USB products come from the devices themselves.
// These tests take the scripts the stabilizer builds around hostile names and
// run them through a real shell: nothing embedded in a name may execute.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "foundation/process/PosixProcessLauncher.h"
#include "StabilizerHarness.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;

struct Sandbox {
    fs::path dir;
    Sandbox() {
        std::string pattern = (fs::temp_directory_path() / "velmora-injection-XXXXXX").string();
        dir = mkdtemp(pattern.data());
    }
    ~Sandbox() { fs::remove_all(dir); }
    std::string marker(const std::string& name) const { return (dir / name).string(); }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
        return names;
    }
};

RunResult runForReal(const std::string& script) {
    auto diagnostics = std::make_shared<CapturingDiagnostics>();
    PosixProcessLauncher launcher(LauncherOptions{}, diagnostics);
    RunSpec request;
    request.program = "/bin/sh";
    request.arguments = {"-c", script};
    request.output = OutputWiring::pipe;
    request.error = ErrorWiring::nullDevice;
    request.deadlineSeconds = 10.0;
    return launcher.run(request);
}

TEST(ScriptInjection, HostileDiskNamesMountPointsAndIdsStayData) {
    Sandbox box;
    const std::string name = "x\"; touch " + box.marker("name1") + "; echo \" $(touch " + box.marker("name2") +
                             ") `touch " + box.marker("name3") + "` it's'; touch " + box.marker("name4") + "; '.*[";
    const std::string mountPoint = "/Volumes/a'; touch " + box.marker("mount") + "; '";
    const std::string id = "disk4'; touch " + box.marker("id") + "; '";

    StabilizerHarness h;
    auto disk = usbDisk(id, name, mountPoint);
    h.attach({disk});
    h.start();
    h.tp.scheduler->advance(10.0);

    auto quality = h.scriptsContaining("ioreg -l -p IOUSB");
    ASSERT_EQ(quality.size(), 1u);
    EXPECT_EQ(quality[0], "ioreg -l -p IOUSB | grep -A 10 -B 10 -F -e " + Script::quote(name));
    auto remount = h.scriptsContaining("remount");
    ASSERT_EQ(remount.size(), 1u);
    std::vector<std::string> healthChecks;
    for (const auto& run : h.tp.processes->runsOf("/bin/sh")) {
        if (run.arguments[1].find("(Mount Point|Device Node)") != std::string::npos) healthChecks.push_back(run.arguments[1]);
    }
    ASSERT_EQ(healthChecks.size(), 1u);

    // A stand-in ioreg prints a tree with the name in it; grep must find it literally.
    std::ofstream(box.dir / "tree") << "Speed High\n" << name << "\nother\n";
    RunResult matched = runForReal("ioreg() { cat " + Script::quote((box.dir / "tree").string()) + "; }\n" + quality[0]);
    ASSERT_TRUE(matched.started());
    EXPECT_EQ(matched.exitStatus, 0);
    EXPECT_NE(matched.output.find(name), std::string::npos);

    runForReal(quality[0]);
    runForReal("mount() { :; }\n" + remount[0]);
    runForReal("diskutil() { :; }\n" + healthChecks[0]);
    EXPECT_EQ(box.files(), std::vector<std::string>{"tree"});
}

TEST(ScriptInjection, HostileProductNamesStayData) {
    Sandbox box;
    // A product name cannot hold a double quote (the parser cuts at it), but
    // everything else the shell cares about can appear.
    const std::string product = "Realtek RTL9210B-CG $(touch " + box.marker("p1") + ") `touch " + box.marker("p2") +
                                "` '; touch " + box.marker("p3") + "; '";
    StabilizerHarness h;
    h.tp.processes->onScriptContaining("USB Product Name",
                                       ScriptedProcessLauncher::exited(0, "\"" + product + "\" USB Product Name\n"));
    h.start();
    h.tp.scheduler->advance(120.0);
    auto setup = h.scriptsContaining("enum failure prevention");
    auto keepAlive = h.scriptsContaining("gelişmiş güç tasarrufu");
    ASSERT_EQ(setup.size(), 1u);
    ASSERT_EQ(keepAlive.size(), 1u);
    EXPECT_NE(setup[0].find("ioreg -p IOUSB -n " + Script::quote(product) + " -r -l |"), std::string::npos);
    EXPECT_NE(keepAlive[0].find("ioreg -p IOUSB -n " + Script::quote(product) + " -r -l |"), std::string::npos);

    // The keep-alive script ends quickly without the real tools; the setup
    // script starts an endless background poll, so only its first lines run.
    runForReal("ioreg() { :; }\ndiskutil() { :; }\n" + keepAlive[0]);
    std::string setupHead = setup[0].substr(0, setup[0].find("# 5."));
    runForReal("ioreg() { :; }\nsysctl() { :; }\npmset() { :; }\n" + setupHead);
    EXPECT_TRUE(box.files().empty());
}

}  // namespace
}  // namespace velmora::testing
