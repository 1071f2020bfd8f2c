#pragma once
// The About box: the product's name and version, the maker with its web and
// mail addresses, and a rights notice. The version line is the program's own
// version unless the product's settings key says otherwise.

#include <string>

#include "core/Platform.h"
#include "ui/Control.h"
#include "ui/Form.h"

namespace vtl {

// The version line: "Version 3.1.3"; with the product key, "Version " and its
// "Version" value, or "Version 3.0" when the key holds no such value.
[[nodiscard]] std::string VersionLine(RegistryApi& registry);

class frmAbout : public ui::Form {
  public:
    frmAbout(ui::UiHost& host, Platform& platform);

    ui::PictureBox picIcon{*this, "picIcon"};
    ui::Label lblTitle{*this, "lblTitle", "Vantrel"};
    ui::Label lblVersion{*this, "lblVersion", "Version"};
    ui::Line linTop{*this, "linTop", 0, 0, 0, 0};
    ui::Label lblCompany{*this, "lblCompany"};
    ui::Label lblWeb{*this, "lblWeb"};
    ui::Label lblMail{*this, "lblMail"};
    ui::Line linBottom{*this, "linBottom", 0, 0, 0, 0};
    ui::Label lblDisclaimer{*this, "lblDisclaimer"};
    ui::CommandButton cmdOK{*this, "cmdOK", "OK"};

  private:
    void Form_Load();
    void cmdOK_Click();

    Platform& platform_;
};

}  // namespace vtl
