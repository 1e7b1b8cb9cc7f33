#pragma once

#include "core/PObject.h"

// Lua is compiled as C++, so its headers are included without C linkage.
#include <lauxlib.h>
#include <lua.h>

#include <d3dx9math.h>

#include <cstddef>
#include <string>
#include <typeinfo>
#include <vector>

// How native functions read their arguments and push their results. Every
// number is read with lua_tonumber and narrowed here, so every function
// truncates the same way and no value, NaN or out of range, reaches an
// integer conversion the language leaves undefined.

// Truncated toward zero; NaN gives 0, values beyond the 32-bit range give
// its nearest end.
int NarrowToInt(double value);

inline int ReadInt(lua_State* state, int index)
{
    return NarrowToInt(lua_tonumber(state, index));
}

inline float ReadFloat(lua_State* state, int index)
{
    return static_cast<float>(lua_tonumber(state, index));
}

// Three numbers from the argument at first on, as x, y and z.
inline D3DXVECTOR3 ReadVector(lua_State* state, int first)
{
    return D3DXVECTOR3(ReadFloat(state, first), ReadFloat(state, first + 1), ReadFloat(state, first + 2));
}

inline bool ReadBool(lua_State* state, int index)
{
    return lua_toboolean(state, index) != 0;
}

// A text argument, or null when it is neither a string nor a number.
inline const char* ReadText(lua_State* state, int index)
{
    return lua_tostring(state, index);
}

// A text argument, or the empty text when it is neither a string nor a number.
inline std::string ReadTextOrEmpty(lua_State* state, int index)
{
    const char* text = lua_tostring(state, index);
    return text ? std::string(text) : std::string();
}

// A text the function cannot do without: anything else raises the
// auxiliary library's argument error.
inline const char* CheckText(lua_State* state, int index)
{
    return luaL_checklstring(state, index, nullptr);
}

// The object as class T, or null when it is not one. A dynamic_cast walks
// the class tree comparing type names, and scripts hand over the same kind
// of handle call after call; where T lies inside an object depends on the
// object's class alone, so the answer for the last class seen is kept.
template <class T>
T* CastHandle(IPObject* object)
{
    struct Answer {
        const std::type_info* type;
        std::ptrdiff_t offset;
        bool isT;
    };
    static Answer last = {nullptr, 0, false};
    const std::type_info& type = typeid(*object);
    if (last.type != &type) {
        T* cast = dynamic_cast<T*>(object);
        last.type = &type;
        last.isT = cast != nullptr;
        last.offset = cast ? reinterpret_cast<char*>(cast) - reinterpret_cast<char*>(object) : 0;
    }
    return last.isT ? reinterpret_cast<T*>(reinterpret_cast<char*>(object) + last.offset) : nullptr;
}

// The engine object behind a handle argument when it is one that still
// lives and is of the class asked for; null otherwise. Handles are the
// addresses of objects' IPObject parts (see PushHandle).
template <class T>
T* ReadHandle(lua_State* state, int index)
{
    void* address = lua_touserdata(state, index);
    if (!IsLiveObject(address)) return nullptr;
    return CastHandle<T>(static_cast<IPObject*>(address));
}

// Hands an engine object to a script; null gives the null handle.
inline void PushHandle(lua_State* state, IPObject* object)
{
    lua_pushlightuserdata(state, object);
}

// Pushes one number and answers the count of results, 1.
inline int PushNumber(lua_State* state, double value)
{
    lua_pushnumber(state, value);
    return 1;
}

// Pushes one boolean and answers the count of results, 1.
inline int PushBool(lua_State* state, bool value)
{
    lua_pushboolean(state, value);
    return 1;
}

// Pushes x, y and z as three results and answers their count, 3.
inline int PushVector(lua_State* state, const D3DXVECTOR3& vector)
{
    lua_pushnumber(state, vector.x);
    lua_pushnumber(state, vector.y);
    lua_pushnumber(state, vector.z);
    return 3;
}

// Pushes each text as a result of its own, after making room for them: a
// list longer than the stack can grow raises a script error.
void PushTexts(lua_State* state, const std::vector<std::string>& texts);

// A time in seconds as whole minutes, whole seconds and hundredths, each
// truncated toward zero.
struct TimeParts {
    int minutes;
    int seconds;
    int hundredths;
};
TimeParts SplitTimeParts(float seconds);

// Pushes a time in seconds as whole minutes, whole seconds and hundredths.
void SplitTime(lua_State* state, float seconds);

// Pushes one table holding the texts at the keys 1 to n.
void PushTextTable(lua_State* state, const std::vector<std::string>& texts);
