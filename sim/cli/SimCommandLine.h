#pragma once
// The velmora-sim command: makes a machine folder and changes or reads a live
// one. Every verb takes the machine folder as its first operand and answers
// --help. Names from the command line are stored exactly as given; nothing
// here passes through a shell.
#include <ostream>
#include <string>
#include <vector>

namespace velmora::sim {

class SimCommandLine {
public:
    SimCommandLine(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    // arguments: everything after the program name. Returns the exit status.
    int run(const std::vector<std::string>& arguments);

private:
    int init(const std::vector<std::string>& args);
    int plug(const std::vector<std::string>& args);
    int unplug(const std::vector<std::string>& args);
    int image(const std::vector<std::string>& args);
    int mountVerb(const std::vector<std::string>& args, bool mount);
    int log(const std::vector<std::string>& args);
    int app(const std::vector<std::string>& args);
    int bundle(const std::vector<std::string>& args);
    int linkLoop(const std::vector<std::string>& args);
    int fault(const std::vector<std::string>& args);
    int usbFault(const std::vector<std::string>& args);
    int enumerationFailure(const std::vector<std::string>& args);
    int vanish(const std::vector<std::string>& args);
    int privilege(const std::vector<std::string>& args);
    int automation(const std::vector<std::string>& args);
    int notifications(const std::vector<std::string>& args);
    int alerts(const std::vector<std::string>& args);
    int journal(const std::vector<std::string>& args);
    int show(const std::vector<std::string>& args);
    int state(const std::vector<std::string>& args);

    int usage(const std::string& verb);
    int fail(const std::string& message);

    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace velmora::sim
