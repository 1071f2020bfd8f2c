#include "main/frmSplash.h"

#include "main/MainTexts.h"

namespace vtl {

frmSplash::frmSplash(ui::UiHost& host) : Form(host, "frmSplash") {
    SetCaption(std::string(kAppTitle));
    SetBorderStyle(ui::FormBorderStyle::None);
    SetShowInTaskbar(false);
    SetStartUpPosition(ui::StartUpPosition::CenterScreen);
    Move(0, 0, kSplashWidth, kSplashHeight);
    picSplash.SetBorderStyle(ui::BorderStyle::None);
    picSplash.SetPicture("Splash");
    picSplash.Move(0, 0, kSplashWidth, kSplashHeight);
}

}  // namespace vtl
