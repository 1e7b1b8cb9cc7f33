#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <string>
#include <vector>

// Long enough for Wine to start a process and make a device; a run that
// takes longer has hung.
const DWORD kProgramWait = 60000;
const DWORD kWindowPoll = 100;

// The game program started with a command line, ended when the object goes
// if it still runs. What it writes to standard error is kept in a file.
class GameProgram {
public:
    // Without a folder the game runs in the test's own.
    explicit GameProgram(const std::string& arguments, const char* folder = nullptr);
    ~GameProgram();
    GameProgram(const GameProgram&) = delete;
    GameProgram& operator=(const GameProgram&) = delete;

    bool Started() const { return m_started; }

    // The exit code, or STILL_ACTIVE when the program did not end within
    // the wait (milliseconds).
    DWORD ExitCode(DWORD wait = kProgramWait);

    // The game's main window once it is there, or null.
    HWND WaitForWindow();

    // What the game wrote to standard error; call it after ExitCode.
    std::string ErrorOutput();

private:
    PROCESS_INFORMATION m_process = {};
    HANDLE m_errors = INVALID_HANDLE_VALUE;
    bool m_started = false;
};

std::vector<char> ReadWholeFile(const std::string& path);
uint32_t ReadUint32(const std::vector<char>& bytes, size_t offset);

// The colour at a point of a BMP file of 24 or 32 bits, its rows stored from
// the bottom up, as 0xRRGGBB.
uint32_t BmpPixel(const std::vector<char>& bytes, int x, int y);

// Each channel within a few steps of the expected colour's.
void ExpectColourNear(uint32_t actual, D3DCOLOR expected, const char* what);
