#include "platform/win32/ole32/objbase.h"

namespace {

thread_local int t_initCount = 0;
thread_local DWORD t_model = COINIT_APARTMENTTHREADED;

} // namespace

HRESULT CoInitializeEx(LPVOID, DWORD coInit)
{
    const DWORD model = coInit & COINIT_APARTMENTTHREADED;
    if (t_initCount > 0) {
        if (model != t_model)
            return RPC_E_CHANGED_MODE;
        ++t_initCount;
        return S_FALSE;
    }
    t_model = model;
    t_initCount = 1;
    return S_OK;
}

HRESULT CoInitialize(LPVOID reserved)
{
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

void CoUninitialize()
{
    if (t_initCount > 0)
        --t_initCount;
}
