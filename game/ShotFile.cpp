#include "game/ShotFile.h"

#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"
#include "core/PTextReader.h"
#include "core/PTokenizer.h"
#include "core/ProblemLog.h"
#include "core/StringUtils.h"
#include "game/EffectShot.h"
#include "game/GameLog.h"
#include "game/PShotSpawner.h"
#include "game/ProjectileShot.h"
#include "game/TextFields.h"

#include <algorithm>

const char* const kShotFile = "Data\\Shots.txt";

namespace {

const char* const kSeparator = " ";
const char* const kProjectileClass = "projectile";
const char* const kEffectClass = "effect";

// Tabs separate fields as blanks do.
std::vector<std::string> FieldsOf(std::string line)
{
    std::replace(line.begin(), line.end(), '\t', ' ');
    std::vector<std::string> fields;
    CPTokenizer tokenizer(line, kSeparator, true);
    std::string field;
    while (tokenizer.NextToken(field)) {
        if (!field.empty()) fields.push_back(field);
    }
    return fields;
}

// A projectile's model and a shot's sound are files: no parameter may name
// one outside the game's folders. The sound's file is the text before its
// mode's ",", which is checked on its own: "nul,2d" names the null device.
// Answers the first parameter that names such a file, or null.
const std::string* NameOutsideFolder(const std::vector<std::string>& params)
{
    for (const std::string& param : params) {
        if (!IsNameInsideFolder(param) || !IsNameInsideFolder(param.substr(0, param.find(',')))) return &param;
    }
    return nullptr;
}

} // namespace

std::unique_ptr<CPShot> MakeShotTemplate(const ShotTemplateLine& line)
{
    std::unique_ptr<CPShot> shot;
    if (line.className == kProjectileClass) {
        shot.reset(new ProjectileShot(line.kind));
    } else if (line.className == kEffectClass) {
        shot.reset(new EffectShot(line.kind));
    }
    if (shot && !shot->SetParams(line.params)) shot.reset();
    return shot;
}

std::vector<std::unique_ptr<CPShot>> ReadShotTemplates(const std::string& text)
{
    std::vector<std::unique_ptr<CPShot>> templates;
    CPTextReader reader(text.data(), text.size());
    std::string line;
    while (reader.ReadLine(line)) {
        std::vector<std::string> fields = FieldsOf(line);
        ShotTemplateLine parsed;
        if (fields.size() >= 2) {
            parsed.kind = fields[0];
            parsed.className = fields[1];
            parsed.params.assign(fields.begin() + 2, fields.end());
        }
        if (const std::string* outside = NameOutsideFolder(parsed.params)) {
            GetGameLog().Report("%s line %d: \"%s\" names a file outside the game's folders; template left out",
                                kShotFile, reader.GetLineNumber(), outside->c_str());
            continue;
        }
        std::unique_ptr<CPShot> shot = MakeShotTemplate(parsed);
        if (shot) {
            templates.push_back(std::move(shot));
        } else {
            GetGameLog().Report("%s line %d: not a shot template: %s", kShotFile, reader.GetLineNumber(),
                                line.c_str());
        }
    }
    return templates;
}

HRESULT WriteShotFile(const std::string& path, const std::vector<ShotTemplateLine>& lines)
{
    std::string text;
    for (const ShotTemplateLine& line : lines) {
        text += QuoteField(line.kind, kSeparator) + kSeparator + QuoteField(line.className, kSeparator);
        for (const std::string& param : line.params) text += kSeparator + QuoteField(param, kSeparator);
        text += "\r\n";
    }
    CPDataFileWriter writer(path, false);
    writer.Write(text.data(), text.size());
    return writer.Save();
}

int LoadShotTemplates(CPShotSpawner& spawner)
{
    CPDataFile file(kShotFile, false);
    if (FAILED(file.Load())) return 0;
    const std::string text(reinterpret_cast<const char*>(file.GetData()), file.GetDataSize());
    std::vector<std::unique_ptr<CPShot>> templates = ReadShotTemplates(text);
    const int count = static_cast<int>(templates.size());
    for (std::unique_ptr<CPShot>& shot : templates) spawner.AddTemplate(std::move(shot));
    return count;
}
