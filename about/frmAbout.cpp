#include "about/frmAbout.h"

#include "core/RegistryNames.h"
#include "ui/Quietly.h"
#include "ui/UiHost.h"

namespace vtl {

namespace {

// The product key is opened with read and write rights (0x2003F).
constexpr std::uint32_t kProductKeyAccess = 0x2003F;
// The stored version is read into 260 bytes.
constexpr std::uint32_t kVersionMaxBytes = 260;

}  // namespace

std::string VersionLine(RegistryApi& registry) {
    // The program's own version, the project's (CMakeLists.txt).
    std::string line = "Version " + std::to_string(VTL_VERSION_MAJOR) + "." +
                       std::to_string(VTL_VERSION_MINOR) + "." + std::to_string(VTL_VERSION_PATCH);
    auto [key, error] =
        registry.RegOpenKeyEx(LocalMachineKey(), std::string(kProductKey), kProductKeyAccess);
    if (!key) return line;
    line = "Version 3.0";
    const RegistryApi::ValueResult value =
        registry.RegQueryValueEx(key, std::string(kVersionValue), kVersionMaxBytes);
    if (value.error == kErrorSuccess && (value.type == kRegSz || value.type == kRegExpandSz)) {
        const std::string text(value.data.begin(), value.data.end());
        line = "Version " + text.substr(0, text.find('\0'));
    }
    return line;
}

frmAbout::frmAbout(ui::UiHost& host, Platform& platform)
    : Form(host, "frmAbout"), platform_(platform) {
    SetCaption("About Vantrel");
    SetIcon("AppIcon");
    SetBorderStyle(ui::FormBorderStyle::FixedDialog);
    SetStartUpPosition(ui::StartUpPosition::CenterOwner);
    SetMinMaxButtons(false, false);
    SetShowInTaskbar(false);
    Move(0, 0, 6000, 3690);

    picIcon.SetBorderStyle(ui::BorderStyle::None);
    picIcon.SetPicture("AppIcon");
    picIcon.Move(300, 300, 480, 480);
    lblTitle.Move(1080, 300, 4560, 255);
    lblVersion.Move(1080, 600, 4560, 255);
    linTop.Move(300, 1020, 5280, 30);
    lblCompany.SetCaption("Orvane");
    lblCompany.Move(1080, 1200, 4560, 255);
    lblWeb.SetCaption("Web: www.orvane.com");
    lblWeb.Move(1080, 1470, 4560, 255);
    lblMail.SetCaption("Mail: support@orvane.com");
    lblMail.Move(1080, 1740, 4560, 255);
    linBottom.Move(300, 2160, 5280, 30);
    lblDisclaimer.SetCaption("Copyright (C) Orvane. All rights reserved.");
    lblDisclaimer.Move(300, 2400, 3960, 255);
    cmdOK.Move(4380, 2340, 1215, 375);
    cmdOK.SetDefault(true);
    cmdOK.SetCancel(true);

    onLoad = [this] { ui::Quietly([this] { Form_Load(); }); };
    cmdOK.onClick = [this] { ui::Quietly([this] { cmdOK_Click(); }); };
}

void frmAbout::Form_Load() {
    lblTitle.SetCaption(Host().AppTitle());
    lblVersion.SetCaption(VersionLine(platform_));
}

void frmAbout::cmdOK_Click() {
    Unload();
}

}  // namespace vtl
