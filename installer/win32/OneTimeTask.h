#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vantrok::installer {

struct TaskAction {
    std::wstring program;
    std::wstring arguments;
    std::wstring folder;
};

struct TaskAccount {
    std::wstring user;                     // DOMAIN\name, or SYSTEM
    bool service = false;                  // SYSTEM's service logon; else the user's interactive token
    bool elevated = false;                 // the account's highest rights, not its limited token
    std::optional<std::uint32_t> session;  // the session to run in
};

// Registers a task with no trigger, runs it at once, waits until its program
// has started (or the task says it could not), then deletes the task.
// Deleting it ends the registration, not the running program.
bool RunOnceAsTask(const TaskAction& action, const TaskAccount& account);

}  // namespace vantrok::installer
