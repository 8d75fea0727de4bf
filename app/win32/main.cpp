#include <windows.h>

#include <exception>
#include <memory>
#include <string>

#include "app/Startup.h"
#include "app/win32/DebugOutputTrace.h"
#include "app/win32/Win32StartupPlatform.h"
#include "backup/BackupTick.h"
#include "db/MachineLoginVault.h"
#include "import/Bridge.h"
#include "import/ImportCycle.h"
#include "import/SystemClock.h"
#include "ui/win32/MainWindow.h"

namespace {

// A handler's error comes back here, outside Windows' frames. The ticks
// trap their own, so what arrives is the window's (a font or icon Windows
// could not give); it is told and the program runs on, as a tick's error is.
int RunMessageLoop(vantrok::ui::MainWindow& window, vantrok::Trace& trace) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        try {
            window.rethrowHandlerError();
        } catch (const std::exception& error) {
            trace.write(std::string("frmmain: ") + error.what());
        }
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

// The command line is not read: everything the program needs is fixed in it.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace vantrok;
    const SystemClock clock;
    app::DebugOutputTrace trace;
    Bridge bridge(clock, trace);
    // The station's own login when one is stored on this PC, else sa as ever.
    const std::unique_ptr<db::LoginVault> logins = db::machineLoginVault();
    bridge.useLoginStore(*logins);
    ui::MainWindow window(instance, [&bridge] { ImportCycle(bridge); },
                          [&bridge] { BackupTick(bridge); });
    app::Win32StartupPlatform platform(bridge, window);
    app::RunStartup(platform);
    // A second copy, a wrong date format or a retry given up: no window, done.
    if (!window.isOpen()) return 0;
    return RunMessageLoop(window, trace);
}
