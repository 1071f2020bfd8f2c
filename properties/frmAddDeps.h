#pragma once
// The Add Dependencies dialog: the services of the main window's list, one of
// which is appended to the properties dialog's dependencies. Modal; one
// addition per opening (Add and Cancel both close it).

#include <string>

#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/ListControls.h"
#include "ui/ListView.h"

namespace vtl {

class frmAddDeps : public ui::Form {
  public:
    // services: the main window's list; dependencies: the list Add appends to;
    // service: the service whose properties are shown (never offered: a service
    // cannot depend on itself).
    frmAddDeps(ui::UiHost& host, const ui::ListView& services, ui::ListBox& dependencies,
               std::string service);

    ui::ListBox lstCurSrvs{*this, "lstCurSrvs"};
    ui::CommandButton cmdAdd{*this, "cmdAdd", "&Add"};
    ui::CommandButton cmdCancel{*this, "cmdCancel", "&Cancel"};

  private:
    void Form_Load();
    void cmdAdd_Click();
    void cmdCancel_Click();

    const ui::ListView& services_;
    ui::ListBox& dependencies_;
    std::string service_;
};

}  // namespace vtl
