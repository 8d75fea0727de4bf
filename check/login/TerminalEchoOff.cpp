#include <termios.h>
#include <unistd.h>

#include "check/login/EchoOff.h"

namespace vantrok::check {

struct EchoOff::Saved {
    termios mode;
};

EchoOff::EchoOff() {
    termios mode{};
    if (::tcgetattr(STDIN_FILENO, &mode) != 0) return;
    saved_ = std::make_unique<Saved>(Saved{mode});
    mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &mode);
}

EchoOff::~EchoOff() {
    if (saved_) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_->mode);
}

}  // namespace vantrok::check
