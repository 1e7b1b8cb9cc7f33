#include "script/tests/ScriptTest.h"

#include "core/ObjectIdentity.h"
#include "game/PGameData.h"

#include <string>

namespace {

class BonusListFunctions : public ScriptTest {
protected:
    BonusListFunctions() : first("first"), second("second")
    {
        g_pGameData = &data;
        SetGlobalHandle("first", &first);
        SetGlobalHandle("second", &second);
    }
    ~BonusListFunctions() override
    {
        data.bonusList.clear();
        g_pGameData = nullptr;
    }

    CPGameObject first;
    CPGameObject second;
    CPGameData data;
};

const char* const kListed = "local list, text = GetBonusList(), '' "
                            "for i, entry in ipairs(list) do "
                            "  text = text .. PointerToString(entry[1]) .. ':' .. entry[2] .. ' ' "
                            "end "
                            "return GetBonusesCount(), text";

TEST_F(BonusListFunctions, EntriesHoldTheirObjectsInOrderAndEraseTakesTheFirstOfAnObject)
{
    const std::string a = ObjectIdentityText(static_cast<IPObject*>(&first));
    const std::string b = ObjectIdentityText(static_cast<IPObject*>(&second));
    Results("AddBonus(first, 3) AddBonus(second, -2) AddBonus(first, 7) AddBonus(nil, 1)");
    EXPECT_EQ(Joined(kListed), "3|" + a + ":3 " + b + ":-2 " + a + ":7 ");
    EXPECT_EQ(data.bonusCount, 3);
    EXPECT_EQ(first.GetRefCount(), 2);

    Results("EraseBonus(first)");
    EXPECT_EQ(Joined(kListed), "2|" + b + ":-2 " + a + ":7 ");
    Results("EraseBonus(first) EraseBonus(first)");
    EXPECT_EQ(Joined(kListed), "1|" + b + ":-2 ");
    EXPECT_EQ(data.bonusCount, 0) << "one less for each erase, also of an object without an entry";

    Results("ClearBonuses()");
    EXPECT_EQ(Joined(kListed), "0|");
    EXPECT_EQ(second.GetRefCount(), 0);
    EXPECT_EQ(data.bonusCount, 0);
}

} // namespace
