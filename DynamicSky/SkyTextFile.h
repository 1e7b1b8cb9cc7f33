#pragma once

#include <d3dx9math.h>

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// Where the sky's file readers report a malformed file: one line naming the
// file, the line and the fault. The program's sink drops the report into
// the debugger output; tests install their own.
using SkyLogSink = std::function<void(const std::string& report)>;
// Installs sink (an empty one puts the program's back) and answers the old.
SkyLogSink SetSkyLogSink(SkyLogSink sink);

// The folder of every sky file: "Data" joined with "\Clouds\".
std::string SkyFilePath(const std::string& name);

// A sky text file read whole and walked line by line, in the layout all the
// sky's files share: comments and blank lines dropped, every line split at
// blanks (double quotes honoured) into a label that is not looked at and
// the values after it. Numbers read as atoi and atof read them.
//
// The first fault (a missing line or value, a real value that is no finite
// float, a count or value that the caller refuses) is reported once and ends
// the walk: every later read
// answers zero or an empty name, so a reader can read a whole block and
// test once.
class SkyTextFile {
public:
    // False, without a report, when the file cannot be read.
    bool Open(const std::string& path);

    int ReadInt();
    float ReadReal();
    D3DXVECTOR3 ReadTriple();
    // Every name a sky file gives is a file of the game's folders: one that
    // leaves them (IsNameInsideFolder) is a fault of its line.
    std::string ReadName();
    // Two values of one line.
    void ReadIntPair(int& first, int& second);
    void ReadRealPair(float& first, float& second);

    // A count of blocks of linesEach lines each, followed by at least
    // trailingLines more: true when it is at least 0 and that many blocks
    // fit into the lines left; otherwise a fault.
    bool CheckCount(int count, size_t linesEach, const char* what, size_t trailingLines = 0);
    // Reports the fault at the line last read and ends the walk.
    void Refuse(const std::string& fault);

    bool Failed() const { return m_failed; }

    // Writes one line: the label, then the values, separated by blanks.
    static void AppendLine(std::string& text, const char* label,
                           std::initializer_list<std::string> values);
    static std::string Real(float value);
    // A name as a value: quoted when it is empty or holds a blank.
    static std::string Name(const std::string& name);
    static std::string Triple(const D3DXVECTOR3& value);
    // S_OK, or E_FAIL when the file could not be written.
    static HRESULT Save(const std::string& path, const std::string& text);

private:
    struct Line {
        int number;
        std::vector<std::string> values;
    };

    // The next line's values, at least wanted of them, or null after a fault.
    const std::vector<std::string>* NextValues(size_t wanted);
    float RealValue(const std::string& text);
    int CurrentLineNumber() const;

    std::string m_path;
    std::vector<Line> m_lines;
    size_t m_next = 0;
    bool m_failed = false;
};
