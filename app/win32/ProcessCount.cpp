#include "app/win32/ProcessCount.h"

#include <wbemdisp.h>

#include <string>

#include "app/win32/Com.h"

namespace vantrok::app {

long CountProcesses(std::string_view imageName) {
    const ComApartment apartment;
    ComPtr<ISWbemServices> services;
    ThrowIfFailed(CoGetObject(L"winmgmts:", nullptr, IID_ISWbemServices, services.putVoid()),
                  "reaching the management service");
    // The image name is a fixed ASCII text of the program.
    std::wstring query = L"Select * from Win32_Process where name='";
    query.append(imageName.begin(), imageName.end());
    query += L"'";
    const Bstr queryText(query);
    const Bstr language(L"WQL");
    ComPtr<ISWbemObjectSet> processes;
    ThrowIfFailed(services->ExecQuery(queryText.get(), language.get(), wbemFlagReturnImmediately,
                                      nullptr, processes.put()),
                  "querying the running processes");
    long count = 0;
    ThrowIfFailed(processes->get_Count(&count), "counting the running processes");
    return count;
}

}  // namespace vantrok::app
