#include "core/PFileFinder.h"

CPFileFinder::CPFileFinder(const std::string& pattern)
    : m_pattern(pattern)
{
}

CPFileFinder::~CPFileFinder()
{
}

// Only the first match is ever asked for, so the search ends right away.
HRESULT CPFileFinder::FindFirst()
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(m_pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return E_FAIL;
    m_fileName = found.cFileName;
    FindClose(search);
    return S_OK;
}
