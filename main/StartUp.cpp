#include "main/StartUp.h"

#include "core/ServiceRow.h"
#include "main/ComputerNames.h"
#include "main/MainTexts.h"
#include "main/frmSplash.h"

namespace vtl {

std::unique_ptr<frmMain> StartUp(ui::UiHost& host, Platform& platform, OperationsHooks* hooks,
                                 ui::Executor* work, const std::optional<std::string>& computer) {
    const std::optional<std::string> name =
        computer ? NormalizeComputerName(*computer) : std::nullopt;
    std::unique_ptr<frmMain> main;
    {
        frmSplash splash(host);
        splash.Show();
        splash.Refresh();
        main = std::make_unique<frmMain>(host, platform, work);
        if (hooks != nullptr) main->SetHooks(*hooks);
        if (name) main->SetStartComputer(*name);
        main->Load();
        splash.Unload();
    }
    main->Show();
    if (computer && !name)
        main->MsgBox(InvalidComputerNameText(TrimAtNull(*computer)), ui::MsgButtons::OK,
                     ui::MsgIcon::Information);
    return main;
}

}  // namespace vtl
