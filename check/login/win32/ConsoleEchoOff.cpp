#include <windows.h>

#include "check/login/EchoOff.h"

namespace vantrok::check {

struct EchoOff::Saved {
    DWORD mode;
};

EchoOff::EchoOff() {
    DWORD mode = 0;
    if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode)) return;
    saved_ = std::make_unique<Saved>(Saved{mode});
    SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
}

EchoOff::~EchoOff() {
    if (saved_) SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), saved_->mode);
}

}  // namespace vantrok::check
