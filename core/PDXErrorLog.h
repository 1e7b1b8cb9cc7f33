#pragma once

#include <windows.h>

#include <fstream>
#include <string>

// Where failed DirectX calls are reported. The stream is never opened and the
// log operation writes nothing: a report has no visible effect, but every
// failing call site reports the same way before it gives up.
class CPDXErrorLog {
public:
    static const int kTableSize = 256;

    // Accepts a report at a level with printf-style arguments and drops it.
    void Log(int level, const char* format, ...);

private:
    std::ofstream m_stream;
    std::string m_table[kTableSize];
};

// The one log, built on first use and destroyed at process exit.
CPDXErrorLog& GetDXErrorLog();

// The symbolic name ("D3DERR_INVALIDCALL") and the description of a result code.
const char* DXErrorName(HRESULT result);
const char* DXErrorDescription(HRESULT result);

// Reports result when it is a failure; answers true when it was one, so call
// sites read: if (ReportDXError(hr, "Render/PRender", __LINE__)) return false;
bool ReportDXError(HRESULT result, const char* sourceFile, int line);
