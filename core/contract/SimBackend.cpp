#include "core/contract/SimBackend.h"

#include "core/sim/DataSet.h"
#include "core/sim/SimNetwork.h"

namespace vtl::contract {

namespace {

constexpr std::string_view kScratch = "C:\\Users\\Public\\Vantrel Contract";

class SimBackend final : public Backend {
  public:
    SimBackend() : network_(sim::MakeStandardNetwork()) {
        // The test service writes its markers only into a folder that exists.
        network_->LocalComputer().PutDirectory(kScratch);
    }

    Platform& platform() override { return network_->LocalPlatform(); }
    std::string LocalMachine() override { return std::string(sim::kWorkstationName); }
    // The simulation reads the options from the command path; the program need
    // not exist. A folder with spaces, so the path must be quoted.
    std::string TestServiceFolder() override { return "C:\\Program Files\\Vantrel Contract"; }
    std::string ScratchFolder() override { return std::string(kScratch); }
    // Every test has a network of its own.
    std::string UniqueName(std::string_view stem) override { return std::string(stem); }
    void ForceStop(const std::string& serviceName) override {
        (void)network_->LocalComputer().ForceState(serviceName, kServiceStopped);
    }
    bool Reproduces(Behaviour) const override { return true; }
    std::string WhyNot(Behaviour) const override { return {}; }
    std::optional<std::string> ReadFile(const std::string& path) override {
        return network_->LocalComputer().FileContent(path);
    }
    std::optional<std::string> ComputerDenyingAccess() override {
        network_->Computer(sim::kServerName).DenyManagerAccess();
        return std::string(sim::kServerName);
    }
    std::optional<std::size_t> OpenHandleCount() const override {
        return network_->OpenHandleCount();
    }

  private:
    std::unique_ptr<sim::SimNetwork> network_;
};

}  // namespace

std::unique_ptr<Backend> MakeSimBackend() {
    return std::make_unique<SimBackend>();
}

}  // namespace vtl::contract
