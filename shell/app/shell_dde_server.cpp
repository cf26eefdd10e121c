#include "shell/app/shell_dde_server.h"

#include <cstdint>
#include <utility>

CShellDdeServer* CShellDdeServer::s_running = nullptr;

namespace {
HDDEDATA Answer(UINT flags) { return reinterpret_cast<HDDEDATA>(static_cast<std::uintptr_t>(flags)); }
}  // namespace

bool CShellDdeServer::Start(const std::string& service, Handler handler) {
    if (s_running || instance_) return false;
    if (DdeInitialize(&instance_, &CShellDdeServer::Callback, APPCLASS_STANDARD, 0) != DMLERR_NO_ERROR) {
        instance_ = 0;
        return false;
    }
    service_ = DdeCreateStringHandle(instance_, service.c_str(), CP_WINANSI);
    topic_ = DdeCreateStringHandle(instance_, "System", CP_WINANSI);
    handler_ = std::move(handler);
    s_running = this;
    if (!service_ || !topic_ || !DdeNameService(instance_, service_, nullptr, DNS_REGISTER)) {
        Stop();
        return false;
    }
    return true;
}

void CShellDdeServer::Stop() {
    if (!instance_) return;
    DdeNameService(instance_, nullptr, nullptr, DNS_UNREGISTER);
    if (service_) DdeFreeStringHandle(instance_, service_);
    if (topic_) DdeFreeStringHandle(instance_, topic_);
    DdeUninitialize(instance_);
    instance_ = 0;
    service_ = topic_ = nullptr;
    handler_ = nullptr;
    if (s_running == this) s_running = nullptr;
}

HDDEDATA CShellDdeServer::Callback(UINT type, UINT, HCONV, HSZ hsz1, HSZ, HDDEDATA data, DWORD_PTR, DWORD_PTR) {
    CShellDdeServer* self = s_running;
    if (!self) return nullptr;
    if (type == XTYP_CONNECT) return Answer(hsz1 && DdeCmpStringHandles(hsz1, self->topic_) == 0 ? 1 : 0);
    if (type == XTYP_EXECUTE) {
        if (!hsz1 || DdeCmpStringHandles(hsz1, self->topic_) != 0) return Answer(DDE_FNOTPROCESSED);
        return self->Execute(data);
    }
    return nullptr;
}

HDDEDATA CShellDdeServer::Execute(HDDEDATA data) {
    const DWORD size = DdeGetData(data, nullptr, 0, 0);
    if (size == 0 || size > kShellDdeMaxText + 1) return Answer(DDE_FNOTPROCESSED);
    std::string text(size, '\0');
    DdeGetData(data, reinterpret_cast<BYTE*>(text.data()), size, 0);
    const auto commands = ParseShellDdeCommands(text);
    if (!commands || !handler_) return Answer(DDE_FNOTPROCESSED);
    // The handler may pump messages (a page loads): it works on a copy.
    const Handler handler = handler_;
    for (const ShellDdeCommand& command : *commands)
        if (!handler(command)) return Answer(DDE_FNOTPROCESSED);
    return Answer(DDE_FACK);
}
