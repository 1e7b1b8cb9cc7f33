#include "host/tests/GameProgramRun.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

const char* const kErrorFile = "game-errors.txt";

} // namespace

GameProgram::GameProgram(const std::string& arguments, const char* folder)
{
    SECURITY_ATTRIBUTES inherited = {sizeof(inherited), nullptr, TRUE};
    m_errors = CreateFileA(kErrorFile, GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = m_errors;
    std::string commandLine = std::string("\"") + HM_GAME_PROGRAM + "\" " + arguments;
    m_started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, folder, &startup,
                               &m_process) != 0;
}

GameProgram::~GameProgram()
{
    if (m_errors != INVALID_HANDLE_VALUE) CloseHandle(m_errors);
    if (!m_started) return;
    if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_process.hProcess, 99);
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

std::string GameProgram::ErrorOutput()
{
    if (m_errors != INVALID_HANDLE_VALUE) CloseHandle(m_errors);
    m_errors = INVALID_HANDLE_VALUE;
    const std::vector<char> bytes = ReadWholeFile(kErrorFile);
    return std::string(bytes.begin(), bytes.end());
}

DWORD GameProgram::ExitCode(DWORD wait)
{
    if (WaitForSingleObject(m_process.hProcess, wait) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

HWND GameProgram::WaitForWindow()
{
    for (DWORD waited = 0; waited < kProgramWait; waited += kWindowPoll) {
        HWND window = FindWindowA("HollowmereGame", nullptr);
        DWORD owner = 0;
        if (window) GetWindowThreadProcessId(window, &owner);
        if (window && owner == m_process.dwProcessId) return window;
        Sleep(kWindowPoll);
    }
    return nullptr;
}

std::vector<char> ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

uint32_t ReadUint32(const std::vector<char>& bytes, size_t offset)
{
    uint32_t value = 0;
    for (size_t index = 0; index < 4; ++index) {
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + index])) << (8 * index);
    }
    return value;
}

uint32_t BmpPixel(const std::vector<char>& bytes, int x, int y)
{
    const size_t kDataOffsetAt = 10, kWidthAt = 18, kHeightAt = 22, kBitsAt = 28;
    const size_t bytesPerPixel = (ReadUint32(bytes, kBitsAt) & 0xFFFF) / 8;
    const size_t width = ReadUint32(bytes, kWidthAt);
    const size_t height = ReadUint32(bytes, kHeightAt);
    const size_t stride = (width * bytesPerPixel + 3) & ~static_cast<size_t>(3);
    const size_t at = ReadUint32(bytes, kDataOffsetAt) + (height - 1 - y) * stride + x * bytesPerPixel;
    return ReadUint32(bytes, at) & 0xFFFFFF;
}

void ExpectColourNear(uint32_t actual, D3DCOLOR expected, const char* what)
{
    const int kTolerance = 8;
    for (int shift : {0, 8, 16}) {
        EXPECT_NEAR(static_cast<int>((actual >> shift) & 0xFF), static_cast<int>((expected >> shift) & 0xFF),
                    kTolerance)
            << what << std::hex << ": 0x" << actual;
    }
}
