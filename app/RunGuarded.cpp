#include "RunGuarded.h"

#include "SysUtils.h"
#include "TApplication.h"

#include <string>

int RunGuarded(const std::function<void()>& Steps)
{
    try {
        Steps();
    } catch (const Exception& E) {
        Application->ShowException(E);
    } catch (...) {
        Application->ShowException(Exception(std::string()));
    }
    return 0;
}
