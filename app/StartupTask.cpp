#include "StartupTask.h"

#include "AppFolders.h"

#include <oleauto.h>
#include <taskschd.h>

#include <charconv>
#include <cstdint>
#include <iostream>
#include <new>
#include <string>
#include <string_view>

namespace {

// Holds one reference to a COM interface.
template <class T> class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() { Reset(); }

    T* Get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    T** Out() {
        Reset();
        return &pointer_;
    }
    void** VoidOut() { return reinterpret_cast<void**>(Out()); }

private:
    void Reset() {
        if (pointer_)
            pointer_->Release();
        pointer_ = nullptr;
    }

    T* pointer_ = nullptr;
};

// Out of memory is thrown like any other failed allocation: a null BSTR would pass for "".
BSTR AllocateBstr(std::wstring_view text) {
    const BSTR value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!value)
        throw std::bad_alloc();
    return value;
}

class Bstr {
public:
    explicit Bstr(std::wstring_view text) : value_(AllocateBstr(text)) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(value_); }

    BSTR Get() const { return value_; }

private:
    BSTR value_;
};

class Variant {
public:
    Variant() { VariantInit(&value_); }
    explicit Variant(std::wstring_view text) : Variant() {
        value_.bstrVal = AllocateBstr(text);
        value_.vt = VT_BSTR;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }

    // A borrowed copy for by-value parameters; the callee does not own it.
    VARIANT Get() const { return value_; }

private:
    VARIANT value_;
};

// Writes "<failure> with HRESULT: 0x<hex>" for a failed step.
class StepReporter {
public:
    explicit StepReporter(std::ostream& errors) : errors_(errors) {}

    bool Succeeded(HRESULT hr, std::string_view failure) const {
        if (SUCCEEDED(hr))
            return true;
        char hex[8];
        const auto end =
            std::to_chars(std::begin(hex), std::end(hex), static_cast<std::uint32_t>(hr), 16).ptr;
        errors_ << failure << " with HRESULT: 0x" << std::string_view(hex, end - hex) << '\n';
        return false;
    }

    // A call that reports success but hands back no object is not trusted either.
    template <class T>
    bool Obtained(HRESULT hr, const ComRef<T>& object, std::string_view failure) const {
        return Succeeded(SUCCEEDED(hr) && !object ? E_POINTER : hr, failure);
    }

private:
    std::ostream& errors_;
};

// Balances the caller's CoInitialize once every interface has been released.
struct ComUninitializer {
    ComUninitializer() = default;
    ComUninitializer(const ComUninitializer&) = delete;
    ComUninitializer& operator=(const ComUninitializer&) = delete;
    ~ComUninitializer() { CoUninitialize(); }
};

// Settings are preferences: the task is worth registering without them.
void ApplySettings(ITaskDefinition& definition) {
    ComRef<ITaskSettings> settings;
    if (FAILED(definition.get_Settings(settings.Out())) || !settings)
        return;
    settings->put_StopIfGoingOnBatteries(VARIANT_FALSE);
    settings->put_DisallowStartIfOnBatteries(VARIANT_FALSE);
    settings->put_AllowDemandStart(VARIANT_TRUE);
    settings->put_StartWhenAvailable(VARIANT_FALSE);
    settings->put_MultipleInstances(TASK_INSTANCES_PARALLEL);
    settings->put_ExecutionTimeLimit(Bstr(L"PT0S").Get());
}

int RegisterTask(const TaskServiceFactory& createInstance, const StepReporter& step) {
    ComRef<ITaskService> service;
    if (!step.Obtained(createInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_ITaskService, service.VoidOut()),
                       service, "Failed to create Task Scheduler instance"))
        return 1;

    const Variant none;
    if (!step.Succeeded(service->Connect(none.Get(), none.Get(), none.Get(), none.Get()),
                        "Failed to connect to Task Scheduler service"))
        return 1;

    ComRef<ITaskFolder> folder;
    if (!step.Obtained(service->GetFolder(Bstr(L"\\").Get(), folder.Out()), folder,
                       "Failed to get root folder"))
        return 1;

    ComRef<ITaskDefinition> definition;
    if (!step.Obtained(service->NewTask(0, definition.Out()), definition,
                       "Failed to create new task"))
        return 1;

    ComRef<ITriggerCollection> triggers;
    if (!step.Obtained(definition->get_Triggers(triggers.Out()), triggers,
                       "Failed to get trigger collection"))
        return 1;
    ComRef<ITrigger> trigger;
    if (!step.Obtained(triggers->Create(TASK_TRIGGER_LOGON, trigger.Out()), trigger,
                       "Failed to create trigger"))
        return 1;
    if (!step.Succeeded(trigger->put_Id(Bstr(L"Administrator").Get()), "Failed to set trigger ID"))
        return 1;

    ComRef<IPrincipal> principal;
    if (!step.Obtained(definition->get_Principal(principal.Out()), principal,
                       "Failed to get principal"))
        return 1;
    if (!step.Succeeded(principal->put_RunLevel(TASK_RUNLEVEL_HIGHEST), "Failed to set run level"))
        return 1;

    ApplySettings(*definition.Get());

    ComRef<IActionCollection> actions;
    if (!step.Obtained(definition->get_Actions(actions.Out()), actions,
                       "Failed to get action collection"))
        return 1;
    ComRef<IAction> action;
    if (!step.Obtained(actions->Create(TASK_ACTION_EXEC, action.Out()), action,
                       "Failed to create action"))
        return 1;
    ComRef<IExecAction> execAction;
    if (!step.Obtained(action->QueryInterface(IID_IExecAction, execAction.VoidOut()), execAction,
                       "Failed to query exec action interface"))
        return 1;
    if (!step.Succeeded(execAction->put_Path(Bstr(ModuleFolder() + L"Thermolink.exe").Get()),
                        "Failed to set executable path"))
        return 1;

    const Variant noSecurityDescriptor(L"");
    step.Succeeded(folder->RegisterTaskDefinition(Bstr(L"TEMP StartupTask").Get(), definition.Get(),
                                                  TASK_CREATE_OR_UPDATE, none.Get(), none.Get(),
                                                  TASK_LOGON_INTERACTIVE_TOKEN,
                                                  noSecurityDescriptor.Get(), nullptr),
                   "Failed to register task definition");
    return 0;
}

} // namespace

int RegisterStartupTask() {
    return RegisterStartupTask(CoCreateInstance, std::cerr);
}

int RegisterStartupTask(const TaskServiceFactory& createInstance, std::ostream& errors) {
    const StepReporter step(errors);
    if (!step.Succeeded(CoInitialize(nullptr), "CoInitialize failed"))
        return 1;
    const ComUninitializer uninitializer;
    return RegisterTask(createInstance, step);
}
