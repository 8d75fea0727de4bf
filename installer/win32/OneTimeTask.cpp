#include "installer/win32/OneTimeTask.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <taskschd.h>

#include <memory>
#include <string>

namespace vantrok::installer {
namespace {

// Not in MinGW's taskschd.h; values from TASK_RUN_FLAGS.
constexpr LONG RunIgnoringConstraints = 0x2;
constexpr LONG RunInSession = 0x4;
// What a task reports as its last result before its program has run.
constexpr HRESULT TaskHasNotRun = 0x00041303;
constexpr HRESULT TaskQueued = 0x00041325;
constexpr DWORD StartWaitMilliseconds = 15000;
constexpr DWORD PollMilliseconds = 200;

struct Releaser {
    void operator()(IUnknown* object) const noexcept { object->Release(); }
};
template <typename T>
using Com = std::unique_ptr<T, Releaser>;

class Bstr {
public:
    explicit Bstr(const std::wstring& text) : value_(SysAllocStringLen(text.data(), UINT(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(value_); }
    BSTR get() const { return value_; }

private:
    BSTR value_;
};

class Apartment {
public:
    Apartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
        // The Task Scheduler asks for privacy and impersonation; a caller
        // that set them already gets RPC_E_TOO_LATE, which is fine.
        if (ok_)
            CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                                 RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, 0, nullptr);
    }
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
    ~Apartment() {
        if (ok_) CoUninitialize();
    }
    bool ok() const { return ok_; }

private:
    bool ok_;
};

VARIANT Empty() {
    VARIANT value;
    VariantInit(&value);
    return value;
}

VARIANT Text(const Bstr& text) {
    VARIANT value = Empty();
    value.vt = VT_BSTR;
    value.bstrVal = text.get();  // still owned by text
    return value;
}

Com<ITaskDefinition> Define(ITaskService* service, const TaskAction& action, const TaskAccount& account) {
    ITaskDefinition* raw = nullptr;
    if (FAILED(service->NewTask(0, &raw))) return {};
    Com<ITaskDefinition> definition{raw};

    IPrincipal* principalRaw = nullptr;
    if (FAILED(definition->get_Principal(&principalRaw))) return {};
    Com<IPrincipal> principal{principalRaw};
    Bstr user{account.user};
    if (FAILED(principal->put_UserId(user.get())) ||
        FAILED(principal->put_LogonType(account.service ? TASK_LOGON_SERVICE_ACCOUNT : TASK_LOGON_INTERACTIVE_TOKEN)) ||
        FAILED(principal->put_RunLevel(account.elevated ? TASK_RUNLEVEL_HIGHEST : TASK_RUNLEVEL_LUA)))
        return {};

    ITaskSettings* settingsRaw = nullptr;
    if (FAILED(definition->get_Settings(&settingsRaw))) return {};
    Com<ITaskSettings> settings{settingsRaw};
    // The default limit of 72 hours would have the Task Scheduler end
    // VANTROK after three days; batteries must not stop it either.
    Bstr noLimit{L"PT0S"};
    if (FAILED(settings->put_ExecutionTimeLimit(noLimit.get())) ||
        FAILED(settings->put_DisallowStartIfOnBatteries(VARIANT_FALSE)) ||
        FAILED(settings->put_StopIfGoingOnBatteries(VARIANT_FALSE)) ||
        FAILED(settings->put_AllowDemandStart(VARIANT_TRUE)))
        return {};

    IActionCollection* actionsRaw = nullptr;
    if (FAILED(definition->get_Actions(&actionsRaw))) return {};
    Com<IActionCollection> actions{actionsRaw};
    IAction* actionRaw = nullptr;
    if (FAILED(actions->Create(TASK_ACTION_EXEC, &actionRaw))) return {};
    Com<IAction> generic{actionRaw};
    IExecAction* execRaw = nullptr;
    if (FAILED(generic->QueryInterface(IID_IExecAction, reinterpret_cast<void**>(&execRaw)))) return {};
    Com<IExecAction> exec{execRaw};
    Bstr path{action.program}, arguments{action.arguments}, folder{action.folder};
    if (FAILED(exec->put_Path(path.get())) || FAILED(exec->put_Arguments(arguments.get())) ||
        FAILED(exec->put_WorkingDirectory(folder.get())))
        return {};
    return definition;
}

// Whether the task's program started: it runs, or it has already run and
// ended. A failure HRESULT is the Task Scheduler's own: it could not start it.
bool Started(IRegisteredTask* task, IRunningTask* instance) {
    for (DWORD waited = 0; waited < StartWaitMilliseconds; waited += PollMilliseconds) {
        TASK_STATE state = TASK_STATE_UNKNOWN;
        if (SUCCEEDED(instance->Refresh()) && SUCCEEDED(instance->get_State(&state)) && state == TASK_STATE_RUNNING)
            return true;
        HRESULT result = TaskHasNotRun;
        if (SUCCEEDED(task->get_LastTaskResult(&result)) && result != TaskHasNotRun && result != TaskQueued)
            return SUCCEEDED(result);
        Sleep(PollMilliseconds);
    }
    return false;
}

}  // namespace

bool RunOnceAsTask(const TaskAction& action, const TaskAccount& account) {
    Apartment apartment;
    if (!apartment.ok()) return false;
    ITaskService* serviceRaw = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                reinterpret_cast<void**>(&serviceRaw))))
        return false;
    Com<ITaskService> service{serviceRaw};
    if (FAILED(service->Connect(Empty(), Empty(), Empty(), Empty()))) return false;
    ITaskFolder* rootRaw = nullptr;
    Bstr rootPath{L"\\"};
    if (FAILED(service->GetFolder(rootPath.get(), &rootRaw))) return false;
    Com<ITaskFolder> root{rootRaw};

    Com<ITaskDefinition> definition = Define(service.get(), action, account);
    if (!definition) return false;
    Bstr name{L"VANTROK start " + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(account.session.value_or(0))};
    Bstr user{account.user};
    IRegisteredTask* taskRaw = nullptr;
    if (FAILED(root->RegisterTaskDefinition(name.get(), definition.get(), TASK_CREATE_OR_UPDATE, Text(user), Empty(),
                                            account.service ? TASK_LOGON_SERVICE_ACCOUNT : TASK_LOGON_INTERACTIVE_TOKEN,
                                            Empty(), &taskRaw)))
        return false;
    Com<IRegisteredTask> task{taskRaw};
    struct Deregister {
        ITaskFolder* folder;
        BSTR name;
        ~Deregister() { folder->DeleteTask(name, 0); }
    } deregister{root.get(), name.get()};

    LONG flags = RunIgnoringConstraints | (account.session ? RunInSession : 0);
    IRunningTask* instanceRaw = nullptr;
    if (FAILED(task->RunEx(Empty(), flags, LONG(account.session.value_or(0)), account.session ? user.get() : nullptr,
                           &instanceRaw)) ||
        !instanceRaw)
        return false;
    Com<IRunningTask> instance{instanceRaw};
    return Started(task.get(), instance.get());
}

}  // namespace vantrok::installer
