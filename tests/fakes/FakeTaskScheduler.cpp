#include "FakeTaskScheduler.h"

#include <oleauto.h>

#include <initializer_list>
#include <utility>

namespace {

std::wstring Text(BSTR text) {
    return text ? L"\"" + std::wstring(text, SysStringLen(text)) + L"\"" : L"null";
}

std::wstring Text(const VARIANT& value) {
    switch (value.vt) {
    case VT_EMPTY:
        return L"VT_EMPTY";
    case VT_BSTR:
        return L"VT_BSTR " + Text(value.bstrVal);
    default:
        return L"vt " + std::to_wstring(value.vt);
    }
}

std::wstring Flag(VARIANT_BOOL value) {
    switch (value) {
    case VARIANT_TRUE:
        return L"VARIANT_TRUE";
    case VARIANT_FALSE:
        return L"VARIANT_FALSE";
    default:
        return std::to_wstring(value);
    }
}

std::wstring Pointer(const void* pointer) {
    return pointer ? L"given" : L"null";
}

std::wstring Join(std::initializer_list<std::wstring> arguments) {
    std::wstring joined;
    for (const std::wstring& argument : arguments)
        joined += (joined.empty() ? L"" : L", ") + argument;
    return joined;
}

} // namespace

FakeCallLog::Answer FakeCallLog::Record(const std::wstring& method, const std::wstring& arguments) {
    calls.push_back(method + L"(" + arguments + L")");
    if (method == faultAt)
        return {fault, false};
    return {S_OK, true};
}

std::wstring GuidText(REFGUID id) {
    const std::pair<const IID&, const wchar_t*> known[] = {
        {IID_IUnknown, L"IUnknown"},
        {IID_IDispatch, L"IDispatch"},
        {__uuidof(ITaskService), L"ITaskService"},
        {__uuidof(IAction), L"IAction"},
        {__uuidof(IExecAction), L"IExecAction"},
    };
    for (const auto& [iid, name] : known)
        if (id == iid)
            return name;
    wchar_t text[39] = {};
    StringFromGUID2(id, text, std::size(text));
    return text;
}

HRESULT FakeExecAction::put_Path(BSTR path) {
    return Record(L"put_Path", Text(path)).result;
}

HRESULT FakeActionCollection::Create(TASK_ACTION_TYPE type, IAction** action) {
    return Hand(Record(L"Create", std::to_wstring(type)), action_, action);
}

HRESULT FakeTrigger::put_Id(BSTR id) {
    return Record(L"put_Id", Text(id)).result;
}

HRESULT FakeTriggerCollection::Create(TASK_TRIGGER_TYPE2 type, ITrigger** trigger) {
    return Hand(Record(L"Create", std::to_wstring(type)), trigger_, trigger);
}

HRESULT FakePrincipal::put_RunLevel(TASK_RUNLEVEL_TYPE level) {
    return Record(L"put_RunLevel", std::to_wstring(level)).result;
}

HRESULT FakeTaskSettings::put_AllowDemandStart(VARIANT_BOOL allow) {
    return Record(L"put_AllowDemandStart", Flag(allow)).result;
}
HRESULT FakeTaskSettings::put_MultipleInstances(TASK_INSTANCES_POLICY policy) {
    return Record(L"put_MultipleInstances", std::to_wstring(policy)).result;
}
HRESULT FakeTaskSettings::put_StopIfGoingOnBatteries(VARIANT_BOOL stop) {
    return Record(L"put_StopIfGoingOnBatteries", Flag(stop)).result;
}
HRESULT FakeTaskSettings::put_DisallowStartIfOnBatteries(VARIANT_BOOL disallow) {
    return Record(L"put_DisallowStartIfOnBatteries", Flag(disallow)).result;
}
HRESULT FakeTaskSettings::put_StartWhenAvailable(VARIANT_BOOL start) {
    return Record(L"put_StartWhenAvailable", Flag(start)).result;
}
HRESULT FakeTaskSettings::put_ExecutionTimeLimit(BSTR limit) {
    return Record(L"put_ExecutionTimeLimit", Text(limit)).result;
}

HRESULT FakeTaskDefinition::get_Triggers(ITriggerCollection** triggers) {
    return Hand(Record(L"get_Triggers"), triggers_, triggers);
}
HRESULT FakeTaskDefinition::get_Settings(ITaskSettings** settings) {
    return Hand(Record(L"get_Settings"), settings_, settings);
}
HRESULT FakeTaskDefinition::get_Principal(IPrincipal** principal) {
    return Hand(Record(L"get_Principal"), principal_, principal);
}
HRESULT FakeTaskDefinition::get_Actions(IActionCollection** actions) {
    return Hand(Record(L"get_Actions"), actions_, actions);
}

HRESULT FakeTaskFolder::RegisterTaskDefinition(BSTR path, ITaskDefinition* definition, LONG flags,
                                               VARIANT user, VARIANT password,
                                               TASK_LOGON_TYPE logonType, VARIANT sddl,
                                               IRegisteredTask** task) {
    const std::wstring which = definition == &definition_ ? L"the new task" : Pointer(definition);
    const FakeCallLog::Answer answer =
        Record(L"RegisterTaskDefinition",
               Join({Text(path), which, std::to_wstring(flags), Text(user), Text(password),
                     std::to_wstring(logonType), Text(sddl), Pointer(task)}));
    // No registered task to hand back.
    if (task)
        *task = nullptr;
    return answer.result;
}

HRESULT FakeTaskService::GetFolder(BSTR path, ITaskFolder** folder) {
    return Hand(Record(L"GetFolder", Text(path)), folder_, folder);
}
HRESULT FakeTaskService::NewTask(DWORD flags, ITaskDefinition** definition) {
    return Hand(Record(L"NewTask", std::to_wstring(flags)), definition_, definition);
}
HRESULT FakeTaskService::Connect(VARIANT server, VARIANT user, VARIANT domain, VARIANT password) {
    return Record(L"Connect", Join({Text(server), Text(user), Text(domain), Text(password)}))
        .result;
}

HRESULT FakeTaskScheduler::CreateInstance(REFCLSID id, IUnknown* outer, DWORD context, REFIID iid,
                                          void** object) {
    *object = nullptr;
    const FakeCallLog::Answer answer =
        log.Record(L"CoCreateInstance",
                   Join({GuidText(id), Pointer(outer), std::to_wstring(context), GuidText(iid)}));
    if (iid != __uuidof(ITaskService))
        return E_NOINTERFACE;
    if (answer.handsObject) {
        service_.AddRef();
        *object = static_cast<ITaskService*>(&service_);
    }
    return answer.result;
}

std::function<HRESULT(REFCLSID, IUnknown*, DWORD, REFIID, void**)> FakeTaskScheduler::Factory() {
    return [this](REFCLSID id, IUnknown* outer, DWORD context, REFIID iid, void** object) {
        return CreateInstance(id, outer, context, iid, object);
    };
}

std::vector<std::wstring> FakeTaskScheduler::Leaks() const {
    std::vector<std::wstring> leaks;
    const auto check = [&leaks](const auto& fake) {
        if (fake.References() != 1)
            leaks.push_back(fake.Name() + L" holds " +
                            std::to_wstring(static_cast<long>(fake.References()) - 1));
    };
    check(execAction_);
    check(actions_);
    check(trigger_);
    check(triggers_);
    check(principal_);
    check(settings_);
    check(definition_);
    check(folder_);
    check(service_);
    return leaks;
}
