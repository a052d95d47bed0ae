#pragma once

#include <objbase.h>
#include <taskschd.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

// Every call the fakes receive, as "ITrigger::put_Id("Administrator")", and the one method
// that is to answer differently.
struct FakeCallLog {
    struct Answer {
        HRESULT result;
        bool handsObject;
    };

    std::vector<std::wstring> calls;
    // "ITrigger::put_Id" and the like. It answers `fault` and hands back no object, so a
    // success code here means "succeeds without an object".
    std::wstring faultAt;
    HRESULT fault = S_OK;

    Answer Record(const std::wstring& method, const std::wstring& arguments);
};

// Names the interfaces the fakes know, and shows any other identifier as "{...}".
std::wstring GuidText(REFGUID id);

// IUnknown and IDispatch for a fake owned by the test: Release never deletes, so the count
// shows what the code under test still holds. It starts at 1, the owner's reference.
template <class Interface, class... AlsoImplements> class FakeComObject : public Interface {
public:
    FakeComObject(FakeCallLog& log, std::wstring name) : log_(log), name_(std::move(name)) {}
    FakeComObject(const FakeComObject&) = delete;
    FakeComObject& operator=(const FakeComObject&) = delete;

    ULONG References() const { return references_; }
    const std::wstring& Name() const { return name_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        const FakeCallLog::Answer answer = Record(L"QueryInterface", GuidText(iid));
        const bool implemented = iid == IID_IUnknown || iid == IID_IDispatch ||
                                 iid == __uuidof(Interface) ||
                                 ((iid == __uuidof(AlsoImplements)) || ...);
        if (!implemented) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        return Hand(answer, *this, reinterpret_cast<Interface**>(object));
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

protected:
    FakeCallLog::Answer Record(const wchar_t* method, const std::wstring& arguments = {}) {
        return log_.Record(name_ + L"::" + method, arguments);
    }
    // Hands out `object` with a reference of its own, unless the call is to fail.
    template <class Out, class Object>
    static HRESULT Hand(FakeCallLog::Answer answer, Object& object, Out** out) {
        *out = nullptr;
        if (answer.handsObject) {
            object.AddRef();
            *out = &object;
        }
        return answer.result;
    }

private:
    FakeCallLog& log_;
    std::wstring name_;
    ULONG references_ = 1;
};

class FakeExecAction : public FakeComObject<IExecAction, IAction> {
public:
    explicit FakeExecAction(FakeCallLog& log) : FakeComObject(log, L"IExecAction") {}
    HRESULT STDMETHODCALLTYPE put_Path(BSTR path) override;

    HRESULT STDMETHODCALLTYPE get_Id(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Id(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Type(TASK_ACTION_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Path(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Arguments(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Arguments(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_WorkingDirectory(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_WorkingDirectory(BSTR) override { return E_NOTIMPL; }
};

class FakeActionCollection : public FakeComObject<IActionCollection> {
public:
    FakeActionCollection(FakeCallLog& log, FakeExecAction& action)
        : FakeComObject(log, L"IActionCollection"), action_(action) {}
    HRESULT STDMETHODCALLTYPE Create(TASK_ACTION_TYPE type, IAction** action) override;

    HRESULT STDMETHODCALLTYPE get_Count(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Item(LONG, IAction**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_XmlText(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_XmlText(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Remove(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clear() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Context(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Context(BSTR) override { return E_NOTIMPL; }

private:
    FakeExecAction& action_;
};

class FakeTrigger : public FakeComObject<ITrigger> {
public:
    explicit FakeTrigger(FakeCallLog& log) : FakeComObject(log, L"ITrigger") {}
    HRESULT STDMETHODCALLTYPE put_Id(BSTR id) override;

    HRESULT STDMETHODCALLTYPE get_Type(TASK_TRIGGER_TYPE2*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Id(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Repetition(IRepetitionPattern**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Repetition(IRepetitionPattern*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ExecutionTimeLimit(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ExecutionTimeLimit(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_StartBoundary(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_StartBoundary(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_EndBoundary(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_EndBoundary(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL) override { return E_NOTIMPL; }
};

class FakeTriggerCollection : public FakeComObject<ITriggerCollection> {
public:
    FakeTriggerCollection(FakeCallLog& log, FakeTrigger& trigger)
        : FakeComObject(log, L"ITriggerCollection"), trigger_(trigger) {}
    HRESULT STDMETHODCALLTYPE Create(TASK_TRIGGER_TYPE2 type, ITrigger** trigger) override;

    HRESULT STDMETHODCALLTYPE get_Count(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Item(LONG, ITrigger**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Remove(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clear() override { return E_NOTIMPL; }

private:
    FakeTrigger& trigger_;
};

class FakePrincipal : public FakeComObject<IPrincipal> {
public:
    explicit FakePrincipal(FakeCallLog& log) : FakeComObject(log, L"IPrincipal") {}
    HRESULT STDMETHODCALLTYPE put_RunLevel(TASK_RUNLEVEL_TYPE level) override;

    HRESULT STDMETHODCALLTYPE get_Id(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Id(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_DisplayName(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_DisplayName(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_UserId(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_UserId(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_LogonType(TASK_LOGON_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_LogonType(TASK_LOGON_TYPE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_GroupId(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_GroupId(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_RunLevel(TASK_RUNLEVEL_TYPE*) override { return E_NOTIMPL; }
};

class FakeTaskSettings : public FakeComObject<ITaskSettings> {
public:
    explicit FakeTaskSettings(FakeCallLog& log) : FakeComObject(log, L"ITaskSettings") {}
    HRESULT STDMETHODCALLTYPE put_AllowDemandStart(VARIANT_BOOL allow) override;
    HRESULT STDMETHODCALLTYPE put_MultipleInstances(TASK_INSTANCES_POLICY policy) override;
    HRESULT STDMETHODCALLTYPE put_StopIfGoingOnBatteries(VARIANT_BOOL stop) override;
    HRESULT STDMETHODCALLTYPE put_DisallowStartIfOnBatteries(VARIANT_BOOL disallow) override;
    HRESULT STDMETHODCALLTYPE put_StartWhenAvailable(VARIANT_BOOL start) override;
    HRESULT STDMETHODCALLTYPE put_ExecutionTimeLimit(BSTR limit) override;

    HRESULT STDMETHODCALLTYPE get_AllowDemandStart(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_RestartInterval(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_RestartInterval(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_RestartCount(INT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_RestartCount(INT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_MultipleInstances(TASK_INSTANCES_POLICY*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_StopIfGoingOnBatteries(VARIANT_BOOL*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_DisallowStartIfOnBatteries(VARIANT_BOOL*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_AllowHardTerminate(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_AllowHardTerminate(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_StartWhenAvailable(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_XmlText(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_XmlText(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_RunOnlyIfNetworkAvailable(VARIANT_BOOL*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_RunOnlyIfNetworkAvailable(VARIANT_BOOL) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_ExecutionTimeLimit(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_DeleteExpiredTaskAfter(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_DeleteExpiredTaskAfter(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Priority(INT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Priority(INT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Compatibility(TASK_COMPATIBILITY*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Compatibility(TASK_COMPATIBILITY) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Hidden(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Hidden(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IdleSettings(IIdleSettings**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IdleSettings(IIdleSettings*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_RunOnlyIfIdle(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_RunOnlyIfIdle(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_WakeToRun(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_WakeToRun(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_NetworkSettings(INetworkSettings**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_NetworkSettings(INetworkSettings*) override { return E_NOTIMPL; }
};

class FakeTaskDefinition : public FakeComObject<ITaskDefinition> {
public:
    FakeTaskDefinition(FakeCallLog& log, FakeTriggerCollection& triggers, FakePrincipal& principal,
                       FakeTaskSettings& settings, FakeActionCollection& actions)
        : FakeComObject(log, L"ITaskDefinition"), triggers_(triggers), principal_(principal),
          settings_(settings), actions_(actions) {}
    HRESULT STDMETHODCALLTYPE get_Triggers(ITriggerCollection** triggers) override;
    HRESULT STDMETHODCALLTYPE get_Settings(ITaskSettings** settings) override;
    HRESULT STDMETHODCALLTYPE get_Principal(IPrincipal** principal) override;
    HRESULT STDMETHODCALLTYPE get_Actions(IActionCollection** actions) override;

    HRESULT STDMETHODCALLTYPE get_RegistrationInfo(IRegistrationInfo**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_RegistrationInfo(IRegistrationInfo*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_Triggers(ITriggerCollection*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Settings(ITaskSettings*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Data(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Data(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Principal(IPrincipal*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Actions(IActionCollection*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_XmlText(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_XmlText(BSTR) override { return E_NOTIMPL; }

private:
    FakeTriggerCollection& triggers_;
    FakePrincipal& principal_;
    FakeTaskSettings& settings_;
    FakeActionCollection& actions_;
};

class FakeTaskFolder : public FakeComObject<ITaskFolder> {
public:
    FakeTaskFolder(FakeCallLog& log, const FakeTaskDefinition& definition)
        : FakeComObject(log, L"ITaskFolder"), definition_(definition) {}
    HRESULT STDMETHODCALLTYPE RegisterTaskDefinition(BSTR path, ITaskDefinition* definition,
                                                     LONG flags, VARIANT user, VARIANT password,
                                                     TASK_LOGON_TYPE logonType, VARIANT sddl,
                                                     IRegisteredTask** task) override;

    HRESULT STDMETHODCALLTYPE get_Name(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Path(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFolder(BSTR, ITaskFolder**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFolders(LONG, ITaskFolderCollection**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateFolder(BSTR, VARIANT, ITaskFolder**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteFolder(BSTR, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTask(BSTR, IRegisteredTask**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTasks(LONG, IRegisteredTaskCollection**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteTask(BSTR, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterTask(BSTR, BSTR, LONG, VARIANT, VARIANT, TASK_LOGON_TYPE,
                                           VARIANT, IRegisteredTask**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSecurityDescriptor(BSTR, LONG) override { return E_NOTIMPL; }

private:
    const FakeTaskDefinition& definition_;
};

class FakeTaskService : public FakeComObject<ITaskService> {
public:
    FakeTaskService(FakeCallLog& log, FakeTaskFolder& folder, FakeTaskDefinition& definition)
        : FakeComObject(log, L"ITaskService"), folder_(folder), definition_(definition) {}
    HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, ITaskFolder** folder) override;
    HRESULT STDMETHODCALLTYPE NewTask(DWORD flags, ITaskDefinition** definition) override;
    HRESULT STDMETHODCALLTYPE Connect(VARIANT server, VARIANT user, VARIANT domain,
                                      VARIANT password) override;

    HRESULT STDMETHODCALLTYPE GetRunningTasks(LONG, IRunningTaskCollection**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Connected(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_TargetServer(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ConnectedUser(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ConnectedDomain(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_HighestVersion(DWORD*) override { return E_NOTIMPL; }

private:
    FakeTaskFolder& folder_;
    FakeTaskDefinition& definition_;
};

// A Task Scheduler of fakes sharing one call log, reached through CreateInstance.
class FakeTaskScheduler {
public:
    FakeTaskScheduler() = default;
    FakeTaskScheduler(const FakeTaskScheduler&) = delete;
    FakeTaskScheduler& operator=(const FakeTaskScheduler&) = delete;

    // Stands in for CoCreateInstance; recorded as "CoCreateInstance".
    HRESULT CreateInstance(REFCLSID id, IUnknown* outer, DWORD context, REFIID iid, void** object);
    std::function<HRESULT(REFCLSID, IUnknown*, DWORD, REFIID, void**)> Factory();
    // "ITrigger holds 2" for every fake whose count is not back at its start.
    std::vector<std::wstring> Leaks() const;

    FakeCallLog log;

private:
    FakeExecAction execAction_{log};
    FakeActionCollection actions_{log, execAction_};
    FakeTrigger trigger_{log};
    FakeTriggerCollection triggers_{log, trigger_};
    FakePrincipal principal_{log};
    FakeTaskSettings settings_{log};
    FakeTaskDefinition definition_{log, triggers_, principal_, settings_, actions_};
    FakeTaskFolder folder_{log, definition_};
    FakeTaskService service_{log, folder_, definition_};
};
