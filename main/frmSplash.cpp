#include "main/frmSplash.h"

namespace vtl {

frmSplash::frmSplash(ui::UiHost& host) : Form(host, "frmSplash") {
    // No caption: the main window is the one window titled with the product's name.
    SetBorderStyle(ui::FormBorderStyle::None);
    SetShowInTaskbar(false);
    SetStartUpPosition(ui::StartUpPosition::CenterScreen);
    Move(0, 0, kSplashWidth, kSplashHeight);
    picSplash.SetBorderStyle(ui::BorderStyle::None);
    picSplash.SetPicture("Splash");
    picSplash.Move(0, 0, kSplashWidth, kSplashHeight);
}

}  // namespace vtl
