#pragma once

#include <windows.h>

#include <string>

// Answers whether a file matching a wildcard pattern ("*" and "?") exists,
// and the bare name (without folder) of the first one found.
class CPFileFinder {
public:
    explicit CPFileFinder(const std::string& pattern);
    virtual ~CPFileFinder();

    // S_OK with the found name stored, or E_FAIL when nothing matches.
    HRESULT FindFirst();
    // Empty until a search has succeeded.
    const std::string& GetFileName() const { return m_fileName; }

private:
    std::string m_pattern;
    std::string m_fileName;
};
