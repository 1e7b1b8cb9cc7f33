#include "game/TextsFile.h"

const char* const kTextsFile = "Data\\Texts.txt";

namespace {

const char kKeySeparator = '\t';

} // namespace

void ReadTextsFile(const void* data, size_t size, std::unordered_map<std::string, std::string>& texts,
                   std::vector<DataProblem>& problems)
{
    for (const DataLine& line : SplitDataLines(data, size)) {
        const size_t tab = line.text.find(kKeySeparator);
        if (tab == std::string::npos || tab == 0) {
            problems.push_back(DataProblem{line.number, "a text needs a key and a tab"});
            continue;
        }
        const std::string key = line.text.substr(0, tab);
        if (!texts.emplace(key, line.text.substr(tab + 1)).second) {
            problems.push_back(DataProblem{line.number, "repeated text " + key});
        }
    }
}

std::string WriteTextsFile(const std::vector<std::pair<std::string, std::string>>& texts)
{
    std::string file;
    for (const auto& text : texts) file += text.first + kKeySeparator + text.second + "\n";
    return file;
}
