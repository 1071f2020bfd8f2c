#pragma once
// The splash window: a frameless window with one picture, shown while the main
// window loads.

#include "ui/Control.h"
#include "ui/Form.h"

namespace vtl {

// The picture's size: 330 by 170 pixels at 96 dpi.
inline constexpr int kSplashWidth = 330 * 15;
inline constexpr int kSplashHeight = 170 * 15;

class frmSplash : public ui::Form {
  public:
    explicit frmSplash(ui::UiHost& host);

    ui::PictureBox picSplash{*this, "picSplash"};
};

}  // namespace vtl
