#include "core/PDXErrorLog.h"

#include <dxerr9.h>

namespace {
const char* const kReportFormat = "DXError if %s on line %d\n%s\n%s\n";
}

void CPDXErrorLog::Log(int, const char*, ...)
{
}

CPDXErrorLog& GetDXErrorLog()
{
    static CPDXErrorLog log;
    return log;
}

const char* DXErrorName(HRESULT result)
{
    return DXGetErrorString9A(result);
}

const char* DXErrorDescription(HRESULT result)
{
    return DXGetErrorDescription9A(result);
}

bool ReportDXError(HRESULT result, const char* sourceFile, int line)
{
    if (SUCCEEDED(result)) {
        return false;
    }
    GetDXErrorLog().Log(0, kReportFormat, sourceFile, line, DXErrorName(result), DXErrorDescription(result));
    return true;
}
