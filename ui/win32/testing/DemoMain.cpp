// The demo windows on the Win32 renderer: the program the GUI tests drive from
// outside.

#include <exception>

#include "core/win32/Windows.h"
#include "ui/demo/DemoForms.h"
#include "ui/win32/Win32Host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        vtl::ui::win32::Win32Host host("Vantrel");
        vtl::ui::demo::frmDemo demo(host);
        vtl::ui::demo::frmDemoPages pages(host);
        demo.pages = &pages;
        demo.Show();
        return host.Run(&demo);
    } catch (const std::exception&) {
        return 1;
    }
}
