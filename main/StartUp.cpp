#include "main/StartUp.h"

#include "main/frmSplash.h"

namespace vtl {

std::unique_ptr<frmMain> StartUp(ui::UiHost& host, Platform& platform, OperationsHooks* hooks,
                                 ui::Executor* work) {
    std::unique_ptr<frmMain> main;
    {
        frmSplash splash(host);
        splash.Show();
        splash.Refresh();
        main = std::make_unique<frmMain>(host, platform, work);
        if (hooks != nullptr) main->SetHooks(*hooks);
        main->Load();
        splash.Unload();
    }
    main->Show();
    return main;
}

}  // namespace vtl
